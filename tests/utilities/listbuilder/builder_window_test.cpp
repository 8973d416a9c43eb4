// The builder window against the real local server, driven by its controls' names.
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "tests/support/app_builder.h"
#include "tests/utilities/extract/tool_window_test_env.h"
#include "utilities/listbuilder/frmMemberListBuilder.h"
#include "utilities/listbuilder/list_builder_logic.h"

namespace {

using tarsel::Dimension;
using tarsel::test::AppBuilder;

class BuilderWindow : public tooltest::ToolWindowTest {
  protected:
    std::unique_ptr<QWidget> Open() {
        return std::unique_ptr<QWidget>(listbuilder::MakeMemberListBuilderWindow(nullptr));
    }
    static QPushButton* Button(QWidget& w, const char* name) { return Get<QPushButton>(w, name); }
    static QStringList NewList(QWidget& w) {
        QStringList labels;
        auto* list = Get<QListWidget>(w, "lstMemberList");
        for (int i = 0; i < list->count(); ++i) {
            labels << list->item(i)->text();
        }
        return labels;
    }
    static QListWidgetItem* FlatItem(QWidget& w, const QString& text) {
        const auto found = Get<QListWidget>(w, "lstMetadata")->findItems(text, Qt::MatchExactly);
        EXPECT_EQ(found.size(), 1) << text.toStdString();
        return found.value(0);
    }
};

// Accounts: Total > (P10 > (M20, A100), P11 > M20), -Dash-; lists Mixed and Empty; a list file.
AppBuilder Accounts() {
    AppBuilder app;
    app.Relate(Dimension::Account, "", "Total")
        .Children(Dimension::Account, "Total", {"P10", "P11"})
        .Children(Dimension::Account, "P10", {"M20", "A100"})
        .Relate(Dimension::Account, "P11", "M20")
        .Relate(Dimension::Account, "", "-Dash-")
        .Describe(Dimension::Account, "A100", "")
        .Describe(Dimension::Account, "M20", "Shared - member")
        .Describe(Dimension::Account, "-Dash-", "Leading hyphen")
        .Relate(Dimension::Custom1, "", "Alone")
        .List(Dimension::Account, "Mixed", {"P10", "A100"})
        .List(Dimension::Account, "Empty", {})
        .Relate(Dimension::Entity, "", "Group")
        .MemberListFile("Sub EnumMemberLists()\r\nEnd Sub\r\n");
    return app;
}

TEST_F(BuilderWindow, LoadsPickersListsAndTheStoredFile) {
    Start(Accounts().Build(), Dimension::Account);
    auto w = Open();
    EXPECT_EQ(w->windowTitle(), "Tarsel Utilities - Member List Builder");
    EXPECT_EQ(Get<QLabel>(*w, "lblDimension")->text(), "ACCOUNT Dimension");
    EXPECT_EQ(Get<QLabel>(*w, "sbStatusBar_Panel1")->text(), "Application: TestApp");
    auto* tabs = Get<QTabWidget>(*w, "ssTabMemberListBuilder");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), "Static List Builder ");
    EXPECT_EQ(tabs->tabText(1), "List Viewer ");
    EXPECT_EQ(tabs->tabText(2), "Current List File ");
    for (const char* name : {"cmdTreeViewCheckAll", "cmdTreeViewUncheckAll", "cmdTreeViewChecked",
                             "cmdListSelectAll", "cmdListDeselectAll", "cmdListSelected"}) {
        EXPECT_TRUE(Button(*w, name)->isEnabled()) << name;
    }
    for (const char* name : {"cmdGenerateList", "cmdSaveMemberListFile", "cmdResetMemberList"}) {
        EXPECT_FALSE(Button(*w, name)->isEnabled()) << name;
    }

    // One node per occurrence: M20 twice, each below its own parent, keys differing in position.
    auto* tree = Get<QTreeWidget>(*w, "trvMembers");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* total = tree->topLevelItem(0);
    ASSERT_EQ(total->childCount(), 2);
    QTreeWidgetItem* underP10 = total->child(0)->child(0);
    QTreeWidgetItem* underP11 = total->child(1)->child(0);
    const QString m20 = QString::number(modGlobal::gDimension->GetMemberID("M20"));
    EXPECT_EQ(underP10->text(0), "M20 - Shared - member");
    EXPECT_EQ(underP10->data(0, frmMemberListBuilder::kKeyRole).toString(), "INDX2C" + m20);
    EXPECT_EQ(underP11->data(0, frmMemberListBuilder::kKeyRole).toString(), "INDX5C" + m20);
    EXPECT_EQ(underP11->data(0, frmMemberListBuilder::kTagRole).toString(), "M20");
    EXPECT_EQ(underP11->checkState(0), Qt::Unchecked);
    EXPECT_FALSE(total->isExpanded());

    // The list viewer: server order, parents marked, the summary; an empty list.
    auto* lists = Get<QComboBox>(*w, "cboMemberLists");
    EXPECT_EQ(Get<QLabel>(*w, "lblDimensionLists")->text(), "ACCOUNT Lists:");
    const QStringList names = modGlobal::gDimension->EnumMemberListNames();
    ASSERT_EQ(lists->count(), names.size());
    for (int i = 0; i < lists->count(); ++i) {
        EXPECT_EQ(lists->itemText(i), names[i]);
    }
    lists->setCurrentText("Mixed");
    emit lists->activated(lists->currentIndex());
    auto* members = Get<QListWidget>(*w, "lstMembersInList");
    ASSERT_EQ(members->count(), 2);
    EXPECT_EQ(members->item(0)->text(), "P10 **");
    EXPECT_EQ(members->item(1)->text(), "A100");
    EXPECT_EQ(Get<QLabel>(*w, "lblMembersInList")->text(), "ACCOUNT list  MIXED  -  2 members");
    lists->setCurrentText("Empty");
    emit lists->activated(lists->currentIndex());
    EXPECT_EQ(members->count(), 0);
    EXPECT_EQ(Get<QLabel>(*w, "lblMembersInList")->text(), "ACCOUNT list  ");

    EXPECT_EQ(Get<QPlainTextEdit>(*w, "txtCurrentMemberListFile")->toPlainText(),
              "Sub EnumMemberLists()\nEnd Sub\n");
    EXPECT_TRUE(boxes->shown().empty());

    // The main window changed the dimension meanwhile: the old list name is asked of the
    // new dimension, which has no such list; the failure is told and the window goes on.
    Choose(Dimension::Custom1);
    lists->setCurrentText("Mixed");
    emit lists->activated(lists->currentIndex());
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].title, "Tarsel Utilities - Member List Builder");
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Critical);
    EXPECT_TRUE(boxes->shown()[0].text.startsWith("Error Encountered in ShowListMembers:\r"));
    EXPECT_EQ(members->count(), 0);
}

