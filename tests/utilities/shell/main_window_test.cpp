// The main window's states: before logon, after a refusal, after logon, dimension choice,
// tool windows and help.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "tests/utilities/shell/shell_fixture.h"
#include "utilities/shell/frmMain.h"
#include "utilities/shell/time_text.h"

using namespace modGlobal;
using shelltest::ShellServerTest;

namespace {

class ShellMainWindow : public ShellServerTest {
  protected:
    void SetUp() override {
        ShellServerTest::SetUp();
        services.clock = clock;
        services.desktop = desktop;
        window = std::make_unique<frmMain>(services);
    }
    void TearDown() override {
        window.reset();
        ShellServerTest::TearDown();
    }
    // A new main window whose viewer button opens what factory makes.
    void UseViewerFactory(ui::ToolWindowFactory factory) {
        services.toolWindows[ui::ToolWindowKind::MetadataViewer] = std::move(factory);
        window = std::make_unique<frmMain>(services);
    }

    template <typename T>
    T* Child(const char* name) const {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    bool Enabled(const char* name) const { return Child<QWidget>(name)->isEnabled(); }
    QString StatusText() const { return Child<QLabel>("sbStatusBar_Panel1")->text(); }
    void ChooseDimension(const QString& name) {
        auto* combo = Child<QComboBox>("cboSetDimension");
        const int index = combo->findText(name);
        ASSERT_GE(index, 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void Activate() {
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(window.get(), &activate);
    }
    void Trigger(const char* action) { Child<QAction>(action)->trigger(); }

    std::shared_ptr<ui::FixedClock> clock =
        std::make_shared<ui::FixedClock>(QDateTime(QDate(2026, 3, 1), QTime(9, 41, 7)));
    std::shared_ptr<ui::RecordingDesktopOpener> desktop =
        std::make_shared<ui::RecordingDesktopOpener>();
    std::unique_ptr<frmMain> window;
};

TEST_F(ShellMainWindow, ControlsBeforeLogon) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(Child<QPushButton>("cmdLogon")->text(), QStringLiteral("(Re) &Logon"));
    EXPECT_EQ(Child<QPushButton>("cmdMemberListBuilder")->toolTip(),
              QStringLiteral("Utilitiy module that allows you to create static member lists"));
    EXPECT_TRUE(Enabled("cmdLogon"));
    EXPECT_TRUE(Enabled("cmdExit"));
    EXPECT_TRUE(Enabled("cboSetDimension"));
    for (const char* name : {"cmdApplicationInfo", "cboLanguages", "cmdMetadataViewer",
                             "cmdExtractMetadata", "cmdMemberListBuilder"}) {
        EXPECT_FALSE(Enabled(name)) << name;
    }
    auto* dimensions = Child<QComboBox>("cboSetDimension");
    EXPECT_EQ(dimensions->currentIndex(), -1);
    QStringList items;
    for (int i = 0; i < dimensions->count(); ++i) {
        items << dimensions->itemText(i);
    }
    EXPECT_EQ(items.join(QLatin1Char(',')),
              QStringLiteral("Account,Entity,Scenario,Year,Period,Custom1,Custom2,Custom3,"
                             "Custom4,View,Value,ICP"));
    EXPECT_EQ(StatusText(), QStringLiteral("Status"));
    EXPECT_EQ(Child<QLabel>("sbStatusBar_Panel3")->text(), ui::TimeOfDayText(QTime(9, 41, 7)));
    // With nothing chosen, activation does nothing.
    Activate();
    EXPECT_FALSE(Enabled("cmdMetadataViewer"));
    EXPECT_TRUE(boxes->shown().empty());
}

TEST_F(ShellMainWindow, RefusedLogonAnsweredNoLeavesEverythingAsItWas) {
    logonDefaults.password = QStringLiteral("wrong");
    boxes->setNextAnswer(ui::Answer::No);
    window->Load();
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].text,
              QStringLiteral("Error Opening Tarsel.  Would you like to try again?"));
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Error Opening Tarsel"));
    EXPECT_EQ(boxes->shown()[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(plan->Calls("LogonPrompt::OpenApplication"), 0);
    EXPECT_FALSE(Enabled("cboLanguages"));
    EXPECT_FALSE(Enabled("cmdApplicationInfo"));
    EXPECT_EQ(StatusText(), QStringLiteral("Status"));
    EXPECT_EQ(gSession, nullptr);
    // The logon objects of steps 1 and 2 are kept.
    EXPECT_NE(gClient, nullptr);
    EXPECT_NE(gLogonPrompt, nullptr);

    // Choosing a dimension with no application open says so and changes nothing.
    ChooseDimension(QStringLiteral("Account"));
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_EQ(boxes->shown()[1].title, QStringLiteral("Error Setting Dimension"));
    EXPECT_TRUE(
        boxes->shown()[1].text.startsWith(QStringLiteral("Unable to set dimension to 'Account'.")));
    EXPECT_EQ(gDimension, nullptr);
    EXPECT_TRUE(gDimensionName.isEmpty());
    EXPECT_FALSE(Enabled("cmdMetadataViewer"));
    // Activation repeats the choice quietly instead of raising the box again and again.
    Activate();
    EXPECT_EQ(boxes->shown().size(), 2u);
}

TEST_F(ShellMainWindow, YesRetriesEachRefusedStep) {
    // Refused from the defaults, then the dialog is cancelled, then accepted; the
    // application dialog is cancelled once.
    logonDefaults.password = QStringLiteral("wrong");
    dialogs->logonAnswers = {std::nullopt, RightEntry()};
    dialogs->applicationAnswers = {std::nullopt, QStringLiteral("TestApp")};
    boxes->setNextAnswer(ui::Answer::Yes);
    boxes->setNextAnswer(ui::Answer::Yes);
    boxes->setNextAnswer(ui::Answer::Yes);
    window->Load();
    EXPECT_EQ(plan->Calls("LogonPrompt::Logon"), 3);
    EXPECT_EQ(plan->Calls("LogonPrompt::OpenApplication"), 2);
    EXPECT_EQ(boxes->shown().size(), 3u);
    EXPECT_NE(gSession, nullptr);
}

TEST_F(ShellMainWindow, LogonFillsStateStatusBarAndLanguages) {
    // The status bar names the application as SystemInfo gives it, the state keeps both.
    plan->Return("SystemInfo::GetApplicationName", QStringLiteral("DemoApp"));
    window->Load();
    EXPECT_TRUE(boxes->shown().empty());
    EXPECT_EQ(StatusText(), QStringLiteral("Cluster: TestCluster * Application: DemoApp * User: "
                                           "admin * Logged On: ") +
                                ui::TimeOfDayText(QTime(9, 41, 7)));
    EXPECT_EQ(gApplicationName, QStringLiteral("TestApp"));
    EXPECT_EQ(gSystemApplicationName, QStringLiteral("DemoApp"));
    EXPECT_EQ(gClusterName, QStringLiteral("TestCluster"));
    EXPECT_EQ(gUserName, QStringLiteral("admin"));
    EXPECT_EQ(gLogonDetail, gClient->GetLogonInfo().detail);
    ASSERT_NE(gMetadata, nullptr);
    ASSERT_NE(gSession, nullptr);
    EXPECT_TRUE(Enabled("cboLanguages"));
    EXPECT_TRUE(Enabled("cmdApplicationInfo"));
    EXPECT_FALSE(Enabled("cmdMetadataViewer"));
    auto* languages = Child<QComboBox>("cboLanguages");
    ASSERT_EQ(languages->count(), 2);
    EXPECT_EQ(languages->itemText(0), QStringLiteral("English"));
    EXPECT_EQ(languages->currentIndex(), 0);
    languages->setCurrentIndex(1);
    EXPECT_EQ(gLanguageIndex, 1);

    // A repeated logon replaces the list instead of inserting before the old labels.
    window->findChild<QPushButton*>(QStringLiteral("cmdLogon"))->click();
    EXPECT_EQ(languages->count(), 2);
    EXPECT_EQ(languages->currentIndex(), 0);
    EXPECT_EQ(gLanguageIndex, 0);

    // An application without languages leaves no position of the previous one behind.
    languages->setCurrentIndex(1);
    ASSERT_EQ(gLanguageIndex, 1);
    plan->Return("SessionMetadata::GetLanguages", tarsel::Languages{});
    window->findChild<QPushButton*>(QStringLiteral("cmdLogon"))->click();
    EXPECT_EQ(languages->count(), 0);
    EXPECT_EQ(gLanguageIndex, 0);
}

TEST_F(ShellMainWindow, EntityEnablesAllButTheMemberListBuilder) {
    window->Load();
    ChooseDimension(QStringLiteral("Entity"));
    EXPECT_EQ(gDimensionName, QStringLiteral("ENTITY"));
    ASSERT_NE(gDimension, nullptr);
    EXPECT_EQ(gDimension->GetDimension(), tarsel::Dimension::Entity);
    EXPECT_TRUE(Enabled("cmdMetadataViewer"));
    EXPECT_TRUE(Enabled("cmdExtractMetadata"));
    EXPECT_FALSE(Enabled("cmdMemberListBuilder"));
    // Even a click that reaches the handler opens nothing for Entity.
    Child<QPushButton>("cmdMemberListBuilder")->setEnabled(true);
    Child<QPushButton>("cmdMemberListBuilder")->click();
    EXPECT_EQ(window->LoadedToolWindow(ui::ToolWindowKind::MemberListBuilder), nullptr);

    ChooseDimension(QStringLiteral("Custom3"));
    EXPECT_EQ(gDimensionName, QStringLiteral("CUSTOM3"));
    EXPECT_EQ(gDimension->GetDimension(), tarsel::Dimension::Custom3);
    EXPECT_TRUE(Enabled("cmdMemberListBuilder"));
    EXPECT_TRUE(boxes->shown().empty());
}

TEST_F(ShellMainWindow, KeyboardAloneChoosesADimensionAndOpensATool) {
    int made = 0;
    UseViewerFactory([&made](QWidget* owner, const ui::ShellServices&) {
        ++made;
        return new QWidget(owner);
    });
    // The focus starts in the language and dimension column, Tab runs down it, then down
    // the buttons on the right, and comes back round.
    const char* order[] = {
        "cboLanguages",         "cboSetDimension", "cmdMetadataViewer",  "cmdExtractMetadata",
        "cmdMemberListBuilder", "cmdLogon",        "cmdApplicationInfo", "cmdExit",
        "cboLanguages"};
    QWidget* stop = window.get();
    for (const char* name : order) {
        do {
            stop = stop->nextInFocusChain();
        } while (!(stop->focusPolicy() & Qt::TabFocus));
        EXPECT_EQ(stop, Child<QWidget>(name)) << name;
    }

    window->Load();
    auto* dimensions = Child<QComboBox>("cboSetDimension");
    QTest::keyClick(dimensions, Qt::Key_Down);
    EXPECT_EQ(gDimensionName, QStringLiteral("ACCOUNT"));
    QTest::keyClick(dimensions, Qt::Key_Down);
    EXPECT_EQ(gDimensionName, QStringLiteral("ENTITY"));
    EXPECT_FALSE(Enabled("cmdMemberListBuilder"));

    QTest::keyClick(Child<QPushButton>("cmdMetadataViewer"), Qt::Key_Return);
    EXPECT_EQ(made, 1);
    EXPECT_NE(window->LoadedToolWindow(ui::ToolWindowKind::MetadataViewer), nullptr);
    EXPECT_TRUE(boxes->shown().empty());
}

TEST_F(ShellMainWindow, ActivationPutsTheChosenDimensionBack) {
    window->Load();
    ChooseDimension(QStringLiteral("Account"));
    // A tool window points the shared dimension elsewhere meanwhile.
    gDimension = gMetadata->Period();
    const int before = plan->Calls("SessionMetadata::GetDimensionByIndex");
    Activate();
    EXPECT_EQ(gDimension->GetDimension(), tarsel::Dimension::Account);
    EXPECT_EQ(plan->Calls("SessionMetadata::GetDimensionByIndex"), before + 1);
}

TEST_F(ShellMainWindow, ToolWindowIsCreatedOnceAndAnewAfterClosing) {
    int made = 0;
    UseViewerFactory([&made](QWidget* owner, const ui::ShellServices&) {
        ++made;
        return new QWidget(owner, Qt::Window);
    });
    window->Load();
    ChooseDimension(QStringLiteral("Account"));
    auto* viewerButton = Child<QPushButton>("cmdMetadataViewer");
    viewerButton->click();
    QWidget* first = window->LoadedToolWindow(ui::ToolWindowKind::MetadataViewer);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isWindow());
    viewerButton->click();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(window->LoadedToolWindow(ui::ToolWindowKind::MetadataViewer), first);

    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->LoadedToolWindow(ui::ToolWindowKind::MetadataViewer), nullptr);
    viewerButton->click();
    EXPECT_EQ(made, 2);
    EXPECT_NE(window->LoadedToolWindow(ui::ToolWindowKind::MetadataViewer), nullptr);

