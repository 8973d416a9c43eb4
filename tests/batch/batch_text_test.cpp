#include <gtest/gtest.h>

#include "batch/bsTarsel_Batch.h"
#include "batch/error_text.h"
#include "batch/mail.h"
#include "batch/timestamps.h"
#include "tests/batch/batch_test_support.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::batch::test {
namespace {

TEST(BatchText, TimestampsAndTokenReplacement) {
    const auto stamps = RunTimestamps::From(QDateTime(QDate(2026, 3, 7), QTime(6, 5, 9)));
    EXPECT_EQ(stamps.shortTimestamp, "2026_03_07");
    EXPECT_EQ(stamps.longTimestamp, "2026_03_07_060509");
    EXPECT_EQ(stamps.day, "07");
    EXPECT_EQ(ReplaceTimestampTokens(
                  QStringLiteral("/out/@short_timestamp/@long_timestamp_@day_@day.dat"), stamps),
              "/out/2026_03_07/2026_03_07_060509_07_07.dat");
    // Case-sensitive, and a replaced value never forms a new token.
    EXPECT_EQ(ReplaceTimestampTokens(QStringLiteral("@DAY @Long_Timestamp"), stamps),
              "@DAY @Long_Timestamp");
    const auto afternoon = RunTimestamps::From(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)));
    EXPECT_EQ(afternoon.longTimestamp, "2026_12_31_235958");
}

