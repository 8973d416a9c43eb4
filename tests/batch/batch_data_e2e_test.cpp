// A night of data through the real Tarsel_Batch program on a fresh local cluster: load,
// scan, extract, consolidate and force-calculate the ledger of data_test_app.h.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <map>

#include "server/local/application_file.h"
#include "server/local/sqlite_db.h"
#include "tests/batch/batch_test_support.h"
#include "tests/server/local/data_test_app.h"
#include "tests/support/local_server.h"

namespace tarsel::batch::test {
namespace {

using tarsel::test::LocalServer;

// Base data in extract order: period, view, entity, value, account, ICP, customs, each
// in member id order (US was defined before France).
const QByteArray kLedger =
    "!DATA\r\n"
    "Actual;2026;01;YTD;US;<Entity Currency>;Costs;[ICP None];[None];[None];[None];[None];0.1\r\n"
    "Actual;2026;01;YTD;France;<Entity Currency>;Sales;[ICP None];P1;[None];[None];[None];100\r\n"
    "Actual;2026;01;YTD;France;<Entity Currency>;Sales;[ICP None];P2;[None];[None];[None];50.25\r\n"
    "Actual;2026;01;YTD;France;<Entity Currency>;Costs;[ICP "
    "None];[None];[None];[None];[None];30\r\n"
    "Actual;2026;01;YTD;France;<Entity Currency>;Cash;[ICP None];[None];[None];[None];[None];70\r\n"
    "Actual;2026;01;YTD;France;<Entity Currency>;Payables;[ICP "
    "None];[None];[None];[None];[None];20\r\n"
    "Actual;2026;01;YTD;Germany;<Entity Currency>;Sales;[ICP "
    "None];P1;[None];[None];[None];-1e+21\r\n"
    "Actual;2026;01;Periodic;France;<Entity Currency>;Sales;[ICP "
    "None];P1;[None];[None];[None];9\r\n"
    "Actual;2026;02;YTD;France;<Entity Currency>;Sales;[ICP None];P1;[None];[None];[None];7\r\n";

using Cells = std::map<QString, double>;  // the twelve labels joined by ';' -> amount

Cells ParseData(const QString& text) {
    Cells cells;
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        if (line.startsWith(u'!')) {
            continue;
        }
        const qsizetype last = line.lastIndexOf(u';');
        cells[line.left(last)] = line.mid(last + 1).toDouble();
    }
    return cells;
}

QString Key(const QString& period, const QString& entity, const QString& account,
            const QString& c1 = QStringLiteral("[None]")) {
    return QStringLiteral(
               "Actual;2026;%1;YTD;%2;<Entity Currency>;%3;[ICP None];%4;[None];"
               "[None];[None]")
        .arg(period, entity, account, c1);
}

class BatchDataE2E : public ::testing::Test, protected BatchFolder {
  protected:
    void SetUp() override { server = std::make_unique<LocalServer>(tarsel::test::DataTestApp()); }

    QString Run(const QByteArray& lines) {
        WriteBytes(Path(QStringLiteral("job.txt")),
                   "LOGON TestCluster, TestApp, admin, secret\r\n" + lines);
        QFile::remove(Path(QStringLiteral("job.log")));
        RunBatchProgram(QStringLiteral(TARSEL_BATCH_BINARY), dir.path(),
                        Path(QStringLiteral("job.txt")));
        return MaskTimes(ReadText(Path(QStringLiteral("job.log"))));
    }

    // Every base cell of 2026, as the extract writes it.
    QByteArray ExtractAll() {
        const QString log = Run("EXTRACT_BASE_DATA all.dat, , Actual, 2026, 01, 12, FALSE\r\n");
        EXPECT_TRUE(log.contains(QStringLiteral("Extracted base data. Extract Calculated = FALSE")))
            << log.toStdString();
        return Bytes(QStringLiteral("all.dat"));
    }

    // Every cell, calculated ones included, of every entity and account.
    Cells ExtractEverything() {
        const QString log =
            Run("EXTRACT_DATA_USING_MBR_LISTS every.dat, , Actual, 2026, 01, 12, [Hierarchy], "
                "[hierarchy], true\r\n");
        EXPECT_TRUE(log.contains(QStringLiteral(
            "Extracted data using member lists. Entity Mbr List = [HIERARCHY], Acct Mbr List = "
            "[HIERARCHY], Extract Calculated = TRUE")))
            << log.toStdString();
        return ParseData(ReadText(Path(QStringLiteral("every.dat"))));
    }