    // Tools without a factory get a stand-in window with the tool's caption.
    Child<QPushButton>("cmdExtractMetadata")->click();
    QWidget* extract = window->LoadedToolWindow(ui::ToolWindowKind::ExtractMetadata);
    ASSERT_NE(extract, nullptr);
    EXPECT_EQ(extract->windowTitle(), QStringLiteral("Tarsel Utilities - Extracts"));
}

TEST_F(ShellMainWindow, ExitLeavesOpenToolWindowsRunning) {
    window->show();
    window->Load();
    ChooseDimension(QStringLiteral("Account"));
    Child<QPushButton>("cmdMetadataViewer")->click();
    Child<QPushButton>("cmdApplicationInfo")->click();
    Child<QPushButton>("cmdExit")->click();
    EXPECT_FALSE(window->isVisible());
    for (auto kind : {ui::ToolWindowKind::MetadataViewer, ui::ToolWindowKind::ApplicationInfo}) {
        QWidget* tool = window->LoadedToolWindow(kind);
        ASSERT_NE(tool, nullptr);
        EXPECT_TRUE(tool->isVisible()) << tool->windowTitle().toStdString();
    }
}

TEST_F(ShellMainWindow, DateAndTimePanelsFollowTheClock) {
    auto* date = Child<QLabel>("sbStatusBar_Panel2");
    auto* time = Child<QLabel>("sbStatusBar_Panel3");
    EXPECT_EQ(date->text(), ui::DateText(QDate(2026, 3, 1)));
    clock->Set(QDateTime(QDate(2026, 3, 2), QTime(0, 0, 3)));
    // The panels tick on their own; nothing else touches the window meanwhile.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return time->text() == ui::TimeOfDayText(QTime(0, 0, 3)); }, 3000));
    EXPECT_EQ(date->text(), ui::DateText(QDate(2026, 3, 2)));
    // The logon time stays what it was when the logon happened.
    EXPECT_EQ(StatusText(), QStringLiteral("Status"));
}

TEST_F(ShellMainWindow, FailingToolWindowLoadIsShownAndNothingIsKept) {
    UseViewerFactory([](QWidget*, const ui::ShellServices&) -> QWidget* {
        tarsel::ThrowClientError(tarsel::code::kStoreFailure, QStringLiteral("store gone"));
    });
    window->Load();
    ChooseDimension(QStringLiteral("Account"));
    Child<QPushButton>("cmdMetadataViewer")->click();
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].text, QStringLiteral("store gone"));
    EXPECT_EQ(window->LoadedToolWindow(ui::ToolWindowKind::MetadataViewer), nullptr);
}

