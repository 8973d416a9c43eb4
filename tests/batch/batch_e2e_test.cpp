// The real Tarsel_Batch program against a fresh local cluster per test.

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>

#include "batch/mail.h"
#include "tests/batch/batch_test_support.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::batch::test {
namespace {

using tarsel::test::AppBuilder;
using tarsel::test::LocalServer;

struct RunResult {
    int exitCode = -1;
    QString out;
    QString err;
    qint64 milliseconds = 0;
};

// environment: "NAME=value" entries added to the program's environment.
RunResult RunBatch(const QStringList& arguments, const QString& workingDir,
                   const QString& locale = QStringLiteral("C.UTF-8"),
                   const QStringList& environment = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    for (const QString& entry : environment) {
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    }
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workingDir);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(TARSEL_BATCH_BINARY), arguments);
    RunResult result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("<did not finish>");
        return result;
    }
    result.milliseconds = timer.elapsed();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err += QString::fromUtf8(process.readAllStandardError());
    return result;
}

// A port of 127.0.0.1 nothing listens on: taken from the system, then given back.
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

// The aiosmtpd server of smtp_sink.py on a free port, stopped when the object goes.
class SmtpSink {
  public:
    SmtpSink() {
        process_.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(SMTP_SINK_SCRIPT), dir_.path()});
        if (process_.waitForReadyRead(20000)) {
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line.startsWith(QStringLiteral("PORT "))) {
                port_ = line.mid(5).toInt();
            }
        }
    }
    ~SmtpSink() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    int port() const { return port_; }
    // The messages received so far, in order; each an object with mail_from, rcpt_tos and
    // data (the raw message).
    std::vector<QJsonObject> Messages() const {
        std::vector<QJsonObject> messages;
        for (int k = 1;; ++k) {
            QFile file(dir_.filePath(QStringLiteral("mail%1.json").arg(k)));
            if (!file.open(QIODevice::ReadOnly)) {
                break;
            }
            messages.push_back(QJsonDocument::fromJson(file.readAll()).object());
        }
        return messages;
    }

  private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

QByteArray MailData(const QJsonObject& message) {
    return QByteArray::fromBase64(message.value(QStringLiteral("data")).toString().toLatin1());
}

class BatchE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        AppBuilder app;
        app.Relate(Dimension::Entity, QString(), QStringLiteral("World"));
        server = std::make_unique<LocalServer>(app.Build());
        auto store = server->store();
        store.AddUser(QStringLiteral("outsider"), QStringLiteral("outsider-pw"));
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Write(const QString& name, const QByteArray& content) {
        WriteBytes(Path(name), content);
        return Path(name);
    }

    std::unique_ptr<LocalServer> server;  // cluster TestCluster, TestApp, admin / secret
    QTemporaryDir dir;
};

const QString kLogonLine = QStringLiteral("LOGON TestCluster, TestApp, admin, secret\r\n");

TEST_F(BatchE2E, LogonAndLogNamedAfterTheCommandFile) {
    for (const auto& [job, log] : std::vector<std::pair<QString, QString>>{
             {"job.txt", "job.log"}, {"job", "job.log"}, {"job.cmds", "job.cmds.log"}}) {
        QFile::remove(Path(log));
        const QString commands = Write(job, "' nightly\r\n" + kLogonLine.toUtf8());
        const RunResult run = RunBatch({commands}, dir.path());
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(MaskTimes(ReadText(Path(log))),
                  "\r\n\r\n\r\n"
                  "Start Tarsel Batch Process on ddd, dd mmm yyyy At hh:mm:ss\r\n"
                  "     hh:mm:ss  Opened command file for processing\r\n"
                  "               -> " +
                      commands +
                      "\r\n"
                      "     hh:mm:ss  Connected as admin to TestApp on TestCluster\r\n"
                      "\r\n"
                      "End Tarsel Batch Process on ddd, dd mmm yyyy At hh:mm:ss\r\n")
            << job.toStdString();
    }
    EXPECT_FALSE(ReadText(Path("job.log")).contains(QStringLiteral("secret")));
}

TEST_F(BatchE2E, CommandLineFieldsWinAndMayComeAsOneArgument) {
    Write("job.txt", "LOGON TestCluster,TestApp,outsider,wrong\r\n");
    // Relative paths, one argument holding every field with blanks around them.
    RunResult run = RunBatch({QStringLiteral("job.txt, run.log, admin, secret")}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(
        ReadText(Path("run.log")).contains(QStringLiteral("Connected as admin to TestApp")));
    EXPECT_FALSE(QFile::exists(Path("job.log")));

    // The same fields as separate arguments: joined with blanks, then split at commas.
    run = RunBatch({Path("job.txt") + ",", Path("run2.log") + ",", "admin,", "secret"}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString log = ReadText(Path("run2.log"));
    EXPECT_TRUE(log.contains(QStringLiteral("Connected as admin"))) << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("secret")));
}

