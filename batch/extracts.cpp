#include "batch/commands.h"
#include "batch/dispatch.h"

namespace tarsel::batch {

void ExtractMetadata(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    // The format is checked before the server is asked for anything.
    const QString format = ReadWord(call, 3);
    const auto loader = call.context.library->CreateMetadataLoad();
    loader->SetSession(call.context.session);
    const auto options = loader->GetExtractOptions();
    options->Item(14)->SetCurrentValue(int32_t{format == QLatin1String("XML") ? 1 : 0});
    loader->Extract(paths.file, paths.log);
    call.entry.Succeed(QStringLiteral("Extracted metadata"));
}

void ExtractMemberLists(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    const auto loader = call.context.library->CreateRulesLoad();
    loader->SetSession(call.context.session, -2);
    loader->ExtractMemberListFile(paths.file, paths.log);
    call.entry.Succeed(QStringLiteral("Extracted member lists file"));
}

}  // namespace tarsel::batch
