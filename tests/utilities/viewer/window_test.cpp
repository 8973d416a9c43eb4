#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "server/xlsx/xlsx_spreadsheet.h"
#include "tests/server/xlsx/xlsx_reader.h"
#include "tests/utilities/viewer/tree_access.h"
#include "tests/utilities/viewer/viewer_server.h"
#include "tests/utilities/viewer/viewer_test_env.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/viewer/frmMetadataViewer.h"

namespace {

using tarsel::Dimension;
using tarsel::test::In;

class ViewerWindow : public ::testing::Test,
                     public viewer_test::ViewerEnvironment,
                     public viewer_test::ViewerServer {
  protected:
    ViewerWindow() {
        builder.SecurityClass(QStringLiteral("Finance")).SecurityClass(QStringLiteral("HR"));
        for (const char* label :
             {"<Entity Currency>", "EUR", "USD", "EURAdjs", "[None]", "EURTotal"}) {
            builder.Relate(Dimension::Value, QString(), QString::fromLatin1(label));
        }
    }

    // Starts the application and points the session state at one of its dimensions.
    void Use(Dimension dimension, const char* name) {
        Start();
        modGlobal::gSession = session;
        modGlobal::gMetadata = metadata;
        modGlobal::gApplicationName = QStringLiteral("Comma");
        modGlobal::gDimension = Tree(dimension);
        modGlobal::gDimensionName = QString::fromLatin1(name);
    }
    // Group > (France, Europe > Paris); France EUR/Finance, Paris USD
    void MakeEntities() {
        builder.Relate(Dimension::Entity, "", "Group")
            .Describe(Dimension::Entity, "Group", "Group total")
            .Relate(Dimension::Entity, "Group", "France")
            .Describe(Dimension::Entity, "France", "French company")
            .Relate(Dimension::Entity, "Group", "Europe")
            .Describe(Dimension::Entity, "Europe", "Europe")
            .Relate(Dimension::Entity, "Europe", "Paris")
            .Describe(Dimension::Entity, "Paris", "Paris office");
        builder.Add(Dimension::Entity, "France").defaultCurrency = QStringLiteral("EUR");
        builder.Add(Dimension::Entity, "France").securityClass = QStringLiteral("Finance");
        builder.Add(Dimension::Entity, "Paris").defaultCurrency = QStringLiteral("USD");
    }
    QString EntityTag(const char* parent, const char* child) const {
        return Part(Dimension::Entity, QString::fromLatin1(parent)) + QLatin1Char('#') +
               Part(Dimension::Entity, QString::fromLatin1(child));
    }
    std::unique_ptr<frmMetadataViewer> Open() { return std::make_unique<frmMetadataViewer>(); }

    template <typename T>
    static T* Find(QWidget& window, const char* name) {
        T* child = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static QString Totals(QWidget& w) { return Find<QLabel>(w, "lblTotalMembers")->text(); }
    static QStringList Entries(QComboBox* box) {
        QStringList entries;
        for (int i = 0; i < box->count(); ++i) {
            entries.push_back(box->itemText(i));
        }
        return entries;
    }
};

TEST_F(ViewerWindow, LoadShowsTheEntityTreeWithCaptionsCountsAndFilters) {
    MakeEntities();
    Use(Dimension::Entity, "ENTITY");
    auto w = Open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tarsel Utilities - Metadata Viewer"));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::Window));
    EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_TRUE(boxes->shown().empty());
    EXPECT_EQ(Find<QLabel>(*w, "lblDimension")->text(), QStringLiteral("ENTITY Dimension"));
    EXPECT_EQ(Totals(*w), QStringLiteral("4 Total Members - 3 levels"));
    EXPECT_EQ(Find<QLabel>(*w, "sbStatusBarPanel1")->text(), QStringLiteral("Application: Comma"));
    EXPECT_NE(Find<QStatusBar>(*w, "sbStatusBar"), nullptr);

    auto tree = viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"));
    EXPECT_FALSE(tree->isHidden());
    EXPECT_TRUE(viewer_test::TreeAccess(Find<QTreeView>(*w, "trvTopMember"))->isHidden());
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    viewer_test::TreeNode group = tree->topLevelItem(0);
    EXPECT_EQ(group->text(0),
              QStringLiteral("Group - Group total (Currency=, Adjs=False, ChildAdjs=False, "
                             "Security=[Default], ICP=False, UD1=[None], UD2=[None], "
                             "UD3=[None])"));
    EXPECT_EQ(group->data(0, frmMetadataViewer::kKeyRole).toString(), QStringLiteral("0KEY"));
    EXPECT_EQ(group->data(0, frmMetadataViewer::kTagRole).toString(),
              QStringLiteral("-1_ROOT#") + Part(Dimension::Entity, QStringLiteral("Group")));
    ASSERT_EQ(group->childCount(), 2);
    EXPECT_EQ(group->child(1)->child(0)->data(0, frmMetadataViewer::kTagRole).toString(),
              EntityTag("Europe", "Paris"));
    EXPECT_EQ(group->child(1)->child(0)->data(0, frmMetadataViewer::kKeyRole).toString(),
              QStringLiteral("3KEY"));

    EXPECT_TRUE(Find<QRadioButton>(*w, "optShowAttributes_0")->isChecked());
    EXPECT_EQ(Find<QRadioButton>(*w, "optShowAttributes_1")->text(),
              QStringLiteral("Hide Attributes"));
    EXPECT_FALSE(Find<QCheckBox>(*w, "chk_ExpAttribs")->isChecked());
    EXPECT_EQ(Find<QPushButton>(*w, "cmdSendToExcel")->text(),
              QStringLiteral("Send to E&xcel -->"));
    EXPECT_TRUE(Find<QPushButton>(*w, "cmdRemoveTopMember")->isHidden());
    EXPECT_FALSE(Find<QPushButton>(*w, "cmdFind")->isHidden());
    EXPECT_FALSE(Find<QGroupBox>(*w, "fraEntityFilters")->isHidden());
    EXPECT_TRUE(Find<QRadioButton>(*w, "optEntityFilterSwitch_1")->isChecked());
    EXPECT_TRUE(Find<QPushButton>(*w, "cmdRerunEntityFilters")->isHidden());

    auto* classes = Find<QComboBox>(*w, "cboEntitySecurityClassFilter");
    auto* currencies = Find<QComboBox>(*w, "cboEntityCurrencyFilter");
    EXPECT_EQ(Entries(classes), (QStringList{"ALL SECURITY CLASSES", "Finance", "HR"}));
    EXPECT_EQ(Entries(currencies), (QStringList{"ALL CURRENCIES", "EUR", "USD"}));
    EXPECT_EQ(classes->currentIndex(), -1);
    EXPECT_TRUE(currencies->currentText().isEmpty());
    EXPECT_TRUE(modGlobal::gSecurity != nullptr);
}

TEST_F(ViewerWindow, UnsupportedDimensionShowsTheMessageAndAnEmptyTree) {
    builder.Relate(Dimension::Scenario, "", "Actual");
    Use(Dimension::Scenario, "SCENARIO");
    auto w = Open();
    ASSERT_EQ(boxes->shown().size(), 1u);
    const auto& box = boxes->shown()[0];
    EXPECT_EQ(box.title, QStringLiteral("Unsupported Dimension"));
    EXPECT_EQ(box.text,
              QStringLiteral("The SCENARIO dimension is not yet support for metadata viewing."));
    EXPECT_EQ(box.buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(box.icon, ui::Icon::Exclamation);
    EXPECT_EQ(viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"))->topLevelItemCount(), 0);
    EXPECT_EQ(Find<QLabel>(*w, "lblDimension")->text(), QStringLiteral("SCENARIO Dimension"));
    EXPECT_TRUE(Find<QGroupBox>(*w, "fraEntityFilters")->isHidden());
    EXPECT_EQ(Totals(*w), QStringLiteral("0 Total Members - 1 levels"));

    // The attribute controls stay usable but build nothing: no blank nodes, no counts.
    Find<QRadioButton>(*w, "optShowAttributes_1")->click();
    Find<QRadioButton>(*w, "optShowAttributes_0")->click();
    Find<QCheckBox>(*w, "chk_ExpAttribs")->click();
    EXPECT_EQ(viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"))->topLevelItemCount(), 0);
    EXPECT_EQ(Totals(*w), QStringLiteral("0 Total Members - 1 levels"));
    EXPECT_EQ(boxes->shown().size(), 1u);
}

TEST_F(ViewerWindow, TreeKeepsItsWidthWhileControlsBesideItHideAndShow) {
    auto widthsStay = [](frmMetadataViewer& w) {
        w.show();
        QCoreApplication::processEvents();
        auto tree = viewer_test::TreeAccess(Find<QTreeView>(w, "trvMembers"));
        const int width = tree->width();
        Find<QRadioButton>(w, "optShowAttributes_1")->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(tree->width(), width);
        tree->setCurrentItem(tree->topLevelItem(0));
        Find<QAction>(w, "mnuTopMember")->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(viewer_test::TreeAccess(Find<QTreeView>(w, "trvTopMember"))->width(), width);
    };
    // The expanded-attributes box is the widest control of a custom window.
    builder.Relate(Dimension::Custom1, "", "AllProducts")
        .Describe(Dimension::Custom1, "AllProducts", "All products")
        .Relate(Dimension::Custom1, "AllProducts", "P1")
        .Describe(Dimension::Custom1, "P1", "First");
    // A long class name widens the filter list, which the top-member view hides.
    const QString longName = QStringLiteral("Consolidated European Holding Companies Restricted");
    builder.SecurityClass(longName);
    MakeEntities();
    Use(Dimension::Custom1, "CUSTOM1");
    widthsStay(*Open());

    modGlobal::gDimension = Tree(Dimension::Entity);
    modGlobal::gDimensionName = QStringLiteral("ENTITY");
    auto w = Open();
    widthsStay(*w);
    auto* classes = Find<QComboBox>(*w, "cboEntitySecurityClassFilter");
    EXPECT_GT(classes->width(), classes->fontMetrics().horizontalAdvance(longName));
}

TEST_F(ViewerWindow, AttributeControlsRebuildWithoutDuplicatingFilterEntries) {
    MakeEntities();
    Use(Dimension::Entity, "ENTITY");
    auto w = Open();
    auto* expanded = Find<QCheckBox>(*w, "chk_ExpAttribs");
    auto* currencies = Find<QComboBox>(*w, "cboEntityCurrencyFilter");
    currencies->setCurrentIndex(2);
    for (int i = 0; i < 3; ++i) {
        expanded->click();
    }
    EXPECT_TRUE(expanded->isChecked());
    auto tree = viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"));
    EXPECT_TRUE(tree->topLevelItem(0)->text(0).contains(
        QStringLiteral("HierRelationship=Parent[DefParGen:%1])")
            .arg(
                Tree(Dimension::Entity)
                    ->GetDefaultParentGeneration(Id(Dimension::Entity, QStringLiteral("Group"))))));
    EXPECT_EQ(Entries(currencies), (QStringList{"ALL CURRENCIES", "EUR", "USD"}));
    EXPECT_EQ(currencies->currentText(), QStringLiteral("USD"));
    EXPECT_EQ(Entries(Find<QComboBox>(*w, "cboEntitySecurityClassFilter")).size(), 3);

    // Filled by the first build only: later rebuilds keep the entries as they were, whatever
    // the server reports by then.
    tarsel::SecurityClasses classes = security->EnumSecurityClasses();
    classes.ids.push_back(classes.ids.back() + 1);
    classes.names.push_back(QStringLiteral("Audit"));
    plan->Return("Security::EnumSecurityClasses", classes);
    plan->Return("DimensionTree::EnumAllMemberLabels",
                 Tree(Dimension::Value)->EnumAllMemberLabels() << QStringLiteral("GBP"),
                 In(Dimension::Value));
    expanded->click();
    EXPECT_EQ(Entries(currencies), (QStringList{"ALL CURRENCIES", "EUR", "USD"}));
    EXPECT_EQ(Entries(Find<QComboBox>(*w, "cboEntitySecurityClassFilter")),
              (QStringList{"ALL SECURITY CLASSES", "Finance", "HR"}));
    EXPECT_EQ(currencies->currentText(), QStringLiteral("USD"));
    expanded->click();

    Find<QRadioButton>(*w, "optShowAttributes_1")->click();
    EXPECT_FALSE(expanded->isChecked());
    EXPECT_TRUE(expanded->isHidden());
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Group - Group total"));
    Find<QRadioButton>(*w, "optShowAttributes_0")->click();
    EXPECT_FALSE(expanded->isHidden());
    EXPECT_TRUE(tree->topLevelItem(0)->text(0).endsWith(QStringLiteral("UD3=[None])")));
    EXPECT_EQ(Totals(*w), QStringLiteral("4 Total Members - 3 levels"));
}

TEST_F(ViewerWindow, FilterSwitchListsMatchingEntitiesAndSwitchesBack) {
    MakeEntities();
    Use(Dimension::Entity, "ENTITY");
    auto w = Open();
    auto tree = viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"));
    Find<QRadioButton>(*w, "optEntityFilterSwitch_0")->click();
    EXPECT_FALSE(Find<QPushButton>(*w, "cmdRerunEntityFilters")->isHidden());
    EXPECT_EQ(tree->topLevelItemCount(), 4);
    EXPECT_EQ(Totals(*w), QStringLiteral("4 Total Members - 1 levels"));

    Find<QComboBox>(*w, "cboEntityCurrencyFilter")->setCurrentIndex(1);       // EUR
    Find<QComboBox>(*w, "cboEntitySecurityClassFilter")->setCurrentIndex(1);  // Finance
    Find<QPushButton>(*w, "cmdRerunEntityFilters")->click();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_TRUE(tree->topLevelItem(0)->text(0).startsWith(QStringLiteral("France - ")));
    EXPECT_EQ(Totals(*w), QStringLiteral("1 Total Members - 1 levels"));

    Find<QRadioButton>(*w, "optEntityFilterSwitch_1")->click();
    EXPECT_TRUE(Find<QPushButton>(*w, "cmdRerunEntityFilters")->isHidden());
    EXPECT_EQ(Totals(*w), QStringLiteral("4 Total Members - 3 levels"));
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 2);
}

TEST_F(ViewerWindow, TopMemberViewAndBackToNormal) {
    MakeEntities();
    Use(Dimension::Entity, "ENTITY");
    auto w = Open();
    auto tree = viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"));
    auto top = viewer_test::TreeAccess(Find<QTreeView>(*w, "trvTopMember"));
    auto* setTop = Find<QAction>(*w, "mnuTopMember");
    auto* normal = Find<QAction>(*w, "mnuNormalTreeView");
    EXPECT_TRUE(setTop->isVisible());
    EXPECT_FALSE(normal->isVisible());

    viewer_test::TreeNode europe = tree->topLevelItem(0)->child(1);
    tree->setCurrentItem(europe);
    setTop->trigger();
    EXPECT_FALSE(top->isHidden());
    EXPECT_TRUE(tree->isHidden());
    EXPECT_FALSE(setTop->isVisible());
    EXPECT_TRUE(normal->isVisible());
    EXPECT_FALSE(Find<QPushButton>(*w, "cmdRemoveTopMember")->isHidden());
    EXPECT_TRUE(Find<QRadioButton>(*w, "optShowAttributes_0")->isHidden());
    EXPECT_TRUE(Find<QGroupBox>(*w, "fraEntityFilters")->isHidden());
    EXPECT_EQ(Totals(*w), QStringLiteral("2 Total Members from Top Member of Europe - 2 levels"));
    ASSERT_EQ(top->topLevelItemCount(), 1);
    EXPECT_EQ(top->topLevelItem(0)->data(0, frmMetadataViewer::kKeyRole).toString(),
              QStringLiteral("2KEY"));
    EXPECT_EQ(top->topLevelItem(0)->child(0)->data(0, frmMetadataViewer::kTagRole).toString(),
              EntityTag("Europe", "Paris"));

    Find<QPushButton>(*w, "cmdExpandAll")->click();
    EXPECT_TRUE(top->topLevelItem(0)->isExpanded());
    EXPECT_FALSE(tree->topLevelItem(0)->isExpanded());

    Find<QPushButton>(*w, "cmdRemoveTopMember")->click();
    EXPECT_TRUE(top->isHidden());
    EXPECT_FALSE(tree->isHidden());
    EXPECT_TRUE(Find<QPushButton>(*w, "cmdRemoveTopMember")->isHidden());
    EXPECT_FALSE(Find<QGroupBox>(*w, "fraEntityFilters")->isHidden());
    EXPECT_EQ(Totals(*w), QStringLiteral("4 Total Members - 3 levels"));

    tree->setCurrentItem(europe->child(0));
    setTop->trigger();
    EXPECT_EQ(Totals(*w), QStringLiteral("1 Total Members from Top Member of Paris - 1 levels"));
}

TEST_F(ViewerWindow, FindSelectsEachOccurrenceInEveryViewAndSaysWhichOfHowMany) {
    // Group > (France > Paris, Europe > Paris): Paris is nodes 2 and 4.
    MakeEntities();
    builder.Relate(Dimension::Entity, "France", "Paris");
    Use(Dimension::Entity, "ENTITY");
    auto w = Open();
    w->show();
    QApplication::setActiveWindow(w.get());
    auto tree = viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"));
    auto* search = Find<QLineEdit>(*w, "txtSearch");
    auto* bar = Find<QStatusBar>(*w, "sbStatusBar");
    auto node = [](const viewer_test::TreeAccess& t) {
        return t->currentItem().valid()
                   ? t->currentItem()->data(0, frmMetadataViewer::kNodeRole).toInt()
                   : -1;
    };
    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("PARis"));
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(node(tree), 2);
    EXPECT_TRUE(tree->topLevelItem(0)->child(0)->isExpanded());  // France, to show it
    EXPECT_FALSE(tree->topLevelItem(0)->child(1)->isExpanded());
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("1 of 2 matches for \"PARis\""));
    Find<QPushButton>(*w, "cmdFind")->click();
    EXPECT_EQ(node(tree), 4);
    EXPECT_TRUE(tree->topLevelItem(0)->child(1)->isExpanded());
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("2 of 2 matches for \"PARis\""));
    QTest::keyClick(search, Qt::Key_F3);
    EXPECT_EQ(node(tree), 2);  // round to the first
    QTest::keyClick(search, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(node(tree), 4);  // and back round to the last

    search->setText(QStringLiteral("Lyon"));
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(node(tree), 4);
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("No member matches \"Lyon\""));

    // The top-member view searches itself only.
    tree->setCurrentItem(tree->topLevelItem(0)->child(1));
    Find<QAction>(*w, "mnuTopMember")->trigger();
    auto top = viewer_test::TreeAccess(Find<QTreeView>(*w, "trvTopMember"));
    search->setText(QStringLiteral("paris"));
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(node(top), 1);
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("1 of 1 matches for \"paris\""));

