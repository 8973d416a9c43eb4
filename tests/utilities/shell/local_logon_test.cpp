// The whole logon road on the real local server: main window, logon prompt, client
// connection and application store, and the client version the server reports.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "server/local/prompt/logon_prompt.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"
#include "utilities/shell/frmMain.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/version_check.h"
#include "utilities/viewer/frmMetadataViewer.h"

using namespace tarsel;

namespace {

class ShellLocalLogon : public ::testing::Test {
  protected:
    void SetUp() override {
        modGlobal::ResetSessionState();
        ui::InstallMessageBoxes(boxes);
    }
    void TearDown() override {
        window.reset();
        server.reset();
        ui::InstallMessageBoxes(nullptr);
        modGlobal::ResetSessionState();
    }
    // Logons without dialogs: the defaults carry the password, as TARSEL_PASSWORD would.
    void Start(const QString& password) {
        test::LocalServerOptions options;
        options.promptFactory = [password]() -> std::shared_ptr<LogonPrompt> {
            return std::make_shared<local::LocalLogonPrompt>(
                QString(),
                local::LogonDefaults{QStringLiteral("TestCluster"), QStringLiteral("TestApp"),
                                     QStringLiteral("admin"), password},
                nullptr);
        };
        test::AppBuilder app;
        app.Languages({QStringLiteral("English"), QStringLiteral("German")});
        app.Relate(Dimension::Entity, QString(), QStringLiteral("World"));
        server = std::make_unique<test::LocalServer>(app.Build(), options);
        services.library = server->library();
        services.clock =
            std::make_shared<ui::FixedClock>(QDateTime(QDate(2026, 3, 1), QTime(8, 5, 0)));
        services.toolWindows = {{ui::ToolWindowKind::MetadataViewer, &viewer::MakeWindow}};
        window = std::make_unique<frmMain>(services);
    }
    QString Status() const {
        return window->findChild<QLabel*>(QStringLiteral("sbStatusBar_Panel1"))->text();
    }

    std::shared_ptr<ui::ScriptedMessageBoxes> boxes = std::make_shared<ui::ScriptedMessageBoxes>();
    std::unique_ptr<test::LocalServer> server;
    ui::ShellServices services;
    std::unique_ptr<frmMain> window;
};

TEST_F(ShellLocalLogon, PasswordGivenLogsOnAndOpensWithoutAnyDialog) {
    Start(QStringLiteral("secret"));
    window->Load();
    EXPECT_TRUE(boxes->shown().empty());
    EXPECT_TRUE(Status().startsWith(
        QStringLiteral("Cluster: TestCluster * Application: TestApp * User: admin * Logged On: ")))
        << Status().toStdString();
    EXPECT_EQ(modGlobal::gApplicationName, QStringLiteral("TestApp"));
    auto* languages = window->findChild<QComboBox*>(QStringLiteral("cboLanguages"));
    ASSERT_EQ(languages->count(), 2);
    EXPECT_EQ(languages->itemText(1), QStringLiteral("German"));

    auto* dimensions = window->findChild<QComboBox*>(QStringLiteral("cboSetDimension"));
    dimensions->setCurrentIndex(dimensions->findText(QStringLiteral("Entity")));
    emit dimensions->activated(dimensions->currentIndex());
    ASSERT_NE(modGlobal::gDimension, nullptr);
    EXPECT_EQ(modGlobal::gDimension->GetDimensionName(), QStringLiteral("Entity"));
    EXPECT_EQ(modGlobal::gDimension->GetMemberLabel(
                  modGlobal::gDimension->EnumChildMemberIDs(-1, -1).at(0)),
              QStringLiteral("World"));
}

TEST_F(ShellLocalLogon, WrongPasswordIsRefusedAndNoLeavesNoSession) {
    Start(QStringLiteral("wrong"));
    boxes->setNextAnswer(ui::Answer::No);
    window->Load();
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Error Opening Tarsel"));
    EXPECT_EQ(modGlobal::gSession, nullptr);
    EXPECT_EQ(Status(), QStringLiteral("Status"));
}

TEST_F(ShellLocalLogon, ClientVersionOfTheServerIsChecked) {
    Start(QStringLiteral("secret"));
    EXPECT_EQ(modGlobal::GetTarselVersion(services, 0), QStringLiteral("11.1.2.0"));
    qputenv("TARSEL_CLIENT_VERSION", "4.0.4.3");
    const QString version = modGlobal::GetTarselVersion(services, 0);
    qunsetenv("TARSEL_CLIENT_VERSION");
    EXPECT_EQ(version, QStringLiteral("4.0.4.3"));
    EXPECT_FALSE(modGlobal::IsSupportedClientVersion(modGlobal::ParseClientVersion(version)));
}

TEST_F(ShellLocalLogon, MetadataViewerOpensOnTheChosenDimension) {
    Start(QStringLiteral("secret"));
    window->Load();
    auto* dimensions = window->findChild<QComboBox*>(QStringLiteral("cboSetDimension"));
    dimensions->setCurrentIndex(dimensions->findText(QStringLiteral("Entity")));
    emit dimensions->activated(dimensions->currentIndex());
    window->findChild<QPushButton*>(QStringLiteral("cmdMetadataViewer"))->click();
    QWidget* viewer = window->LoadedToolWindow(ui::ToolWindowKind::MetadataViewer);
    ASSERT_NE(viewer, nullptr);
    EXPECT_NE(qobject_cast<frmMetadataViewer*>(viewer), nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(boxes->shown().empty());
}

}  // namespace
