// The start-up: client version check, error reports, the error log, and the path helper.

#include <QDir>
#include <QFile>

#include "server/tarsel_error.h"
#include "tests/utilities/shell/shell_fixture.h"
#include "utilities/shell/error_log.h"
#include "utilities/shell/frmMain.h"
#include "utilities/shell/version_check.h"

using namespace modGlobal;
using shelltest::ShellServerTest;

namespace {

int32_t ErrorNumberOf(const QString& version) {
    try {
        IsSupportedClientVersion(ParseClientVersion(version));
    } catch (const tarsel::TarselError& e) {
        return e.number();
    }
    return 0;
}

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

TEST(ShellVersion, AcceptsRelease41AndLaterAndExactlyBuild405) {
    for (const char* accepted : {"4.0.5.12", "4.0.5", "4.1.0", "11.1.2.0", "04.01.00", "5.0.0"}) {
        EXPECT_TRUE(IsSupportedClientVersion(ParseClientVersion(QString::fromLatin1(accepted))))
            << accepted;
    }
    for (const char* refused : {"4.0.4", "4.0.6", "3.9.9", "0.5.0", "-1.0.0"}) {
        EXPECT_FALSE(IsSupportedClientVersion(ParseClientVersion(QString::fromLatin1(refused))))
            << refused;
    }
}

TEST(ShellVersion, ComputesReleaseAndBuildNumbers) {
    const ClientVersion v = ParseClientVersion(QStringLiteral("05.3.07.99"));
    EXPECT_EQ(v.major, 5);
    EXPECT_EQ(v.minor, 3);
    EXPECT_EQ(v.revision, 7);
    EXPECT_EQ(v.release, 53);
    EXPECT_EQ(v.build, 537);
}

TEST(ShellVersion, BadVersionTextsRaiseRuntimeErrors) {
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("9.3")), kErrSubscriptOutOfRange);
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("")), kErrSubscriptOutOfRange);
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("4.x.1")), kErrTypeMismatch);
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("4..1")), kErrTypeMismatch);
    // Release 0 is the invalid-version error, not a refusal.
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("0.0.1")), kErrInvalidVersion);
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("00.00.00")), kErrInvalidVersion);
}

TEST(ShellVersion, SixteenBitOverflowIsAnError) {
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("40000.1.1")), kErrOverflow);  // a part
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("3277.0.0")), kErrOverflow);   // release 32770
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("328.0.0")), kErrOverflow);    // build 32800
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("327.6.7")), 0);               // build 32767
    EXPECT_EQ(ErrorNumberOf(QStringLiteral("327.6.8")), kErrOverflow);    // build 32768
}

TEST(ShellVersion, RefusalMessageShowsTheVersionExactly) {
    EXPECT_EQ(IncompatibleVersionMessage(QStringLiteral("4.0.4.777")),
              QStringLiteral("This version of TarselUtilities (v11.1.2) only supports Orvane 9 "
                             "Tarsel release 4.1 and above and Tarsel release 4.0.5 and above\r\n"
                             "\r\nTarselUtilities detected your Tarsel client version as: "
                             "4.0.4.777\r\n\r\nPlease download and install the appropriate "
                             "version from: https://tarsel-utilities.example.org/download"));
}

TEST(ShellPaths, EnsureTrailingBackslash) {
    EXPECT_EQ(EnsureTrailingBackslash(QStringLiteral("/data/lists")),
              QStringLiteral("/data/lists/"));
    EXPECT_EQ(EnsureTrailingBackslash(QStringLiteral("/data/lists/")),
              QStringLiteral("/data/lists/"));
    EXPECT_EQ(EnsureTrailingBackslash(QStringLiteral("/data/lists/  ")),
              QStringLiteral("/data/lists/  "));
    EXPECT_EQ(EnsureTrailingBackslash(QString()), QStringLiteral("/"));
    EXPECT_EQ(EnsureTrailingBackslash(QStringLiteral("   ")), QStringLiteral("   /"));
    // Only blanks are looked past; a tab belongs to the name.
    EXPECT_EQ(EnsureTrailingBackslash(QStringLiteral("/data/\t")), QStringLiteral("/data/\t/"));
    // The Windows separator is an ordinary character of a name here.
    EXPECT_EQ(EnsureTrailingBackslash(QStringLiteral("/data\\")), QStringLiteral("/data\\/"));
}

class ShellStartup : public ShellServerTest {
  protected:
    QString LogText() const { return ReadAll(QDir(temp.path()).filePath(kErrorLogFileName)); }
    // The local server reports its own version; older ones are the plan's.
    void ClientVersion(const char* version) {
        plan->Return("ErrorHandlerComponent::GetVersion", QString::fromLatin1(version));
    }
};

TEST_F(ShellStartup, RefusedClientShowsTheIncompatibilityBoxAndShowsNoWindow) {
    ClientVersion("4.0.4.777");
    EXPECT_EQ(Main(services), nullptr);
    ASSERT_EQ(boxes->shown().size(), 1u);
    const ui::MessageRequest& box = boxes->shown()[0];
    EXPECT_EQ(box.title, QStringLiteral("Incompatible Tarsel Version Error"));
    EXPECT_EQ(box.text, IncompatibleVersionMessage(QStringLiteral("4.0.4.777")));
    EXPECT_EQ(box.icon, ui::Icon::Critical);
    EXPECT_EQ(box.buttons, ui::Buttons::Ok);
    EXPECT_EQ(plan->Calls("LogonPrompt::Logon"), 0);
    EXPECT_TRUE(LogText().isEmpty());
}

