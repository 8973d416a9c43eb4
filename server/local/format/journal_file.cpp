#include "server/local/format/journal_file.h"

#include <algorithm>

#include <QStringList>
#include <cmath>
#include <map>

#include "server/local/format/data_file.h"
#include "server/local/format/text_lines.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

constexpr int kHeaderFields = 7;
constexpr int kLineFields = 10;
constexpr qsizetype kMaxLabel = 80;
constexpr qsizetype kMaxDescription = 255;

struct SectionName {
    const char* word;
    JournalKind kind;
};
constexpr SectionName kSections[] = {{"!JOURNAL", JournalKind::Regular},
                                     {"!STANDARD", JournalKind::Standard},
                                     {"!RECURRING", JournalKind::Recurring}};

const char* const kStatusWords[] = {"", "Working", "Submitted", "Approved", "Posted"};
const char* const kBalanceWords[] = {"Balanced", "Unbalanced", "BalancedByEntity"};

// A field quoted in a message, cut short so that a huge field does not fill the log.
QString Quoted(const QString& text) {
    constexpr qsizetype kShown = 40;
    return QLatin1Char('"') +
           (text.size() > kShown ? text.left(kShown) + QStringLiteral("...") : text) +
           QLatin1Char('"');
}

template <size_t N>
std::optional<int> ParseWord(const QString& text, const char* const (&words)[N]) {
    for (size_t i = 0; i < N; ++i) {
        if (text.compare(QLatin1String(words[i]), Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

bool NearlyEqual(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

class Reader {
  public:
    void Problem(int line, const QString& reason) { file_.problems.push_back({line, reason}); }
    // A line that could not be read at all: the journal it stands in is not checked further,
    // since its sums would be missing that line.
    void Refused(int line, const QString& reason) {
        Problem(line, reason);
        invalid_ = invalid_ || current_.has_value();
    }

    void Section(int line, const QString& text) {
        Close();
        const QString name = text.trimmed();
        for (const SectionName& section : kSections) {
            if (name.compare(QLatin1String(section.word), Qt::CaseInsensitive) == 0) {
                current_.emplace();
                current_->kind = section.kind;
                current_->lineNumber = line;
                return;
            }
        }
        Problem(line, QStringLiteral("unknown section %1; expected !JOURNAL, !STANDARD or "
                                     "!RECURRING")
                          .arg(Quoted(name)));
        skipping_ = true;
    }

    void Record(int line, const QStringList& fields) {
        if (skipping_) {
            return;
        }
        if (!current_) {
            Problem(line, QStringLiteral("a record before the first !JOURNAL, !STANDARD or "
                                         "!RECURRING line"));
            skipping_ = true;
            return;
        }
        if (!haveHeader_) {
            haveHeader_ = true;
            Header(line, fields);
        } else {
            Line(line, fields);
        }
    }

    JournalFile Finish() {
        Close();
        // A journal's own problems are found when it closes, after those of its lines.
        std::stable_sort(
            file_.problems.begin(), file_.problems.end(),
            [](const JournalProblem& a, const JournalProblem& b) { return a.line < b.line; });
        return std::move(file_);
    }

  private:
    bool Described(int line, const QString& description) {
        if (description.size() > kMaxDescription) {
            Problem(line, QStringLiteral("the description is longer than %1 characters")
                              .arg(kMaxDescription));
            return false;
        }
        return true;
    }

    void Header(int line, const QStringList& fields) {
        Journal& j = *current_;
        j.lineNumber = line;
        if (fields.size() != kHeaderFields) {
            Problem(line, QStringLiteral("a journal header has %1 fields "
                                         "(Label;Scenario;Year;Period;Status;BalanceType;"
                                         "Description), this line %2")
                              .arg(kHeaderFields)
                              .arg(fields.size()));
            invalid_ = true;
            return;
        }
        j.label = fields[0];
        j.scenario = fields[1];
        j.year = fields[2];
        j.period = fields[3];
        j.description = fields[6];
        if (j.label.isEmpty()) {
            Problem(line, QStringLiteral("the journal has no label"));
            invalid_ = true;
        } else if (j.label.size() > kMaxLabel) {
            Problem(line, QStringLiteral("the label %1 is longer than %2 characters")
                              .arg(Quoted(j.label))
                              .arg(kMaxLabel));
            invalid_ = true;
        }
        const bool regular = j.kind == JournalKind::Regular;
        if (regular && (j.scenario.isEmpty() || j.year.isEmpty() || j.period.isEmpty())) {
            Problem(line, QStringLiteral("journal %1 needs a scenario, a year and a period")
                              .arg(Quoted(j.label)));
            invalid_ = true;
        }
        const QString& statusText = fields[4];
        if (regular) {
            const auto status = ParseWord(statusText, kStatusWords);
            if (!status || *status == 0) {
                Problem(line, QStringLiteral("unknown status %1; expected Working, Submitted, "
                                             "Approved or Posted")
                                  .arg(Quoted(statusText)));
                invalid_ = true;
            } else {
                j.status = static_cast<JournalStatus>(*status);
            }
        } else if (!statusText.isEmpty()) {
            Problem(line,
                    QStringLiteral("a template has no status, found %1").arg(Quoted(statusText)));
            invalid_ = true;
        }
        const auto balance = ParseWord(fields[5], kBalanceWords);
        if (!balance) {
            Problem(line, QStringLiteral("unknown balance type %1; expected Balanced, Unbalanced "
                                         "or BalancedByEntity")
                              .arg(Quoted(fields[5])));
            invalid_ = true;
        } else {
            j.balance = static_cast<BalanceType>(*balance);
        }
        invalid_ = !Described(line, j.description) || invalid_;
    }

    void Line(int line, const QStringList& fields) {
        if (fields.size() != kLineFields) {
            Problem(line, QStringLiteral("a journal line has %1 fields "
                                         "(Entity;Account;ICP;Custom1;Custom2;Custom3;Custom4;"
                                         "D|C;Amount;Description), this line %2")
                              .arg(kLineFields)
                              .arg(fields.size()));
            invalid_ = true;
            return;
        }
        JournalLine l;
        l.lineNumber = line;
        l.entity = fields[0];
        l.account = fields[1];
        l.icp = fields[2];
        for (size_t c = 0; c < 4; ++c) {
            l.customs[c] = fields[static_cast<qsizetype>(3 + c)];
        }
        const QString side = fields[7].toUpper();
        if (side == QLatin1String("D") || side == QLatin1String("C")) {
            l.debit = side == QLatin1String("D");
        } else {
            Problem(line, QStringLiteral("the side %1 is neither D (debit) nor C (credit)")
                              .arg(Quoted(fields[7])));
            invalid_ = true;
        }
        const auto amount = ReadAmount(fields[8]);
        if (!amount || *amount <= 0) {
            Problem(line, QStringLiteral("the amount %1 is not a number greater than zero "
                                         "(digits, '.' as decimal point)")
                              .arg(Quoted(fields[8])));
            invalid_ = true;
        } else {
            l.amount = *amount;
        }
        l.description = fields[9];
        invalid_ = !Described(line, l.description) || invalid_;
        current_->lines.push_back(std::move(l));
    }

    // Checks what needs the whole journal and keeps it.
    void Close() {
        skipping_ = false;
        if (!current_) {
            return;
        }
        Journal j = std::move(*current_);
        current_.reset();
        const bool header = haveHeader_;
        haveHeader_ = false;
        if (!header) {
            Problem(j.lineNumber, QStringLiteral("the section has no header line"));
            return;
        }
        if (invalid_) {
            invalid_ = false;
            return;
        }
        if (j.lines.empty()) {
            Problem(j.lineNumber, QStringLiteral("journal %1 has no lines").arg(Quoted(j.label)));
            return;
        }
        if (j.balance != BalanceType::Unbalanced) {
            // Entity labels are compared as written: the loader maps them to members after.
            struct Sum {
                QString entity;  // as the first line of it writes it
                double debits = 0, credits = 0;
            };
            std::map<QString, Sum> sums;
            const bool byEntity = j.balance == BalanceType::BalancedByEntity;
            for (const JournalLine& l : j.lines) {
                Sum& sum = sums[byEntity ? l.entity.toCaseFolded() : QString()];
                if (sum.entity.isEmpty()) {
                    sum.entity = l.entity;
                }
                (l.debit ? sum.debits : sum.credits) += l.amount;
            }
            for (const auto& [key, sum] : sums) {
                if (!NearlyEqual(sum.debits, sum.credits)) {
                    Problem(j.lineNumber,
                            QStringLiteral("journal %1 is %2 but its debits (%3) and credits "
                                           "(%4)%5 differ")
                                .arg(Quoted(j.label), BalanceWord(j.balance),
                                     FormatAmount(sum.debits), FormatAmount(sum.credits),
                                     byEntity ? QStringLiteral(" for entity ") + Quoted(sum.entity)
                                              : QString()));
                    return;
                }
            }
        }
        const QString key = JournalKey(j);
        const auto [first, added] = firstLine_.try_emplace(key, j.lineNumber);
        if (!added) {
            Problem(j.lineNumber, QStringLiteral("the label %1 is used twice: line %2 has it "
                                                 "already")
                                      .arg(Quoted(j.label))
                                      .arg(first->second));
            return;
        }
        file_.journals.push_back(std::move(j));
    }

    JournalFile file_;
    std::optional<Journal> current_;
    bool haveHeader_ = false;
    bool invalid_ = false;   // the current journal has a problem already
    bool skipping_ = false;  // after a line that names no journal, until the next section
    std::map<QString, int> firstLine_;
};

}  // namespace

JournalFile ReadJournalFile(const QByteArray& bytes, const QString& fileName) {
    Reader reader;
    LineReader lines(bytes, fileName);
    QStringList fields;
    while (true) {
        try {
            if (!lines.Next()) {
                break;
            }
        } catch (const TarselError& error) {
            // The line is skipped; the text names the file and line itself.
            const QString where =
                QStringLiteral("%1, line %2: ").arg(fileName).arg(lines.LineNumber());
            QString reason = error.description();
            if (reason.startsWith(where)) {
                reason = reason.mid(where.size());
            }
            reader.Refused(lines.LineNumber(), reason);
            continue;
        }
        const QByteArrayView raw = lines.Line();
        const QString text = QString::fromUtf8(raw).trimmed();
        if (text.isEmpty() || text.startsWith(QLatin1Char('\''))) {
            continue;
        }
        if (text.startsWith(QLatin1Char('!'))) {
            reader.Section(lines.LineNumber(), text);
            continue;
        }
        const QString problem = SplitFields(raw, fields);
        if (!problem.isEmpty()) {
            reader.Refused(lines.LineNumber(), problem);
            continue;
        }
        reader.Record(lines.LineNumber(), fields);
    }
    return reader.Finish();
}

QByteArray WriteJournalFile(const std::vector<Journal>& journals) {
    QString text;
    const QString crlf = QStringLiteral("\r\n");
    for (const Journal& j : journals) {
        text += QLatin1String(kSections[static_cast<int>(j.kind)].word) + crlf;
        text += JoinFields({j.label, j.scenario, j.year, j.period, StatusWord(j.status),
                            BalanceWord(j.balance), j.description}) +
                crlf;
        for (const JournalLine& l : j.lines) {
            text +=
                JoinFields({l.entity, l.account, l.icp, l.customs[0], l.customs[1], l.customs[2],
                            l.customs[3], l.debit ? QStringLiteral("D") : QStringLiteral("C"),
                            FormatAmount(l.amount), l.description}) +
                crlf;
        }
    }
    return text.toUtf8();
}

QString JournalKey(const Journal& journal) {
    QStringList parts{QString::number(static_cast<int>(journal.kind))};
    if (journal.kind == JournalKind::Regular) {
        parts << journal.scenario << journal.year << journal.period;
    }
    parts << journal.label;
    return parts.join(QChar(0x1f)).toCaseFolded();
}

QString StatusWord(JournalStatus status) {
    return QLatin1String(kStatusWords[static_cast<int>(status)]);
}

QString BalanceWord(BalanceType balance) {
    return QLatin1String(kBalanceWords[static_cast<int>(balance)]);
}

std::optional<double> ReadAmount(QStringView text) {
    const QByteArray bytes = text.toUtf8();
    double amount = 0;
    if (!ParseAmount(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), amount)
             .isEmpty()) {
        return std::nullopt;
    }
    return amount;
}

QString FormatAmount(double amount) {
    return QString::fromStdString(AmountText(amount));
}

}  // namespace tarsel::local::format
