#pragma once
// The keywords of the command file: one row per command with everything about it.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>

#include "batch/command_routine.h"

namespace tarsel::batch {

enum class CommandKind {
    Server,       // needs an open session
    Logon,        // the quit-on-failure flag is set after it returns; no quit field
    SessionFree,  // runs without a session (KARST_EXPORT)
    SendMail,     // runs even while the batch terminates; no result, no quit field
};

// What a parameter must be. The commands read their option words through these rules,
// and --check judges a command file by them, so each rule lives once.
enum class ParamKind {
    InputFile,   // a file the command reads; words, when given, are the allowed endings
    OutputFile,  // a file the command writes; its folder must exist
    LogFile,     // as OutputFile; empty means a path derived from another parameter
    NewFolder,   // a folder the command creates: its parent must exist, it must not
    Program,     // a program the command starts
    Word,        // one of words, compared upper-cased
    PeriodFrom,  // with the PeriodTo after it: a range of the period table "01" to "12"
    PeriodTo,
};

struct ParamRule {
    int position;  // 1-based
    ParamKind kind;
    const char* words;  // "A|B|C"; null when the kind needs none
    int32_t number;     // the error a refused value raises
    const char* message;
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
    // The failure entry ends with a line after the detail (which the body sets, empty
    // until then) instead of showing the subject before the header.
    bool failureTrailer;
    CommandBody body;  // null: the command is not available in this build
    std::span<const ParamRule> rules;
};

// The command for an upper-cased keyword; null when there is none.
const DispatchEntry* FindCommand(const QString& keyword);

// The known keywords in table order.
QStringList CommandKeywords();

// The rule of the row for a parameter position; null when it has none.
const ParamRule* RuleAt(const DispatchEntry& command, int position);

// Whether value (trimmed) passes a Word rule or the endings of an InputFile rule,
// compared upper-cased; true for rules without words.
bool WordAllowed(const ParamRule& rule, const QString& value);

// The option word at position, trimmed and upper-cased; raises the rule's error when the
// row's rule refuses it.
QString ReadWord(const CommandCall& call, int position);

// The labels of the period table from start to end inclusive, or empty when the table
// refuses the range (a start equal to the end is always one period).
QStringList ExtractPeriodLabels(const QString& start, const QString& end);

// Runs one command line's routine: the too-few-parameters check, the subject line, the
// quit-on-failure value (for commands that have one), then the body. Every error raised on
// the way becomes the failure entry; true when the command succeeded.
bool RunCommand(BatchContext& context, const DispatchEntry& command, const QStringList& params,
                bool& quitOnFailure);

}  // namespace tarsel::batch