TEST_F(ShellStartup, TwoPartVersionEndsThroughMainsErrorReport) {
    ClientVersion("9.3");
    EXPECT_EQ(Main(services), nullptr);
    ASSERT_EQ(boxes->shown().size(), 1u);
    const QString text = boxes->shown()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Tarsel Utilities Error(Main): 9; Source: ")))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("; Description: Subscript out of range")));
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::None);
    EXPECT_TRUE(LogText().contains(text));
}

TEST_F(ShellStartup, UnreadableVersionGivesBothReportsInOrder) {
    plan->FailAt("ErrorHandlerComponent::GetVersion", 0, {}, QStringLiteral("no version here"),
                 tarsel::code::kInternal);
    EXPECT_EQ(Main(services), nullptr);
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_TRUE(boxes->shown()[0].text.startsWith(
        QStringLiteral("Tarsel Utilities Error(GetTarselVersion): -2147215099; Source: "
                       "Brennic.TarselErrorHandler.1; LastDLLError: ")));
    EXPECT_EQ(boxes->shown()[1].text.left(41),
              QStringLiteral("Tarsel Utilities Error(Main): 23001; Sour"));
    EXPECT_TRUE(boxes->shown()[1].text.contains(
        QStringLiteral("Source: TarselUtilities (Main); LastDLLError: ")));
    EXPECT_TRUE(boxes->shown()[1].text.endsWith(
        QStringLiteral("Description: Invalid Version Returned from GetVersion()")));
    const QString log = LogText();
    EXPECT_LT(log.indexOf(boxes->shown()[0].text), log.indexOf(boxes->shown()[1].text));
    EXPECT_GE(log.indexOf(boxes->shown()[0].text), 0);
}

TEST_F(ShellStartup, NoClientLibraryIsReportedNotACrash) {
    services.library = nullptr;
    EXPECT_EQ(Main(services), nullptr);
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_TRUE(boxes->shown()[0].text.contains(QStringLiteral("not installed")));
}

TEST_F(ShellStartup, SecondRunLeavesOnlyItsOwnEntries) {
    ClientVersion("9.3");
    Main(services);
    ClientVersion("4.x.0");
    Main(services);
    const QString log = LogText();
    EXPECT_FALSE(log.contains(QStringLiteral("Subscript out of range")));
    EXPECT_TRUE(log.contains(QStringLiteral("Description: Type mismatch")));
    // One framed entry: stamp and type, the text, a blank line.
    const QStringList lines = log.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" Error")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Tarsel Utilities Error(Main): 13;")));
    EXPECT_EQ(lines[2], QString());
    EXPECT_EQ(lines[3], QString());
}

TEST_F(ShellStartup, AcceptedClientShowsSplashThenMainWindowLoggedOn) {
    ClientVersion("4.0.5.12");
    // Each look at this clock is a second later, so the splash ends at its first check.
    struct SteppingClock : ui::Clock {
        QDateTime Now() const override { return now = now.addSecs(1); }
        mutable QDateTime now = QDateTime(QDate(2026, 3, 1), QTime(9, 30, 0));
    };
    services.clock = std::make_shared<SteppingClock>();
    const std::unique_ptr<frmMain> window = Main(services);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(plan->Calls("LogonPrompt::Logon"), 1);
    EXPECT_EQ(modGlobal::gApplicationName, QStringLiteral("TestApp"));
    EXPECT_TRUE(boxes->shown().empty());
}

TEST_F(ShellStartup, LogFallsBackToStateFolderWhenProgramFolderIsUnusable) {
    const QString state = QDir(temp.path()).filePath(QStringLiteral("state"));
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", state.toUtf8());
    // A folder below a plain file can never take a file, whoever runs the test.
    QFile blocker(QDir(temp.path()).filePath(QStringLiteral("plain")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ErrorLog log;
    EXPECT_TRUE(log.Start(blocker.fileName() + QStringLiteral("/bin")));
    EXPECT_EQ(log.path(),
              state + QStringLiteral("/tarsel/") + QString::fromLatin1(kErrorLogFileName));
    EXPECT_TRUE(log.Write(QStringLiteral("entry")));
    EXPECT_TRUE(ReadAll(log.path()).contains(QStringLiteral("\r\nentry\r\n\r\n")));

    // An installed program's folder is writable for root, yet belongs to the package
    // manager: the log goes to the state folder all the same.
    const QDir prefix(QDir(temp.path()).filePath(QStringLiteral("usr")));
    ASSERT_TRUE(prefix.mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(prefix.mkpath(QStringLiteral("share/doc/tarsel-utilities/help")));
    ErrorLog installed;
    EXPECT_TRUE(installed.Start(prefix.filePath(QStringLiteral("bin"))));
    EXPECT_EQ(installed.path(), log.path());
    EXPECT_TRUE(QDir(prefix.filePath(QStringLiteral("bin"))).isEmpty());
    qputenv("XDG_STATE_HOME", saved);
}
