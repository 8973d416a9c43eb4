// The journal loader refusing bad files: every problem a line of the load log, nothing
// stored, Load returning normally.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "server/local/journal_store.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::local {
namespace {

using tarsel::test::AppBuilder;
using tarsel::test::LocalServer;

// Actual, 2026, 01..03; Entity Group > Paris; Account Result (Income) > Revenue; the
// system members of ICP and the customs.
AppModel SmallApp() {
    AppBuilder app;
    app.Relate(Dimension::Scenario, QString(), QStringLiteral("Actual"));
    app.Relate(Dimension::Year, QString(), QStringLiteral("2026"));
    app.Children(Dimension::Period, QString(),
                 {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03")});
    app.Relate(Dimension::View, QString(), QStringLiteral("YTD"));
    app.Relate(Dimension::Value, QString(), QStringLiteral("<Entity Curr Adjs>"));
    app.Relate(Dimension::Entity, QStringLiteral("Group"), QStringLiteral("Paris"));
    app.Relate(Dimension::Entity, QString(), QStringLiteral("Group"));
    app.Children(Dimension::Account, QString(), {QStringLiteral("Result"), QStringLiteral("Bank")});
    app.Relate(Dimension::Account, QStringLiteral("Result"), QStringLiteral("Revenue"));
    app.Add(Dimension::Account, QStringLiteral("Result")).accountType = account_type::Income;
    app.Add(Dimension::Account, QStringLiteral("Revenue")).accountType = account_type::Income;
    app.Add(Dimension::Account, QStringLiteral("Bank")).accountType = account_type::Asset;
    app.Relate(Dimension::ICP, QString(), QStringLiteral("[ICP None]"));
    for (const Dimension custom :
         {Dimension::Custom1, Dimension::Custom2, Dimension::Custom3, Dimension::Custom4}) {
        app.Relate(custom, QString(), QStringLiteral("[None]"));
    }
    return app.Build();
}

QByteArray Line(const QByteArray& entity, const QByteArray& account, const QByteArray& side,
                const QByteArray& amount, const QByteArray& description = {}) {
    return entity + ";" + account + ";[ICP None];[None];[None];[None];[None];" + side + ";" +
           amount + ";" + description + "\r\n";
}

// A sound journal, lines 1 to 4: every bad file starts with it, and it must not be stored.
const QByteArray kGood = "!JOURNAL\r\nGOOD;Actual;2026;01;Posted;Balanced;\r\n" +
                         Line("Paris", "Bank", "D", "10") + Line("Paris", "Revenue", "C", "10");

struct BadFile {
    const char* what;
    QByteArray after;  // what follows the sound journal, from line 5
    QString expected;  // the error line, after "Error: bad.jlf, line "
};

TEST(LocalJournalLoad, EveryBadFileStoresNothingAndNamesTheLine) {
    const QByteArray header = "!JOURNAL\r\nJ2;Actual;2026;02;Working;Balanced;\r\n";
    const BadFile cases[] = {
        {"unbalanced",
         header + Line("Paris", "Bank", "D", "5") + Line("Paris", "Revenue", "C", "4"),
         QStringLiteral("6: journal \"J2\" is Balanced but its debits (5) and credits (4) differ")},
        {"unbalanced by entity",
         "!JOURNAL\r\nJ2;Actual;2026;02;Working;BalancedByEntity;\r\n" +
             Line("Paris", "Bank", "D", "5") + Line("Group", "Revenue", "C", "5"),
         QStringLiteral("6: journal \"J2\" is BalancedByEntity but its debits (0) and credits "
                        "(5) for entity \"Group\" differ")},
        {"parent account",
         header + Line("Paris", "Result", "D", "5") + Line("Paris", "Bank", "C", "5"),
         QStringLiteral("7: \"Result\" is a parent member of Account; journals take base members "
                        "only")},
        {"parent entity",
         header + Line("Group", "Bank", "D", "5") + Line("Paris", "Bank", "C", "5"),
         QStringLiteral("7: \"Group\" is a parent member of Entity; journals take base members "
                        "only")},
        {"unknown labels",
         "!JOURNAL\r\nJ2;Actual;2027;02;Working;Unbalanced;\r\n" + Line("Venus", "Bank", "D", "5"),
         QStringLiteral("6: \"2027\" is not a member of Year")},
        {"record before a section", QByteArray(),
         QStringLiteral("1: a record before the first !JOURNAL, !STANDARD or !RECURRING line")},
        {"label used twice",
         "!JOURNAL\r\ngood;actual;2026;01;Working;Unbalanced;\r\n" +
             Line("Paris", "Bank", "D", "5"),
         QStringLiteral("6: the label \"good\" is used twice: line 2 has it already")},
        {"NUL byte", header + Line("Paris", "Bank", "D", "5", QByteArray("a\0b", 3)),
         QStringLiteral("7: the line holds a NUL byte")},
        {"invalid UTF-8", header + Line("Paris", "Bank", "D", "5", "caf\xC3("),
         QStringLiteral("7: the line is not valid UTF-8")},
        {"a balanced journal with an unreadable line",
         header + Line("Paris", "Bank", "D", "5") + Line("Paris", "Bank", "C", "5", "caf\xC3(") +
             Line("Venus", "Bank", "D", "1"),
         QStringLiteral("8: the line is not valid UTF-8")},
        {"1 MiB line", header + Line("Paris", "Bank", "D", "5", QByteArray(1 << 20, 'x')),
         QStringLiteral("7: the description is longer than 255 characters")},
        {"amount with a comma", header + Line("Paris", "Bank", "D", "1,5"),
         QStringLiteral("7: the amount \"1,5\" is not a number greater than zero (digits, '.' "
                        "as decimal point)")},
        {"amount NaN", header + Line("Paris", "Bank", "D", "NaN"),
         QStringLiteral("7: the amount \"NaN\" is not a number greater than zero (digits, '.' "
                        "as decimal point)")},
        {"nine fields", header + "Paris;Bank;[ICP None];[None];[None];[None];[None];D;5\r\n",
         QStringLiteral("7: a journal line has 10 fields (Entity;Account;ICP;Custom1;Custom2;"
                        "Custom3;Custom4;D|C;Amount;Description), this line 9")},
        {"unknown status",
         "!JOURNAL\r\nJ2;Actual;2026;02;Booked;Unbalanced;\r\n" + Line("Paris", "Bank", "D", "5"),
         QStringLiteral("6: unknown status \"Booked\"; expected Working, Submitted, Approved or "
                        "Posted")},
        {"unknown section", "!JOURNALS\r\n" + Line("Paris", "Bank", "D", "5"),
         QStringLiteral("5: unknown section \"!JOURNALS\"; expected !JOURNAL, !STANDARD or "
                        "!RECURRING")},
    };

    LocalServer server(SmallApp());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bad.jlf"));
    const QString logPath = dir.filePath(QStringLiteral("bad.log"));
    for (const BadFile& bad : cases) {
        SCOPED_TRACE(bad.what);
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QByteArrayView(bad.what) == "record before a section"
                      ? Line("Paris", "Bank", "D", "5") + kGood
                      : kGood + bad.after);
        out.close();

        const auto loader = server.library()->CreateJournalLoad();
        loader->SetSession(server.Session());
        loader->Load(file, logPath);

        QFile logFile(logPath);
        ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(logFile.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.front().toStdString(),
                  (QStringLiteral("Error: bad.jlf, line ") + bad.expected).toStdString())
            << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines.back().endsWith(QStringLiteral("nothing was stored.")));
        // Errors come in line order, and a line that could not be read is not also counted
        // as missing from its journal's balance.
        int previous = 0;
        for (const QString& line : lines) {
            EXPECT_LT(line.size(), 400) << "the log quotes a huge field";
            if (line.startsWith(QStringLiteral("Error: bad.jlf, line "))) {
                const int number = line.mid(21).section(u':', 0, 0).toInt();
                EXPECT_GE(number, previous) << line.toStdString();
                previous = number;
            }
            EXPECT_TRUE(!line.contains(QStringLiteral("differ")) ||
                        QByteArrayView(bad.what).startsWith("unbalanced"))
                << line.toStdString();
        }

        sql::Database db(server.applicationPath(), sql::OpenMode::ReadOnly);
        JournalSelection all{true, true, true, 0, 0, {0, 1, 2}};
        EXPECT_TRUE(ReadJournals(db, all).empty());
    }
}

}  // namespace
}  // namespace tarsel::local
