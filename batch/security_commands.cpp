#include "batch/commands.h"
#include "batch/dispatch.h"

namespace tarsel::batch {

namespace {

constexpr int32_t kRulesCheckFailed = 40011;
constexpr int32_t kInvalidUsers = 40057;

// The option words of parameters first..first+count-1, upper-cased, as the entries show
// them whether or not they are valid.
QStringList OptionWords(const CommandCall& call, int first, int count) {
    QStringList words;
    for (int position = first; position < first + count; ++position) {
        words << Param(call.params, position).toUpper();
    }
    return words;
}

// "<label> = <word>, " for each label, the last without the comma; the log shows the
// text from breakBefore on (an index into labels) on a second line after 18 blanks.
QString OptionList(const QStringList& labels, const QStringList& words, int breakBefore) {
    QString text;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        if (i == breakBefore) {
            text += QStringLiteral("\r\n") + QString(18, u' ');
        }
        text += labels[i] + QStringLiteral(" = ") + words.value(i);
        if (i + 1 < labels.size()) {
            text += QStringLiteral(", ");
        }
    }
    return text;
}

const QStringList kLoadLabels = {
    QStringLiteral("Clear All Security"), QStringLiteral("Load Users and Groups"),
    QStringLiteral("Load Security Classes"), QStringLiteral("Load Role Access"),
    QStringLiteral("Load Security Class Access")};
const QStringList kExtractLabels = {
    QStringLiteral("Extract Users and Groups"), QStringLiteral("Extract Security Classes"),
    QStringLiteral("Extract Role Access"), QStringLiteral("Extract Security Class Access")};

// Sets each option from first on to the truth value of the word at position from on,
// each word judged by the row's rule right before its option is set.
void SetWordOptions(CommandCall& call, LoadOptions& options, int32_t firstOption, int from,
                    int count) {
    for (int i = 0; i < count; ++i) {
        const QString word = ReadWord(call, from + i);
        options.Item(firstOption + i)->SetCurrentValue(word == QLatin1String("TRUE"));
    }
}

}  // namespace

// The check-ICP word is judged before the server is asked for anything.
void LoadRules(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    const QString checkIcp = ReadWord(call, 3);
    const auto loader = call.context.library->CreateRulesLoad();
    loader->SetSession(call.context.session, -2);
    const SyntaxCheck check =
        loader->LoadRulesFile(paths.file, paths.log, 0, checkIcp == QLatin1String("TRUE"));
    if (check.errors || check.warnings) {
        throw TarselError(kRulesCheckFailed, QString::fromLatin1(call.command.source),
                          kSyntaxCheckerMessage);
    }
    call.entry.Succeed(QStringLiteral("Loaded rules file"));
}

void ExtractRules(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    const auto loader = call.context.library->CreateRulesLoad();
    loader->SetSession(call.context.session, -2);
    loader->ExtractRulesFile(paths.file, paths.log);
    call.entry.Succeed(QStringLiteral("Extracted rules file"));
}

// The option words are judged after the loader is bound and its options fetched, so a
// refusal of the server shows before any message about a word.
void LoadSecurity(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    const QStringList words = OptionWords(call, 3, 5);
    call.entry.SetFailureText(QStringLiteral("Error loading security. ") +
                              OptionList(kLoadLabels, words, 2));
    const auto loader = call.context.library->CreateSecurityLoad();
    loader->SetSession(call.context.session);
    const auto options = loader->GetLoadOptions();
    options->Item(7)->SetCurrentValue(true);
    SetWordOptions(call, *options, 2, 3, 5);
    if (loader->Load(paths.file, paths.log)) {
        throw TarselError(kInvalidUsers, QString::fromLatin1(call.command.source),
                          QStringLiteral("File contains invalid users."));
    }
    call.entry.Succeed(QStringLiteral("Loaded security. ") + OptionList(kLoadLabels, words, 3));
}

void ExtractSecurity(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    const QStringList words = OptionWords(call, 3, 4);
    const QString options = OptionList(kExtractLabels, words, -1);
    call.entry.SetFailureText(QStringLiteral("Error extracting security. ") + options);
    const auto loader = call.context.library->CreateSecurityLoad();
    loader->SetSession(call.context.session);
    SetWordOptions(call, *loader->GetExtractOptions(), 2, 3, 4);
    loader->Extract(paths.file, paths.log);
    call.entry.Succeed(QStringLiteral("Extracted security. ") + options);
}

}  // namespace tarsel::batch
