#include "batch/commands.h"

namespace tarsel::batch {

bool LoadMetadata(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"LOAD_METADATA", "LoadMetadata", "Error loading metadata file", 1, 1});
}

bool ScanMetadata(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"SCAN_METADATA", "ScanMetadata",
         "Metadata scan has identified errors in the metadata file.", 1, 1});
}

bool LoadRules(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(context, params, quitOnFailure,
                                 {"LOAD_RULES", "LoadRules", "Error loading rules file", 1, 1});
}

bool LoadMemberLists(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"LOAD_MEMBER_LISTS", "LoadMemberLists", "Error loading member lists file", 1, 1});
}

bool LoadData(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(context, params, quitOnFailure,
                                 {"LOAD_DATA", "LoadData", "Error loading data file", 1, 1});
}

bool ScanData(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"SCAN_DATA", "ScanData", "Data scan has identified errors in the data file.", 1, 1});
}

bool LoadJournals(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"LOAD_JOURNALS", "LoadJournals", "Error loading journal file", 1, 1});
}

bool LoadSecurity(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(context, params, quitOnFailure,
                                 {"LOAD_SECURITY", "LoadSecurity", "Error loading security", 1, 1});
}

}  // namespace tarsel::batch
