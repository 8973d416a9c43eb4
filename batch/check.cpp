#include "batch/check.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <vector>

#include "batch/command_file.h"
#include "batch/dispatch.h"
#include "batch/error_text.h"

namespace tarsel::batch {

namespace {

int EditDistance(const QString& a, const QString& b) {
    std::vector<int> row(static_cast<size_t>(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j) {
        row[j] = static_cast<int>(j);
    }
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[static_cast<size_t>(j)];
            const int change = diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            row[static_cast<size_t>(j)] =
                std::min({above + 1, row[static_cast<size_t>(j - 1)] + 1, change});
            diagonal = above;
        }
    }
    return row.back();
}

// What the lines read so far will have made by the time a line runs.
class CheckState {
  public:
    CheckState(QString file, const RunTimestamps& stamps, QTextStream& out)
        : file_(std::move(file)), stamps_(stamps), out_(out) {}

    void Report(int line, const QString& message) {
        out_ << file_ << ':' << line << ": " << message << '\n';
        ++findings;
    }

    void CheckLine(int number, const QString& text);

    int findings = 0;

  private:
    QString Absolute(const QString& path) const {
        return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    }
    bool FolderThere(const QString& folder) const {
        return QFileInfo(folder).isDir() || made_.contains(Absolute(folder));
    }
    QString FolderOf(const QString& path) const {
        const QString folder = QFileInfo(path).path();
        return folder.isEmpty() ? QStringLiteral(".") : folder;
    }
    void CheckRule(int line, const DispatchEntry& command, const ParamRule& rule,
                   const QStringList& params);