TEST_F(BatchE2E, LogonRefusalsQuitTheBatch) {
    const struct {
        const char* line;
        const char* header;
    } cases[] = {
        {"LOGON TestCluster,TestApp,admin,not-the-password", "Tarsel Error #-2147215003"},
        {"LOGON TestCluster,NoSuchApp,admin,secret", "Tarsel Error #-2147215001"},
        {"LOGON NoSuchCluster,TestApp,admin,secret", "Tarsel Error #-2147215000"},
        {"LOGON TestCluster,TestApp,nobody,secret", "Tarsel Error #-2147215002"},
        {"LOGON TestCluster,TestApp,outsider,outsider-pw", "Tarsel Error #-2147215004"},
    };
    for (const auto& c : cases) {
        QFile::remove(Path("job.log"));
        const QString commands =
            Write("job.txt", QByteArray(c.line) + "\r\nLOAD_DATA /in/gl.dat,,MERGE,TRUE\r\n");
        const RunResult run = RunBatch({commands}, dir.path());
        EXPECT_EQ(run.exitCode, 1) << c.line;
        const QString log = MaskTimes(ReadText(Path("job.log")));
        const QString expected = QStringLiteral(
                                     "  *  hh:mm:ss  Could not connect\r\n"
                                     "               -> ") +
                                 QString::fromLatin1(c.header) + QStringLiteral("\r\n");
        EXPECT_TRUE(log.contains(expected)) << c.line << "\n" << log.toStdString();
        EXPECT_TRUE(
            log.contains(QStringLiteral("  *  hh:mm:ss  Quit on Failure = True. "
                                        "Terminating batch\r\n"
                                        "  *  hh:mm:ss  Not connected. Terminating "
                                        "batch.\r\n")))
            << log.toStdString();
        EXPECT_FALSE(log.contains(QStringLiteral("not-the-password")));
        EXPECT_FALSE(log.contains(QStringLiteral("outsider-pw")));
        // The detail line is the server's readable text, never empty.
        const qsizetype at = log.indexOf(expected);
        const QString detail = log.mid(at + expected.size()).section(QStringLiteral("\r\n"), 0, 0);
        EXPECT_GT(detail.size(), 18) << detail.toStdString();
    }
}

TEST_F(BatchE2E, TokensKeepTheStartTimeAndKeywordsIgnoreCase) {
    QByteArray content = kLogonLine.toUtf8();
    content += "load_rules /out/@long_timestamp/a_@day.rle, ,True, false\r\n";
    for (int i = 0; i < 4; ++i) {
        content += kLogonLine.toUtf8();
    }
    for (int i = 0; i < 80000; ++i) {
        content += "FILLER " + QByteArray::number(i) + "\r\n";
    }
    content += "Load_Rules  /out/@long_timestamp/@short_timestamp.rle ,,  TRUE, True\r\n";
    content += kLogonLine.toUtf8();
    const QString commands = Write("job.txt", content);

    // Subject lines only: the detail of a file not found names the path too, after a colon.
    static const QRegularExpression subject(
        QStringLiteral("-> /out/(\\d{4}_\\d\\d_\\d\\d_\\d{6})/([^\\r:]*)\\r\\n"));
    // The run must outlast the second in which its timestamps were taken: start it late in
    // a second, and try again when a slow start or a fast run still stays within one.
    bool crossedASecond = false;
    for (int attempt = 0; attempt < 4 && !crossedASecond && !HasFailure(); ++attempt) {
        QFile::remove(Path("job.log"));
        while (QTime::currentTime().msec() < 700 || QTime::currentTime().msec() > 760) {
            QThread::msleep(5);
        }
        const QDateTime before = QDateTime::currentDateTime();
        const RunResult run = RunBatch({commands}, dir.path());
        const QDateTime after = QDateTime::currentDateTime();
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        const QString log = ReadText(Path("job.log"));

        QStringList stamps;
        QStringList names;
        for (auto it = subject.globalMatch(log); it.hasNext();) {
            const auto match = it.next();
            stamps << match.captured(1);
            names << match.captured(2);
        }
        ASSERT_EQ(stamps.size(), 2) << log.left(2000).toStdString();
        EXPECT_EQ(stamps[0], stamps[1]);
        const QDateTime start =
            QDateTime::fromString(stamps[0], QStringLiteral("yyyy_MM_dd_HHmmss"));
        EXPECT_GE(start.toSecsSinceEpoch(), before.toSecsSinceEpoch());
        EXPECT_LE(start.toSecsSinceEpoch(), after.toSecsSinceEpoch());
        EXPECT_EQ(names[0], "a_" + start.toString(QStringLiteral("dd")) + ".rle");
        EXPECT_EQ(names[1], start.toString(QStringLiteral("yyyy_MM_dd")) + ".rle");
        const qsizetype quit =
            log.indexOf(QStringLiteral("  Quit on Failure = True. Terminating batch"));
        ASSERT_GT(quit, 8);
        crossedASecond = log.mid(quit - 8, 8) != start.toString(QStringLiteral("HH:mm:ss"));

        // Both keywords ran in any letter case; the quit fields came through as written
        // ("false" went on, "True" quit) and the line after the quit was skipped.
        EXPECT_EQ(log.count(QStringLiteral("Error loading rules file")), 2);
        EXPECT_EQ(log.count(QStringLiteral("Connected as admin")), 5);
    }
    EXPECT_TRUE(crossedASecond) << "every run ended in the second it started";
}

