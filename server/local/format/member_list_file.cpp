#include "server/local/format/member_list_file.h"

#include <QHash>
#include <QSet>
#include <map>
#include <optional>

#include "server/local/format/text_lines.h"

namespace tarsel::local::format {

namespace {

struct Token {
    enum Kind { Word, String, Number, Punct } kind;
    QString text;
};

// Splits one script line into tokens; a comment (an apostrophe outside a string, or Rem)
// ends the line. Returns an empty text on success, else the reason.
QString Lex(const QString& line, std::vector<Token>& tokens) {
    tokens.clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        const QChar c = line[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'\'') {
            return {};
        } else if (c == u'"') {
            QString text;
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        text += u'"';
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                text += line[i++];
            }
            if (!closed) {
                return QStringLiteral("a string is not closed (unterminated quote)");
            }
            tokens.push_back({Token::String, text});
        } else if (c.isDigit()) {
            const qsizetype start = i;
            while (i < n && line[i].isDigit()) {
                ++i;
            }
            tokens.push_back({Token::Number, line.mid(start, i - start)});
        } else if (c.isLetter() || c == u'_') {
            const qsizetype start = i;
            while (i < n && (line[i].isLetterOrNumber() || line[i] == u'_' || line[i] == u'.')) {
                ++i;
            }
            const QString word = line.mid(start, i - start);
            if (tokens.empty() && word.compare(u"Rem", Qt::CaseInsensitive) == 0) {
                return {};
            }
            tokens.push_back({Token::Word, word});
        } else {
            tokens.push_back({Token::Punct, QString(c)});
            ++i;
        }
    }
    return {};
}

bool IsWord(const Token& t, const char* word) {
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}
bool IsPunct(const Token& t, char c) {
    return t.kind == Token::Punct && t.text == QChar(c);
}

// Matches tokens against a pattern of words (case-insensitive), "$s" a string, "$n" a
// number, "$w" any word, other one-character items punctuation. Captures strings,
// numbers and words in order.
bool Match(const std::vector<Token>& tokens, std::initializer_list<const char*> pattern,
           QStringList* captures = nullptr) {
    if (tokens.size() != pattern.size()) {
        return false;
    }
    QStringList caught;
    size_t i = 0;
    for (const char* p : pattern) {
        const Token& t = tokens[i++];
        const QLatin1String item(p);
        if (item == QLatin1String("$s") || item == QLatin1String("$n") ||
            item == QLatin1String("$w")) {
            const Token::Kind want = item == QLatin1String("$s")   ? Token::String
                                     : item == QLatin1String("$n") ? Token::Number
                                                                   : Token::Word;
            if (t.kind != want) {
                return false;
            }
            caught.append(t.text);
        } else if (item.size() == 1 && !QChar(p[0]).isLetter()) {
            if (!IsPunct(t, p[0])) {
                return false;
            }
        } else if (!IsWord(t, p)) {
            return false;
        }
    }
    if (captures) {
        *captures = caught;
    }
    return true;
}

