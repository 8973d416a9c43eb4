#include "server/local/local_objects.h"

#include <QFileInfo>

#include "server/local/calculation/application_admin.h"
#include "server/local/calculation/calculation_service.h"
#include "server/local/cluster_store.h"
#include "server/local/local_session.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

// The session the local library hands out: the stored metadata with the application's
// own administration and calculation.
class WiredSession final : public LocalApplicationSession {
  public:
    using LocalApplicationSession::LocalApplicationSession;
    std::shared_ptr<ApplicationAdmin> GetAdministration() override {
        return std::make_shared<LocalApplicationAdmin>(shared_from_this());
    }
    std::shared_ptr<CalculationService> GetCalculation() override {
        return std::make_shared<LocalCalculationService>(shared_from_this());
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
        opened.session = std::make_shared<WiredSession>(file, store.path(), user_,
                                                        store.IsAdministrator(user_, name));
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
