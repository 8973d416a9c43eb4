// Journals, invalid records and the quit-on-failure field through the real Tarsel_Batch
// program against a fresh local cluster.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "server/local/application_file.h"
#include "tests/batch/batch_test_support.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::batch::test {
namespace {

using tarsel::test::AppBuilder;
using tarsel::test::LocalServer;

// Scenario Actual, Year 2026, Periods 01..12; Entity World > France, Germany; Account
// Profit (Income) > Sales (Income), Costs (Expense), and Cash (Asset); the system members
// of Value, ICP and the customs.
local::AppModel JournalApp() {
    AppBuilder app;
    app.Relate(Dimension::Scenario, QString(), QStringLiteral("Actual"));
    app.Relate(Dimension::Scenario, QString(), QStringLiteral("Budget"));
    app.Relate(Dimension::Year, QString(), QStringLiteral("2026"));
    for (int month = 1; month <= 12; ++month) {
        app.Relate(Dimension::Period, QString(),
                   QStringLiteral("%1").arg(month, 2, 10, QChar('0')));
    }
    app.Relate(Dimension::View, QString(), QStringLiteral("YTD"));
    app.Children(Dimension::Value, QString(),
                 {QStringLiteral("<Entity Currency>"), QStringLiteral("<Entity Curr Adjs>")});
    app.Children(Dimension::Entity, QString(), {QStringLiteral("World")});
    app.Children(Dimension::Entity, QStringLiteral("World"),
                 {QStringLiteral("France"), QStringLiteral("Germany")});
    app.Children(Dimension::Account, QString(), {QStringLiteral("Profit"), QStringLiteral("Cash")});
    app.Children(Dimension::Account, QStringLiteral("Profit"),
                 {QStringLiteral("Sales"), QStringLiteral("Costs")});
    app.Add(Dimension::Account, QStringLiteral("Profit")).accountType = account_type::Income;
    app.Add(Dimension::Account, QStringLiteral("Sales")).accountType = account_type::Income;
    app.Add(Dimension::Account, QStringLiteral("Costs")).accountType = account_type::Expense;
    app.Add(Dimension::Account, QStringLiteral("Cash")).accountType = account_type::Asset;
    app.Relate(Dimension::ICP, QString(), QStringLiteral("[ICP None]"));
    for (const Dimension custom :
         {Dimension::Custom1, Dimension::Custom2, Dimension::Custom3, Dimension::Custom4}) {
        app.Relate(custom, QString(), QStringLiteral("[None]"));
    }
    return app.Build();
}

class BatchJournalsE2E : public ::testing::Test {
  protected:
    void SetUp() override { server = std::make_unique<LocalServer>(JournalApp()); }

    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
    QByteArray Bytes(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // Runs the lines after a LOGON in the test's folder; the batch log, times masked.
    QString Run(const QByteArray& lines) {
        const QString job = Write(QStringLiteral("job.txt"),
                                  "LOGON TestCluster, TestApp, admin, secret\r\n" + lines);
        QFile::remove(Path(QStringLiteral("job.log")));
        QProcess batch;
        batch.setWorkingDirectory(dir.path());
        batch.start(QStringLiteral(TARSEL_BATCH_BINARY), {job});
        EXPECT_TRUE(batch.waitForFinished(120000));
        // The fixture's session sees the run's commit once the freshness pause is over.
        QThread::msleep(local::kFreshnessCheckMs + 20);
        return MaskTimes(ReadText(Path(QStringLiteral("job.log"))));
    }

    // What --check finds in a command file holding lines (after a LOGON).
    QString Check(const QByteArray& lines) {
        const QString job =
            Write(QStringLiteral("check.txt"), "LOGON TestCluster, TestApp\r\n" + lines);
        QProcess batch;
        batch.setWorkingDirectory(dir.path());
        batch.start(QStringLiteral(TARSEL_BATCH_BINARY), {QStringLiteral("--check"), job});
        EXPECT_TRUE(batch.waitForFinished(60000));
        return QString::fromUtf8(batch.readAllStandardOutput());
    }

    std::unique_ptr<LocalServer> server;
    QTemporaryDir dir;
};

// One entry of the batch log: the text line and the arrow lines after it.
QString Entry(const QString& mark, const QString& text, const QStringList& details) {
    QString entry = QStringLiteral("  %1  hh:mm:ss  %2\r\n").arg(mark, text);
    for (const QString& detail : details) {
        entry += QStringLiteral("               -> ") + detail + QStringLiteral("\r\n");
    }
    return entry;
}

TEST_F(BatchJournalsE2E, BlankQuitFieldIsFalseAndOtherTextsStillFail) {
    // The member list extract fails (the application has none): with a blank quit field
    // the run goes on; a quit field that is no truth value fails its command, and --check
    // says so for that line only.
    const QByteArray lines =
        "EXTRACT_MEMBER_LISTS lists.lst, ,   \r\n"
        "EXTRACT_METADATA first.app, , APP,\r\n"
        "EXTRACT_METADATA second.app, , APP, maybe\r\n"
        "EXTRACT_METADATA third.app, , APP, 0\r\n";
    const QString log = Run(lines);
    EXPECT_TRUE(log.contains(Entry(QStringLiteral("*"),
                                   QStringLiteral("Error extracting member lists file"),
                                   {QStringLiteral("lists.lst")})))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("Terminating batch"))) << log.toStdString();
    EXPECT_TRUE(log.contains(Entry(QStringLiteral(" "), QStringLiteral("Extracted metadata"),
                                   {QStringLiteral("first.app")})));
    EXPECT_TRUE(
        log.contains(Entry(QStringLiteral("*"), QStringLiteral("Error extracting metadata"),
                           {QStringLiteral("second.app"), QStringLiteral("Runtime Error #13")})))
        << log.toStdString();
    EXPECT_TRUE(log.contains(Entry(QStringLiteral(" "), QStringLiteral("Extracted metadata"),
                                   {QStringLiteral("third.app")})));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("first.app"))));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("second.app"))));

    const QStringList findings = Check(lines).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(findings.size(), 1) << findings.join(u'\n').toStdString();
    EXPECT_TRUE(
        findings.front().contains(QStringLiteral(":4: EXTRACT_METADATA: the quit-on-failure "
                                                 "field \"maybe\"")))
        << findings.front().toStdString();
}

}  // namespace
}  // namespace tarsel::batch::test
