#pragma once
// The bodies of the command routines, one family per file. Each is a CommandBody of its
// dispatch row (dispatch.cpp), which holds everything else about the command.

#include "batch/command_routine.h"

namespace tarsel::batch {

// connect.cpp: LOGON
void Connect(CommandCall& call);

// send_mail.cpp: SEND_MAIL stores the mail settings; it changes neither the last result
// nor the quit-on-failure flag.
void SendMail(CommandCall& call);

// housekeeping.cpp: DEFAULT_CUSTOM2 and CREATE_FOLDER
void DefaultCustom2(CommandCall& call);
void CreateFolder(CommandCall& call);

// karst_export.cpp: KARST_EXPORT
void KarstExport(CommandCall& call);

// loads.cpp: LOAD_METADATA, SCAN_METADATA, LOAD_MEMBER_LISTS
void LoadMetadata(CommandCall& call);
void ScanMetadata(CommandCall& call);
void LoadMemberLists(CommandCall& call);

// extracts.cpp: EXTRACT_METADATA, EXTRACT_MEMBER_LISTS
void ExtractMetadata(CommandCall& call);
void ExtractMemberLists(CommandCall& call);

// security_commands.cpp: LOAD_RULES, EXTRACT_RULES, LOAD_SECURITY, EXTRACT_SECURITY
void LoadRules(CommandCall& call);
void ExtractRules(CommandCall& call);
void LoadSecurity(CommandCall& call);
void ExtractSecurity(CommandCall& call);

// The description of 40011 and 40013, when a syntax checker reported errors or warnings.
extern const QString kSyntaxCheckerMessage;

// data_commands.cpp: LOAD_DATA, SCAN_DATA, EXTRACT_BASE_DATA, EXTRACT_DATA_USING_MBR_LISTS,
// CONSOLIDATE, FORCE_CALCULATE, and the point-of-view helpers the extracts share.
void LoadData(CommandCall& call);
void ScanData(CommandCall& call);
void ExtractBaseData(CommandCall& call);
void ExtractDataUsingMbrLists(CommandCall& call);
void Consolidate(CommandCall& call);
void ForceCalculate(CommandCall& call);
// The id of label in the dimension numbered dimension (0 Scenario, 1 Year, 2 Period, ...).
MemberId GetMemberIDByDimension(const CommandCall& call, int dimension, const QString& label);
// The period ids of the period table "01".."12" from start to end; 40036 for a range the
// table refuses.
IdArray GetExtractPeriod(const CommandCall& call, const QString& start, const QString& end);
// The members of a list of Account (kind "Accounts") or Entity (any other kind) and their
// parents; 40046 / 40047 when the dimension has no list of that name.
ListMembersForPOV GetListMembers(const CommandCall& call, const QString& kind, const QString& name,
                                 MemberId scenario, MemberId year, MemberId period);
// Every base member of Account ("Accounts") or Entity, each once.
IdArray GetAllBaseMembers(const CommandCall& call, const QString& kind);
// Raises number with message when a line of the load log holds "error" in any case; a
// log that cannot be opened is a run-time error.
void CheckLoadLog(const QString& logPath, int32_t number, const CommandCall& call,
                  const QString& message);

// journal_commands.cpp: LOAD_JOURNALS, EXTRACT_JOURNALS, DELETE_INVALID_RECORDS
void LoadJournals(CommandCall& call);
void ExtractJournals(CommandCall& call);
void DeleteInvalidRecords(CommandCall& call);

// The file (parameter 1) and the load log (parameter 2) of a load or extract, with their
// timestamp tokens replaced; an empty log is the file without its last four characters
// plus ".log".
struct FilePaths {
    QString file;
    QString log;
};
FilePaths ReadFilePaths(const CommandCall& call);

}  // namespace tarsel::batch
