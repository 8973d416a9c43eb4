// The data loader of the local server on files that go wrong in every way a file can, and
// on files longer than the loader holds in memory at once.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "server/local/local_session.h"
#include "server/tarsel_error.h"
#include "tests/server/local/data_test_app.h"
#include "tests/support/local_server.h"

namespace tarsel {
namespace {

using test::FailureOf;
const QByteArray kGood =
    "Actual;2026;01;YTD;France;<Entity Currency>;Sales;[ICP None];P1;[None];[None];[None];";

class LocalDataLoads : public test::LocalServerTest {
  protected:
    void SetUp() override { StartServer(test::DataTestApp()); }

    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QString Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    std::shared_ptr<DataLoad> Loader() {
        auto loader = server().library()->CreateDataLoad();
        loader->SetSession(server().Session());
        return loader;
    }
    // Loads with duplicates and accumulate; gives the load log.
    QString Load(const QString& path, int32_t duplicates = 1, bool accumulate = false) {
        auto loader = Loader();
        loader->GetLoadOptions()->Item(4)->SetCurrentValue(duplicates);
        loader->GetLoadOptions()->Item(5)->SetCurrentValue(accumulate);
        const QString log = dir.filePath("load.log");
        loader->Load(path, log);
        return Read(log);
    }
    // The base data of France, period 01, accounts Sales and Costs.
    QString Extract() {
        auto loader = Loader();
        auto options = loader->GetExtractOptions();
        options->Item(7)->SetCurrentValue(int32_t{0});
        options->Item(8)->SetCurrentValue(int32_t{0});
        options->Item(9)->SetCurrentValue(IdArray{0});
        options->Item(10)->SetCurrentValue(
            IdArray{server().Tree(Dimension::Entity)->GetMemberID("France")});
        auto accounts = server().Tree(Dimension::Account);
        options->Item(12)->SetCurrentValue(
            IdArray{accounts->GetMemberID("Sales"), accounts->GetMemberID("Costs")});
        loader->Extract(dir.filePath("out.dat"), dir.filePath("out.log"));
        return Read(dir.filePath("out.dat"));
    }
    QTemporaryDir dir;
};

TEST_F(LocalDataLoads, EveryKindOfBadLineIsNamedAndNothingIsStored) {
    struct Bad {
        QByteArray line;
        const char* reason;
    };
    const QByteArray none = ";[ICP None];[None];[None];[None];[None];1";
    const QByteArray base = "Actual;2026;01;YTD;France;<Entity Currency>;Sales";
    const std::vector<Bad> bad = {
        {"Actual;2026;01;YTD;France;<Entity Currency>;Sales;[ICP None];P1;[None];[None];1",
         "the record has 12 fields"},
        {kGood + "1;2", "the record has 14 fields"},
        {kGood + "1,5", "field 13 (Amount): \"1,5\" is not a number"},
        {kGood + "NaN", "\"NaN\" is not a number"},
        {kGood + "inf", "\"inf\" is not a number"},
        {kGood + "-.e5", "\"-.e5\" is not a number"},
        {kGood + "1e999", "\"1e999\" is too large for an amount"},
        {kGood, "field 13 (Amount): the amount is empty"},
        {kGood + " ", "the amount is empty"},
        {"Budget;2026;01;YTD;France;<Entity Currency>;Sales" + none,
         "field 1 (Scenario): \"Budget\" is not a member of Scenario"},
        {"Actual;2027;01;YTD;France;<Entity Currency>;Sales" + none, "field 2 (Year): \"2027\""},
        {"Actual;2026;13;YTD;France;<Entity Currency>;Sales" + none, "field 3 (Period)"},
        {"Actual;2026;01;QTD;France;<Entity Currency>;Sales" + none, "field 4 (View)"},
        {"Actual;2026;01;YTD;Spain;<Entity Currency>;Sales" + none, "field 5 (Entity)"},
        {"Actual;2026;01;YTD;France;<Parent Currency>;Sales" + none, "field 6 (Value)"},
        {"Actual;2026;01;YTD;France;<Entity Currency>;Salez" + none, "field 7 (Account)"},
        {base + ";ICP X;[None];[None];[None];[None];1", "field 8 (ICP): \"ICP X\""},
        {base + ";[ICP None];P3;[None];[None];[None];1", "field 9 (Custom1)"},
        {base + ";[ICP None];[None];X;[None];[None];1", "field 10 (Custom2)"},
        {base + ";[ICP None];[None];[None];X;[None];1", "field 11 (Custom3)"},
        {base + ";[ICP None];[None];[None];[None];X;1", "field 12 (Custom4)"},
        {"Actual;2026;01;YTD;World;<Entity Currency>;Sales" + none,
         "\"World\" is a parent member of Entity and takes no input"},
        {"Actual;2026;01;YTD;France;<Entity Currency>;NetIncome" + none,
         "\"NetIncome\" is a parent member of Account"},
        {base + ";[ICP None];Products;[None];[None];[None];1", "\"Products\" is a parent member"},
        {"Actual;2026;01;YTD;France;[None];Sales" + none,
         "the Value member \"[None]\" takes no input"},
        {"Actual;2026;01;YTD;France;<Entity Currency>;Rate" + none,
         "the account \"Rate\" is calculated and takes no input"},
        {";2026;01;YTD;France;<Entity Currency>;Sales" + none, "field 1 (Scenario) is empty"},
        {kGood + QByteArray("1\0", 2), "the line holds a NUL byte"},
        {kGood + "\xff" + "1", "the line is not valid UTF-8"},
        {kGood + QByteArray(1 << 20, '1'), "the line is longer than 65536 bytes"},
    };
    // A record before !DATA, then a good one that must not be stored either.
    QByteArray file = "' ledger\r\n" + kGood + "1\r\n!DATA\r\n" + kGood + "42\r\n";
    for (const Bad& b : bad) {
        file += b.line + "\n";
    }
    const QString log = Load(Write("bad.dat", file));
    const QStringList lines = log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(bad.size()) + 2) << log.toStdString();
    const QString path = dir.filePath("bad.dat");
    EXPECT_EQ(lines[0], "Error: " + path + ", line 2: a record before the !DATA line");
    for (size_t i = 0; i < bad.size(); ++i) {
        const QString expected = QStringLiteral("Error: %1, line %2: ").arg(path).arg(i + 5);
        EXPECT_TRUE(lines[static_cast<qsizetype>(i) + 1].startsWith(expected) &&
                    lines[static_cast<qsizetype>(i) + 1].contains(QLatin1String(bad[i].reason)))
            << lines[static_cast<qsizetype>(i) + 1].left(200).toStdString() << "\n  wanted "
            << bad[i].reason;
    }
    EXPECT_EQ(lines.back(),
              QStringLiteral("%1 error(s), 0 warning(s): nothing was stored.").arg(bad.size() + 1));
    EXPECT_EQ(Extract(), QStringLiteral("!DATA\r\n"));

