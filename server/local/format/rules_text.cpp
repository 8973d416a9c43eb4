#include "server/local/format/rules_text.h"

#include <QHash>
#include <optional>

#include "server/local/format/text_lines.h"

namespace tarsel::local::format {

namespace {

// The routines the server calls by name; any other routine is dead code.
constexpr const char* kCalledRoutines[] = {"Calculate", "Translate", "Consolidate", "Allocate",
                                           "Input",     "NoInput",   "Dynamic"};

struct Prefix {
    const char* text;
    Dimension dimension;
};
constexpr Prefix kPrefixes[] = {
    {"S", Dimension::Scenario}, {"Y", Dimension::Year},     {"P", Dimension::Period},
    {"W", Dimension::View},     {"E", Dimension::Entity},   {"V", Dimension::Value},
    {"A", Dimension::Account},  {"I", Dimension::ICP},      {"C1", Dimension::Custom1},
    {"C2", Dimension::Custom2}, {"C3", Dimension::Custom3}, {"C4", Dimension::Custom4},
};

struct MemberRef {
    QString prefix;
    Dimension dimension;
    QString label;
};

// The line up to a comment: an apostrophe outside a quoted label.
QStringView WithoutComment(QStringView line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'"') {
            quoted = !quoted;
        } else if (line[i] == u'\'' && !quoted) {
            return line.left(i);
        }
    }
    return line;
}

bool IsLabelEnd(QChar c) {
    return c.isSpace() || QStringView(u".=+-*/(),\"'#").contains(c);
}

// One assignment `reference = expression`, read left to right. Each Parse function
// returns false with why_ set when the text does not follow the grammar.
class AssignmentParser {
  public:
    explicit AssignmentParser(QStringView text) : text_(text) {}

    bool Parse() {
        if (!Reference() || !Expect(u'=') || !Expression()) {
            return false;
        }
        SkipBlanks();
        return pos_ == text_.size() || Fail(QStringLiteral("unexpected \"%1\"").arg(Rest()));
    }
    // Whether the text begins with a member reference followed by "=": an assignment,
    // however badly its right side is written. When it begins with a prefix and "#" but
    // the reference is wrong, why() says what is wrong with it.
    bool LooksLikeAssignment() {
        pos_ = 0;
        prefixRead_ = false;
        const bool reference = Reference();
        const bool assignment = reference && Expect(u'=');
        if (reference || !prefixRead_) {
            why_.clear();
        }
        pos_ = 0;
        references_.clear();
        return assignment;
    }

    const std::vector<MemberRef>& references() const { return references_; }
    const QString& why() const { return why_; }

