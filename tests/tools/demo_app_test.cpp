// The demo application holds what the demo and the README promise.

#include <gtest/gtest.h>

#include <set>

#include "server/local/format/app_text.h"
#include "server/local/format/member_list_file.h"
#include "server/local/format/text_lines.h"

namespace tarsel::local::format {
namespace {

AppModel Demo() {
    const QString dir = QStringLiteral(TARSEL_DEMO_DIR);
    AppModel model = ParseAppFile(dir + "/Demo.app");
    ApplyMemberListFile(model, ReadWholeFile(dir + "/Demo.lst"), dir + "/Demo.lst");
    return model;
}

const MemberModel* Find(const DimensionModel& dim, const QString& label) {
    for (const MemberModel& m : dim.members) {
        if (m.label == label) {
            return &m;
        }
    }
    return nullptr;
}

QString ParentOf(const DimensionModel& dim, const QString& child) {
    for (const RelationModel& r : dim.hierarchy) {
        if (r.child == child) {
            return r.parent;
        }
    }
    return "(none)";
}

TEST(DemoApp, HasAGroupOfEntitiesWithSharedMembers) {
    const AppModel demo = Demo();
    const DimensionModel& entity = demo.dim(Dimension::Entity);
    EXPECT_GE(entity.members.size(), 55u);
    EXPECT_LE(entity.members.size(), 70u);
    std::map<QString, int> occurrences;
    for (const RelationModel& r : entity.hierarchy) {
        ++occurrences[r.child];
    }
    int shared = 0;
    for (const auto& [_, n] : occurrences) {
        shared += n > 1;
    }
    EXPECT_GE(shared, 3);
    EXPECT_EQ(occurrences.size(), entity.members.size());  // every entity is placed
    EXPECT_EQ(Find(entity, "FR01")->defaultCurrency, "EUR");
}

TEST(DemoApp, HasAccountsOfEveryTypeInAHierarchy) {
    const AppModel demo = Demo();
    const DimensionModel& account = demo.dim(Dimension::Account);
    EXPECT_GE(account.members.size(), 130u);
    std::set<int> types;
    for (const MemberModel& m : account.members) {
        types.insert(m.accountType);
    }
    EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(ParentOf(account, "1000"), "Cash");
    EXPECT_EQ(ParentOf(account, "Cash"), "CurrentAssets");
}

TEST(DemoApp, HasTheSystemMembersCurrenciesPeriodsAndCustomLists) {
    const AppModel demo = Demo();
    const DimensionModel& value = demo.dim(Dimension::Value);
    for (const char* label : {"<Entity Currency>", "<Entity Curr Adjs>", "<Entity Curr Total>",
                              "[None]", "EUR", "USD", "GBP"}) {
        EXPECT_NE(Find(value, label), nullptr) << label;
    }
    // Each currency has its adjustments and total members, which are not currencies.
    for (const char* label : {"EUR Adjs", "EUR Total", "USD Adjs", "USD Total"}) {
        const MemberModel* m = Find(value, label);
        ASSERT_NE(m, nullptr) << label;
        EXPECT_FALSE(m->isCurrency) << label;
        EXPECT_TRUE(m->isSystem) << label;
    }
    const DimensionModel& period = demo.dim(Dimension::Period);
    for (int m = 1; m <= 12; ++m) {
        const QString label = QStringLiteral("%1").arg(m, 2, 10, QChar('0'));
        EXPECT_EQ(ParentOf(period, label), QStringLiteral("Q%1").arg((m + 2) / 3));
    }
    EXPECT_EQ(ParentOf(period, "Q1"), "Year");
    EXPECT_EQ(ParentOf(period, "Year"), "");
    const DimensionModel& custom1 = demo.dim(Dimension::Custom1);
    EXPECT_TRUE(std::any_of(custom1.members.begin(), custom1.members.end(),
                            [](const MemberModel& m) { return m.isCurrency; }));
    EXPECT_TRUE(std::any_of(custom1.members.begin(), custom1.members.end(),
                            [](const MemberModel& m) { return m.isConsolMethod; }));
    for (Dimension d : {Dimension::Scenario, Dimension::Year, Dimension::View, Dimension::ICP,
                        Dimension::Custom2, Dimension::Custom3, Dimension::Custom4}) {
        EXPECT_FALSE(demo.dim(d).members.empty())
            << DimensionDisplayName(static_cast<int>(d)).toStdString();
    }
}

TEST(DemoApp, DescribesEveryMemberInBothLanguagesAndUsesSecurityClasses) {
    const AppModel demo = Demo();
    ASSERT_EQ(demo.languages, (QStringList{"English", "French"}));
    int secured = 0;
    for (const DimensionModel& dim : demo.dimensions) {
        for (const MemberModel& m : dim.members) {
            EXPECT_FALSE(m.descriptions.value(0).isEmpty()) << m.label.toStdString();
            EXPECT_FALSE(m.descriptions.value(1).isEmpty()) << m.label.toStdString();
            secured += !m.securityClass.isEmpty();
        }
    }
    EXPECT_GT(secured, 10);
}

TEST(DemoApp, MemberListFileGivesUserListsWithEntityParents) {
    const AppModel demo = Demo();
    const auto& entityLists = demo.dim(Dimension::Entity).memberLists;
    ASSERT_GE(entityLists.size(), 2u);
    EXPECT_EQ(entityLists[0].name, "EuropeLegal");
    EXPECT_EQ(entityLists[0].entries[0].parent, "France");
    EXPECT_FALSE(demo.dim(Dimension::Account).memberLists.empty());
    EXPECT_FALSE(demo.dim(Dimension::Custom2).memberLists.empty());
    EXPECT_TRUE(demo.memberListFile.has_value());
}

}  // namespace
}  // namespace tarsel::local::format
