#include "tests/batch/fake_library.h"

namespace tarsel::batch::test {

namespace {

[[noreturn]] void NotHere() {
    ThrowClientError(code::kNotImplemented, QStringLiteral("not in fake"));
}

class FakeSession : public ApplicationSession {
  public:
    explicit FakeSession(std::shared_ptr<FakeServer> server) : server_(std::move(server)) {
        ++server_->openSessions;
    }
    ~FakeSession() override { --server_->openSessions; }
    std::shared_ptr<tarsel::SystemInfo> SystemInfo() override { NotHere(); }
    std::shared_ptr<SessionMetadata> Metadata() override { return nullptr; }
    std::shared_ptr<tarsel::Security> Security() override { NotHere(); }
    std::shared_ptr<ApplicationAdmin> GetAdministration() override { return nullptr; }
    std::shared_ptr<CalculationService> GetCalculation() override { NotHere(); }

  private:
    std::shared_ptr<FakeServer> server_;
};

class FakeConnection : public ClientConnection {
  public:
    explicit FakeConnection(std::shared_ptr<FakeServer> server) : server_(std::move(server)) {}
    void SetLogonInfo(const QString& domain, const QString& userId, const QString& unused,
                      const QString& password) override {
        server_->logonCalls << domain + '|' + userId + '|' + unused + '|' + password;
        user_ = userId;
        password_ = password;
    }
    OpenedApplication OpenApplication(const QString& cluster, const QString& product,
                                      const QString& application) override {
        if (product != QLatin1String("Tarsel")) {
            ThrowClientError(code::kUnknownProduct, QStringLiteral("Unknown product"));
        }
        if (cluster != server_->cluster) {
            ThrowClientError(code::kUnknownCluster, QStringLiteral("Unknown cluster ") + cluster);
        }
        if (application != server_->application) {
            ThrowClientError(code::kUnknownApplication,
                             QStringLiteral("Unknown application ") + application);
        }
        auto user = server_->passwords.find(user_);
        if (user == server_->passwords.end()) {
            ThrowClientError(code::kUnknownUser, QStringLiteral("Unknown user ") + user_);
        }
        if (user->second != password_) {
            ThrowClientError(code::kWrongPassword, QStringLiteral("Wrong password"));
        }
        if (server_->onOpen) {
            server_->onOpen();
        }
        return {std::make_shared<tarsel::ClientSession>(), std::make_shared<FakeSession>(server_)};
    }
    LogonInfo GetLogonInfo() override { return {}; }

  private:
    std::shared_ptr<FakeServer> server_;
    QString user_;
    QString password_;
};

class FakeErrorHandler : public ErrorHandlerComponent {
  public:
    void SetOption(int16_t option) override { option_ = option; }
    QString GetVersion() override { return QStringLiteral("11.1.2.0"); }
    Message GetErrorMessage(int32_t, int32_t number, const QString& description,
                            const QString& fallback) override {
        if (option_ != 1) {
            return {QStringLiteral("wrong message mode"), {}};
        }
        if (description.isEmpty()) {
            return {fallback, {}};
        }
        return {QStringLiteral("  Server error %1:\r\n%2  ").arg(number).arg(description), {}};
    }

  private:
    int16_t option_ = 0;
};

class FakeLibrary : public ClientLibrary {
  public:
    explicit FakeLibrary(std::shared_ptr<FakeServer> server) : server_(std::move(server)) {}
    std::shared_ptr<ErrorHandlerComponent> CreateErrorHandlerComponent() override {
        return std::make_shared<FakeErrorHandler>();
    }
    std::shared_ptr<ClientConnection> CreateClientConnection() override {
        return std::make_shared<FakeConnection>(server_);
    }
    std::shared_ptr<LogonPrompt> CreateLogonPrompt() override { NotHere(); }
    std::shared_ptr<MetadataLoad> CreateMetadataLoad() override { NotHere(); }
    std::shared_ptr<RulesLoad> CreateRulesLoad() override { NotHere(); }
    std::shared_ptr<DataLoad> CreateDataLoad() override { NotHere(); }
    std::shared_ptr<JournalLoad> CreateJournalLoad() override { NotHere(); }
    std::shared_ptr<SecurityLoad> CreateSecurityLoad() override { NotHere(); }

  private:
    std::shared_ptr<FakeServer> server_;
};

}  // namespace

FakeLibraryInstall::FakeLibraryInstall(std::shared_ptr<FakeServer> server) {
    InstallClientLibrary(std::make_shared<FakeLibrary>(std::move(server)));
}

FakeLibraryInstall::~FakeLibraryInstall() {
    InstallClientLibrary(nullptr);
}

}  // namespace tarsel::batch::test
