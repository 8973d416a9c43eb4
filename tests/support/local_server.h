#pragma once
// A local Tarsel server for one test: a fresh temporary TARSEL_HOME with a cluster, a user
// with a password, an application made from an AppModel, the user provisioned in it, and
// the local client library made for it (library()). Everything is undone when the object goes.
//
//   LocalServer server(AppBuilder().Relate(Dimension::Entity, "", "World").Build());
//   auto tree = server.Tree(Dimension::Entity);
//
// or, as a GoogleTest fixture, derive from LocalServerTest and call StartServer(model).

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

#include "server/client_library.h"
#include "server/local/app_model.h"
#include "server/local/cluster_store.h"
#include "server/local/local_library.h"

namespace tarsel::test {

struct LocalServerOptions {
    QString cluster = QStringLiteral("TestCluster");
    QString application = QStringLiteral("TestApp");
    QString user = QStringLiteral("admin");
    QString password = QStringLiteral("secret");
    bool administrator = true;
    local::LogonPromptFactory promptFactory;  // for CreateLogonPrompt
};

// The number of the client error call fails with; 0 when it returns. text, when given,
// receives the error's description.
int32_t FailureOf(const std::function<void()>& call, QString* text = nullptr);

class LocalServer {
  public:
    explicit LocalServer(const local::AppModel& model, LocalServerOptions options = {});
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    const QString& home() const { return home_; }
    const LocalServerOptions& options() const { return options_; }
    local::ClusterStore store() const;
    QString applicationPath() const;
    std::shared_ptr<ClientLibrary> library() const { return library_; }

    // A new logon with the fixture's user (through a new ClientConnection).
    OpenedApplication Open() const;
    // The session of one logon kept by the fixture (made on first use).
    std::shared_ptr<ApplicationSession> Session();
    std::shared_ptr<DimensionTree> Tree(Dimension dimension);

  private:
    LocalServerOptions options_;
    QTemporaryDir dir_;
    QString home_;
    std::optional<QByteArray> previousHome_;
    std::shared_ptr<ClientLibrary> library_;
    OpenedApplication opened_;
};

class LocalServerTest : public ::testing::Test {
  protected:
    LocalServer& StartServer(const local::AppModel& model, LocalServerOptions options = {}) {
        server_ = std::make_unique<LocalServer>(model, std::move(options));
        return *server_;
    }
    LocalServer& server() { return *server_; }
    void TearDown() override { server_.reset(); }

  private:
    std::unique_ptr<LocalServer> server_;
};

}  // namespace tarsel::test
