#include "utilities/viewer/member_text.h"

#include <gtest/gtest.h>

#include "tests/utilities/viewer/fake_application.h"

namespace {

using tarsel::Dimension;
using viewer::EntityFilter;
using viewer::MemberTextSource;
using viewer::TextOptions;
using viewer_test::FakeMetadata;
using viewer_test::FakeSecurity;

class ViewerMemberText : public ::testing::Test {
  protected:
    ViewerMemberText() {
        security->names = {QStringLiteral("Finance"), QStringLiteral("   "), QString()};
        for (int c = 0; c < 4; ++c) {
            top[c] = metadata->dim(static_cast<Dimension>(static_cast<int>(Dimension::Custom1) + c))
                         .Add(QString(QLatin1Char('a' + c)));
        }
        auto& value = metadata->dim(Dimension::Value);
        eur = value.Add(QStringLiteral("EUR"));
        usd = value.Add(QStringLiteral("USD"));
    }

    MemberTextSource Source(Dimension dimension, const QString& name, TextOptions options = {},
                            EntityFilter filter = {}) {
        return MemberTextSource(metadata->ptr(dimension), name, metadata, security, 0, options,
                                filter);
    }

    std::shared_ptr<FakeMetadata> metadata = std::make_shared<FakeMetadata>();
    std::shared_ptr<FakeSecurity> security = std::make_shared<FakeSecurity>();
    tarsel::MemberId top[4] = {};
    tarsel::MemberId eur = -1, usd = -1;
};

TEST_F(ViewerMemberText, AccountItemsInOrderWithDefaultsAndEmptyUserTexts) {
    auto& account = metadata->dim(Dimension::Account);
    const auto cash = account.Add(QStringLiteral("Cash"), QStringLiteral("Cash at bank"));
    account.member(cash).topCustom = {top[0], top[1], top[2], top[3]};

    auto texts = Source(Dimension::Account, QStringLiteral("ACCOUNT"));
    EXPECT_EQ(texts.Text(cash),
              QStringLiteral("Cash - Cash at bank (Type=Asset, IsICP=No, TopC1=a, TopC2=b, "
                             "TopC3=c, TopC4=d, Security=[Default], UD1=, UD2=, UD3=)"));

    auto hidden = Source(Dimension::Account, QStringLiteral("ACCOUNT"), {false, false});
    EXPECT_EQ(hidden.Text(cash), QStringLiteral("Cash - Cash at bank"));
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

    auto& account = metadata->dim(Dimension::Account);
    const auto odd = account.Add(QStringLiteral("Odd"), QStringLiteral("d"));
    account.member(odd).accountType = 13;
    account.member(odd).icpType = 2;
    auto texts = Source(Dimension::Account, QStringLiteral("ACCOUNT"));
    const QString text = texts.Text(odd);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Odd - d (Type=TYPEERROR, IsICP=**Error**, ")))
        << text.toStdString();
    for (auto [code, word] : {std::pair{-1, "Yes"}, {0, "No"}, {1, "Restricted"}}) {
        account.member(odd).icpType = code;
        EXPECT_TRUE(Source(Dimension::Account, QStringLiteral("ACCOUNT"))
                        .Text(odd)
                        .contains(QStringLiteral(", IsICP=%1, ").arg(QLatin1String(word))));
    }
}

TEST_F(ViewerMemberText, ExpandedAccountItems) {
    auto& account = metadata->dim(Dimension::Account);
    const auto parent = account.Add(QStringLiteral("Assets"), QStringLiteral("All assets"));
    const auto cash = account.Add(QStringLiteral("Cash"), QStringLiteral("Cash"));
    account.Relate(-1, parent);
    account.Relate(parent, cash);
    auto& m = account.member(cash);
    m.securityClass = 0;
    m.userDefined = {QStringLiteral("u1"), QString(), QStringLiteral(" ")};
    m.defaultParent = QStringLiteral("Assets");
    m.defaultParentGeneration = 3;
    m.decimalPlaces = 2;
    m.isCalculated = true;
    m.isConsolidated = false;
    m.usesLineItems = true;
    m.aggregation = {true, false, true, false};
    account.member(parent).defaultParentGeneration = 0;

    auto texts = Source(Dimension::Account, QStringLiteral("ACCOUNT"), {true, true});
    EXPECT_EQ(texts.Text(cash),
              QStringLiteral("Cash - Cash (Type=Asset, IsICP=No, TopC1=, TopC2=, TopC3=, TopC4=, "
                             "Security=Finance, UD1=u1, UD2=, UD3= , DefaultParent=Assets, "
                             "HierRelationship=Base[DefParGen:3], DecPlaces=2, IsCalc=True, "
                             "IsCons=False, IsLID=True, C1AggEnabled=True, C2AggEnabled=False, "
                             "C3AggEnabled=True, C4AggEnabled=False)"));
    EXPECT_TRUE(
        texts.Text(parent).contains(QStringLiteral("HierRelationship=Parent[DefParGen:0]")));
}

TEST_F(ViewerMemberText, EntityItemsNoneForBlankUserTextsAndExpandedItems) {
    auto& entity = metadata->dim(Dimension::Entity);
    const auto france = entity.Add(QStringLiteral("France"), QStringLiteral("French company"));
    auto& m = entity.member(france);
    m.currency = eur;
    m.allowAdjs = true;
    m.isIcp = true;
    m.userDefined = {QString(), QStringLiteral("  "), QStringLiteral("kept")};
    m.defaultParent = QStringLiteral("Europe");
    m.defaultParentGeneration = 2;

    EXPECT_EQ(Source(Dimension::Entity, QStringLiteral("ENTITY")).Text(france),
              QStringLiteral("France - French company (Currency=EUR, Adjs=True, ChildAdjs=False, "
                             "Security=[Default], ICP=True, UD1=[None], UD2=[None], UD3=kept)"));
    EXPECT_EQ(Source(Dimension::Entity, QStringLiteral("ENTITY"), {true, true}).Text(france),
              QStringLiteral("France - French company (Currency=EUR, Adjs=True, ChildAdjs=False, "
                             "Security=[Default], ICP=True, UD1=[None], UD2=[None], UD3=kept, "
                             "DefaultParent=Europe, HierRelationship=Base[DefParGen:2])"));
    EXPECT_EQ(Source(Dimension::Entity, QStringLiteral("ENTITY"), {false, true}).Text(france),
              QStringLiteral("France - French company"));

    const auto bare = entity.Add(QStringLiteral("Bare"));
    EXPECT_TRUE(Source(Dimension::Entity, QStringLiteral("ENTITY"))
                    .Text(bare)
                    .startsWith(QStringLiteral("Bare -  (Currency=, ")));
    EXPECT_EQ(Source(Dimension::Entity, QStringLiteral("ENTITY"), {false, false}).Text(bare),
              QStringLiteral("Bare - "));
}

TEST_F(ViewerMemberText, CustomItemsKeepEmptyTextsAndIgnoreExpansion) {
    auto& custom3 = metadata->dim(Dimension::Custom3);
    const auto product = custom3.Add(QStringLiteral("P1"), QStringLiteral("Product"));
    custom3.member(product).userDefined = {QString(), QStringLiteral("x"), QStringLiteral(" ")};
    custom3.member(product).securityClass = 0;
    const QString expected = QStringLiteral("P1 - Product (UD1=, UD2=x, UD3= , Security=Finance)");
    EXPECT_EQ(Source(Dimension::Custom3, QStringLiteral("CUSTOM3")).Text(product), expected);
    EXPECT_EQ(Source(Dimension::Custom3, QStringLiteral("CUSTOM3"), {true, true}).Text(product),
              expected);
}

TEST_F(ViewerMemberText, BlankClassNamesAreDefaultInEveryDimensionAndLookedUpOnce) {
    for (auto [dimension, name] : {std::pair{Dimension::Account, "ACCOUNT"},
                                   {Dimension::Entity, "ENTITY"},
                                   {Dimension::Custom1, "CUSTOM1"},
                                   {Dimension::Custom4, "CUSTOM4"}}) {
        auto& dim = metadata->dim(dimension);
        const auto blank = dim.Add(QStringLiteral("Blank"));
        const auto empty = dim.Add(QStringLiteral("Empty"));
        dim.member(blank).securityClass = 1;
        dim.member(empty).securityClass = 2;
        auto texts = Source(dimension, QString::fromLatin1(name));
        EXPECT_TRUE(texts.Text(blank).contains(QStringLiteral("Security=[Default]"))) << name;
        EXPECT_TRUE(texts.Text(empty).contains(QStringLiteral("Security=[Default]"))) << name;
    }
    security->nameCalls = 0;
    auto texts = Source(Dimension::Entity, QStringLiteral("ENTITY"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(texts.SecurityClassValue(0), QStringLiteral("Finance"));
    }
    EXPECT_EQ(texts.SecurityClassValue(-1), QStringLiteral("[Default]"));
    EXPECT_EQ(security->nameCalls, 1);
}

TEST_F(ViewerMemberText, EntityFiltersCompareWithoutCaseAndLeaveFailuresWithoutText) {
    auto& entity = metadata->dim(Dimension::Entity);
    const auto france = entity.Add(QStringLiteral("France"));
    const auto ohio = entity.Add(QStringLiteral("Ohio"));
    entity.member(france).currency = eur;
    entity.member(france).securityClass = 0;
    entity.member(ohio).currency = usd;

    auto passes = [&](EntityFilter filter, tarsel::MemberId id) {
        filter.on = true;
        return !Source(Dimension::Entity, QStringLiteral("ENTITY"), {}, filter).Text(id).isEmpty();
    };
    EXPECT_TRUE(passes({}, france));
    EXPECT_TRUE(passes({true, viewer::kAllCurrencies, viewer::kAllSecurityClasses}, ohio));
    EXPECT_TRUE(passes({true, QStringLiteral("eur"), QString()}, france));
    EXPECT_FALSE(passes({true, QStringLiteral("eur"), QString()}, ohio));
    EXPECT_TRUE(passes({true, QString(), QStringLiteral("FINANCE")}, france));
    EXPECT_FALSE(passes({true, QString(), QStringLiteral("finance")}, ohio));
    EXPECT_TRUE(passes({true, QString(), QStringLiteral("[default]")}, ohio));
    EXPECT_FALSE(passes({true, QStringLiteral("USD"), QStringLiteral("Finance")}, ohio));

    // Switched off, the picks are ignored.
    EntityFilter off{false, QStringLiteral("USD"), QString()};
    EXPECT_FALSE(
        Source(Dimension::Entity, QStringLiteral("ENTITY"), {}, off).Text(france).isEmpty());
    // With attributes hidden a filtered-out entity still has no text.
    EntityFilter usdOnly{true, QStringLiteral("USD"), QString()};
    EXPECT_TRUE(Source(Dimension::Entity, QStringLiteral("ENTITY"), {false, false}, usdOnly)
                    .Text(france)
                    .isEmpty());
}

TEST_F(ViewerMemberText, DimensionsWithoutAttributesGiveNoText) {
    auto& scenario = metadata->dim(Dimension::Scenario);
    const auto actual = scenario.Add(QStringLiteral("Actual"));
    auto texts = Source(Dimension::Scenario, QStringLiteral("SCENARIO"));
    EXPECT_TRUE(texts.Attributes(actual).empty());
    EXPECT_TRUE(texts.Text(actual).isEmpty());
}

}  // namespace
