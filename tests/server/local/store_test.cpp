// The application store: what CreateApplication refuses (leaving nothing behind), what it
// gives back, and the names and versions it accepts.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "server/local/app_schema.h"
#include "server/local/cluster_store.h"
#include "server/local/password_hash.h"
#include "server/local/sqlite_db.h"
#include "server/tarsel_error.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::test {
namespace {

using local::AppModel;
using local::ClusterStore;

class LocalStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        local::SetPasswordHashCost(local::HashCost::Minimal);
        store.emplace(ClusterStore::Create(dir.path(), "C"));
    }
    // The creation must fail with the code and a message holding every fragment, and
    // leave the cluster folder exactly as it was.
    void ExpectRefused(const AppModel& model, int32_t number, const QStringList& fragments) {
        const QStringList before = QDir(store->path()).entryList(QDir::AllEntries | QDir::Hidden);
        try {
            store->CreateApplication("App", model);
            ADD_FAILURE() << "the model was accepted";
        } catch (const TarselError& error) {
            EXPECT_EQ(error.number(), number) << error.description().toStdString();
            for (const QString& fragment : fragments) {
                EXPECT_TRUE(error.description().contains(fragment))
                    << error.description().toStdString() << " lacks " << fragment.toStdString();
            }
        }
        EXPECT_EQ(QDir(store->path()).entryList(QDir::AllEntries | QDir::Hidden), before);
        EXPECT_TRUE(store->Applications().isEmpty());
    }
    QTemporaryDir dir;
    std::optional<ClusterStore> store;
};

TEST_F(LocalStoreTest, FaultyModelsAreRefusedAndStoreNothing) {
    const auto refused = code::kMalformedFile;
    {
        AppBuilder app;
        app.Relate(Dimension::Entity, {}, "World");
        AppModel model = app.Build();
        model.dim(Dimension::Entity).hierarchy.push_back({"Nowhere", "World"});
        ExpectRefused(model, refused, {"Nowhere", "Entity", "parent"});
    }
    {
        AppModel model = AppBuilder().Relate(Dimension::Account, {}, "Sales").Build();
        model.dim(Dimension::Account).hierarchy.push_back({"Sales", "Ghost"});
        ExpectRefused(model, refused, {"Ghost", "Account", "child"});
    }
    {
        AppBuilder app;
        app.Add(Dimension::Entity, "Paris");
        app.Add(Dimension::Entity, "PARIS");
        ExpectRefused(app.Build(), refused, {"PARIS", "twice"});
    }
    {
        AppBuilder app;
        app.Children(Dimension::Entity, "World", {"Paris", "Paris"});
        ExpectRefused(app.Build(), refused, {"Paris", "World", "twice"});
    }
    {
        AppBuilder app;
        app.Relate(Dimension::Entity, {}, "A").Relate(Dimension::Entity, "A", "B");
        app.Relate(Dimension::Entity, "B", "C").Relate(Dimension::Entity, "C", "A");
        ExpectRefused(app.Build(), refused, {"cycle"});
    }
    {
        AppBuilder app;
        app.Relate(Dimension::Entity, "A", "A");
        ExpectRefused(app.Build(), refused, {"\"A\"", "own parent"});
    }
    {
        AppBuilder app;
        app.Add(Dimension::Entity, "Paris").securityClass = "Missing";
        ExpectRefused(app.Build(), refused, {"Missing", "security class"});
    }
    {
        AppBuilder app;
        app.Add(Dimension::Entity, "Paris").defaultCurrency = "XYZ";
        ExpectRefused(app.Build(), refused, {"XYZ", "currency"});
    }
    {
        AppBuilder app;
        app.Add(Dimension::Account, "Sales").topCustom[2] = "NoSuchC3";
        ExpectRefused(app.Build(), refused, {"NoSuchC3", "Custom3"});
    }
    {
        AppBuilder app;
        app.Add(Dimension::Entity, "Paris");
        app.List(Dimension::Entity, "Cities", {"Paris", "Lyon"});
        ExpectRefused(app.Build(), refused, {"Lyon", "Cities"});
    }
    {
        AppBuilder app;
        app.List(Dimension::Entity, "[Base]", {});
        ExpectRefused(app.Build(), refused, {"[Base]"});
    }
    {
        AppBuilder app;
        app.Add(Dimension::Entity, "");
        ExpectRefused(app.Build(), refused, {"empty label"});
    }
    {
        AppBuilder app;
        app.Add(Dimension::Entity, "Paris").descriptions = {"one", "two"};
        ExpectRefused(app.Build(), refused, {"Paris", "languages"});
    }
    {
        // The separator of the stored texts inside a description is refused, and only there:
        // a description 31 characters long (as many as the separator's code) is not.
        AppBuilder app;
        app.Languages({"English", "French"});
        app.Add(Dimension::Entity, "Paris").descriptions = {QString(31, u'x'), "ok"};
        AppModel accepted = app.Build();
        app.Add(Dimension::Entity, "Lyon").descriptions = {"", QString("a") + QChar(0x1f)};
        ExpectRefused(app.Build(), refused, {"Lyon", "U+001F"});
        EXPECT_NO_THROW(store->CreateApplication("Long", accepted));
        EXPECT_EQ(store->Applications(), QStringList({"Long"}));
    }
}

