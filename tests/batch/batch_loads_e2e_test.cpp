// Loads and extracts through the real Tarsel_Batch program against a fresh local cluster.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "server/local/application_file.h"
#include "server/local/format/app_text.h"
#include "tests/batch/batch_test_support.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::batch::test {
namespace {

using tarsel::test::AppBuilder;
using tarsel::test::LocalServer;

const QByteArray kLists =
    "Sub EnumMemberLists()\r\n"
    "\tDim aEntityLists(2)\r\n"
    "\tSelect Case BR.Dimension\r\n"
    "\t\tCase \"Entity\"\r\n"
    "\t\t\taEntityLists(1) = \"Europe\"\r\n"
    "\t\t\taEntityLists(2) = \"Outside\"\r\n"
    "\t\t\tBR.SetMemberLists aEntityLists\r\n"
    "\tEnd Select\r\n"
    "End Sub\r\n"
    "Sub EnumMembersInList()\r\n"
    "\tSelect Case BR.Dimension\r\n"
    "\t\tCase \"Entity\"\r\n"
    "\t\t\tSelect Case BR.MemberListID\r\n"
    "\t\t\t\tCase 1\r\n"
    "\t\t\t\t\tBR.AddEntityToList \"World\", \"France\"\r\n"
    "\t\t\t\t\tBR.AddMemberToList \"Germany\"\r\n"
    "\t\t\t\tCase 2\r\n"
    "\t\t\t\t\tBR.AddMemberToList \"@MEMBER\"\r\n"
    "\t\t\tEnd Select\r\n"
    "\tEnd Select\r\n"
    "End Sub\r\n";

class BatchLoadsE2E : public ::testing::Test, protected BatchFolder {
  protected:
    void SetUp() override {
        AppBuilder app;
        app.Children(Dimension::Entity, QString(), {QStringLiteral("World")});
        app.Children(Dimension::Entity, QStringLiteral("World"),
                     {QStringLiteral("France"), QStringLiteral("Germany"), QStringLiteral("US")});
        app.Describe(Dimension::Entity, QStringLiteral("France"), QStringLiteral("La France"));
        app.Relate(Dimension::Account, QString(), QStringLiteral("Sales"));
        model = app.Build();
        server = std::make_unique<LocalServer>(model);
        auto store = server->store();
        store.AddUser(QStringLiteral("reader"), QStringLiteral("reader-pw"));
        store.Provision(QStringLiteral("reader"), QStringLiteral("TestApp"), false);
    }

    // Runs the lines after a LOGON as user in the test's folder; the batch log, times masked.
    QString Run(const QByteArray& lines, const QString& user = QStringLiteral("admin"),
                const QString& password = QStringLiteral("secret")) {
        const QString job =
            Write(QStringLiteral("job.txt"), "LOGON TestCluster, TestApp, " + user.toUtf8() + ", " +
                                                 password.toUtf8() + "\r\n" + lines);
        QFile::remove(Path(QStringLiteral("job.log")));
        RunBatchProgram(QStringLiteral(TARSEL_BATCH_BINARY), dir.path(), job);
        return MaskTimes(ReadText(Path(QStringLiteral("job.log"))));
    }

