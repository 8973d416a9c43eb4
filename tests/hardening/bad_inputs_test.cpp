// The bad-input catalogue (bad_inputs/catalogue.tsv) run end to end: every metadata, member
// list, data, journal, security and rules case loaded by the real batch program into one
// application, every command file checked by Tarsel_Batch --check; each must show its line,
// and the application must be the same afterwards.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "tests/hardening/hardening_batch.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::test {
namespace {

// How a case is loaded, by its file's ending: %1 the file, %2 its load log. Files of other
// endings are command files, checked with --check.
const std::map<QString, QString> kLoads = {
    {QStringLiteral(".app"), QStringLiteral("LOAD_METADATA %1, %2, REPLACE, FALSE")},
    {QStringLiteral(".lst"), QStringLiteral("LOAD_MEMBER_LISTS %1, %2")},
    {QStringLiteral(".xml"), QStringLiteral("LOAD_METADATA %1, %2, REPLACE, FALSE")},
    {QStringLiteral(".dat"), QStringLiteral("LOAD_DATA %1, %2, REPLACE, FALSE")},
    {QStringLiteral(".jlf"), QStringLiteral("LOAD_JOURNALS %1, %2")},
    {QStringLiteral(".sec"), QStringLiteral("LOAD_SECURITY %1, %2, FALSE, TRUE, TRUE, TRUE, TRUE")},
    {QStringLiteral(".rls"), QStringLiteral("LOAD_RULES %1, %2, TRUE")},
};

QString Ending(const QString& file) {
    return file.mid(file.lastIndexOf(QLatin1Char('.')));
}

QString LoadLog(const QString& file) {
    return file.left(file.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".log");
}

TEST(HardeningBadInputs, EveryCaseShowsItsLineAndStoresNothing) {
    QTemporaryDir work;
    std::map<QString, QString> expected;  // file -> line
    const QDir catalogue(QStringLiteral(BAD_INPUTS_DIR));
    for (const QByteArray& line : ReadFile(catalogue.filePath("catalogue.tsv")).split('\n')) {
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const qsizetype tab = line.indexOf('\t');
        ASSERT_GT(tab, 0) << "no tab in: " << line.constData();
        expected[QString::fromUtf8(line.left(tab))] = QString::fromUtf8(line.mid(tab + 1));
    }
    for (const QString& file : catalogue.entryList(QDir::Files)) {
        if (file != QLatin1String("catalogue.tsv")) {
            EXPECT_TRUE(expected.count(file))
                << file.toStdString() << " has no line in catalogue.tsv";
            QFile::copy(catalogue.filePath(file), work.filePath(file));
        }
    }
    EXPECT_GE(expected.size(), 80u);

    LocalServer server(AppBuilder()
                           .Relate(Dimension::Entity, QString(), QStringLiteral("World"))
                           .Relate(Dimension::Entity, QStringLiteral("World"), QStringLiteral("A"))
                           .Build());
    QByteArray loads = "LOGON TestCluster, TestApp\r\n" + ExtractCommands(QStringLiteral("before"));
    for (const auto& [file, line] : expected) {
        if (const auto load = kLoads.find(Ending(file)); load != kLoads.end()) {
            loads += load->second.arg(file, LoadLog(file)).toUtf8() + "\r\n";
        }
    }
    loads += ExtractCommands(QStringLiteral("after"));
    QFile commands(work.filePath("loads.cmd"));
    ASSERT_TRUE(commands.open(QIODevice::WriteOnly));
    commands.write(loads);
    commands.close();
    EXPECT_EQ(RunBatch(work.path(), {QStringLiteral("loads.cmd")}).exitCode, 1);

    for (const auto& [file, line] : expected) {
        QStringList shown;
        if (!kLoads.count(Ending(file))) {
            const BatchRun check = RunBatch(work.path(), {QStringLiteral("--check"), file});
            EXPECT_EQ(check.exitCode, 1) << file.toStdString();
            shown = check.output.split(QLatin1Char('\n'));
        } else {
            shown = QString::fromUtf8(ReadFile(work.filePath(LoadLog(file))).replace('\r', ""))
                        .split('\n');
            EXPECT_EQ(shown.filter(QStringLiteral(": nothing was stored.")).size(), 1)
                << file.toStdString();
        }
        EXPECT_TRUE(shown.contains(line))
            << file.toStdString() << " shows\n"
            << shown.join(QLatin1Char('\n')).toStdString() << "\ninstead of\n"
            << line.toStdString();
    }
    EXPECT_EQ(Extracted(work.path(), QStringLiteral("before")),
              Extracted(work.path(), QStringLiteral("after")));
}

}  // namespace
}  // namespace tarsel::test
