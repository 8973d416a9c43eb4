#include "batch/bsTarsel_Batch.h"

#include <QFileInfo>

#include "batch/bsConstants.h"
#include "batch/cLog.h"
#include "batch/check.h"
#include "batch/command_file.h"
#include "batch/dispatch.h"

namespace tarsel::batch {

namespace {

const QString kMainSource = QStringLiteral("Main");

QString Line(const char* type) {
    return QString::fromLatin1(type);
}

// An unrecognized line is echoed into the log, which is mailed. A LOGON or SEND_MAIL
// line lands there when it begins with a blank or has a tab after its keyword; its
// password field is blotted out so that the password never reaches the log or the mail.
QString LineForLog(const QString& text) {
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    while (end < trimmed.size() && !trimmed.at(end).isSpace()) {
        ++end;
    }
    const QString keyword = trimmed.left(end).toUpper();
    const qsizetype passwordField = keyword == QLatin1String("LOGON")       ? 4
                                    : keyword == QLatin1String("SEND_MAIL") ? 3
                                                                            : 0;
    QStringList fields = text.split(QLatin1Char(','));
    if (passwordField == 0 || passwordField > fields.size() ||
        fields.at(passwordField - 1).trimmed().isEmpty()) {
        return text;
    }
    fields[passwordField - 1] = QStringLiteral(" ********");
    return fields.join(QLatin1Char(','));
}

void WriteMainError(BatchContext& context, const ErrorText& text) {
    context.anyFailure = true;
    context.log.WriteLog(QStringLiteral("Main routine error"), Line(line::kError));
    context.log.WriteLog(text.header, Line(line::kComment));
    context.log.WriteLog(text.detail, Line(line::kComment));
}

// The reading loop and end of Main. Errors end it through the handler that writes the
// "Main routine error" entries; only a log that cannot be written passes through.
void RunCommandFile(BatchContext& context, const QString& commandFile) {
    cLog& log = context.log;
    try {
        if (!QFileInfo::exists(commandFile)) {
            throw TarselError(err::kCommandFileNotFound, kMainSource,
                              QStringLiteral("Command file not found"));
        }
        CommandFileReader reader(commandFile);
        log.WriteLog(QStringLiteral("Opened command file for processing"), Line(line::kSuccess));
        log.WriteLog(commandFile, Line(line::kComment));

        bool noCommands = true;
        bool quitOnFailure = false;
        bool lastResult = false;
        bool terminating = false;
        CommandFileLine line;
        bool haveLine = reader.Next(line);
        while (haveLine) {
            if (StopRequested()) {
                log.WriteLog(QStringLiteral("Stopped by a signal. Terminating batch"),
                             Line(line::kError));
                context.anyFailure = true;
                break;
            }
            if (quitOnFailure && !lastResult && !terminating) {
                log.WriteLog(QStringLiteral("Quit on Failure = True. Terminating batch"),
                             Line(line::kError));
                terminating = true;
            }
            const QString& text = line.text;
            const QString trimmed = text.trimmed();
            if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('\''))) {
                const qsizetype blank = text.indexOf(QLatin1Char(' '));
                const QString keyword = (blank < 0 ? text : text.left(blank)).trimmed().toUpper();
                const DispatchEntry* command = FindCommand(keyword);
                const bool exempt = command && command->kind != CommandKind::Server;
                const DispatchEntry* known = line.problem.isEmpty() ? command : nullptr;
                if (!exempt && !context.session) {
                    log.WriteLog(QStringLiteral("Not connected. Terminating batch."),
                                 Line(line::kError));
                    terminating = true;
                    context.anyFailure = true;
                }
                noCommands = false;
                const QStringList params =
                    blank < 0 ? QStringList() : text.mid(blank).split(QLatin1Char(','));

                if (!line.problem.isEmpty()) {
                    // Bytes that are not text would reach paths and names garbled.
                    if (!terminating) {
                        log.WriteLog(QStringLiteral("Unreadable command line"), Line(line::kError));
                        log.WriteLog(QStringLiteral("%1 line %2: %3")
                                         .arg(commandFile)
                                         .arg(line.number)
                                         .arg(line.problem),
                                     Line(line::kComment));
                        context.anyFailure = true;
                    }
                } else if (known && (known->kind == CommandKind::SendMail || !terminating)) {
                    const bool succeeded = RunCommand(context, *known, params, quitOnFailure);
                    if (!succeeded) {
                        context.anyFailure = true;
                    }
                    if (known->kind != CommandKind::SendMail) {
                        lastResult = succeeded;
                    }
                    if (known->kind == CommandKind::Logon) {
                        quitOnFailure = true;
                    }
                } else if (!terminating) {
                    log.WriteLog(QStringLiteral("Unrecognized command"), Line(line::kError));
                    log.WriteLog(LineForLog(text), Line(line::kComment));
                    context.anyFailure = true;
                }
            }
            haveLine = reader.Next(line);
        }
        reader.Close();
        if (noCommands) {
            throw TarselError(err::kNoCommandsFound, kMainSource,
                              QStringLiteral("No commands found"));
        }
    } catch (const LogWriteFailure&) {
        throw;
    } catch (const TarselError& error) {
        WriteMainError(context, GetErrorText(error, context.library));
    } catch (const std::exception& error) {
        WriteMainError(context,
                       GetErrorText(err::kInvalidArgument, QString::fromLocal8Bit(error.what()),
                                    kMainSource, context.library));
    }
}

}  // namespace

