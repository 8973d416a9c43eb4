#pragma once
// The journal file: regular journals (!JOURNAL) and journal templates (!STANDARD,
// !RECURRING), one section per journal: the section line, a header record
//   Label;Scenario;Year;Period;Status;BalanceType;Description
// and one record per line
//   Entity;Account;ICP;Custom1;Custom2;Custom3;Custom4;D|C;Amount;Description
// Fields as text_lines.h reads them. The reader checks what the file alone can tell (field
// counts, words, amounts, balance, labels used twice); the members are the loader's to
// check against the application.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarsel::local::format {

enum class JournalKind : int { Regular = 0, Standard = 1, Recurring = 2 };
// A regular journal's status; templates have none. Only a posted journal changes cells.
enum class JournalStatus : int { None = 0, Working = 1, Submitted = 2, Approved = 3, Posted = 4 };
// Balanced: total debits equal total credits; BalancedByEntity: so for each entity.
enum class BalanceType : int { Balanced = 0, Unbalanced = 1, BalancedByEntity = 2 };

struct JournalLine {
    QString entity, account, icp;
    std::array<QString, 4> customs;
    bool debit = true;
    double amount = 0;  // greater than zero; the side says which way it goes
    QString description;
    int lineNumber = 0;  // in the file read; 0 for lines not read from a file
};

struct Journal {
    JournalKind kind = JournalKind::Regular;
    QString label;
    QString scenario, year, period;  // empty on a template that names none
    JournalStatus status = JournalStatus::None;
    BalanceType balance = BalanceType::Balanced;
    QString description;
    std::vector<JournalLine> lines;
    int lineNumber = 0;  // of the header line (of the section line when it has none)
};

struct JournalProblem {
    int line;  // 0: the file as a whole
    QString reason;
};

struct JournalFile {
    std::vector<Journal> journals;         // in file order
    std::vector<JournalProblem> problems;  // every problem found, in line order
};

// Reads a whole journal file; never throws for its content: every line the reader refuses
// is a problem of its own, and reading goes on after it.
JournalFile ReadJournalFile(const QByteArray& bytes, const QString& fileName);

// The journals in the given order, CR LF line ends, amounts in the shortest text that reads
// back to the same number. Empty when there is no journal.
QByteArray WriteJournalFile(const std::vector<Journal>& journals);

// The key that makes two journals the same: kind, point of view (regular journals only)
// and label, without regard to case.
QString JournalKey(const Journal& journal);

// The words of the format, as written.
QString StatusWord(JournalStatus status);
QString BalanceWord(BalanceType balance);

// An amount as the data file reads it (see data_file.h); empty when it is none.
std::optional<double> ReadAmount(QStringView text);
// The shortest text that reads back to the same amount.
QString FormatAmount(double amount);

}  // namespace tarsel::local::format
