// Rules and security loads and extracts through the real Tarsel_Batch program against a
// fresh local cluster, and the roles a security load grants.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "server/local/application_file.h"
#include "tests/batch/batch_test_support.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::batch::test {
namespace {

using tarsel::test::AppBuilder;
using tarsel::test::LocalServer;

const QByteArray kRules =
    "' Margin and tax of every entity\r\n"
    "Sub Calculate()\r\n"
    "    A#Margin = A#Sales - A#Costs   ' before tax\r\n"
    "    A#Tax.C1#[None] = (A#Margin - A#Costs.E#France) * 0.3\r\n"
    "    A#Sales.I#[ICP None] = -A#Costs\r\n"
    "End Sub\r\n";

const QByteArray kSecurity =
    "!USERS_AND_GROUPS\r\n"
    "Developers;reader\r\n"
    "!SECURITY_CLASSES\r\n"
    "Europe\r\n"
    "!ROLE_ACCESS\r\n"
    "Rules;Developers\r\n"
    "Security;admin\r\n"
    "!SECURITY_CLASS_ACCESS\r\n"
    "Europe;Developers;All\r\n";

class BatchSecurityE2E : public ::testing::Test, protected BatchFolder {
  protected:
    void SetUp() override {
        AppBuilder app;
        app.Children(Dimension::Entity, QString(), {QStringLiteral("France")});
        app.Children(Dimension::Account, QString(),
                     {QStringLiteral("Sales"), QStringLiteral("Costs"), QStringLiteral("Margin"),
                      QStringLiteral("Tax")});
        app.Relate(Dimension::Custom1, QString(), QStringLiteral("[None]"));
        server = std::make_unique<LocalServer>(app.Build());
        auto store = server->store();
        store.AddUser(QStringLiteral("reader"), QStringLiteral("reader-pw"));
        store.Provision(QStringLiteral("reader"), QStringLiteral("TestApp"), false);
    }

    // Runs the lines after a LOGON as user in the test's folder; the batch log, times masked.
    QString Run(const QByteArray& lines, const QByteArray& user = "admin",
                const QByteArray& password = "secret") {
        Write(QStringLiteral("job.txt"),
              "LOGON TestCluster, TestApp, " + user + ", " + password + "\r\n" + lines);
        QFile::remove(Path(QStringLiteral("job.log")));
        RunBatchProgram(QStringLiteral(TARSEL_BATCH_BINARY), dir.path(),
                        Path(QStringLiteral("job.txt")));
        return MaskTimes(ReadText(Path(QStringLiteral("job.log"))));
    }