TEST_F(LocalStoreTest, NamesThatCannotBeFilesAreRefused) {
    for (const QString& name :
         {QString(), QStringLiteral("a/b"), QStringLiteral("..\\x"), QStringLiteral(".hidden"),
          QStringLiteral(" lead"), QStringLiteral("tab\there")}) {
        try {
            store->CreateApplication(name, AppBuilder().Build());
            ADD_FAILURE() << "accepted " << name.toStdString();
        } catch (const TarselError& error) {
            EXPECT_EQ(error.number(), code::kInvalidName) << name.toStdString();
        }
        EXPECT_THROW(ClusterStore::Create(dir.path(), name), TarselError);
        EXPECT_THROW(store->AddUser(name, "pw"), TarselError);
    }
    EXPECT_TRUE(store->Applications().isEmpty());
    EXPECT_EQ(ClusterStore::List(dir.path()), QStringList({"C"}));
}

TEST_F(LocalStoreTest, ExistingNamesAreRefusedWithoutRegardToCase) {
    store->CreateApplication("Budget", AppBuilder().Build());
    try {
        store->CreateApplication("BUDGET", AppBuilder().Build());
        FAIL();
    } catch (const TarselError& error) {
        EXPECT_EQ(error.number(), code::kAlreadyExists);
    }
    EXPECT_EQ(store->Applications(), QStringList({"Budget"}));
    EXPECT_EQ(store->ApplicationPath("budget"), QDir(store->path()).filePath("Budget.tapp"));
    EXPECT_THROW(ClusterStore::Create(dir.path(), "c"), TarselError);
    store->AddUser("Ann", "pw");
    EXPECT_THROW(store->AddUser("ANN", "pw2"), TarselError);
}

// Every member with its texts and attributes, every relation and list entry, in order.
void ExpectSameModel(const AppModel& back, const AppModel& model) {
    for (size_t d = 0; d < kDimensionCount; ++d) {
        const auto& want = model.dimensions[d];
        const auto& got = back.dimensions[d];
        ASSERT_EQ(got.members.size(), want.members.size()) << d;
        for (size_t i = 0; i < want.members.size(); ++i) {
            const auto& w = want.members[i];
            const auto& g = got.members[i];
            EXPECT_EQ(g.label, w.label);
            EXPECT_EQ(g.descriptions, w.descriptions) << w.label.toStdString();
            EXPECT_EQ(g.securityClass, w.securityClass);
            EXPECT_EQ(g.userDefined, w.userDefined);
            EXPECT_EQ(g.isSystem, w.isSystem);
            EXPECT_EQ(g.isConsolMethod, w.isConsolMethod);
            EXPECT_EQ(g.accountType, w.accountType);
            EXPECT_EQ(g.icpType, w.icpType);
            EXPECT_EQ(g.topCustom, w.topCustom);
            EXPECT_EQ(g.customAggregationEnabled, w.customAggregationEnabled);
            EXPECT_EQ(g.defaultCurrency, w.defaultCurrency);
            EXPECT_EQ(g.allowAdjsFromChildren, w.allowAdjsFromChildren);
        }
        ASSERT_EQ(got.hierarchy.size(), want.hierarchy.size());
        for (size_t k = 0; k < want.hierarchy.size(); ++k) {
            EXPECT_EQ(got.hierarchy[k].parent, want.hierarchy[k].parent);
            EXPECT_EQ(got.hierarchy[k].child, want.hierarchy[k].child);
        }
        ASSERT_EQ(got.memberLists.size(), want.memberLists.size());
        for (size_t l = 0; l < want.memberLists.size(); ++l) {
            EXPECT_EQ(got.memberLists[l].name, want.memberLists[l].name);
            ASSERT_EQ(got.memberLists[l].entries.size(), want.memberLists[l].entries.size());
            for (size_t e = 0; e < want.memberLists[l].entries.size(); ++e) {
                EXPECT_EQ(got.memberLists[l].entries[e].member,
                          want.memberLists[l].entries[e].member);
                EXPECT_EQ(got.memberLists[l].entries[e].parent,
                          want.memberLists[l].entries[e].parent);
            }
        }
    }
}