    local::AppModel model;
    std::unique_ptr<LocalServer> server;
};

TEST_F(BatchLoadsE2E, MemberListsLoadWholeOrNotAtAllAndComeBackByteForByte) {
    // A clean file replaces the lists; its log lies beside it; the extract gives it back.
    QByteArray good = kLists;
    good.replace("@MEMBER", "US");
    Write(QStringLiteral("good.lst"), good);
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("out")));
    QString log =
        Run("LOAD_MEMBER_LISTS good.lst, \r\n"
            "EXTRACT_MEMBER_LISTS out/lists.lst, out/extract.log, True\r\n");
    EXPECT_TRUE(
        log.contains(LogEntry(QStringLiteral(" "), QStringLiteral("Loaded member lists file"),
                              {QStringLiteral("good.lst")})))
        << log.toStdString();
    EXPECT_TRUE(
        log.contains(LogEntry(QStringLiteral(" "), QStringLiteral("Extracted member lists file"),
                              {QStringLiteral("out/lists.lst")})));
    EXPECT_EQ(Bytes(QStringLiteral("out/lists.lst")), good);
    EXPECT_TRUE(ReadText(Path(QStringLiteral("good.log"))).contains(QStringLiteral("0 problems")));
    auto entity = server->Tree(Dimension::Entity);
    EXPECT_GE(entity->GetMemberListID(QStringLiteral("Outside")), 0);

    // Two unknown members: both named with file and line, nothing stored, and the load
    // log says "error" on those lines only.
    QByteArray bad = kLists;
    bad.replace("@MEMBER", "Mars").replace("\"Germany\"", "\"Venus\"");
    Write(QStringLiteral("bad.lst"), bad);
    log =
        Run("LOAD_MEMBER_LISTS bad.lst, bad_load.log\r\n"
            "EXTRACT_MEMBER_LISTS after.lst,\r\n");
    EXPECT_TRUE(log.contains(
        LogEntry(QStringLiteral("*"), QStringLiteral("Error loading member lists file"),
                 {QStringLiteral("bad.lst"), QStringLiteral("Batch Error #40013"),
                  QStringLiteral("An error or warning was issued by the syntax "
                                 "checker. See the Tarsel load log for "
                                 "details.")})))
        << log.toStdString();
    const QStringList lines = ReadText(Path(QStringLiteral("bad_load.log")))
                                  .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0),
              QStringLiteral(
                  "Error: bad.lst, line 16: list \"Europe\": \"Venus\" is not a member of Entity"));
    EXPECT_EQ(lines.value(1),
              QStringLiteral(
                  "Error: bad.lst, line 18: list \"Outside\": \"Mars\" is not a member of Entity"));
    EXPECT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_EQ(Bytes(QStringLiteral("after.lst")), good);

    // A list without members is kept, with a warning the batch reports; no "error" in the log.
    QByteArray empty = kLists;
    empty.replace("\t\t\t\t\tBR.AddMemberToList \"@MEMBER\"\r\n", "");
    Write(QStringLiteral("empty.lst"), empty);
    log = Run("LOAD_MEMBER_LISTS empty.lst,\r\nEXTRACT_MEMBER_LISTS after.lst,\r\n");
    EXPECT_TRUE(log.contains(QStringLiteral("Batch Error #40013")));
    const QString warnings = ReadText(Path(QStringLiteral("empty.log")));
    EXPECT_TRUE(warnings.startsWith(
        QStringLiteral("Warning: empty.lst: list \"Outside\" of Entity names no member")))
        << warnings.toStdString();
    EXPECT_FALSE(warnings.contains(QStringLiteral("error"), Qt::CaseInsensitive));
    EXPECT_EQ(Bytes(QStringLiteral("after.lst")), empty);

    // A placeholder left in by the builder stops the reader at its line; a folder is no file.
    QByteArray placeholder = kLists;
    placeholder.replace("Case 2", "Case #");
    Write(QStringLiteral("placeholder.lst"), placeholder);
    log =
        Run("LOAD_MEMBER_LISTS placeholder.lst,\r\nLOAD_MEMBER_LISTS out, folder.log\r\n"
            "EXTRACT_MEMBER_LISTS after.lst,\r\n");
    EXPECT_TRUE(ReadText(Path(QStringLiteral("placeholder.log")))
                    .startsWith(QStringLiteral("Error: placeholder.lst, line 17: the "
                                               "placeholder # is still in")))
        << ReadText(Path(QStringLiteral("placeholder.log"))).toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("out: is a folder, not a file"))) << log.toStdString();
    EXPECT_EQ(Bytes(QStringLiteral("after.lst")), empty);
}

TEST_F(BatchLoadsE2E, MetadataExtractGivesTheCanonicalTextAndChecksItsFormatFirst) {
    const QString log =
        Run("EXTRACT_METADATA app.app, , app\r\n"
            "EXTRACT_METADATA app.txt, , TXT\r\n");
    EXPECT_TRUE(log.contains(LogEntry(QStringLiteral(" "), QStringLiteral("Extracted metadata"),
                                      {QStringLiteral("app.app")})))
        << log.toStdString();
    EXPECT_EQ(Bytes(QStringLiteral("app.app")), local::format::WriteAppText(model));
    EXPECT_TRUE(ReadText(Path(QStringLiteral("app.log"))).contains(QStringLiteral("0 problems")));
    EXPECT_TRUE(log.contains(
        LogEntry(QStringLiteral("*"), QStringLiteral("Error extracting metadata"),
                 {QStringLiteral("app.txt"), QStringLiteral("Batch Error #40068"),
                  QStringLiteral("Unrecognized metadata file type. Expected 'XML' or 'App'")})));

    // A user without the role: the format word is judged before the server is asked, the
    // load's option words only after it (so the refusal of the server shows first).
    const QString refused =
        Run("EXTRACT_METADATA a.app, , TXT\r\n"
            "EXTRACT_METADATA a.app, , APP\r\n"
            "LOAD_METADATA a.app, , SOMETIMES, TRUE\r\n"
            "EXTRACT_MEMBER_LISTS a.lst, \r\n",
            QStringLiteral("reader"), QStringLiteral("reader-pw"));
    EXPECT_EQ(refused.count(QStringLiteral("Batch Error #40068")), 1) << refused.toStdString();
    EXPECT_EQ(refused.count(QStringLiteral("Tarsel Error #-2147215023")), 3);
    EXPECT_FALSE(refused.contains(QStringLiteral("40006")));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("a.app"))));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("a.lst"))));
}

