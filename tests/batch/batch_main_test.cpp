#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "batch/bsTarsel_Batch.h"
#include "tests/batch/batch_test_support.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::batch::test {
namespace {

const QString kHeader =
    QStringLiteral("\r\n\r\n\r\nStart Tarsel Batch Process on Tue, 08 Dec 2026 At 06:18:48\r\n");
const QString kFooter =
    QStringLiteral("\r\nEnd Tarsel Batch Process on Tue, 08 Dec 2026 At 06:18:48\r\n");

// Whether this process holds the file open: a session left open keeps its application's
// store open.
bool HoldsOpen(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System)) {
        if (fd.symLinkTarget() == target) {
            return true;
        }
    }
    return false;
}

tarsel::test::LocalServerOptions DemoOptions() {
    tarsel::test::LocalServerOptions options;
    options.cluster = QStringLiteral("Demo");
    options.application = QStringLiteral("Demo");
    options.user = QStringLiteral("demo");
    options.password = QStringLiteral("demo-pw");
    return options;
}

// A cluster Demo with the application Demo; demo / demo-pw and admin / cmd-pw may open it.
class BatchMain : public ::testing::Test {
  protected:
    void SetUp() override {
        auto store = server.store();
        store.AddUser(QStringLiteral("admin"), QStringLiteral("cmd-pw"));
        store.Provision(QStringLiteral("admin"), QStringLiteral("Demo"), true);
    }

    tarsel::test::LocalServer server{
        tarsel::test::AppBuilder().Relate(Dimension::Entity, QString(), "World").Build(),
        DemoOptions()};
    QTemporaryDir dir;
    QString commands = dir.filePath(QStringLiteral("job.txt"));
    QString log = dir.filePath(QStringLiteral("job.log"));
    FixedClock clock{SampleTime()};
    RecordingMail mail;
    SpawnProcessStarter starter;
    QString out;
    QString err;

    int Run(const QStringList& arguments) {
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        BatchEnvironment environment{server.library().get(), clock,     mail,     starter,
                                     QLocale::c(),           outStream, errStream};
        return Main(arguments, environment);
    }
    int RunFile(const QByteArray& content, const QString& extraFields = {}) {
        WriteBytes(commands, content);
        return Run({commands + extraFields});
    }
    QString Log() { return ReadText(log); }
    // The lines between the "Opened command file" entries and the footer.
    QString Body() {
        const QString text = Log();
        const QString opened = QStringLiteral(
                                   "     06:18:48  Opened command file for processing\r\n"
                                   "               -> ") +
                               commands + QStringLiteral("\r\n");
        const qsizetype start = text.lastIndexOf(opened);
        const qsizetype end = text.lastIndexOf(kFooter);
        if (start < 0 || end < 0) {
            return QStringLiteral("<unexpected log>\r\n") + text;
        }
        return text.mid(start + opened.size(), end - start - opened.size());
    }
};

TEST_F(BatchMain, OnlyCommentsAndBlanksIsNoCommandsFound) {
    EXPECT_EQ(RunFile("' nightly job\r\n\r\n   \r\n  ' indented comment\r\n"), 1);
    EXPECT_EQ(Log(), kHeader +
                         "     06:18:48  Opened command file for processing\r\n"
                         "               -> " +
                         commands +
                         "\r\n"
                         "  *  06:18:48  Main routine error\r\n"
                         "               -> Batch Error #40002\r\n"
                         "               -> No commands found\r\n" +
                         kFooter);
}

TEST_F(BatchMain, MissingCommandFileIsAMainError) {
    EXPECT_EQ(Run({dir.filePath(QStringLiteral("absent.txt"))}), 1);
    EXPECT_EQ(ReadText(dir.filePath(QStringLiteral("absent.log"))),
              kHeader +
                  "  *  06:18:48  Main routine error\r\n"
                  "               -> Batch Error #40000\r\n"
                  "               -> Command file not found\r\n" +
                  kFooter);
}

