#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "batch/cLog.h"
#include "batch/error_text.h"
#include "tests/batch/batch_test_support.h"

namespace tarsel::batch::test {
namespace {

class BatchLog : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("run.log"));
    FixedClock clock{SampleTime()};
    RecordingMail mail;
};

TEST_F(BatchLog, HeaderAndEveryLineLayout) {
    {
        cLog log(clock, mail, QLocale::c());
        log.SetFile(QStringLiteral("  ") + path + QStringLiteral("  "));
        EXPECT_EQ(log.File(), path);
        clock.Advance(1);
        log.WriteLog(QStringLiteral("Opened command file for processing"), "Success");
        log.WriteLog(QStringLiteral("/batch/nightly.txt"), "Comment");
        log.WriteLog(QStringLiteral("Could not connect"), "Error");
        log.WriteLog(QStringLiteral("lower case type"), "success");
        log.WriteLog(QStringLiteral("unknown type"), "Whatever");
        clock.Advance(61);
        log.Release();
    }
    EXPECT_EQ(ReadText(path),
              "\r\n\r\n\r\n"
              "Start Tarsel Batch Process on Tue, 08 Dec 2026 At 06:18:48\r\n"
              "     06:18:49  Opened command file for processing\r\n"
              "               -> /batch/nightly.txt\r\n"
              "  *  06:18:49  Could not connect\r\n"
              "lower case type\r\n"
              "unknown type\r\n"
              "\r\n"
              "End Tarsel Batch Process on Tue, 08 Dec 2026 At 06:19:50\r\n");
    EXPECT_TRUE(mail.sent.empty()) << "no mail server was set";
}

TEST_F(BatchLog, LogGrowsAcrossRunsAndMailHoldsOnlyThisRun) {
    {
        cLog first(clock, mail, QLocale::c());
        first.SetFile(path);
        first.WriteLog(QStringLiteral("first run"), "Success");
    }
    cLog second(clock, mail, QLocale::c());
    second.SetFile(path);
    second.WriteLog(QStringLiteral("second run"), "Success");
    second.SetMailServer(QStringLiteral("mail.example.com"));
    second.SetMailSender(QStringLiteral("batch@example.com"));
    second.SetMailPassword(QStringLiteral("smtp-secret"));
    second.SetMailRecipients(QStringLiteral("a@example.com; b@example.com"));
    second.SetMailSubject(QStringLiteral("Nightly"));
    second.Release();

    const QString text = ReadText(path);
    EXPECT_EQ(text.count(QStringLiteral("Start Tarsel Batch Process")), 2);
    EXPECT_EQ(text.count(QStringLiteral("End Tarsel Batch Process")), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("At 06:18:48\r\n\r\n\r\n\r\nStart")));

    ASSERT_EQ(mail.sent.size(), 1u);
    const MailMessage& m = mail.sent.front();
    EXPECT_EQ(m.server, "mail.example.com");
    EXPECT_EQ(m.sender, "batch@example.com");
    EXPECT_EQ(m.recipients, "a@example.com; b@example.com");
    EXPECT_EQ(m.subject, "Nightly 12/08/26");
    EXPECT_EQ(m.body,
              "\r\n\r\n\r\n\r\n"
              "Start Tarsel Batch Process on Tue, 08 Dec 2026 At 06:18:48\r\n"
              "     06:18:48  second run\r\n"
              "\r\n"
              "End Tarsel Batch Process on Tue, 08 Dec 2026 At 06:18:48");
    EXPECT_FALSE(m.body.contains(QStringLiteral("first run")));
    EXPECT_TRUE(second.MailBody().isEmpty());
}

TEST_F(BatchLog, ReleaseRunsOnceAndEmptyFileWritesNothing) {
    cLog log(clock, mail, QLocale::c());
    log.SetFile(QString());
    log.WriteLog(QStringLiteral("nowhere"), "Success");
    log.SetMailServer(QStringLiteral("mail.example.com"));
    log.Release();
    log.Release();
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    ASSERT_EQ(mail.sent.size(), 1u);
    EXPECT_TRUE(mail.sent.front().body.isEmpty());
}

TEST_F(BatchLog, LocaleNamesAndCFallback) {
    cLog german(clock, mail, QLocale(QLocale::German, QLocale::Germany));
    const QString date = german.FormatDate(SampleTime());
    EXPECT_TRUE(date.endsWith(QStringLiteral("2026"))) << date.toStdString();
    EXPECT_TRUE(date.contains(QStringLiteral(", 08 "))) << date.toStdString();
    EXPECT_FALSE(date.contains(QStringLiteral("Tue"))) << date.toStdString();
    cLog c(clock, mail, QLocale::c());
    EXPECT_EQ(c.FormatDate(SampleTime()), "Tue, 08 Dec 2026");
}

TEST_F(BatchLog, FailedMailWritesFiveLineDebugFileReplacingOldContent) {
    const QString debug = dir.filePath(QStringLiteral("mail-debug.txt"));
    WriteBytes(debug, "old content that must go\r\nand more\r\n");
    mail.failWith =
        TarselError(7, QStringLiteral("SendLogMail"), QStringLiteral("Couldn't connect to server"));
    {
        cLog log(clock, mail, QLocale::c());
        log.SetFile(path);
        log.SetMailServer(QStringLiteral("127.0.0.1:1"));
        log.SetMailSender(QStringLiteral("batch@example.com"));
        log.SetMailPassword(QStringLiteral("smtp-secret"));
        log.SetMailRecipients(QStringLiteral("a@example.com"));
        log.SetMailSubject(QStringLiteral("Nightly"));
        log.SetMailDebugLog(debug);
        log.Release();
    }
    EXPECT_EQ(ReadText(debug),
              "Time: Tue, 08 Dec 2026 06:18:48\r\n"
              "Error # 7\r\n"
              "Source: SendLogMail\r\n"
              "Description: Couldn't connect to server\r\n"
              "\r\n");
    const QString logText = ReadText(path);
    EXPECT_FALSE(logText.contains(QStringLiteral("mail"), Qt::CaseInsensitive))
        << "a mail failure is not written to the batch log";
    EXPECT_FALSE(logText.contains(QStringLiteral("smtp-secret")));
}

TEST_F(BatchLog, FailedMailWithoutDebugFileWritesNothingAnywhere) {
    mail.failWith = TarselError(7, QStringLiteral("SendLogMail"), QStringLiteral("refused"));
    cLog log(clock, mail, QLocale::c());
    log.SetFile(path);
    log.SetMailServer(QStringLiteral("127.0.0.1:1"));
    EXPECT_NO_THROW(log.Release());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("run.log")});
}

TEST_F(BatchLog, UnwritableLogThrowsAndFooterFailureStillMails) {
    const QString blocked = dir.filePath(QStringLiteral("is-a-folder"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    cLog log(clock, mail, QLocale::c());
    EXPECT_THROW(log.SetFile(blocked), LogWriteFailure);

    cLog later(clock, mail, QLocale::c());
    later.SetFile(path);
    later.WriteLog(QStringLiteral("written"), "Success");
    later.SetMailServer(QStringLiteral("mail.example.com"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));  // the log's name now holds a folder
    EXPECT_THROW(later.WriteLog(QStringLiteral("lost"), "Error"), LogWriteFailure);
    EXPECT_THROW(later.Release(), LogWriteFailure);
    ASSERT_EQ(mail.sent.size(), 1u);
    EXPECT_TRUE(mail.sent.front().body.contains(QStringLiteral("written")));
    EXPECT_FALSE(mail.sent.front().body.contains(QStringLiteral("lost")));
}

}  // namespace
}  // namespace tarsel::batch::test
