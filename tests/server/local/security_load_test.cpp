// Security loads on the local server: bad files are refused whole, and the roles and class
// access a load grants decide what a user who is no administrator may do.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "server/local/format/app_text.h"
#include "server/local/local_session.h"
#include "server/tarsel_error.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel {
namespace {

using local::format::Role;
using test::AppBuilder;
using test::FailureOf;

const QByteArray kEverySection =
    "!USERS_AND_GROUPS\n!SECURITY_CLASSES\n!ROLE_ACCESS\n!SECURITY_CLASS_ACCESS\n";

class LocalSecurityLoad : public test::LocalServerTest {
  protected:
    void SetUp() override {
        StartServer(AppBuilder()
                        .SecurityClass("Europe")
                        .SecurityClass("Asia")
                        .Children(Dimension::Entity, {}, {"World"})
                        .Build());
        auto store = server().store();
        store.AddUser("reader", "reader-pw");
        store.Provision("reader", "TestApp", false);
    }

    QString Write(const QByteArray& bytes) {
        QFile file(dir.filePath("security.txt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return file.fileName();
    }
    QString Read(const QString& name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Loads bytes with options 2..6 as given; the invalid-users flag.
    bool Load(const QByteArray& bytes,
              std::array<bool, 5> options = {false, true, true, true, true}) {
        auto loader = server().library()->CreateSecurityLoad();
        loader->SetSession(server().Session());
        for (int i = 0; i < 5; ++i) {
            loader->GetLoadOptions()->Item(2 + i)->SetCurrentValue(options[i]);
        }
        return loader->Load(Write(bytes), dir.filePath("load.log"));
    }
    QString Extract() {
        auto loader = server().library()->CreateSecurityLoad();
        loader->SetSession(server().Session());
        for (int i = 2; i <= 5; ++i) {
            loader->GetExtractOptions()->Item(i)->SetCurrentValue(true);
        }
        loader->Extract(dir.filePath("out.txt"), dir.filePath("out.log"));
        return Read("out.txt");
    }
    std::shared_ptr<local::LocalApplicationSession> Reader() {
        auto connection = server().library()->CreateClientConnection();
        connection->SetLogonInfo({}, "reader", {}, "reader-pw");
        return local::AsLocalSession(
            connection->OpenApplication("TestCluster", "Tarsel", "TestApp").session);
    }

    QTemporaryDir dir;
};


TEST_F(LocalSecurityLoad, ABadFileIsRefusedWholeNamingEveryProblem) {
    const QByteArray good = "!SECURITY_CLASSES\nEurope\n";
    struct Case {
        QByteArray text;
        const char* logLine;  // after "security.txt, "
    } cases[] = {
        {good + "!SECURITY_CLASS_ACCESS\nMoon;reader;All\n",
         "line 4: unknown security class \"Moon\""},
        {good + "!ROLE_ACCESS\nJanitor;reader\n", "line 4: unknown role \"Janitor\""},
        {good + "!SECURITY_CLASS_ACCESS\nEurope;reader;Write\n",
         "line 4: unknown access level \"Write\""},
        {good + "!SECURITY_CLASSES\nAsia\n",
         "line 3: section !SECURITY_CLASSES is given twice (first on line 1)"},
        {"!PASSWORDS\nx\n", "line 1: unknown section \"!PASSWORDS\""},
        {"reader\n", "line 1: a record before the first section"},
        {"!ROLE_ACCESS\nRules\n", "line 2: 1 field(s) where the section wants 2"},
        {"!USERS_AND_GROUPS\nreader;admin\n",
         "line 2: the group \"reader\" has the name of a user of the cluster"},
        {good + "!USERS_AND_GROUPS\nDev\xff;reader\n", "line 4: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logLine);
        QString text;
        EXPECT_EQ(FailureOf([&] { Load(c.text); }, &text), code::kMalformedFile);
        EXPECT_TRUE(text.contains("listed in the load log")) << text.toStdString();
        EXPECT_TRUE(
            Read("load.log")
                .startsWith(
                    QStringLiteral("Error: %1, %2").arg(dir.filePath("security.txt"), c.logLine)))
            << Read("load.log").toStdString();
        EXPECT_EQ(Extract(),
                  "!USERS_AND_GROUPS\r\n!SECURITY_CLASSES\r\nEurope\r\nAsia\r\n"
                  "!ROLE_ACCESS\r\n!SECURITY_CLASS_ACCESS\r\n");
    }
    EXPECT_EQ(FailureOf([&] { server().library()->CreateSecurityLoad()->Load("a", "b"); }),
              code::kNoSession);
    EXPECT_EQ(FailureOf([&] {
                  auto loader = server().library()->CreateSecurityLoad();
                  loader->SetSession(server().Session());
                  loader->Load(dir.path(), dir.filePath("x.log"));
              }),
              code::kFileUnreadable);
}

TEST_F(LocalSecurityLoad, RolesAndClassAccessComeFromUsersAndTheirGroups) {
    // Without role access only administrators run loads, as before any security.
    const auto reader = Reader();
    EXPECT_EQ(FailureOf([&] { reader->RequireRole(Role::Metadata, "metadata loads"); }),
              code::kAccessDenied);
    EXPECT_TRUE(reader->WritableSecurityClasses().every);

    EXPECT_FALSE(
        Load("!USERS_AND_GROUPS\nAuditors;READER\n"
             "!SECURITY_CLASSES\nAmericas\n"
             "!ROLE_ACCESS\nMetadata;auditors\n"
             "!SECURITY_CLASS_ACCESS\nAsia;Auditors;All\nAmericas;reader;Promote\n"
             "europe;reader;All\nEurope;Auditors;Read\n"));
    // Names come back as the cluster and the application spell them.
    EXPECT_EQ(Extract(),
              "!USERS_AND_GROUPS\r\nAuditors;reader\r\n!SECURITY_CLASSES\r\nEurope\r\nAsia\r\n"
              "Americas\r\n!ROLE_ACCESS\r\nMetadata;Auditors\r\n!SECURITY_CLASS_ACCESS\r\n"
              "Asia;Auditors;All\r\nAmericas;reader;Promote\r\nEurope;reader;All\r\n"
              "Europe;Auditors;Read\r\n");
    reader->RequireRole(Role::Metadata, "metadata loads");
    QString refusal;
    EXPECT_EQ(FailureOf([&] { reader->RequireRole(Role::Data, "data loads"); }, &refusal),
              code::kAccessDenied);
    EXPECT_TRUE(refusal.contains("does not have the role Data")) << refusal.toStdString();
    // The highest level of the user and its groups counts: Europe (0) and Asia (1).
    const local::WritableClasses writable = reader->WritableSecurityClasses();
    EXPECT_FALSE(writable.every);
    EXPECT_EQ(writable.classIds, (std::vector<int32_t>{0, 1}));
    EXPECT_TRUE(local::AsLocalSession(server().Session())->WritableSecurityClasses().every);

    // A metadata load that numbers the classes afresh leaves the access with its class.
    auto metadata = server().library()->CreateMetadataLoad();
    metadata->SetSession(server().Session());
    metadata->GetLoadOptions()->Item(9)->SetCurrentValue(true);
    QFile app(dir.filePath("clear.app"));
    ASSERT_TRUE(app.open(QIODevice::WriteOnly));
    app.write(local::format::WriteAppText(
        AppBuilder().SecurityClass("Asia").Children(Dimension::Entity, {}, {"World"}).Build()));
    app.close();
    metadata->Load(app.fileName(), dir.filePath("clear.log"));
    EXPECT_EQ(reader->WritableSecurityClasses().classIds, (std::vector<int32_t>{0}));

    // Clearing removes groups and grants but keeps the classes members refer to; an
    // unknown user is left out and reported, the rest is stored.
    EXPECT_TRUE(Load("!ROLE_ACCESS\nRules;reader\nRules;nobody\n", {true, true, true, true, true}));
    EXPECT_EQ(Extract(),
              "!USERS_AND_GROUPS\r\n!SECURITY_CLASSES\r\nAsia\r\n!ROLE_ACCESS\r\n"
              "Rules;reader\r\n!SECURITY_CLASS_ACCESS\r\n");
    EXPECT_TRUE(Read("load.log")
                    .contains("\"nobody\" is neither a group of the application nor "
                              "a user of the cluster"));
    EXPECT_FALSE(Read("load.log").contains("error", Qt::CaseInsensitive));
    EXPECT_EQ(FailureOf([&] { reader->RequireRole(Role::Metadata, "metadata loads"); }),
              code::kAccessDenied);
    EXPECT_TRUE(reader->WritableSecurityClasses().every);

    // Only the sections chosen are loaded: role access alone leaves the rest.
    EXPECT_FALSE(Load("!SECURITY_CLASSES\nOceania\n!ROLE_ACCESS\nAdministrator;reader\n",
                      {false, false, false, true, false}));
    EXPECT_FALSE(Extract().contains("Oceania"));
    reader->RequireRole(Role::Security, "security loads");
}

}  // namespace
}  // namespace tarsel