    // The stored cells in one text: their count and their total.
    QString CellState() const {
        local::sql::Database db(server->applicationPath(), local::sql::OpenMode::ReadOnly);
        local::sql::Statement q(
            db,
            "SELECT count(*) || ';' || total(ifnull(p0, 0) + ifnull(p1, 0) + ifnull(p2, 0) + "
            "ifnull(p3, 0) + ifnull(p4, 0) + ifnull(p5, 0) + ifnull(p6, 0) + ifnull(p7, 0) + "
            "ifnull(p8, 0) + ifnull(p9, 0) + ifnull(p10, 0) + ifnull(p11, 0)) FROM cells");
        return q.Step() ? q.Text(0) : QString();
    }

    int64_t ChangeCounter() const {
        local::sql::Database db(server->applicationPath(), local::sql::OpenMode::ReadOnly);
        return db.QueryInt("SELECT value FROM application WHERE key = 'change_counter'");
    }

    std::unique_ptr<LocalServer> server;
};

TEST_F(BatchDataE2E, LoadExtractGivesTheFileBackAndEachDuplicatesModeActsOnTheSameCells) {
    Write(QStringLiteral("ledger.dat"), kLedger);
    QString log = Run("SCAN_DATA ledger.dat, , merge, false\r\n");
    EXPECT_TRUE(log.contains(QStringLiteral("Scanned data file"))) << log.toStdString();
    EXPECT_EQ(ExtractAll(), QByteArray("!DATA\r\n"));

    log = Run("LOAD_DATA ledger.dat, , Replace, False\r\n");
    EXPECT_TRUE(log.contains(QStringLiteral("Loaded data file"))) << log.toStdString();
    const QString loadLog = ReadText(Path(QStringLiteral("ledger.log")));
    EXPECT_TRUE(loadLog.endsWith(QStringLiteral("0 problems.\r\n"))) << loadLog.toStdString();
    EXPECT_EQ(ExtractAll(), kLedger);

    // France 01 YTD Sales P1 is 100. MERGE overwrites it and keeps the rest; a repeated
    // record keeps the last without accumulating within the file, and adds with it.
    const QByteArray p1 =
        "Actual;2026;01;YTD;France;<Entity Currency>;Sales;[ICP None];P1;[None];[None];[None];";
    Write(QStringLiteral("twice.dat"), "!DATA\r\n" + p1 + "5\r\n" + p1 + "6\r\n");
    auto amount = [&] {
        return ParseData(QString::fromUtf8(ExtractAll()))[Key("01", "France", "Sales", "P1")];
    };
    Run("LOAD_DATA twice.dat, , MERGE, FALSE\r\n");
    EXPECT_EQ(amount(), 6);
    EXPECT_EQ(ParseData(QString::fromUtf8(ExtractAll())).size(), 9u);
    Run("LOAD_DATA twice.dat, , MERGE, TRUE\r\n");
    EXPECT_EQ(amount(), 11);
    Run("LOAD_DATA twice.dat, , ACCUMULATE, FALSE\r\n");
    EXPECT_EQ(amount(), 17);
    Run("LOAD_DATA twice.dat, , accumulate, true\r\n");
    EXPECT_EQ(amount(), 28);

    // REPLACE clears France 01 <Entity Currency> in both views; France 02 and the other
    // entities stay. REPLACE WITH SECURITY does the same for the administrator.
    Run("LOAD_DATA twice.dat, , REPLACE, TRUE\r\n");
    Cells cells = ParseData(QString::fromUtf8(ExtractAll()));
    EXPECT_EQ(cells[Key("01", "France", "Sales", "P1")], 11);
    EXPECT_EQ(cells.size(), 4u);  // P1 of France 01, Germany, US, France 02
    Run("LOAD_DATA ledger.dat, , Replace With Security, False\r\n");
    EXPECT_EQ(ExtractAll(), kLedger);

    // The word of the message is not the accepted one; a bad record stores nothing.
    Write(QStringLiteral("bad.dat"),
          "!DATA\r\n" + p1 +
              "1\r\nActual;2026;01;YTD;Europe;<Entity Currency>;Sales;[ICP None];"
              "P1;[None];[None];[None];1\r\n");
    log =
        Run("LOAD_DATA ledger.dat, , Replace By Security, False\r\n"
            "LOAD_DATA bad.dat, , MERGE, FALSE\r\n"
            "SCAN_DATA bad.dat, scan.log, MERGE, FALSE\r\n");
    EXPECT_TRUE(log.contains(QStringLiteral("Batch Error #40015"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Error loading data file")));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Batch Error #40017\r\n               -> Error loading data. See Tarsel "
                       "load log for details.")));
    EXPECT_TRUE(log.contains(QStringLiteral("Batch Error #40032")));
    EXPECT_TRUE(ReadText(Path(QStringLiteral("bad.log")))
                    .startsWith(QStringLiteral("Error: bad.dat, line 3: field 5 (Entity): "
                                               "\"Europe\" is a parent member of Entity and "
                                               "takes no input\r\n")))
        << ReadText(Path(QStringLiteral("bad.log"))).toStdString();
    EXPECT_EQ(ExtractAll(), kLedger);

    // Periods run only along the table "01".."12"; a list the dimension lacks is named.
    log =
        Run("EXTRACT_BASE_DATA x.dat, , Actual, 2026, 03, 01, FALSE\r\n"
            "EXTRACT_DATA_USING_MBR_LISTS y.dat, , Actual, 2026, 01, 01, Nowhere, [Base], FALSE\r\n"
            "EXTRACT_BASE_DATA z.dat, , Budget, 2026, 01, 01, FALSE\r\n");
    EXPECT_TRUE(log.contains(QStringLiteral("Batch Error #40036"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Batch Error #40047")));
    EXPECT_TRUE(log.contains(QStringLiteral("Budget"))) << log.toStdString();
}

TEST_F(BatchDataE2E, ConsolidationAddsChildrenIntoEveryParentAndASecondRunDoesNothing) {
    Write(QStringLiteral("ledger.dat"), kLedger);
    QString log =
        Run("LOAD_DATA ledger.dat, , REPLACE, FALSE\r\n"
            "CONSOLIDATE Actual, 2026, 01, 12, World, World, Consolidate\r\n"
            "CONSOLIDATE Actual, 2026, 01, 12, Francophone, Francophone, consolidate all with "
            "data\r\n"
            "CONSOLIDATE Actual, 2026, 01, 12, World, World, Consolidate All\r\n");
    EXPECT_TRUE(
        log.contains(QStringLiteral("Consolidated data. Type = CONSOLIDATE\r\n"
                                    "               -> POV: Actual, 2026, 01, 12, World, "
                                    "World")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Type = CONSOLIDATE ALL WITH DATA")));
    EXPECT_TRUE(log.contains(QStringLiteral("Batch Error #40024")));

    Cells cells = ExtractEverything();
    // Parent accounts by the sign table, custom totals where the account aggregates.
    EXPECT_EQ(cells[Key("01", "France", "NetIncome", "P1")], 100);
    EXPECT_EQ(cells[Key("01", "France", "NetIncome")], -30);  // an Expense under Income
    EXPECT_EQ(cells[Key("01", "France", "NetIncome", "Products")], 150.25);
    EXPECT_EQ(cells[Key("01", "France", "Sales", "Products")], 150.25);
    EXPECT_EQ(cells[Key("01", "France", "Assets")], 50);  // a Liability under an Asset
    // Every parent entity equals the sum of its children, cell by cell, computed here
    // from the extract; France counts in Europe and in Francophone.
    const std::map<QString, QStringList> children{{"Europe", {"France", "Germany"}},
                                                  {"World", {"Europe", "US"}},
                                                  {"Francophone", {"France"}}};
    int checked = 0;
    for (const auto& [parent, kids] : children) {
        Cells expected;
        for (const auto& [key, amount] : cells) {
            for (const QString& kid : kids) {
                if (key.section(u';', 4, 4) == kid &&
                    key.section(u';', 5, 5) == QLatin1String("<Entity Currency>")) {
                    QStringList fields = key.split(u';');
                    fields[4] = parent;
                    expected[fields.join(u';')] += amount;
                }
            }
        }
        for (const auto& [key, amount] : expected) {
            EXPECT_DOUBLE_EQ(cells[key], amount) << key.toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
    EXPECT_EQ(cells[Key("01", "World", "Sales", "P1")], 100 - 1e21);

    // Nothing changed: the second run computes nothing and commits nothing.
    const int64_t before = ChangeCounter();
    log = Run("CONSOLIDATE Actual, 2026, 01, 12, World, World, Consolidate\r\n");
    EXPECT_TRUE(log.contains(QStringLiteral("Consolidated data"))) << log.toStdString();
    EXPECT_EQ(ChangeCounter(), before);

    // A change to Germany reaches Europe and World, not Francophone; forced calculation
    // of the Periodic view's Value member recomputes France's parent accounts there.
    Write(QStringLiteral("germany.dat"),
          "!DATA\r\nActual;2026;01;YTD;Germany;<Entity Currency>;Costs;[ICP None];[None];[None];"
          "[None];[None];4\r\n");
    log =
        Run("LOAD_DATA germany.dat, , MERGE, FALSE\r\n"
            "CONSOLIDATE Actual, 2026, 01, 01, World, World, Consolidate\r\n"
            "FORCE_CALCULATE Actual, 2026, 01, 01, Francophone, France, <Entity Currency>\r\n");
    EXPECT_TRUE(
        log.contains(QStringLiteral("Force calculated data\r\n               -> POV: "
                                    "Actual, 2026, 01, 01, Francophone, France, <Entity "
                                    "Currency>")))
        << log.toStdString();
    const Cells after = ExtractEverything();
    EXPECT_EQ(after.at(Key("01", "Europe", "NetIncome")), -34);
    EXPECT_EQ(after.at(Key("01", "World", "NetIncome")), -34.1);
    EXPECT_EQ(after.at(Key("01", "Francophone", "NetIncome")), -30);
    EXPECT_EQ(after.at(QString(Key("01", "France", "NetIncome", "P1")).replace("YTD", "Periodic")),
              9);
}

TEST_F(BatchDataE2E, AKilledLoadLeavesTheCellsAsTheyWereOrFullyLoaded) {
    // 200,000 records over every cell the application takes input in, many times over.
    QByteArray file = "!DATA\n";
    const char* entities[] = {"US", "France", "Germany"};
    const char* accounts[] = {"Sales", "Costs", "Cash", "Payables"};
    const char* customs[] = {"[None]", "P1", "P2"};
    for (int i = 0; i < 200000; ++i) {
        file += QStringLiteral(
                    "Actual;2026;%1;%2;%3;<Entity Currency>;%4;[ICP None];%5;[None];"
                    "[None];[None];%6\n")
                    .arg(i % 12 + 1, 2, 10, QChar(u'0'))
                    .arg(QLatin1String(i % 5 ? "YTD" : "Periodic"), QLatin1String(entities[i % 3]),
                         QLatin1String(accounts[i % 4]), QLatin1String(customs[i % 7 % 3]))
                    .arg(i % 1000)
                    .toUtf8();
    }
    Write(QStringLiteral("big.dat"), file);
    Write(QStringLiteral("ledger.dat"), kLedger);
    Run("LOAD_DATA ledger.dat, , REPLACE, FALSE\r\n");
    const QString before = CellState();
    const QString job = Path(QStringLiteral("kill.txt"));
    WriteBytes(job,
               "LOGON TestCluster, TestApp, admin, secret\r\nLOAD_DATA big.dat, , REPLACE, "
               "TRUE\r\n");
    // Twenty runs killed at a random moment, each state kept; a run that ends before its
    // kill has loaded the file, and later runs load it again over the same cells. Such a
    // run narrows the moments drawn to its own span, so that on a fast machine most runs
    // are still killed half-way.
    int killed = 0;
    int span = 3000;  // ms
    QStringList states;
    for (int round = 0; round < 20; ++round) {
        QProcess batch;
        batch.setWorkingDirectory(dir.path());
        QElapsedTimer clock;
        clock.start();
        batch.start(QStringLiteral(TARSEL_BATCH_BINARY), {job});
        ASSERT_TRUE(batch.waitForStarted());
        if (batch.waitForFinished(QRandomGenerator::global()->bounded(10, span))) {
            span = std::max(20, static_cast<int>(clock.elapsed()));
        } else {
            batch.kill();
            batch.waitForFinished();
            ++killed;
        }
        states << CellState();
        local::sql::Database db(server->applicationPath(), local::sql::OpenMode::ReadOnly);
        local::sql::Statement check(db, "PRAGMA integrity_check");
        ASSERT_TRUE(check.Step());
        EXPECT_EQ(check.Text(0), QStringLiteral("ok")) << round;
    }
    EXPECT_GT(killed, 10);
    Run("LOAD_DATA big.dat, , REPLACE, TRUE\r\n");
    const QString loaded = CellState();
    EXPECT_NE(loaded, before);
    for (const QString& state : states) {
        EXPECT_TRUE(state == before || state == loaded) << state.toStdString();
    }
}

}  // namespace
}  // namespace tarsel::batch::test
