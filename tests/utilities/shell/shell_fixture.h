#pragma once

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "server/local/prompt/logon_prompt.h"
#include "tests/support/app_builder.h"
#include "tests/support/fault_injection.h"
#include "tests/support/local_server.h"
#include "tests/utilities/shell/scripted_dialogs.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"

namespace shelltest {

// Fresh shared state, scripted message boxes and a temporary folder for each test.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        modGlobal::ResetSessionState();
        ui::InstallMessageBoxes(boxes);
        ASSERT_TRUE(temp.isValid());
    }
    void TearDown() override {
        ui::InstallMessageBoxes(nullptr);
        modGlobal::ResetSessionState();
    }

    std::shared_ptr<ui::ScriptedMessageBoxes> boxes = std::make_shared<ui::ScriptedMessageBoxes>();
    QTemporaryDir temp;
};

// The same with a local server: cluster "TestCluster", application "TestApp" in English and
// French with one Entity member, user "admin". Its logon prompt logs on from logonDefaults
// without a dialog while they carry the right password and asks the scripted dialogs
// otherwise. services.library reaches the server through plan.
class ShellServerTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        tarsel::test::LocalServerOptions options;
        options.promptFactory = [this]() -> std::shared_ptr<tarsel::LogonPrompt> {
            return std::make_shared<tarsel::local::LocalLogonPrompt>(QString(), logonDefaults,
                                                                     dialogs);
        };
        tarsel::test::AppBuilder app;
        app.Languages({QStringLiteral("English"), QStringLiteral("French")});
        app.Relate(tarsel::Dimension::Entity, QString(), QStringLiteral("World"));
        server = std::make_unique<tarsel::test::LocalServer>(app.Build(), options);
        services.library = tarsel::test::WithFaults(server->library(), plan);
        services.programFolder = temp.path();
    }
    void TearDown() override {
        ShellTest::TearDown();
        server.reset();
    }
    static tarsel::local::LogonEntry RightEntry() {
        return {QStringLiteral("TestCluster"), QStringLiteral("admin"), QStringLiteral("secret")};
    }

    tarsel::local::LogonDefaults logonDefaults{QStringLiteral("TestCluster"),
                                               QStringLiteral("TestApp"), QStringLiteral("admin"),
                                               QStringLiteral("secret")};
    std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();
    std::shared_ptr<tarsel::test::FaultPlan> plan = std::make_shared<tarsel::test::FaultPlan>();
    std::unique_ptr<tarsel::test::LocalServer> server;
    ui::ShellServices services;
};

}  // namespace shelltest