    // The filtered list has each entity once.
    Find<QPushButton>(*w, "cmdRemoveTopMember")->click();
    Find<QRadioButton>(*w, "optEntityFilterSwitch_0")->click();
    QTest::keyClick(search, Qt::Key_Return);
    ASSERT_TRUE(tree->currentItem().valid());
    EXPECT_TRUE(tree->currentItem()->text(0).startsWith(QStringLiteral("Paris - ")));
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("1 of 1 matches for \"paris\""));
}

TEST_F(ViewerWindow, RightClickWithoutASelectedNodeShowsNoMenu) {
    Use(Dimension::Entity, "ENTITY");
    auto w = Open();
    w->show();
    auto* tree = Find<QTreeView>(*w, "trvMembers");
    emit tree->customContextMenuRequested(QPoint(5, 5));
    EXPECT_FALSE(Find<QMenu>(*w, "mnuRightClick")->isVisible());
    Find<QAction>(*w, "mnuTopMember")->trigger();
    EXPECT_TRUE(viewer_test::TreeAccess(Find<QTreeView>(*w, "trvTopMember"))->isHidden());
}

TEST_F(ViewerWindow, ServerFailureDuringTheBuildKeepsWhatWasBuilt) {
    // Members are read a few thousand at a time: France and its 2100 children, then
    // Europe, whose chunk fails.
    MakeEntities();
    for (int i = 0; i < 2100; ++i) {
        builder.Relate(Dimension::Entity, "France", QStringLiteral("F%1").arg(i));
    }
    Use(Dimension::Entity, "ENTITY");
    plan->FailAt("DimensionTree::GetMemberLabel", 1,
                 tarsel::test::OnKey(Id(Dimension::Entity, QStringLiteral("Europe"))));
    auto w = Open();
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_TRUE(boxes->shown()[0].text.startsWith(
        QStringLiteral("Error Encountered in BuildMemberTree:\rError#: -2147215040\r")));
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(Totals(*w), QStringLiteral("2000 Total Members - 3 levels"));
    auto tree = viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"));
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->childCount(), 1998);
    // Still usable: a later rebuild reads everything.
    Find<QCheckBox>(*w, "chk_ExpAttribs")->click();
    EXPECT_EQ(Totals(*w), QStringLiteral("2104 Total Members - 3 levels"));
}