TEST_F(LocalStoreTest, ModelComesBackAsItWasStored) {
    AppBuilder app;
    app.Languages({"English", "German"}).SecurityClass("S1");
    app.Children(Dimension::Custom1, {}, {"C1Top"});
    app.Children(Dimension::Value, {}, {"EUR"});
    app.Children(Dimension::Entity, {}, {"World", "Solo"})
        .Children(Dimension::Entity, "World", {"B", "A"})
        .Relate(Dimension::Entity, "A", "B")
        .Describe(Dimension::Entity, "A", "", 0)
        .Describe(Dimension::Entity, "A", "Ä;\"x\"", 1);
    auto& a = app.Add(Dimension::Entity, "A");
    a.securityClass = "S1";
    a.defaultCurrency = "EUR";
    a.userDefined = {"1", "", "3"};
    a.allowAdjsFromChildren = true;
    auto& sales = app.Add(Dimension::Account, "Sales");
    sales.accountType = 13;  // kept as given, even where no word exists for it
    sales.icpType = 2;
    sales.topCustom[0] = "C1Top";
    sales.isSystem = true;
    sales.customAggregationEnabled = {false, true, false, true};
    app.Add(Dimension::Account, "Orphan").isConsolMethod = true;
    app.List(Dimension::Entity, "L1", {"B", "A"}, {"A", ""});
    app.MemberListFile(QByteArray());
    const AppModel model = app.Build();
    store->CreateApplication("Round", model);

    const AppModel back = local::ReadApplicationModel(store->ApplicationPath("Round"));
    EXPECT_EQ(back.name, QStringLiteral("Round"));
    EXPECT_EQ(back.languages, model.languages);
    EXPECT_EQ(back.securityClasses, model.securityClasses);
    ASSERT_TRUE(back.memberListFile.has_value());
    EXPECT_TRUE(back.memberListFile->isEmpty());
    ExpectSameModel(back, model);
}

// Members and relations go into the file many rows at a time: dimensions of a few rows,
// of exactly one batch and of several batches with a remainder all come back in order,
// each member with its own texts and attributes.
TEST_F(LocalStoreTest, DimensionsOfEverySizeComeBackRowForRow) {
    AppBuilder app;
    app.Languages({"English", "French"}).SecurityClass("S1").SecurityClass("S2");
    const auto fill = [&app](Dimension d, int count, const QString& prefix) {
        QString parent;
        for (int i = 0; i < count; ++i) {
            const QString label = prefix + QString::number(i);
            app.Relate(d, i % 10 == 0 ? QString() : parent, label);
            if (i % 10 == 0) {
                parent = label;
            }
            app.Describe(d, label, "en " + label).Describe(d, label, "fr " + label, 1);
            auto& m = app.Add(d, label);
            m.userDefined[static_cast<size_t>(i % 3)] = "ud " + label;
            if (i % 4 == 0) {
                m.securityClass = i % 8 == 0 ? "S1" : "S2";
            }
            m.isSystem = i % 5 == 0;
        }
    };
    fill(Dimension::Entity, 64 * 3 + 7, "E");
    fill(Dimension::Account, 64, "A");
    fill(Dimension::Custom1, 65, "C");
    fill(Dimension::Custom2, 3, "D");
    const AppModel model = app.Build();
    store->CreateApplication("Sizes", model);
    ExpectSameModel(local::ReadApplicationModel(store->ApplicationPath("Sizes")), model);
}