TEST_F(ShellMainWindow, HelpOpensTheHtmlHelpBesideTheProgram) {
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("help")));
    QFile index(QDir(temp.path()).filePath(QStringLiteral("help/index.html")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.close();
    Trigger("mnuTarselHelp");
    ASSERT_EQ(desktop->opened.size(), 1u);
    EXPECT_EQ(desktop->opened[0],
              QUrl::fromLocalFile(QFileInfo(index.fileName()).absoluteFilePath()));
    EXPECT_TRUE(boxes->shown().empty());

    desktop->succeed = false;
    Trigger("mnuTarselHelp");
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_TRUE(boxes->shown()[0].text.contains(QFileInfo(index.fileName()).absoluteFilePath()));
}

// Installed, the program lives in <prefix>/bin and its help in the package's documentation
// folder; the message for missing help names every place looked at.
TEST_F(ShellMainWindow, HelpInstalledBesideTheProgramsFolder) {
    const QDir prefix(temp.path());
    ASSERT_TRUE(prefix.mkpath(QStringLiteral("bin")));
    services.programFolder = prefix.filePath(QStringLiteral("bin"));
    window = std::make_unique<frmMain>(services);
    const QString installed = prefix.filePath(QStringLiteral("share/doc/tarsel-utilities/help"));

    Trigger("mnuTarselHelp");
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_TRUE(
        boxes->shown()[0].text.contains(prefix.filePath(QStringLiteral("bin/help/index.html"))));
    EXPECT_TRUE(boxes->shown()[0].text.contains(installed + QStringLiteral("/index.html")))
        << boxes->shown()[0].text.toStdString();
    EXPECT_TRUE(desktop->opened.empty());

    ASSERT_TRUE(QDir().mkpath(installed));
    QFile index(installed + QStringLiteral("/index.html"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.close();
    Trigger("mnuTarselHelp");
    ASSERT_EQ(desktop->opened.size(), 1u);
    EXPECT_EQ(desktop->opened[0], QUrl::fromLocalFile(QFileInfo(index).absoluteFilePath()));
}

}  // namespace
