#include "server/local/local_objects.h"

#include <QFileInfo>

#include "server/local/cluster_store.h"
#include "server/local/local_dimension_tree.h"
#include "server/local/local_session.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

void ThrowNotAvailable(const QString& what) {
    ThrowClientError(code::kNotImplemented,
                     QStringLiteral("%1 is not available in this build of the local Tarsel "
                                    "server.")
                         .arg(what));
}

namespace {

class LocalSystemInfo : public SystemInfo {
  public:
    explicit LocalSystemInfo(std::shared_ptr<ApplicationFile> file) : file_(std::move(file)) {}
    QString GetClusterName() override { return file_->cluster(); }
    QString GetApplicationName() override { return file_->name(); }
    MemberListFile GetMemberListFile() override {
        const auto content = file_->MemberListFile();
        return content ? MemberListFile{*content, true} : MemberListFile{};
    }

  private:
    std::shared_ptr<ApplicationFile> file_;
};

class LocalSessionMetadata : public SessionMetadata {
  public:
    explicit LocalSessionMetadata(std::shared_ptr<ApplicationFile> file) : file_(std::move(file)) {}
    std::shared_ptr<DimensionTree> GetDimensionByIndex(int dimensionNumber) override {
        if (dimensionNumber < 0 || dimensionNumber >= kDimensionCount) {
            ThrowClientError(
                code::kUnknownDimension,
                QStringLiteral("There is no dimension number %1 (0 to 11).").arg(dimensionNumber));
        }
        auto& tree = trees_[static_cast<size_t>(dimensionNumber)];
        if (!tree) {
            tree = CreateLocalDimensionTree(file_, static_cast<Dimension>(dimensionNumber));
        }
        return tree;
    }
    Languages GetLanguages() override {
        const auto info = file_->Info();
        Languages languages;
        languages.labels = info->languages;
        for (qsizetype i = 0; i < info->languages.size(); ++i) {
            languages.ids.push_back(static_cast<MemberId>(i));
        }
        return languages;
    }

  private:
    std::shared_ptr<ApplicationFile> file_;
    std::array<std::shared_ptr<DimensionTree>, kDimensionCount> trees_;
};

class LocalSecurity : public Security {
  public:
    explicit LocalSecurity(std::shared_ptr<ApplicationFile> file) : file_(std::move(file)) {}
    SecurityClasses EnumSecurityClasses() override {
        const auto info = file_->Info();
        SecurityClasses classes;
        classes.names = info->securityClasses;
        for (qsizetype i = 0; i < info->securityClasses.size(); ++i) {
            classes.ids.push_back(static_cast<int32_t>(i));
        }
        return classes;
    }
    QString GetSecurityClassName(int32_t id) override {
        const auto info = file_->Info();
        if (id < 0 || id >= info->securityClasses.size()) {
            ThrowClientError(code::kUnknownSecurityClass,
                             QStringLiteral("The security class id %1 is not a security class of "
                                            "the application \"%2\".")
                                 .arg(id)
                                 .arg(file_->name()));
        }
        return info->securityClasses[id];
    }

  private:
    std::shared_ptr<ApplicationFile> file_;
};

class NotAvailableAdmin : public ApplicationAdmin {
  public:
    void RemoveInvalidRecords(int32_t, int32_t, const QString&) override {
        ThrowNotAvailable(QStringLiteral("Removing invalid records"));
    }
};

class NotAvailableCalculation : public CalculationService {
  public:
    void RunConsolidation(MemberId, MemberId, MemberId, MemberId, MemberId, MemberId,
                          int16_t) override {
        ThrowNotAvailable(QStringLiteral("Consolidation"));
    }
    void RunForceCalculation(MemberId, MemberId, MemberId, MemberId, MemberId, MemberId, MemberId,
                             int32_t) override {
        ThrowNotAvailable(QStringLiteral("Forced calculation"));
    }
};

class LocalClientSession : public ClientSession {
  public:
    explicit LocalClientSession(std::shared_ptr<ApplicationFile> file) : file_(std::move(file)) {}

