#pragma once
// Line and field handling shared by the local server's text formats: UTF-8 lines ended
// by LF or CR LF, fields separated by ';', double quotes around a field that contains a
// delimiter, a quote or blanks at either end (a quote inside is doubled).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace tarsel::local::format {

// Reads a whole file; kFileNotFound / kFileUnreadable naming the path.
QByteArray ReadWholeFile(const QString& path);

// Throws the client error kMalformedFile: "<file>, line <n>: <reason>" (no line part
// when line is 0).
[[noreturn]] void ThrowMalformed(const QString& fileName, int line, const QString& reason);

// True when bytes is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(QByteArrayView bytes);

// Walks the lines of a file. Refuses a NUL byte, invalid UTF-8 and a carriage return
// that does not end a line, naming the line. A UTF-8 byte order mark is skipped.
class LineReader {
  public:
    LineReader(const QByteArray& bytes, QString fileName);

    // Moves to the next line; false at the end of the file.
    bool Next();
    int LineNumber() const { return lineNumber_; }
    // The current line without its line end; valid UTF-8.
    QByteArrayView Line() const { return line_; }
    qsizetype BytesRead() const { return position_; }
    qsizetype TotalBytes() const { return bytes_.size(); }
    // Lines ahead before the next one that begins with '!': room to reserve for a section.
    qsizetype LinesBeforeNextSection() const;
    const QString& FileName() const { return fileName_; }

    [[noreturn]] void Fail(const QString& reason) const;

  private:
    const QByteArray& bytes_;
    QString fileName_;
    qsizetype position_ = 0;
    int lineNumber_ = 0;
    QByteArrayView line_;
};

// Splits a line into fields at ';'. Unquoted fields are trimmed of blanks and tabs; a
// quoted field is taken exactly. Returns an empty text on success, else the reason.
QString SplitFields(QByteArrayView line, QStringList& fields);

// The field as it must be written so that SplitFields gives it back unchanged.
QString QuoteField(const QString& field);

// Fields joined with ';', each quoted where needed.
QString JoinFields(const QStringList& fields);

// The text names a line break, which no field of a line can hold.
bool HasLineBreak(const QString& text);

}  // namespace tarsel::local::format