    QString file_;
    const RunTimestamps& stamps_;
    QTextStream& out_;
    QSet<QString> made_;  // files and folders earlier lines write
    bool loggedOn_ = false;
    bool reportedNoLogon_ = false;
};

void CheckState::CheckRule(int line, const DispatchEntry& command, const ParamRule& rule,
                           const QStringList& params) {
    const QString keyword = QString::fromLatin1(command.keyword);
    const QString value = Param(params, rule.position);
    const QString where = QStringLiteral("%1 parameter %2").arg(keyword).arg(rule.position);
    const QString path = ReplaceTimestampTokens(value, stamps_);
    switch (rule.kind) {
        case ParamKind::Word:
            if (!WordAllowed(rule, value)) {
                Report(line, QStringLiteral("%1: \"%2\" is refused: %3")
                                 .arg(where, value, QString::fromLatin1(rule.message)));
            }
            return;
        case ParamKind::PeriodFrom: {
            const QString to = Param(params, rule.position + 1);
            if (ExtractPeriodLabels(value, to).isEmpty()) {
                Report(line, QStringLiteral("%1: the periods \"%2\" to \"%3\" are refused: %4")
                                 .arg(where, value, to, QString::fromLatin1(rule.message)));
            }
            return;
        }
        case ParamKind::PeriodTo:
            return;
        case ParamKind::InputFile: {
            if (!WordAllowed(rule, value)) {
                Report(line, QStringLiteral("%1: \"%2\" is refused: %3")
                                 .arg(where, value, QString::fromLatin1(rule.message)));
            }
            if (made_.contains(Absolute(path))) {
                return;
            }
            const QFileInfo info(path);
            if (path.isEmpty() || !info.exists()) {
                Report(line,
                       QStringLiteral("%1: the input file \"%2\" does not exist").arg(where, path));
            } else if (info.isDir() || !info.isReadable()) {
                Report(line,
                       QStringLiteral("%1: the input file \"%2\" cannot be read").arg(where, path));
            }
            return;
        }
        case ParamKind::LogFile:
        case ParamKind::OutputFile:
            if (path.isEmpty() && rule.kind == ParamKind::LogFile) {
                return;
            }
            if (!FolderThere(FolderOf(path))) {
                Report(line,
                       QStringLiteral("%1: the folder of \"%2\" does not exist").arg(where, path));
            }
            made_.insert(Absolute(path));
            return;
        case ParamKind::NewFolder:
            if (QFileInfo::exists(path) || made_.contains(Absolute(path))) {
                Report(line, QStringLiteral("%1: \"%2\" already exists").arg(where, path));
            } else if (!FolderThere(FolderOf(path))) {
                Report(line, QStringLiteral("%1: the folder that would hold \"%2\" does not exist")
                                 .arg(where, path));
            }
            made_.insert(Absolute(path));
            return;
        case ParamKind::Program: {
            const QFileInfo info(
                value.contains(QLatin1Char('/')) ? value : QStandardPaths::findExecutable(value));
            if (value.isEmpty() || !info.isFile() || !info.isExecutable()) {
                Report(line, QStringLiteral("%1: \"%2\" is not a program that can be started")
                                 .arg(where, value));
            }
            return;
        }
    }
}

void CheckState::CheckLine(int number, const QString& text) {
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QString keyword = (blank < 0 ? text : text.left(blank)).trimmed().toUpper();
    const QStringList params = blank < 0 ? QStringList() : text.mid(blank).split(QLatin1Char(','));
    const DispatchEntry* command = FindCommand(keyword);
    if (!command) {
        if (keyword.isEmpty() || text.at(0).isSpace()) {
            Report(number, QStringLiteral("the line begins with a blank, so it has no keyword"));
        } else {
            Report(number, QStringLiteral("unknown command \"%1\"; did you mean %2?")
                               .arg(keyword, NearestKeyword(keyword)));
        }
        return;
    }
    if (command->kind == CommandKind::Server && !loggedOn_ && !reportedNoLogon_) {
        Report(number, QStringLiteral("%1 before the first LOGON: the run stops here "
                                      "(\"Not connected\")")
                           .arg(keyword));
        reportedNoLogon_ = true;
    }
    if (command->kind == CommandKind::Logon) {
        loggedOn_ = true;
        if (!Param(params, 4).isEmpty()) {
            Report(number, QStringLiteral("LOGON takes its password from the command file; give it "
                                          "in TARSEL_PASSWORD (or on the command line) instead"));
        }
    }
    if (params.size() < command->required) {
        Report(number, QStringLiteral("%1 expects %2 parameters, found %3")
                           .arg(keyword)
                           .arg(command->required)
                           .arg(params.size()));
        return;
    }
    const bool quitField =
        command->kind == CommandKind::Server || command->kind == CommandKind::SessionFree;
    if (quitField && params.size() == command->required + 1) {
        try {
            QuitOnFailureValue(params.last());
        } catch (const TarselError&) {
            Report(number, QStringLiteral("%1: the quit-on-failure field \"%2\" is neither True, "
                                          "False nor a number")
                               .arg(keyword, params.last().trimmed()));
        }
    }
    for (const ParamRule& rule : command->rules) {
        CheckRule(number, *command, rule, params);
    }
}

}  // namespace

QString NearestKeyword(const QString& word) {
    QString nearest;
    int best = -1;
    for (const QString& keyword : CommandKeywords()) {
        const int distance = EditDistance(word, keyword);
        if (best < 0 || distance < best) {
            best = distance;
            nearest = keyword;
        }
    }
    return nearest;
}

int CheckCommandFile(const QString& path, const RunTimestamps& stamps, QTextStream& out) {
    CheckState state(path, stamps, out);
    try {
        CommandFileReader reader(path);
        CommandFileLine line;
        bool any = false;
        while (reader.Next(line)) {
            const QString trimmed = line.text.trimmed();
            if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('\''))) {
                continue;
            }
            any = true;
            if (!line.problem.isEmpty()) {
                state.Report(line.number, line.problem);
                continue;
            }
            state.CheckLine(line.number, line.text);
        }
        if (!any) {
            out << path << ": no commands found\n";
            ++state.findings;
        }
    } catch (const TarselError& error) {
        out << path << ": " << error.description() << '\n';
        ++state.findings;
    }
    out.flush();
    return state.findings;
}

}  // namespace tarsel::batch
