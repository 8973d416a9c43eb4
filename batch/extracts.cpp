#include "batch/commands.h"

namespace tarsel::batch {

bool ExtractMetadata(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_METADATA", "ExtractMetadata", "Error extracting metadata", true});
}

bool ExtractRules(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_RULES", "ExtractRules", "Error extracting rules file", true});
}

bool ExtractMemberLists(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_MEMBER_LISTS", "ExtractMemberLists", "Error extracting member lists file", true});
}

bool ExtractBaseData(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_BASE_DATA", "ExtractBaseData", "Error extracting base data", false});
}

bool ExtractDataUsingMbrLists(BatchContext& context, const QStringList& params,
                              bool& quitOnFailure) {
    return RunUnavailableCommand(context, params, quitOnFailure,
                                 {"EXTRACT_DATA_USING_MBR_LISTS", "ExtractDataUsingMbrLists",
                                  "Error extracting data using member lists", false});
}

bool ExtractJournals(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_JOURNALS", "ExtractJournals", "Error extracting Journals", false});
}

bool ExtractSecurity(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"EXTRACT_SECURITY", "ExtractSecurity", "Error extracting security", true});
}

}  // namespace tarsel::batch