TEST_F(ViewerWindow, ExportAsksAboutAttributesAndWritesTheShownTree) {
    MakeEntities();
    Use(Dimension::Entity, "ENTITY");
    auto w = Open();
    boxes->setNextAnswer(ui::Answer::Yes);
    Find<QPushButton>(*w, "cmdSendToExcel")->click();
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Print Attributes"));
    EXPECT_EQ(boxes->shown()[0].text, QStringLiteral("Print metadata attributes?"));
    EXPECT_EQ(boxes->shown()[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Question);
    EXPECT_EQ(boxes->shown()[1].title, QStringLiteral("Excel Export"));
    EXPECT_EQ(boxes->shown()[1].icon, ui::Icon::Information);
    ASSERT_EQ(opener->opened.size(), 1u);
    EXPECT_TRUE(
        viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"))->topLevelItem(0)->isExpanded());

    auto book = xlsx_test::ReadXlsx(opener->opened[0]);
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    const auto& sheet = book.sheets.at(0);
    const QStringList header = {"Level 1",  "Level 2", "Level 3",   "",         "Description",
                                "Currency", "Adjs",    "ChildAdjs", "Security", "ICP",
                                "UD1",      "UD2",     "UD3"};
    for (int c = 0; c < header.size(); ++c) {
        EXPECT_EQ(sheet.text(1, c + 1), header[c]) << c;
    }
    EXPECT_EQ(sheet.text(2, 1), "Group");
    EXPECT_EQ(sheet.text(3, 2), "France");
    EXPECT_EQ(sheet.text(3, 5), "French company");
    EXPECT_EQ(sheet.text(3, 6), "Currency=EUR");
    EXPECT_EQ(sheet.text(3, 9), "Security=Finance");
    EXPECT_EQ(sheet.text(5, 3), "Paris");
    EXPECT_EQ(sheet.text(5, 6), "Currency=USD");
    EXPECT_EQ(sheet.cells.size(), static_cast<size_t>(12 + 4 * (2 + 8)));

    // Hidden attributes: no question, no attribute columns; the top-member view alone.
    boxes->clear();
    Find<QRadioButton>(*w, "optShowAttributes_1")->click();
    auto tree = viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"));
    tree->setCurrentItem(tree->topLevelItem(0)->child(1));
    Find<QAction>(*w, "mnuTopMember")->trigger();
    Find<QPushButton>(*w, "cmdSendToExcel")->click();
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Excel Export"));
    ASSERT_EQ(opener->opened.size(), 2u);
    book = xlsx_test::ReadXlsx(opener->opened[1]);
    const auto& top = book.sheets.at(0);
    EXPECT_EQ(top.text(1, 1), "Level 1");
    EXPECT_EQ(top.text(1, 2), "Level 2");
    EXPECT_EQ(top.text(1, 4), "Description");
    EXPECT_EQ(top.text(2, 1), "Europe");
    EXPECT_EQ(top.text(3, 2), "Paris");
    EXPECT_EQ(top.text(3, 4), "Paris office");
    EXPECT_EQ(top.cells.size(), 3u + 2u * 2u);
}

TEST_F(ViewerWindow, ExportFailureIsReportedAndTheWindowStaysUsable) {
    MakeEntities();
    Use(Dimension::Entity, "ENTITY");
    auto w = Open();
    tarsel::InstallSpreadsheetProgram(tarsel::xlsx::CreateXlsxSpreadsheetProgram(
        {folder.path() + QStringLiteral("/missing"), opener}));
    boxes->setNextAnswer(ui::Answer::No);
    Find<QPushButton>(*w, "cmdSendToExcel")->click();
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_TRUE(boxes->shown()[1].text.startsWith(
        QStringLiteral("Error Encountered in ExportTreeToSpreadsheet:\rError#: 429\r")));
    EXPECT_TRUE(opener->opened.empty());
    EXPECT_EQ(Totals(*w), QStringLiteral("4 Total Members - 3 levels"));
    // The program was never created, so the tree was not expanded for it.
    EXPECT_FALSE(
        viewer_test::TreeAccess(Find<QTreeView>(*w, "trvMembers"))->topLevelItem(0)->isExpanded());
}

TEST_F(ViewerWindow, LongBuildShowsProgressAndLocksOutClicksAndClosing) {
    QString top;
    for (int i = 0; i < 5000; ++i) {
        const QString label = QStringLiteral("M%1").arg(i);
        if (i % 100 == 0) {
            top = label;
        }
        builder.Relate(Dimension::Entity, i % 100 == 0 ? QString() : top, label);
    }
    Use(Dimension::Entity, "ENTITY");
    QWidget owner;
    auto* w = new frmMetadataViewer(&owner);
    QPointer<frmMetadataViewer> alive(w);
    EXPECT_EQ(w->parentWidget(), &owner);
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(Totals(*w), QStringLiteral("5000 Total Members - 2 levels"));

    QStringList seen;
    int rebuildsInside = 0;
    auto labelCalls = [this] {
        return plan->Calls("DimensionTree::GetMemberLabel", Dimension::Entity);
    };
    // Well inside the rebuild the next click starts.
    plan->Before(
        "DimensionTree::GetMemberLabel",
        [&](int call) {
            if (call == 4500) {
                seen.push_back(Find<QStatusBar>(*w, "sbStatusBar")->currentMessage());
                auto* expanded = Find<QCheckBox>(*w, "chk_ExpAttribs");
                seen.push_back(expanded->isEnabled() ? "enabled" : "locked");
                const int before = labelCalls();
                expanded->click();
                rebuildsInside = labelCalls() - before;
                w->close();
            }
        },
        In(Dimension::Entity));
    Find<QCheckBox>(*w, "chk_ExpAttribs")->click();
    EXPECT_EQ(seen, (QStringList{"Reading members: 4000 read", "locked"}));
    EXPECT_EQ(rebuildsInside, 0);
    EXPECT_TRUE(alive);  // the close waits for the end of the build
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(alive);
}

}  // namespace

int main(int argc, char** argv) {
    return viewer_test::RunOffscreenTests(argc, argv);
}
