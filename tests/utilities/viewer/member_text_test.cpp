#include "utilities/viewer/member_text.h"

#include <gtest/gtest.h>

#include "tests/utilities/viewer/viewer_server.h"

namespace {

using tarsel::Dimension;
using tarsel::test::In;
using tarsel::test::OnKey;
using viewer::EntityFilter;
using viewer::MemberTextSource;
using viewer::TextOptions;

class ViewerMemberText : public ::testing::Test, public viewer_test::ViewerServer {
  protected:
    ViewerMemberText() {
        builder.SecurityClass(QStringLiteral("Finance"));
        for (int c = 0; c < 4; ++c) {
            builder.Relate(static_cast<Dimension>(static_cast<int>(Dimension::Custom1) + c),
                           QString(), QString(QLatin1Char('a' + c)));
        }
        builder.Relate(Dimension::Value, QString(), QStringLiteral("EUR"))
            .Relate(Dimension::Value, QString(), QStringLiteral("USD"));
    }

    MemberTextSource Source(Dimension dimension, TextOptions options = {},
                            EntityFilter filter = {}) {
        return MemberTextSource(Tree(dimension), dimension, metadata, security, 0, options, filter);
    }
    QString Text(Dimension dimension, const char* label, TextOptions options = {},
                 EntityFilter filter = {}) {
        return Source(dimension, options, filter).Text(Id(dimension, QString::fromLatin1(label)));
    }
};

TEST_F(ViewerMemberText, AccountItemsInOrderWithDefaultsAndEmptyUserTexts) {
    builder.Relate(Dimension::Account, "", "Cash")
        .Describe(Dimension::Account, "Cash", "Cash at bank");
    auto& cash = builder.Add(Dimension::Account, "Cash");
    cash.accountType = tarsel::account_type::Asset;
    cash.topCustom = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                      QStringLiteral("d")};
    Start();

    EXPECT_EQ(Text(Dimension::Account, "Cash"),
              QStringLiteral("Cash - Cash at bank (Type=Asset, IsICP=No, TopC1=a, TopC2=b, "
                             "TopC3=c, TopC4=d, Security=[Default], UD1=, UD2=, UD3=)"));
    EXPECT_EQ(Text(Dimension::Account, "Cash", {false, false}),
              QStringLiteral("Cash - Cash at bank"));
}

TEST_F(ViewerMemberText, AccountTypeAndIntercompanyWords) {
    const QStringList words = {QStringLiteral("Income"),        QStringLiteral("Expense"),
                               QStringLiteral("Asset"),         QStringLiteral("Liability"),
                               QStringLiteral("Balance"),       QStringLiteral("Flow"),
                               QStringLiteral("Non-Financial"), QStringLiteral("CurrencyRate"),
                               QStringLiteral("System"),        QStringLiteral("Text"),
                               QStringLiteral("GroupLabel"),    QStringLiteral("BalanceRecurring"),
                               QStringLiteral("Dynamic")};
    for (int code = 0; code < words.size(); ++code) {
        EXPECT_EQ(viewer::AccountTypeWord(code), words[code]) << code;
    }
    EXPECT_EQ(viewer::AccountTypeWord(13), QStringLiteral("TYPEERROR"));
    EXPECT_EQ(viewer::AccountTypeWord(-1), QStringLiteral("TYPEERROR"));

    for (auto [label, code] : {std::pair{"IcpYes", tarsel::icp_type::Yes},
                               {"IcpNo", tarsel::icp_type::No},
                               {"IcpRestricted", tarsel::icp_type::Restricted}}) {
        builder.Relate(Dimension::Account, "", label);
        builder.Add(Dimension::Account, label).icpType = code;
    }
    builder.Relate(Dimension::Account, "", "Odd").Describe(Dimension::Account, "Odd", "d");
    Start();
    for (auto [label, word] :
         {std::pair{"IcpYes", "Yes"}, {"IcpNo", "No"}, {"IcpRestricted", "Restricted"}}) {
        EXPECT_TRUE(Text(Dimension::Account, label)
                        .contains(QStringLiteral(", IsICP=%1, ").arg(QLatin1String(word))))
            << label;
    }
    // Codes no application can hold, as a server of another version might report them.
    const auto odd = Id(Dimension::Account, QStringLiteral("Odd"));
    plan->Return("AccountAttributes::GetAccountType", int32_t{13}, OnKey(odd));
    plan->Return("AccountAttributes::GetICPType", int32_t{2}, OnKey(odd));
    const QString text = Text(Dimension::Account, "Odd");
    EXPECT_TRUE(text.startsWith(QStringLiteral("Odd - d (Type=TYPEERROR, IsICP=**Error**, ")))
        << text.toStdString();
}