TEST_F(BatchMain, CommandsBeforeLogonAreNotConnectedButMailStillSetUp) {
    EXPECT_EQ(
        RunFile("LOAD_DATA /in/gl.dat,,MERGE,TRUE\r\n"
                "CREATE_FOLDER /out/x\r\n"
                "NO_SUCH_COMMAND x\r\n"
                "SEND_MAIL mail.example.com,batch@example.com,pw,ops@example.com,Nightly\r\n"),
        1);
    EXPECT_EQ(Body(),
              "  *  06:18:48  Not connected. Terminating batch.\r\n"
              "  *  06:18:48  Not connected. Terminating batch.\r\n"
              "  *  06:18:48  Not connected. Terminating batch.\r\n");
    ASSERT_EQ(mail.sent.size(), 1u);
    EXPECT_EQ(mail.sent[0].recipients, "ops@example.com");
    EXPECT_EQ(mail.sent[0].subject, "Nightly 12/08/26");
}

TEST_F(BatchMain, LogonWithOneParameterQuitsTheBatch) {
    EXPECT_EQ(RunFile("LOGON Demo\r\nLOAD_RULES /r.rle,,TRUE\r\nLOAD_RULES /r.rle,,TRUE\r\n"), 1);
    EXPECT_EQ(Body(),
              "  *  06:18:48  Could not connect\r\n"
              "               -> Batch Error #40003\r\n"
              "               -> Too few parameters. Expected 2\r\n"
              "  *  06:18:48  Quit on Failure = True. Terminating batch\r\n"
              "  *  06:18:48  Not connected. Terminating batch.\r\n"
              "  *  06:18:48  Not connected. Terminating batch.\r\n");
}

// Which credentials were used shows in which logons the server accepts: admin's password is
// only ever on the command line.
TEST_F(BatchMain, LogonFromParametersAndFromTheCommandLine) {
    EXPECT_EQ(RunFile("LOGON Demo, Demo, demo, demo-pw\r\n"), 0);
    EXPECT_EQ(Body(), "     06:18:48  Connected as demo to Demo on Demo\r\n");
    EXPECT_FALSE(HoldsOpen(server.applicationPath())) << "the session outlived the run";

    // Command-line user and password win over parameters 3 and 4.
    EXPECT_EQ(RunFile("logon Demo,Demo,demo,demo-pw\r\n", QStringLiteral(",,admin,cmd-pw")), 0);
    EXPECT_EQ(Body(), "     06:18:48  Connected as admin to Demo on Demo\r\n");
    EXPECT_FALSE(Log().contains(QStringLiteral("pw")));

    // Cluster and application alone, the user and password from the command line.
    EXPECT_EQ(RunFile("LOGON Demo,Demo\r\n", QStringLiteral(", , admin, cmd-pw")), 0);
    EXPECT_EQ(Body(), "     06:18:48  Connected as admin to Demo on Demo\r\n");

    // The command-line password counts only with exactly four fields: the user comes from
    // the command line, the password from the line.
    EXPECT_EQ(RunFile("LOGON Demo,Demo,admin,demo-pw\r\n", QStringLiteral(",,demo,cmd-pw,")), 0);
    EXPECT_EQ(Body(), "     06:18:48  Connected as demo to Demo on Demo\r\n");
}

