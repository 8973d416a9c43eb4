// The viewer against the real local server, on small applications written here.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>

#include "server/local/application_file.h"
#include "server/local/format/app_text.h"
#include "server/xlsx/xlsx_spreadsheet.h"
#include "tests/server/xlsx/xlsx_reader.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"
#include "tests/utilities/viewer/tree_access.h"
#include "tests/utilities/viewer/viewer_test_env.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/viewer/frmMetadataViewer.h"

namespace {

using tarsel::Dimension;
using tarsel::test::AppBuilder;

class ViewerLocal : public tarsel::test::LocalServerTest, public viewer_test::ViewerEnvironment {
  protected:
    std::unique_ptr<frmMetadataViewer> Open(AppBuilder& app, Dimension dimension,
                                            const QString& name) {
        tarsel::test::LocalServerOptions options;
        auto& server = StartServer(app.Build(), options);
        modGlobal::ResetSessionState();
        modGlobal::gSession = server.Session();
        modGlobal::gMetadata = modGlobal::gSession->Metadata();
        modGlobal::gDimension = server.Tree(dimension);
        modGlobal::gDimensionName = name;
        modGlobal::gApplicationName = QStringLiteral("TestApp");
        return std::make_unique<frmMetadataViewer>();
    }
    static viewer_test::TreeAccess Tree(QWidget& w, const char* name = "trvMembers") {
        return viewer_test::TreeAccess(w.findChild<QTreeView*>(QString::fromLatin1(name)));
    }
    static QString Totals(QWidget& w) {
        return w.findChild<QLabel*>(QStringLiteral("lblTotalMembers"))->text();
    }
    static QString Id(const char* label) {
        return QString::number(modGlobal::gDimension->GetMemberID(QString::fromLatin1(label)));
    }
    static void SetTop(QWidget& w, viewer_test::TreeNode item) {
        Tree(w)->setCurrentItem(item);
        w.findChild<QAction*>(QStringLiteral("mnuTopMember"))->trigger();
    }
};

// Group > (Europe > (France, Shared > Paris), Americas > (Ohio, Shared > Paris))
AppBuilder SharedEntities() {
    AppBuilder app;
    app.Relate(Dimension::Value, "", "EUR").Relate(Dimension::Value, "", "USD");
    app.Relate(Dimension::Entity, "", "Group")
        .Children(Dimension::Entity, "Group", {"Europe", "Americas"})
        .Children(Dimension::Entity, "Europe", {"France", "Shared"})
        .Relate(Dimension::Entity, "Shared", "Paris")
        .Children(Dimension::Entity, "Americas", {"Ohio", "Shared"})
        .Describe(Dimension::Entity, "Group", "Group total");
    return app;
}

TEST_F(ViewerLocal, SharedMemberTwiceWithKeysTagsSubtreesAndCounts) {
    AppBuilder app = SharedEntities();
    auto w = Open(app, Dimension::Entity, QStringLiteral("ENTITY"));
    EXPECT_TRUE(boxes->shown().empty());
    EXPECT_EQ(Totals(*w), QStringLiteral("9 Total Members - 4 levels"));

    auto tree = Tree(*w);
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    viewer_test::TreeNode group = tree->topLevelItem(0);
    ASSERT_EQ(group->childCount(), 2);
    viewer_test::TreeNode europe = group->child(0);
    viewer_test::TreeNode americas = group->child(1);
    ASSERT_EQ(europe->childCount(), 2);
    ASSERT_EQ(americas->childCount(), 2);
    EXPECT_TRUE(americas->child(0)->text(0).startsWith(QStringLiteral("Ohio - ")));
    viewer_test::TreeNode shared1 = europe->child(1);
    viewer_test::TreeNode shared2 = americas->child(1);
    ASSERT_EQ(shared1->childCount(), 1);
    ASSERT_EQ(shared2->childCount(), 1);
    EXPECT_EQ(shared1->text(0), shared2->text(0));

    auto key = [](viewer_test::TreeNode item) {
        return item->data(0, frmMetadataViewer::kKeyRole).toString();
    };
    auto tag = [](viewer_test::TreeNode item) {
        return item->data(0, frmMetadataViewer::kTagRole).toString();
    };
    EXPECT_EQ(key(shared1), QStringLiteral("3KEY"));
    EXPECT_EQ(key(shared2->child(0)), QStringLiteral("8KEY"));
    EXPECT_EQ(tag(group), QStringLiteral("-1_ROOT#") + Id("Group") + QStringLiteral("_Group"));
    EXPECT_EQ(tag(shared1), Id("Europe") + "_Europe#" + Id("Shared") + "_Shared");
    EXPECT_EQ(tag(shared2), Id("Americas") + "_Americas#" + Id("Shared") + "_Shared");
    EXPECT_EQ(tag(shared1->child(0)), tag(shared2->child(0)));
    EXPECT_NE(key(shared1->child(0)), key(shared2->child(0)));

    SetTop(*w, shared2->child(0));
    EXPECT_EQ(Totals(*w), QStringLiteral("1 Total Members from Top Member of Paris - 1 levels"));
    w->findChild<QPushButton*>(QStringLiteral("cmdRemoveTopMember"))->click();
    SetTop(*w, europe);
    EXPECT_EQ(Totals(*w), QStringLiteral("4 Total Members from Top Member of Europe - 3 levels"));
    auto top = Tree(*w, "trvTopMember");
    EXPECT_EQ(top->topLevelItem(0)->child(1)->child(0)->data(0, frmMetadataViewer::kKeyRole),
              QStringLiteral("4KEY"));
}

TEST_F(ViewerLocal, AccountAttributesAsTheStoreHoldsThem) {
    AppBuilder app;
    app.SecurityClass("Finance");
    app.Relate(Dimension::Custom1, "", "TopC1Member").Relate(Dimension::Custom4, "", "AllC4");
    const QStringList words = {"Income",  "Expense", "Asset",         "Liability",
                               "Balance", "Flow",    "Non-Financial", "CurrencyRate",
                               "System",  "Text",    "GroupLabel",    "BalanceRecurring",
                               "Dynamic"};
    app.Relate(Dimension::Account, "", "Root").Describe(Dimension::Account, "Root", "All");
    for (int type = 0; type < words.size(); ++type) {
        const QString label = QStringLiteral("A%1").arg(type);
        app.Relate(Dimension::Account, "Root", label);
        auto& m = app.Add(Dimension::Account, label);
        m.accountType = type;
        m.icpType = type % 3 - 1;
    }
    auto& a0 = app.Add(Dimension::Account, "A0");
    a0.topCustom = {QStringLiteral("TopC1Member"), QString(), QString(), QStringLiteral("AllC4")};
    a0.securityClass = QStringLiteral("Finance");
    a0.userDefined = {QStringLiteral("one"), QString(), QStringLiteral(" x ")};
    a0.decimalPlaces = 2;
    a0.isCalculated = true;
    a0.usesLineItems = true;
    a0.isConsolidated = false;
    a0.customAggregationEnabled = {false, true, true, false};

    auto w = Open(app, Dimension::Account, QStringLiteral("ACCOUNT"));
    viewer_test::TreeNode root = Tree(*w)->topLevelItem(0);
    ASSERT_EQ(root->childCount(), words.size());
    const QStringList icp = {"Yes", "No", "Restricted"};
    for (int type = 0; type < words.size(); ++type) {
        const QString text = root->child(type)->text(0);
        EXPECT_TRUE(text.startsWith(QStringLiteral("A%1 -  (Type=%2, IsICP=%3, ")
                                        .arg(type)
                                        .arg(words[type], icp[type % 3])))
            << text.toStdString();
    }
    EXPECT_EQ(root->child(0)->text(0),
              QStringLiteral("A0 -  (Type=Income, IsICP=Yes, TopC1=TopC1Member, TopC2=, TopC3=, "
                             "TopC4=AllC4, Security=Finance, UD1=one, UD2=, UD3= x )"));
    EXPECT_TRUE(
        root->child(1)->text(0).contains(QStringLiteral("Security=[Default], UD1=, UD2=, UD3=)")));

    w->findChild<QCheckBox*>(QStringLiteral("chk_ExpAttribs"))->click();
    root = Tree(*w)->topLevelItem(0);
    const auto& dim = modGlobal::gDimension;
    const auto a0Id = dim->GetMemberID(QStringLiteral("A0"));
    const auto rootId = dim->GetMemberID(QStringLiteral("Root"));
    EXPECT_TRUE(root->child(0)->text(0).endsWith(
        QStringLiteral(", DefaultParent=Root, HierRelationship=Base[DefParGen:%1], DecPlaces=2, "
                       "IsCalc=True, IsCons=False, IsLID=True, C1AggEnabled=False, "
                       "C2AggEnabled=True, C3AggEnabled=True, C4AggEnabled=False)")
            .arg(dim->GetDefaultParentGeneration(a0Id))))
        << root->child(0)->text(0).toStdString();
    EXPECT_TRUE(root->text(0).contains(
        QStringLiteral(", DefaultParent=%1, HierRelationship=Parent[DefParGen:%2], ")
            .arg(dim->GetDefaultParentLabel(rootId))
            .arg(dim->GetDefaultParentGeneration(rootId))))
        << root->text(0).toStdString();
}

TEST_F(ViewerLocal, UserDefinedRulesDifferBetweenEntityAndCustom) {
    AppBuilder app;
    app.Relate(Dimension::Custom2, "", "P1").Describe(Dimension::Custom2, "P1", "Product");
    app.Add(Dimension::Custom2, "P1").userDefined = {QString(), QStringLiteral("  "),
                                                     QStringLiteral("u3")};
    app.Relate(Dimension::Entity, "", "E1");
    app.Add(Dimension::Entity, "E1").userDefined = {QString(), QStringLiteral("  "),
                                                    QStringLiteral("u3")};
    auto w = Open(app, Dimension::Custom2, QStringLiteral("CUSTOM2"));
    EXPECT_EQ(Tree(*w)->topLevelItem(0)->text(0),
              QStringLiteral("P1 - Product (UD1=, UD2=  , UD3=u3, Security=[Default])"));
    EXPECT_TRUE(w->findChild<QGroupBox*>(QStringLiteral("fraEntityFilters"))->isHidden());
    EXPECT_EQ(w->findChild<QComboBox*>(QStringLiteral("cboEntityCurrencyFilter"))->count(), 0);
    w->close();

    modGlobal::gDimension = modGlobal::gMetadata->Entity();
    modGlobal::gDimensionName = QStringLiteral("ENTITY");
    frmMetadataViewer entityWindow;
    EXPECT_TRUE(Tree(entityWindow)
                    ->topLevelItem(0)
                    ->text(0)
                    .endsWith(QStringLiteral("UD1=[None], UD2=[None], UD3=u3)")));
}

TEST_F(ViewerLocal, EntityFiltersOnTheStore) {
    AppBuilder app = SharedEntities();
    app.SecurityClass("Finance").SecurityClass("HR");
    for (const char* label : {"<Entity Currency>", "[None]", "EURAdjs", "Parent Total"}) {
        app.Relate(Dimension::Value, "", label);
    }
    app.Add(Dimension::Entity, "France").defaultCurrency = QStringLiteral("EUR");
    app.Add(Dimension::Entity, "France").securityClass = QStringLiteral("Finance");
    app.Add(Dimension::Entity, "Paris").defaultCurrency = QStringLiteral("EUR");
    app.Add(Dimension::Entity, "Ohio").defaultCurrency = QStringLiteral("USD");
    auto w = Open(app, Dimension::Entity, QStringLiteral("ENTITY"));
    auto* currencies = w->findChild<QComboBox*>(QStringLiteral("cboEntityCurrencyFilter"));
    auto* classes = w->findChild<QComboBox*>(QStringLiteral("cboEntitySecurityClassFilter"));
    QStringList offered;
    for (int i = 0; i < currencies->count(); ++i) {
        offered.push_back(currencies->itemText(i));
    }
    EXPECT_EQ(offered, (QStringList{"ALL CURRENCIES", "EUR", "USD"}));
    EXPECT_EQ(classes->count(), 3);

    w->findChild<QRadioButton*>(QStringLiteral("optEntityFilterSwitch_0"))->click();
    EXPECT_EQ(Totals(*w), QStringLiteral("7 Total Members - 1 levels"));
    currencies->setCurrentText(QStringLiteral("EUR"));
    w->findChild<QPushButton*>(QStringLiteral("cmdRerunEntityFilters"))->click();
    EXPECT_EQ(Totals(*w), QStringLiteral("2 Total Members - 1 levels"));
    classes->setCurrentText(QStringLiteral("Finance"));
    w->findChild<QPushButton*>(QStringLiteral("cmdRerunEntityFilters"))->click();
    ASSERT_EQ(Tree(*w)->topLevelItemCount(), 1);
    EXPECT_TRUE(Tree(*w)->topLevelItem(0)->text(0).startsWith(QStringLiteral("France - ")));
    w->findChild<QRadioButton*>(QStringLiteral("optEntityFilterSwitch_1"))->click();
    EXPECT_EQ(Totals(*w), QStringLiteral("9 Total Members - 4 levels"));
    EXPECT_EQ(currencies->count(), 3);
    EXPECT_EQ(classes->count(), 3);
}

TEST_F(ViewerLocal, ExportsReadBackCellByCell) {
    AppBuilder app;
    app.Relate(Dimension::Custom1, "", "Total")
        .Describe(Dimension::Custom1, "Total", "All (products)");
    app.Relate(Dimension::Custom1, "Total", "P-1").Describe(Dimension::Custom1, "P-1", "First");
    app.Add(Dimension::Custom1, "P-1").userDefined = {QStringLiteral("a, b"), QString(), QString()};
    auto w = Open(app, Dimension::Custom1, QStringLiteral("CUSTOM1"));
    auto* send = w->findChild<QPushButton*>(QStringLiteral("cmdSendToExcel"));
    using Grid = std::map<std::pair<int, int>, QString>;
    auto exported = [&](size_t n) {
        EXPECT_EQ(opener->opened.size(), n);
        const auto book = xlsx_test::ReadXlsx(opener->opened.at(n - 1));
        EXPECT_TRUE(book.ok) << book.error.toStdString();
        Grid grid;
        for (const auto& [cell, value] : book.sheets.at(0).cells) {
            EXPECT_EQ(value.type, QStringLiteral("s"));
            grid[cell] = value.value;
        }
        return grid;
    };

    boxes->setNextAnswer(ui::Answer::Yes);
    send->click();
    EXPECT_EQ(exported(1), (Grid{{{1, 1}, "Level 1"},
                                 {{1, 2}, "Level 2"},
                                 {{1, 4}, "Description"},
                                 {{1, 5}, "UD1"},
                                 {{1, 6}, "UD2"},
                                 {{1, 7}, "UD3"},
                                 {{1, 8}, "Security"},
                                 {{2, 1}, "Total"},
                                 {{2, 4}, "All (products)"},
                                 {{2, 5}, "UD1="},
                                 {{2, 6}, "UD2="},
                                 {{2, 7}, "UD3="},
                                 {{2, 8}, "Security=[Default]"},
                                 {{3, 2}, "P-1"},
                                 {{3, 4}, "First"},
                                 {{3, 5}, "UD1=a, b"},
                                 {{3, 6}, "UD2="},
                                 {{3, 7}, "UD3="},
                                 {{3, 8}, "Security=[Default]"}}));

    boxes->setNextAnswer(ui::Answer::No);
    send->click();
    EXPECT_EQ(exported(2), (Grid{{{1, 1}, "Level 1"},
                                 {{1, 2}, "Level 2"},
                                 {{1, 4}, "Description"},
                                 {{2, 1}, "Total"},
                                 {{2, 4}, "All (products)"},
                                 {{3, 2}, "P-1"},
                                 {{3, 4}, "First"}}));

    SetTop(*w, Tree(*w)->topLevelItem(0)->child(0));
    EXPECT_EQ(Totals(*w), QStringLiteral("1 Total Members from Top Member of P-1 - 1 levels"));
    boxes->setNextAnswer(ui::Answer::Yes);
    send->click();
    EXPECT_EQ(exported(3), (Grid{{{1, 1}, "Level 1"},
                                 {{1, 3}, "Description"},
                                 {{1, 4}, "UD1"},
                                 {{1, 5}, "UD2"},
                                 {{1, 6}, "UD3"},
                                 {{1, 7}, "Security"},
                                 {{2, 1}, "P-1"},
                                 {{2, 3}, "First"},
                                 {{2, 4}, "UD1=a, b"},
                                 {{2, 5}, "UD2="},
                                 {{2, 6}, "UD3="},
                                 {{2, 7}, "Security=[Default]"}}));
}

TEST_F(ViewerLocal, RebuildShowsWhatAnotherProcessLoadedMeanwhile) {
    AppBuilder app = SharedEntities();
    auto w = Open(app, Dimension::Entity, QStringLiteral("ENTITY"));
    EXPECT_EQ(Totals(*w), QStringLiteral("9 Total Members - 4 levels"));

    // The nightly batch merges Spain below Europe while the window stays open.
    QTemporaryDir job;
    AppBuilder merge;
    merge.Relate(Dimension::Entity, "Europe", "Spain")
        .Describe(Dimension::Entity, "Spain", "Spanish company");
    QFile file(job.filePath(QStringLiteral("merge.app")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tarsel::local::format::WriteAppText(merge.Build()));
    file.close();
    QFile commands(job.filePath(QStringLiteral("job.txt")));
    ASSERT_TRUE(commands.open(QIODevice::WriteOnly));
    commands.write(
        "LOGON TestCluster, TestApp, admin, secret\r\n"
        "LOAD_METADATA merge.app, , MERGE, FALSE\r\n");
    commands.close();
    QProcess batch;
    batch.setWorkingDirectory(job.path());
    batch.start(QStringLiteral(TARSEL_BATCH_BINARY), {commands.fileName()});
    ASSERT_TRUE(batch.waitForFinished(120000));
    ASSERT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
    // The window's next operation reads the commit once the one before it is over: calls
    // closer together than the freshness pause count as one operation.
    QThread::msleep(tarsel::local::kFreshnessCheckMs + 20);

    w->findChild<QCheckBox*>(QStringLiteral("chk_ExpAttribs"))->click();
    EXPECT_EQ(Totals(*w), QStringLiteral("10 Total Members - 4 levels"));
    const viewer_test::TreeNode europe = Tree(*w)->topLevelItem(0)->child(0);
    ASSERT_EQ(europe->childCount(), 3);
    EXPECT_TRUE(europe->child(2)->text(0).startsWith(QStringLiteral("Spain - Spanish company (")));
    EXPECT_EQ(europe->child(2)->data(0, frmMetadataViewer::kTagRole).toString(),
              Id("Europe") + QStringLiteral("_Europe#") + Id("Spain") + QStringLiteral("_Spain"));
}

}  // namespace

int main(int argc, char** argv) {
    return viewer_test::RunOffscreenTests(argc, argv);
}