TEST_F(BuilderWindow, BuildsAListFromBothPickersGeneratesSavesAndResets) {
    Start(Accounts().Build(), Dimension::Account);
    auto w = Open();
    auto* tree = Get<QTreeWidget>(*w, "trvMembers");
    auto* flat = Get<QListWidget>(*w, "lstMetadata");
    auto* newList = Get<QListWidget>(*w, "lstMemberList");
    auto* name = Get<QLineEdit>(*w, "txtMemberListName");
    auto* generate = Button(*w, "cmdGenerateList");

    // A checked node inserted twice is added twice; checked nodes go in order of addition.
    QTreeWidgetItem* underP11 = tree->topLevelItem(0)->child(1)->child(0);
    underP11->setCheckState(0, Qt::Checked);
    tree->topLevelItem(0)->setCheckState(0, Qt::Checked);
    Button(*w, "cmdTreeViewChecked")->click();
    underP11->setCheckState(0, Qt::Unchecked);
    Button(*w, "cmdTreeViewChecked")->click();
    EXPECT_EQ(NewList(*w), QStringList({"Total", "M20", "Total"}));
    EXPECT_FALSE(generate->isEnabled());  // no name yet

    // The flat list gives exact labels: an empty description, a leading hyphen.
    flat->setCurrentItem(FlatItem(*w, "A100 - "));
    emit flat->itemDoubleClicked(flat->currentItem());
    flat->clearSelection();
    FlatItem(*w, "-Dash- - Leading hyphen")->setSelected(true);
    FlatItem(*w, "M20 - Shared - member")->setSelected(true);
    Button(*w, "cmdListSelected")->click();
    const QStringList built{"Total", "M20", "Total", "A100", "M20", "-Dash-"};
    // Selected items come in list order, whatever order they were selected in.
    const QStringList expectedOrder = [&] {
        QStringList order = built.mid(0, 4);
        const int dash = flat->row(FlatItem(*w, "-Dash- - Leading hyphen"));
        const int m20 = flat->row(FlatItem(*w, "M20 - Shared - member"));
        order << (dash < m20 ? QStringList{"-Dash-", "M20"} : QStringList{"M20", "-Dash-"});
        return order;
    }();
    EXPECT_EQ(NewList(*w), expectedOrder);

    // Moving the first up or the last down changes nothing.
    newList->setCurrentRow(0);
    Button(*w, "cmdMoveUpMemberInList")->click();
    newList->setCurrentRow(5);
    Button(*w, "cmdMoveDownMemberInList")->click();
    EXPECT_EQ(NewList(*w), expectedOrder);
    newList->setCurrentRow(0);
    Button(*w, "cmdMoveDownMemberInList")->click();
    EXPECT_EQ(newList->currentRow(), 1);
    Button(*w, "cmdMoveUpMemberInList")->click();
    EXPECT_EQ(NewList(*w), expectedOrder);

    // One typed character enables Generate; the Delete key and Clear keep it current.
    QTest::keyClicks(name, "S");
    EXPECT_TRUE(generate->isEnabled());
    newList->setCurrentRow(5);
    QTest::keyClick(newList, Qt::Key_Delete);
    EXPECT_EQ(NewList(*w), expectedOrder.mid(0, 5));
    name->setText("Sales \"Q1\"");

    // Generating twice replaces the text; the count includes duplicates.
    generate->click();
    generate->click();
    const QString syntax =
        listbuilder::GenerateListSyntax("Account", "Sales \"Q1\"", expectedOrder.mid(0, 5));
    auto* box = Get<QPlainTextEdit>(*w, "txtMemberListSyntax");
    EXPECT_EQ(box->toPlainText(), QString(syntax).replace("\r\n", "\n"));
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_EQ(boxes->shown()[1].title, "Member List Syntax Written Successfully");
    EXPECT_EQ(boxes->shown()[1].text, listbuilder::ListWrittenText("Account", "Sales \"Q1\"", 5));
    EXPECT_TRUE(boxes->shown()[1].text.contains("The list contains 5 members.\r\r"));
    boxes->clear();

    // Saved byte for byte, after the extension warning for a name that is not .lst.
    ASSERT_TRUE(Button(*w, "cmdSaveMemberListFile")->isEnabled());
    boxes->setNextAnswer(ui::Answer::Ok);
    EXPECT_EQ(SaveThroughWindow(*w, Button(*w, "cmdSaveMemberListFile"), "sales.txt"),
              (syntax + "\r\n").toUtf8());
    EXPECT_EQ(Titles(), QStringList({"Tarsel Member List Extension", "File Saved"}));
    EXPECT_EQ(modGlobal::gSaveMode, "MEMBERLIST");
    EXPECT_EQ(modGlobal::gSavePattern, "*.lst");
    boxes->clear();

    // Reset asks; Cancel keeps the text, OK clears it and the save and reset go off; with
    // the box empty, reset asks nothing.
    boxes->setNextAnswer(ui::Answer::Cancel);
    Button(*w, "cmdResetMemberList")->click();
    EXPECT_FALSE(box->toPlainText().isEmpty());
    boxes->setNextAnswer(ui::Answer::Ok);
    Button(*w, "cmdResetMemberList")->click();
    EXPECT_TRUE(box->toPlainText().isEmpty());
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_EQ(boxes->shown()[0].title, "Reset Member List Syntax?");
    EXPECT_EQ(boxes->shown()[0].text,
              "WARNING:  This will reset the Member List Syntax!\r\rThe current member list "
              "syntax will be lost ");
    EXPECT_EQ(boxes->shown()[0].buttons, ui::Buttons::OkCancel);
    EXPECT_FALSE(Button(*w, "cmdSaveMemberListFile")->isEnabled());
    EXPECT_FALSE(Button(*w, "cmdResetMemberList")->isEnabled());
    boxes->clear();
    Button(*w, "cmdResetMemberList")->click();  // disabled: nothing happens
    EXPECT_TRUE(boxes->shown().empty());

    Button(*w, "cmdClearMemberList")->click();
    EXPECT_EQ(newList->count(), 0);
    EXPECT_FALSE(generate->isEnabled());
}

