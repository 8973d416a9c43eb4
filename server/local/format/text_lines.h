#pragma once
// Line and field handling shared by the local server's text formats: UTF-8 lines ended
// by LF or CR LF, fields separated by ';', double quotes around a field that contains a
// delimiter, a quote or blanks at either end (a quote inside is doubled).

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "server/tarsel_error.h"

class QIODevice;

namespace tarsel::local::format {

// Opens a file for reading; kFileNotFound, or kFileUnreadable (also for a folder), naming
// the path.
std::unique_ptr<QFile> OpenInputFile(const QString& path);
// Reads a whole file, with the failures of OpenInputFile.
QByteArray ReadWholeFile(const QString& path);

// A large file written whole or not at all: it replaces path only at Commit, after its
// bytes are on disk. The bytes start on their way to disk every few megabytes as they are
// written, so that the sync before the replacement waits for the last few only, not for
// the whole file. Failures are kFileUnwritable, naming the path.
class OutputFile {
  public:
    explicit OutputFile(const QString& path);
    void Write(QByteArrayView bytes);
    void Commit();

  private:
    // error: the errno of a failed write, whose reason QSaveFile does not always keep.
    [[noreturn]] void Fail(int error = 0);

    QSaveFile file_;
    qint64 written_ = 0;
    qint64 sent_ = 0;  // bytes whose writing to disk has been started
};

// Writes a whole file through an OutputFile, with its failures.
void WriteWholeFile(const QString& path, QByteArrayView bytes);

// The client error kMalformedFile about one line of a file, which keeps the line and the
// reason apart for readers that list every fault of a file.
class LineFault : public TarselError {
  public:
    LineFault(const QString& fileName, int line, const QString& reason);
    int line() const noexcept { return line_; }
    const QString& reason() const noexcept { return reason_; }

  private:
    int line_;
    QString reason_;
};

// Throws LineFault: "<file>, line <n>: <reason>" (no line part when line is 0).
[[noreturn]] void ThrowMalformed(const QString& fileName, int line, const QString& reason);

// The faults a reader found in one file, for a load log that names every one. A file in
// which everything is wrong stops the reader after kMostListed faults, so that a large
// file of the wrong kind is refused without reading it all.
class FileFaults {
  public:
    static constexpr int kMostListed = 100;

    explicit FileFaults(QString fileName) : fileName_(std::move(fileName)) {}

    // False once kMostListed faults are recorded: the reader stops there.
    bool Add(int line, const QString& reason);
    bool Add(const LineFault& fault) { return Add(fault.line(), fault.reason()); }

    const QString& fileName() const { return fileName_; }
    bool empty() const { return faults_.empty(); }
    int count() const { return static_cast<int>(faults_.size()); }
    // In line order (faults found at the end of the file, such as a cycle, are sorted in).
    std::vector<LineFault> Sorted() const;
    // Throws the first in line order as it stands; nothing when there is none.
    void ThrowFirst() const;

  private:
    QString fileName_;
    std::vector<LineFault> faults_;
};

// True when bytes is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(QByteArrayView bytes);

// Walks the lines of a file, a chunk at a time, so that a large file is never held
// whole. Refuses a NUL byte, invalid UTF-8, a carriage return that does not end a line
// and a line longer than kLongestLine, naming the line. A UTF-8 byte order mark is
// skipped.
class LineReader {
  public:
    static constexpr qsizetype kLongestLine = 4 << 20;

    // Over bytes the caller keeps alive.
    LineReader(const QByteArray& bytes, QString fileName);
    // Over an open device, read from where it stands to its end; the device must be
    // able to seek for LinesBeforeNextSection.
    LineReader(QIODevice& device, QString fileName);

    // Moves to the next line; false at the end of the file. kFileUnreadable when the
    // device fails.
    bool Next();
    int LineNumber() const { return lineNumber_; }
    // The current line without its line end; valid UTF-8; valid until the next Next().
    QByteArrayView Line() const { return line_; }
    qsizetype BytesRead() const { return consumed_ + position_; }
    qsizetype TotalBytes() const { return total_; }
    // Lines ahead before the next one that begins with '!': room to reserve for a section.
    qsizetype LinesBeforeNextSection() const;
    const QString& FileName() const { return fileName_; }

    [[noreturn]] void Fail(const QString& reason) const;

  private:
    // Moves the unread bytes to the front of the buffer and appends the next chunk;
    // false at the end of the device.
    bool Fill();

    QIODevice* device_ = nullptr;
    QByteArray buffer_;
    QString fileName_;
    qsizetype total_ = 0;
    qsizetype consumed_ = 0;  // bytes dropped from the front of buffer_
    qsizetype position_ = 0;  // in buffer_
    bool atEnd_ = false;
    int lineNumber_ = 0;
    QByteArrayView line_;
};

// Splits a line into fields at ';'. Unquoted fields are trimmed of blanks and tabs; a
// quoted field is taken exactly. Returns an empty text on success, else the reason.
QString SplitFields(QByteArrayView line, QStringList& fields);

// A field is written quoted when it holds ';' or '"', or when its first or last character
// is one of these: then SplitFields gives it back unchanged, and no reader that trims a
// line of every kind of white space first takes it for a comment, a section or a blank
// line. Every writer of fields decides by these two.
inline bool QuotedWhenFirst(QChar c) {
    return c.isSpace() || c == u'!' || c == u'\'';
}
inline bool QuotedWhenLast(QChar c) {
    return c.isSpace();
}

// The field as it must be written, quoted where needed.
QString QuoteField(const QString& field);

// Fields joined with ';', each quoted where needed.
QString JoinFields(const QStringList& fields);

// The text names a line break, which no field of a line can hold.
bool HasLineBreak(const QString& text);

}  // namespace tarsel::local::format