  private:
    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_].isSpace()) {
            ++pos_;
        }
    }
    QString Rest() const { return text_.mid(pos_).toString(); }
    bool Fail(const QString& why) {
        why_ = why;
        return false;
    }
    bool Expect(QChar c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return Fail(pos_ < text_.size()
                        ? QStringLiteral("\"%1\" expected before \"%2\"").arg(c).arg(Rest())
                        : QStringLiteral("\"%1\" expected at the end").arg(c));
    }

    // Prefix#label joined by dots, each dimension once.
    bool Reference() {
        SkipBlanks();
        std::vector<Dimension> seen;
        do {
            const qsizetype start = pos_;
            while (pos_ < text_.size() && text_[pos_].isLetterOrNumber()) {
                ++pos_;
            }
            const QString prefix = text_.mid(start, pos_ - start).toString();
            if (prefix.isEmpty() || pos_ >= text_.size() || text_[pos_] != u'#') {
                return Fail(
                    prefix.isEmpty()
                        ? QStringLiteral("a member reference expected before \"%1\"").arg(Rest())
                        : QStringLiteral("\"%1\" is no member reference (such as "
                                         "A#Sales)")
                              .arg(prefix));
            }
            ++pos_;
            prefixRead_ = true;
            const Prefix* known = nullptr;
            for (const Prefix& p : kPrefixes) {
                if (prefix.compare(QLatin1String(p.text), Qt::CaseInsensitive) == 0) {
                    known = &p;
                }
            }
            if (!known) {
                return Fail(QStringLiteral("unknown member-reference prefix \"%1#\" (the "
                                           "prefixes are S#, Y#, P#, W#, E#, V#, A#, I#, C1# to "
                                           "C4#)")
                                .arg(prefix));
            }
            if (std::find(seen.begin(), seen.end(), known->dimension) != seen.end()) {
                return Fail(QStringLiteral("%1 is named twice in one reference (%2# a second "
                                           "time; a reference names each dimension once)")
                                .arg(DimensionDisplayName(known->dimension), prefix));
            }
            seen.push_back(known->dimension);
            QString label;
            if (!Label(label)) {
                return false;
            }
            references_.push_back({prefix, known->dimension, label});
        } while (pos_ < text_.size() && text_[pos_] == u'.' && ++pos_);
        return true;
    }

    // "quoted" (a quote doubled inside), [bracketed], <angled>, or a run up to a blank,
    // a dot or an operator.
    bool Label(QString& label) {
        if (pos_ < text_.size() && text_[pos_] == u'"') {
            for (++pos_; pos_ < text_.size(); ++pos_) {
                if (text_[pos_] == u'"') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == u'"') {
                        label += u'"';
                        ++pos_;
                        continue;
                    }
                    ++pos_;
                    return !label.isEmpty() || Fail(QStringLiteral("an empty label"));
                }
                label += text_[pos_];
            }
            return Fail(QStringLiteral("a quoted label is not closed"));
        }
        if (pos_ < text_.size() && (text_[pos_] == u'[' || text_[pos_] == u'<')) {
            const QChar close = text_[pos_] == u'[' ? u']' : u'>';
            const qsizetype end = text_.indexOf(close, pos_);
            if (end < 0) {
                return Fail(QStringLiteral("\"%1\" missing after \"%2\"").arg(close).arg(Rest()));
            }
            label = text_.mid(pos_, end + 1 - pos_).toString();
            pos_ = end + 1;
            return true;
        }
        const qsizetype start = pos_;
        while (pos_ < text_.size() && !IsLabelEnd(text_[pos_])) {
            ++pos_;
        }
        label = text_.mid(start, pos_ - start).toString();
        return !label.isEmpty() || Fail(QStringLiteral("a label expected after \"#\""));
    }

    bool Expression() { return Chain(u'+', u'-', &AssignmentParser::Term); }
    bool Term() { return Chain(u'*', u'/', &AssignmentParser::Factor); }
    // operand, then any number of (op operand) with op one of the two operators.
    bool Chain(QChar op1, QChar op2, bool (AssignmentParser::*operand)()) {
        if (!(this->*operand)()) {
            return false;
        }
        for (SkipBlanks(); pos_ < text_.size() && (text_[pos_] == op1 || text_[pos_] == op2);
             SkipBlanks()) {
            ++pos_;
            if (!(this->*operand)()) {
                return false;
            }
        }
        return true;
    }
    bool Factor() {
        SkipBlanks();
        if (pos_ >= text_.size()) {
            return Fail(QStringLiteral("the expression ends too early"));
        }
        const QChar c = text_[pos_];
        if (c == u'-' || c == u'+') {
            ++pos_;
            return Factor();
        }
        if (c == u'(') {
            ++pos_;
            return Expression() && Expect(u')');
        }
        if (c.isDigit()) {
            while (pos_ < text_.size() && text_[pos_].isDigit()) {
                ++pos_;
            }
            if (pos_ + 1 < text_.size() && text_[pos_] == u'.' && text_[pos_ + 1].isDigit()) {
                for (++pos_; pos_ < text_.size() && text_[pos_].isDigit(); ++pos_) {
                }
            }
            return true;
        }
        return Reference();
    }

    QStringView text_;
    qsizetype pos_ = 0;
    QString why_;
    bool prefixRead_ = false;
    std::vector<MemberRef> references_;
};

// Whether the words of text are exactly these, compared without regard to case.
bool IsWords(QStringView text, std::initializer_list<const char*> words) {
    const QStringList parts = text.toString().simplified().split(u' ');
    if (static_cast<size_t>(parts.size()) != words.size()) {
        return false;
    }
    auto word = words.begin();
    for (const QString& part : parts) {
        if (part.compare(QLatin1String(*word++), Qt::CaseInsensitive) != 0) {
            return false;
        }
    }
    return true;
}

// The routine name of a line `Sub Name()` (the parentheses may be left out); empty for
// any other line, nullopt for a Sub line that names no routine.
std::optional<QString> SubName(QStringView text, bool& isSub) {
    isSub = false;
    if (!text.startsWith(QLatin1String("Sub"), Qt::CaseInsensitive) ||
        (text.size() > 3 && !text[3].isSpace())) {
        return QString();
    }
    isSub = true;
    QString rest = text.mid(3).toString();
    rest.remove(u' ').remove(u'\t');
    if (rest.endsWith(QLatin1String("()"))) {
        rest.chop(2);
    }
    const bool name = !rest.isEmpty() && (rest[0].isLetter() || rest[0] == u'_') &&
                      std::all_of(rest.begin(), rest.end(),
                                  [](QChar c) { return c.isLetterOrNumber() || c == u'_'; });
    return name ? std::optional<QString>(rest) : std::nullopt;
}

class RulesChecker {
  public:
    RulesChecker(const MemberLookup& isMember, bool checkIcp)
        : isMember_(isMember), checkIcp_(checkIcp) {}

