// Journals, invalid records and the quit-on-failure field through the real Tarsel_Batch
// program against a fresh local cluster.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <map>

#include "server/local/application_file.h"
#include "server/local/data_store.h"
#include "server/local/format/app_text.h"
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

class BatchJournalsE2E : public ::testing::Test, protected BatchFolder {
  protected:
    void SetUp() override { server = std::make_unique<LocalServer>(JournalApp()); }

    // Runs the lines after a LOGON in the test's folder; the batch log, times masked.
    QString Run(const QByteArray& lines) {
        const QString job = Write(QStringLiteral("job.txt"),
                                  "LOGON TestCluster, TestApp, admin, secret\r\n" + lines);
        QFile::remove(Path(QStringLiteral("job.log")));
        RunBatchProgram(QStringLiteral(TARSEL_BATCH_BINARY), dir.path(), job);
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

    // Every stored cell, "Entity/Account/Value/period label" to amount; a member the
    // application no longer has shows as its id.
    std::map<QString, double> Cells() {
        const auto label = [this](Dimension d, int32_t id) {
            try {
                return server->Tree(d)->GetMemberLabel(id);
            } catch (const TarselError&) {
                return QStringLiteral("#%1").arg(id);
            }
        };
        local::sql::Database db(server->applicationPath(), local::sql::OpenMode::ReadOnly);
        local::DataStore store(db);
        std::map<QString, double> cells;
        store.ForEachRow([&](const local::CellRow& row) {
            const auto member = [&row](Dimension d) { return row.members[static_cast<size_t>(d)]; };
            for (int slot = 0; slot < local::kPeriodSlots; ++slot) {
                if (row.present & (1u << slot)) {
                    cells[QStringList{label(Dimension::Entity, member(Dimension::Entity)),
                                      label(Dimension::Account, member(Dimension::Account)),
                                      label(Dimension::Value, member(Dimension::Value)),
                                      label(Dimension::Period, row.band() * 12 + slot)}
                              .join(u'/')] = row.amounts[static_cast<size_t>(slot)];
                }
            }
        });
        return cells;
    }

    std::unique_ptr<LocalServer> server;
};

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
    EXPECT_TRUE(log.contains(LogEntry(QStringLiteral("*"),
                                      QStringLiteral("Error extracting member lists file"),
                                      {QStringLiteral("lists.lst")})))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("Terminating batch"))) << log.toStdString();
    EXPECT_TRUE(log.contains(LogEntry(QStringLiteral(" "), QStringLiteral("Extracted metadata"),
                                      {QStringLiteral("first.app")})));
    EXPECT_TRUE(
        log.contains(LogEntry(QStringLiteral("*"), QStringLiteral("Error extracting metadata"),
                              {QStringLiteral("second.app"), QStringLiteral("Runtime Error #13")})))
        << log.toStdString();
    EXPECT_TRUE(log.contains(LogEntry(QStringLiteral(" "), QStringLiteral("Extracted metadata"),
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

const QByteArray kJournals =
    "' Adjustments of the first quarter, written by hand\r\n"
    "!journal\r\n"
    "JE-RENT;Actual;2026;03;posted;balanced;\"Rent; March\"\r\n"
    "France;Cash;[ICP None];[None];[None];[None];[None];c;1200.50;Paid\r\n"
    "France;Costs;[ICP None];[None];[None];[None];[None];D;+1200.5;Rent\r\n"
    "\r\n"
    "!JOURNAL\r\n"
    "JE-ACC;actual;2026;01;Working;BalancedByEntity;Accrual\r\n"
    "Germany;Costs;[ICP None];[None];[None];[None];[None];D;75;\r\n"
    "Germany;Cash;[ICP None];[None];[None];[None];[None];C;75;\r\n"
    "!JOURNAL\r\n"
    "JE-BUD;Budget;2026;03;Approved;Unbalanced;Not in the extract\r\n"
    "France;Sales;[ICP None];[None];[None];[None];[None];C;10;\r\n"
    "!STANDARD\r\n"
    "TPL-RENT;;;;;Balanced;Monthly rent\r\n"
    "France;Costs;[ICP None];[None];[None];[None];[None];D;1000;\r\n"
    "France;Cash;[ICP None];[None];[None];[None];[None];C;1000;\r\n"
    "!RECURRING\r\n"
    "REC-FEE;Actual;2026;;;Unbalanced;Fee\r\n"
    "France;Costs;[ICP None];[None];[None];[None];[None];D;1e3;\r\n";

// What the extract of Actual 2026, 01 to 03 with all three flags writes.
const QByteArray kExtract =
    "!JOURNAL\r\n"
    "JE-ACC;Actual;2026;01;Working;BalancedByEntity;Accrual\r\n"
    "Germany;Costs;[ICP None];[None];[None];[None];[None];D;75;\r\n"
    "Germany;Cash;[ICP None];[None];[None];[None];[None];C;75;\r\n"
    "!JOURNAL\r\n"
    "JE-RENT;Actual;2026;03;Posted;Balanced;\"Rent; March\"\r\n"
    "France;Cash;[ICP None];[None];[None];[None];[None];C;1200.5;Paid\r\n"
    "France;Costs;[ICP None];[None];[None];[None];[None];D;1200.5;Rent\r\n"
    "!STANDARD\r\n"
    "TPL-RENT;;;;;Balanced;Monthly rent\r\n"
    "France;Costs;[ICP None];[None];[None];[None];[None];D;1000;\r\n"
    "France;Cash;[ICP None];[None];[None];[None];[None];C;1000;\r\n"
    "!RECURRING\r\n"
    "REC-FEE;Actual;2026;;;Unbalanced;Fee\r\n"
    "France;Costs;[ICP None];[None];[None];[None];[None];D;1000;\r\n";

TEST_F(BatchJournalsE2E, JournalsLoadExtractAndLoadAgainToTheSameBytes) {
    Write(QStringLiteral("q1.jlf"), kJournals);
    QString log =
        Run("LOAD_JOURNALS q1.jlf, \r\n"
            "EXTRACT_JOURNALS first.jlf, , Actual, 2026, 01, 03, true, True, TRUE\r\n"
            "LOAD_JOURNALS first.jlf, reload.log, True\r\n"
            "EXTRACT_JOURNALS second.jlf, , Actual, 2026, 01, 03, TRUE, TRUE, TRUE\r\n"
            "EXTRACT_JOURNALS later.jlf, , Actual, 2026, 04, 12, TRUE, FALSE, FALSE\r\n");
    EXPECT_TRUE(log.contains(LogEntry(QStringLiteral(" "), QStringLiteral("Loaded journal file"),
                                      {QStringLiteral("q1.jlf")})))
        << log.toStdString();
    const QString extracted = QStringLiteral(
        "Extracted journals. Regular Journals = TRUE, Standard Templates = TRUE, Recurring "
        "Templates = TRUE");
    EXPECT_TRUE(log.contains(
        LogEntry(QStringLiteral(" "), extracted, {QStringLiteral("POV: Actual, 2026, 01, 03")})))
        << log.toStdString();
    EXPECT_EQ(Bytes(QStringLiteral("first.jlf")), kExtract);
    EXPECT_EQ(Bytes(QStringLiteral("second.jlf")), kExtract);
    EXPECT_TRUE(ReadText(Path(QStringLiteral("q1.log"))).contains(QStringLiteral("0 problems")));
    // No journal in April to December: the success entry, and no file left behind.
    EXPECT_TRUE(log.contains(LogEntry(QStringLiteral(" "),
                                      QStringLiteral("Extracted journals. Regular Journals = TRUE, "
                                                     "Standard Templates = FALSE, Recurring "
                                                     "Templates = FALSE"),
                                      {QStringLiteral("POV: Actual, 2026, 04, 12")})));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("later.jlf"))));
    EXPECT_FALSE(log.contains(QStringLiteral("*  hh:mm:ss"))) << log.toStdString();

    // A file with one sound and one unbalanced journal stores neither: the batch finds the
    // error in the load log, which names the line.
    Write(QStringLiteral("bad.jlf"),
          "!JOURNAL\r\n"
          "JE-NEW;Actual;2026;02;Posted;Balanced;\r\n"
          "France;Cash;[ICP None];[None];[None];[None];[None];D;5;\r\n"
          "France;Sales;[ICP None];[None];[None];[None];[None];C;5;\r\n"
          "!JOURNAL\r\n"
          "JE-ACC;Actual;2026;01;Posted;Balanced;\r\n"
          "France;Cash;[ICP None];[None];[None];[None];[None];D;5;\r\n");
    log =
        Run("LOAD_JOURNALS bad.jlf, bad_load.log\r\n"
            "EXTRACT_JOURNALS after.jlf, , Actual, 2026, 01, 03, TRUE, TRUE, TRUE\r\n"
            "EXTRACT_JOURNALS unknown.jlf, , Forecast, 2026, 01, 03, TRUE, TRUE, TRUE\r\n"
            "EXTRACT_JOURNALS months.jlf, , Actual, 2026, 03, 01, TRUE, TRUE, TRUE\r\n");
    EXPECT_TRUE(
        log.contains(LogEntry(QStringLiteral("*"), QStringLiteral("Error loading journal file"),
                              {QStringLiteral("bad.jlf"), QStringLiteral("Batch Error #40034"),
                               QStringLiteral("Error loading journals. See Tarsel load log "
                                              "for details.")})))
        << log.toStdString();
    const QStringList problems = ReadText(Path(QStringLiteral("bad_load.log")))
                                     .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(problems.size(), 2) << problems.join(u'\n').toStdString();
    EXPECT_TRUE(
        problems[0].startsWith(QStringLiteral("Error: bad.jlf, line 6: journal \"JE-ACC\" "
                                              "is Balanced")))
        << problems[0].toStdString();
    EXPECT_EQ(Bytes(QStringLiteral("after.jlf")), kExtract);
    EXPECT_TRUE(
        log.contains(QStringLiteral("Error extracting Journals. Regular Journals = TRUE, "
                                    "Standard Templates = TRUE, Recurring Templates = "
                                    "TRUE\r\n               -> POV: Forecast, 2026, 01, "
                                    "03\r\n               -> Tarsel Error #")))
        << log.toStdString();
    EXPECT_TRUE(
        log.contains(QStringLiteral("The member \"Forecast\" is not in the Scenario "
                                    "dimension.")))
        << log.toStdString();
    EXPECT_TRUE(
        log.contains(QStringLiteral("-> POV: Actual, 2026, 03, 01\r\n"
                                    "               -> Batch Error #40036\r\n"
                                    "               -> Invalid start or end period "
                                    "specified.")))
        << log.toStdString();
}

