#pragma once
// The command routines, one family per file. Each follows the CommandRoutine contract.

#include "batch/command_routine.h"

namespace tarsel::batch {

// connect.cpp: LOGON
bool Connect(BatchContext& context, const QStringList& params, bool& quitOnFailure);

// send_mail.cpp: SEND_MAIL stores the mail settings; it changes neither the last result
// nor the quit-on-failure flag.
void SendMail(BatchContext& context, const QStringList& params);

// loads.cpp
bool LoadMetadata(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool ScanMetadata(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool LoadRules(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool LoadMemberLists(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool LoadData(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool ScanData(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool LoadJournals(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool LoadSecurity(BatchContext& context, const QStringList& params, bool& quitOnFailure);

// extracts.cpp
bool ExtractMetadata(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool ExtractRules(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool ExtractMemberLists(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool ExtractBaseData(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool ExtractDataUsingMbrLists(BatchContext& context, const QStringList& params,
                              bool& quitOnFailure);
bool ExtractJournals(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool ExtractSecurity(BatchContext& context, const QStringList& params, bool& quitOnFailure);

// calculation.cpp
bool Consolidate(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool ForceCalculate(BatchContext& context, const QStringList& params, bool& quitOnFailure);

// housekeeping.cpp
bool DefaultCustom2(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool CreateFolder(BatchContext& context, const QStringList& params, bool& quitOnFailure);
bool DeleteInvalidRecords(BatchContext& context, const QStringList& params, bool& quitOnFailure);

// karst_export.cpp
bool KarstExport(BatchContext& context, const QStringList& params, bool& quitOnFailure);

// What a routine this build does not contain does: the too-few-parameters check and the
// quit-on-failure value as the routine would, then a failure entry saying so, with the
// subject line the routine gives its entries.
struct UnavailableCommand {
    const char* keyword;  // required count and too-few number come from the dispatch table
    const char* source;   // the routine's name
    const char* failureText;
    // Parameter positions (1-based) of the subject. One position is a file or folder path
    // and has its timestamp tokens replaced; a range is a point of view, written
    // "POV: " + the labels joined with ", ".
    int subjectFrom;
    int subjectTo;
};
bool RunUnavailableCommand(BatchContext& context, const QStringList& params, bool& quitOnFailure,
                           const UnavailableCommand& command);

}  // namespace tarsel::batch
