#include "utilities/viewer/view_tree.h"
#include "utilities/viewer/view_tree_model.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/utilities/viewer/viewer_server.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/tool_window.h"
#include "utilities/viewer/tree_search.h"
#include "utilities/viewer/viewer_logic.h"

namespace {

using tarsel::Dimension;
using tarsel::test::In;
using tarsel::test::OnKey;
using viewer::MemberTextSource;
using viewer::ViewTree;

class ViewerTree : public ::testing::Test, public viewer_test::ViewerServer {
  protected:
    MemberTextSource Texts(viewer::TextOptions options = {}, viewer::EntityFilter filter = {}) {
        return MemberTextSource(Tree(Dimension::Entity), Dimension::Entity, metadata, security, 0,
                                options, filter);
    }
    ViewTree Build(viewer::TextOptions options = {}) {
        auto texts = Texts(options);
        ViewTree tree;
        viewer::BuildHierarchy(*Tree(Dimension::Entity), texts, tree);
        return tree;
    }
    QString Part(const char* label) const {
        return ViewerServer::Part(Dimension::Entity, QString::fromLatin1(label));
    }
    // Group > (Europe > (France, Shared > Paris), Americas > (Shared > Paris, Ohio)); the
    // members are defined in the order Group, Europe, France, Shared, Paris, Americas, Ohio.
    void MakeSharedHierarchy() {
        builder.Relate(Dimension::Entity, "", "Group")
            .Describe(Dimension::Entity, "Group", "Group total")
            .Relate(Dimension::Entity, "Group", "Europe")
            .Children(Dimension::Entity, "Europe", {"France", "Shared"})
            .Relate(Dimension::Entity, "Shared", "Paris")
            .Relate(Dimension::Entity, "Group", "Americas")
            .Children(Dimension::Entity, "Americas", {"Shared", "Ohio"});
    }
};

QStringList Labels(const ViewTree& tree) {
    QStringList labels;
    for (int node = 0; node < tree.size(); ++node) {
        labels.push_back(QString(tree.level(node) - 1, QLatin1Char('.')) + tree.label(node));
    }
    return labels;
}

TEST_F(ViewerTree, SharedMemberAppearsUnderEachParentWithItsSubtreeInServerOrder) {
    MakeSharedHierarchy();
    Start();
    const ViewTree tree = Build();
    EXPECT_EQ(Labels(tree), (QStringList{"Group", ".Europe", "..France", "..Shared", "...Paris",
                                         ".Americas", "..Shared", "...Paris", "..Ohio"}));
    EXPECT_EQ(tree.memberCount, 9);
    EXPECT_EQ(tree.maxLevel, 4);
    EXPECT_EQ(viewer::TotalsLine(tree.memberCount, tree.maxLevel),
              QStringLiteral("9 Total Members - 4 levels"));

    for (int i = 0; i < tree.size(); ++i) {
        EXPECT_EQ(tree.key(i), QStringLiteral("%1KEY").arg(i));
    }
    EXPECT_EQ(tree.tag(0), QStringLiteral("-1_ROOT#") + Part("Group"));
    EXPECT_EQ(tree.tag(3), Part("Europe") + QLatin1Char('#') + Part("Shared"));
    EXPECT_EQ(tree.tag(6), Part("Americas") + QLatin1Char('#') + Part("Shared"));
    EXPECT_EQ(tree.tag(4), tree.tag(7));  // same parent and child, told apart by their keys
    EXPECT_EQ(tree.parent(4), 3);
    EXPECT_EQ(tree.parent(7), 6);
    EXPECT_EQ(tree.parent(8), 5);
}

TEST_F(ViewerTree, SmallestHierarchiesAndTheirTotals) {
    Start();
    ViewTree empty = Build();
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(viewer::TotalsLine(empty.memberCount, empty.maxLevel),
              QStringLiteral("0 Total Members - 1 levels"));

    builder.Relate(Dimension::Entity, "", "Only");
    Start();
    const ViewTree one = Build();
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one.memberCount, 1);
    EXPECT_EQ(one.maxLevel, 1);
}