TEST_F(BatchLoadsE2E, MetadataLoadsKeepIdsAndStoreAllOrNothing) {
    auto idOf = [this](const char* label) {
        return server->Tree(Dimension::Entity)->GetMemberID(QString::fromLatin1(label));
    };
    const MemberId france = idOf("France");
    const MemberId us = idOf("US");

    // Extract, load it back with REPLACE, extract again: the same bytes.
    ASSERT_TRUE(Run("EXTRACT_METADATA before.app, , APP\r\n")
                    .contains(QStringLiteral("Extracted metadata")));
    QString log =
        Run("LOAD_METADATA before.app, replace.log, replace, false\r\n"
            "EXTRACT_METADATA again.app, , APP\r\n");
    EXPECT_TRUE(log.contains(
        LogEntry(QStringLiteral(" "),
                 QStringLiteral("Loaded metadata file using REPLACE mode. Check Integrity = FALSE"),
                 {QStringLiteral("before.app")})))
        << log.toStdString();
    EXPECT_EQ(Bytes(QStringLiteral("again.app")), Bytes(QStringLiteral("before.app")));
    EXPECT_EQ(Bytes(QStringLiteral("before.app")), local::format::WriteAppText(model));

    // MERGE adds Spain and a description, keeps what the file leaves out, and France
    // keeps its id. A scan of the same file first changes nothing.
    AppBuilder merge;
    merge.Languages({QStringLiteral("English"), QStringLiteral("French")});
    merge.Children(Dimension::Entity, QStringLiteral("World"),
                   {QStringLiteral("France"), QStringLiteral("Spain")});
    merge.Describe(Dimension::Entity, QStringLiteral("Spain"), QStringLiteral("Espagne"), 1);
    merge.Add(Dimension::Entity, QStringLiteral("France")).userDefined[0] = QStringLiteral("FR");
    Write(QStringLiteral("merge.app"), local::format::WriteAppText(merge.Build()));
    log =
        Run("SCAN_METADATA merge.app, , MERGE, FALSE\r\n"
            "EXTRACT_METADATA scanned.app, , APP\r\n"
            "LOAD_METADATA merge.app, , Merge, True\r\n");
    EXPECT_TRUE(log.contains(
        QStringLiteral("Scanned metadata file using MERGE mode. Check Integrity = FALSE")));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Loaded metadata file using MERGE mode. Check Integrity = TRUE")))
        << log.toStdString();
    EXPECT_EQ(Bytes(QStringLiteral("scanned.app")), Bytes(QStringLiteral("before.app")));
    EXPECT_EQ(idOf("France"), france);
    EXPECT_EQ(idOf("US"), us);
    auto entity = server->Tree(Dimension::Entity);
    const MemberId spain = entity->GetMemberID(QStringLiteral("Spain"));
    EXPECT_GT(spain, us);
    EXPECT_EQ(entity->GetMemberDescription(spain, 1), QStringLiteral("Espagne"));
    EXPECT_EQ(entity->GetMemberDescription(france, 0), QStringLiteral("La France"));
    EXPECT_EQ(entity->EnumChildMemberIDs(-1, entity->GetMemberID(QStringLiteral("World"))).size(),
              4u);

    // A file with an error stores nothing, and the batch says how many the log lists.
    Run("EXTRACT_METADATA merged.app, , APP\r\n");
    const QByteArray merged = Bytes(QStringLiteral("merged.app"));
    QByteArray bad = Bytes(QStringLiteral("merge.app"));
    bad.replace("World;Spain", "World;Mars");
    Write(QStringLiteral("bad.app"), bad);
    log =
        Run("LOAD_METADATA bad.app, , REPLACE, FALSE\r\n"
            "SCAN_METADATA bad.app, , REPLACE, FALSE\r\n"
            "EXTRACT_METADATA after.app, , APP\r\n");
    EXPECT_TRUE(
        log.contains(QStringLiteral("Error loading metadata file\r\n"
                                    "               -> bad.app\r\n"
                                    "               -> Tarsel Error #-2147215033\r\n"
                                    "               -> The metadata file bad.app has 1 "
                                    "error(s), listed in the load log bad.log")))
        << log.toStdString();
    EXPECT_TRUE(
        log.contains(QStringLiteral("Metadata scan has identified errors in the metadata file.")));
    EXPECT_TRUE(ReadText(Path(QStringLiteral("bad.log")))
                    .startsWith(QStringLiteral("Error: bad.app, line ")));
    EXPECT_EQ(Bytes(QStringLiteral("after.app")), merged);

    // REPLACE makes the Entity dimension the file's: US and Germany go, France keeps its
    // id, the other dimensions stay.
    AppBuilder replace;
    replace.Children(Dimension::Entity, QString(), {QStringLiteral("World")});
    replace.Children(Dimension::Entity, QStringLiteral("World"),
                     {QStringLiteral("Japan"), QStringLiteral("France")});
    Write(QStringLiteral("replace.app"), local::format::WriteAppText(replace.Build()));
    log = Run("LOAD_METADATA replace.app, , REPLACE, FALSE\r\n");
    entity = server->Tree(Dimension::Entity);
    EXPECT_EQ(entity->EnumAllMemberLabels(), QStringList({"World", "France", "Japan"}));
    EXPECT_EQ(entity->GetMemberID(QStringLiteral("France")), france);
    EXPECT_GT(entity->GetMemberID(QStringLiteral("Japan")), spain);
    EXPECT_EQ(server->Tree(Dimension::Account)->EnumAllMemberLabels(), QStringList({"Sales"}));
    // With the ids of the members that went left unused, the round trip still holds.
    Run("EXTRACT_METADATA gaps.app, , APP\r\nLOAD_METADATA gaps.app, , REPLACE, FALSE\r\n"
        "EXTRACT_METADATA gaps_again.app, , APP\r\n");
    EXPECT_TRUE(Bytes(QStringLiteral("gaps.app")).contains("World;Japan\r\n"));
    EXPECT_EQ(Bytes(QStringLiteral("gaps_again.app")), Bytes(QStringLiteral("gaps.app")));

    // CLEAR, given in lower case, leaves only what the file holds, numbered afresh.
    log = Run("LOAD_METADATA replace.app, , clear, false\r\n");
    EXPECT_TRUE(log.contains(
        QStringLiteral("Loaded metadata file using CLEAR mode. Check Integrity = FALSE")));
    EXPECT_TRUE(server->Tree(Dimension::Account)->EnumAllMemberLabels().isEmpty());
    EXPECT_EQ(server->Tree(Dimension::Entity)->GetMemberID(QStringLiteral("Japan")), 1);
}

