#pragma once
// A small application on the local server for the viewer's tests, reached through a fault
// plan for what the server cannot hold or must fail on purpose.
//
//   ViewerServer app;
//   app.builder.Relate(Dimension::Entity, "", "Group");
//   app.Start();
//   auto tree = app.Tree(Dimension::Entity);

#include "tests/support/app_builder.h"
#include "tests/support/fault_injection.h"
#include "tests/support/local_server.h"

namespace viewer_test {

class ViewerServer {
  public:
    tarsel::test::AppBuilder builder;
    std::shared_ptr<tarsel::test::FaultPlan> plan = std::make_shared<tarsel::test::FaultPlan>();
    std::shared_ptr<tarsel::ApplicationSession> session;
    std::shared_ptr<tarsel::SessionMetadata> metadata;
    std::shared_ptr<tarsel::Security> security;
    // The same application without the fault plan: the server's own answers.
    std::shared_ptr<tarsel::ApplicationSession> plainSession;

    ViewerServer() = default;
    ViewerServer(const ViewerServer&) = delete;
    ViewerServer& operator=(const ViewerServer&) = delete;
    ~ViewerServer() { Stop(); }

    // Creates the application from builder (again, afresh, when called again).
    void Start() {
        Stop();
        tarsel::test::LocalServerOptions options;
        server_ = std::make_unique<tarsel::test::LocalServer>(builder.Build(), options);
        plainSession = server_->Session();
        session = tarsel::test::WithFaults(plainSession, plan);
        metadata = session->Metadata();
        security = session->Security();
    }
    std::shared_ptr<tarsel::DimensionTree> Tree(tarsel::Dimension dimension) const {
        return metadata->GetDimensionByIndex(static_cast<int>(dimension));
    }
    tarsel::MemberId Id(tarsel::Dimension dimension, const QString& label) const {
        return Tree(dimension)->GetMemberID(label);
    }
    // "id_label", as the parts of a node's tag read.
    QString Part(tarsel::Dimension dimension, const QString& label) const {
        return QString::number(Id(dimension, label)) + QLatin1Char('_') + label;
    }
    int32_t SecurityClassId(const QString& name) const {
        const tarsel::SecurityClasses classes = security->EnumSecurityClasses();
        return classes.ids.at(static_cast<size_t>(classes.names.indexOf(name)));
    }

  private:
    void Stop() {
        session.reset();
        plainSession.reset();
        metadata.reset();
        security.reset();
        server_.reset();
    }

    std::unique_ptr<tarsel::test::LocalServer> server_;
};

}  // namespace viewer_test