TEST_F(ViewerTree, SeparatorsInLabelsDoNotMisplaceNodes) {
    builder.Relate(Dimension::Entity, "", "A#1 - x_y")
        .Describe(Dimension::Entity, "A#1 - x_y", "d - e (f)")
        .Relate(Dimension::Entity, "A#1 - x_y", "1_A")
        .Relate(Dimension::Entity, "1_A", "-1_ROOT")
        .Relate(Dimension::Entity, "", "-1_ROOT");
    Start();
    const ViewTree tree = Build();
    ASSERT_EQ(tree.size(), 4);
    EXPECT_EQ(tree.parent(1), 0);
    EXPECT_EQ(tree.parent(2), 1);
    EXPECT_EQ(tree.parent(3), -1);
    EXPECT_EQ(tree.tag(0), QStringLiteral("-1_ROOT#") + Part("A#1 - x_y"));
    EXPECT_EQ(tree.tag(2), Part("1_A") + QLatin1Char('#') + Part("-1_ROOT"));
    EXPECT_EQ(tree.label(0), QStringLiteral("A#1 - x_y"));
    EXPECT_EQ(tree.description(0), QStringLiteral("d - e (f)"));
    EXPECT_EQ(tree.maxLevel, 3);
}

TEST_F(ViewerTree, FailedServerCallKeepsTheCompletedNodesAndCounts) {
    // Group > (A0 > Shared > Leaf, A1 ... A2499, Shared > Leaf): the members are read a
    // chunk at a time in the order of the walk, and the chunk holding Leaf fails.
    builder.Relate(Dimension::Entity, "", "Group");
    for (int i = 0; i < 2500; ++i) {
        builder.Relate(Dimension::Entity, "Group", QStringLiteral("A%1").arg(i));
    }
    builder.Relate(Dimension::Entity, "A0", "Shared").Relate(Dimension::Entity, "Shared", "Leaf");
    builder.Relate(Dimension::Entity, "Group", "Shared");
    Start();
    plan->FailAt("DimensionTree::GetMemberDescription", 1,
                 OnKey(Id(Dimension::Entity, QStringLiteral("A2200"))));
    auto texts = Texts();
    ViewTree tree;
    EXPECT_THROW(viewer::BuildHierarchy(*Tree(Dimension::Entity), texts, tree),
                 tarsel::TarselError);
    // Every node before the first one whose member was not read is there, with its text.
    EXPECT_EQ(Labels(tree).mid(0, 5), (QStringList{"Group", ".A0", "..Shared", "...Leaf", ".A1"}));
    ASSERT_EQ(tree.size(), viewer::kProgressInterval);
    EXPECT_EQ(tree.label(tree.size() - 1), QStringLiteral("A1996"));
    EXPECT_EQ(tree.memberCount, tree.size());
    EXPECT_EQ(tree.maxLevel, 4);
    for (int node = 0; node < tree.size(); ++node) {
        EXPECT_TRUE(tree.hasText(node)) << node;
    }
}

TEST_F(ViewerTree, PairsOutsideThePathOfTheWalkStandAtTheTop) {
    builder.Relate(Dimension::Entity, "", "A").Relate(Dimension::Entity, "A", "B");
    builder.Relate(Dimension::Entity, "", "C");
    Start();
    const tarsel::MemberId a = Id(Dimension::Entity, QStringLiteral("A"));
    const tarsel::MemberId b = Id(Dimension::Entity, QStringLiteral("B"));
    const tarsel::MemberId c = Id(Dimension::Entity, QStringLiteral("C"));
    // A cycle the store refuses to hold, and a pair whose parent was left behind; a server
    // that failed to refuse them would give them.
    plan->Return("DimensionTree::EnumParentChildPairs",
                 tarsel::ParentChildPairs{{-1, a, b, -1, b}, {a, b, a, c, c}});
    const ViewTree tree = Build();
    EXPECT_EQ(Labels(tree), (QStringList{"A", ".B", "..A", "C", "C"}));
    EXPECT_EQ(tree.tag(4), QStringLiteral("-1_ROOT#") + Part("C"));
    EXPECT_EQ(tree.text(2), tree.text(0));
}

TEST_F(ViewerTree, DeepHierarchiesAndProgressReports) {
    QString parent;
    for (int i = 0; i < 5000; ++i) {
        const QString label = QStringLiteral("M%1").arg(i);
        builder.Relate(Dimension::Entity, parent, label);
        parent = label;
    }
    Start();
    auto texts = Texts({false, false});
    ViewTree tree;
    std::vector<int> reports;
    viewer::BuildHierarchy(*Tree(Dimension::Entity), texts, tree,
                           [&](int n) { reports.push_back(n); });
    EXPECT_EQ(tree.memberCount, 5000);
    EXPECT_EQ(tree.maxLevel, 5000);
    EXPECT_EQ(reports, (std::vector<int>{2000, 4000}));
}