TEST_F(BatchE2E, HeaderAndFooterUseTheLocaleNames) {
    const QString commands = Write("job.txt", kLogonLine.toUtf8());
    const RunResult run = RunBatch({commands}, dir.path(), QStringLiteral("de_DE.UTF-8"));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QLocale german(QLocale::German, QLocale::Germany);
    const QDate today = QDate::currentDate();
    const QString date = german.dayName(today.dayOfWeek(), QLocale::ShortFormat) + ", " +
                         today.toString(QStringLiteral("dd")) + " " +
                         german.monthName(today.month(), QLocale::ShortFormat) + " " +
                         today.toString(QStringLiteral("yyyy"));
    const QString log = ReadText(Path("job.log"));
    EXPECT_TRUE(log.contains("Start Tarsel Batch Process on " + date + " At "))
        << log.toStdString();
    EXPECT_TRUE(log.contains("End Tarsel Batch Process on " + date + " At ")) << log.toStdString();
}

TEST_F(BatchE2E, RunsThatCannotStartSayWhyAndExitWithTwo) {
    const QString commands = Write("job.txt", kLogonLine.toUtf8());
    RunResult run =
        RunBatch({commands + QStringLiteral(",") + Path("no/such/folder/x.log")}, dir.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("does not exist"))) << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"job.txt"});

    run = RunBatch({}, dir.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(run.err.isEmpty());

    run = RunBatch({QStringLiteral("--help")}, dir.path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("comma"))) << run.out.toStdString();
}