TEST_F(BatchMain, LogonRefusals) {
    EXPECT_EQ(RunFile("LOGON Demo,Demo\r\n"
                      "LOGON Demo,Demo,demo\r\n"
                      "LOGON Demo,Demo,demo,wrong\r\n"
                      "LOGON Nowhere,Demo,demo,demo-pw\r\n"),
              1);
    EXPECT_EQ(Body(),
              "  *  06:18:48  Could not connect\r\n"
              "               -> Batch Error #40069\r\n"
              "               -> No user ID found\r\n"
              "  *  06:18:48  Quit on Failure = True. Terminating batch\r\n");

    RunFile("LOGON Demo,Demo,demo\r\n");
    EXPECT_TRUE(
        Body().contains(QStringLiteral("Batch Error #40070\r\n"
                                       "               -> No password found")));
    RunFile("LOGON Demo,Demo,demo,not-the-pw\r\n");
    const QString refused = QStringLiteral(
        "  *  06:18:48  Could not connect\r\n"
        "               -> Tarsel Error #-2147215003\r\n"
        "               -> ");
    ASSERT_TRUE(Body().startsWith(refused)) << Body().toStdString();
    EXPECT_GT(Body().size(), refused.size() + 10) << "the server's reason is shown";
    EXPECT_FALSE(Log().contains(QStringLiteral("not-the-pw")));
}

TEST_F(BatchMain, FailedSecondLogonLeavesNoSession) {
    EXPECT_EQ(RunFile("LOGON Demo,Demo,demo,demo-pw\r\n"
                      "LOGON Demo,Demo,demo,wrong\r\n"
                      "SEND_MAIL a,b,c,d,e\r\n"
                      "LOAD_RULES /r.rle,,TRUE\r\n"),
              1);
    EXPECT_TRUE(
        Body().endsWith(QStringLiteral("  *  06:18:48  Quit on Failure = True. "
                                       "Terminating batch\r\n"
                                       "  *  06:18:48  Not connected. Terminating "
                                       "batch.\r\n")))
        << Body().toStdString();
    EXPECT_FALSE(HoldsOpen(server.applicationPath()));
}

TEST_F(BatchMain, KeywordCaseParameterSplittingAndTheQuitField) {
    EXPECT_EQ(RunFile("LOGON Demo,Demo,demo,demo-pw\r\n"
                      "load_rules /in/Rules.rle, ,True, True\r\n"
                      "LOAD_RULES /in/skipped.rle,,True\r\n"),
              1);
    EXPECT_EQ(Body(),
              "     06:18:48  Connected as demo to Demo on Demo\r\n"
              "  *  06:18:48  Error loading rules file\r\n"
              "               -> /in/Rules.rle\r\n"
              "               -> Batch Error #40099\r\n"
              "               -> LOAD_RULES is not available in this build\r\n"
              "  *  06:18:48  Quit on Failure = True. Terminating batch\r\n");
}

TEST_F(BatchMain, QuitFieldRulesAndTooFewParameters) {
    EXPECT_EQ(RunFile("LOGON Demo,Demo,demo,demo-pw\r\n"
                      "LOAD_RULES /a.rle,,TRUE,0\r\n"  // quit value 0: go on
                      "LOAD_RULES /b.rle,,TRUE,maybe\r\n"
                      "LOAD_RULES /c.rle\r\n"
                      "LOAD_RULES /d.rle,,TRUE,1,x\r\n"  // five fields: no quit value
                      "LOAD_RULES /e.rle,,TRUE,-1\r\n"),
              1);
    EXPECT_EQ(Body(),
              "     06:18:48  Connected as demo to Demo on Demo\r\n"
              "  *  06:18:48  Error loading rules file\r\n"
              "               -> /a.rle\r\n"
              "               -> Batch Error #40099\r\n"
              "               -> LOAD_RULES is not available in this build\r\n"
              "  *  06:18:48  Error loading rules file\r\n"
              "               -> /b.rle\r\n"
              "               -> Runtime Error #13\r\n"
              "               -> Type mismatch: \"maybe\" is neither True, False nor a number\r\n"
              "  *  06:18:48  Error loading rules file\r\n"
              "               -> \r\n"
              "               -> Runtime Error #3\r\n"
              "               -> Too few parameters. Expected 3\r\n"
              "  *  06:18:48  Error loading rules file\r\n"
              "               -> /d.rle\r\n"
              "               -> Batch Error #40099\r\n"
              "               -> LOAD_RULES is not available in this build\r\n"
              "  *  06:18:48  Error loading rules file\r\n"
              "               -> /e.rle\r\n"
              "               -> Batch Error #40099\r\n"
              "               -> LOAD_RULES is not available in this build\r\n")
        << Body().toStdString();
    // No "Quit on Failure" entry after a failing last line.
}

