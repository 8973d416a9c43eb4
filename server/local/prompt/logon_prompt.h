#pragma once
// The LogonPrompt of the local Tarsel server: the logon (cluster, user, password) and the
// choice of one of the user's applications, each in a dialog of the library. With a
// password in the environment and everything else known, no dialog is shown at all.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "server/local/local_library.h"
#include "server/tarsel.h"

namespace tarsel::local {

// What the prompt starts from. Empty fields are asked for.
struct LogonDefaults {
    QString cluster;
    QString application;
    QString user;
    QString password;  // only ever taken from the environment, never shown in a dialog
};

// TARSEL_CLUSTER, TARSEL_APPLICATION, TARSEL_USER and TARSEL_PASSWORD.
LogonDefaults LogonDefaultsFromEnvironment();
// defaults with every non-empty field of options put over it (the command line wins).
LogonDefaults WithOptions(LogonDefaults defaults, const LogonDefaults& options);

struct LogonEntry {
    QString cluster;
    QString user;
    QString password;
};

// The two dialogs; tests answer them without showing anything.
class LogonDialogs {
  public:
    virtual ~LogonDialogs() = default;
    // entry pre-fills the dialog (its password is always empty); clusters are offered to
    // pick from; refusal, when not empty, says why the last attempt was refused. Nothing
    // when the user cancelled.
    virtual std::optional<LogonEntry> AskLogon(const LogonEntry& entry, const QStringList& clusters,
                                               const QString& refusal) = 0;
    // The applications the user may open in the cluster; preselected is chosen first when
    // listed. Nothing when the user cancelled.
    virtual std::optional<QString> AskApplication(const QString& cluster, const QString& user,
                                                  const QStringList& applications,
                                                  const QString& preselected,
                                                  const QString& refusal) = 0;
};

class LocalLogonPrompt : public LogonPrompt {
  public:
    LocalLogonPrompt(QString home, LogonDefaults defaults, std::shared_ptr<LogonDialogs> dialogs);

    void Initialize(std::shared_ptr<ClientConnection> connection) override;
    // The first call logs on from the defaults without a dialog when cluster, user and
    // password are all known; a refusal then gives false, and the next call asks in the
    // dialog, showing the reason.
    bool Logon(bool flag) override;
    // After a logon without dialog the default application is opened without one, once;
    // otherwise (or after a refusal) the application dialog asks.
    std::optional<PromptedApplication> OpenApplication() override;

  private:
    bool TryLogon(const LogonEntry& entry);
    std::optional<PromptedApplication> TryOpen(const QString& application);

    QString home_;
    LogonDefaults defaults_;
    std::shared_ptr<LogonDialogs> dialogs_;
    std::shared_ptr<ClientConnection> connection_;
    LogonEntry loggedOn_;
    bool isLoggedOn_ = false;
    bool loggedOnWithoutDialog_ = false;
    bool automaticLogonTried_ = false;
    bool automaticOpenTried_ = false;
    QString lastApplication_;
    QString refusal_;  // why the last attempt failed; shown by the next dialog
};

// The prompt factory the interactive program gives CreateLocalClientLibrary: prompts
// with the Qt dialogs, clusters under home (default TarselHome()).
LogonPromptFactory CreateQtLogonPromptFactory(LogonDefaults defaults, QString home = {});

}  // namespace tarsel::local
