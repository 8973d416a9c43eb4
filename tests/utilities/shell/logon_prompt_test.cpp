// The local server's logon prompt against a real cluster: without dialogs when the
// environment gives everything, through the dialogs otherwise, and refusals.

#include <gtest/gtest.h>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "server/local/cluster_store.h"
#include "server/local/local_library.h"
#include "server/local/prompt/logon_prompt.h"
#include "server/local/prompt/qt_logon_dialogs.h"
#include "tests/support/fault_injection.h"
#include "tests/utilities/shell/scripted_dialogs.h"

using namespace tarsel::local;
using shelltest::ScriptedDialogs;

namespace {

class ShellLogonPrompt : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ClusterStore store = ClusterStore::Create(home.path(), QStringLiteral("Demo"));
        store.AddUser(QStringLiteral("demo"), QStringLiteral("demo"));
        AppModel model;
        model.languages = QStringList{QStringLiteral("English")};
        for (const char* name : {"Demo", "Other"}) {
            model.name = QString::fromLatin1(name);
            store.CreateApplication(model.name, model);
        }
        store.Provision(QStringLiteral("demo"), QStringLiteral("Demo"), false);
    }
    std::shared_ptr<LocalLogonPrompt> Prompt(LogonDefaults defaults) {
        auto prompt = std::make_shared<LocalLogonPrompt>(home.path(), std::move(defaults), dialogs);
        prompt->Initialize(connection);
        return prompt;
    }

    QTemporaryDir home;
    std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();
    std::shared_ptr<tarsel::test::FaultPlan> plan = std::make_shared<tarsel::test::FaultPlan>();
    std::shared_ptr<tarsel::ClientConnection> connection = tarsel::test::WithFaults(
        CreateLocalClientLibrary({}, home.path())->CreateClientConnection(), plan);
};

const LogonDefaults kEverything{QStringLiteral("Demo"), QStringLiteral("Demo"),
                                QStringLiteral("demo"), QStringLiteral("demo")};

TEST_F(ShellLogonPrompt, PasswordInTheEnvironmentOpensWithoutDialogs) {
    auto prompt = Prompt(kEverything);
    ASSERT_TRUE(prompt->Logon(false));
    const auto opened = prompt->OpenApplication();
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->applicationName, QStringLiteral("Demo"));
    ASSERT_NE(opened->session, nullptr);
    EXPECT_EQ(opened->session->SystemInfo()->GetApplicationName(), QStringLiteral("Demo"));
    EXPECT_TRUE(dialogs->logonCalls.empty());
    EXPECT_TRUE(dialogs->applicationCalls.empty());
    const tarsel::LogonInfo info = connection->GetLogonInfo();
    EXPECT_TRUE(info.loggedOn);
    EXPECT_EQ(info.detail, QStringLiteral("Demo"));
    EXPECT_EQ(info.userName, QStringLiteral("demo"));
}

TEST_F(ShellLogonPrompt, WrongPasswordIsRefusedThenAskedWithTheReason) {
    LogonDefaults wrong = kEverything;
    wrong.password = QStringLiteral("guess");
    auto prompt = Prompt(wrong);
    EXPECT_FALSE(prompt->Logon(false));
    EXPECT_TRUE(dialogs->logonCalls.empty());
    // Nothing handed to the connection.
    EXPECT_EQ(plan->Calls("ClientConnection::SetLogonInfo"), 0);
    EXPECT_FALSE(prompt->OpenApplication().has_value());

    // The retry asks, pre-filled, with the library's reason and never the password.
    dialogs->logonAnswers.push_back(
        LogonEntry{QStringLiteral("Demo"), QStringLiteral("demo"), QStringLiteral("demo")});
    EXPECT_TRUE(prompt->Logon(false));
    ASSERT_EQ(dialogs->logonCalls.size(), 1u);
    EXPECT_EQ(dialogs->logonCalls[0].entry.cluster, QStringLiteral("Demo"));
    EXPECT_EQ(dialogs->logonCalls[0].entry.user, QStringLiteral("demo"));
    EXPECT_TRUE(dialogs->logonCalls[0].entry.password.isEmpty());
    EXPECT_FALSE(dialogs->logonCalls[0].refusal.isEmpty());
    EXPECT_EQ(dialogs->logonCalls[0].clusters, QStringList{QStringLiteral("Demo")});
}