// Every keyword not yet available: fewer than its required fields is the too-few error with
// the keyword's own number; exactly the required fields clear the quit flag that LOGON
// set; one more field is the quit value. The subject line is the routine's own.
TEST_F(BatchMain, EveryKeywordCountsItsParametersAndQuitField) {
    const struct {
        const char* keyword;
        int required;
        const char* header;
        const char* failure;
        const char* subject;  // with the fields p1, p2, ...
        const char* emptySubject;
        // The header and detail of a built command given p1, p2, ... (null: not built).
        const char* built = nullptr;
        // The failure text once the command has read its parameters (null: failure).
        const char* builtFailure = nullptr;
    } rows[] = {
        {"CONSOLIDATE", 7, "Batch Error #40023", "Error consolidating data",
         "POV: p1, p2, p3, p4, p5, p6", "POV: , , , , , ",
         "Batch Error #40024\r\n"
         "               -> Invalid consolidation type. Expected 'Consolidate' or 'Consolidate "
         "All With Data'."},
        {"EXTRACT_BASE_DATA", 7, "Batch Error #40035", "Error extracting base data",
         "POV: p3, p4, p5, p6", "POV: , , , ",
         "Batch Error #40037\r\n"
         "               -> Invalid entry for Extract Calculated. Expected 'True' or 'False'",
         "Error extracting base data. Extract Calculated = P7"},
        {"EXTRACT_DATA_USING_MBR_LISTS", 9, "Batch Error #40044",
         "Error extracting data using member lists", "POV: p3, p4, p5, p6", "POV: , , , ",
         "Batch Error #40045\r\n"
         "               -> Invalid entry for Extract Calculated. Expected 'True' or 'False'",
         "Error extracting data using member lists. Entity Mbr List = P7, Acct Mbr List = P8, "
         "Extract Calculated = P9"},
        {"EXTRACT_JOURNALS", 9, "Batch Error #40038", "Error extracting Journals",
         "POV: p3, p4, p5, p6", "POV: , , , "},
        {"EXTRACT_METADATA", 3, "Runtime Error #3", "Error extracting metadata", "p1", "",
         "Batch Error #40068\r\n"
         "               -> Unrecognized metadata file type. Expected 'XML' or 'App'"},
        {"EXTRACT_MEMBER_LISTS", 2, "Runtime Error #2", "Error extracting member lists file", "p1",
         "",
         "Tarsel Error #-2147215030\r\n"
         "               -> The application \"Demo\" has no member list file to extract; load "
         "one first."},
        {"EXTRACT_RULES", 2, "Runtime Error #2", "Error extracting rules file", "p1", ""},
        {"EXTRACT_SECURITY", 6, "Batch Error #40063", "Error extracting security", "p1", ""},
        {"FORCE_CALCULATE", 7, "Batch Error #40065", "Error force calculating data",
         "POV: p1, p2, p3, p4, p5, p6, p7", "POV: , , , , , , ",
         "Tarsel Error #-2147215010\r\n"
         "               -> The member \"p1\" is not in the Scenario dimension."},
        {"LOAD_DATA", 4, "Batch Error #40014", "Error loading data file", "p1", "",
         "Batch Error #40015\r\n"
         "               -> Invalid entry for Duplicates. Expected 'Merge', 'Replace', "
         "'Accumulate' or 'Replace By Security'"},
        {"LOAD_JOURNALS", 2, "Batch Error #40033", "Error loading journal file", "p1", ""},
        {"LOAD_MEMBER_LISTS", 2, "Runtime Error #2", "Error loading member lists file", "p1", "",
         "Tarsel Error #-2147215030\r\n"
         "               -> p1: no such file"},
        {"LOAD_METADATA", 4, "Runtime Error #4", "Error loading metadata file", "p1", "",
         "Batch Error #40006\r\n"
         "               -> Invalid entry for Load Type option. Expected 'Merge', 'Replace' or "
         "'Clear'"},
        {"LOAD_RULES", 3, "Runtime Error #3", "Error loading rules file", "p1", ""},
        {"LOAD_SECURITY", 7, "Batch Error #40048", "Error loading security", "p1", ""},
        {"SCAN_METADATA", 4, "Runtime Error #4",
         "Metadata scan has identified errors in the metadata file.", "p1", "",
         "Batch Error #40027\r\n"
         "               -> Invalid entry for Load Type option. Expected 'Merge', 'Replace' or "
         "'Clear'"},
        {"SCAN_DATA", 4, "Batch Error #40029", "Data scan has identified errors in the data file.",
         "p1", "",
         "Batch Error #40030\r\n"
         "               -> Invalid entry for Duplicates. Expected 'Merge', 'Replace', "
         "'Accumulate' or 'Replace By Security'"},
        {"DELETE_INVALID_RECORDS", 1, "Batch Error #40066", "Error deleting invalid records", "p1",
         ""},
    };
    const auto fields = [](int count) {
        QStringList list;
        for (int i = 1; i <= count; ++i) {
            list << QStringLiteral("p%1").arg(i);
        }
        return list.join(QLatin1Char(','));
    };
    const QString logon = QStringLiteral("LOGON Demo,Demo,demo,demo-pw\r\n");
    const QString connected =
        QStringLiteral("     06:18:48  Connected as demo to Demo on Demo\r\n");
    const QString next = QStringLiteral("FROBNICATE\r\n");
    const QString nextRan = QStringLiteral(
        "  *  06:18:48  Unrecognized command\r\n"
        "               -> FROBNICATE\r\n");
    for (const auto& row : rows) {
        const QString keyword = QString::fromLatin1(row.keyword);
        const QString failure = QStringLiteral("  *  06:18:48  ") + row.failure + "\r\n";
        const QString builtFailure =
            row.builtFailure ? QStringLiteral("  *  06:18:48  ") + row.builtFailure + "\r\n"
                             : failure;
        const QString notAvailable = row.built
                                         ? QStringLiteral("               -> ") + row.built + "\r\n"
                                         : QStringLiteral(
                                               "               -> Batch Error #40099\r\n"
                                               "               -> ") +
                                               keyword + " is not available in this build\r\n";

        // One field short: the LOGON's quit flag still stands, so the batch ends. (A blank
        // after the keyword already makes one empty field.)
        const QString shortLine =
            row.required == 1 ? keyword : keyword + " " + fields(row.required - 1);
        RunFile((logon + shortLine + "\r\n" + next).toUtf8());
        EXPECT_EQ(Body(), connected + failure + "               -> " + row.emptySubject +
                              "\r\n"
                              "               -> " +
                              row.header +
                              "\r\n"
                              "               -> Too few parameters. Expected " +
                              QString::number(row.required) +
                              "\r\n"
                              "  *  06:18:48  Quit on Failure = True. Terminating batch\r\n")
            << row.keyword;

        // Exactly the required fields: no quit value, the next line runs.
        RunFile((logon + keyword + " " + fields(row.required) + "\r\n" + next).toUtf8());
        EXPECT_EQ(Body(), connected + builtFailure + "               -> " + row.subject + "\r\n" +
                              notAvailable + nextRan)
            << row.keyword;

        // One more field is the quit value.
        RunFile((logon + keyword + " " + fields(row.required) + ", TRUE \r\n" + next).toUtf8());
        EXPECT_EQ(Body(), connected + builtFailure + "               -> " + row.subject + "\r\n" +
                              notAvailable +
                              "  *  06:18:48  Quit on Failure = True. Terminating batch\r\n")
            << row.keyword;
    }
}