TEST_F(ViewerMemberText, ExpandedAccountItems) {
    builder.Relate(Dimension::Account, "", "Assets")
        .Describe(Dimension::Account, "Assets", "All assets")
        .Relate(Dimension::Account, "Assets", "Cash")
        .Describe(Dimension::Account, "Cash", "Cash");
    auto& m = builder.Add(Dimension::Account, "Cash");
    m.accountType = tarsel::account_type::Asset;
    m.securityClass = QStringLiteral("Finance");
    m.userDefined = {QStringLiteral("u1"), QString(), QStringLiteral(" ")};
    m.decimalPlaces = 2;
    m.isCalculated = true;
    m.isConsolidated = false;
    m.usesLineItems = true;
    m.customAggregationEnabled = {true, false, true, false};
    Start();

    const auto tree = Tree(Dimension::Account);
    const auto cash = Id(Dimension::Account, QStringLiteral("Cash"));
    const auto assets = Id(Dimension::Account, QStringLiteral("Assets"));
    auto texts = Source(Dimension::Account, {true, true});
    EXPECT_EQ(texts.Text(cash),
              QStringLiteral("Cash - Cash (Type=Asset, IsICP=No, TopC1=, TopC2=, TopC3=, TopC4=, "
                             "Security=Finance, UD1=u1, UD2=, UD3= , DefaultParent=Assets, "
                             "HierRelationship=Base[DefParGen:%1], DecPlaces=2, IsCalc=True, "
                             "IsCons=False, IsLID=True, C1AggEnabled=True, C2AggEnabled=False, "
                             "C3AggEnabled=True, C4AggEnabled=False)")
                  .arg(tree->GetDefaultParentGeneration(cash)));
    EXPECT_TRUE(texts.Text(assets).contains(QStringLiteral("HierRelationship=Parent[DefParGen:%1]")
                                                .arg(tree->GetDefaultParentGeneration(assets))));
}

TEST_F(ViewerMemberText, EntityItemsNoneForBlankUserTextsAndExpandedItems) {
    builder.Relate(Dimension::Entity, "", "Europe")
        .Relate(Dimension::Entity, "Europe", "France")
        .Describe(Dimension::Entity, "France", "French company")
        .Relate(Dimension::Entity, "", "Bare");
    auto& m = builder.Add(Dimension::Entity, "France");
    m.defaultCurrency = QStringLiteral("EUR");
    m.allowAdjs = true;
    m.isIcp = true;
    m.userDefined = {QString(), QStringLiteral("  "), QStringLiteral("kept")};
    Start();
    const auto france = Id(Dimension::Entity, QStringLiteral("France"));

    EXPECT_EQ(Text(Dimension::Entity, "France"),
              QStringLiteral("France - French company (Currency=EUR, Adjs=True, ChildAdjs=False, "
                             "Security=[Default], ICP=True, UD1=[None], UD2=[None], UD3=kept)"));
    EXPECT_EQ(Text(Dimension::Entity, "France", {true, true}),
              QStringLiteral("France - French company (Currency=EUR, Adjs=True, ChildAdjs=False, "
                             "Security=[Default], ICP=True, UD1=[None], UD2=[None], UD3=kept, "
                             "DefaultParent=Europe, HierRelationship=Base[DefParGen:%1])")
                  .arg(Tree(Dimension::Entity)->GetDefaultParentGeneration(france)));
    EXPECT_EQ(Text(Dimension::Entity, "France", {false, true}),
              QStringLiteral("France - French company"));

    EXPECT_TRUE(Text(Dimension::Entity, "Bare").startsWith(QStringLiteral("Bare -  (Currency=, ")));
    EXPECT_EQ(Text(Dimension::Entity, "Bare", {false, false}), QStringLiteral("Bare - "));
}

