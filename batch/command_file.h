#pragma once
// Reading a command file line by line.

#include <QFile>
#include <QString>

namespace tarsel::batch {

struct CommandFileLine {
    int number = 0;  // 1-based
    QString text;
    // Why the line cannot be used as read (not UTF-8, holds a NUL); empty when fine.
    QString problem;
};

// Lines end at a carriage return, a carriage return and line feed, or a line feed. The
// text is UTF-8; a byte order mark at the start is skipped.
class CommandFileReader {
  public:
    // Throws a TarselError naming the file when it cannot be opened.
    explicit CommandFileReader(const QString& path);

    // False at the end of the file. Throws a TarselError naming file and line when reading
    // fails.
    bool Next(CommandFileLine& line);
    void Close() { file_.close(); }

  private:
    bool Fill();

    QFile file_;
    QByteArray buffer_;
    qsizetype pos_ = 0;  // start of the unread part of buffer_
    bool eof_ = false;
    int lineNumber_ = 0;
};

}  // namespace tarsel::batch