TEST_F(BatchMain, OnlyServerCommandsNeedALogon) {
    // KARST_EXPORT and SEND_MAIL run without a session; an unreadable line is judged by its
    // keyword like any other.
    const QByteArray raw = "KARST_EXPORT /no/such/karst,u,pw,srv,," + dir.path().toUtf8() +
                           "/@day.xls,BOOK,b,c,p\r\n"
                           "LOGON Demo,Demo,demo,caf\xE9\r\n"
                           "SEND_MAIL a,b,c,d,e\r\n"
                           "CREATE_FOLDER /out/x\r\n";
    EXPECT_EQ(RunFile(raw), 1);
    EXPECT_EQ(Body(),
              "  *  06:18:48  Error exporting book/report from Karst. Name = B\r\n"
              "               -> Batch Error #40020\r\n"
              "               -> Could not connect to Karst.\r\n"
              "               -> " +
                  dir.path() +
                  "/08_karst.log\r\n"
                  "  *  06:18:48  Unreadable command line\r\n"
                  "               -> " +
                  commands +
                  " line 2: the line is not valid UTF-8\r\n"
                  "  *  06:18:48  Not connected. Terminating batch.\r\n")
        << Body().toStdString();
    EXPECT_EQ(mail.sent.size(), 1u);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("08_karst.cfg"))));
}

