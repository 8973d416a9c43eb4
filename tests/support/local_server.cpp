#include "tests/support/local_server.h"

#include "server/local/password_hash.h"
#include "server/tarsel_error.h"

namespace tarsel::test {

int32_t FailureOf(const std::function<void()>& call, QString* text) {
    try {
        call();
    } catch (const TarselError& error) {
        if (text) {
            *text = error.description();
        }
        return error.number();
    }
    return 0;
}

LocalServer::LocalServer(const local::AppModel& model, LocalServerOptions options)
    : options_(std::move(options)) {
    if (!dir_.isValid()) {
        throw std::runtime_error("no temporary folder for TARSEL_HOME");
    }
    home_ = dir_.path();
    if (qEnvironmentVariableIsSet("TARSEL_HOME")) {
        previousHome_ = qgetenv("TARSEL_HOME");
    }
    qputenv("TARSEL_HOME", home_.toLocal8Bit());
    // Tests log on often; the smallest Argon2id cost keeps them fast.
    local::SetPasswordHashCost(local::HashCost::Minimal);
    local::ClusterStore store = local::ClusterStore::Create(home_, options_.cluster);
    store.AddUser(options_.user, options_.password);
    store.CreateApplication(options_.application, model);
    store.Provision(options_.user, options_.application, options_.administrator);
    library_ = local::CreateLocalClientLibrary(options_.promptFactory, home_);
}

LocalServer::~LocalServer() {
    opened_ = {};
    if (previousHome_) {
        qputenv("TARSEL_HOME", *previousHome_);
    } else {
        qunsetenv("TARSEL_HOME");
    }
}

local::ClusterStore LocalServer::store() const {
    return local::ClusterStore::Open(home_, options_.cluster);
}

QString LocalServer::applicationPath() const {
    return store().ApplicationPath(options_.application);
}

OpenedApplication LocalServer::Open() const {
    auto connection = library_->CreateClientConnection();
    connection->SetLogonInfo(QString(), options_.user, QString(), options_.password);
    return connection->OpenApplication(options_.cluster, QStringLiteral("Tarsel"),
                                       options_.application);
}

std::shared_ptr<ApplicationSession> LocalServer::Session() {
    if (!opened_.session) {
        opened_ = Open();
    }
    return opened_.session;
}

std::shared_ptr<DimensionTree> LocalServer::Tree(Dimension dimension) {
    return Session()->Metadata()->GetDimensionByIndex(static_cast<int>(dimension));
}

}  // namespace tarsel::test
