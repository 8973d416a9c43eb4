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

// journal_commands.cpp: LOAD_JOURNALS, EXTRACT_JOURNALS, DELETE_INVALID_RECORDS
void LoadJournals(CommandCall& call);
void ExtractJournals(CommandCall& call);
void DeleteInvalidRecords(CommandCall& call);

// Raises number with message when a line of the load log at logPath contains "error" in
// any letter case; a log that cannot be opened is a run-time error.
void RaiseIfLoadLogHasError(const CommandCall& call, const QString& logPath, int32_t number,
                            const QString& message);
// The id of label in the dimension (the client library's error for an unknown label).
MemberId GetMemberIDByDimension(const CommandCall& call, Dimension dimension, const QString& label);
// The ids of the periods start to end of the period table "01" to "12"; 40036 when the
// table refuses the range.
IdArray GetExtractPeriod(const CommandCall& call, const QString& start, const QString& end);

// The file (parameter 1) and the load log (parameter 2) of a load or extract, with their
// timestamp tokens replaced; an empty log is the file without its last four characters
// plus ".log".
struct FilePaths {
    QString file;
    QString log;
};
FilePaths ReadFilePaths(const CommandCall& call);

}  // namespace tarsel::batch