  private:
    std::shared_ptr<ApplicationFile> file_;
};

class LocalClientConnection : public ClientConnection {
  public:
    explicit LocalClientConnection(QString home) : home_(std::move(home)) {}

    void SetLogonInfo(const QString& domain, const QString& userId, const QString&,
                      const QString& password) override {
        domain_ = domain;
        user_ = userId;
        password_ = password;
        haveLogonInfo_ = true;
        loggedOn_ = false;
    }

    OpenedApplication OpenApplication(const QString& cluster, const QString& product,
                                      const QString& application) override {
        if (!haveLogonInfo_ || user_.isEmpty()) {
            ThrowClientError(code::kNoLogonInfo,
                             QStringLiteral("No user name and password were given. Give them "
                                            "(SetLogonInfo) before opening an application."));
        }
        if (product.compare(QLatin1String("Tarsel"), Qt::CaseInsensitive) != 0) {
            ThrowClientError(code::kUnknownProduct,
                             QStringLiteral("The product \"%1\" is not served here; open "
                                            "applications of the product \"Tarsel\".")
                                 .arg(product));
        }
        const ClusterStore store = ClusterStore::Open(home_, cluster);
        // The user is checked before the application, so that nobody learns which
        // applications a cluster holds without a valid logon.
        store.CheckPassword(user_, password_);
        const QString path = store.ApplicationPath(application);
        const QString name = QFileInfo(path).completeBaseName();
        if (!store.IsProvisioned(user_, name)) {
            ThrowClientError(code::kNotProvisioned,
                             QStringLiteral("The user \"%1\" may not open the application \"%2\" "
                                            "of the cluster \"%3\". Ask the cluster's "
                                            "administrator to provision the user "
                                            "(tarsel-local).")
                                 .arg(user_, name, store.name()));
        }
        auto file = std::make_shared<ApplicationFile>(store.name(), name, path);
        OpenedApplication opened;
        opened.clientSession = std::make_shared<LocalClientSession>(file);
        opened.session = std::make_shared<LocalApplicationSession>(
            file, store.path(), user_, store.IsAdministrator(user_, name));
        loggedOn_ = true;
        return opened;
    }

    LogonInfo GetLogonInfo() override { return {loggedOn_, domain_, user_}; }

  private:
    QString home_;
    QString domain_, user_, password_;
    bool haveLogonInfo_ = false;
    bool loggedOn_ = false;
};

class LocalErrorHandler : public ErrorHandlerComponent {
  public:
    void SetOption(int16_t option) override { option_ = option; }
    QString GetVersion() override {
        const QString version = qEnvironmentVariable("TARSEL_CLIENT_VERSION");
        return version.isEmpty() ? QStringLiteral("11.1.2.0") : version;
    }
    Message GetErrorMessage(int32_t, int32_t number, const QString& description,
                            const QString& fallback) override {
        const QString known = ClientErrorText(number);
        if (!known.isEmpty()) {
            // The description of a local failure already names what failed and what to do.
            return {description.trimmed().isEmpty() ? known : description, known};
        }
        return {description.trimmed().isEmpty() ? fallback : description, QString()};
    }

  private:
    int16_t option_ = 0;
};

}  // namespace

LocalApplicationSession::LocalApplicationSession(std::shared_ptr<ApplicationFile> file,
                                                 QString clusterPath, QString userName,
                                                 bool administrator)
    : file_(std::move(file)),
      clusterPath_(std::move(clusterPath)),
      userName_(std::move(userName)),
      administrator_(administrator) {}

std::shared_ptr<tarsel::SystemInfo> LocalApplicationSession::SystemInfo() {
    if (!systemInfo_) {
        systemInfo_ = std::make_shared<LocalSystemInfo>(file_);
    }
    return systemInfo_;
}

std::shared_ptr<SessionMetadata> LocalApplicationSession::Metadata() {
    if (!metadata_) {
        metadata_ = std::make_shared<LocalSessionMetadata>(file_);
    }
    return metadata_;
}