TEST_F(LocalStoreTest, OlderStoreVersionsAreUpgradedNewerOnesRefusedWithAClearText) {
    // A file of version 1 (before rules, security, cells and journals) opens, and gets
    // those tables empty.
    const AppModel model = AppBuilder().Children(Dimension::Entity, {}, {"World"}).Build();
    store->CreateApplication("Before", model);
    const QString before = store->ApplicationPath("Before");
    {
        local::sql::Database db(before, local::sql::OpenMode::ReadWrite);
        db.Exec(
            "DROP TABLE cells; DROP TABLE consolidation_status; DROP TABLE journal_lines; "
            "DROP TABLE journals; DROP TABLE rules_file; DROP TABLE security_groups; "
            "DROP TABLE security_group_users; DROP TABLE role_access; DROP TABLE class_access;");
        db.SetUserVersion(1);
    }
    ExpectSameModel(local::ReadApplicationModel(before), model);
    {
        local::sql::Database db(before, local::sql::OpenMode::ReadWrite);
        EXPECT_EQ(db.UserVersion(), local::kApplicationSchemaVersion);
        EXPECT_EQ(db.QueryInt("SELECT count(*) FROM cells"), 0);
        EXPECT_EQ(db.QueryInt("SELECT count(*) FROM journals"), 0);
        EXPECT_EQ(db.QueryInt("SELECT count(*) FROM role_access"), 0);
    }

    store->CreateApplication("Future", AppBuilder().Build());
    const QString path = store->ApplicationPath("Future");
    {
        local::sql::Database db(path, local::sql::OpenMode::ReadWrite);
        db.SetUserVersion(99);
    }
    try {
        local::ReadApplicationModel(path);
        FAIL();
    } catch (const TarselError& error) {
        EXPECT_EQ(error.number(), code::kSchemaMismatch);
        EXPECT_TRUE(error.description().contains("99"));
        EXPECT_TRUE(error.description().contains("newer"));
    }
    QFile plain(QDir(store->path()).filePath("Plain.tapp"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("not a database at all, just text");
    plain.close();
    EXPECT_THROW(local::ReadApplicationModel(plain.fileName()), TarselError);
}

TEST_F(LocalStoreTest, PasswordsAreKeptOnlyAsArgon2idHashes) {
    const QString password = QStringLiteral("Tr0ub4dor&3-unique");
    store->AddUser("Ann", password);
    store->CheckPassword("ann", password);
    QByteArray everything;
    for (const QString& file : QDir(store->path()).entryList(QDir::Files | QDir::Hidden)) {
        QFile f(QDir(store->path()).filePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        everything += f.readAll();
    }
    EXPECT_FALSE(everything.contains(password.toUtf8()));
    EXPECT_TRUE(everything.contains("$argon2id$"));
    store->SetPassword("Ann", "new");
    EXPECT_THROW(store->CheckPassword("Ann", password), TarselError);
    store->CheckPassword("Ann", "new");
}

TEST_F(LocalStoreTest, ProvisioningKeepsTheAdministratorRole) {
    store->CreateApplication("Budget", AppBuilder().Build());
    store->AddUser("Ann", "pw");
    store->AddUser("Bob", "pw");
    store->Provision("ann", "budget", true);
    store->Provision("Bob", "Budget", false);
    EXPECT_TRUE(store->IsAdministrator("Ann", "Budget"));
    EXPECT_TRUE(store->IsProvisioned("Bob", "BUDGET"));
    EXPECT_FALSE(store->IsAdministrator("Bob", "Budget"));
    EXPECT_EQ(store->ApplicationsOf("Bob"), QStringList({"Budget"}));
    EXPECT_THROW(store->Provision("Carl", "Budget", false), TarselError);
    EXPECT_THROW(store->Provision("Ann", "Nothing", false), TarselError);
    const auto users = store->Users();
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[0].name, QStringLiteral("Ann"));
    EXPECT_EQ(users[0].adminOf, QStringList({"Budget"}));
}

}  // namespace
}  // namespace tarsel::test