TEST_F(ShellLogonPrompt, DialogsAskUntilAcceptedOrCancelled) {
    auto prompt =
        Prompt(LogonDefaults{QStringLiteral("Demo"), QString(), QStringLiteral("demo"), QString()});
    dialogs->logonAnswers.push_back(
        LogonEntry{QStringLiteral("Nowhere"), QStringLiteral("demo"), QStringLiteral("demo")});
    dialogs->logonAnswers.push_back(
        LogonEntry{QStringLiteral("Demo"), QStringLiteral("demo"), QStringLiteral("x")});
    dialogs->logonAnswers.push_back(std::nullopt);
    EXPECT_FALSE(prompt->Logon(false));
    ASSERT_EQ(dialogs->logonCalls.size(), 3u);
    EXPECT_TRUE(dialogs->logonCalls[0].refusal.isEmpty());
    EXPECT_TRUE(dialogs->logonCalls[1].refusal.contains(QStringLiteral("Nowhere")));
    EXPECT_NE(dialogs->logonCalls[2].refusal, dialogs->logonCalls[1].refusal);
    EXPECT_EQ(dialogs->logonCalls[2].entry.cluster, QStringLiteral("Demo"));
}

TEST_F(ShellLogonPrompt, ApplicationDialogOffersOnlyTheUsersApplications) {
    auto prompt = Prompt(LogonDefaults{QStringLiteral("Demo"), QStringLiteral("Demo"),
                                       QStringLiteral("demo"), QString()});
    dialogs->logonAnswers.push_back(
        LogonEntry{QStringLiteral("Demo"), QStringLiteral("demo"), QStringLiteral("demo")});
    ASSERT_TRUE(prompt->Logon(false));
    plan->FailAt("ClientConnection::OpenApplication", 1, {}, QStringLiteral("not provisioned"),
                 tarsel::code::kNotProvisioned);
    dialogs->applicationAnswers.push_back(QStringLiteral("Demo"));
    dialogs->applicationAnswers.push_back(std::nullopt);
    EXPECT_FALSE(prompt->OpenApplication().has_value());
    ASSERT_EQ(dialogs->applicationCalls.size(), 2u);
    EXPECT_EQ(dialogs->applicationCalls[0].applications, QStringList{QStringLiteral("Demo")});
    EXPECT_EQ(dialogs->applicationCalls[0].preselected, QStringLiteral("Demo"));
    EXPECT_EQ(dialogs->applicationCalls[1].refusal, QStringLiteral("not provisioned"));

    dialogs->applicationAnswers.push_back(QStringLiteral("Demo"));
    const auto opened = prompt->OpenApplication();
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->applicationName, QStringLiteral("Demo"));
}

TEST_F(ShellLogonPrompt, WithoutInitializeNothingLogsOn) {
    LocalLogonPrompt prompt(home.path(), kEverything, dialogs);
    EXPECT_FALSE(prompt.Logon(false));
    EXPECT_FALSE(prompt.OpenApplication().has_value());
}

TEST(ShellLogonDefaults, CommandLineOptionsWinOverTheEnvironment) {
    const LogonDefaults merged = WithOptions(
        LogonDefaults{QStringLiteral("EnvCluster"), QStringLiteral("EnvApp"),
                      QStringLiteral("envuser"), QStringLiteral("secret")},
        LogonDefaults{QStringLiteral("Demo"), QString(), QStringLiteral("demo"), QString()});
    EXPECT_EQ(merged.cluster, QStringLiteral("Demo"));
    EXPECT_EQ(merged.application, QStringLiteral("EnvApp"));
    EXPECT_EQ(merged.user, QStringLiteral("demo"));
    EXPECT_EQ(merged.password, QStringLiteral("secret"));
}

