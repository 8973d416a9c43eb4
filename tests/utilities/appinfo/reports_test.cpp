// The reports against the real local server, on small applications written here and on a
// generated one checked against the plain method.
#include "utilities/appinfo/appinfo_reports.h"

#include <gtest/gtest.h>

#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"
#include "tests/utilities/appinfo/literal_reports.h"
#include "utilities/appinfo/id_table.h"

namespace {

using tarsel::Dimension;
using tarsel::test::AppBuilder;

class AppinfoReports : public tarsel::test::LocalServerTest {};

// Group > (Europe > (France, Hub > (Lyon, Nice)), Americas > (Ohio, Hub, Paris), Paris)
// with Paris also at the top before Group, and Ohio a third time under Europe.
AppBuilder SharedEntities() {
    AppBuilder app;
    app.Relate(Dimension::Entity, "", "Paris")
        .Relate(Dimension::Entity, "", "Group")
        .Children(Dimension::Entity, "Group", {"Europe", "Americas"})
        .Children(Dimension::Entity, "Europe", {"France", "Hub", "Ohio"})
        .Children(Dimension::Entity, "Hub", {"Lyon", "Nice"})
        .Children(Dimension::Entity, "Americas", {"Ohio", "Hub", "Paris"})
        .Relate(Dimension::Entity, "Group", "Ohio");
    return app;
}

TEST_F(AppinfoReports, SharedMembersNameEachOccurrenceButTheLast) {
    AppBuilder app = SharedEntities();
    app.Children(Dimension::Account, "", {"Sales", "Costs"});
    auto& server = StartServer(app.Build());
    auto entity = server.Tree(Dimension::Entity);
    // Paris at the top first: "<DimRoot>". Hub shares its children: Lyon and Nice are
    // reported under Hub's first place. Ohio three times: two lines.
    const QString expected = QStringLiteral(
        "Paris (<DimRoot>)\r\n"
        "Hub (Europe) **\r\n"
        "Lyon (Hub)\r\n"
        "Nice (Hub)\r\n"
        "Ohio (Europe)\r\n"
        "Ohio (Americas)\r\n");
    EXPECT_EQ(appinfo::SharedMembersReport(*entity), expected);
    EXPECT_EQ(appinfo_literal::SharedMembers(*entity), expected);
    EXPECT_EQ(appinfo::SharedMembersReport(*server.Tree(Dimension::Account)),
              QStringLiteral("No Shared Members Detected"));
    EXPECT_EQ(appinfo::SharedMembersReport(*server.Tree(Dimension::Custom3)),
              QStringLiteral("No Shared Members Detected"));
}

QString Totals(int m, int dm, int b, int db, int depth) {
    return QStringLiteral(
               "Total Members:  %1\r\n\r\nTotal Distinct Members:  %2\r\n\r\n"
               "Total Base Members:  %3\r\n\r\nTotal Distinct Base Members:  %4\r\n\r\n"
               "Total Parent Members:  %5\r\n\r\nTotal Distinct Parent Members:  %6\r\n\r\n"
               "Duplicate Base Members:  %7\r\n\r\nDuplicate Parent Members:  %8\r\n\r\n"
               "Maximum Hierarchy Generation Depth:  %9")
        .arg(m)
        .arg(dm)
        .arg(b)
        .arg(db)
        .arg(m - b)
        .arg(dm - db)
        .arg(b - db)
        .arg((m - b) - (dm - db))
        .arg(depth);
}

TEST_F(AppinfoReports, StatisticsOfEveryKindOfDimension) {
    AppBuilder app = SharedEntities();
    // Two entity parents at the threshold's edge, listed in member order, not walk order.
    QStringList of200, of201;
    for (int i = 0; i < 201; ++i) {
        of201 << QStringLiteral("B%1").arg(i);
        if (i < 200) {
            of200 << QStringLiteral("A%1").arg(i);
        }
    }
    app.Add(Dimension::Entity, "Wide");
    app.Children(Dimension::Entity, "", {"Narrow", "Wide"})
        .Children(Dimension::Entity, "Narrow", of200)
        .Children(Dimension::Entity, "Wide", of201);
    app.Children(Dimension::Account, "", {"Total", "Ownership"})
        .Children(Dimension::Account, "Total", {"Sales", "Costs"});
    app.Add(Dimension::Account, "Ownership").isSystem = true;
    app.Children(Dimension::Custom1, "", {"AllCurrencies"})
        .Children(Dimension::Custom1, "AllCurrencies", {"EUR", "USD"});
    app.Add(Dimension::Custom1, "EUR").isCurrency = true;
    app.Add(Dimension::Custom1, "USD").isCurrency = true;
    app.Children(Dimension::Custom2, "", {"Products", "None"})
        .Children(Dimension::Custom2, "Products", {"P1"});
    app.Children(Dimension::Custom3, "", {"C3"});
    auto& server = StartServer(app.Build());

    // Entity: the 15 occurrences of 9 members of SharedEntities (10 and 5 of them base)
    // plus Narrow, Wide and their 401 children.
    const QString entityTotals = Totals(15 + 403, 9 + 403, 10 + 401, 5 + 401, 4);
    auto entity = server.Tree(Dimension::Entity);
    auto report = appinfo::DimensionStatistics(*entity, QStringLiteral(" 200 "));
    EXPECT_TRUE(report.thresholdProblem.isEmpty());
    EXPECT_EQ(report.text, entityTotals + QStringLiteral("\r\n\r\nParents with more than  200  "
                                                         "Children: \r\n\tWide"));
    EXPECT_EQ(report.text.mid(entityTotals.size() + 4),
              appinfo_literal::ParentsAbove(*entity, 200, QStringLiteral(" 200 ")));
    report = appinfo::DimensionStatistics(*entity, QStringLiteral("1"));
    EXPECT_TRUE(report.text.endsWith(QStringLiteral(
        "Children: \r\n\tGroup\r\n\tEurope\r\n\tAmericas\r\n\tHub\r\n\tWide\r\n\tNarrow")))
        << report.text.toStdString();
    EXPECT_EQ(appinfo::DimensionStatistics(*entity, QStringLiteral("201")).text,
              entityTotals + QStringLiteral("\r\n\r\nParents with more than 201 Children: "));
    // Not a number: the totals, no block, and a message naming the box and the text.
    report = appinfo::DimensionStatistics(*entity, QStringLiteral("2oo"));
    EXPECT_EQ(report.text, entityTotals);
    EXPECT_TRUE(report.thresholdProblem.contains(QStringLiteral("\"2oo\"")));
    EXPECT_TRUE(report.thresholdProblem.contains(
        QStringLiteral("Number of Children to Check for per Parent Entity")));

    EXPECT_EQ(appinfo::DimensionStatistics(*server.Tree(Dimension::Account), "x").text,
              Totals(4, 4, 3, 3, 2) + QStringLiteral("\r\n\r\nSystem Account Members: 1"));
    // Custom1 offers [Currencies] but not [ConsolMethods]; Custom2 offers neither.
    EXPECT_EQ(appinfo::DimensionStatistics(*server.Tree(Dimension::Custom1), "x").text,
              Totals(3, 3, 2, 2, 2) +
                  QStringLiteral("\r\n\r\nCurrency Members: 2\r\n\r\nConsolMethod Members: 0"));
    EXPECT_EQ(appinfo::DimensionStatistics(*server.Tree(Dimension::Custom2), "x").text,
              Totals(3, 3, 2, 2, 2) + QStringLiteral("\r\n\r\nCurrency Members: 0"));
    EXPECT_EQ(appinfo::DimensionStatistics(*server.Tree(Dimension::Custom3), "x").text,
              Totals(1, 1, 1, 1, 1));
    EXPECT_EQ(appinfo::DimensionStatistics(*server.Tree(Dimension::Custom4), "x").text,
              Totals(0, 0, 0, 0, 0));
}

TEST_F(AppinfoReports, CompareAndDuplicatesBelowParents) {
    AppBuilder app = SharedEntities();
    auto& server = StartServer(app.Build());
    auto tree = server.Tree(Dimension::Entity);
    const QString groupVsGroup =
        QStringLiteral("Base members under top member GROUP and NOT under GROUP: \r\n\r\n");
    EXPECT_EQ(appinfo::BaseMemberCompareReport(*tree, "Group", "Group"), groupVsGroup);
    // A descendant: the bases of the other branches, a shared base once per occurrence.
    EXPECT_EQ(appinfo::BaseMemberCompareReport(*tree, "Group", "Europe"),
              QStringLiteral("Base members under top member GROUP and NOT under EUROPE: \r\n\r\n"
                             "Paris\r\n"));
    EXPECT_EQ(appinfo::BaseMemberCompareReport(*tree, "Group", "Hub"),
              QStringLiteral("Base members under top member GROUP and NOT under HUB: \r\n\r\n"
                             "France\r\nOhio\r\nOhio\r\nParis\r\nOhio\r\n"));
    const QString americas = appinfo::BaseMemberCompareReport(*tree, "americas", "Hub");
    EXPECT_EQ(americas, QStringLiteral("Base members under top member AMERICAS and NOT under HUB: "
                                       "\r\n\r\nOhio\r\nParis\r\n"));
    EXPECT_EQ(americas, appinfo_literal::Compare(*tree, "americas", "Hub"));

    // Below Group: Hub twice (with Lyon and Nice each time), Ohio three times.
    const QString group = appinfo::DuplicatesBelowParentReport(*tree, "Group");
    EXPECT_EQ(group, QStringLiteral(
                         "Duplicate members under parent member GROUP: \r\n\r\n"
                         "Hub\r\nLyon\r\nNice\r\nOhio\r\nOhio\r\nHub\r\nLyon\r\nNice\r\nOhio\r\n"));
    EXPECT_EQ(group, appinfo_literal::Duplicates(*tree, "Group"));
    EXPECT_EQ(appinfo::DuplicatesBelowParentReport(*tree, "Europe"),
              QStringLiteral("Duplicate members under parent member EUROPE: \r\n\r\n"));
    EXPECT_THROW(appinfo::DuplicatesBelowParentReport(*tree, "Atlantis"), tarsel::TarselError);
}

TEST_F(AppinfoReports, MemberListsAndParentBoxes) {
    AppBuilder app = SharedEntities();
    app.List(Dimension::Entity, "Twice", {"Ohio", "Group", "Ohio"});
    app.List(Dimension::Entity, "Nothing", {});
    app.Add(Dimension::Entity, "Lonely");  // in no hierarchy
    app.Add(Dimension::Custom1, "EUR").isCurrency = true;
    app.Relate(Dimension::Custom1, "", "EUR");
    auto& server = StartServer(app.Build());
    auto tree = server.Tree(Dimension::Entity);

    EXPECT_EQ(appinfo::OfferedMemberListNames(*tree),
              QStringList({"[Base]", "[Parents]", "Twice", "Nothing"}));
    EXPECT_EQ(appinfo::OfferedMemberListNames(*server.Tree(Dimension::Custom1)),
              QStringList({"[Base]", "[Parents]", "[Currencies]"}));

    auto shown = appinfo::ShowMemberList(*tree, "Entity", "Twice", "Europe");
    EXPECT_EQ(shown.rows, QStringList({"Ohio", "Group **", "Ohio"}));
    EXPECT_EQ(shown.summary, QStringLiteral("Entity list  TWICE  -  3 members"));
    shown = appinfo::ShowMemberList(*tree, "Entity", "Nothing", "");
    EXPECT_TRUE(shown.rows.isEmpty());
    EXPECT_EQ(shown.summary, QStringLiteral("Entity list  "));
    // Every system list shows the distinct base members, below the top member when one is set.
    shown = appinfo::ShowMemberList(*tree, "Entity", "[Parents]", "");
    EXPECT_EQ(shown.rows, QStringList({"Paris", "France", "Lyon", "Nice", "Ohio"}));
    EXPECT_EQ(shown.summary, QStringLiteral("Entity list  [PARENTS]  -  5 members"));
    shown = appinfo::ShowMemberList(*tree, "Entity", "[Base]", "Hub");
    EXPECT_EQ(shown.rows, QStringList({"Lyon", "Nice"}));

    const QStringList parents = appinfo::ParentMemberLabels(*tree);
    EXPECT_EQ(parents, QStringList({"Group", "Europe", "Americas", "Hub"}));
    EXPECT_EQ(parents, appinfo_literal::ParentLabels(*tree));
}

// A hierarchy of some thousands of occurrences with shared base members, shared parents
// with their subtrees, and members placed again at the top.
tarsel::local::AppModel GeneratedEntities(int count) {
    AppBuilder app;
    tarsel::local::AppModel model = app.Build();
    auto& entity = model.dim(Dimension::Entity);
    auto label = [](int i) { return QStringLiteral("E%1").arg(i); };
    for (int i = 0; i < count; ++i) {
        entity.members.push_back({});
        entity.members.back().label = label(i);
    }
    uint32_t random = 12345;
    auto next = [&random] {
        random = random * 1103515245u + 12345u;
        return (random >> 8) % 1000;
    };
    std::vector<std::vector<int>> children(static_cast<size_t>(count));
    for (int i = 1; i < count; ++i) {
        children[static_cast<size_t>((i - 1) / 7)].push_back(i);
    }
    entity.hierarchy.push_back({QString(), label(0)});
    for (int p = 0; p < count; ++p) {
        for (const int c : children[static_cast<size_t>(p)]) {
            entity.hierarchy.push_back({label(p), label(c)});
        }
    }
    // Second places, each under an earlier member: members below another are numbered
    // after it, so no cycle can form. Members from the third generation on are shared,
    // parents with their subtrees; a few go to the top, walked before E0.
    for (int i = 8; i < count; ++i) {
        const uint32_t roll = next();
        if (roll < 30) {
            const int other = static_cast<int>(next() * 7919u % static_cast<uint32_t>(i));
            bool taken = other == (i - 1) / 7;
            for (const auto& relation : entity.hierarchy) {
                taken = taken || (relation.parent == label(other) && relation.child == label(i));
            }
            if (!taken) {
                entity.hierarchy.push_back({label(other), label(i)});
            }
        } else if (roll < 32) {
            entity.hierarchy.insert(entity.hierarchy.begin(), {QString(), label(i)});
        }
    }
    return model;
}

TEST_F(AppinfoReports, GeneratedDimensionGivesThePlainMethodsLines) {
    auto& server = StartServer(GeneratedEntities(2500));
    auto tree = server.Tree(Dimension::Entity);
    const QString shared = appinfo::SharedMembersReport(*tree);
    EXPECT_GT(shared.count(QStringLiteral("\r\n")), 100);
    EXPECT_TRUE(shared.contains(QStringLiteral("(<DimRoot>)")));
    EXPECT_TRUE(shared.contains(QStringLiteral(") **")));
    EXPECT_EQ(shared, appinfo_literal::SharedMembers(*tree));
    EXPECT_EQ(appinfo::ParentMemberLabels(*tree), appinfo_literal::ParentLabels(*tree));
    for (const auto& [from, to] :
         {std::pair{"E0", "E1"}, std::pair{"E2", "E0"}, std::pair{"E1", "E9"}}) {
        EXPECT_EQ(appinfo::BaseMemberCompareReport(*tree, from, to),
                  appinfo_literal::Compare(*tree, from, to));
    }
    for (const char* parent : {"E0", "E1", "E3"}) {
        EXPECT_EQ(appinfo::DuplicatesBelowParentReport(*tree, parent),
                  appinfo_literal::Duplicates(*tree, parent));
    }
    const QString stats = appinfo::DimensionStatistics(*tree, QStringLiteral("6")).text;
    EXPECT_TRUE(stats.endsWith(appinfo_literal::ParentsAbove(*tree, 6, QStringLiteral("6"))));
}

// Ids another server might hand out: far apart, negative, at the ends of the range.
TEST(AppinfoIdTable, SpreadIdsCountLikeDenseOnes) {
    for (const tarsel::IdArray& ids :
         {tarsel::IdArray{3, 4, 3, 5, 4, 3},
          tarsel::IdArray{-7, INT32_MIN, -7, INT32_MAX, INT32_MIN, -7}}) {
        appinfo::IdTable<int> count(ids, 0);
        for (const auto id : ids) {
            ++count[id];
        }
        EXPECT_EQ(count.Find(ids[0]), 3);
        EXPECT_EQ(count.Find(ids[1]), 2);
        EXPECT_EQ(count.Find(ids[3]), 1);
        EXPECT_EQ(count.Find(-1000), 0);
        EXPECT_EQ(count.Find(1000), 0);
    }
    const appinfo::IdTable<int> none({}, 9);
    EXPECT_EQ(none.Find(1), 9);
}

}  // namespace