TEST_F(ViewerTree, TopMemberCopyCountsAndLevels) {
    MakeSharedHierarchy();
    Start();
    const ViewTree tree = Build();

    const ViewTree base = viewer::CopySubtree(tree, 2);  // France
    ASSERT_EQ(base.size(), 1);
    EXPECT_EQ(viewer::TopMemberTotalsLine(base.memberCount, tree.label(2), base.maxLevel),
              QStringLiteral("1 Total Members from Top Member of France - 1 levels"));

    const ViewTree europeView = viewer::CopySubtree(tree, 1);  // Europe > France, Shared > Paris
    EXPECT_EQ(Labels(europeView), (QStringList{"Europe", ".France", ".Shared", "..Paris"}));
    EXPECT_EQ(europeView.memberCount, 4);
    EXPECT_EQ(europeView.maxLevel, 3);
    for (int i = 0; i < europeView.size(); ++i) {
        EXPECT_EQ(europeView.key(i), tree.key(i + 1));
        EXPECT_EQ(europeView.tag(i), tree.tag(i + 1));
        EXPECT_EQ(europeView.text(i), tree.text(i + 1));
    }
    EXPECT_EQ(europeView.parent(3), 2);

    const ViewTree shared2 = viewer::CopySubtree(tree, 6);  // the second Shared
    EXPECT_EQ(Labels(shared2), (QStringList{"Shared", ".Paris"}));
    EXPECT_TRUE(viewer::CopySubtree(tree, 99).empty());
}

TEST_F(ViewerTree, FilteredListFollowsAllMemberIdsAndThePicks) {
    MakeSharedHierarchy();
    builder.Relate(Dimension::Value, "", "EUR");
    builder.Add(Dimension::Entity, "France").defaultCurrency = QStringLiteral("EUR");
    builder.Add(Dimension::Entity, "Paris").defaultCurrency = QStringLiteral("EUR");
    Start();
    const auto entityTree = Tree(Dimension::Entity);
    auto& entity = *entityTree;

    auto all = Texts({}, {true, QString(), QString()});
    ViewTree list;
    viewer::BuildFilteredList(entity, all, list);
    EXPECT_EQ(Labels(list),
              (QStringList{"Group", "Europe", "France", "Shared", "Paris", "Americas", "Ohio"}));
    EXPECT_EQ(list.memberCount, 7);
    EXPECT_EQ(list.maxLevel, 1);
    EXPECT_TRUE(list.key(0).isEmpty());
    EXPECT_TRUE(list.tag(0).isEmpty());

    auto allPicked = Texts({}, {true, viewer::kAllCurrencies, viewer::kAllSecurityClasses});
    ViewTree same;
    viewer::BuildFilteredList(entity, allPicked, same);
    EXPECT_EQ(Labels(same), Labels(list));

    auto euro = Texts({}, {true, QStringLiteral("eur"), QString()});
    viewer::BuildFilteredList(entity, euro, list);
    EXPECT_EQ(Labels(list), (QStringList{"France", "Paris"}));
    EXPECT_EQ(viewer::TotalsLine(list.memberCount, list.maxLevel),
              QStringLiteral("2 Total Members - 1 levels"));
}

// The build as the window's first design made it: keys collected depth first by recursion,
// each node placed under the most recent node whose tag ends in its parent part, every
// node's text read for it alone.
struct WalkedNode {
    QString key, tag, text;
    int level = 1;
};
void CollectChildKeys(tarsel::DimensionTree& dimension, tarsel::MemberId parentId,
                      const QString& parentLabel, QStringList& keys) {
    for (tarsel::MemberId id : dimension.EnumChildMemberIDs(-1, parentId)) {
        const QString label = dimension.GetMemberLabel(id);
        keys.push_back(
            QStringLiteral("%1_%2#%3_%4").arg(parentId).arg(parentLabel).arg(id).arg(label));
        CollectChildKeys(dimension, id, label, keys);
    }
}
std::vector<WalkedNode> WalkNodeByNode(tarsel::DimensionTree& dimension, MemberTextSource& texts) {
    QStringList keys;
    for (tarsel::MemberId id : dimension.EnumChildMemberIDs(-1, -1)) {
        const QString label = dimension.GetMemberLabel(id);
        keys.push_back(QStringLiteral("-1_ROOT#%1_%2").arg(id).arg(label));
        CollectChildKeys(dimension, id, label, keys);
    }
    std::vector<WalkedNode> nodes;
    for (int j = 0; j < keys.size(); ++j) {
        const QString parentPart = keys[j].section(QLatin1Char('#'), 0, 0);
        const QString childPart = keys[j].section(QLatin1Char('#'), 1);
        WalkedNode node{QStringLiteral("%1KEY").arg(j), keys[j],
                        texts.Text(childPart.section(QLatin1Char('_'), 0, 0).toInt()), 1};
        if (parentPart != QLatin1String("-1_ROOT")) {
            for (int k = j - 1; k >= 0; --k) {
                if (nodes[static_cast<size_t>(k)].tag.section(QLatin1Char('#'), 1) == parentPart) {
                    node.level = nodes[static_cast<size_t>(k)].level + 1;
                    break;
                }
            }
        }
        nodes.push_back(node);
    }
    return nodes;
}

