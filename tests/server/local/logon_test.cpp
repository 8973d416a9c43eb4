// Logons to the local server: every refusal has its own code and says what to do; a
// successful logon knows the user and the administrator role.

#include <gtest/gtest.h>

#include "server/local/cluster_store.h"
#include "server/local/local_session.h"
#include "server/tarsel_error.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::test {
namespace {

class LocalLogonTest : public LocalServerTest {
  protected:
    void SetUp() override {
        LocalServer& s = StartServer(AppBuilder().Build());
        auto store = s.store();
        store.AddUser("outsider", "pw");
        store.CreateApplication("Other", AppBuilder().Build());
        store.AddUser("reader", "pw");
        store.Provision("reader", "TestApp", false);
    }
    // The code of the failure of one logon, and its description in *text.
    int32_t Refusal(const QString& user, const QString& password, const QString& cluster,
                    const QString& application, QString* text = nullptr,
                    const QString& product = "Tarsel", bool setInfo = true) {
        auto connection = server().library()->CreateClientConnection();
        if (setInfo) {
            connection->SetLogonInfo({}, user, {}, password);
        }
        try {
            connection->OpenApplication(cluster, product, application);
        } catch (const TarselError& error) {
            if (text) {
                *text = error.description();
            }
            EXPECT_FALSE(connection->GetLogonInfo().loggedOn);
            EXPECT_LT(error.number(), 0);
            return error.number();
        }
        return 0;
    }
};

TEST_F(LocalLogonTest, EveryRefusalHasItsOwnCodeAndSaysWhatToDo) {
    QString text;
    EXPECT_EQ(Refusal("admin", "secret", "TestCluster", "TestApp", &text, "Tarsel", false),
              code::kNoLogonInfo);
    EXPECT_EQ(Refusal("admin", "secret", "TestCluster", "TestApp", &text, "Essbase"),
              code::kUnknownProduct);
    EXPECT_EQ(Refusal("admin", "secret", "Nope", "TestApp", &text), code::kUnknownCluster);
    EXPECT_TRUE(text.contains("Nope"));
    EXPECT_TRUE(text.contains("tarsel-local"));
    EXPECT_EQ(Refusal("nobody", "secret", "TestCluster", "TestApp", &text), code::kUnknownUser);
    EXPECT_TRUE(text.contains("nobody"));
    EXPECT_EQ(Refusal("admin", "SECRET", "TestCluster", "TestApp", &text), code::kWrongPassword);
    EXPECT_FALSE(text.contains("SECRET")) << "a password went into a message";
    EXPECT_EQ(Refusal("admin", "", "TestCluster", "TestApp"), code::kWrongPassword);
    EXPECT_EQ(Refusal("admin", "secret", "TestCluster", "Missing", &text),
              code::kUnknownApplication);
    EXPECT_TRUE(text.contains("Missing"));
    EXPECT_EQ(Refusal("outsider", "pw", "TestCluster", "TestApp", &text), code::kNotProvisioned);
    EXPECT_TRUE(text.contains("provision"));
    // An unknown user learns nothing about the applications.
    EXPECT_EQ(Refusal("nobody", "x", "TestCluster", "Missing"), code::kUnknownUser);
    EXPECT_EQ(Refusal("admin", "secret", "../TestCluster", "TestApp"), code::kUnknownCluster);
    EXPECT_EQ(Refusal("admin", "secret", "TestCluster", "../TestCluster/TestApp"),
              code::kUnknownApplication);
}

TEST_F(LocalLogonTest, ALogonKnowsTheUserAndTheAdministratorRole) {
    auto connection = server().library()->CreateClientConnection();
    connection->SetLogonInfo("domain", "Admin", {}, "secret");
    const OpenedApplication opened =
        connection->OpenApplication("testcluster", "Tarsel", "testapp");
    ASSERT_TRUE(opened.session);
    ASSERT_TRUE(opened.clientSession);
    const LogonInfo info = connection->GetLogonInfo();
    EXPECT_TRUE(info.loggedOn);
    EXPECT_EQ(info.userName, QStringLiteral("Admin"));
    auto local = local::AsLocalSession(opened.session);
    ASSERT_TRUE(local);
    EXPECT_TRUE(local->isAdministrator());
    EXPECT_EQ(opened.session->SystemInfo()->GetApplicationName(), QStringLiteral("TestApp"));

    connection->SetLogonInfo({}, "reader", {}, "pw");
    auto reader = local::AsLocalSession(
        connection->OpenApplication("TestCluster", "Tarsel", "TestApp").session);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->isAdministrator());
    try {
        reader->RequireAdministrator("metadata loads");
        FAIL();
    } catch (const TarselError& error) {
        EXPECT_EQ(error.number(), code::kAccessDenied);
        EXPECT_TRUE(error.description().contains("reader"));
    }
}