TEST_F(BatchE2E, NoCommandsAndUnknownCommandsFailTheRun) {
    RunResult run = RunBatch({Write("empty.txt", "\r\n' only a comment\r\n   \r\n")}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(ReadText(Path("empty.log"))
                    .contains(QStringLiteral("-> Batch Error #40002\r\n"
                                             "               -> No "
                                             "commands found\r\n")));
    run = RunBatch({Write("unknown.txt", kLogonLine.toUtf8() + "LOGOFF now\r\n")}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(ReadText(Path("unknown.log"))
                    .contains(QStringLiteral("Unrecognized command\r\n"
                                             "               -> LOGOFF "
                                             "now\r\n")));
}

TEST_F(BatchE2E, BadCommandFilesGetEntriesNotCrashes) {
    QByteArray content = kLogonLine.toUtf8();
    content += QByteArray("LOAD_DATA a\0b.dat,,MERGE,TRUE\r\n", 31);
    content += "LOAD_DATA caf\xE9.dat,,MERGE,TRUE\r\n";
    content += ",,,,\r\n     \r\n,\r\n";
    content += "FOO " + QByteArray(1024 * 1024, 'z') + "\r\n";
    content += "LOGON TestCluster,TestApp,admin,secret\rLOGON TestCluster,TestApp,admin,secret\r";
    const RunResult run = RunBatch({Write("bad.txt", content)}, dir.path());
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_LT(run.milliseconds, 20000);
    const QString log = MaskTimes(ReadText(Path("bad.log")));
    EXPECT_TRUE(log.contains(Path("bad.txt") + " line 2: the line contains a NUL character"));
    EXPECT_TRUE(log.contains(Path("bad.txt") + " line 3: the line is not valid UTF-8"));
    EXPECT_EQ(log.count(QStringLiteral("Unrecognized command")), 3);  // ",,,,", ",", FOO
    EXPECT_TRUE(log.contains(QStringLiteral("-> FOO zzzz")));
    EXPECT_EQ(log.count(QStringLiteral("Connected as admin")), 3) << "CR-only line ends";
}

TEST_F(BatchE2E, TenThousandUnknownKeywordsStayFast) {
    QByteArray content = kLogonLine.toUtf8();
    for (int i = 0; i < 10000; ++i) {
        content += "NOT_A_COMMAND_" + QByteArray::number(i) + " /in/file.dat,,\r\n";
    }
    const RunResult run = RunBatch({Write("many.txt", content)}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_LT(run.milliseconds, 30000);
    std::printf("[ figure ] 10000 unknown keywords: %lld ms\n",
                static_cast<long long>(run.milliseconds));
    EXPECT_EQ(ReadText(Path("many.log")).count(QStringLiteral("Unrecognized command")), 10000);
}

TEST_F(BatchE2E, MailIsDeliveredWithEnvelopeHeadersAndTheRunAsBody) {
    SmtpSink sink;
    ASSERT_GT(sink.port(), 0) << "the SMTP server did not start";
    // An earlier run in the same log must not be mailed.
    Write("job.log", "\r\nearlier run\r\n");
    const QString commands = Write(
        "job.txt", kLogonLine.toUtf8() +
                       QStringLiteral("SEND_MAIL 127.0.0.1:%1, batch@example.com, "
                                      "smtp-secret, ops@example.com; Audit <audit@example.org>,"
                                      " Nightly load\r\n")
                           .arg(sink.port())
                           .toUtf8());
    const RunResult run = RunBatch({commands}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto messages = sink.Messages();
    ASSERT_EQ(messages.size(), 1u);
    const QJsonObject& message = messages.front();
    EXPECT_EQ(message.value("mail_from").toString(), "batch@example.com");
    EXPECT_EQ(message.value("rcpt_tos").toArray(),
              (QJsonArray{"ops@example.com", "audit@example.org"}));

    const QByteArray data = MailData(message);
    const qsizetype split = data.indexOf("\r\n\r\n");
    ASSERT_GT(split, 0);
    const QByteArray headers = data.left(split + 2);
    const QByteArray body = data.mid(split + 4);
    EXPECT_TRUE(headers.contains("\r\nTo: ops@example.com; Audit <audit@example.org>\r\n"))
        << headers.data();
    EXPECT_TRUE(headers.contains("From: batch@example.com\r\n"));
    const QByteArray subject =
        "Subject: Nightly load " + QDate::currentDate().toString("MM/dd/yy").toLatin1() + "\r\n";
    EXPECT_TRUE(headers.contains(subject)) << headers.data();
    EXPECT_TRUE(headers.startsWith("Date: ")) << headers.data();
    EXPECT_TRUE(headers.contains("\r\nMessage-ID: <")) << headers.data();
    const QString log = ReadText(Path("job.log"));
    const QString thisRun = log.mid(QStringLiteral("\r\nearlier run\r\n").size());
    EXPECT_EQ(QString::fromUtf8(body), QStringLiteral("\r\n") + thisRun);
    EXPECT_FALSE(data.contains("smtp-secret"));
    EXPECT_FALSE(data.contains("secret"));
    EXPECT_FALSE(log.contains(QStringLiteral("secret")));
}

TEST_F(BatchE2E, FailedMailWritesOnlyTheDebugFileAndEndsQuickly) {
    const int port = ClosedPort();
    const QString debug = Path("mail-debug.txt");
    Write("mail-debug.txt", "earlier failure\r\nwith two lines\r\n");
    const QString mailLine = QStringLiteral(
                                 "SEND_MAIL 127.0.0.1:%1,batch@example.com,"
                                 "smtp-secret,ops@example.com,Nightly")
                                 .arg(port);
    RunResult run = RunBatch(
        {Write("job.txt", kLogonLine.toUtf8() + mailLine.toUtf8() + "," + debug.toUtf8() + "\r\n")},
        dir.path());
    EXPECT_EQ(run.exitCode, 0) << "the commands succeeded; the mail is not a command";
    EXPECT_LT(run.milliseconds, 30000);
    const QStringList lines = ReadText(debug).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6) << ReadText(debug).toStdString();
    EXPECT_EQ(MaskTimes(lines[0]), "Time: ddd, dd mmm yyyy hh:mm:ss");
    EXPECT_EQ(lines[1], "Error # 7");  // could not connect
    EXPECT_EQ(lines[2], "Source: SendLogMail");
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Description: "))) << lines[3].toStdString();
    EXPECT_TRUE(lines[3].contains(QString::number(port)));
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "");
    EXPECT_FALSE(ReadText(debug).contains(QStringLiteral("secret")));
    const QString log = ReadText(Path("job.log"));
    EXPECT_FALSE(log.contains(QStringLiteral("secret")));
    EXPECT_FALSE(log.contains(QStringLiteral("e-mail")));

    // Without a debug file a failed mail leaves no trace at all.
    QFile::remove(debug);
    run =
        RunBatch({Write("job2.txt", kLogonLine.toUtf8() + mailLine.toUtf8() + "\r\n")}, dir.path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    QStringList files = QDir(dir.path()).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files, (QStringList{"job.log", "job.txt", "job2.log", "job2.txt"}));
}

TEST(BatchE2EMail, SilentServerFailsAfterTheConnectionTimeOut) {
    // A server that takes the connection and never greets.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(listen(fd, 4), 0);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    MailMessage message;
    message.server = QStringLiteral("127.0.0.1:%1").arg(ntohs(address.sin_port));
    message.sender = QStringLiteral("batch@example.com");
    message.recipients = QStringLiteral("ops@example.com");
    message.subject = QStringLiteral("silent");
    message.date = QDateTime::currentDateTime();
    QElapsedTimer timer;
    timer.start();
    try {
        CurlMailTransport(2).Send(message);
        ADD_FAILURE() << "a silent server took the mail";
    } catch (const TarselError& error) {
        EXPECT_EQ(error.number(), 28) << error.description().toStdString();  // timed out
        EXPECT_EQ(error.source(), "SendLogMail");
    }
    EXPECT_GE(timer.elapsed(), 1500);
    EXPECT_LT(timer.elapsed(), 15000);
    close(fd);
}

TEST(BatchE2EMail, LinesOfOnlyDotsArriveIntact) {
    // A lone "." would end the message early unless the transport stuffs it.
    SmtpSink sink;
    ASSERT_GT(sink.port(), 0);
    MailMessage message;
    message.server = QStringLiteral("127.0.0.1:%1").arg(sink.port());
    message.sender = QStringLiteral("batch@example.com");
    message.recipients = QStringLiteral("ops@example.com");
    message.subject = QStringLiteral("dots");
    message.body = QStringLiteral("\r\nbefore\r\n.\r\n..twice\r\nafter");
    message.date = QDateTime::currentDateTime();
    CurlMailTransport().Send(message);
    const auto messages = sink.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(MailData(messages.front()).endsWith("\r\n\r\nbefore\r\n.\r\n..twice\r\nafter\r\n"))
        << MailData(messages.front()).data();
}

// The lines of this run's log between the "Opened command file" entries and the footer,
// times masked.
QString RunBody(const QString& logPath) {
    const QString log = MaskTimes(ReadText(logPath));
    const qsizetype opened = log.lastIndexOf(QStringLiteral("Opened command file for processing"));
    const qsizetype start =
        log.indexOf(QStringLiteral("\r\n"), log.indexOf(QStringLiteral("-> "), opened));
    const qsizetype end = log.lastIndexOf(QStringLiteral("\r\nEnd Tarsel Batch Process"));
    if (opened < 0 || start < 0 || end < 0) {
        return QStringLiteral("<unexpected log>\r\n") + log;
    }
    return log.mid(start + 2, end - start - 2);
}

QString Ok(const QString& text) {
    return QStringLiteral("     hh:mm:ss  ") + text + QStringLiteral("\r\n");
}
QString Failed(const QString& text) {
    return QStringLiteral("  *  hh:mm:ss  ") + text + QStringLiteral("\r\n");
}
QString Note(const QString& text) {
    return QStringLiteral("               -> ") + text + QStringLiteral("\r\n");
}

const QString kStub = QStringLiteral(KARST_STUB_BINARY);

TEST_F(BatchE2E, KarstExportRunsTheUtilityWithItsConfigurationAndChecksItsFiles) {
    // Before any LOGON; the password may hold what a command line would split.
    const QString record = Path("record.txt");
    Write("book.txt", ("KARST_EXPORT " + kStub +
                       ", karst-user, k pw \"q\", https://karst.example.com/api, , book.xls, book,"
                       " Nightly Book, V2, V1\r\n")
                          .toUtf8());
    RunResult run = RunBatch({Path("book.txt")}, dir.path(), QStringLiteral("C.UTF-8"),
                             {"KARST_STUB_RECORD=" + record});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(RunBody(Path("book.log")),
              Ok("Exported book/report from Karst. Name = NIGHTLY BOOK") + Note("book.xls"));
    EXPECT_EQ(ReadText(record),
              "[General]\r\nOperation=Export\r\nUserName=karst-user\r\nPassword=k pw \"q\"\r\n"
              "URL=https://karst.example.com/api\r\nLogFileName=book_karst.log\r\n\r\n"
              "[Export]\r\nOperation=Export\r\nExportType=Book\r\nBookName=Nightly Book\r\n"
              "OutFile=book.xls\r\nCurrentVersionAbbrev=V2\r\nPrevVersionAbbrev=V1\r\n"
              "mode 600\n");
    EXPECT_TRUE(QFile::exists(Path("book_karst.log")));
    EXPECT_TRUE(QFile::exists(Path("book.xls")));
    EXPECT_FALSE(QFile::exists(Path("book_karst.cfg")));

    // A report, a name without a three-letter extension, and every way to fail.
    const QString plain = Write("not-executable", "#!/bin/sh\n");
    Write("fails.txt",
          (kLogonLine + "KARST_EXPORT " + kStub +
           ", u, pw, srv, , sub/ledger, Report, Sub GL, V2, V1\r\n"
           "KARST_EXPORT " +
           kStub +
           ", u, pw, srv, , gl, Report, Monthly GL, V2, V1\r\n"
           "KARST_EXPORT /no/such/karst, u, pw, srv, , missing.xls, BOOK, B, V2, V1\r\n"
           "KARST_EXPORT " +
           plain +
           ", u, pw, srv, , plain.xls, BOOK, C, V2, V1\r\n"
           "KARST_EXPORT " +
           kStub +
           ", u, pw, srv, , odd.xls, Sheet, D, V2, V1\r\n"
           "KARST_EXPORT " +
           kStub + ", u, pw, srv, , x.xls, BOOK, E, V2\r\n")
              .toUtf8());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    run = RunBatch({Path("fails.txt")}, dir.path(), QStringLiteral("C.UTF-8"),
                   {"KARST_STUB_RECORD=" + record});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const QString notStarted = Note("Batch Error #40020") + Note("Could not connect to Karst.");
    EXPECT_EQ(
        RunBody(Path("fails.log")),
        Ok("Connected as admin to TestApp on TestCluster") +
            Ok("Exported book/report from Karst. Name = SUB GL") + Note("sub/ledger") +
            Ok("Exported book/report from Karst. Name = MONTHLY GL") + Note("gl") +
            Failed("Error exporting book/report from Karst. Name = B") + notStarted +
            Note("missing_karst.log") + Failed("Error exporting book/report from Karst. Name = C") +
            notStarted + Note("plain_karst.log") +
            Failed("Error exporting book/report from Karst. Name = D") +
            Note("Batch Error #40064") +
            Note("Invalid entry for Extract Book or Report. Expected 'Book' or 'Report'") +
            Note("odd_karst.log") + Failed("Error exporting book/report from Karst. Name = ") +
            Note("Batch Error #40019") + Note("Too few parameters. Expected 10") + Note(""));
    EXPECT_TRUE(ReadText(record).contains(
        QStringLiteral("ExportType=Export\r\nExportName=Monthly GL\r\n")));
    EXPECT_TRUE(QFile::exists(Path("KARST_gl_karst.log")));
    // Beside an output in a folder, not in a folder "KARST_sub".
    EXPECT_TRUE(QFile::exists(Path("sub/KARST_ledger_karst.log")));
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.cfg")}).isEmpty());

    // A utility that writes no log (an old log of that name is deleted before it starts),
    // and one that writes its log but no export.
    Write("old_karst.log", "from an earlier run\r\n");
    Write("one.txt",
          ("KARST_EXPORT " + kStub + ", u, pw, srv, , old.xls, BOOK, F, V2, V1\r\n").toUtf8());
    run = RunBatch({Path("one.txt")}, dir.path(), QStringLiteral("C.UTF-8"),
                   {"KARST_STUB_FAIL=no-log"});
    EXPECT_EQ(RunBody(Path("one.log")), Failed("Error exporting book/report from Karst. Name = F") +
                                            Note("Batch Error #40021") +
                                            Note("Invalid log file path. Process failed.") +
                                            Note("old_karst.log"));
    EXPECT_FALSE(QFile::exists(Path("old_karst.log")));
    QFile::remove(Path("one.log"));
    run = RunBatch({Path("one.txt")}, dir.path(), QStringLiteral("C.UTF-8"),
                   {"KARST_STUB_FAIL=no-output"});
    EXPECT_EQ(
        RunBody(Path("one.log")),
        Failed("Error exporting book/report from Karst. Name = F") + Note("Batch Error #40022") +
            Note("No export file created. See Karst log for details.") + Note("old_karst.log"));
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.cfg")}).isEmpty());
}

// Whether a process whose command line holds text runs.
bool ProcessWith(const QByteArray& text) {
    for (const QFileInfo& entry : QDir(QStringLiteral("/proc")).entryInfoList(QDir::Dirs)) {
        QFile cmdline(entry.filePath() + QStringLiteral("/cmdline"));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(text)) {
            return true;
        }
    }
    return false;
}

TEST_F(BatchE2E, StoppingTheBatchStopsTheUtilityAndEndsTheLog) {
    const QString commands =
        Write("hang.txt", ("KARST_EXPORT " + kStub +
                           ", u, pw, srv, , hang.xls, BOOK, Hanging, V2, V1\r\n" + kLogonLine)
                              .toUtf8());
    QProcess batch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KARST_STUB_FAIL"), QStringLiteral("hang"));
    batch.setProcessEnvironment(env);
    batch.setWorkingDirectory(dir.path());
    batch.start(QStringLiteral(TARSEL_BATCH_BINARY), {commands});
    const QString config = Path("hang_karst.cfg");
    QElapsedTimer timer;
    timer.start();
    while (!ProcessWith("/cfgfile=hang_karst.cfg") && timer.elapsed() < 20000) {
        QThread::msleep(20);
    }
    ASSERT_TRUE(QFile::exists(config)) << "the utility did not start";
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(config).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the configuration holds a password";
    batch.terminate();
    ASSERT_TRUE(batch.waitForFinished(20000));
    EXPECT_EQ(batch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(batch.exitCode(), 1);
    EXPECT_FALSE(QFile::exists(config));
    EXPECT_FALSE(ProcessWith("/cfgfile=hang_karst.cfg")) << "the utility outlived the batch";
    EXPECT_EQ(RunBody(Path("hang.log")),
              Failed("Error exporting book/report from Karst. Name = HANGING") +
                  Note("Batch Error #40071") + Note("The batch was stopped while the export ran") +
                  Note("hang_karst.log") + Failed("Stopped by a signal. Terminating batch"));
}

TEST_F(BatchE2E, Custom2RewriteAndFolderCreationWithCredentialsFromTheEnvironment) {
    Write("in.dat",
          "!DATA\r\n"
          "' a comment line\r\n"
          "a;b;c;d;e;f;g;h;i;OLD;k;l;m\r\n"
          "a;b;c;d;e;f;g;h;i;OLD;k;l\r\n"
          "1;2;3;4;5;6;7;8;9;;11;12;13;14\n"
          "short;line\r"
          "x;x;x;x;x;x;x;x;x;x;x;x;x");
    Write("headers.dat", "!DATA\r\n!PERIOD = 01\r\n");
    Write("previous.dat", "an earlier output\r\n");
    const QString commands =
        Write("c2.txt",
              "LOGON TestCluster, TestApp\r\n"
              "CREATE_FOLDER out_@short_timestamp\r\n"
              "CREATE_FOLDER out_@short_timestamp\r\n"
              "CREATE_FOLDER no/such/child\r\n"
              "DEFAULT_CUSTOM2 in.dat, out_@short_timestamp/c2.dat, [none]@day\r\n"
              "DEFAULT_CUSTOM2 headers.dat, headers.out, X\r\n"
              "DEFAULT_CUSTOM2 none.dat, previous.dat, X\r\n"
              "DEFAULT_CUSTOM2 in.dat, ./in.dat, X\r\n"
              "DEFAULT_CUSTOM2 in.dat, no/such/out.dat, X\r\n"
              "DEFAULT_CUSTOM2 in.dat, out.dat\r\n");
    const RunResult run = RunBatch({commands}, dir.path(), QStringLiteral("C.UTF-8"),
                                   {"TARSEL_USER=admin", "TARSEL_PASSWORD=secret"});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const QDate today = QDate::currentDate();
    const QString folder = "out_" + today.toString(QStringLiteral("yyyy_MM_dd"));
    const QString day = today.toString(QStringLiteral("dd"));
    const QString c2Failed =
        QStringLiteral("Error defaulting Custom2 value in data file. Default Value = ");
    EXPECT_EQ(
        RunBody(Path("c2.log")),
        Ok("Connected as admin to TestApp on TestCluster") + Ok("Created folder") + Note(folder) +
            Failed("Error creating folder") + Note(folder) + Note("Batch Error #40051") +
            Note("Folder already exists") + Failed("Error creating folder") +
            Note("no/such/child") + Note("Runtime Error #76") +
            Note("Cannot create folder no/such/child: No such file or directory") +
            Ok("Defaulted Custom2 value in data file. Default Value = [NONE]" + day) +
            Note("in.dat") + Ok("Defaulted Custom2 value in data file. Default Value = X") +
            Note("headers.dat") + Failed(c2Failed + "X") + Note("none.dat") +
            Note("Runtime Error #53") + Note("Cannot open none.dat: No such file or directory") +
            Failed(c2Failed + "X") + Note("in.dat") + Note("Runtime Error #75") +
            Note("The output file ./in.dat is the input file; the input would be lost") +
            Failed(c2Failed + "X") + Note("in.dat") + Note("Runtime Error #76") +
            Note("Cannot write no/such/out.dat: No such file or directory") + Failed(c2Failed) +
            Note("") + Note("Batch Error #40049") + Note("Too few parameters. Expected 3"));
    // The value as typed; twelve semicolons are enough, eleven are not; an empty tenth
    // field gets the value; the last line needs no line end.
    EXPECT_EQ(ReadText(Path(folder + "/c2.dat")),
              "!DATA\r\n"
              "a;b;c;d;e;f;g;h;i;[none]" +
                  day +
                  ";k;l;m\r\n"
                  "1;2;3;4;5;6;7;8;9;[none]" +
                  day +
                  ";11;12;13;14\r\n"
                  "x;x;x;x;x;x;x;x;x;[none]" +
                  day + ";x;x;x\r\n");
    EXPECT_EQ(ReadText(Path("headers.out")), "!DATA\r\n");
    EXPECT_EQ(ReadText(Path("previous.dat")), "an earlier output\r\n");
    EXPECT_TRUE(ReadText(Path("in.dat")).startsWith(QStringLiteral("!DATA\r\n' a comment")));
    EXPECT_FALSE(QFile::exists(Path("out.dat")));
    EXPECT_FALSE(ReadText(Path("c2.log")).contains(QStringLiteral("secret")));
    QStringList left = QDir(dir.path()).entryList({QStringLiteral("*.tmp-*")});
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

TEST_F(BatchE2E, CheckReportsEveryMistakeWithoutRunningAnything) {
    Write("in.dat", "!DATA\r\n");
    const QString commands =
        Write("check.txt",
              "' one mistake of each kind\r\n"
              "LOAD_DATA in.dat, , MERGE, TRUE\r\n"                // 2 before LOGON
              "LOGON TestCluster, TestApp, admin, secret\r\n"      // 3 password in file
              "LOAD_DATTA in.dat, , MERGE, TRUE\r\n"               // 4 unknown
              " LOAD_DATA in.dat, , MERGE, TRUE\r\n"               // 5 leading blank
              "LOAD_RULES rules.rle\r\n"                           // 6 too few
              "LOAD_DATA in.dat, , REPLACE BY SECURITY, TRUE\r\n"  // 7 word
              "LOAD_DATA in.dat, , MERGE, yes\r\n"                 // 8 True/False
              "LOAD_DATA in.dat, , MERGE, TRUE, maybe\r\n"         // 9 quit field
              "CONSOLIDATE Actual, 2026, 01, 12, World, World, Consolidate All\r\n"  // 10 type
              "EXTRACT_BASE_DATA out.dat, , Actual, 2026, 03, 01, FALSE\r\n"         // 11 periods
              "LOAD_METADATA in.dat, , MERGE, TRUE\r\n"                              // 12 file type
              "LOAD_DATA missing_@day.dat, , MERGE, TRUE\r\n"                        // 13 input
              "EXTRACT_RULES no/such/folder/r.rle, \r\n"                         // 14 output folder
              "KARST_EXPORT /no/such/karst, u, p, s, , k.xls, PDF, n, c, p\r\n"  // 15 program, kind
              "CREATE_FOLDER exports_@short_timestamp\r\n"                       // fine
              "DEFAULT_CUSTOM2 in.dat, exports_@short_timestamp/c2.dat, X\r\n"   // fine: made above
              "LOAD_DATA exports_@short_timestamp/c2.dat, , merge, false\r\n"    // fine: made above
              "CREATE_FOLDER exports_@short_timestamp\r\n");  // 19 exists by then
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    RunResult run = RunBatch({QStringLiteral("--check"), commands}, dir.path());
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const QString day = QDate::currentDate().toString(QStringLiteral("dd"));
    const QString folder = "exports_" + QDate::currentDate().toString(QStringLiteral("yyyy_MM_dd"));
    const QString f = commands + ":";
    EXPECT_EQ(run.out,
              f + "2: LOAD_DATA before the first LOGON: the run stops here (\"Not connected\")\n" +
                  f +
                  "3: LOGON takes its password from the command file; give it in "
                  "TARSEL_PASSWORD (or on the command line) instead\n" +
                  f + "4: unknown command \"LOAD_DATTA\"; did you mean LOAD_DATA?\n" + f +
                  "5: the line begins with a blank, so it has no keyword\n" + f +
                  "6: LOAD_RULES expects 3 parameters, found 1\n" + f +
                  "7: LOAD_DATA parameter 3: \"REPLACE BY SECURITY\" is refused: Invalid entry "
                  "for Duplicates. Expected 'Merge', 'Replace', 'Accumulate' or 'Replace By "
                  "Security'\n" +
                  f +
                  "8: LOAD_DATA parameter 4: \"yes\" is refused: Invalid entry for Accumulate "
                  "Within File. Expected 'True' or 'False'\n" +
                  f +
                  "9: LOAD_DATA: the quit-on-failure field \"maybe\" is neither True, False nor "
                  "a number\n" +
                  f +
                  "10: CONSOLIDATE parameter 7: \"Consolidate All\" is refused: Invalid "
                  "consolidation type. Expected 'Consolidate' or 'Consolidate All With "
                  "Data'.\n" +
                  f +
                  "11: EXTRACT_BASE_DATA parameter 5: the periods \"03\" to \"01\" are refused: "
                  "Invalid start or end period specified.\n" +
                  f +
                  "12: LOAD_METADATA parameter 1: \"in.dat\" is refused: Unrecognized metadata "
                  "file type. Expected '.xml' or '.app'\n" +
                  f + "13: LOAD_DATA parameter 1: the input file \"missing_" + day +
                  ".dat\" does not exist\n" + f +
                  "14: EXTRACT_RULES parameter 1: the folder of \"no/such/folder/r.rle\" does not "
                  "exist\n" +
                  f +
                  "15: KARST_EXPORT parameter 1: \"/no/such/karst\" is not a program that can be "
                  "started\n" +
                  f +
                  "15: KARST_EXPORT parameter 7: \"PDF\" is refused: Invalid entry for Extract "
                  "Book or Report. Expected 'Book' or 'Report'\n" +
                  f + "19: CREATE_FOLDER parameter 1: \"" + folder + "\" already exists\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before)
        << "the check wrote something";

    Write("clean.txt", kLogonLine.left(kLogonLine.indexOf(", admin")).toUtf8() +
                           "\r\nDEFAULT_CUSTOM2 in.dat, c2.dat, X, True\r\n");
    run = RunBatch({QStringLiteral("--check"), Path("clean.txt")}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace tarsel::batch::test
