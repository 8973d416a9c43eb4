#pragma once
// The data file (docs/formats.md, "Data files"): optional comment lines ('), blank lines,
// a line !DATA, then one record per line of thirteen fields separated by ';':
//   Scenario;Year;Period;View;Entity;Value;Account;ICP;Custom1;Custom2;Custom3;Custom4;Amount
// The reader streams: it holds one line at a time, so memory does not grow with the file.

#include <QFile>
#include <QString>
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "server/local/format/text_lines.h"
#include "server/tarsel.h"

namespace tarsel::local::format {

// The longest line the reader takes; a longer one is a problem of its own.
inline constexpr size_t kMaxDataLine = 64 * 1024;

struct DataRecord {
    int line = 0;
    // The twelve labels indexed by Dimension, trimmed of blanks and tabs: UTF-8 bytes
    // valid until the next call of Next.
    std::array<std::string_view, kDimensionCount> labels;
    double amount = 0;
};

// A problem of one line: field is 1..13, or 0 for the line as a whole.
struct DataProblem {
    int line = 0;
    int field = 0;
    QString reason;
};

class DataFileReader {
  public:
    // Opens the file: kFileNotFound, or kFileUnreadable (also for a folder).
    explicit DataFileReader(const QString& path);

    // Reads up to the next good record: true with record filled, false at the end of the
    // file. Each bad line on the way is given to problem, and reading goes on after it.
    template <typename OnProblem>
    bool Next(DataRecord& record, OnProblem&& problem) {
        DataProblem found;
        while (true) {
            switch (Step(record, found)) {
                case StepResult::Record:
                    return true;
                case StepResult::End:
                    return false;
                case StepResult::Problem:
                    problem(found);
                    break;
                case StepResult::Skip:
                    break;
            }
        }
    }

    // How far into the file the reader is, for progress.
    qint64 BytesRead() const { return consumed_; }

  private:
    enum class StepResult { Record, Problem, Skip, End };
    StepResult Step(DataRecord& record, DataProblem& problem);
    // The next line without its end into line_; false at the end of the file. Sets
    // tooLong_ when the line was cut at kMaxDataLine (the rest is skipped).
    bool ReadLine();

    QFile file_;
    std::string buffer_;
    size_t start_ = 0;  // the unread part of buffer_ begins here
    bool eof_ = false;
    std::string line_;
    bool tooLong_ = false;
    bool inData_ = false;
    int lineNumber_ = 0;
    qint64 consumed_ = 0;
};

// The amount as the shortest text that reads back to the same double.
std::string AmountText(double amount);
// An amount field: an optional sign, digits with an optional '.' and fraction, an
// optional exponent; nothing else. Empty on success, else the reason.
QString ParseAmount(std::string_view text, double& amount);

// Writes a data file: the !DATA line, then each record; lines end with CR LF. The file
// appears at the path only once Commit succeeds; kFileUnwritable otherwise.
class DataFileWriter {
  public:
    explicit DataFileWriter(const QString& path);
    // labels indexed by Dimension, as UTF-8.
    void Write(const std::array<const std::string*, kDimensionCount>& labels, double amount);
    void Commit();

  private:
    void Flush();
    OutputFile file_;
    std::string pending_;
};

}  // namespace tarsel::local::format
