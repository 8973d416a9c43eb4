// A disk that fills during a load, made with the file size limit of the batch process:
// the load fails with a client error that names the store and the reason, the
// application is as before, and the store passes SQLite's integrity check. An extract
// that fills it leaves the earlier file as it was.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>

#include "server/local/sqlite_db.h"
#include "tests/hardening/hardening_batch.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::test {
namespace {

// Room for the batch log and the load log, not for what the loads write to the store.
constexpr rlim_t kFileSizeLimit = 64 * 1024;

void LimitFileSize() {
    std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit then fails with EFBIG
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = kFileSizeLimit;
    setrlimit(RLIMIT_FSIZE, &limit);
}

QString IntegrityCheck(const QString& path) {
    local::sql::Database db(path, local::sql::OpenMode::ReadWrite);
    local::sql::Statement check(db, "PRAGMA integrity_check");
    QString result;
    while (check.Step()) {
        result += check.Text(0);
    }
    return result;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        << path.toStdString();
}

TEST(HardeningFullDisk, ALoadThatFillsTheDiskStoresNothing) {
    QTemporaryDir work;
    const QString folder = work.path();
    LocalServer server(
        AppBuilder().Relate(Dimension::Entity, QString(), QStringLiteral("E")).Build());

    // The demo application and its ledger; a metadata file of the demo with 20,000 more
    // entities, and a data file of 50,000 records.
    const QByteArray demo = ReadFile(QStringLiteral(TARSEL_DEMO_DIR "/Demo.app"));
    QByteArray members;
    QByteArray relations;
    for (int i = 0; i < 20000; ++i) {
        members += "Extra" + QByteArray::number(i) + "\r\n";
        relations += "Group;Extra" + QByteArray::number(i) + "\r\n";
    }
    QByteArray large = demo;
    large.replace("!MEMBERS=Entity\r\n", "!MEMBERS=Entity\r\n" + members)
        .replace("!HIERARCHIES=Entity\r\n", "!HIERARCHIES=Entity\r\n" + relations);
    ASSERT_NE(large.size(), demo.size());
    WriteFile(folder + "/demo.app", demo);
    QFile::copy(QStringLiteral(TARSEL_DEMO_DIR "/Demo.lst"), folder + "/demo.lst");
    QFile::copy(QStringLiteral(TARSEL_DEMO_DIR "/Demo.rls"), folder + "/demo.rls");
    WriteFile(folder + "/large.app", large);
    const QByteArray ledger = ReadFile(QStringLiteral(TARSEL_DEMO_DIR "/Demo_ledger_2026.dat"));
    WriteFile(folder + "/ledger.dat", ledger);
    QByteArray records = "!DATA\r\n";
    for (const QByteArray& line : ledger.split('\n')) {
        QList<QByteArray> fields = line.trimmed().split(';');
        if (fields.size() == 13) {
            for (const char* scenario : {"Budget", "Forecast"}) {
                fields[0] = scenario;
                for (int year = 2024; year <= 2026; ++year) {
                    fields[1] = QByteArray::number(year);
                    records += fields.join(';') + "\r\n";
                }
            }
        }
    }
    WriteFile(folder + "/large.dat", records);
    WriteFile(folder + "/setup.txt",
              "LOGON TestCluster, TestApp\r\n"
              "LOAD_METADATA demo.app, , REPLACE, FALSE\r\n"
              "LOAD_DATA ledger.dat, , REPLACE, FALSE\r\n"
              "LOAD_MEMBER_LISTS demo.lst, \r\n"
              "LOAD_RULES demo.rls, , TRUE\r\n" +
                  ExtractCommands(QStringLiteral("before")));
    ASSERT_EQ(RunBatch(folder, {QStringLiteral("setup.txt")}).exitCode, 0)
        << ReadFile(folder + "/setup.log").constData();

    const QString store = QDir::toNativeSeparators(server.applicationPath());
    for (const char* load : {"LOAD_DATA large.dat, data.log, MERGE, FALSE",
                             "LOAD_METADATA large.app, metadata.log, REPLACE, FALSE"}) {
        SCOPED_TRACE(load);
        WriteFile(folder + "/load.txt",
                  "LOGON TestCluster, TestApp\r\n" + QByteArray(load) + "\r\n");
        EXPECT_EQ(RunBatch(folder, {QStringLiteral("load.txt")}, {}, LimitFileSize).exitCode, 1);
        const QString log = QString::fromUtf8(ReadFile(folder + "/load.log"));
        EXPECT_TRUE(log.contains(store) && log.contains(QStringLiteral("File too large")))
            << log.toStdString();
        const qsizetype shown = log.indexOf(QStringLiteral("-> The file"));
        std::printf("full disk, %s: %s\n", load,
                    qPrintable(log.mid(shown, log.indexOf(u'\n', shown) - shown).trimmed()));
        EXPECT_EQ(IntegrityCheck(server.applicationPath()), QStringLiteral("ok"));
        WriteFile(folder + "/after.txt",
                  "LOGON TestCluster, TestApp\r\n" + ExtractCommands(QStringLiteral("after")));
        ASSERT_EQ(RunBatch(folder, {QStringLiteral("after.txt")}).exitCode, 0);
        EXPECT_TRUE(Extracted(folder, QStringLiteral("before")) ==
                    Extracted(folder, QStringLiteral("after")));
    }

    // An extract that fills the disk fails naming its file and leaves the earlier extract
    // as it was, with no part-written file beside it.
    const QByteArray before = Extracted(folder, QStringLiteral("before"));
    WriteFile(folder + "/extract.txt",
              "LOGON TestCluster, TestApp\r\n"
              "EXTRACT_BASE_DATA before.dat, , Actual, 2026, 01, 12, FALSE\r\n");
    EXPECT_EQ(RunBatch(folder, {QStringLiteral("extract.txt")}, {}, LimitFileSize).exitCode, 1);
    const QString log = QString::fromUtf8(ReadFile(folder + "/extract.log"));
    EXPECT_TRUE(log.contains(QStringLiteral("before.dat: cannot be written (File too large)")))
        << log.toStdString();
    EXPECT_TRUE(Extracted(folder, QStringLiteral("before")) == before);
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("before.dat.*")}), QStringList());
}

}  // namespace
}  // namespace tarsel::test
