#pragma once
// The keywords of the command file and the routines they run.

#include <QString>
#include <cstdint>

#include "batch/command_routine.h"

namespace tarsel::batch {

enum class CommandKind {
    Server,       // needs an open session
    Logon,        // the quit-on-failure flag is set after it returns
    SessionFree,  // runs without a session (KARST_EXPORT)
    SendMail,     // runs even while the batch terminates; no result
};

struct DispatchEntry {
    const char* keyword;
    CommandRoutine routine;  // null for SEND_MAIL
    int required;
    int32_t tooFewNumber;
    CommandKind kind;
};

// The command for an upper-cased keyword; null when there is none.
const DispatchEntry* FindCommand(const QString& keyword);

}  // namespace tarsel::batch
