// The extract window against the real local server, driven by its controls' names.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "tests/support/app_builder.h"
#include "tests/utilities/extract/tool_window_test_env.h"
#include "utilities/extract/frmExtract.h"
#include "utilities/extract/text_view.h"

namespace {

using tarsel::Dimension;
using tarsel::test::AppBuilder;

class ExtractWindow : public tooltest::ToolWindowTest {
  protected:
    std::unique_ptr<QWidget> Open() {
        return std::unique_ptr<QWidget>(extract::MakeExtractWindow(nullptr));
    }
    static QString Shown(QWidget& w) { return Get<TextView>(w, "txtParentChild")->text(); }
};

// Total > (Parent > Leaf "with, comma"), Solo
AppBuilder Small() {
    AppBuilder app;
    app.Relate(Dimension::Custom2, "", "Total")
        .Relate(Dimension::Custom2, "Total", "Parent")
        .Relate(Dimension::Custom2, "Parent", "Leaf \"q\"")
        .Relate(Dimension::Custom2, "", "Solo")
        .Describe(Dimension::Custom2, "Total", "All")
        .Describe(Dimension::Custom2, "Leaf \"q\"", "with, comma")
        .Relate(Dimension::Custom3, "", "Other");
    return app;
}

const QString kPlain =
    "\"\",\"\",\"Total\",\"All\"\r\n"
    "\"Total\",\"All\",\"Parent\",\"\"\r\n"
    "\"Parent\",\"\",\"Leaf \"q\"\",\"with, comma\"\r\n"
    "\"\",\"\",\"Solo\",\"\"\r\n";
const QString kHeader = "PARENT_LABEL,PARENT_DESCRIPTION,CHILD_LABEL,CHILD_DESCRIPTION";

TEST_F(ExtractWindow, OpensWithTheCommaExtractAndFollowsEveryOptionThroughASave) {
    Start(Small().Build(), Dimension::Custom2);
    auto w = Open();
    EXPECT_EQ(w->windowTitle(), "Tarsel Utilities - Extracts");
    EXPECT_EQ(Get<QLabel>(*w, "lblDimension")->text(), "Custom2 Dimension");
    EXPECT_EQ(Get<QLabel>(*w, "sbStatusBar_Panel1")->text(), "Application: TestApp");
    EXPECT_TRUE(Get<QRadioButton>(*w, "optDelimeter_0")->isChecked());
    EXPECT_TRUE(Get<QRadioButton>(*w, "optUseIndicators_1")->isChecked());
    EXPECT_FALSE(Get<QCheckBox>(*w, "chkHeaderRow")->isChecked());
    EXPECT_EQ(Get<QLineEdit>(*w, "txtParentIndicator")->text(), "Dynamic");
    EXPECT_EQ(Get<QLineEdit>(*w, "txtBaseIndicator")->text(), "Store");
    EXPECT_EQ(Shown(*w), kPlain);
    EXPECT_EQ(modGlobal::extractText, kPlain);

    // The header box switches between the two texts of the last run without a new one:
    // pointed at another dimension, the window still shows the first dimension's lines.
    Choose(Dimension::Custom3);
    Get<QCheckBox>(*w, "chkHeaderRow")->click();
    EXPECT_EQ(Shown(*w), kHeader + "\r\n" + kPlain);
    Get<QCheckBox>(*w, "chkHeaderRow")->click();
    EXPECT_EQ(Shown(*w), kPlain);
    Choose(Dimension::Custom2);

    // Tab forces the indicators Dynamic and Store, whatever the indicator options say.
    Get<QCheckBox>(*w, "chkHeaderRow")->click();
    Get<QRadioButton>(*w, "optDelimeter_1")->click();
    EXPECT_EQ(Shown(*w),
              "PARENT_LABEL\tPARENT_DESCRIPTION\tCHILD_LABEL\tCHILD_DESCRIPTION\tINDICATOR\r\n"
              "\"\"\t\"\"\t\"Total\"\t\"All\"\t\"Dynamic\"\r\n"
              "\"Total\"\t\"All\"\t\"Parent\"\t\"\"\t\"Dynamic\"\r\n"
              "\"Parent\"\t\"\"\t\"Leaf \"q\"\"\t\"with, comma\"\t\"Store\"\r\n"
              "\"\"\t\"\"\t\"Solo\"\t\"\"\t\"Store\"\r\n");

    // Comma with indicators: a blank parent indicator leaves parents at four fields.
    Get<QRadioButton>(*w, "optDelimeter_0")->click();
    Get<QRadioButton>(*w, "optUseIndicators_0")->click();
    Get<QLineEdit>(*w, "txtParentIndicator")->setText("   ");
    Get<QLineEdit>(*w, "txtBaseIndicator")->setText("X");
    Get<QPushButton>(*w, "cmdExtract")->click();
    const QString withIndicators = kHeader +
                                   ",INDICATOR\r\n"
                                   "\"\",\"\",\"Total\",\"All\"\r\n"
                                   "\"Total\",\"All\",\"Parent\",\"\"\r\n"
                                   "\"Parent\",\"\",\"Leaf \"q\"\",\"with, comma\",\"X\"\r\n"
                                   "\"\",\"\",\"Solo\",\"\",\"X\"\r\n";
    EXPECT_EQ(Shown(*w), withIndicators);
    EXPECT_TRUE(boxes->shown().empty());

    // Saved as shown, plus one line end: the file ends in an empty line.
    const QByteArray saved =
        SaveThroughWindow(*w, Get<QPushButton>(*w, "cmdSaveExtract"), "extract.txt");
    EXPECT_EQ(saved, (withIndicators + "\r\n").toUtf8());
    EXPECT_EQ(Titles(), QStringList{"File Saved"});  // no extension warning for an extract
    EXPECT_EQ(modGlobal::gSavePattern, "*.txt");
    EXPECT_EQ(modGlobal::gSaveMode, "METADATAEXTRACT");

    w.reset();
    EXPECT_TRUE(modGlobal::extractText.isEmpty());
    EXPECT_TRUE(modGlobal::extractTextWithHeader.isEmpty());
}

TEST_F(ExtractWindow, AnEmptyDimensionShowsNothingAndSavesOneLineEnd) {
    Start(Small().Build(), Dimension::Custom4);
    auto w = Open();
    EXPECT_EQ(Shown(*w), "");
    Get<QCheckBox>(*w, "chkHeaderRow")->click();
    EXPECT_EQ(modGlobal::extractTextWithHeader, kHeader + "\r\n");
    EXPECT_EQ(SaveThroughWindow(*w, Get<QPushButton>(*w, "cmdSaveExtract"), "empty.txt"),
              QByteArray("\r\n"));
}

TEST_F(ExtractWindow, FailuresOnOpeningAndInTheHeaderBoxAreToldAndTheWindowGoesOn) {
    auto plan = std::make_shared<tarsel::test::FaultPlan>();
    plan->FailAt("DimensionTree::GetMemberLabel", 2, tarsel::test::In(Dimension::Custom2));
    Start(Small().Build(), Dimension::Custom2, plan);
    auto w = Open();

    // The first extract broke off after one line: it is told, and no part of it is shown.
    const QString told =
        "\rError#: %1\rError Desc: The store went away.\rError Source: "
        "Brennic.TarselErrorHandler.1";
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].text,
              "Error Encountered in RunExtract:" + told.arg(tarsel::code::kStoreFailure));
    EXPECT_EQ(boxes->shown()[0].title, "Tarsel Utilities - Extracts");
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(boxes->shown()[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(Shown(*w), "");
    EXPECT_TRUE(modGlobal::extractText.isEmpty());
    EXPECT_EQ(Get<QLabel>(*w, "lblDimension")->text(), "Custom2 Dimension");

    // With no extract held, the header box runs one; its failure is told under its name.
    plan->FailAt("DimensionTree::EnumChildMemberIDs", 1, tarsel::test::OnKey(tarsel::kNoMember),
                 "Connection lost.", 12345);
    Get<QCheckBox>(*w, "chkHeaderRow")->click();
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_EQ(boxes->shown()[1].text,
              "Error Encountered in chkHeaderRow_Click:\rError#: 12345\rError Desc: Connection "
              "lost.\rError Source: Brennic.TarselErrorHandler.1");
    EXPECT_EQ(Shown(*w), "");

    // The window goes on: a new run shows the whole extract, the header box follows it.
    Get<QPushButton>(*w, "cmdExtract")->click();
    EXPECT_EQ(Shown(*w), kHeader + "\r\n" + kPlain);
    Get<QCheckBox>(*w, "chkHeaderRow")->click();
    EXPECT_EQ(Shown(*w), kPlain);
    EXPECT_EQ(boxes->shown().size(), 2u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    return tooltest::RunOffscreenTests(argc, argv);
}
