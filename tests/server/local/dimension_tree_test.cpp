// How the local server's DimensionTree answers on small applications: order of children
// and occurrences, shared members, levels, default parents, lists and texts.

#include <gtest/gtest.h>

#include "server/tarsel_error.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::test {
namespace {

using local::AppModel;

// World { Europe { France, Germany }, Group { France (shared), Italy } }, Other
AppModel SharedEntities() {
    AppBuilder app;
    app.Languages({QStringLiteral("English"), QStringLiteral("French")});
    app.Children(Dimension::Entity, {}, {"World", "Other"})
        .Children(Dimension::Entity, "World", {"Europe", "Group"})
        .Children(Dimension::Entity, "Europe", {"France", "Germany"})
        .Children(Dimension::Entity, "Group", {"France", "Italy"})
        .Describe(Dimension::Entity, "France", "France")
        .Describe(Dimension::Entity, "France", "La France", 1)
        .Describe(Dimension::Entity, "Italy", QString(), 0)
        .Describe(Dimension::Entity, "Italy", "Italie", 1);
    return app.Build();
}

class LocalTreeTest : public LocalServerTest {
  protected:
    void SetUp() override {
        StartServer(SharedEntities());
        tree = server().Tree(Dimension::Entity);
    }
    MemberId Id(const char* label) { return tree->GetMemberID(QString::fromUtf8(label)); }
    QStringList Labels(const IdArray& ids) {
        QStringList labels;
        for (MemberId id : ids) {
            labels.append(id == -1 ? QStringLiteral("-") : tree->GetMemberLabel(id));
        }
        return labels;
    }
    std::shared_ptr<DimensionTree> tree;
};

QStringList L(std::initializer_list<const char*> labels) {
    QStringList list;
    for (const char* label : labels) {
        list.append(QString::fromUtf8(label));
    }
    return list;
}

TEST_F(LocalTreeTest, ChildrenComeInStoredOrderAndTopMembersUnderMinusOne) {
    EXPECT_EQ(Labels(tree->EnumChildMemberIDs(-1, -1)), L({"World", "Other"}));
    EXPECT_EQ(Labels(tree->EnumChildMemberIDs(-1, Id("World"))), L({"Europe", "Group"}));
    EXPECT_EQ(Labels(tree->EnumChildMemberIDs(-1, Id("Group"))), L({"France", "Italy"}));
    EXPECT_TRUE(tree->EnumChildMemberIDs(-1, Id("France")).empty());
    EXPECT_EQ(tree->GetNumberOfChildren(Id("Europe")), 2);
    EXPECT_TRUE(tree->IsParent(Id("Group")));
    EXPECT_FALSE(tree->IsParent(Id("Italy")));
    EXPECT_EQ(tree->GetDimensionName(), QStringLiteral("Entity"));
}

TEST_F(LocalTreeTest, PairsListEveryOccurrenceDepthFirstPreOrder) {
    const ParentChildPairs pairs = tree->EnumParentChildPairs();
    EXPECT_EQ(Labels(pairs.parents),
              L({"-", "World", "Europe", "Europe", "World", "Group", "Group", "-"}));
    EXPECT_EQ(Labels(pairs.children),
              L({"World", "Europe", "France", "Germany", "Group", "France", "Italy", "Other"}));
}

TEST_F(LocalTreeTest, DescendantsAndBaseMembersHonourTheDistinctFlag) {
    EXPECT_EQ(Labels(tree->EnumDescendants(-1, kEveryOccurrence)),
              L({"World", "Europe", "France", "Germany", "Group", "France", "Italy", "Other"}));
    EXPECT_EQ(Labels(tree->EnumDescendants(-1, kEachOnce)),
              L({"World", "Europe", "France", "Germany", "Group", "Italy", "Other"}));
    EXPECT_EQ(Labels(tree->EnumDescendants(Id("World"), kEveryOccurrence)),
              L({"Europe", "France", "Germany", "Group", "France", "Italy"}));
    EXPECT_EQ(Labels(tree->EnumDescendants(Id("World"), kEachOnce)),
              L({"Europe", "France", "Germany", "Group", "Italy"}));
    EXPECT_TRUE(tree->EnumDescendants(Id("Italy"), kEveryOccurrence).empty());

    EXPECT_EQ(Labels(tree->EnumBaseMembers(-1, kEveryOccurrence)),
              L({"France", "Germany", "France", "Italy", "Other"}));
    EXPECT_EQ(Labels(tree->EnumBaseMembers(-1, kEachOnce)),
              L({"France", "Germany", "Italy", "Other"}));
    EXPECT_EQ(Labels(tree->EnumBaseMembers(Id("Group"), kEachOnce)), L({"France", "Italy"}));
    // A base member is its own base.
    EXPECT_EQ(Labels(tree->EnumBaseMembers(Id("Italy"), kEveryOccurrence)), L({"Italy"}));
}

TEST_F(LocalTreeTest, LevelsAndDefaultParentsFollowTheFirstOccurrence) {
    EXPECT_EQ(tree->GetLevelsBelow(Id("World")), 2);
    EXPECT_EQ(tree->GetLevelsBelow(Id("Group")), 1);
    EXPECT_EQ(tree->GetLevelsBelow(Id("France")), 0);
    EXPECT_EQ(tree->GetDefaultParentLabel(Id("France")), QStringLiteral("Europe"));
    EXPECT_EQ(tree->GetDefaultParentLabel(Id("Italy")), QStringLiteral("Group"));
    EXPECT_EQ(tree->GetDefaultParentLabel(Id("World")), QString());
    EXPECT_EQ(tree->GetDefaultParentGeneration(Id("World")), 1);
    EXPECT_EQ(tree->GetDefaultParentGeneration(Id("France")), 3);
}

TEST_F(LocalTreeTest, LevelsBelowTakeTheDeepestBranchThroughSharedMembers) {
    AppBuilder app;
    // A { B { C { D } }, C } : C's depth counts under A's shorter branch too.
    app.Relate(Dimension::Account, {}, "A")
        .Children(Dimension::Account, "A", {"B", "C"})
        .Relate(Dimension::Account, "B", "C")
        .Relate(Dimension::Account, "C", "D");
    StartServer(app.Build());
    auto accounts = server().Tree(Dimension::Account);
    EXPECT_EQ(accounts->GetLevelsBelow(accounts->GetMemberID("A")), 3);
    EXPECT_EQ(accounts->GetLevelsBelow(accounts->GetMemberID("C")), 1);
    // Depth-first, C is first reached through B, before it comes as A's own child.
    EXPECT_EQ(accounts->GetDefaultParentLabel(accounts->GetMemberID("C")), QStringLiteral("B"));
    EXPECT_EQ(accounts->GetDefaultParentGeneration(accounts->GetMemberID("C")), 3);
}

TEST_F(LocalTreeTest, LabelsAndIdsAreLookedUpSafely) {
    EXPECT_EQ(tree->GetMemberLabel(-1), QString());
    EXPECT_EQ(tree->GetMemberID("fRANCE"), Id("France"));
    try {
        tree->GetMemberID("Atlantis");
        FAIL() << "an unknown label was accepted";
    } catch (const TarselError& error) {
        EXPECT_EQ(error.number(), code::kUnknownMember);
        EXPECT_TRUE(error.description().contains("Atlantis"));
        EXPECT_TRUE(error.description().contains("Entity"));
        EXPECT_EQ(error.source(), QString::fromLatin1(kClientLibrarySource));
    }
    for (MemberId bad : {-2, 7, 1000}) {
        EXPECT_THROW(tree->GetMemberLabel(bad), TarselError) << bad;
        EXPECT_THROW(tree->EnumChildMemberIDs(-1, bad), TarselError) << bad;
        EXPECT_THROW(tree->GetLevelsBelow(bad), TarselError) << bad;
        EXPECT_THROW(tree->EnumDescendants(bad, kEachOnce), TarselError) << bad;
    }
    EXPECT_EQ(tree->EnumAllMemberIDs().size(), 7u);
    EXPECT_EQ(tree->EnumAllMemberLabels(),
              L({"World", "Other", "Europe", "Group", "France", "Germany", "Italy"}));
}

TEST_F(LocalTreeTest, DescriptionsFollowTheLanguageIndex) {
    const Languages languages = server().Session()->Metadata()->GetLanguages();
    EXPECT_EQ(languages.labels, L({"English", "French"}));
    EXPECT_EQ(languages.ids, (IdArray{0, 1}));
    EXPECT_EQ(tree->GetMemberDescription(Id("France"), 0), QStringLiteral("France"));
    EXPECT_EQ(tree->GetMemberDescription(Id("France"), 1), QStringLiteral("La France"));
    EXPECT_EQ(tree->GetMemberDescription(Id("Italy"), 0), QString());
    EXPECT_EQ(tree->GetMemberDescription(Id("Italy"), 1), QStringLiteral("Italie"));
    EXPECT_EQ(tree->GetMemberDescription(Id("France"), 5), QString());
    EXPECT_EQ(tree->GetMemberDescription(Id("World"), 0), QString());
}

TEST_F(LocalTreeTest, DimensionsAreNumberedAndNamed) {
    auto metadata = server().Session()->Metadata();
    for (int d = 0; d < kDimensionCount; ++d) {
        EXPECT_EQ(metadata->GetDimensionByIndex(d)->GetDimensionName(), DimensionDisplayName(d));
    }
    EXPECT_EQ(metadata->Custom4()->GetDimensionName(), QStringLiteral("Custom4"));
    EXPECT_THROW(metadata->GetDimensionByIndex(12), TarselError);
    EXPECT_THROW(metadata->GetDimensionByIndex(-1), TarselError);
    // An empty dimension answers with empty arrays.
    EXPECT_TRUE(metadata->View()->EnumChildMemberIDs(-1, -1).empty());
    EXPECT_TRUE(metadata->View()->EnumParentChildPairs().children.empty());
}

class LocalListTest : public LocalTreeTest {};

TEST_F(LocalListTest, SystemListsAreComputedAndUserListsFollow) {
    AppBuilder app;
    app.Children(Dimension::Entity, {}, {"World"})
        .Children(Dimension::Entity, "World", {"France", "Italy"})
        .List(Dimension::Entity, "Europe", {"Italy", "France", "Italy"}, {"World", "World"})
        .List(Dimension::Entity, "Empty", {});
    app.Add(Dimension::Entity, "Italy").isSystem = true;
    app.Children(Dimension::Value, {}, {"EUR", "USD", "<Entity Currency>"});
    app.Add(Dimension::Value, "EUR").isCurrency = true;
    app.Add(Dimension::Value, "USD").isCurrency = true;
    app.Children(Dimension::Account, {}, {"Sales", "Rate"});
    app.Add(Dimension::Account, "Rate").accountType = account_type::System;
    StartServer(app.Build());
    auto entity = server().Tree(Dimension::Entity);

    EXPECT_EQ(entity->EnumMemberListNames(),
              L({"[Hierarchy]", "[Base]", "[Parents]", "[System]", "Europe", "Empty"}));
    EXPECT_EQ(entity->GetMemberListID("[Currencies]"), -1);
    EXPECT_EQ(entity->GetMemberListID("nosuchlist"), -1);
    const MemberId europe = entity->GetMemberListID("EUROPE");
    ASSERT_NE(europe, -1);
    auto label = [&](MemberId id) { return id < 0 ? QString("-") : entity->GetMemberLabel(id); };
    IdArray members = entity->EnumMembersInList(europe, europe);
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(label(members[0]), QStringLiteral("Italy"));
    EXPECT_EQ(label(members[2]), QStringLiteral("Italy"));
    const ListMembersForPOV pov = entity->EnumListMembersForPOV(europe, -1, 0, 0, 0, -1);
    EXPECT_EQ(pov.members, members);
    ASSERT_EQ(pov.parents.size(), 3u);
    EXPECT_EQ(label(pov.parents[0]), QStringLiteral("World"));
    EXPECT_EQ(pov.parents[2], -1);
    EXPECT_TRUE(entity->EnumMembersInList(entity->GetMemberListID("Empty"), -1).empty());

    auto names = [&](const char* list) {
        QStringList result;
        for (MemberId id : entity->EnumMembersInList(entity->GetMemberListID(list), -1)) {
            result.append(entity->GetMemberLabel(id));
        }
        return result;
    };
    EXPECT_EQ(names("[Hierarchy]"), L({"World", "France", "Italy"}));
    EXPECT_EQ(names("[Base]"), L({"France", "Italy"}));
    EXPECT_EQ(names("[parents]"), L({"World"}));
    EXPECT_EQ(names("[System]"), L({"Italy"}));
    EXPECT_THROW(entity->EnumMembersInList(4711, -1), TarselError);

    auto value = server().Tree(Dimension::Value);
    const MemberId currencies = value->GetMemberListID("[Currencies]");
    ASSERT_NE(currencies, -1);
    EXPECT_EQ(value->EnumMembersInList(currencies, -1).size(), 2u);
    EXPECT_EQ(value->GetMemberListID("[ConsolMethods]"), -1);

    auto account = server().Tree(Dimension::Account);
    const IdArray system = account->EnumMembersInList(account->GetMemberListID("[System]"), -1);
    ASSERT_EQ(system.size(), 1u);
    EXPECT_EQ(account->GetMemberLabel(system[0]), QStringLiteral("Rate"));
}

TEST(LocalLabels, QuotesSemicolonsAndNonAsciiLettersComeBackExactly) {
    const QStringList labels = {QStringLiteral("O'Brien \"Ltd\""), QStringLiteral("a;b;c"),
                                QStringLiteral("Zürich-Ærø"), QStringLiteral("東京"),
                                QStringLiteral("x' OR '1'='1")};
    AppBuilder app;
    for (const QString& label : labels) {
        app.Relate(Dimension::Entity, {}, label).Describe(Dimension::Entity, label, label + "!");
    }
    LocalServer server(app.Build());
    auto tree = server.Tree(Dimension::Entity);
    const IdArray top = tree->EnumChildMemberIDs(-1, -1);
    ASSERT_EQ(top.size(), static_cast<size_t>(labels.size()));
    for (qsizetype i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(tree->GetMemberLabel(top[static_cast<size_t>(i)]), labels[i]);
        EXPECT_EQ(tree->GetMemberDescription(top[static_cast<size_t>(i)], 0), labels[i] + "!");
        EXPECT_EQ(tree->GetMemberID(labels[i]), top[static_cast<size_t>(i)]);
    }
    // Case-insensitive beyond ASCII.
    EXPECT_EQ(tree->GetMemberID(QStringLiteral("ZÜRICH-æRØ")), top[2]);
}

TEST(LocalAttributes, AccountEntityAndCustomAttributesAreServed) {
    AppBuilder app;
    app.SecurityClass("Europe").SecurityClass("Secret");
    app.Children(Dimension::Custom1, {}, {"TopC1"}).Children(Dimension::Custom4, {}, {"TopC4"});
    app.Children(Dimension::Value, {}, {"EUR"});
    app.Relate(Dimension::Account, {}, "Cash");
    {
        auto& cash = app.Add(Dimension::Account, "Cash");
        cash.accountType = account_type::Asset;
        cash.icpType = icp_type::Restricted;
        cash.topCustom = {"topc1", "", "", "TopC4"};
        cash.securityClass = "secret";
        cash.userDefined = {"u1", "", "u;3"};
        cash.decimalPlaces = 2;
        cash.isCalculated = true;
        cash.customAggregationEnabled = {true, false, true, true};
    }
    app.Relate(Dimension::Entity, {}, "Paris");
    {
        auto& paris = app.Add(Dimension::Entity, "Paris");
        paris.defaultCurrency = "EUR";
        paris.allowAdjs = true;
        paris.isIcp = true;
        paris.securityClass = "Europe";
    }
    app.Relate(Dimension::Custom2, {}, "Product");
    app.Add(Dimension::Custom2, "Product").userDefined[1] = "ud2";
    LocalServer server(app.Build());

    auto accounts = server.Tree(Dimension::Account);
    auto attributes = accounts->QueryAccountAttributes();
    const MemberId cash = accounts->GetMemberID("Cash");
    EXPECT_EQ(attributes->GetAccountType(cash), account_type::Asset);
    EXPECT_EQ(attributes->GetICPType(cash), icp_type::Restricted);
    EXPECT_EQ(
        server.Tree(Dimension::Custom1)->GetMemberLabel(attributes->GetTopCustomMemberID1(cash)),
        QStringLiteral("TopC1"));
    EXPECT_EQ(attributes->GetTopCustomMemberID2(cash), -1);
    EXPECT_EQ(
        server.Tree(Dimension::Custom4)->GetMemberLabel(attributes->GetTopCustomMemberID4(cash)),
        QStringLiteral("TopC4"));
    EXPECT_EQ(attributes->GetUserDefined1(cash), QStringLiteral("u1"));
    EXPECT_EQ(attributes->GetUserDefined2(cash), QString());
    EXPECT_EQ(attributes->GetUserDefined3(cash), QStringLiteral("u;3"));
    EXPECT_EQ(attributes->GetDecimalPlaces(cash), 2);
    EXPECT_TRUE(attributes->GetIsCalculated(cash));
    EXPECT_TRUE(attributes->GetIsConsolidated(cash));
    EXPECT_FALSE(attributes->GetUsesLineItems(cash));
    EXPECT_FALSE(attributes->GetCustomAggregationEnabled(2, cash));
    EXPECT_TRUE(attributes->GetCustomAggregationEnabled(3, cash));
    // The numbered getters each ask their own custom dimension.
    EXPECT_EQ(attributes->GetCustomAggregationEnabled1(cash),
              attributes->GetCustomAggregationEnabled(1, cash));
    EXPECT_FALSE(attributes->GetCustomAggregationEnabled2(cash));
    EXPECT_TRUE(attributes->GetCustomAggregationEnabled3(cash));
    EXPECT_EQ(attributes->GetCustomAggregationEnabled4(cash),
              attributes->GetCustomAggregationEnabled(4, cash));
    auto security = server.Session()->Security();
    EXPECT_EQ(security->GetSecurityClassName(attributes->GetSecurityClassID(cash)),
              QStringLiteral("Secret"));
    EXPECT_EQ(security->EnumSecurityClasses().names, QStringList({"Europe", "Secret"}));
    EXPECT_THROW(security->GetSecurityClassName(2), TarselError);
    EXPECT_THROW(attributes->GetAccountType(99), TarselError);
    EXPECT_THROW(attributes->GetTopCustomMemberID(5, cash), TarselError);

    auto entities = server.Tree(Dimension::Entity);
    auto entity = entities->QueryEntityAttributes();
    const MemberId paris = entities->GetMemberID("Paris");
    EXPECT_EQ(server.Tree(Dimension::Value)->GetMemberLabel(entity->GetDefaultCurrencyID(paris)),
              QStringLiteral("EUR"));
    EXPECT_TRUE(entity->GetAllowAdjs(paris));
    EXPECT_FALSE(entity->GetAllowAdjsFromChildren(paris));
    EXPECT_TRUE(entity->GetIsICP(paris));
    EXPECT_EQ(entity->GetSecurityClassID(paris), 0);
    EXPECT_EQ(entity->GetUserDefined1(paris), QString());

    auto custom = server.Tree(Dimension::Custom2)->QueryCustomAttributes();
    const MemberId product = server.Tree(Dimension::Custom2)->GetMemberID("Product");
    EXPECT_EQ(custom->GetUserDefined2(product), QStringLiteral("ud2"));
    EXPECT_EQ(custom->GetSecurityClassID(product), -1);

    try {
        entities->QueryAccountAttributes();
        FAIL() << "the Entity dimension gave account attributes";
    } catch (const TarselError& error) {
        EXPECT_EQ(error.number(), code::kWrongDimensionKind);
    }
    EXPECT_THROW(accounts->QueryCustomAttributes(), TarselError);
    EXPECT_THROW(server.Tree(Dimension::Scenario)->QueryEntityAttributes(), TarselError);
}

TEST(LocalSystemInfo, TellsClusterApplicationAndTheStoredListFile) {
    AppBuilder app;
    app.MemberListFile(QByteArray("Sub EnumMemberLists()\r\n\xe9t\xe9\r\n"));
    LocalServer server(app.Build());
    auto info = server.Session()->SystemInfo();
    EXPECT_EQ(info->GetClusterName(), QStringLiteral("TestCluster"));
    EXPECT_EQ(info->GetApplicationName(), QStringLiteral("TestApp"));
    const MemberListFile file = info->GetMemberListFile();
    EXPECT_TRUE(file.present);
    EXPECT_EQ(file.content, QByteArray("Sub EnumMemberLists()\r\n\xe9t\xe9\r\n"));

    LocalServer bare(AppBuilder().Build());
    EXPECT_FALSE(bare.Session()->SystemInfo()->GetMemberListFile().present);
}

}  // namespace
}  // namespace tarsel::test