QStringList SplitCommandLine(const QStringList& arguments) {
    const QString text = arguments.join(QLatin1Char(' '));
    if (text.trimmed().isEmpty()) {
        return {};
    }
    QStringList fields = text.split(QLatin1Char(','));
    for (QString& field : fields) {
        field = field.trimmed();
    }
    return fields;
}

QString DeriveLogPath(const QString& commandFile) {
    if (commandFile.size() > 4 && commandFile.at(commandFile.size() - 4) == QLatin1Char('.')) {
        return commandFile.left(commandFile.size() - 4) + QStringLiteral(".log");
    }
    return commandFile + QStringLiteral(".log");
}

QString LogFolder(const QString& logPath) {
    const qsizetype slash = logPath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : logPath.left(slash + 1);
}

QString UsageText() {
    return QStringLiteral(
        "Usage: Tarsel_Batch COMMAND_FILE[,LOG_FILE[,USER_ID[,PASSWORD]]]\n"
        "\n"
        "Runs the commands of COMMAND_FILE against a Tarsel application and appends what\n"
        "happened to the batch log. The arguments are joined with one blank and split at\n"
        "every comma; blanks around a field do not count. So both of these work:\n"
        "  $ Tarsel_Batch /jobs/nightly.txt,/logs/nightly.log\n"
        "  $ Tarsel_Batch \"/jobs/nightly.txt, /logs/nightly.log, admin, secret\"\n"
        "\n"
        "  LOG_FILE  the batch log; empty or left out: the command file with its\n"
        "            extension replaced by .log. Its folder must exist.\n"
        "  USER_ID   used by LOGON instead of the user ID in the command file.\n"
        "  PASSWORD  used by LOGON instead of the password in the command file; taken\n"
        "            only when exactly four fields are given. A password that contains\n"
        "            a comma cannot be given here (a comma always separates fields).\n"
        "\n"
        "LOGON takes the user ID and password from the command line, else from its own\n"
        "line, else from the environment variables TARSEL_USER and TARSEL_PASSWORD. The\n"
        "environment is the safer place: arguments show in every user's process list and\n"
        "command files end up in backups.\n"
        "\n"
        "Exit status: 0 every command succeeded; 1 a command or the run failed (the\n"
        "log tells which); 2 the run could not start or its log could not be written\n"
        "(the reason is on standard error).\n"
        "\n"
        "  --check COMMAND_FILE\n"
        "             reads the command file as a run would and reports, one line each\n"
        "             (file:line: message), what the run would refuse: unknown commands,\n"
        "             too few parameters, option words and True/False fields, period\n"
        "             ranges, missing input files, output and log folders, commands before\n"
        "             the first LOGON, and a password written in the file. It logs on to\n"
        "             nothing and writes nothing. Exit status 0 clean, 1 findings.\n"
        "  --help     this text\n"
        "  --version  the program's version\n");
}

int Main(const QStringList& arguments, BatchEnvironment& environment) {
    const RunTimestamps stamps = RunTimestamps::From(environment.clock.Now());
    QTextStream& err = environment.err;

    if (arguments.size() == 1 && arguments.first() == QLatin1String("--help")) {
        environment.out << UsageText();
        environment.out.flush();
        return exit_status::kAllSucceeded;
    }
    if (arguments.size() == 1 && arguments.first() == QLatin1String("--version")) {
        environment.out << "Tarsel_Batch " << TARSEL_BATCH_VERSION << "\n";
        environment.out.flush();
        return exit_status::kAllSucceeded;
    }

    if (arguments.size() == 2 && arguments.first() == QLatin1String("--check")) {
        const int findings = CheckCommandFile(arguments.at(1), stamps, environment.out);
        return findings == 0 ? exit_status::kAllSucceeded : exit_status::kSomethingFailed;
    }

    const QStringList fields = SplitCommandLine(arguments);
    if (fields.isEmpty() || fields.first().isEmpty()) {
        err << "Tarsel_Batch: no command file given (see Tarsel_Batch --help)\n";
        err.flush();
        return exit_status::kCouldNotRun;
    }
    const QString commandFile = fields.at(0);
    const QString logPath =
        fields.size() >= 2 && !fields.at(1).isEmpty() ? fields.at(1) : DeriveLogPath(commandFile);
    // A log path without a folder means the current folder.
    const QString folder = LogFolder(logPath);
    if (!FolderExists(folder.isEmpty() ? QStringLiteral(".") : folder)) {
        err << "Tarsel_Batch: the folder of the batch log \"" << logPath << "\" does not exist\n";
        err.flush();
        return exit_status::kCouldNotRun;
    }

    cLog log(environment.clock, environment.mail, environment.locale);
    BatchContext context{log,
                         environment.library,
                         environment.clock,
                         environment.starter,
                         stamps,
                         fields.size() >= 3 ? fields.at(2) : QString(),
                         fields.size() == 4 ? fields.at(3) : QString(),
                         qEnvironmentVariable("TARSEL_USER"),
                         qEnvironmentVariable("TARSEL_PASSWORD"),
                         {},
                         {},
                         {},
                         {},
                         {},
                         false};

    try {
        log.SetFile(logPath);
        RunCommandFile(context, commandFile);
        log.Release();
    } catch (const LogWriteFailure& failure) {
        err << "Tarsel_Batch: the batch log cannot be written: " << failure.reason() << "\n";
        err.flush();
        try {
            log.Release();
        } catch (const LogWriteFailure&) {
            // Already reported above.
        }
        context.ReleaseSession();
        return exit_status::kCouldNotRun;
    }
    context.ReleaseSession();
    return context.anyFailure ? exit_status::kSomethingFailed : exit_status::kAllSucceeded;
}

}  // namespace tarsel::batch
