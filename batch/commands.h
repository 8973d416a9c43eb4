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

// The file (parameter 1) and the load log (parameter 2) of a load or extract, with their
// timestamp tokens replaced; an empty log is the file without its last four characters
// plus ".log".
struct FilePaths {
    QString file;
    QString log;
};
FilePaths ReadFilePaths(const CommandCall& call);

}  // namespace tarsel::batch
