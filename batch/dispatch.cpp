#include "batch/dispatch.h"

#include <array>

#include "batch/commands.h"

namespace tarsel::batch {

namespace {

using K = CommandKind;
const std::array<DispatchEntry, 23> kTable = {{
    {"CONSOLIDATE", &Consolidate, 7, 40023, K::Server},
    {"CREATE_FOLDER", &CreateFolder, 1, 40050, K::Server},
    {"EXTRACT_BASE_DATA", &ExtractBaseData, 7, 40035, K::Server},
    {"EXTRACT_DATA_USING_MBR_LISTS", &ExtractDataUsingMbrLists, 9, 40044, K::Server},
    {"EXTRACT_JOURNALS", &ExtractJournals, 9, 40038, K::Server},
    {"EXTRACT_METADATA", &ExtractMetadata, 3, 3, K::Server},
    {"EXTRACT_MEMBER_LISTS", &ExtractMemberLists, 2, 2, K::Server},
    {"EXTRACT_RULES", &ExtractRules, 2, 2, K::Server},
    {"EXTRACT_SECURITY", &ExtractSecurity, 6, 40063, K::Server},
    {"FORCE_CALCULATE", &ForceCalculate, 7, 40065, K::Server},
    {"LOAD_DATA", &LoadData, 4, 40014, K::Server},
    {"LOAD_JOURNALS", &LoadJournals, 2, 40033, K::Server},
    {"LOAD_MEMBER_LISTS", &LoadMemberLists, 2, 2, K::Server},
    {"LOAD_METADATA", &LoadMetadata, 4, 4, K::Server},
    {"LOAD_RULES", &LoadRules, 3, 3, K::Server},
    {"LOAD_SECURITY", &LoadSecurity, 7, 40048, K::Server},
    {"LOGON", &Connect, 2, 40003, K::Logon},
    {"KARST_EXPORT", &KarstExport, 10, 40019, K::SessionFree},
    {"DEFAULT_CUSTOM2", &DefaultCustom2, 3, 40049, K::Server},
    {"SCAN_METADATA", &ScanMetadata, 4, 4, K::Server},
    {"SCAN_DATA", &ScanData, 4, 40029, K::Server},
    {"DELETE_INVALID_RECORDS", &DeleteInvalidRecords, 1, 40066, K::Server},
    {"SEND_MAIL", nullptr, 5, 40018, K::SendMail},
}};

}  // namespace

const DispatchEntry* FindCommand(const QString& keyword) {
    for (const DispatchEntry& known : kTable) {
        if (keyword == QLatin1String(known.keyword)) {
            return &known;
        }
    }
    return nullptr;
}

}  // namespace tarsel::batch