std::shared_ptr<tarsel::Security> LocalApplicationSession::Security() {
    if (!security_) {
        security_ = std::make_shared<LocalSecurity>(file_);
    }
    return security_;
}

std::shared_ptr<ApplicationAdmin> LocalApplicationSession::GetAdministration() {
    return std::make_shared<NotAvailableAdmin>();
}

std::shared_ptr<CalculationService> LocalApplicationSession::GetCalculation() {
    return std::make_shared<NotAvailableCalculation>();
}

void LocalApplicationSession::RequireAdministrator(const QString& operation) const {
    if (!administrator_) {
        ThrowClientError(code::kAccessDenied,
                         QStringLiteral("The user \"%1\" is not an administrator of the "
                                        "application \"%2\" and may not run %3. Ask the "
                                        "cluster's administrator for the administrator role.")
                             .arg(userName_, file_->name(), operation));
    }
}

std::shared_ptr<LocalApplicationSession> AsLocalSession(
    const std::shared_ptr<ApplicationSession>& session) {
    return std::dynamic_pointer_cast<LocalApplicationSession>(session);
}

std::shared_ptr<ClientConnection> CreateLocalClientConnection(QString home) {
    return std::make_shared<LocalClientConnection>(std::move(home));
}

std::shared_ptr<ErrorHandlerComponent> CreateLocalErrorHandler() {
    return std::make_shared<LocalErrorHandler>();
}

QString ClientErrorText(int32_t number) {
    using namespace code;
    switch (number) {
        case kUnknownCluster:
            return QStringLiteral("The cluster does not exist.");
        case kUnknownApplication:
            return QStringLiteral("The application does not exist in the cluster.");
        case kUnknownUser:
            return QStringLiteral("The user is not known in the cluster.");
        case kWrongPassword:
            return QStringLiteral("The password is wrong.");
        case kNotProvisioned:
            return QStringLiteral("The user is not provisioned in the application.");
        case kNotLoggedOn:
            return QStringLiteral("Not logged on to a cluster.");
        case kNoLogonInfo:
            return QStringLiteral("No user name and password were given.");
        case kUnknownProduct:
            return QStringLiteral("The product is not served by this server.");
        case kUnknownMember:
            return QStringLiteral("The member is not in the dimension.");
        case kUnknownMemberId:
            return QStringLiteral("The member id is not in the dimension.");
        case kUnknownDimension:
            return QStringLiteral("The dimension does not exist.");
        case kUnknownMemberList:
            return QStringLiteral("The member list does not exist in the dimension.");
        case kUnknownSecurityClass:
            return QStringLiteral("The security class does not exist.");
        case kWrongDimensionKind:
            return QStringLiteral("The dimension has no attributes of that kind.");
        case kUnknownOption:
            return QStringLiteral("The option does not exist.");
        case kWrongOptionValue:
            return QStringLiteral("The value does not suit the option.");
        case kNoSession:
            return QStringLiteral("No application session was given.");
        case kAccessDenied:
            return QStringLiteral("The user is not allowed to do this.");
        case kFileNotFound:
            return QStringLiteral("The file does not exist.");
        case kFileUnreadable:
            return QStringLiteral("The file cannot be read.");
        case kFileUnwritable:
            return QStringLiteral("The file cannot be written.");
        case kMalformedFile:
            return QStringLiteral("The file is not well formed.");
        case kStoreFailure:
            return QStringLiteral("The application store failed.");
        case kStoreBusy:
            return QStringLiteral("The application store is busy.");
        case kSchemaMismatch:
            return QStringLiteral(
                "The application store has a version this server does not "
                "read.");
        case kAlreadyExists:
            return QStringLiteral("It exists already.");
        case kInvalidName:
            return QStringLiteral("The name cannot be used.");
        case kNotImplemented:
            return QStringLiteral(
                "This is not available in this build of the local Tarsel "
                "server.");
        case kInternal:
            return QStringLiteral("The local Tarsel server failed internally.");
        default:
            return {};
    }
}

}  // namespace tarsel::local