    // A clean load says so without the word the batch searches for, whatever the file's name.
    const QString clean = Load(Write("errors.dat", "!DATA\r\n" + kGood + "+2.50\r\n"));
    EXPECT_FALSE(clean.contains(QStringLiteral("error"), Qt::CaseInsensitive))
        << clean.toStdString();
    EXPECT_TRUE(clean.endsWith(QStringLiteral("0 problems.\r\n")));
    EXPECT_EQ(Extract(), QString::fromUtf8("!DATA\r\n" + kGood + "2.5\r\n"));
}

TEST_F(LocalDataLoads, ExtractOptionsAreCheckedAndAFolderIsNoFile) {
    auto loader = Loader();
    auto options = loader->GetExtractOptions();
    options->Item(7)->SetCurrentValue(int32_t{0});
    options->Item(8)->SetCurrentValue(int32_t{0});
    options->Item(10)->SetCurrentValue(IdArray{2, 99});
    EXPECT_EQ(FailureOf([&] { loader->Extract(dir.filePath("x.dat"), dir.filePath("x.log")); }),
              code::kUnknownMemberId);
    EXPECT_FALSE(QFile::exists(dir.filePath("x.dat")));
    EXPECT_EQ(FailureOf([&] { loader->GetLoadOptions()->Item(4)->SetCurrentValue(int32_t{4}); }),
              code::kWrongOptionValue);
    EXPECT_EQ(FailureOf([&] { Load(dir.path()); }), code::kFileUnreadable);
    EXPECT_EQ(FailureOf([&] { Load(dir.filePath("missing.dat")); }), code::kFileNotFound);
}

TEST_F(LocalDataLoads, AFileLongerThanOneChunkKeepsTheRulesForRepeatedCells) {
    // 300,000 records of one cell: more than the loader sorts at a time.
    constexpr int kRecords = 300000;
    QByteArray file = "!DATA\n";
    file.reserve(kRecords * (kGood.size() + 3));
    for (int i = 0; i < kRecords; ++i) {
        file += kGood + (i + 1 == kRecords ? "7" : "1") + "\n";
    }
    const QString path = Write("long.dat", file);
    Load(Write("seed.dat", "!DATA\n" + kGood + "1000\n"));
    Load(path, 1, true);  // MERGE, adding the file's records: the file's sum replaces 1000
    EXPECT_EQ(Extract(), QString::fromUtf8("!DATA\r\n" + kGood + "300006\r\n"));
    Load(path, 2, false);  // ACCUMULATE, the file's last record added once
    EXPECT_EQ(Extract(), QString::fromUtf8("!DATA\r\n" + kGood + "300013\r\n"));
    Load(path, 0, true);  // REPLACE
    EXPECT_EQ(Extract(), QString::fromUtf8("!DATA\r\n" + kGood + "300006\r\n"));
}

TEST(LocalDataSecurity, AClerkWritesOnlyItsClassesAndRunsOnlyItsRoles) {
    // Sales and Costs in classes of their own; the clerk may load data and write Sales.
    local::AppModel app = test::DataTestApp();
    app.securityClasses = {"SalesClass", "CostClass"};
    for (local::MemberModel& member : app.dim(Dimension::Account).members) {
        if (member.label == "Sales" || member.label == "Costs") {
            member.securityClass = member.label == "Sales" ? "SalesClass" : "CostClass";
        }
    }
    test::LocalServer server(app);
    server.store().AddUser("clerk", "clerk-pw");
    server.store().Provision("clerk", "TestApp", false);
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QByteArray pov = "Actual;2026;01;YTD;France;<Entity Currency>;";
    const QByteArray tail = ";[ICP None];P1;[None];[None];[None];";
    auto load = [&](const std::shared_ptr<ApplicationSession>& session, int32_t duplicates,
                    const QByteArray& records) {
        auto loader = server.library()->CreateDataLoad();
        loader->SetSession(session);
        loader->GetLoadOptions()->Item(4)->SetCurrentValue(duplicates);
        loader->Load(write("in.dat", "!DATA\n" + records), dir.filePath("in.log"));
    };
    load(server.Session(), 0, pov + "Sales" + tail + "10\n" + pov + "Costs" + tail + "20\n");

    auto connection = server.library()->CreateClientConnection();
    connection->SetLogonInfo({}, "clerk", {}, "clerk-pw");
    auto clerk = connection->OpenApplication("TestCluster", "Tarsel", "TestApp").session;
    EXPECT_EQ(FailureOf([&] { load(clerk, 3, pov + "Sales" + tail + "11\n"); }),
              code::kAccessDenied);  // no security loaded: administrators only

    auto security = server.library()->CreateSecurityLoad();
    security->SetSession(server.Session());
    for (int i = 3; i <= 6; ++i) {
        security->GetLoadOptions()->Item(i)->SetCurrentValue(true);
    }
    EXPECT_FALSE(security->Load(write("clerk.sec",
                                      "!ROLE_ACCESS\nData;clerk\n"
                                      "!SECURITY_CLASS_ACCESS\nSalesClass;clerk;All\n"),
                                dir.filePath("sec.log")));
    // REPLACE WITH SECURITY clears the point's Sales but keeps Costs, which the clerk may
    // not write; the administrator's REPLACE clears both.
    load(clerk, 3, pov + "Sales" + tail + "11\n");
    auto extract = [&] {
        auto loader = server.library()->CreateDataLoad();
        loader->SetSession(server.Session());
        auto options = loader->GetExtractOptions();
        options->Item(7)->SetCurrentValue(int32_t{0});
        options->Item(8)->SetCurrentValue(int32_t{0});
        options->Item(9)->SetCurrentValue(IdArray{0});
        options->Item(10)->SetCurrentValue(
            IdArray{server.Tree(Dimension::Entity)->GetMemberID("France")});
        auto accounts = server.Tree(Dimension::Account);
        options->Item(12)->SetCurrentValue(
            IdArray{accounts->GetMemberID("Sales"), accounts->GetMemberID("Costs")});
        loader->Extract(dir.filePath("out.dat"), dir.filePath("out.log"));
        QFile file(dir.filePath("out.dat"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    EXPECT_EQ(extract(),
              "!DATA\r\n" + pov + "Sales" + tail + "11\r\n" + pov + "Costs" + tail + "20\r\n");
    load(server.Session(), 0, pov + "Sales" + tail + "12\n");
    EXPECT_EQ(extract(), "!DATA\r\n" + pov + "Sales" + tail + "12\r\n");

    // The Data role opens neither consolidation nor journals.
    QString refusal;
    EXPECT_EQ(FailureOf([&] { clerk->GetCalculation()->RunConsolidation(0, 0, 0, 11, 0, -1, 1); },
                        &refusal),
              code::kAccessDenied);
    EXPECT_TRUE(refusal.contains("Consolidation")) << refusal.toStdString();
    EXPECT_EQ(FailureOf([&] {
                  auto journals = server.library()->CreateJournalLoad();
                  journals->SetSession(clerk);
                  journals->Load(write("j.jlf", ""), dir.filePath("j.log"));
              }),
              code::kAccessDenied);
}

}  // namespace
}  // namespace tarsel