TEST_F(ViewerTree, BuildGivesTheNodesOfTheNodeByNodeWalkReadingEachMemberOnce) {
    // Eight regions of twenty entities under a group; every fifth entity is shared into the
    // next region as well, and region R3 also stands under R1.
    builder.Relate(Dimension::Value, "", "EUR");
    builder.Relate(Dimension::Entity, "", "Group");
    int occurrences = 1;
    for (int r = 0; r < 8; ++r) {
        const QString region = QStringLiteral("R%1").arg(r);
        builder.Relate(Dimension::Entity, "Group", region)
            .Describe(Dimension::Entity, region, "Region " + region);
        ++occurrences;
        for (int e = 0; e < 20; ++e) {
            const QString entity = QStringLiteral("E%1").arg(r * 20 + e);
            builder.Relate(Dimension::Entity, region, entity);
            builder.Add(Dimension::Entity, entity).defaultCurrency = QStringLiteral("EUR");
            ++occurrences;
        }
    }
    for (int r = 0; r < 8; ++r) {
        for (int e = 0; e < 20; e += 5) {
            builder.Relate(Dimension::Entity, QStringLiteral("R%1").arg((r + 1) % 8),
                           QStringLiteral("E%1").arg(r * 20 + e));
            ++occurrences;
        }
    }
    builder.Relate(Dimension::Entity, "R1", "R3");
    occurrences += 1 + 20 + 4;
    Start();

    auto walkTexts = Texts({true, true});
    const std::vector<WalkedNode> expected = WalkNodeByNode(*Tree(Dimension::Entity), walkTexts);
    const int readsBefore = plan->Calls("DimensionTree::GetMemberDescription");
    const ViewTree tree = Build({true, true});
    EXPECT_EQ(plan->Calls("DimensionTree::GetMemberDescription") - readsBefore, 1 + 8 + 160);

    ASSERT_EQ(static_cast<int>(expected.size()), occurrences);
    ASSERT_EQ(static_cast<size_t>(tree.size()), expected.size());
    int deepest = 1;
    for (size_t i = 0; i < expected.size(); ++i) {
        const int node = static_cast<int>(i);
        EXPECT_EQ(tree.key(node), expected[i].key) << i;
        EXPECT_EQ(tree.tag(node), expected[i].tag) << i;
        EXPECT_EQ(tree.text(node), expected[i].text) << i;
        EXPECT_EQ(tree.level(node), expected[i].level) << i;
        deepest = std::max(deepest, expected[i].level);
    }
    EXPECT_EQ(tree.memberCount, occurrences);
    EXPECT_EQ(tree.maxLevel, deepest);

    // The view's model shows the same nodes in the same depth-first order, each at its
    // level, and finds its way back from every node to its parent.
    viewer::ViewTreeModel model;
    model.SetTree(&tree);
    using Model = viewer::ViewTreeModel;
    size_t visited = 0;
    std::function<void(const QModelIndex&, int)> walk = [&](const QModelIndex& parent, int level) {
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex index = model.index(row, 0, parent);
            ASSERT_LT(visited, expected.size());
            const WalkedNode& want = expected[visited];
            EXPECT_EQ(Model::NodeOf(index), static_cast<int>(visited));
            EXPECT_EQ(index.data().toString(), want.text) << visited;
            EXPECT_EQ(index.data(Model::kKeyRole).toString(), want.key) << visited;
            EXPECT_EQ(index.data(Model::kTagRole).toString(), want.tag) << visited;
            EXPECT_EQ(level, want.level) << visited;
            EXPECT_EQ(model.parent(index), parent) << visited;
            EXPECT_EQ(model.IndexOf(static_cast<int>(visited)), index);
            ++visited;
            walk(index, level + 1);
        }
    };
    walk(QModelIndex(), 1);
    EXPECT_EQ(visited, expected.size());
    EXPECT_FALSE(model.IndexOf(static_cast<int>(expected.size())).isValid());
    model.SetTree(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ViewerTree, SearchStepsThroughEveryOccurrenceAndWrapsRound) {
    MakeSharedHierarchy();
    Start();
    const ViewTree tree = Build();
    viewer::TreeSearch search;
    // Paris is shared: nodes 4 and 7, each a match of its own; "TOTAL" finds the
    // description of Group.
    auto step = search.Next(tree, QStringLiteral("pAris"), -1, true);
    EXPECT_EQ(step.node, 4);
    EXPECT_EQ(viewer::TreeSearch::StatusText(step, QStringLiteral("pAris")),
              QStringLiteral("1 of 2 matches for \"pAris\""));
    step = search.Next(tree, QStringLiteral("pAris"), step.node, true);
    EXPECT_EQ(step.node, 7);
    EXPECT_EQ(step.ordinal, 2);
    step = search.Next(tree, QStringLiteral("pAris"), step.node, true);
    EXPECT_EQ(step.node, 4);  // round to the first again
    step = search.Next(tree, QStringLiteral("pAris"), step.node, false);
    EXPECT_EQ(step.node, 7);  // and backwards round to the last
    // From a node between the matches, onwards and back.
    EXPECT_EQ(search.Next(tree, QStringLiteral("pAris"), 5, true).node, 7);
    EXPECT_EQ(search.Next(tree, QStringLiteral("pAris"), 5, false).node, 4);

    EXPECT_EQ(search.Next(tree, QStringLiteral("TOTAL"), -1, true).node, 0);
    // The text between label and description is not part of either.
    EXPECT_EQ(search.Next(tree, QStringLiteral("Group - "), -1, true).count, 0);
    step = search.Next(tree, QStringLiteral("Lyon"), 3, true);
    EXPECT_EQ(step.node, -1);
    EXPECT_EQ(viewer::TreeSearch::StatusText(step, QStringLiteral("Lyon")),
              QStringLiteral("No member matches \"Lyon\""));
}

