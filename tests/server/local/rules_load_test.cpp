// The rules checker as a load sees it: each kind of bad rules file gives its flags and its
// log line, and a file with errors leaves the stored rules as they were.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "server/tarsel_error.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel {
namespace {

using test::AppBuilder;

struct RulesCase {
    const char* name;
    QByteArray text;
    bool checkIcp;
    bool errors;
    bool warnings;
    const char* firstLogLine;  // after "rules.rls, "
};

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(LocalRulesLoad, EachKindOfProblemIsLoggedOnItsLineAndOnlyErrorsKeepTheFileOut) {
    AppBuilder app;
    app.Children(Dimension::Account, {}, {"Sales", "Costs"});
    app.Relate(Dimension::ICP, {}, "[ICP None]");
    test::LocalServer server(app.Build());
    QTemporaryDir dir;
    const QString file = dir.filePath("rules.rls");
    const QString log = dir.filePath("rules.log");
    auto rules = server.library()->CreateRulesLoad();
    rules->SetSession(server.Session(), -2);

    const QByteArray stored = "Sub Calculate()\nA#Sales = A#Costs * 2\nEnd Sub\n";
    const RulesCase cases[] = {
        {"clean, ICP checked", "Sub Calculate()\nA#Sales.I#[ICP None] = 1.5\nEnd Sub\n", true,
         false, false, nullptr},
        {"unknown ICP not checked", "Sub Calculate()\nA#Sales.I#Mars = 1\nEnd Sub\n", false, false,
         false, nullptr},
        {"unknown ICP checked", "Sub Calculate()\nA#Sales.I#Mars = 1\nEnd Sub\n", true, true, false,
         "line 2: I#Mars: \"Mars\" is not a member of ICP"},
        {"never closed", "Sub Calculate()\nA#Sales = 1\n", false, true, false,
         "line 1: Sub Calculate is never closed: End Sub missing"},
        {"Sub inside Sub", "Sub Calculate()\nA#Sales = 1\nSub Translate()\nA#Sales = 2\nEnd Sub\n",
         false, true, false, "line 3: Sub Translate begins inside Sub Calculate of line 1"},
        {"End Sub alone", "End Sub\n", false, true, false, "line 1: End Sub without a Sub"},
        {"unknown statement", "Sub Calculate()\nIf A#Sales > 0 Then\nEnd Sub\n", false, true, false,
         "line 2: unknown statement \"If A#Sales > 0 Then\""},
        {"half an expression", "Sub Calculate()\nA#Sales = (A#Costs +\nEnd Sub\n", false, true,
         false, "line 2: the expression ends too early in \"A#Sales = (A#Costs +\""},
        {"unknown member", "Sub Calculate()\nA#Sales = A#Venus\nEnd Sub\n", false, true, false,
         "line 2: A#Venus: \"Venus\" is not a member of Account"},
        {"unknown dimension", "Sub Calculate()\nA#Sales = X#Venus\nEnd Sub\n", false, true, false,
         "line 2: unknown member-reference prefix \"X#\""},
        {"outside a routine", "A#Sales = 1\n", false, true, false,
         "line 1: \"A#Sales = 1\" stands outside any routine"},
        {"Sub twice",
         "Sub Calculate()\nA#Sales = 1\nEnd Sub\nSub calculate()\nA#Sales = 1\nEnd Sub\n", false,
         true, false, "line 4: Sub calculate is defined twice (first on line 1)"},
        {"empty routine", "Option Explicit\nSub Calculate()\n' nothing yet\nEnd Sub\n", false,
         false, true, "line 2: Sub Calculate is empty"},
        {"not UTF-8", "Sub Calculate()\nA#Sales = 1 ' caf\xe9\nEnd Sub\n", false, true, false,
         "line 2: "},
    };
    for (const RulesCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.text);
        out.close();
        // A known file first, so that a refused one shows it left the stored file alone.
        QFile known(dir.filePath("known.rls"));
        ASSERT_TRUE(known.open(QIODevice::WriteOnly | QIODevice::Truncate));
        known.write(stored);
        known.close();
        ASSERT_FALSE(rules->LoadRulesFile(known.fileName(), log, 0, false).errors);

        const SyntaxCheck check = rules->LoadRulesFile(file, log, 0, c.checkIcp);
        EXPECT_EQ(check.errors, c.errors);
        EXPECT_EQ(check.warnings, c.warnings);
        const QString lines = ReadAll(log);
        if (c.firstLogLine) {
            const QString expected =
                QStringLiteral("%1: %2, %3")
                    .arg(c.errors ? "Error" : "Warning", file, QLatin1String(c.firstLogLine));
            EXPECT_TRUE(lines.startsWith(expected)) << lines.toStdString();
        }
        EXPECT_EQ(lines.contains(QStringLiteral("error"), Qt::CaseInsensitive), c.errors);
        rules->ExtractRulesFile(dir.filePath("out.rls"), dir.filePath("out.log"));
        QFile extracted(dir.filePath("out.rls"));
        ASSERT_TRUE(extracted.open(QIODevice::ReadOnly));
        EXPECT_EQ(extracted.readAll(), c.errors ? stored : c.text);
    }

    try {
        rules->LoadRulesFile(dir.path(), log, 0, false);
        ADD_FAILURE() << "a folder was read as a rules file";
    } catch (const TarselError& error) {
        EXPECT_EQ(error.number(), code::kFileUnreadable);
    }
}

}  // namespace
}  // namespace tarsel
