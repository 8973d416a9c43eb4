// tarsel-local end to end: the real binary against a fresh Tarsel home.

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "server/local/cluster_store.h"
#include "server/tarsel_error.h"

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

class TarselLocalTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        home = home_.path() + "/home";
    }

    Result Run(const QStringList& args, const QByteArray& input = {}, bool withHome = true) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TARSEL_HOME", home_.path() + "/elsewhere");
        p.setProcessEnvironment(env);
        p.start(TARSEL_LOCAL_BINARY, withHome ? QStringList{"--home", home} + args : args);
        EXPECT_TRUE(p.waitForStarted());
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QString WriteFile(const QString& name, const QByteArray& bytes) {
        const QString path = home_.path() + "/" + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // One line naming the program: what every failure must give.
    static void ExpectOneLineFailure(const Result& r, const char* piece) {
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.err.startsWith("tarsel-local: ")) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(piece, Qt::CaseInsensitive)) << r.err.toStdString();
    }

    QTemporaryDir home_;
    QString home;
};

const QByteArray kApp =
    "!LANGUAGES\nEnglish\n!MEMBERS=Entity\nGroup\nFR01\nDE01\n"
    "!DESCRIPTIONS=Entity\nGroup;English;The group\n"
    "!HIERARCHIES=Entity\n;Group\nGroup;FR01\nGroup;DE01\n";
const QByteArray kLists =
    "Sub EnumMemberLists()\nSelect Case BR.Dimension\nCase \"Entity\"\n"
    "aEntityLists(1) = \"Europe\"\nBR.SetMemberLists aEntityLists\nEnd Select\nEnd Sub\n"
    "Sub EnumMembersInList()\nSelect Case BR.Dimension\nCase \"Entity\"\n"
    "Select Case BR.MemberListID\nCase 1\nBR.AddEntityToList \"Group\", \"FR01\"\n"
    "BR.AddMemberToList \"DE01\"\nEnd Select\nEnd Select\nEnd Sub\n";

TEST_F(TarselLocalTest, CreatesProvisionsListsAndSummarises) {
    ASSERT_EQ(Run({"create-cluster", "Prod"}).exitCode, 0);
    const Result created = Run({"create-app", "Prod", "Consol", WriteFile("c.app", kApp), "--lists",
                                WriteFile("c.lst", kLists)});
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
    EXPECT_TRUE(created.out.contains("3 members"));

    const Result added = Run({"add-user", "Prod", "alice"}, "s3cret pass\n");
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_FALSE((added.out + added.err).contains("s3cret"));
    ASSERT_EQ(Run({"provision", "Prod", "alice", "Consol", "--admin"}).exitCode, 0);

    const auto cluster = tarsel::local::ClusterStore::Open(home, "Prod");
    EXPECT_NO_THROW(cluster.CheckPassword("alice", "s3cret pass"));
    EXPECT_TRUE(cluster.IsAdministrator("alice", "Consol"));

    EXPECT_EQ(Run({"list-clusters"}).out, "Prod\n");
    EXPECT_EQ(Run({"list-apps", "Prod"}).out, "Consol\n");
    EXPECT_EQ(Run({"list-users", "Prod"}).out, "alice: Consol (administrator)\n");

    const Result summary = Run({"summary", "Prod", "Consol"});
    ASSERT_EQ(summary.exitCode, 0) << summary.err.toStdString();
    EXPECT_TRUE(summary.out.contains("Languages: English"));
    EXPECT_TRUE(summary.out.contains(QRegularExpression("Entity +3 Group\n")))
        << summary.out.toStdString();
    EXPECT_TRUE(summary.out.contains("Entity: Europe (2 members)"));
    EXPECT_TRUE(summary.out.contains("Member list file: stored"));
}

TEST_F(TarselLocalTest, SetPasswordReplacesTheOldOne) {
    ASSERT_EQ(Run({"create-cluster", "C"}).exitCode, 0);
    ASSERT_EQ(Run({"add-user", "C", "bob"}, "first\n").exitCode, 0);
    ASSERT_EQ(Run({"set-password", "C", "bob"}, "second\r\n").exitCode, 0);
    const auto cluster = tarsel::local::ClusterStore::Open(home, "C");
    EXPECT_NO_THROW(cluster.CheckPassword("bob", "second"));
    EXPECT_THROW(cluster.CheckPassword("bob", "first"), tarsel::TarselError);
}