    std::unique_ptr<LocalServer> server;
};

// The failure entry: the text, the subject line, the header and the detail.
QString Failure(const QString& text, const QString& subject, const QString& header,
                const QString& detail) {
    return QStringLiteral("  *  hh:mm:ss  ") + text + QStringLiteral("\r\n               -> ") +
           subject + QStringLiteral("\r\n               -> ") + header +
           QStringLiteral("\r\n               -> ") + detail + QStringLiteral("\r\n");
}

TEST_F(BatchSecurityE2E, RulesAreCheckedStoredWholeAndExtractedByteForByte) {
    Write(QStringLiteral("good.rls"), kRules);
    QString log =
        Run("LOAD_RULES good.rls, , false\r\n"
            "EXTRACT_RULES out.rls, out.log, True\r\n");
    EXPECT_TRUE(
        log.contains(QStringLiteral("     hh:mm:ss  Loaded rules file\r\n"
                                    "               -> good.rls\r\n")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Extracted rules file\r\n               -> out.rls")));
    EXPECT_EQ(Bytes(QStringLiteral("out.rls")), kRules);
    EXPECT_EQ(ReadText(Path(QStringLiteral("good.log"))), QStringLiteral("0 problems.\r\n"));

    // With the check of intercompany references, [ICP None] is unknown; with an unclosed
    // routine and an unknown member too, every error is logged and nothing is stored.
    QByteArray bad = kRules;
    bad.replace("E#France", "E#Mars").replace("End Sub\r\n", "");
    Write(QStringLiteral("bad.rls"), bad);
    log =
        Run("LOAD_RULES bad.rls, bad_load.log, TRUE\r\n"
            "LOAD_RULES good.rls, , MAYBE\r\n"
            "LOAD_RULES good.rls, \r\n"
            "EXTRACT_RULES after.rls,\r\n");
    EXPECT_TRUE(log.contains(Failure(
        QStringLiteral("Error loading rules file"), QStringLiteral("bad.rls"),
        QStringLiteral("Batch Error #40011"),
        QStringLiteral("An error or warning was issued by the syntax checker. See the Tarsel load "
                       "log for details."))))
        << log.toStdString();
    EXPECT_TRUE(log.contains(
        Failure(QStringLiteral("Error loading rules file"), QStringLiteral("good.rls"),
                QStringLiteral("Batch Error #40010"),
                QStringLiteral("Invalid entry for Check ICP. Expected 'True' or 'False'"))));
    EXPECT_TRUE(log.contains(QStringLiteral("Runtime Error #3")));
    EXPECT_EQ(
        ReadText(Path(QStringLiteral("bad_load.log"))),
        QStringLiteral("Error: bad.rls, line 2: Sub Calculate is never closed: End Sub "
                       "missing\r\n"
                       "Error: bad.rls, line 4: E#Mars: \"Mars\" is not a member of Entity\r\n"
                       "Error: bad.rls, line 5: I#[ICP None]: \"[ICP None]\" is not a member "
                       "of ICP\r\n"
                       "3 error(s), 0 warning(s): nothing was stored.\r\n"));
    EXPECT_EQ(Bytes(QStringLiteral("after.rls")), kRules);

    // A warning fails the command, but the file is legal and stored. A user without the
    // role has the flag judged first, then is refused by the server.
    const QByteArray helper = kRules + "Sub Helper()\r\n    A#Tax = 0\r\nEnd Sub\r\n";
    Write(QStringLiteral("helper.rls"), helper);
    log = Run("LOAD_RULES helper.rls, , FALSE\r\nEXTRACT_RULES after.rls,\r\n");
    EXPECT_TRUE(log.contains(QStringLiteral("Batch Error #40011")));
    EXPECT_EQ(Bytes(QStringLiteral("after.rls")), helper);
    EXPECT_TRUE(ReadText(Path(QStringLiteral("helper.log")))
                    .startsWith(QStringLiteral("Warning: helper.rls, line 7: the server never "
                                               "calls Sub Helper")));
    log = Run("LOAD_RULES good.rls, , SOMETIMES\r\nLOAD_RULES good.rls, , TRUE\r\n", "reader",
              "reader-pw");
    EXPECT_TRUE(log.contains(QStringLiteral("Batch Error #40010")));
    EXPECT_TRUE(log.contains(QStringLiteral("is not an administrator of the application")))
        << log.toStdString();
}

TEST_F(BatchSecurityE2E, SecurityRoundTripsGrantsRolesAndReportsInvalidUsers) {
    Write(QStringLiteral("security.txt"), kSecurity);
    QString log =
        Run("LOAD_SECURITY security.txt, , false, true, true, true, true\r\n"
            "EXTRACT_SECURITY first.txt, , TRUE, TRUE, TRUE, TRUE\r\n"
            "LOAD_SECURITY first.txt, , TRUE, TRUE, TRUE, TRUE, TRUE\r\n"
            "EXTRACT_SECURITY again.txt, , TRUE, TRUE, TRUE, TRUE\r\n"
            "EXTRACT_SECURITY classes.txt, , FALSE, TRUE, FALSE, FALSE, True\r\n");
    EXPECT_TRUE(
        log.contains(QStringLiteral("     hh:mm:ss  Loaded security. Clear All Security = FALSE, "
                                    "Load Users and Groups = TRUE, Load Security Classes = TRUE, "
                                    "\r\n                  Load Role Access = TRUE, Load "
                                    "Security Class Access = TRUE\r\n"
                                    "               -> security.txt\r\n")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Extracted security. Extract Users and Groups = FALSE, Extract Security Classes = TRUE, "
        "Extract Role Access = FALSE, Extract Security Class Access = FALSE\r\n")));
    EXPECT_EQ(Bytes(QStringLiteral("first.txt")), kSecurity);
    EXPECT_EQ(Bytes(QStringLiteral("again.txt")), kSecurity);
    EXPECT_EQ(Bytes(QStringLiteral("classes.txt")), "!SECURITY_CLASSES\r\nEurope\r\n");

    // The group's role lets reader load rules; metadata stays refused, naming the role.
    Write(QStringLiteral("rules.rls"), kRules);
    log =
        Run("LOAD_RULES rules.rls, , FALSE\r\n"
            "EXTRACT_METADATA meta.app, , APP\r\n"
            "LOAD_SECURITY security.txt, , MAYBE, TRUE, TRUE, TRUE, TRUE\r\n",
            "reader", "reader-pw");
    EXPECT_TRUE(log.contains(QStringLiteral("Loaded rules file"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral(
        "The user \"reader\" does not have the role Metadata of the application \"TestApp\"")));
    // The server's refusal shows before the option word is judged.
    EXPECT_TRUE(log.contains(QStringLiteral("does not have the role Security")));
    EXPECT_FALSE(log.contains(QStringLiteral("40052")));

    // A user the cluster does not know is left out, the rest loads, and the batch fails
    // with the failure text broken before "Load Security Classes".
    QByteArray invalid = kSecurity;
    invalid.replace("Developers;reader", "Developers;reader;zed;admin");
    Write(QStringLiteral("invalid.txt"), invalid);
    log =
        Run("LOAD_SECURITY invalid.txt, , FALSE, TRUE, FALSE, FALSE, FALSE\r\n"
            "EXTRACT_SECURITY groups.txt, , TRUE, FALSE, FALSE, FALSE\r\n");
    EXPECT_TRUE(log.contains(Failure(
        QStringLiteral("Error loading security. Clear All Security = FALSE, Load Users and Groups "
                       "= TRUE, \r\n                  Load Security Classes = FALSE, Load Role "
                       "Access = FALSE, Load Security Class Access = FALSE"),
        QStringLiteral("invalid.txt"), QStringLiteral("Batch Error #40057"),
        QStringLiteral("File contains invalid users."))))
        << log.toStdString();
    EXPECT_EQ(Bytes(QStringLiteral("groups.txt")),
              "!USERS_AND_GROUPS\r\nDevelopers;reader;admin\r\n");
    EXPECT_TRUE(ReadText(Path(QStringLiteral("invalid.log")))
                    .startsWith(QStringLiteral("Warning: invalid.txt, line 2: \"zed\" is not a "
                                               "user of the cluster; left out")));

    // Words are judged right before their options, after the loader is bound; too few
    // parameters show the texts with no words.
    log =
        Run("LOAD_SECURITY security.txt, , TRUE, TRUE, maybe, TRUE, TRUE\r\n"
            "EXTRACT_SECURITY x.txt, , TRUE, TRUE, no, TRUE\r\n"
            "LOAD_SECURITY security.txt, , TRUE\r\n");
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Batch Error #40054\r\n               -> Invalid entry for Load Security Classes.")));
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Error extracting security. Extract Users and Groups = TRUE, Extract Security Classes = "
        "TRUE, Extract Role Access = NO, Extract Security Class Access = TRUE\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("Batch Error #40060")));
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Error loading security. Clear All Security = , Load Users and Groups = , \r\n"
        "                  Load Security Classes = , Load Role Access = , Load Security Class "
        "Access = \r\n               -> \r\n               -> Batch Error #40048")))
        << log.toStdString();
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("x.txt"))));
}

}  // namespace
}  // namespace tarsel::batch::test
