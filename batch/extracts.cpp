#include "batch/commands.h"

namespace tarsel::batch {

bool ExtractMetadata(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_METADATA", "ExtractMetadata", "Error extracting metadata", 1, 1});
}

bool ExtractRules(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_RULES", "ExtractRules", "Error extracting rules file", 1, 1});
}

bool ExtractMemberLists(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_MEMBER_LISTS", "ExtractMemberLists", "Error extracting member lists file", 1, 1});
}

bool ExtractBaseData(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_BASE_DATA", "ExtractBaseData", "Error extracting base data", 3, 6});
}

bool ExtractDataUsingMbrLists(BatchContext& context, const QStringList& params,
                              bool& quitOnFailure) {
    return RunUnavailableCommand(context, params, quitOnFailure,
                                 {"EXTRACT_DATA_USING_MBR_LISTS", "ExtractDataUsingMbrLists",
                                  "Error extracting data using member lists", 3, 6});
}

bool ExtractJournals(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_JOURNALS", "ExtractJournals", "Error extracting Journals", 3, 6});
}

bool ExtractSecurity(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_SECURITY", "ExtractSecurity", "Error extracting security", 1, 1});
}

}  // namespace tarsel::batch