TEST_F(ViewerMemberText, CustomItemsKeepEmptyTextsAndIgnoreExpansion) {
    builder.Relate(Dimension::Custom3, "", "P1").Describe(Dimension::Custom3, "P1", "Product");
    auto& m = builder.Add(Dimension::Custom3, "P1");
    m.userDefined = {QString(), QStringLiteral("x"), QStringLiteral(" ")};
    m.securityClass = QStringLiteral("Finance");
    Start();
    const QString expected = QStringLiteral("P1 - Product (UD1=, UD2=x, UD3= , Security=Finance)");
    EXPECT_EQ(Text(Dimension::Custom3, "P1"), expected);
    EXPECT_EQ(Text(Dimension::Custom3, "P1", {true, true}), expected);
}

TEST_F(ViewerMemberText, BlankClassNamesAreDefaultInEveryDimensionAndLookedUpOnce) {
    builder.SecurityClass(QStringLiteral("Blank")).SecurityClass(QStringLiteral("Empty"));
    const Dimension dimensions[] = {Dimension::Account, Dimension::Entity, Dimension::Custom1,
                                    Dimension::Custom4};
    for (Dimension dimension : dimensions) {
        builder.Relate(dimension, "", "Blank").Relate(dimension, "", "Empty");
        builder.Add(dimension, "Blank").securityClass = QStringLiteral("Blank");
        builder.Add(dimension, "Empty").securityClass = QStringLiteral("Empty");
    }
    Start();
    // Names the store refuses but another server may give.
    plan->Return("Security::GetSecurityClassName", QStringLiteral("   "),
                 OnKey(SecurityClassId(QStringLiteral("Blank"))));
    plan->Return("Security::GetSecurityClassName", QString(),
                 OnKey(SecurityClassId(QStringLiteral("Empty"))));
    for (Dimension dimension : dimensions) {
        auto texts = Source(dimension);
        for (const char* label : {"Blank", "Empty"}) {
            EXPECT_TRUE(texts.Text(Id(dimension, QString::fromLatin1(label)))
                            .contains(QStringLiteral("Security=[Default]")))
                << label << " in " << tarsel::DimensionDisplayName(dimension).toStdString();
        }
    }
    const int before = plan->Calls("Security::GetSecurityClassName");
    auto texts = Source(Dimension::Entity);
    const auto finance = SecurityClassId(QStringLiteral("Finance"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(texts.SecurityClassValue(finance), QStringLiteral("Finance"));
    }
    EXPECT_EQ(texts.SecurityClassValue(-1), QStringLiteral("[Default]"));
    EXPECT_EQ(plan->Calls("Security::GetSecurityClassName"), before + 1);
}

TEST_F(ViewerMemberText, EntityFiltersCompareWithoutCaseAndLeaveFailuresWithoutText) {
    builder.Relate(Dimension::Entity, "", "France").Relate(Dimension::Entity, "", "Ohio");
    builder.Add(Dimension::Entity, "France").defaultCurrency = QStringLiteral("EUR");
    builder.Add(Dimension::Entity, "France").securityClass = QStringLiteral("Finance");
    builder.Add(Dimension::Entity, "Ohio").defaultCurrency = QStringLiteral("USD");
    Start();

    auto passes = [&](EntityFilter filter, const char* label) {
        filter.on = true;
        return !Text(Dimension::Entity, label, {}, filter).isEmpty();
    };
    EXPECT_TRUE(passes({}, "France"));
    EXPECT_TRUE(passes({true, viewer::kAllCurrencies, viewer::kAllSecurityClasses}, "Ohio"));
    EXPECT_TRUE(passes({true, QStringLiteral("eur"), QString()}, "France"));
    EXPECT_FALSE(passes({true, QStringLiteral("eur"), QString()}, "Ohio"));
    EXPECT_TRUE(passes({true, QString(), QStringLiteral("FINANCE")}, "France"));
    EXPECT_FALSE(passes({true, QString(), QStringLiteral("finance")}, "Ohio"));
    EXPECT_TRUE(passes({true, QString(), QStringLiteral("[default]")}, "Ohio"));
    EXPECT_FALSE(passes({true, QStringLiteral("USD"), QStringLiteral("Finance")}, "Ohio"));

    // Switched off, the picks are ignored.
    EXPECT_FALSE(
        Text(Dimension::Entity, "France", {}, {false, QStringLiteral("USD"), QString()}).isEmpty());
    // With attributes hidden a filtered-out entity still has no text.
    EXPECT_TRUE(
        Text(Dimension::Entity, "France", {false, false}, {true, QStringLiteral("USD"), QString()})
            .isEmpty());
}

TEST_F(ViewerMemberText, DimensionsWithoutAttributesGiveNoText) {
    builder.Relate(Dimension::Scenario, "", "Actual");
    Start();
    auto texts = Source(Dimension::Scenario);
    const auto actual = Id(Dimension::Scenario, QStringLiteral("Actual"));
    EXPECT_TRUE(texts.Attributes(actual).empty());
    EXPECT_TRUE(texts.Text(actual).isEmpty());
    // Nor does a name that names no dimension.
    EXPECT_TRUE(
        MemberTextSource(Tree(Dimension::Scenario), std::nullopt, metadata, security, 0, {}, {})
            .Text(actual)
            .isEmpty());
}

TEST_F(ViewerMemberText, BulkReadsOfTheStoreAnswerAsReadsMemberByMember) {
    // Members of the three kinds with attributes set and left at their defaults, shared
    // members and a second language; the fault plan's session reads member by member.
    builder.Languages({QStringLiteral("English"), QStringLiteral("French")});
    builder.Relate(Dimension::Account, "", "Assets")
        .Children(Dimension::Account, "Assets", {"Cash", "Bank"})
        .Relate(Dimension::Account, "", "Bank")
        .Describe(Dimension::Account, "Cash", "Caisse", 1);
    auto& cash = builder.Add(Dimension::Account, "Cash");
    cash.accountType = tarsel::account_type::Asset;
    cash.securityClass = QStringLiteral("Finance");
    cash.userDefined = {QStringLiteral("u1"), QString(), QStringLiteral(" ")};
    cash.topCustom = {QStringLiteral("a"), QString(), QStringLiteral("c"), QString()};
    cash.decimalPlaces = 3;
    cash.customAggregationEnabled = {true, false, true, false};
    builder.Relate(Dimension::Entity, "", "Group")
        .Children(Dimension::Entity, "Group", {"France", "Spain"})
        .Describe(Dimension::Entity, "France", "France SA");
    auto& france = builder.Add(Dimension::Entity, "France");
    france.defaultCurrency = QStringLiteral("EUR");
    france.securityClass = QStringLiteral("Finance");
    france.allowAdjs = true;
    france.userDefined = {QString(), QStringLiteral("x"), QString()};
    builder.Relate(Dimension::Custom2, "b", "Product").Describe(Dimension::Custom2, "b", "All");
    builder.Add(Dimension::Custom2, "Product").userDefined = {QStringLiteral("p"), {}, {}};
    Start();

    for (const Dimension dimension : {Dimension::Account, Dimension::Entity, Dimension::Custom2}) {
        const auto plainMetadata = plainSession->Metadata();
        const auto plainTree = plainMetadata->GetDimensionByIndex(static_cast<int>(dimension));
        MemberTextSource bulk(plainTree, dimension, plainMetadata, plainSession->Security(), 1,
                              {true, true}, {});
        MemberTextSource single(Tree(dimension), dimension, metadata, security, 1, {true, true},
                                {});
        const tarsel::IdArray ids = plainTree->EnumAllMemberIDs();
        ASSERT_GE(ids.size(), 2u);
        const std::vector<viewer::MemberText> many = bulk.ReadMany(ids);
        const std::vector<viewer::MemberText> one = single.ReadMany(ids);
        ASSERT_EQ(many.size(), ids.size());
        for (size_t i = 0; i < ids.size(); ++i) {
            EXPECT_EQ(viewer::ComposeMemberText(many[i], true),
                      viewer::ComposeMemberText(one[i], true))
                << static_cast<int>(dimension) << " " << ids[i];
            EXPECT_FALSE(many[i].attributes.empty());
        }
        // A bulk read fails as the single read does for an unknown member, and answers
        // nothing.
        const tarsel::MemberId unknown = ids.back() + 1000;
        int32_t singleNumber = 0;
        try {
            plainTree->GetMemberDescription(unknown, 0);
        } catch (const tarsel::TarselError& error) {
            singleNumber = error.number();
        }
        EXPECT_NE(singleNumber, 0);
        try {
            bulk.ReadMany({ids.front(), unknown});
            ADD_FAILURE() << "no failure for an unknown member";
        } catch (const tarsel::TarselError& error) {
            EXPECT_EQ(error.number(), singleNumber);
        }
    }
    EXPECT_TRUE(
        Text(Dimension::Account, "Cash", {true, true}).contains(QStringLiteral("DecPlaces=3")));
}

}  // namespace