TEST(ShellLogonDialogs, ArePrefilledAndShowTheRefusal) {
    LogonDialog logon(LogonEntry{QStringLiteral("Demo"), QStringLiteral("demo"), QString()},
                      {QStringLiteral("Demo"), QStringLiteral("Test")},
                      QStringLiteral("Wrong password."));
    EXPECT_EQ(logon.findChild<QComboBox*>(QStringLiteral("cboCluster"))->currentText(),
              QStringLiteral("Demo"));
    EXPECT_EQ(logon.findChild<QLineEdit*>(QStringLiteral("txtUser"))->text(),
              QStringLiteral("demo"));
    EXPECT_EQ(logon.findChild<QLineEdit*>(QStringLiteral("txtPassword"))->echoMode(),
              QLineEdit::Password);
    EXPECT_EQ(logon.findChild<QLabel*>(QStringLiteral("lblRefusal"))->text(),
              QStringLiteral("Wrong password."));
    logon.findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(QStringLiteral("pw"));
    EXPECT_EQ(logon.Entry().password, QStringLiteral("pw"));

    ApplicationDialog choose(QStringLiteral("Demo"), QStringLiteral("demo"),
                             {QStringLiteral("Alpha"), QStringLiteral("Beta")},
                             QStringLiteral("beta"), QString());
    EXPECT_EQ(choose.Application(), QStringLiteral("Beta"));
}

TEST(ShellLogonDialogs, CaretWaitsInTheFirstEmptyField) {
    LogonDialog nothingKnown(LogonEntry{}, {}, QString());
    EXPECT_EQ(nothingKnown.focusWidget(),
              nothingKnown.findChild<QComboBox*>(QStringLiteral("cboCluster")));
    LogonDialog clusterKnown(LogonEntry{}, {QStringLiteral("Demo")}, QString());
    EXPECT_EQ(clusterKnown.focusWidget(),
              clusterKnown.findChild<QLineEdit*>(QStringLiteral("txtUser")));
    LogonDialog userKnown(LogonEntry{QStringLiteral("Demo"), QStringLiteral("demo"), QString()}, {},
                          QString());
    EXPECT_EQ(userKnown.focusWidget(),
              userKnown.findChild<QLineEdit*>(QStringLiteral("txtPassword")));
}

TEST(ShellLogonDialogs, EnterAcceptsAndEscapeCancels) {
    LogonDialog logon(LogonEntry{QStringLiteral("Demo"), QStringLiteral("demo"), QString()}, {},
                      QString());
    logon.show();
    auto* password = logon.findChild<QLineEdit*>(QStringLiteral("txtPassword"));
    QTest::keyClicks(password, QStringLiteral("pw"));
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_EQ(logon.result(), QDialog::Accepted);
    EXPECT_EQ(logon.Entry().password, QStringLiteral("pw"));

    ApplicationDialog choose(QStringLiteral("Demo"), QStringLiteral("demo"),
                             {QStringLiteral("Alpha"), QStringLiteral("Beta")}, QString(),
                             QString());
    choose.show();
    auto* list = choose.findChild<QListWidget*>(QStringLiteral("lstApplications"));
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(choose.result(), QDialog::Accepted);
    EXPECT_EQ(choose.Application(), QStringLiteral("Beta"));

    ApplicationDialog cancelled(QStringLiteral("Demo"), QStringLiteral("demo"),
                                {QStringLiteral("Alpha")}, QString(), QString());
    cancelled.show();
    QTest::keyClick(cancelled.findChild<QListWidget*>(QStringLiteral("lstApplications")),
                    Qt::Key_Escape);
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
}

TEST(ShellLogonDialogs, UserWithoutApplicationsIsToldWhyAndCannotAccept) {
    ApplicationDialog none(QStringLiteral("Demo"), QStringLiteral("guest"), {}, QString(),
                           QString());
    none.show();
    EXPECT_TRUE(none.findChild<QLabel*>(QStringLiteral("lblPrompt"))
                    ->text()
                    .contains(QStringLiteral("guest")));
    EXPECT_FALSE(none.findChild<QListWidget*>(QStringLiteral("lstApplications"))->isVisible());
    auto* buttons = none.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_FALSE(buttons->button(QDialogButtonBox::Ok)->isEnabled());
    EXPECT_TRUE(none.Application().isEmpty());
}

}  // namespace
