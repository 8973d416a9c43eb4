#pragma once
// A client library of plain objects for the shell's tests: a version to report, a logon
// prompt answering from a script, and a session with named dimensions and languages.

#include <deque>
#include <memory>
#include <optional>

#include "server/client_library.h"

namespace shelltest {

class FakeDimension : public tarsel::DimensionTree {
  public:
    explicit FakeDimension(int number) : number_(number) {}
    QString GetDimensionName() override { return tarsel::DimensionDisplayName(number_); }
    tarsel::Dimension GetDimension() override { return static_cast<tarsel::Dimension>(number_); }
    tarsel::MemberId GetMemberListID(const QString&) override { return -1; }
    QStringList EnumMemberListNames() override { return {}; }
    tarsel::IdArray EnumMembersInList(tarsel::MemberId, tarsel::MemberId) override { return {}; }
    tarsel::ListMembersForPOV EnumListMembersForPOV(tarsel::MemberId, tarsel::MemberId,
                                                    tarsel::MemberId, tarsel::MemberId,
                                                    tarsel::MemberId, tarsel::MemberId) override {
        return {};
    }
    tarsel::IdArray EnumChildMemberIDs(tarsel::MemberId, tarsel::MemberId) override { return {}; }
    QString GetMemberLabel(tarsel::MemberId) override { return {}; }
    QString GetMemberDescription(tarsel::MemberId, int) override { return {}; }
    int32_t GetNumberOfChildren(tarsel::MemberId) override { return 0; }
    bool IsParent(tarsel::MemberId) override { return false; }
    tarsel::MemberId GetMemberID(const QString&) override { return -1; }
    tarsel::IdArray EnumAllMemberIDs() override { return {}; }
    QStringList EnumAllMemberLabels() override { return {}; }
    tarsel::ParentChildPairs EnumParentChildPairs() override { return {}; }
    tarsel::IdArray EnumBaseMembers(tarsel::MemberId, int) override { return {}; }
    tarsel::IdArray EnumDescendants(tarsel::MemberId, int) override { return {}; }
    QString GetDefaultParentLabel(tarsel::MemberId) override { return {}; }
    int32_t GetDefaultParentGeneration(tarsel::MemberId) override { return 0; }
    int32_t GetLevelsBelow(tarsel::MemberId) override { return 0; }
    std::shared_ptr<tarsel::AccountAttributes> QueryAccountAttributes() override { return {}; }
    std::shared_ptr<tarsel::EntityAttributes> QueryEntityAttributes() override { return {}; }
    std::shared_ptr<tarsel::CustomAttributes> QueryCustomAttributes() override { return {}; }

  private:
    int number_;
};

class FakeMetadata : public tarsel::SessionMetadata {
  public:
    std::shared_ptr<tarsel::DimensionTree> GetDimensionByIndex(int number) override {
        ++dimensionRequests;
        return std::make_shared<FakeDimension>(number);
    }
    tarsel::Languages GetLanguages() override {
        tarsel::Languages result;
        for (int i = 0; i < languages.size(); ++i) {
            result.ids.push_back(i);
        }
        result.labels = languages;
        return result;
    }
    QStringList languages{QStringLiteral("English"), QStringLiteral("French")};
    int dimensionRequests = 0;
};

class FakeSystemInfo : public tarsel::SystemInfo {
  public:
    QString GetClusterName() override { return cluster; }
    QString GetApplicationName() override { return application; }
    tarsel::MemberListFile GetMemberListFile() override { return {}; }
    QString cluster = QStringLiteral("Demo");
    QString application = QStringLiteral("DemoApp");
};

class FakeSession : public tarsel::ApplicationSession {
  public:
    std::shared_ptr<tarsel::SystemInfo> SystemInfo() override { return systemInfo; }
    std::shared_ptr<tarsel::SessionMetadata> Metadata() override { return metadata; }
    std::shared_ptr<tarsel::Security> Security() override { return {}; }
    std::shared_ptr<tarsel::ApplicationAdmin> GetAdministration() override { return {}; }
    std::shared_ptr<tarsel::CalculationService> GetCalculation() override { return {}; }
    std::shared_ptr<FakeSystemInfo> systemInfo = std::make_shared<FakeSystemInfo>();
    std::shared_ptr<FakeMetadata> metadata = std::make_shared<FakeMetadata>();
};

class FakeConnection : public tarsel::ClientConnection {
  public:
    void SetLogonInfo(const QString& domain, const QString& user, const QString&,
                      const QString& password) override {
        this->domain = domain;
        this->user = user;
        this->password = password;
    }
    tarsel::OpenedApplication OpenApplication(const QString& cluster, const QString& product,
                                              const QString& application) override {
        openedCluster = cluster;
        openedProduct = product;
        openedApplication = application;
        if (refuseOpen) {
            tarsel::ThrowClientError(tarsel::code::kNotProvisioned,
                                     QStringLiteral("not provisioned"));
        }
        return {nullptr, session};
    }
    tarsel::LogonInfo GetLogonInfo() override { return {true, QStringLiteral("detail"), user}; }