TEST_F(BuilderWindow, ADimensionWithoutHierarchyAndAnApplicationWithoutListFile) {
    AppBuilder app;
    app.Relate(Dimension::Account, "", "A");
    Start(app.Build(), Dimension::Custom2);
    auto w = Open();
    EXPECT_EQ(Get<QTreeWidget>(*w, "trvMembers")->topLevelItemCount(), 0);
    EXPECT_EQ(Get<QListWidget>(*w, "lstMetadata")->count(), 0);
    EXPECT_TRUE(Button(*w, "cmdTreeViewChecked")->isEnabled());
    EXPECT_TRUE(Button(*w, "cmdListSelected")->isEnabled());
    EXPECT_EQ(Get<QPlainTextEdit>(*w, "txtCurrentMemberListFile")->toPlainText(),
              "No member list file is present in the system.");
    EXPECT_TRUE(boxes->shown().empty());

    // Entity is never offered a builder by the main window; opened anyway, it reads no
    // pickers and leaves their buttons off.
    Choose(Dimension::Entity);
    auto entity = Open();
    EXPECT_EQ(Get<QLabel>(*entity, "lblDimension")->text(), "ENTITY Dimension");
    EXPECT_EQ(Get<QTreeWidget>(*entity, "trvMembers")->topLevelItemCount(), 0);
    EXPECT_FALSE(Button(*entity, "cmdTreeViewChecked")->isEnabled());
    EXPECT_FALSE(Button(*entity, "cmdListSelected")->isEnabled());
}