    void Line(int number, QStringView raw) {
        const QStringView text = WithoutComment(raw).trimmed();
        if (text.isEmpty() || IsRem(text)) {
            return;
        }
        bool isSub = false;
        const std::optional<QString> sub = SubName(text, isSub);
        if (isSub) {
            if (!sub) {
                Error(number, QStringLiteral("a routine begins with a line such as Sub "
                                             "Calculate(), not \"%1\"")
                                  .arg(text));
                return;
            }
            Open(number, *sub);
        } else if (IsWords(text, {"End", "Sub"})) {
            if (!open_) {
                Error(number, QStringLiteral("End Sub without a Sub before it"));
                return;
            }
            Close();
        } else if (!open_) {
            if (!IsWords(text, {"Option", "Explicit"})) {
                Error(number, QStringLiteral("\"%1\" stands outside any routine (only comments "
                                             "and Option Explicit may)")
                                  .arg(text));
            }
        } else {
            ++open_->statements;
            Assignment(number, text);
        }
    }

    std::vector<FileProblem> Finish() {
        if (open_) {
            Error(open_->line,
                  QStringLiteral("Sub %1 is never closed: End Sub missing").arg(open_->name));
        }
        std::stable_sort(
            problems_.begin(), problems_.end(),
            [](const FileProblem& a, const FileProblem& b) { return a.line < b.line; });
        return std::move(problems_);
    }

  private:
    struct Routine {
        QString name;
        int line;
        int statements = 0;
    };

    static bool IsRem(QStringView text) {
        return text.startsWith(QLatin1String("Rem"), Qt::CaseInsensitive) &&
               (text.size() == 3 || text[3].isSpace());
    }

    void Error(int line, const QString& reason) { problems_.push_back({line, true, reason}); }
    void Warning(int line, const QString& reason) { problems_.push_back({line, false, reason}); }

    void Open(int line, const QString& name) {
        if (open_) {
            Error(line, QStringLiteral("Sub %1 begins inside Sub %2 of line %3: End Sub missing")
                            .arg(name, open_->name)
                            .arg(open_->line));
            Close();
        }
        const QString key = name.toCaseFolded();
        if (const auto first = defined_.constFind(key); first != defined_.constEnd()) {
            Error(
                line,
                QStringLiteral("Sub %1 is defined twice (first on line %2)").arg(name).arg(*first));
        } else {
            defined_.insert(key, line);
        }
        if (std::none_of(std::begin(kCalledRoutines), std::end(kCalledRoutines),
                         [&](const char* called) {
                             return name.compare(QLatin1String(called), Qt::CaseInsensitive) == 0;
                         })) {
            QStringList called;
            for (const char* c : kCalledRoutines) {
                called << QLatin1String(c);
            }
            Warning(line, QStringLiteral("the server never calls Sub %1 (it calls %2)")
                              .arg(name, called.join(QStringLiteral(", "))));
        }
        open_ = Routine{name, line};
    }

    void Close() {
        if (open_->statements == 0) {
            Warning(open_->line, QStringLiteral("Sub %1 is empty").arg(open_->name));
        }
        open_.reset();
    }

    void Assignment(int line, QStringView text) {
        AssignmentParser parser(text);
        if (!parser.LooksLikeAssignment()) {
            Error(line, parser.why().isEmpty()
                            ? QStringLiteral("unknown statement \"%1\": a routine holds "
                                             "assignments such as A#Margin = A#Sales - A#Costs")
                                  .arg(text)
                            : QStringLiteral("%1 in \"%2\"").arg(parser.why()).arg(text));
            return;
        }
        if (!parser.Parse()) {
            Error(line, QStringLiteral("%1 in \"%2\"").arg(parser.why()).arg(text));
            return;
        }
        for (const MemberRef& ref : parser.references()) {
            if ((ref.dimension != Dimension::ICP || checkIcp_) &&
                !isMember_(ref.dimension, ref.label)) {
                Error(line, QStringLiteral("%1#%2: \"%2\" is not a member of %3")
                                .arg(ref.prefix, ref.label, DimensionDisplayName(ref.dimension)));
            }
        }
    }

    const MemberLookup& isMember_;
    bool checkIcp_;
    std::optional<Routine> open_;
    QHash<QString, int> defined_;
    std::vector<FileProblem> problems_;
};

}  // namespace

std::vector<FileProblem> CheckRulesText(const QByteArray& bytes, const QString& fileName,
                                        const MemberLookup& isMember, bool checkIcp) {
    LineReader reader(bytes, fileName);
    RulesChecker checker(isMember, checkIcp);
    while (reader.Next()) {
        checker.Line(reader.LineNumber(), QString::fromUtf8(reader.Line()));
    }
    return checker.Finish();
}

}  // namespace tarsel::local::format
