// Two Tarsel_Batch programs load data, merge metadata and consolidate one application in
// loops while this process reads every dimension through the client library. Every
// command succeeds or is refused as busy after the busy time-out, no read is refused, and
// the application ends as a serial run of the commands that succeeded, in the order they
// ended, would leave it.
//   CONTENTION_SECONDS (default 60) sets how long the writers go on.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "server/tarsel_error.h"
#include "tests/batch/batch_test_support.h"
#include "tests/hardening/hardening_batch.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::test {
namespace {

using batch::test::BatchFolder;

// Short enough that two writers meet it many times a minute.
constexpr int kBusyTimeoutMs = 100;
const QString kLogon = QStringLiteral("LOGON TestCluster, TestApp\r\n");

struct CommandRun {
    QString command;
    qint64 endedNs = 0;  // on the test's clock
    bool succeeded = false;
};

class HardeningContention : public BatchFolder, public ::testing::Test {
  protected:
    // Runs the command file of the commands after a logon as one Tarsel_Batch process;
    // gives its exit code and the text of its log.
    int RunBatch(const QString& name, const QString& commands, QString& log,
                 qint64* elapsedMs = nullptr) {
        Write(name + QStringLiteral(".txt"), (kLogon + commands).toUtf8());
        const BatchRun run = test::RunBatch(
            dir.path(), {name + QStringLiteral(".txt")},
            {{QStringLiteral("TARSEL_BUSY_TIMEOUT_MS"), QString::number(kBusyTimeoutMs)}});
        if (elapsedMs) {
            *elapsedMs = run.ms;
        }
        log = QString::fromUtf8(Bytes(name + QStringLiteral(".log")));
        return run.exitCode;
    }

    // The demo application with its ledger, and the inputs of the two writers: each
    // accumulates half the ledger's entities and merges one of two versions of its own
    // Custom4 member.
    void Prepare() {
        QFile::copy(QStringLiteral(TARSEL_DEMO_DIR "/Demo.app"), Path(QStringLiteral("demo.app")));
        QByteArray halves[2] = {"!DATA\r\n", "!DATA\r\n"};
        int record = 0;
        QList<QByteArray> entities;
        for (const QByteArray& line :
             ReadFile(QStringLiteral(TARSEL_DEMO_DIR "/Demo_ledger_2026.dat")).split('\n')) {
            QList<QByteArray> fields = line.trimmed().split(';');
            if (fields.size() != 13) {
                continue;
            }
            if (!entities.contains(fields[4])) {
                entities << fields[4];
            }
            // Amounts a binary fraction holds exactly, so that sums do not depend on order.
            fields[12] = QByteArray::number(++record % 997) + ".25";
            halves[entities.indexOf(fields[4]) % 2] += fields.join(';') + "\r\n";
        }
        for (int w = 0; w < 2; ++w) {
            Write(QStringLiteral("data%1.dat").arg(w), halves[w]);
            for (int version = 0; version < 2; ++version) {
                Write(QStringLiteral("meta%1_%2.app").arg(w).arg(version),
                      QStringLiteral("!FILE_FORMAT=1\r\n!LANGUAGES\r\nEnglish\r\n!MEMBERS="
                                     "Custom4\r\nWriter%1\r\n"
                                     "!DESCRIPTIONS=Custom4\r\nWriter%1;English;version %2\r\n")
                          .arg(w)
                          .arg(version)
                          .toUtf8());
            }
        }
    }

    static QString Preparation() {
        return QStringLiteral(
            "LOAD_METADATA demo.app, , REPLACE, FALSE\r\n"
            "LOAD_DATA data0.dat, , REPLACE, FALSE\r\nLOAD_DATA data1.dat, , REPLACE, FALSE\r\n");
    }

    // Command i of writer w; the two writers start at different commands.
    static QString Command(int w, int i) {
        switch ((i + w) % 3) {
            case 0:
                return QStringLiteral("LOAD_DATA data%1.dat, , ACCUMULATE, FALSE").arg(w);
            case 1:
                return QStringLiteral("LOAD_METADATA meta%1_%2.app, , MERGE, FALSE")
                    .arg(w)
                    .arg(i / 3 % 2);
            default:
                return QStringLiteral(
                    "CONSOLIDATE Actual, 2026, 01, 03, Group, Group, Consolidate All With Data");
        }
    }