// The commands that run count their parameters and read the quit field like the others.
TEST_F(BatchMain, WorkingCommandsCountTheirParametersAndQuitField) {
    const QString logon = QStringLiteral("LOGON Demo,Demo,demo,demo-pw\r\n");
    const QString connected =
        QStringLiteral("     06:18:48  Connected as demo to Demo on Demo\r\n");
    const QString quit =
        QStringLiteral("  *  06:18:48  Quit on Failure = True. Terminating batch\r\n");
    RunFile((logon + "CREATE_FOLDER\r\nFROBNICATE\r\n").toUtf8());
    EXPECT_EQ(Body(), connected +
                          "  *  06:18:48  Error creating folder\r\n"
                          "               -> \r\n"
                          "               -> Batch Error #40050\r\n"
                          "               -> Too few parameters. Expected 1\r\n" +
                          quit);
    const QString exists = QStringLiteral(
                               "  *  06:18:48  Error creating folder\r\n"
                               "               -> ") +
                           dir.path() +
                           "\r\n"
                           "               -> Batch Error #40051\r\n"
                           "               -> Folder already exists\r\n";
    RunFile((logon + "CREATE_FOLDER " + dir.path() + "\r\nFROBNICATE\r\n").toUtf8());
    EXPECT_EQ(Body(), connected + exists +
                          "  *  06:18:48  Unrecognized command\r\n"
                          "               -> FROBNICATE\r\n");
    RunFile((logon + "CREATE_FOLDER " + dir.path() + ", 1\r\nFROBNICATE\r\n").toUtf8());
    EXPECT_EQ(Body(), connected + exists + quit);

    RunFile((logon + "DEFAULT_CUSTOM2 a, b\r\n").toUtf8());
    EXPECT_EQ(Body(), connected +
                          "  *  06:18:48  Error defaulting Custom2 value in data file. Default "
                          "Value = \r\n"
                          "               -> \r\n"
                          "               -> Batch Error #40049\r\n"
                          "               -> Too few parameters. Expected 3\r\n");
    RunFile("KARST_EXPORT k,u,p,s,,o.xls,BOOK,n,c\r\n");
    EXPECT_EQ(Body(),
              "  *  06:18:48  Error exporting book/report from Karst. Name = \r\n"
              "               -> Batch Error #40019\r\n"
              "               -> Too few parameters. Expected 10\r\n"
              "               -> \r\n");
}

