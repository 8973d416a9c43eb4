#pragma once
// What every command routine shares: the run-wide state, the parameter rules and the
// success and failure entries.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "batch/cLog.h"
#include "batch/error_text.h"
#include "batch/shell.h"
#include "batch/timestamps.h"
#include "server/client_library.h"
#include "server/tarsel.h"

namespace tarsel::batch {

// The run-wide state of one batch run.
struct BatchContext {
    cLog& log;
    // The client library LOGON connects through and failures are explained by; null when
    // the program has none (LOGON then fails saying so).
    ClientLibrary* library;
    Clock& clock;
    ProcessStarter& starter;
    RunTimestamps stamps;
    // From the program's command line; empty when not given.
    QString commandLineUser;
    QString commandLinePassword;
    // TARSEL_USER and TARSEL_PASSWORD: used by LOGON when neither the command line nor
    // the LOGON line gives the value.
    QString environmentUser;
    QString environmentPassword;

    std::shared_ptr<ClientConnection> connection;
    std::shared_ptr<tarsel::ClientSession> clientSession;
    std::shared_ptr<ApplicationSession> session;
    std::shared_ptr<SessionMetadata> metadata;
    std::shared_ptr<ApplicationAdmin> administration;

    // Set by every failed command, refused line and Main error; decides the exit status.
    bool anyFailure = false;

    void ReleaseSession();
};

// Parameter at a 1-based position, trimmed; empty when absent.
QString Param(const QStringList& params, int position);

// With exactly required + 1 fields the last one is the quit-on-failure value; with any
// other count the flag becomes false. A blank value is false; any other text that is no
// truth value or number raises a run-time error and leaves the flag as it was.
void ReadQuitOnFailure(const QStringList& params, int required, bool& quitOnFailure);

// Writes the entries of one command. Run executes the routine's body and turns every
// error raised in it into the failure entry: the failure text, the subject line (for
// commands that have one), the header and the detail. LogWriteFailure passes through.
class CommandEntry {
  public:
    CommandEntry(BatchContext& context, QString source, QString failureText, bool hasSubject);

    void SetSubject(const QString& subject) { subject_ = subject; }
    void SetFailureText(const QString& failureText) { failureText_ = failureText; }
    void AppendToFailureText(const QString& text) { failureText_ += text; }
    // From now on the failure entry ends with this line after the detail and shows no
    // subject line before the header.
    void SetFailureTrailer(const QString& trailer) { trailer_ = trailer; }
    // The success entry: the text, then the subject line for commands that have one.
    void Succeed(const QString& successText);

    template <class Body>
    bool Run(Body&& body) {
        try {
            body();
            return true;
        } catch (const LogWriteFailure&) {
            throw;
        } catch (const TarselError& error) {
            WriteFailure(error);
        } catch (const std::exception& error) {
            WriteFailure(RuntimeError(QString::fromLocal8Bit(error.what())));
        } catch (...) {
            WriteFailure(RuntimeError(QStringLiteral("Unexpected error")));
        }
        return false;
    }

    // Writes the failure entry for error.
    void WriteFailure(const TarselError& error);

  private:
    TarselError RuntimeError(const QString& description) const;

    BatchContext& context_;
    QString source_;
    QString failureText_;
    bool hasSubject_;
    QString subject_;
    std::optional<QString> trailer_;
};

struct DispatchEntry;

// What a command's body works with.
struct CommandCall {
    const DispatchEntry& command;
    BatchContext& context;
    const QStringList& params;
    CommandEntry& entry;
};

}  // namespace tarsel::batch
