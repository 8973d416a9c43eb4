// The application information window offscreen, by its controls' names, against the
// local server.
#include "utilities/appinfo/frmApplicationInfo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QTabWidget>

#include "tests/server/xlsx/xlsx_reader.h"
#include "tests/support/app_builder.h"
#include "tests/support/fault_injection.h"
#include "tests/support/local_server.h"
#include "tests/utilities/viewer/viewer_test_env.h"
#include "utilities/appinfo/report_view.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"

namespace {

using tarsel::Dimension;
using tarsel::test::AppBuilder;

// Group > (Europe > (France, Hub > (Lyon, Nice)), Americas > (Ohio, Hub)), Hub shared.
AppBuilder Entities() {
    AppBuilder app;
    app.Relate(Dimension::Entity, "", "Group")
        .Children(Dimension::Entity, "Group", {"Europe", "Americas"})
        .Children(Dimension::Entity, "Europe", {"France", "Hub"})
        .Children(Dimension::Entity, "Hub", {"Lyon", "Nice"})
        .Children(Dimension::Entity, "Americas", {"Ohio", "Hub"})
        .List(Dimension::Entity, "Twice", {"Ohio", "Group", "Ohio"});
    app.Children(Dimension::Scenario, "", {"Actual", "Budget"});
    app.Children(Dimension::Account, "", {"Total"})
        .Children(Dimension::Account, "Total", {"Sales"});
    app.Children(Dimension::Custom1, "", {"EUR"});
    app.Add(Dimension::Custom1, "EUR").isCurrency = true;
    return app;
}

class AppinfoWindow : public tarsel::test::LocalServerTest, public viewer_test::ViewerEnvironment {
  protected:
    // The application opened as the main window leaves it; with a plan, every call of the
    // session goes through it.
    void Start(std::shared_ptr<tarsel::test::FaultPlan> plan = nullptr) {
        auto& server = StartServer(Entities().Build());
        modGlobal::gSession =
            plan ? tarsel::test::WithFaults(server.Session(), plan) : server.Session();
        modGlobal::gMetadata = modGlobal::gSession->Metadata();
        modGlobal::gApplicationName = QStringLiteral("TestApp");
    }
    std::unique_ptr<QWidget> Open() {
        Start();
        return std::unique_ptr<QWidget>(appinfo::MakeApplicationInfoWindow(nullptr));
    }