TEST_F(TarselLocalTest, EveryFailureIsOneLineAndNonZero) {
    ASSERT_EQ(Run({"create-cluster", "C"}).exitCode, 0);
    ExpectOneLineFailure(Run({"create-cluster", "C"}), "already exists");
    ExpectOneLineFailure(Run({"list-apps", "Nowhere"}), "Nowhere");
    ExpectOneLineFailure(Run({"frobnicate"}), "unknown command");
    ExpectOneLineFailure(Run({"create-app", "C"}), "usage");
    ExpectOneLineFailure(Run({"provision", "C", "x", "y", "--root"}), "--root");
    ExpectOneLineFailure(Run({"add-user", "C", "eve"}, ""), "no password");
    ExpectOneLineFailure(Run({"add-user", "C", "eve"}, "\n"), "empty password");
    // A user that cannot be added, or whose password cannot be set, is refused before a
    // password is asked (standard input is empty here).
    ASSERT_EQ(Run({"add-user", "C", "bob"}, "pw\n").exitCode, 0);
    ExpectOneLineFailure(Run({"add-user", "C", "BOB"}, ""), "already exists");
    ExpectOneLineFailure(Run({"add-user", "C", "a/b"}, ""), "a/b");
    ExpectOneLineFailure(Run({"set-password", "C", "nobody"}, ""), "\"nobody\" is not known");
    ExpectOneLineFailure(Run({"provision", "C", "nobody", "App"}), "\"App\"");
    ExpectOneLineFailure(Run({"create-app", "C", "A", home_.path() + "/missing.app"}),
                         "missing.app");
    // The application's name is refused before its file is read.
    ASSERT_EQ(Run({"create-app", "C", "Taken", WriteFile("ok.app", kApp)}).exitCode, 0);
    ExpectOneLineFailure(Run({"create-app", "C", "TAKEN", home_.path() + "/missing.app"}),
                         "already exists");
    ExpectOneLineFailure(Run({"create-app", "C", ".hidden", home_.path() + "/missing.app"}),
                         ".hidden");

    // A line break in a name given on the command line stays inside the one line.
    ExpectOneLineFailure(Run({"list-apps", "No\nwhere"}), "No where");
    ExpectOneLineFailure(Run({"frob\r\nnicate"}), "unknown command");

    const QString bad = WriteFile("bad.app", "!MEMBERS=Entity\nA\nA\n");
    ExpectOneLineFailure(Run({"create-app", "C", "Bad", bad}), "bad.app, line 3");
    // With progress shown, the reason still gets a line of its own: the fault comes after
    // enough lines for the reader to have reported progress.
    QByteArray large = "!MEMBERS=Entity\n";
    for (int i = 0; i < 70000; ++i) {
        large += "E" + QByteArray::number(i) + "\n";
    }
    const QString largeBad = WriteFile("large.app", large + "E0\n");
    const Result progressed = Run({"create-app", "C", "Bad", largeBad, "--progress"});
    EXPECT_NE(progressed.exitCode, 0);
    const QStringList lines = progressed.err.split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.last(), "");
    EXPECT_TRUE(lines[lines.size() - 2].startsWith("tarsel-local: ") &&
                lines[lines.size() - 2].contains("large.app, line 70002"))
        << progressed.err.toStdString();
    const QString badList = WriteFile("bad.lst", "Sub EnumMemberLists()\nIf x Then\n");
    ExpectOneLineFailure(
        Run({"create-app", "C", "Bad", WriteFile("ok.app", kApp), "--lists", badList}),
        "bad.lst, line 2");
    EXPECT_EQ(Run({"list-apps", "C"}).out, "Taken\n");
}

TEST_F(TarselLocalTest, HelpOnEveryCommand) {
    for (const char* command :
         {"create-cluster", "create-app", "add-user", "set-password", "provision", "list-clusters",
          "list-apps", "list-users", "summary", "demo"}) {
        const Result r = Run({command, "--help"});
        EXPECT_EQ(r.exitCode, 0) << command;
        EXPECT_TRUE(r.out.startsWith("Usage: tarsel-local")) << command;
        EXPECT_TRUE(r.out.contains(command)) << command;
    }
    const Result general = Run({"--help"});
    EXPECT_EQ(general.exitCode, 0);
    EXPECT_TRUE(general.out.contains("create-app"));
}

TEST_F(TarselLocalTest, TarselHomeFromTheEnvironmentWhenNoHomeIsGiven) {
    ASSERT_EQ(Run({"create-cluster", "EnvCluster"}, {}, false).exitCode, 0);
    EXPECT_EQ(tarsel::local::ClusterStore::List(home_.path() + "/elsewhere"),
              QStringList{"EnvCluster"});
    EXPECT_TRUE(tarsel::local::ClusterStore::List(home).isEmpty());
}

TEST_F(TarselLocalTest, DemoCreatesWhatIsMissingOnceAndShowsIt) {
    // Without --from, the examples the build lays beside the program.
    const Result first = Run({"demo"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains("Created application Demo from " +
                                   QFileInfo(QStringLiteral(TARSEL_LOCAL_BINARY)).canonicalPath() +
                                   "/examples/demo/Demo.app"))
        << first.out.toStdString();
    EXPECT_TRUE(first.out.contains(QRegularExpression("Entity +60 Group, Segments")))
        << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("Entity: EuropeLegal"));
    // Logged on as demo, the programs see the system lists before the user lists.
    EXPECT_TRUE(first.out.contains(
        "Custom1: [Hierarchy], [Base], [Parents], [System], [Currencies], [ConsolMethods]\n"))
        << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("[System], EuropeLegal, KeyEntities, IndustrialSegment\n"));
    const auto cluster = tarsel::local::ClusterStore::Open(home, "Demo");
    EXPECT_NO_THROW(cluster.CheckPassword("demo", "demo"));
    EXPECT_TRUE(cluster.IsAdministrator("demo", "Demo"));

    const Result second = Run({"demo", "--from", TARSEL_DEMO_DIR});
    ASSERT_EQ(second.exitCode, 0);
    EXPECT_FALSE(second.out.contains("Created"));
    EXPECT_FALSE(second.out.contains("Added"));
    EXPECT_TRUE(second.out.contains("Application Demo in cluster Demo"));
}

}  // namespace