TEST_F(BatchMain, UnrecognizedLogonLineKeepsItsPasswordOutOfTheLog) {
    EXPECT_EQ(RunFile("LOGON Demo,Demo,demo,demo-pw\r\n"
                      " LOGON Demo, Demo, demo, demo-pw\r\n"
                      " send_mail mail.example.com,a@x.org,smtp-pw,r@x.org,Nightly\r\n"
                      " LOGON Demo,Demo\r\n"
                      "LOGON\tDemo,Demo,demo,demo-pw\r\n"),
              1);
    EXPECT_EQ(Body(),
              "     06:18:48  Connected as demo to Demo on Demo\r\n"
              "  *  06:18:48  Unrecognized command\r\n"
              "               ->  LOGON Demo, Demo, demo, ********\r\n"
              "  *  06:18:48  Unrecognized command\r\n"
              "               ->  send_mail mail.example.com,a@x.org, ********,r@x.org,Nightly\r\n"
              "  *  06:18:48  Unrecognized command\r\n"
              "               ->  LOGON Demo,Demo\r\n"
              "  *  06:18:48  Unrecognized command\r\n"
              "               -> LOGON\tDemo,Demo,demo, ********\r\n")
        << Body().toStdString();
}

TEST_F(BatchMain, UnrecognizedAndUnreadableLines) {
    const char raw[] =
        "LOGON Demo,Demo,demo,demo-pw\r\n"
        " LOAD_RULES /a.rle,,TRUE\r\n"
        "FROBNICATE this, that\r\n"
        ",,,,\r\n"
        "LOAD_DATA caf\xE9.dat,,MERGE,TRUE\r\n"
        "LOAD_DATA a\0b,,MERGE,TRUE\r";
    EXPECT_EQ(RunFile(QByteArray(raw, sizeof(raw) - 1)), 1);
    EXPECT_EQ(Body(),
              "     06:18:48  Connected as demo to Demo on Demo\r\n"
              "  *  06:18:48  Unrecognized command\r\n"
              "               ->  LOAD_RULES /a.rle,,TRUE\r\n"
              "  *  06:18:48  Unrecognized command\r\n"
              "               -> FROBNICATE this, that\r\n"
              "  *  06:18:48  Unrecognized command\r\n"
              "               -> ,,,,\r\n"
              "  *  06:18:48  Unreadable command line\r\n"
              "               -> " +
                  commands +
                  " line 5: the line is not valid UTF-8\r\n"
                  "  *  06:18:48  Unreadable command line\r\n"
                  "               -> " +
                  commands + " line 6: the line contains a NUL character\r\n")
        << Body().toStdString();
}