TEST(BatchText, TextToBooleanRule) {
    EXPECT_TRUE(TextToBoolean(QStringLiteral("True")));
    EXPECT_TRUE(TextToBoolean(QStringLiteral(" tRUE ")));
    EXPECT_FALSE(TextToBoolean(QStringLiteral("FALSE")));
    EXPECT_TRUE(TextToBoolean(QStringLiteral("-1")));
    EXPECT_TRUE(TextToBoolean(QStringLiteral("2.5")));
    EXPECT_FALSE(TextToBoolean(QStringLiteral("0")));
    EXPECT_FALSE(TextToBoolean(QStringLiteral("0.0")));
    for (const char* bad : {"", "yes", "1,0", "nan", "inf", "Truee"}) {
        try {
            TextToBoolean(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const TarselError& error) {
            EXPECT_EQ(error.number(), 13);
            EXPECT_EQ(GetErrorText(error, nullptr).header, "Runtime Error #13");
        }
    }
}

TEST(BatchText, ErrorTextClassification) {
    tarsel::test::LocalServerOptions options;
    tarsel::test::LocalServer server(
        tarsel::test::AppBuilder().Relate(Dimension::Entity, QString(), "World").Build(), options);
    ClientLibrary* library = server.library().get();

    const ErrorText batch = GetErrorText(40003, QStringLiteral("Too few parameters. Expected 2"),
                                         QStringLiteral("Connect"), library);
    EXPECT_EQ(batch.header, "Batch Error #40003");
    EXPECT_EQ(batch.detail, "Too few parameters. Expected 2");

    const ErrorText runtime = GetErrorText(3, QStringLiteral("Too few parameters. Expected 3"),
                                           QStringLiteral("LoadRules"), library);
    EXPECT_EQ(runtime.header, "Runtime Error #3");
    EXPECT_EQ(runtime.detail, "Too few parameters. Expected 3");

    // Negative numbers and the library's source are server errors; the handler's text has
    // its CR LF pairs turned into blanks and is trimmed.
    const ErrorText negative =
        GetErrorText(code::kWrongPassword, QStringLiteral("  Wrong\r\npassword for admin\r\n "),
                     QStringLiteral("Other"), library);
    EXPECT_EQ(negative.header, "Tarsel Error #-2147215003");
    EXPECT_EQ(negative.detail, "Wrong password for admin");
    const ErrorText bySource = GetErrorText(12, QStringLiteral("Unknown cluster"),
                                            QString::fromLatin1(kClientLibrarySource), library);
    EXPECT_EQ(bySource.header, "Tarsel Error #12");
    EXPECT_EQ(bySource.detail, "Unknown cluster");
    EXPECT_EQ(GetServerErrorText(QStringLiteral("-5"), QString(), library), "Unknown Error");
    EXPECT_EQ(GetServerErrorText(QStringLiteral("not a number"), QStringLiteral("x"), library), "");

    // Without a library there is no readable text, and no second failure.
    const ErrorText none = GetErrorText(-1, QStringLiteral("x"), QString(), nullptr);
    EXPECT_EQ(none.header, "Tarsel Error #-1");
    EXPECT_EQ(none.detail, "");
}

TEST(BatchText, CommandLineFieldsAndLogPaths) {
    EXPECT_EQ(SplitCommandLine({}), QStringList());
    EXPECT_EQ(SplitCommandLine({QStringLiteral("  ")}), QStringList());
    EXPECT_EQ(SplitCommandLine({QStringLiteral("/jobs/nightly.txt,/logs/n.log")}),
              (QStringList{"/jobs/nightly.txt", "/logs/n.log"}));
    EXPECT_EQ(SplitCommandLine({QStringLiteral("/jobs/nightly.txt, /logs/n.log, admin, pw")}),
              (QStringList{"/jobs/nightly.txt", "/logs/n.log", "admin", "pw"}));
    // Separate arguments are joined with one blank before the split.
    EXPECT_EQ(SplitCommandLine({"/jobs/a", "b.txt,", ",", "admin"}),
              (QStringList{"/jobs/a b.txt", "", "admin"}));
    EXPECT_EQ(SplitCommandLine({QStringLiteral("job.txt,,,")}),
              (QStringList{"job.txt", "", "", ""}));

    EXPECT_EQ(DeriveLogPath(QStringLiteral("/b/job.txt")), "/b/job.log");
    EXPECT_EQ(DeriveLogPath(QStringLiteral("/b/job")), "/b/job.log");
    EXPECT_EQ(DeriveLogPath(QStringLiteral("/b/job.cmds")), "/b/job.cmds.log");
    EXPECT_EQ(DeriveLogPath(QStringLiteral(".txt")), ".txt.log");  // not longer than 4
    EXPECT_EQ(DeriveLogPath(QStringLiteral("a.txt")), "a.log");

    EXPECT_EQ(LogFolder(QStringLiteral("/b/job.log")), "/b/");
    EXPECT_EQ(LogFolder(QStringLiteral("job.log")), "");
    EXPECT_EQ(LogFolder(QStringLiteral("/job.log")), "/");
}

TEST(BatchText, RecipientsAndServer) {
    EXPECT_EQ(SplitRecipients(QStringLiteral(" a@x.org ; b@y.org,,; c@z.org ;")),
              (QStringList{"a@x.org", "b@y.org", "c@z.org"}));
    EXPECT_TRUE(SplitRecipients(QStringLiteral(" ; , ")).isEmpty());

    // The envelope takes the bare address of a "Name <address>" entry.
    EXPECT_EQ(EnvelopeAddress(QStringLiteral(" Ops Team <ops@x.org> ")), "ops@x.org");
    EXPECT_EQ(EnvelopeAddress(QStringLiteral(" ops@x.org ")), "ops@x.org");
    EXPECT_EQ(EnvelopeAddress(QStringLiteral("odd <name")), "odd <name");
    EXPECT_TRUE(MakeMessageId(QStringLiteral("Batch <b@example.com>")).endsWith("@example.com>"));

    EXPECT_EQ(ParseMailServer(QStringLiteral("mail.example.com")).port, 25);
    const SmtpServer other = ParseMailServer(QStringLiteral(" 127.0.0.1:2525 "));
    EXPECT_EQ(other.host, "127.0.0.1");
    EXPECT_EQ(other.port, 2525);
    for (const char* bad : {"", "host:", "host:0", "host:70000", ":25", "host:2x", "a b"}) {
        EXPECT_THROW(ParseMailServer(QString::fromLatin1(bad)), TarselError) << bad;
    }
}

TEST(BatchText, MailTextHeadersAndBody) {
    MailMessage message;
    message.sender = QStringLiteral("batch@example.com");
    message.recipients = QStringLiteral("a@x.org;b@y.org");
    message.subject = QStringLiteral("Nightly 12/08/26");
    message.body = QStringLiteral("\r\nfirst\r\n.second\nthird");
    message.date = QDateTime(QDate(2026, 12, 8), QTime(6, 18, 48), Qt::UTC);
    const QByteArray text = ComposeMailText(message, QStringLiteral("<id@example.com>"));
    EXPECT_TRUE(text.startsWith("Date: Tue, 08 Dec 2026 06:18:48 +0000\r\n")) << text.data();
    EXPECT_TRUE(text.contains("\r\nFrom: batch@example.com\r\n"));
    EXPECT_TRUE(text.contains("\r\nTo: a@x.org;b@y.org\r\n"));
    EXPECT_TRUE(text.contains("\r\nSubject: Nightly 12/08/26\r\n"));
    EXPECT_TRUE(text.contains("\r\nMessage-ID: <id@example.com>\r\n"));
    EXPECT_TRUE(text.endsWith("\r\n\r\n\r\nfirst\r\n.second\r\nthird\r\n")) << text.data();

    // A line too long for SMTP or a non-ASCII line travels quoted-printable.
    message.body =
        QStringLiteral("\r\n") + QString(2000, QLatin1Char('x')) + QStringLiteral("\r\nCafé = ok");
    message.subject = QStringLiteral("Bilanz für 12/08/26");
    const QByteArray encoded = ComposeMailText(message, QStringLiteral("<id@example.com>"));
    EXPECT_TRUE(encoded.contains("Content-Transfer-Encoding: quoted-printable"));
    EXPECT_TRUE(encoded.contains("Caf=C3=A9 =3D ok\r\n"));
    EXPECT_TRUE(encoded.contains("Subject: =?UTF-8?B?"));
    for (const QByteArray& line : encoded.split('\n')) {
        EXPECT_LE(line.size(), 999);
    }

    // A header value cannot start another header.
    message.recipients = QStringLiteral("a@x.org\r\nBcc: evil@x.org");
    EXPECT_FALSE(ComposeMailText(message, QStringLiteral("<i@x>")).contains("\r\nBcc:"));
}

TEST(BatchText, MessageIdUsesSenderDomain) {
    EXPECT_TRUE(MakeMessageId(QStringLiteral("batch@example.com")).endsWith("@example.com>"));
    EXPECT_TRUE(MakeMessageId(QStringLiteral("batch")).endsWith("@tarsel-batch.localdomain>"));
    EXPECT_NE(MakeMessageId(QStringLiteral("a@b.c")), MakeMessageId(QStringLiteral("a@b.c")));
}

}  // namespace
}  // namespace tarsel::batch::test