    template <typename Widget = QComboBox>
    static Widget* Find(QWidget& w, const QString& name) {
        auto* widget = w.findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    static QStringList Items(QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items << box->itemText(i);
        }
        return items;
    }
    // A choice made by the user: the box's entry picked and its activation sent.
    static void Choose(QWidget& w, const char* box, const QString& text) {
        auto* combo = Find(w, QString::fromLatin1(box));
        const int index = combo->findText(text, Qt::MatchExactly);
        ASSERT_GE(index, 0) << box << ": " << text.toStdString();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    static QStringList Rows(QWidget& w) {
        return Find<appinfo::LinesView>(w, QStringLiteral("lstMembersInList"))->lines();
    }
    static QString Text(QWidget& w, const char* name) {
        return Find<appinfo::ReportView>(w, QString::fromLatin1(name))->toPlainText();
    }
    static QString Label(QWidget& w, const char* name) {
        return Find<QLabel>(w, QString::fromLatin1(name))->text();
    }
    static void Click(QWidget& w, const QString& name) { Find<QAbstractButton>(w, name)->click(); }
    // A report as its view shows it: a line feed between lines.
    static QString Shown(QString report) {
        report.replace(QStringLiteral("\r\n"), "\n");
        report.chop(report.endsWith(QLatin1Char('\n')) ? 1 : 0);
        return report;
    }
    xlsx_test::ReadSheet Export(QWidget& w) {
        const size_t before = opener->opened.size();
        Click(w, QStringLiteral("cmdSendListToExcel"));
        EXPECT_EQ(opener->opened.size(), before + 1);
        const auto book = xlsx_test::ReadXlsx(opener->opened.back());
        EXPECT_TRUE(book.ok) << book.error.toStdString();
        return book.sheets.at(0);
    }
};

TEST_F(AppinfoWindow, LoadShowsTheFrameAndFillsTheListBoxes) {
    auto w = Open();
    EXPECT_TRUE(boxes->shown().empty());
    EXPECT_EQ(w->objectName(), QStringLiteral("frmApplicationInfo"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tarsel Utilities - Application Information"));
    EXPECT_TRUE(w->windowFlags() & Qt::Window);
    auto* tabs = Find<QTabWidget>(*w, QStringLiteral("sstabApplicationInfo"));
    ASSERT_EQ(tabs->count(), 5);
    const QStringList captions = {"Shared &Members", "Member &Lists ", "Base Member &Compare ",
                                  "&Duplicates Below Parent", "S&tatistics"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    }
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(Label(*w, "sbStatusBarPanel1"), QStringLiteral("Application: TestApp"));
    EXPECT_FALSE(Label(*w, "sbStatusBarTime").isEmpty());

    EXPECT_EQ(Items(Find(*w, "cboEntityLists")), QStringList({"[Base]", "[Parents]", "Twice"}));
    EXPECT_EQ(Items(Find(*w, "cboCustom1Lists")),
              QStringList({"[Base]", "[Parents]", "[Currencies]"}));
    EXPECT_EQ(Label(*w, "lblICPLists"), QStringLiteral("ICP Lists:"));
    for (const char* name : {"cboViewLists", "cboEntityLists", "cboICPLists"}) {
        EXPECT_EQ(Find(*w, name)->currentText(), QString()) << name;
    }
    // Each dimension was read in turn; the last one stays the current tree.
    ASSERT_TRUE(modGlobal::gDimension);
    EXPECT_EQ(modGlobal::gDimension->GetDimension(), Dimension::View);
}

TEST_F(AppinfoWindow, MemberListsWithTopMemberAndExports) {
    auto w = Open();
    Choose(*w, "cboEntityLists", "[Base]");
    EXPECT_EQ(Rows(*w), QStringList({"France", "Lyon", "Nice", "Ohio"}));
    EXPECT_EQ(Label(*w, "lblMembersInList"), QStringLiteral("Entity list  [BASE]  -  4 members"));
    auto* top = Find(*w, "cboParentMembers");
    EXPECT_EQ(Items(top), QStringList({"", "Group", "Europe", "Americas", "Hub"}));
    EXPECT_EQ(top->currentText(), QString());

    // Another tab moves gDimension; the top member still re-runs the Entity list.
    Click(*w, QStringLiteral("optDimensionStats_14"));
    EXPECT_EQ(modGlobal::gDimension->GetDimension(), Dimension::Custom1);
    Choose(*w, "cboParentMembers", "Europe");
    EXPECT_EQ(Rows(*w), QStringList({"France", "Lyon", "Nice"}));
    EXPECT_EQ(modGlobal::gDimension->GetDimension(), Dimension::Entity);

    // Another system list keeps the restriction, and the box keeps naming it.
    Choose(*w, "cboEntityLists", "[Parents]");
    EXPECT_EQ(Rows(*w), QStringList({"France", "Lyon", "Nice"}));
    EXPECT_EQ(top->currentText(), QStringLiteral("Europe"));
    auto sheet = Export(*w);
    EXPECT_EQ(sheet.text(1, 1),
              QStringLiteral("Entity list  [PARENTS]  -  3 members (** denotes parent member)"));
    EXPECT_EQ(sheet.text(2, 1), QStringLiteral("Top Member Set To:  EUROPE"));
    EXPECT_EQ(sheet.text(3, 1), QString());
    EXPECT_EQ(sheet.text(4, 1), QStringLiteral("France"));
    EXPECT_EQ(sheet.text(6, 1), QStringLiteral("Nice"));
    EXPECT_EQ(sheet.cells.size(), 5u);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Excel Export"));

    // A user list empties the top member box and shows a member as often as it is named.
    Choose(*w, "cboEntityLists", "Twice");
    EXPECT_EQ(top->currentText(), QString());
    EXPECT_EQ(Rows(*w), QStringList({"Ohio", "Group **", "Ohio"}));
    // Rows take the size of the first one: it is made room for the longest, not clipped.
    auto* view = Find<appinfo::LinesView>(*w, QStringLiteral("lstMembersInList"));
    EXPECT_GE(view->model()->index(0, 0).data(Qt::SizeHintRole).toSize().width(),
              view->fontMetrics().horizontalAdvance(QStringLiteral("Group **")));
    sheet = Export(*w);
    EXPECT_EQ(sheet.text(1, 1),
              QStringLiteral("Entity list  TWICE  -  3 members (** denotes parent member)"));
    EXPECT_EQ(sheet.text(2, 1), QString());
    EXPECT_EQ(sheet.text(3, 1), QStringLiteral("Ohio"));
    EXPECT_EQ(sheet.text(4, 1), QStringLiteral("Group **"));
    EXPECT_EQ(sheet.cells.size(), 4u);
}

TEST_F(AppinfoWindow, ListsWithoutTopMembersLeaveTheBoxAndRefuseAForeignOne) {
    auto w = Open();
    Choose(*w, "cboEntityLists", "[Base]");
    Choose(*w, "cboParentMembers", "Hub");
    EXPECT_EQ(Rows(*w), QStringList({"Lyon", "Nice"}));
    boxes->clear();

    // A Scenario list with the Entity top member: a message, nothing shown, box untouched.
    Choose(*w, "cboScenarioLists", "[Base]");
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Member Lists"));
    EXPECT_TRUE(boxes->shown()[0].text.startsWith(
        QStringLiteral("The top member \"Hub\" is a member of the Entity dimension, not of "
                       "Scenario")));
    EXPECT_EQ(Rows(*w), QStringList({"Lyon", "Nice"}));
    auto* top = Find(*w, "cboParentMembers");
    EXPECT_EQ(top->currentText(), QStringLiteral("Hub"));
    EXPECT_EQ(top->count(), 5);

    // The empty top member shows it; the box keeps the Entity parents.
    Choose(*w, "cboParentMembers", "");
    EXPECT_EQ(Rows(*w), QStringList({"Actual", "Budget"}));
    EXPECT_EQ(Label(*w, "lblMembersInList"), QStringLiteral("Scenario list  [BASE]  -  2 members"));
    EXPECT_EQ(Items(top), QStringList({"", "Group", "Europe", "Americas", "Hub"}));
    EXPECT_EQ(boxes->shown().size(), 1u);

    // A list box of a refilling dimension offers its own parents after refusing.
    Choose(*w, "cboParentMembers", "Group");
    boxes->clear();
    Choose(*w, "cboAccountLists", "[Base]");
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(Items(top), QStringList({"", "Total"}));
    Choose(*w, "cboAccountLists", "[Base]");
    EXPECT_EQ(Rows(*w), QStringList({"Sales"}));

    // A spreadsheet that cannot be made is told under the export's name; nothing hangs.
    tarsel::InstallSpreadsheetProgram(tarsel::xlsx::CreateXlsxSpreadsheetProgram(
        {folder.filePath(QStringLiteral("missing/folder")), opener}));
    boxes->clear();
    Click(*w, QStringLiteral("cmdSendListToExcel"));
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_TRUE(boxes->shown()[0].text.startsWith(QStringLiteral(
        "Error Encountered in SendMemberListToSpreadsheet:\rError#: 429\rError Desc: ")))
        << boxes->shown()[0].text.toStdString();
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(opener->opened.empty());
}

TEST_F(AppinfoWindow, CompareAndDuplicatesShareTheirDimension) {
    auto w = Open();
    Click(*w, QStringLiteral("cmdCompare"));
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Compare Error"));
    EXPECT_EQ(boxes->shown()[0].text,
              QStringLiteral("You must choose a top member from BOTH drop-down boxes to compare."));
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Exclamation);

    Click(*w, QStringLiteral("optDimensionCompare_10"));
    EXPECT_TRUE(Find<QRadioButton>(*w, QStringLiteral("optDimensionCompare_1"))->isChecked());
    const QStringList parents = {"Group", "Europe", "Americas", "Hub"};
    for (const char* name : {"cboTopMember1", "cboTopMember2", "cboParents"}) {
        EXPECT_EQ(Items(Find(*w, name)), parents) << name;
        EXPECT_EQ(Find(*w, name)->currentText(), QString()) << name;
    }
    Choose(*w, "cboTopMember1", "Group");
    Click(*w, QStringLiteral("cmdCompare"));
    EXPECT_EQ(boxes->shown().size(), 2u);
    Choose(*w, "cboTopMember2", "Hub");
    modGlobal::gDimension = modGlobal::gMetadata->Account();  // the main window's choice
    Click(*w, QStringLiteral("cmdCompare"));
    EXPECT_EQ(Text(*w, "txtMissingBaseMembers"),
              Shown("Base members under top member GROUP and NOT under HUB: \r\n\r\n"
                    "France\r\nOhio\r\n"));
    Choose(*w, "cboParents", "Group");
    EXPECT_EQ(Text(*w, "txtDuplicatesUnderSameParent"),
              Shown("Duplicate members under parent member GROUP: \r\n\r\n"
                    "Hub\r\nLyon\r\nNice\r\nHub\r\nLyon\r\nNice\r\n"));
    EXPECT_EQ(modGlobal::gDimension->GetDimension(), Dimension::Entity);

    Click(*w, QStringLiteral("optDimensionCompare_0"));
    EXPECT_TRUE(Find<QRadioButton>(*w, QStringLiteral("optDimensionCompare_11"))->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(*w, QStringLiteral("optDimensionCompare_10"))->isChecked());
    for (const char* name : {"cboTopMember1", "cboTopMember2", "cboParents"}) {
        EXPECT_EQ(Items(Find(*w, name)), QStringList({"Total"})) << name;
    }
    EXPECT_EQ(boxes->shown().size(), 2u);
}

TEST_F(AppinfoWindow, StatisticsSharedMembersAndFailuresInTheirHandlers) {
    auto w = Open();
    Click(*w, QStringLiteral("optDimension_1"));
    EXPECT_EQ(Text(*w, "txtSharedMembers"),
              Shown("Hub (Europe) **\r\nLyon (Hub)\r\nNice (Hub)\r\n"));
    Click(*w, QStringLiteral("optDimension_0"));
    EXPECT_EQ(Text(*w, "txtSharedMembers"), QStringLiteral("No Shared Members Detected"));

    auto* threshold = Find<QLineEdit>(*w, QStringLiteral("txtParentChildrenCheck"));
    EXPECT_EQ(threshold->text(), QStringLiteral("200"));
    threshold->setText(QStringLiteral(" 1 "));
    Click(*w, QStringLiteral("optDimensionStats_13"));
    EXPECT_TRUE(
        Text(*w, "txtStatistics")
            .endsWith(
                "Parents with more than  1  Children: \n\tGroup\n\tEurope\n\tAmericas\n\tHub"));
    threshold->setText(QStringLiteral("many"));
    Click(*w, QStringLiteral("optDimensionStats_13"));
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Statistics"));
    EXPECT_TRUE(Text(*w, "txtStatistics").endsWith("Maximum Hierarchy Generation Depth:  4"));
    Click(*w, QStringLiteral("optDimensionStats_15"));
    EXPECT_TRUE(Text(*w, "txtStatistics").endsWith("\n\nCurrency Members: 0"));

    // A failure in a tab's handler is told under its name; the window goes on working.
    boxes->clear();
    const auto metadata = modGlobal::gMetadata;
    modGlobal::gMetadata.reset();
    Click(*w, QStringLiteral("optDimensionStats_12"));
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].text,
              QStringLiteral("Error Encountered in optDimensionStats_Click:\rError#: %1\rError "
                             "Desc: No application is open.\rError Source: "
                             "Brennic.TarselErrorHandler.1\r\rPlease stop and restart Tarsel "
                             "Utilities")
                  .arg(tarsel::code::kNoSession));
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    modGlobal::gMetadata = metadata;
    Click(*w, QStringLiteral("optDimensionStats_12"));
    EXPECT_TRUE(Text(*w, "txtStatistics").endsWith("System Account Members: 0"));
    EXPECT_TRUE(Find<QTabWidget>(*w, QStringLiteral("sstabApplicationInfo"))->isEnabled());
}

TEST_F(AppinfoWindow, ServerFailuresInTheLoadAndTheTabsAreToldAndTheWindowGoesOn) {
    using tarsel::test::In;
    auto plan = std::make_shared<tarsel::test::FaultPlan>();
    // The third dimension's list names (Custom1) cannot be read.
    plan->FailAt("DimensionTree::EnumMemberListNames", 3);
    Start(plan);
    QWidget owner;
    std::unique_ptr<QWidget> w(appinfo::MakeApplicationInfoWindow(&owner));
    EXPECT_EQ(w->parent(), &owner);
    const QString told =
        QStringLiteral(
            ":\rError#: %1\rError Desc: The store went away.\rError Source: "
            "Brennic.TarselErrorHandler.1\r\rPlease stop and restart Tarsel Utilities")
            .arg(tarsel::code::kStoreFailure);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].text, "Error Encountered in PopulateMemberListNames" + told);
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Critical);
    // The load stopped there: the boxes before Custom1 are filled, the status bar is not.
    EXPECT_EQ(Items(Find(*w, "cboEntityLists")), QStringList({"[Base]", "[Parents]", "Twice"}));
    EXPECT_EQ(Find(*w, "cboCustom1Lists")->count(), 0);
    EXPECT_EQ(Find(*w, "cboViewLists")->count(), 0);
    EXPECT_EQ(Label(*w, "sbStatusBarPanel1"), QString());
    boxes->clear();

    // A parent test that fails while a list is shown leaves that member unmarked and tells
    // nothing; the top member box is still refilled.
    plan->FailAt("DimensionTree::IsParent", 2, In(Dimension::Entity));
    Choose(*w, "cboEntityLists", "Twice");
    EXPECT_EQ(Rows(*w), QStringList({"Ohio", "Group", "Ohio"}));
    EXPECT_EQ(Label(*w, "lblMembersInList"), QStringLiteral("Entity list  TWICE  -  3 members"));
    EXPECT_EQ(Items(Find(*w, "cboParentMembers")),
              QStringList({"", "Group", "Europe", "Americas", "Hub"}));
    EXPECT_TRUE(boxes->shown().empty());

    // The server goes away in the middle of a report: told under the handler's name, the
    // report box keeps what it showed, the window is free again and the next run completes.
    Click(*w, QStringLiteral("optDimension_0"));
    EXPECT_EQ(Text(*w, "txtSharedMembers"), QStringLiteral("No Shared Members Detected"));
    plan->FailAt("DimensionTree::GetMemberLabel", 3, In(Dimension::Entity));
    Click(*w, QStringLiteral("optDimension_1"));
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].text, "Error Encountered in optDimension_Click" + told);
    EXPECT_EQ(Text(*w, "txtSharedMembers"), QStringLiteral("No Shared Members Detected"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(Find<QTabWidget>(*w, QStringLiteral("sstabApplicationInfo"))->isEnabled());
    Click(*w, QStringLiteral("optDimension_1"));
    EXPECT_EQ(Text(*w, "txtSharedMembers"),
              Shown("Hub (Europe) **\r\nLyon (Hub)\r\nNice (Hub)\r\n"));
    EXPECT_EQ(boxes->shown().size(), 1u);
}

}  // namespace

int main(int argc, char** argv) {
    return viewer_test::RunOffscreenTests(argc, argv);
}
