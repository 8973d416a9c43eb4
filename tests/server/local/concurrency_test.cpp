// A second process writes to an application while this one reads it: neither fails, and
// the reader sees one committed generation at a time, never part of one.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QSet>
#include <chrono>
#include <thread>

#include "server/local/local_session.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

extern char** environ;

namespace tarsel::test {
namespace {

TEST(LocalConcurrency, ReaderSeesWholeGenerationsWhileAnotherProcessWrites) {
    AppBuilder app;
    for (int i = 0; i < 3000; ++i) {
        app.Relate(Dimension::Entity, {}, QStringLiteral("E%1").arg(i))
            .Describe(Dimension::Entity, QStringLiteral("E%1").arg(i), QStringLiteral("gen 0"));
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
        file->NoteChanged();  // rebuild from the file now rather than at the next check
        const IdArray ids = tree->EnumAllMemberIDs();
        ASSERT_EQ(ids.size(), 3000u);
        const QString first = tree->GetMemberDescription(ids.front(), 0);
        for (const MemberId id : ids) {
            ASSERT_EQ(tree->GetMemberDescription(id, 0), first) << "half a generation seen";
        }
        seen.insert(first);
    }
    ASSERT_TRUE(finished) << "the writer did not end";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // Without NoteChanged the reader notices the last commit within its check interval.
    std::this_thread::sleep_for(std::chrono::milliseconds(local::kFreshnessCheckMs + 50));
    EXPECT_EQ(tree->GetMemberDescription(tree->GetMemberID("E0"), 0),
              QStringLiteral("gen %1").arg(generations));
    EXPECT_GE(seen.size(), 1);
}

}  // namespace
}  // namespace tarsel::test