TEST_F(BuilderWindow, FailuresInTheLoadAndOnGenerateAreToldAndTheRestGoesOn) {
    auto plan = std::make_shared<tarsel::test::FaultPlan>();
    plan->FailAt("SystemInfo::GetMemberListFile", 1);
    plan->FailAt("DimensionTree::GetDimensionName", 2, {}, "Connection lost.", 12345);
    Start(Accounts().Build(), Dimension::Account, plan);
    auto w = Open();

    // The stored file could not be read; the pickers and the lists were.
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].text,
              QStringLiteral("Error Encountered in ShowCurrentListFile:\rError#: %1\rError Desc: "
                             "The store went away.\rError Source: Brennic.TarselErrorHandler.1")
                  .arg(tarsel::code::kStoreFailure));
    EXPECT_EQ(boxes->shown()[0].title, "Tarsel Utilities - Member List Builder");
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(Get<QPlainTextEdit>(*w, "txtCurrentMemberListFile")->toPlainText(), "");
    EXPECT_GE(Get<QComboBox>(*w, "cboMemberLists")->findText("Mixed"), 0);
    EXPECT_EQ(Get<QLabel>(*w, "sbStatusBar_Panel1")->text(), "Application: TestApp");

    // Generate cannot read the dimension's name: told, no text and no confirmation; the next
    // press writes the list.
    auto* flat = Get<QListWidget>(*w, "lstMetadata");
    flat->setCurrentItem(FlatItem(*w, "A100 - "));
    emit flat->itemDoubleClicked(flat->currentItem());
    Get<QLineEdit>(*w, "txtMemberListName")->setText("Cash");
    Button(*w, "cmdGenerateList")->click();
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_EQ(boxes->shown()[1].text,
              "Error Encountered in GenerateListSyntax:\rError#: 12345\rError Desc: Connection "
              "lost.\rError Source: Brennic.TarselErrorHandler.1");
    auto* syntax = Get<QPlainTextEdit>(*w, "txtMemberListSyntax");
    EXPECT_TRUE(syntax->toPlainText().isEmpty());
    EXPECT_FALSE(Button(*w, "cmdSaveMemberListFile")->isEnabled());
    Button(*w, "cmdGenerateList")->click();
    EXPECT_EQ(syntax->toPlainText(),
              listbuilder::GenerateListSyntax("Account", "Cash", {"A100"}).replace("\r\n", "\n"));
    ASSERT_EQ(boxes->shown().size(), 3u);
    EXPECT_EQ(boxes->shown()[2].title, "Member List Syntax Written Successfully");
    w.reset();
    boxes->clear();

    // A hierarchy that cannot be read leaves the pickers empty and their buttons off; the
    // list viewer and the stored file are still read.
    plan->FailAt("DimensionTree::EnumParentChildPairs", 1);
    auto second = Open();
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_TRUE(boxes->shown()[0].text.startsWith("Error Encountered in LoadHierarchy:\rError#: "));
    EXPECT_EQ(Get<QTreeWidget>(*second, "trvMembers")->topLevelItemCount(), 0);
    EXPECT_EQ(Get<QListWidget>(*second, "lstMetadata")->count(), 0);
    EXPECT_FALSE(Button(*second, "cmdTreeViewChecked")->isEnabled());
    EXPECT_EQ(Get<QLabel>(*second, "lblDimension")->text(), "ACCOUNT Dimension");
    EXPECT_EQ(Get<QLabel>(*second, "lblDimensionLists")->text(), "ACCOUNT Lists:");
    EXPECT_GT(Get<QComboBox>(*second, "cboMemberLists")->count(), 0);
    EXPECT_EQ(Get<QPlainTextEdit>(*second, "txtCurrentMemberListFile")->toPlainText(),
              "Sub EnumMemberLists()\nEnd Sub\n");
}

}  // namespace

int main(int argc, char** argv) {
    return tooltest::RunOffscreenTests(argc, argv);
}