    QString domain, user, password;
    QString openedCluster, openedProduct, openedApplication;
    bool refuseOpen = false;
    std::shared_ptr<FakeSession> session = std::make_shared<FakeSession>();
};

// Answers Logon and OpenApplication from queues; true / an application when empty.
class FakePrompt : public tarsel::LogonPrompt {
  public:
    void Initialize(std::shared_ptr<tarsel::ClientConnection> c) override {
        connection = std::dynamic_pointer_cast<FakeConnection>(c);
    }
    bool Logon(bool) override {
        ++logons;
        if (connection) {
            connection->SetLogonInfo(QStringLiteral("Demo"), user, QString(), QString());
        }
        return Next(logonAnswers);
    }
    std::optional<tarsel::PromptedApplication> OpenApplication() override {
        ++opens;
        if (!Next(openAnswers)) {
            return std::nullopt;
        }
        return tarsel::PromptedApplication{nullptr, connection->session, QStringLiteral("Demo"),
                                           QString(), applicationName};
    }
    static bool Next(std::deque<bool>& answers) {
        if (answers.empty()) {
            return true;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::shared_ptr<FakeConnection> connection;
    std::deque<bool> logonAnswers, openAnswers;
    QString user = QStringLiteral("demo");
    QString applicationName = QStringLiteral("OpenedName");
    int logons = 0, opens = 0;
};

class FakeErrorHandler : public tarsel::ErrorHandlerComponent {
  public:
    explicit FakeErrorHandler(std::optional<QString> version) : version_(std::move(version)) {}
    void SetOption(int16_t) override {}
    QString GetVersion() override {
        if (!version_) {
            tarsel::ThrowClientError(tarsel::code::kInternal, QStringLiteral("no version here"));
        }
        return *version_;
    }
    Message GetErrorMessage(int32_t, int32_t, const QString& d, const QString&) override {
        return {d, {}};
    }

  private:
    std::optional<QString> version_;
};

class FakeLibrary : public tarsel::ClientLibrary {
  public:
    std::shared_ptr<tarsel::ErrorHandlerComponent> CreateErrorHandlerComponent() override {
        return std::make_shared<FakeErrorHandler>(version);
    }
    std::shared_ptr<tarsel::ClientConnection> CreateClientConnection() override {
        lastConnection = std::make_shared<FakeConnection>();
        if (nextSession) {
            lastConnection->session = nextSession;
        }
        return lastConnection;
    }
    std::shared_ptr<tarsel::LogonPrompt> CreateLogonPrompt() override { return prompt; }
    std::shared_ptr<tarsel::MetadataLoad> CreateMetadataLoad() override { return {}; }
    std::shared_ptr<tarsel::RulesLoad> CreateRulesLoad() override { return {}; }
    std::shared_ptr<tarsel::DataLoad> CreateDataLoad() override { return {}; }
    std::shared_ptr<tarsel::JournalLoad> CreateJournalLoad() override { return {}; }
    std::shared_ptr<tarsel::SecurityLoad> CreateSecurityLoad() override { return {}; }

    std::optional<QString> version = QStringLiteral("11.1.2.0");
    std::shared_ptr<FakePrompt> prompt = std::make_shared<FakePrompt>();
    std::shared_ptr<FakeConnection> lastConnection;
    // The session that connections made from now on open; a fresh one each when unset.
    std::shared_ptr<FakeSession> nextSession;
};

}  // namespace shelltest
