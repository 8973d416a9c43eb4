#include "batch/dispatch.h"

#include <array>

#include "batch/bsConstants.h"
#include "batch/commands.h"

namespace tarsel::batch {

namespace {

using K = CommandKind;
const std::array<DispatchEntry, 23> kTable = {{
    {"CONSOLIDATE", K::Server, 7, 40023, "Consolidate", "Error consolidating data", 1, 6, nullptr},
    {"CREATE_FOLDER", K::Server, 1, 40050, "CreateFolder", "Error creating folder", 1, 1, nullptr},
    {"EXTRACT_BASE_DATA", K::Server, 7, 40035, "ExtractBaseData", "Error extracting base data", 3,
     6, nullptr},
    {"EXTRACT_DATA_USING_MBR_LISTS", K::Server, 9, 40044, "ExtractDataUsingMbrLists",
     "Error extracting data using member lists", 3, 6, nullptr},
    {"EXTRACT_JOURNALS", K::Server, 9, 40038, "ExtractJournals", "Error extracting Journals", 3, 6,
     nullptr},
    {"EXTRACT_METADATA", K::Server, 3, 3, "ExtractMetadata", "Error extracting metadata", 1, 1,
     nullptr},
    {"EXTRACT_MEMBER_LISTS", K::Server, 2, 2, "ExtractMemberLists",
     "Error extracting member lists file", 1, 1, nullptr},
    {"EXTRACT_RULES", K::Server, 2, 2, "ExtractRules", "Error extracting rules file", 1, 1,
     nullptr},
    {"EXTRACT_SECURITY", K::Server, 6, 40063, "ExtractSecurity", "Error extracting security", 1, 1,
     nullptr},
    {"FORCE_CALCULATE", K::Server, 7, 40065, "ForceCalculate", "Error force calculating data", 1, 7,
     nullptr},
    {"LOAD_DATA", K::Server, 4, 40014, "LoadData", "Error loading data file", 1, 1, nullptr},
    {"LOAD_JOURNALS", K::Server, 2, 40033, "LoadJournals", "Error loading journal file", 1, 1,
     nullptr},
    {"LOAD_MEMBER_LISTS", K::Server, 2, 2, "LoadMemberLists", "Error loading member lists file", 1,
     1, nullptr},
    {"LOAD_METADATA", K::Server, 4, 4, "LoadMetadata", "Error loading metadata file", 1, 1,
     nullptr},
    {"LOAD_RULES", K::Server, 3, 3, "LoadRules", "Error loading rules file", 1, 1, nullptr},
    {"LOAD_SECURITY", K::Server, 7, 40048, "LoadSecurity", "Error loading security", 1, 1, nullptr},
    {"LOGON", K::Logon, 2, 40003, "Connect", "Could not connect", 0, 0, &Connect},
    {"KARST_EXPORT", K::SessionFree, 10, 40019, "KarstExport",
     "Error exporting book/report from Karst", 6, 6, nullptr},
    {"DEFAULT_CUSTOM2", K::Server, 3, 40049, "DefaultCustom2",
     "Error defaulting Custom2 value in data file", 1, 1, nullptr},
    {"SCAN_METADATA", K::Server, 4, 4, "ScanMetadata",
     "Metadata scan has identified errors in the metadata file.", 1, 1, nullptr},
    {"SCAN_DATA", K::Server, 4, 40029, "ScanData",
     "Data scan has identified errors in the data file.", 1, 1, nullptr},
    {"DELETE_INVALID_RECORDS", K::Server, 1, 40066, "DeleteInvalidRecords",
     "Error deleting invalid records", 1, 1, nullptr},
    {"SEND_MAIL", K::SendMail, 5, 40018, "SendMail", "Could not send e-mail", 0, 0, &SendMail},
}};

// Parameters not given count as empty, so an error before they are read shows an empty
// path, or a point of view of empty labels.
QString Subject(const QStringList& params, const DispatchEntry& command,
                const RunTimestamps& stamps) {
    if (command.subjectFrom == command.subjectTo) {
        return ReplaceTimestampTokens(Param(params, command.subjectFrom), stamps);
    }
    QStringList labels;
    for (int position = command.subjectFrom; position <= command.subjectTo; ++position) {
        labels << Param(params, position);
    }
    return QStringLiteral("POV: ") + labels.join(QStringLiteral(", "));
}

bool HasQuitField(const DispatchEntry& command) {
    return command.kind == K::Server || command.kind == K::SessionFree;
}

}  // namespace

const DispatchEntry* FindCommand(const QString& keyword) {
    for (const DispatchEntry& known : kTable) {
        if (keyword == QLatin1String(known.keyword)) {
            return &known;
        }
    }
    return nullptr;
}

QStringList CommandKeywords() {
    QStringList keywords;
    for (const DispatchEntry& known : kTable) {
        keywords << QString::fromLatin1(known.keyword);
    }
    return keywords;
}

bool RunCommand(BatchContext& context, const DispatchEntry& command, const QStringList& params,
                bool& quitOnFailure) {
    const QString source = QString::fromLatin1(command.source);
    CommandEntry entry(context, source, QString::fromLatin1(command.failureText),
                       command.subjectFrom > 0);
    return entry.Run([&] {
        if (params.size() < command.required) {
            entry.SetSubject(Subject({}, command, context.stamps));
            RaiseTooFewParameters(command.required, command.tooFewNumber, source);
        }
        entry.SetSubject(Subject(params, command, context.stamps));
        if (HasQuitField(command)) {
            ReadQuitOnFailure(params, command.required, quitOnFailure);
        }
        if (!command.body) {
            throw TarselError(err::kNotAvailable, source,
                              QString::fromLatin1(command.keyword) +
                                  QStringLiteral(" is not available in this build"));
        }
        CommandCall call{context, params, entry};
        command.body(call);
    });
}

}  // namespace tarsel::batch
