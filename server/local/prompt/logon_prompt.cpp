#include "server/local/prompt/logon_prompt.h"

#include "server/local/cluster_store.h"
#include "server/local/prompt/qt_logon_dialogs.h"

namespace tarsel::local {

namespace {
// The product the local server answers to.
const QString kProduct = QStringLiteral("Tarsel");
}  // namespace

LogonDefaults LogonDefaultsFromEnvironment() {
    return LogonDefaults{
        qEnvironmentVariable("TARSEL_CLUSTER"), qEnvironmentVariable("TARSEL_APPLICATION"),
        qEnvironmentVariable("TARSEL_USER"), qEnvironmentVariable("TARSEL_PASSWORD")};
}

LogonDefaults WithOptions(LogonDefaults defaults, const LogonDefaults& options) {
    for (auto field : {&LogonDefaults::cluster, &LogonDefaults::application, &LogonDefaults::user,
                       &LogonDefaults::password}) {
        if (!(options.*field).isEmpty()) {
            defaults.*field = options.*field;
        }
    }
    return defaults;
}

LocalLogonPrompt::LocalLogonPrompt(QString home, LogonDefaults defaults,
                                   std::shared_ptr<LogonDialogs> dialogs)
    : home_(home.isEmpty() ? TarselHome() : std::move(home)),
      defaults_(std::move(defaults)),
      dialogs_(std::move(dialogs)) {}

void LocalLogonPrompt::Initialize(std::shared_ptr<ClientConnection> connection) {
    connection_ = std::move(connection);
    isLoggedOn_ = false;
}

bool LocalLogonPrompt::TryLogon(const LogonEntry& entry) {
    try {
        if (entry.cluster.trimmed().isEmpty()) {
            refusal_ = QStringLiteral("Enter the name of a cluster.");
            return false;
        }
        if (entry.user.trimmed().isEmpty()) {
            refusal_ = QStringLiteral("Enter a user name.");
            return false;
        }
        const ClusterStore store = ClusterStore::Open(home_, entry.cluster.trimmed());
        store.CheckPassword(entry.user.trimmed(), entry.password);
        connection_->SetLogonInfo(store.name(), entry.user.trimmed(), QString(), entry.password);
        // The password stays with the connection only.
        loggedOn_ = LogonEntry{store.name(), entry.user.trimmed(), QString()};
        isLoggedOn_ = true;
        refusal_.clear();
        return true;
    } catch (const TarselError& error) {
        refusal_ = error.description();
        return false;
    }
}

bool LocalLogonPrompt::Logon(bool /*flag*/) {
    isLoggedOn_ = false;
    if (!connection_) {
        return false;
    }
    if (!automaticLogonTried_ && !defaults_.password.isEmpty() && !defaults_.cluster.isEmpty() &&
        !defaults_.user.isEmpty()) {
        automaticLogonTried_ = true;
        loggedOnWithoutDialog_ =
            TryLogon(LogonEntry{defaults_.cluster, defaults_.user, defaults_.password});
        return loggedOnWithoutDialog_;
    }
    loggedOnWithoutDialog_ = false;
    if (!dialogs_) {
        return false;
    }
    LogonEntry entry{loggedOn_.cluster.isEmpty() ? defaults_.cluster : loggedOn_.cluster,
                     loggedOn_.user.isEmpty() ? defaults_.user : loggedOn_.user, QString()};
    for (;;) {
        QStringList clusters;
        try {
            clusters = ClusterStore::List(home_);
        } catch (const TarselError&) {
            // The name can still be typed; the logon then says what is wrong with it.
        }
        const std::optional<LogonEntry> answer = dialogs_->AskLogon(entry, clusters, refusal_);
        if (!answer) {
            return false;
        }
        if (TryLogon(*answer)) {
            return true;
        }
        entry = LogonEntry{answer->cluster, answer->user, QString()};
    }
}

std::optional<PromptedApplication> LocalLogonPrompt::TryOpen(const QString& application) {
    try {
        OpenedApplication opened =
            connection_->OpenApplication(loggedOn_.cluster, kProduct, application);
        lastApplication_ = application;
        refusal_.clear();
        return PromptedApplication{opened.clientSession, opened.session, loggedOn_.cluster,
                                   loggedOn_.cluster, application};
    } catch (const TarselError& error) {
        refusal_ = error.description();
        return std::nullopt;
    }
}

std::optional<PromptedApplication> LocalLogonPrompt::OpenApplication() {
    if (!isLoggedOn_ || !connection_) {
        return std::nullopt;
    }
    if (loggedOnWithoutDialog_ && !automaticOpenTried_ && !defaults_.application.isEmpty()) {
        automaticOpenTried_ = true;
        return TryOpen(defaults_.application);
    }
    if (!dialogs_) {
        return std::nullopt;
    }
    QStringList applications;
    try {
        applications = ClusterStore::Open(home_, loggedOn_.cluster).ApplicationsOf(loggedOn_.user);
    } catch (const TarselError& error) {
        refusal_ = error.description();
    }
    QString preselected = lastApplication_.isEmpty() ? defaults_.application : lastApplication_;
    for (;;) {
        const std::optional<QString> choice = dialogs_->AskApplication(
            loggedOn_.cluster, loggedOn_.user, applications, preselected, refusal_);
        if (!choice) {
            return std::nullopt;
        }
        if (auto opened = TryOpen(*choice)) {
            return opened;
        }
        preselected = *choice;
    }
}

LogonPromptFactory CreateQtLogonPromptFactory(LogonDefaults defaults, QString home) {
    return
        [defaults = std::move(defaults), home = std::move(home)]() -> std::shared_ptr<LogonPrompt> {
            return std::make_shared<LocalLogonPrompt>(home, defaults,
                                                      std::make_shared<QtLogonDialogs>());
        };
}

}  // namespace tarsel::local