TEST(ViewerFilterChoices, CurrencyExclusionsAndNoDuplicates) {
    const QStringList labels = {"<Entity Currency>", "[None]",   "USD",     "EUR",    "EURAdjs",
                                "Parent Total",      "usdtotal", "adjsUSD", "TOTALS", "ADJ"};
    EXPECT_EQ(viewer::CurrencyChoices(labels),
              (QStringList{"ALL CURRENCIES", "USD", "EUR", "adjsUSD", "TOTALS", "ADJ"}));
    EXPECT_EQ(viewer::SecurityClassChoices({"Finance", "HR"}),
              (QStringList{"ALL SECURITY CLASSES", "Finance", "HR"}));

    // A class or currency named like another entry is offered once.
    EXPECT_EQ(viewer::SecurityClassChoices({"HR", "ALL SECURITY CLASSES", "HR"}),
              (QStringList{"ALL SECURITY CLASSES", "HR"}));
    EXPECT_EQ(viewer::CurrencyChoices({"USD", "ALL CURRENCIES", "USD"}),
              (QStringList{"ALL CURRENCIES", "USD"}));
}

TEST(ViewerLogicText, SupportedDimensionsAndMessages) {
    // The dimension the session state names, which only its upper-case form does.
    auto viewable = [](const char* name) {
        modGlobal::gDimensionName = QString::fromLatin1(name);
        const bool result = viewer::IsViewableDimension(modGlobal::ChosenDimension());
        modGlobal::gDimensionName.clear();
        return result;
    };
    for (const char* name : {"ENTITY", "ACCOUNT", "CUSTOM1", "CUSTOM2", "CUSTOM3", "CUSTOM4"}) {
        EXPECT_TRUE(viewable(name)) << name;
    }
    for (const char* name : {"SCENARIO", "VALUE", "ICP", "CUSTOM5", "entity", ""}) {
        EXPECT_FALSE(viewable(name)) << name;
    }
    EXPECT_EQ(viewer::UnsupportedDimensionText(QStringLiteral("SCENARIO")),
              QStringLiteral("The SCENARIO dimension is not yet support for metadata viewing."));
    EXPECT_EQ(ui::FailureMessageText(QStringLiteral("BuildMemberTree"), -5, QStringLiteral("gone"),
                                     QStringLiteral("src")),
              QStringLiteral("Error Encountered in BuildMemberTree:\rError#: -5\rError Desc: "
                             "gone\rError Source: src"));
}

}  // namespace
