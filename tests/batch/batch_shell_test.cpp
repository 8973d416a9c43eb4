#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "batch/shell.h"
#include "tests/batch/batch_test_support.h"

namespace tarsel::batch::test {
namespace {

// A program that runs for a given number of polls (-1: forever); every poll advances the
// clock by a second.
class FakeStarter : public ProcessStarter {
  public:
    FakeStarter(FixedClock& clock, int polls) : clock_(clock), polls_(polls) {}
    std::unique_ptr<StartedProcess> Start(const QStringList& command) override {
        started << command;
        if (refuse) {
            throw TarselError(75, QStringLiteral("ShellAndWait"), QStringLiteral("refused"));
        }
        return std::make_unique<Process>(*this);
    }
    QList<QStringList> started;
    bool refuse = false;
    int pauses = 0;

  private:
    struct Process : StartedProcess {
        explicit Process(FakeStarter& owner) : owner(owner) {}
        bool Running() override { return owner.polls_ < 0 || owner.pauses < owner.polls_; }
        void Pause() override {
            ++owner.pauses;
            owner.clock_.Advance(1);
        }
        void Stop() override {}
        FakeStarter& owner;
    };
    FixedClock& clock_;
    int polls_;
};

QDateTime At(int h, int m, int s) {
    return QDateTime(QDate(2026, 12, 8), QTime(h, m, s));
}

TEST(BatchShell, WaitsUntilTheProgramEnds) {
    FixedClock clock(At(10, 0, 0));
    FakeStarter starter(clock, 30);
    const QStringList command = {"/opt/x/export", "/cfgfile=/a b.cfg"};
    EXPECT_TRUE(ShellAndWait(command, 0, starter, clock));
    EXPECT_EQ(starter.pauses, 30);
    EXPECT_EQ(starter.started, QList<QStringList>{command});
}

TEST(BatchShell, TimeOutStopsWaitingOnceTheDeadlineIsPassed) {
    FixedClock clock(At(10, 0, 0));
    FakeStarter starter(clock, -1);
    EXPECT_TRUE(ShellAndWait({QStringLiteral("prog")}, 5, starter, clock));
    EXPECT_EQ(starter.pauses, 6);  // stops when now exceeds start + 5
}

TEST(BatchShell, TimeOutAcrossMidnightEndsOnlyAfterMidnight) {
    FixedClock clock(At(23, 59, 50));
    FakeStarter starter(clock, -1);
    EXPECT_TRUE(ShellAndWait({QStringLiteral("prog")}, 20, starter, clock));
    // Deadline 00:00:10 the next day; before midnight "now > deadline" must not end it.
    EXPECT_EQ(starter.pauses, 21);
    EXPECT_EQ(clock.Now().time(), QTime(0, 0, 11));
}

TEST(BatchShell, HugeTimeOutMeansNoTimeOut) {
    FixedClock clock(At(12, 0, 0));
    FakeStarter starter(clock, 200);
    EXPECT_TRUE(ShellAndWait({QStringLiteral("prog")}, 20000000, starter, clock));
    EXPECT_EQ(starter.pauses, 200);
}

TEST(BatchShell, StartFailureGivesFalse) {
    FixedClock clock(At(12, 0, 0));
    FakeStarter starter(clock, 0);
    starter.refuse = true;
    EXPECT_FALSE(ShellAndWait({QStringLiteral("prog")}, 0, starter, clock));
}

TEST(BatchShell, RealProgramsStartAndEnd) {
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("ran \"here\" 'now'"));
    SystemClock clock;
    SpawnProcessStarter starter;
    QElapsedTimer timer;
    timer.start();
    // Blanks and quotes reach the program as they are: no shell splits them.
    EXPECT_TRUE(
        ShellAndWait({"/bin/sh", "-c", "sleep 0.2; touch \"$0\"", marker}, 0, starter, clock));
    EXPECT_TRUE(QFile::exists(marker)) << "waited for the program to end";
    EXPECT_GE(timer.elapsed(), 150);
    EXPECT_FALSE(ShellAndWait({"/no/such/program", "/cfgfile=x.cfg"}, 0, starter, clock));
    EXPECT_FALSE(ShellAndWait({}, 0, starter, clock));
    EXPECT_FALSE(ShellAndWait({dir.path()}, 0, starter, clock)) << "a folder is no program";
    timer.restart();
    EXPECT_TRUE(ShellAndWait({"/bin/sleep", "30"}, 1, starter, clock));
    EXPECT_LT(timer.elapsed(), 5000) << "the time-out ends the wait";
}

TEST(BatchShell, FolderExists) {
    QTemporaryDir dir;
    EXPECT_TRUE(FolderExists(dir.path()));
    EXPECT_TRUE(FolderExists(dir.path() + QStringLiteral("/")));
    EXPECT_FALSE(FolderExists(dir.filePath(QStringLiteral("missing"))));
    const QString file = dir.filePath(QStringLiteral("plain"));
    WriteBytes(file, "x");
    EXPECT_FALSE(FolderExists(file));
    EXPECT_FALSE(FolderExists(QString()));
}

}  // namespace
}  // namespace tarsel::batch::test