TEST_F(BatchMain, TimestampTokensAreTheStartTimeInEveryCommand) {
    clock.Set(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59)));
    // The clock moves on (past midnight) while the run goes on.
    clock.onNow = [this] { clock.Advance(3600); };
    WriteBytes(commands,
               "LOGON Demo,Demo,demo,demo-pw\r\n"
               "LOAD_RULES /out/@long_timestamp/r_@day.rle,,TRUE\r\n"
               "LOAD_RULES /out/@long_timestamp/@short_timestamp.rle,,TRUE\r\n");
    EXPECT_EQ(Run({commands}), 1);
    const QString text = ReadText(log);
    EXPECT_TRUE(text.contains(QStringLiteral("-> /out/2026_12_07_235959/r_07.rle\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("-> /out/2026_12_07_235959/2026_12_07.rle\r\n")));
}

TEST_F(BatchMain, SendMailSettingsAndFailures) {
    EXPECT_EQ(RunFile("SEND_MAIL first.example.com,a@x.org,pw,r1@x.org,First,/d1.txt\r\n"
                      "SEND_MAIL mail.example.com:2525, batch@x.org , smtp-pw , r@x.org;s@x.org ,"
                      " Nightly , /tmp/ignored-debug.txt, extra\r\n"
                      "LOGON Demo,Demo,demo,demo-pw\r\n"),
              0);
    ASSERT_EQ(mail.sent.size(), 1u);
    EXPECT_EQ(mail.sent[0].server, "mail.example.com:2525");
    EXPECT_EQ(mail.sent[0].sender, "batch@x.org");
    EXPECT_EQ(mail.sent[0].recipients, "r@x.org;s@x.org");
    EXPECT_EQ(mail.sent[0].subject, "Nightly 12/08/26");
    EXPECT_TRUE(mail.sent[0].body.contains(QStringLiteral("Connected as demo")));
    EXPECT_FALSE(mail.sent[0].body.contains(QStringLiteral("smtp-pw")));
    EXPECT_FALSE(Log().contains(QStringLiteral("smtp-pw")));

    mail.sent.clear();
    EXPECT_EQ(RunFile("LOGON Demo,Demo,demo,demo-pw\r\nSEND_MAIL mail.example.com,a@x.org\r\n"), 1);
    EXPECT_EQ(Body(),
              "     06:18:48  Connected as demo to Demo on Demo\r\n"
              "  *  06:18:48  Could not send e-mail\r\n"
              "               -> Batch Error #40018\r\n"
              "               -> Too few parameters. Expected 5\r\n");
    EXPECT_TRUE(mail.sent.empty());
}

TEST_F(BatchMain, RunsThatCannotStartExitWithTwo) {
    EXPECT_EQ(Run({}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("no command file")));
    err.clear();
    EXPECT_EQ(Run({QStringLiteral(" , /x.log")}), 2);
    err.clear();
    WriteBytes(commands, "LOGON Demo,Demo,demo,demo-pw\r\n");
    const QString missing = dir.filePath(QStringLiteral("missing/run.log"));
    EXPECT_EQ(Run({commands + QStringLiteral(",") + missing}), 2);
    EXPECT_TRUE(err.contains(missing)) << err.toStdString();
    EXPECT_FALSE(QFile::exists(missing));
    err.clear();
    ASSERT_TRUE(QDir().mkdir(log));  // the log's name is taken by a folder
    EXPECT_EQ(Run({commands}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("cannot be written"))) << err.toStdString();
}

TEST_F(BatchMain, LogThatBecomesUnwritableEndsTheRunWithTwo) {
    // The log's name is taken by a folder once the logon is logged.
    clock.onNow = [this] {
        if (ReadText(log).contains(QStringLiteral("Connected as demo"))) {
            QFile::remove(log);
            QDir().mkdir(log);
        }
    };
    EXPECT_EQ(RunFile("SEND_MAIL mail.example.com,a@x.org,pw,r@x.org,Nightly\r\n"
                      "LOGON Demo,Demo,demo,demo-pw\r\nLOAD_RULES /r.rle,,TRUE\r\n"),
              2);
    EXPECT_TRUE(err.contains(QStringLiteral("cannot be written"))) << err.toStdString();
    ASSERT_EQ(mail.sent.size(), 1u) << "what was logged is still mailed";
    EXPECT_TRUE(mail.sent[0].body.contains(QStringLiteral("Opened command file")));
}

TEST_F(BatchMain, LogWithoutFolderGoesToTheCurrentFolder) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    WriteBytes(commands, "LOGON Demo,Demo,demo,demo-pw\r\n");
    const int status = Run({QStringLiteral("job.txt")});
    QDir::setCurrent(previous);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Log().contains(QStringLiteral("Connected as demo")));
}

TEST_F(BatchMain, HelpAndVersion) {
    EXPECT_EQ(Run({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("comma cannot be given")));
    out.clear();
    EXPECT_EQ(Run({QStringLiteral("--version")}), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Tarsel_Batch 11.")));
}

TEST_F(BatchMain, TenThousandUnknownKeywordsStayFast) {
    QByteArray content = "LOGON Demo,Demo,demo,demo-pw\r\n";
    for (int i = 0; i < 10000; ++i) {
        content += "UNKNOWN_" + QByteArray::number(i) + " a,b,c\r\n";
    }
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(RunFile(content), 1);
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(Log().count(QStringLiteral("Unrecognized command")), 10000);
}

}  // namespace
}  // namespace tarsel::batch::test