TEST_F(BatchJournalsE2E, PostedJournalsMoveAdjustmentCellsAndInvalidRecordsGoAfterAReplace) {
    // March: rent paid (Cash credit, Costs debit) and a sale (Sales credit, Cash debit),
    // both posted; January's accrual is only Working and changes no cell.
    QByteArray march = kJournals;
    march.replace("!JOURNAL\r\nJE-BUD",
                  "!JOURNAL\r\n"
                  "JE-SALE;Actual;2026;03;Posted;Balanced;Cash sale\r\n"
                  "France;Sales;[ICP None];[None];[None];[None];[None];C;300;\r\n"
                  "France;Cash;[ICP None];[None];[None];[None];[None];D;300;\r\n"
                  "!JOURNAL\r\nJE-BUD");
    Write(QStringLiteral("march.jlf"), march);
    // Loaded twice: the second load replaces the journals, it does not post them again.
    QString log = Run("LOAD_JOURNALS march.jlf,\r\nLOAD_JOURNALS march.jlf,\r\n");
    EXPECT_FALSE(log.contains(QStringLiteral("*  hh:mm:ss"))) << log.toStdString();
    const std::map<QString, double> posted{
        {QStringLiteral("France/Cash/<Entity Curr Adjs>/03"), -900.5},
        {QStringLiteral("France/Costs/<Entity Curr Adjs>/03"), 1200.5},
        {QStringLiteral("France/Sales/<Entity Curr Adjs>/03"), 300},
    };
    EXPECT_EQ(Cells(), posted);
    {
        local::sql::Database db(server->applicationPath(), local::sql::OpenMode::ReadOnly);
        local::DataStore store(db);
        // Scenario Actual, Year 2026, Period 03, Entity World (its parent) and France.
        EXPECT_TRUE(store.IsImpacted(0, 0, 2, 0));
        EXPECT_TRUE(store.IsImpacted(0, 0, 2, 1));
    }

    // The sale taken back to Working: its amounts leave the cells.
    QByteArray working = march;
    working.replace("JE-SALE;Actual;2026;03;Posted", "JE-SALE;Actual;2026;03;Working");
    Write(QStringLiteral("working.jlf"), working);
    Run("LOAD_JOURNALS working.jlf,\r\n");
    std::map<QString, double> unposted = posted;
    unposted[QStringLiteral("France/Cash/<Entity Curr Adjs>/03")] = -1200.5;
    unposted[QStringLiteral("France/Sales/<Entity Curr Adjs>/03")] = 0;
    EXPECT_EQ(Cells(), unposted);

    // Ledger data loaded, then the metadata replaced without Germany and Costs: the cells
    // and journal lines naming them go, with a line per member and a total in the default
    // log beside the batch log; the rest stays.
    local::AppModel model = JournalApp();
    for (const auto& [dimension, label] :
         {std::pair{Dimension::Entity, QStringLiteral("Germany")},
          std::pair{Dimension::Account, QStringLiteral("Costs")}}) {
        auto& dim = model.dim(dimension);
        std::erase_if(dim.members, [&](const local::MemberModel& m) { return m.label == label; });
        std::erase_if(dim.hierarchy,
                      [&](const local::RelationModel& r) { return r.child == label; });
    }
    Write(QStringLiteral("smaller.app"), local::format::WriteAppText(model));
    Write(QStringLiteral("ledger.dat"),
          "!DATA\r\n"
          "Actual;2026;01;YTD;France;<Entity Currency>;Sales;[ICP None];[None];[None];[None];"
          "[None];500\r\n"
          "Actual;2026;01;YTD;France;<Entity Currency>;Costs;[ICP None];[None];[None];[None];"
          "[None];200\r\n"
          "Actual;2026;01;YTD;Germany;<Entity Currency>;Sales;[ICP None];[None];[None];[None];"
          "[None];70\r\n");
    log =
        Run("LOAD_DATA ledger.dat, , MERGE, FALSE, True\r\n"
            "LOAD_METADATA smaller.app, , REPLACE, FALSE, True\r\n"
            "DELETE_INVALID_RECORDS ,\r\n"
            "EXTRACT_JOURNALS left.jlf, , Actual, 2026, 01, 03, TRUE, TRUE, TRUE\r\n");
    EXPECT_TRUE(
        log.contains(LogEntry(QStringLiteral(" "), QStringLiteral("Deleted invalid records"),
                              {Path(QStringLiteral("job_DELETE_INVALID_RECORDS.log"))})))
        << log.toStdString();
    const QString removal = ReadText(Path(QStringLiteral("job_DELETE_INVALID_RECORDS.log")));
    EXPECT_EQ(removal,
              QStringLiteral("Removed 1 cell(s) naming Entity member id 2, which the application "
                             "no longer has.\r\n"
                             "Removed 2 cell(s) naming Account member id 3, which the application "
                             "no longer has.\r\n"
                             "Removed 2 journal line(s) naming Entity member id 2, which the "
                             "application no longer has.\r\n"
                             "Removed 3 journal line(s) naming Account member id 3, which the "
                             "application no longer has.\r\n"
                             "Removed 3 cell(s) and 5 journal line(s) of TestApp in total.\r\n"));
    unposted.erase(QStringLiteral("France/Costs/<Entity Curr Adjs>/03"));
    unposted[QStringLiteral("France/Sales/<Entity Currency>/01")] = 500;
    EXPECT_EQ(Cells(), unposted);
    // JE-ACC lost both its lines and went; the rent keeps its Cash line; the templates
    // kept what did not name Costs.
    EXPECT_EQ(Bytes(QStringLiteral("left.jlf")),
              QByteArray("!JOURNAL\r\n"
                         "JE-RENT;Actual;2026;03;Posted;Balanced;\"Rent; March\"\r\n"
                         "France;Cash;[ICP None];[None];[None];[None];[None];C;1200.5;Paid\r\n"
                         "!JOURNAL\r\n"
                         "JE-SALE;Actual;2026;03;Working;Balanced;Cash sale\r\n"
                         "France;Sales;[ICP None];[None];[None];[None];[None];C;300;\r\n"
                         "France;Cash;[ICP None];[None];[None];[None];[None];D;300;\r\n"
                         "!STANDARD\r\n"
                         "TPL-RENT;;;;;Balanced;Monthly rent\r\n"
                         "France;Cash;[ICP None];[None];[None];[None];[None];C;1000;\r\n"));

    // Nothing left to remove: only the total; the keyword alone is too few parameters.
    // The LOGON's quit flag still stands after too few parameters: the batch ends there.
    log =
        Run("DELETE_INVALID_RECORDS again.log, True\r\n"
            "DELETE_INVALID_RECORDS\r\n"
            "EXTRACT_METADATA never.app, , APP\r\n");
    EXPECT_EQ(ReadText(Path(QStringLiteral("again.log"))),
              QStringLiteral("Removed 0 cell(s) and 0 journal line(s) of TestApp in total.\r\n"));
    EXPECT_TRUE(
        log.contains(QStringLiteral("Error deleting invalid records\r\n"
                                    "               -> \r\n"
                                    "               -> Batch Error #40066\r\n"
                                    "               -> Too few parameters. Expected 1\r\n"
                                    "  *  hh:mm:ss  Quit on Failure = True. Terminating batch")))
        << log.toStdString();
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("never.app"))));
}

}  // namespace
}  // namespace tarsel::batch::test