    // What the application holds: its metadata, its base data and Q1 down the entities.
    QByteArray State(const QString& name) {
        QString log;
        EXPECT_EQ(RunBatch(name,
                           QStringLiteral(
                               "EXTRACT_METADATA %1.app, , APP\r\n"
                               "EXTRACT_BASE_DATA %1_base.dat, , Actual, 2026, 01, 12, FALSE\r\n"
                               "EXTRACT_DATA_USING_MBR_LISTS %1_totals.dat, , Actual, 2026, 01, "
                               "03, [Hierarchy], [Hierarchy], TRUE\r\n")
                               .arg(name),
                           log),
                  0)
            << log.toStdString();
        return Bytes(name + QStringLiteral(".app")) + Bytes(name + QStringLiteral("_base.dat")) +
               Bytes(name + QStringLiteral("_totals.dat"));
    }

    static LocalServer* NewServer(std::optional<LocalServer>& server) {
        server.emplace(
            AppBuilder().Relate(Dimension::Entity, QString(), QStringLiteral("E")).Build());
        return &*server;
    }
};

TEST_F(HardeningContention, TwoWritersAndAReaderEndAsASerialRun) {
    const int seconds = qEnvironmentVariableIsSet("CONTENTION_SECONDS")
                            ? qEnvironmentVariableIntValue("CONTENTION_SECONDS")
                            : 60;
    Prepare();
    std::optional<LocalServer> server;
    NewServer(server);
    QString log;
    ASSERT_EQ(RunBatch(QStringLiteral("setup"), Preparation(), log), 0) << log.toStdString();

    QElapsedTimer clock;
    clock.start();
    std::atomic<int> writers{2};
    std::mutex mutex;
    std::vector<CommandRun> runs;
    std::vector<QString> faults;
    int busy = 0;
    const auto writer = [&](int w) {
        for (int i = 0; clock.elapsed() < seconds * 1000LL; ++i) {
            CommandRun run{Command(w, i)};
            QString text;
            qint64 elapsedMs = 0;
            const int code = RunBatch(QStringLiteral("w%1_%2").arg(w).arg(i),
                                      run.command + QStringLiteral("\r\n"), text, &elapsedMs);
            run.endedNs = clock.nsecsElapsed();
            run.succeeded = code == 0;
            const std::lock_guard lock(mutex);
            if (!run.succeeded) {
                if (code == 1 && text.contains(QStringLiteral("is busy")) &&
                    elapsedMs >= kBusyTimeoutMs) {
                    ++busy;
                } else {
                    faults.push_back(QStringLiteral("%1 ended with %2 after %3 ms:\n%4")
                                         .arg(run.command)
                                         .arg(code)
                                         .arg(elapsedMs)
                                         .arg(text));
                }
            }
            runs.push_back(run);
        }
        --writers;
    };
    std::thread first(writer, 0);
    std::thread second(writer, 1);

    // Each round logs on afresh, so that it reads the state of the last commit.
    int reads = 0;
    std::vector<QString> refused;
    while (writers > 0) {
        try {
            const OpenedApplication opened = server->Open();
            for (int d = 0; d < kDimensionCount; ++d) {
                const auto tree = opened.session->Metadata()->GetDimensionByIndex(d);
                const QStringList labels = tree->EnumAllMemberLabels();
                const ParentChildPairs pairs = tree->EnumParentChildPairs();
                if (labels.isEmpty() || pairs.parents.empty()) {
                    refused.push_back(QStringLiteral("dimension %1 read empty").arg(d));
                }
                ++reads;
            }
        } catch (const TarselError& error) {
            refused.push_back(error.description());
        }
    }
    first.join();
    second.join();
    for (const QString& fault : faults) {
        ADD_FAILURE() << fault.toStdString();
    }
    for (const QString& refusal : refused) {
        ADD_FAILURE() << "a reader was refused: " << refusal.toStdString();
    }
    const QByteArray concurrent = State(QStringLiteral("concurrent"));

    std::sort(runs.begin(), runs.end(),
              [](const CommandRun& a, const CommandRun& b) { return a.endedNs < b.endedNs; });
    QString serial = Preparation();
    int succeeded = 0;
    for (const CommandRun& run : runs) {
        if (run.succeeded) {
            serial += run.command + QStringLiteral("\r\n");
            ++succeeded;
        }
    }
    server.reset();
    NewServer(server);
    ASSERT_EQ(RunBatch(QStringLiteral("serial"), serial, log), 0) << log.toStdString();
    EXPECT_TRUE(concurrent == State(QStringLiteral("serial")))
        << "the application differs from a serial run; see " << dir.path().toStdString();
    EXPECT_GT(succeeded, 0);
    std::printf("contention: %zu commands run, %d succeeded, %d busy, %d dimension reads\n",
                runs.size(), succeeded, busy, reads);
    if (HasFailure()) {
        dir.setAutoRemove(false);
    }
}

}  // namespace
}  // namespace tarsel::test