// The label of a builder line BR.AddMemberToList "<label>" taken verbatim between the
// first and the last quote: the builder writes labels unchanged, quotes included.
std::optional<QString> VerbatimAddedLabel(const QString& line) {
    const QString text = line.trimmed();
    const QLatin1String keyword("BR.AddMemberToList");
    if (!text.startsWith(keyword, Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    const QString rest = text.mid(keyword.size()).trimmed();
    if (rest.size() < 2 || !rest.startsWith(u'"') || !rest.endsWith(u'"') ||
        text.size() == keyword.size() || !text[keyword.size()].isSpace()) {
        return std::nullopt;
    }
    return rest.mid(1, rest.size() - 2);
}

// The builder writes list names and labels unchanged between quotes, so that a quote
// in them is no end of a string, `""` no escaped quote and `'` no comment. Its own two
// line shapes are therefore read as written, before the general rules: a member line
//     five tabs, BR.AddMemberToList, one blank, "label"
// and, once the administrator has numbered it, a list name line
//     three tabs, a<dimension>Lists(n) = "name"
// with nothing after the closing quote. Lines spelt any other way follow the general rules.
std::optional<QString> BuilderMemberLabel(const QString& line) {
    static const QString shape = QStringLiteral("\t\t\t\t\tBR.AddMemberToList \"");
    if (!line.startsWith(shape) || !line.endsWith(u'"')) {
        return std::nullopt;
    }
    return VerbatimAddedLabel(line);
}

struct ListDeclaration {
    QString number;
    QString name;
};

std::optional<ListDeclaration> BuilderListDeclaration(const QString& line) {
    static const QString indent = QStringLiteral("\t\t\ta");
    static const QLatin1String arrayEnd("Lists(");
    static const QLatin1String assign(") = \"");
    if (!line.startsWith(indent) || !line.endsWith(u'"')) {
        return std::nullopt;
    }
    qsizetype i = indent.size();
    while (i < line.size() && line[i].isLetterOrNumber()) {
        ++i;
    }
    // a + the dimension's name (at least one character) + Lists(
    if (i - indent.size() < 6 || QStringView(line).mid(i - 5, 6) != arrayEnd) {
        return std::nullopt;
    }
    const qsizetype digits = ++i;
    while (i < line.size() && line[i].isDigit()) {
        ++i;
    }
    if (i == digits || QStringView(line).mid(i, assign.size()) != assign) {
        return std::nullopt;
    }
    const qsizetype nameStart = i + assign.size();
    if (nameStart >= line.size()) {
        return std::nullopt;  // the opening quote is the line's last character
    }
    return ListDeclaration{line.mid(digits, i - digits),
                           line.mid(nameStart, line.size() - nameStart - 1)};
}

class ListFileParser {
  public:
    ListFileParser(const QByteArray& bytes, const QString& fileName) : reader_(bytes, fileName) {}

    MemberListFileContent Parse() {
        while (reader_.Next()) {
            Statement(QString::fromUtf8(reader_.Line()));
        }
        if (state_ != State::Top) {
            ThrowMalformed(reader_.FileName(), reader_.LineNumber(),
                           QStringLiteral("the file ends inside a Sub or Select (End Sub or End "
                                          "Select missing)"));
        }
        return Assemble();
    }

  private:
    enum class State {
        Top,
        ListsSub,
        ListsSelect,
        MembersSub,
        MembersDimSelect,
        MembersListSelect
    };

    struct Declared {
        QString name;
        int line;
    };
    struct Entry {
        MemberListEntry entry;
        int line;
    };
    struct DimensionLists {
        std::map<int, Declared> declared;  // list number -> name
        std::map<int, std::vector<Entry>> entries;
        std::map<int, int> caseLines;  // list number -> line of its first Case
    };

    [[noreturn]] void Fail(const QString& reason) { reader_.Fail(reason); }

    [[noreturn]] void NotUnderstood(const QString& line, const char* where) {
        Fail(QStringLiteral("\"%1\" is not understood %2 (only static lists are read)")
                 .arg(line.trimmed(), QLatin1String(where)));
    }

    void RequireDimension(const QString& line) {
        if (!dimension_) {
            Fail(
                QStringLiteral("\"%1\" comes before any Case \"<dimension>\"").arg(line.trimmed()));
        }
    }

    int ListNumber(const QString& text) {
        bool ok = false;
        const int number = text.toInt(&ok);
        if (!ok || number < 1) {
            Fail(QStringLiteral("list number \"%1\" must be a whole number from 1").arg(text));
        }
        return number;
    }

    void CaseDimension(const std::vector<Token>& tokens, const QString& line) {
        QStringList caught;
        if (!Match(tokens, {"Case", "$s"}, &caught)) {
            if (std::any_of(tokens.begin(), tokens.end(),
                            [](const Token& t) { return IsPunct(t, '#'); })) {
                Fail(QStringLiteral("the placeholder # is still in \"%1\"").arg(line.trimmed()));
            }
            NotUnderstood(line, "where Case \"<dimension>\" is expected");
        }
        dimension_ = ParseDimensionName(caught[0]);
        if (!dimension_) {
            Fail(QStringLiteral("unknown dimension \"%1\"").arg(caught[0]));
        }
    }

    DimensionLists& Current() { return dims_[static_cast<size_t>(*dimension_)]; }

    // Reads a line of the builder's own shape; false for any other line.
    bool BuilderLine(const QString& line) {
        if (state_ == State::MembersListSelect && listNumber_) {
            if (auto label = BuilderMemberLabel(line)) {
                AddEntry({*label, {}});
                return true;
            }
        } else if (state_ == State::ListsSelect && dimension_) {
            if (auto declared = BuilderListDeclaration(line)) {
                DeclareList(ListNumber(declared->number), declared->name);
                return true;
            }
        }
        return false;
    }

    void Statement(const QString& line) {
        if (BuilderLine(line)) {
            return;
        }
        if (const QString error = Lex(line, tokens_); !error.isEmpty()) {
            if (state_ == State::MembersListSelect && listNumber_) {
                if (auto label = VerbatimAddedLabel(line)) {
                    AddEntry({*label, {}});
                    return;
                }
            }
            Fail(error);
        }
        if (tokens_.empty()) {
            return;
        }
        for (const Token& t : tokens_) {
            if (IsPunct(t, '#')) {
                Fail(QStringLiteral("the placeholder # is still in \"%1\"; replace it with the "
                                    "list's number")
                         .arg(line.trimmed()));
            }
            if (IsPunct(t, ':')) {
                Fail(QStringLiteral("one statement per line"));
            }
        }
        QStringList caught;
        const bool endSelect = Match(tokens_, {"End", "Select"});
        const bool endSub = Match(tokens_, {"End", "Sub"});
        switch (state_) {
            case State::Top:
                if (Match(tokens_, {"Option", "Explicit"})) {
                    return;
                }
                if (Match(tokens_, {"Sub", "EnumMemberLists", "(", ")"}) ||
                    Match(tokens_, {"Sub", "EnumMemberLists"})) {
                    state_ = State::ListsSub;
                    return;
                }
                if (Match(tokens_, {"Sub", "EnumMembersInList", "(", ")"}) ||
                    Match(tokens_, {"Sub", "EnumMembersInList"})) {
                    state_ = State::MembersSub;
                    return;
                }
                NotUnderstood(line, "outside Sub EnumMemberLists and Sub EnumMembersInList");
            case State::ListsSub:
                if (Match(tokens_, {"Dim", "$w", "(", "$n", ")"})) {
                    return;
                }
                if (Match(tokens_, {"Select", "Case", "BR.Dimension"})) {
                    state_ = State::ListsSelect;
                    dimension_.reset();
                    return;
                }
                if (endSub) {
                    state_ = State::Top;
                    return;
                }
                NotUnderstood(line, "in Sub EnumMemberLists");
            case State::ListsSelect:
                if (IsWord(tokens_[0], "Case")) {
                    CaseDimension(tokens_, line);
                    return;
                }
                if (endSelect) {
                    state_ = State::ListsSub;
                    return;
                }
                if (Match(tokens_, {"$w", "(", "$n", ")", "=", "$s"}, &caught)) {
                    RequireDimension(line);
                    DeclareList(ListNumber(caught[1]), caught[2]);
                    return;
                }
                if (Match(tokens_, {"BR.SetMemberLists", "$w"})) {
                    RequireDimension(line);
                    return;
                }
                NotUnderstood(line, "in the Select Case BR.Dimension of EnumMemberLists");
            case State::MembersSub:
                if (Match(tokens_, {"Select", "Case", "BR.Dimension"})) {
                    state_ = State::MembersDimSelect;
                    dimension_.reset();
                    return;
                }
                if (endSub) {
                    state_ = State::Top;
                    return;
                }
                NotUnderstood(line, "in Sub EnumMembersInList");
            case State::MembersDimSelect:
                if (IsWord(tokens_[0], "Case")) {
                    CaseDimension(tokens_, line);
                    return;
                }
                if (Match(tokens_, {"Select", "Case", "BR.MemberListID"})) {
                    RequireDimension(line);
                    state_ = State::MembersListSelect;
                    listNumber_.reset();
                    return;
                }
                if (endSelect) {
                    state_ = State::MembersSub;
                    return;
                }
                NotUnderstood(line, "in the Select Case BR.Dimension of EnumMembersInList");
            case State::MembersListSelect:
                if (Match(tokens_, {"Case", "$n"}, &caught)) {
                    listNumber_ = ListNumber(caught[0]);
                    Current().caseLines.emplace(*listNumber_, reader_.LineNumber());
                    return;
                }
                if (endSelect) {
                    state_ = State::MembersDimSelect;
                    return;
                }
                if (Match(tokens_, {"BR.AddMemberToList", "$s"}, &caught)) {
                    RequireList(line);
                    AddEntry({caught[0], {}});
                    return;
                }
                if (Match(tokens_, {"BR.AddEntityToList", "$s", ",", "$s"}, &caught)) {
                    RequireList(line);
                    if (*dimension_ != Dimension::Entity) {
                        Fail(QStringLiteral("BR.AddEntityToList is only for Entity lists"));
                    }
                    AddEntry({caught[1], caught[0]});
                    return;
                }
                if (auto label = VerbatimAddedLabel(line); label && listNumber_) {
                    AddEntry({*label, {}});
                    return;
                }
                NotUnderstood(line, "in the Select Case BR.MemberListID of EnumMembersInList");
        }
    }

    void RequireList(const QString& line) {
        if (!listNumber_) {
            Fail(QStringLiteral("\"%1\" comes before any Case <list number>").arg(line.trimmed()));
        }
    }

    void DeclareList(int number, const QString& name) {
        if (name.trimmed().isEmpty()) {
            Fail(QStringLiteral("empty member list name"));
        }
        DimensionLists& lists = Current();
        const QString dimName = DimensionDisplayName(*dimension_);
        if (lists.declared.count(number)) {
            Fail(QStringLiteral("list number %1 of %2 is named twice").arg(number).arg(dimName));
        }
        for (const auto& [_, declared] : lists.declared) {
            if (declared.name.compare(name, Qt::CaseInsensitive) == 0) {
                Fail(QStringLiteral("list \"%1\" of %2 is declared twice").arg(name, dimName));
            }
        }
        lists.declared.emplace(number, Declared{name, reader_.LineNumber()});
    }

    void AddEntry(MemberListEntry entry) {
        if (entry.member.isEmpty()) {
            Fail(QStringLiteral("empty member label"));
        }
        Current().entries[*listNumber_].push_back({std::move(entry), reader_.LineNumber()});
    }

    MemberListFileContent Assemble() {
        MemberListFileContent content;
        for (size_t d = 0; d < dims_.size(); ++d) {
            DimensionLists& lists = dims_[d];
            for (const auto& [number, line] : lists.caseLines) {
                if (!lists.declared.count(number)) {
                    ThrowMalformed(reader_.FileName(), line,
                                   QStringLiteral("list number %1 of %2 is not named in "
                                                  "EnumMemberLists")
                                       .arg(number)
                                       .arg(DimensionDisplayName(static_cast<int>(d))));
                }
            }
            for (auto& [number, declared] : lists.declared) {
                MemberListModel list{declared.name, {}};
                std::vector<int> lines;
                for (Entry& e : lists.entries[number]) {
                    list.entries.push_back(std::move(e.entry));
                    lines.push_back(e.line);
                }
                content.lists[d].push_back(std::move(list));
                content.entryLines[d].push_back(std::move(lines));
            }
        }
        return content;
    }

    LineReader reader_;
    State state_ = State::Top;
    std::optional<Dimension> dimension_;
    std::optional<int> listNumber_;
    std::vector<Token> tokens_;
    std::array<DimensionLists, kDimensionCount> dims_;
};

}  // namespace

MemberListFileContent ParseMemberListFile(const QByteArray& bytes, const QString& fileName) {
    return ListFileParser(bytes, fileName).Parse();
}

void ApplyMemberListFile(AppModel& model, const QByteArray& bytes, const QString& fileName) {
    MemberListFileContent content = ParseMemberListFile(bytes, fileName);
    for (size_t d = 0; d < content.lists.size(); ++d) {
        const DimensionModel& dim = model.dimensions[d];
        QHash<QString, QString> labels;  // case-folded -> label as defined
        labels.reserve(static_cast<qsizetype>(dim.members.size()));
        for (const MemberModel& m : dim.members) {
            labels.insert(m.label.toCaseFolded(), m.label);
        }
        const QString dimName = DimensionDisplayName(static_cast<int>(d));
        for (size_t l = 0; l < content.lists[d].size(); ++l) {
            MemberListModel& list = content.lists[d][l];
            for (size_t e = 0; e < list.entries.size(); ++e) {
                MemberListEntry& entry = list.entries[e];
                const int line = content.entryLines[d][l][e];
                for (QString* label : {&entry.member, &entry.parent}) {
                    if (label->isEmpty()) {
                        continue;
                    }
                    const auto it = labels.constFind(label->toCaseFolded());
                    if (it == labels.constEnd()) {
                        ThrowMalformed(fileName, line,
                                       QStringLiteral("list \"%1\": \"%2\" is not a member of %3")
                                           .arg(list.name, *label, dimName));
                    }
                    *label = it.value();
                }
            }
        }
    }
    for (size_t d = 0; d < content.lists.size(); ++d) {
        model.dimensions[d].memberLists = std::move(content.lists[d]);
    }
    model.memberListFile = bytes;
}

}  // namespace tarsel::local::format
