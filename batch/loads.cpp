#include "batch/commands.h"
#include "batch/dispatch.h"

namespace tarsel::batch {

namespace {

constexpr int32_t kMemberListCheckFailed = 40013;

void SetOption(LoadOptions& options, int32_t index, const OptionValue& value) {
    options.Item(index)->SetCurrentValue(value);
}

// The loader's options are set only after it is bound and its collection fetched, so a
// refusal of the server shows before any message about an option word.
void LoadOrScanMetadata(CommandCall& call, bool scan) {
    const FilePaths paths = ReadFilePaths(call);
    const auto loader = call.context.library->CreateMetadataLoad();
    loader->SetSession(call.context.session);
    const auto options = loader->GetLoadOptions();

    const QString loadType = ReadWord(call, 3);
    if (loadType == QLatin1String("CLEAR")) {
        for (const int32_t index : {10, 11, 12, 13, 14, 15, 16, 23, 9}) {
            SetOption(*options, index, true);
        }
    } else {
        SetOption(*options, 21, loadType == QLatin1String("REPLACE"));
    }
    ReadWord(call, 1);  // the file's extension, by the row's rule
    SetOption(*options, 20, int32_t{paths.file.toUpper().endsWith(QLatin1String(".XML")) ? 1 : 0});
    const QString checkIntegrity = ReadWord(call, 4);
    SetOption(*options, 29, checkIntegrity == QLatin1String("TRUE"));
    if (scan) {
        SetOption(*options, 18, true);
    }
    loader->Load(paths.file, paths.log);
    call.entry.Succeed((scan ? QStringLiteral("Scanned metadata file using ")
                             : QStringLiteral("Loaded metadata file using ")) +
                       loadType + QStringLiteral(" mode. Check Integrity = ") + checkIntegrity);
}

}  // namespace

const QString kSyntaxCheckerMessage = QStringLiteral(
    "An error or warning was issued by the syntax checker. See the Tarsel load log for details.");

FilePaths ReadFilePaths(const CommandCall& call) {
    FilePaths paths;
    paths.file = ReplaceTimestampTokens(Param(call.params, 1), call.context.stamps);
    paths.log = ReplaceTimestampTokens(Param(call.params, 2), call.context.stamps);
    if (paths.log.isEmpty()) {
        paths.log =
            paths.file.left(std::max<qsizetype>(paths.file.size() - 4, 0)) + QStringLiteral(".log");
    }
    return paths;
}

void LoadMetadata(CommandCall& call) {
    LoadOrScanMetadata(call, false);
}

void ScanMetadata(CommandCall& call) {
    LoadOrScanMetadata(call, true);
}

void LoadMemberLists(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    const auto loader = call.context.library->CreateRulesLoad();
    loader->SetSession(call.context.session, -2);
    const SyntaxCheck check = loader->LoadMemberListFile(paths.file, paths.log, 0);
    if (check.errors || check.warnings) {
        throw TarselError(kMemberListCheckFailed, QString::fromLatin1(call.command.source),
                          kSyntaxCheckerMessage);
    }
    call.entry.Succeed(QStringLiteral("Loaded member lists file"));
}

}  // namespace tarsel::batch