TEST_F(LocalLogonTest, UnbuiltServicesFailWithNotImplemented) {
    auto expectNotAvailable = [](const std::function<void()>& call, const char* what) {
        try {
            call();
            ADD_FAILURE() << what << " succeeded";
        } catch (const TarselError& error) {
            EXPECT_EQ(error.number(), code::kNotImplemented) << what;
            EXPECT_TRUE(error.description().contains(
                "is not available in this build of the local Tarsel server"))
                << error.description().toStdString();
        }
    };
    auto& library = *server().library();
    auto session = server().Session();
    expectNotAvailable([&] { library.CreateLogonPrompt(); }, "logon prompt");
    expectNotAvailable(
        [&] {
            auto load = library.CreateMetadataLoad();
            load->SetSession(session);
            load->GetExtractOptions()->Item(14)->SetCurrentValue(int32_t{1});
            load->Extract("a.xml", "b");
        },
        "metadata .xml extract");
    expectNotAvailable(
        [&] {
            auto load = library.CreateRulesLoad();
            load->SetSession(session, -2);
            load->ExtractRulesFile("a", "b");
        },
        "rules");
    expectNotAvailable([&] { library.CreateJournalLoad()->Extract("a", "b"); }, "journals");
    expectNotAvailable([&] { library.CreateSecurityLoad()->Load("a", "b"); }, "security");
    expectNotAvailable([&] { session->GetAdministration()->RemoveInvalidRecords(0, 1, "x"); },
                       "remove invalid records");
}

TEST(LocalErrorHandler, VersionAndMessages) {
    LocalServer server(AppBuilder().Build());
    auto handler = server.library()->CreateErrorHandlerComponent();
    handler->SetOption(1);
    qunsetenv("TARSEL_CLIENT_VERSION");
    EXPECT_EQ(handler->GetVersion(), QStringLiteral("11.1.2.0"));
    qputenv("TARSEL_CLIENT_VERSION", "9.3.1");
    EXPECT_EQ(handler->GetVersion(), QStringLiteral("9.3.1"));
    qunsetenv("TARSEL_CLIENT_VERSION");

    using namespace code;
    for (int32_t number : {kUnknownCluster,
                           kUnknownApplication,
                           kUnknownUser,
                           kWrongPassword,
                           kNotProvisioned,
                           kNotLoggedOn,
                           kNoLogonInfo,
                           kUnknownProduct,
                           kUnknownMember,
                           kUnknownMemberId,
                           kUnknownDimension,
                           kUnknownMemberList,
                           kUnknownSecurityClass,
                           kWrongDimensionKind,
                           kUnknownOption,
                           kWrongOptionValue,
                           kNoSession,
                           kAccessDenied,
                           kFileNotFound,
                           kFileUnreadable,
                           kFileUnwritable,
                           kMalformedFile,
                           kStoreFailure,
                           kStoreBusy,
                           kSchemaMismatch,
                           kAlreadyExists,
                           kInvalidName,
                           kNotImplemented,
                           kInternal}) {
        const auto message = handler->GetErrorMessage(0, number, {}, "Unknown Error");
        EXPECT_NE(message.text, QStringLiteral("Unknown Error")) << number;
        EXPECT_FALSE(message.text.isEmpty()) << number;
    }
    EXPECT_EQ(handler->GetErrorMessage(0, code::kWrongPassword, {}, "Unknown Error").text,
              QStringLiteral("The password is wrong."));
    EXPECT_EQ(handler->GetErrorMessage(0, code::kUnknownMember, "No member \"X\".", "F").text,
              QStringLiteral("No member \"X\"."));
    EXPECT_EQ(handler->GetErrorMessage(0, -5, "Something broke", "F").text,
              QStringLiteral("Something broke"));
    EXPECT_EQ(handler->GetErrorMessage(0, -5, {}, "Unknown Error").text,
              QStringLiteral("Unknown Error"));
}

}  // namespace
}  // namespace tarsel::test
