// A second process writes to an application while this one reads it: neither fails, and
// the reader sees one committed generation at a time, never part of one.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <signal.h>

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "server/local/cluster_store.h"
#include "server/local/local_session.h"
#include "server/local/sqlite_db.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

extern char** environ;

namespace tarsel::test {
namespace {

TEST(LocalConcurrency, ReaderSeesWholeGenerationsWhileAnotherProcessWrites) {
    AppBuilder app;
    for (int i = 0; i < 3000; ++i) {
        app.Relate(Dimension::Entity, {}, QStringLiteral("E%1-gen0").arg(i));
    }
    LocalServer server(app.Build());
    auto session = server.Session();
    auto file = local::AsLocalSession(session)->file();
    auto tree = server.Tree(Dimension::Entity);

    const QByteArray path = server.applicationPath().toLocal8Bit();
    const int generations = 150;
    const QByteArray count = QByteArray::number(generations);
    char* args[] = {const_cast<char*>(LOCAL_STORE_WRITER), const_cast<char*>(path.constData()),
                    const_cast<char*>(count.constData()), nullptr};
    pid_t writer = 0;
    ASSERT_EQ(posix_spawn(&writer, LOCAL_STORE_WRITER, nullptr, nullptr, args, environ), 0);

    QSet<QString> seen;
    int status = 0;
    bool finished = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!finished && std::chrono::steady_clock::now() < deadline) {
        finished = waitpid(writer, &status, WNOHANG) == writer;
        file->NoteChanged();  // rebuild from the file now rather than after a pause
        // One call answers from one index, so every label must be of one generation.
        const QStringList labels = tree->EnumAllMemberLabels();
        ASSERT_EQ(labels.size(), 3000);
        const QString first = labels.front().section('-', 1);
        for (const QString& label : labels) {
            ASSERT_EQ(label.section('-', 1), first) << "half a generation seen";
        }
        seen.insert(first);
    }
    ASSERT_TRUE(finished) << "the writer did not end";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // Without NoteChanged the reader notices the last commit after a pause.
    std::this_thread::sleep_for(std::chrono::milliseconds(local::kFreshnessCheckMs + 50));
    EXPECT_EQ(tree->GetMemberLabel(0), QStringLiteral("E0-gen%1").arg(generations));
    EXPECT_GE(seen.size(), 1);
}

TEST(LocalConcurrency, AKilledCreationLeavesNoApplication) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    auto store = local::ClusterStore::Create(home.path(), "C");
    const QByteArray homePath = home.path().toLocal8Bit();
    char* args[] = {const_cast<char*>(LOCAL_STORE_WRITER),
                    const_cast<char*>("create"),
                    const_cast<char*>(homePath.constData()),
                    const_cast<char*>("C"),
                    const_cast<char*>("2000000"),
                    nullptr};
    pid_t creator = 0;
    ASSERT_EQ(posix_spawn(&creator, LOCAL_STORE_WRITER, nullptr, nullptr, args, environ), 0);
    // Kill it once its temporary file exists, that is in the middle of the build. Building
    // the model first takes most of a minute with the sanitizers on a busy machine.
    const QDir cluster(store.path());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    bool building = false;
    while (!building && std::chrono::steady_clock::now() < deadline) {
        building = !cluster.entryList({".*.tmp"}, QDir::Files | QDir::Hidden).isEmpty();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(creator, SIGKILL);
    int status = 0;
    waitpid(creator, &status, 0);
    ASSERT_TRUE(building) << "the creation never started";
    ASSERT_TRUE(WIFSIGNALED(status)) << "the creation ended before it was killed";

    EXPECT_TRUE(store.Applications().isEmpty());
    EXPECT_THROW(store.ApplicationPath("Big"), TarselError);
    // The next creation clears what the killed one left.
    store.CreateApplication("Big", AppBuilder().Build());
    EXPECT_EQ(store.Applications(), QStringList({"Big"}));
    EXPECT_TRUE(cluster.entryList({".*.tmp*"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST(LocalConcurrency, AnotherConnectionsCommitIsSeenAfterAPause) {
    AppBuilder app;
    app.Relate(Dimension::Entity, {}, "World");
    LocalServer server(app.Build());
    auto tree = server.Tree(Dimension::Entity);
    EXPECT_EQ(tree->EnumChildMemberIDs(-1, -1).size(), 1u);
    {
        local::sql::Database other(server.applicationPath(), local::sql::OpenMode::ReadWrite);
        local::sql::Transaction write(other, local::sql::Transaction::Kind::Write);
        other.Exec(
            "INSERT INTO members(key, label, descriptions, user_defined) "
            "VALUES(4 * 4294967296 + 1, 'Mars', 'Red', '');"
            "INSERT INTO relations(key, parent, child) VALUES(4 * 4294967296 + 1, -1, 1);");
        write.Commit();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(local::kFreshnessCheckMs + 20));
    const IdArray top = tree->EnumChildMemberIDs(-1, -1);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(tree->GetMemberLabel(top[1]), QStringLiteral("Mars"));
    EXPECT_EQ(tree->GetMemberID("MARS"), top[1]);
}

}  // namespace
}  // namespace tarsel::test
