#pragma once
// The batch program's start routine and its command-line rules.

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "batch/mail.h"
#include "batch/shell.h"
#include "batch/timestamps.h"
#include "server/client_library.h"

namespace tarsel::batch {

// What a run talks to outside itself.
struct BatchEnvironment {
    // What LOGON connects through; null when the program has no usable client library.
    ClientLibrary* library;
    Clock& clock;
    MailTransport& mail;
    ProcessStarter& starter;
    QLocale locale;
    QTextStream& out;  // --help and --version
    QTextStream& err;  // the reason when a run cannot start or its log fails
};

// The program's arguments joined with one blank, split at every comma, each field
// trimmed. No arguments (or only blanks) give no field.
QStringList SplitCommandLine(const QStringList& arguments);

// The command file path with its extension replaced by ".log": the last four characters
// when the fourth from the end is a full stop, else ".log" appended.
QString DeriveLogPath(const QString& commandFile);

// The path up to and including its last "/"; empty when it has none.
QString LogFolder(const QString& logPath);

QString UsageText();

// Runs the batch for the program's arguments and gives the exit status: 0 when every
// command succeeded, 1 when a command or the run failed, 2 when it could not run.
int Main(const QStringList& arguments, BatchEnvironment& environment);

}  // namespace tarsel::batch
