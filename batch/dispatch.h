#pragma once
// The keywords of the command file: one row per command with everything about it.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "batch/command_routine.h"

namespace tarsel::batch {

enum class CommandKind {
    Server,       // needs an open session
    Logon,        // the quit-on-failure flag is set after it returns; no quit field
    SessionFree,  // runs without a session (KARST_EXPORT)
    SendMail,     // runs even while the batch terminates; no result, no quit field
};

// A command's own work: reads its parameters from call.params, does the work and writes
// the success entry through call.entry. Every failure is raised; the row's runner turns
// it into the failure entry.
using CommandBody = void (*)(CommandCall& call);

struct DispatchEntry {
    const char* keyword;
    CommandKind kind;
    int required;          // parameters the command needs
    int32_t tooFewNumber;  // the error number of "Too few parameters"
    const char* source;    // the routine's name: the source of its errors
    const char* failureText;
    // Parameter positions (1-based) of the subject line; 0 when the command has none. One
    // position is a file or folder path and has its timestamp tokens replaced; a range is a
    // point of view, written "POV: " + the labels joined with ", ".
    int subjectFrom;
    int subjectTo;
    CommandBody body;  // null: the command is not available in this build
};

// The command for an upper-cased keyword; null when there is none.
const DispatchEntry* FindCommand(const QString& keyword);

// The known keywords in table order.
QStringList CommandKeywords();

// Runs one command line's routine: the too-few-parameters check, the subject line, the
// quit-on-failure value (for commands that have one), then the body. Every error raised on
// the way becomes the failure entry; true when the command succeeded.
bool RunCommand(BatchContext& context, const DispatchEntry& command, const QStringList& params,
                bool& quitOnFailure);

}  // namespace tarsel::batch