TEST_F(BatchLoadsE2E, XmlAndAppCarryTheSameMetadata) {
    // .app -> load -> .xml extract -> load -> .app extract: the same bytes; each format's
    // extract, loaded back with REPLACE, extracts the same again.
    Write(QStringLiteral("start.app"), local::format::WriteAppText(model));
    QString log =
        Run("LOAD_METADATA start.app, , REPLACE, FALSE\r\n"
            "EXTRACT_METADATA first.xml, , XML\r\n"
            "LOAD_METADATA first.xml, xml.log, REPLACE, FALSE\r\n"
            "EXTRACT_METADATA second.xml, , XML\r\n"
            "EXTRACT_METADATA last.app, , APP\r\n");
    EXPECT_TRUE(log.contains(LogEntry(QStringLiteral(" "), QStringLiteral("Extracted metadata"),
                                      {QStringLiteral("first.xml")})))
        << log.toStdString();
    EXPECT_EQ(Bytes(QStringLiteral("last.app")), Bytes(QStringLiteral("start.app")));
    EXPECT_EQ(Bytes(QStringLiteral("second.xml")), Bytes(QStringLiteral("first.xml")));
    EXPECT_TRUE(Bytes(QStringLiteral("first.xml"))
                    .contains("<description language=\"English\">La France</description>"));
    EXPECT_TRUE(ReadText(Path(QStringLiteral("xml.log"))).contains(QStringLiteral("0 problems")));

    // A broken .xml stores nothing and its log names the line.
    QByteArray broken = Bytes(QStringLiteral("first.xml"));
    broken.replace("<member label=\"US\"/>", "<member label=\"US\">");
    Write(QStringLiteral("broken.xml"), broken);
    log =
        Run("LOAD_METADATA broken.xml, , MERGE, FALSE\r\n"
            "EXTRACT_METADATA after.app, , APP\r\n");
    EXPECT_TRUE(log.contains(QStringLiteral("Error loading metadata file"))) << log.toStdString();
    EXPECT_TRUE(ReadText(Path(QStringLiteral("broken.log")))
                    .startsWith(QStringLiteral("Error: broken.xml, line ")));
    EXPECT_EQ(Bytes(QStringLiteral("after.app")), Bytes(QStringLiteral("start.app")));
}

}  // namespace
}  // namespace tarsel::batch::test
