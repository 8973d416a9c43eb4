#include "utilities/viewer/tree_export.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <map>

#include "server/xlsx/xlsx_spreadsheet.h"
#include "tests/server/xlsx/xlsx_reader.h"

namespace {

using viewer::AttributeItem;
using viewer::MemberText;
using viewer::ViewTree;

class RecordingSheet : public tarsel::SpreadsheetWorksheet {
  public:
    void SetCell(int32_t row, int32_t column, const QString& text) override {
        cells[{row, column}] = text;
    }
    QString at(int row, int column) const {
        auto it = cells.find({row, column});
        return it == cells.end() ? QStringLiteral("<none>") : it->second;
    }
    std::map<std::pair<int, int>, QString> cells;
};

// Adds a node below parent (-1: top) the way a build makes it.
int Add(ViewTree& tree, int parent, const QString& label, const QString& description,
        std::vector<AttributeItem> items) {
    return tree.Add(parent, tree.size(), MemberText{label, description, std::move(items)});
}

std::vector<AttributeItem> Items(std::initializer_list<std::pair<const char*, const char*>> list) {
    std::vector<AttributeItem> items;
    for (auto [name, value] : list) {
        items.push_back({QString::fromUtf8(name), QString::fromUtf8(value)});
    }
    return items;
}

TEST(ViewerExportLayout, ThreeLevelsWithAttributes) {
    ViewTree tree;
    const int group =
        Add(tree, -1, "Group", "Group total", Items({{"Currency", "EUR"}, {"Adjs", "True"}}));
    const int france =
        Add(tree, group, "France", "French (SA)", Items({{"Currency", "EUR"}, {"Adjs", "False"}}));
    Add(tree, france, "Paris", "x",
        Items({{"UD1", "a, b (c)"}, {"Currency", "EUR"}, {"Extra", "1"}}));
    RecordingSheet sheet;
    viewer::WriteTreeExport(tree, tree.maxLevel, true, sheet);

    EXPECT_EQ(sheet.at(1, 1), "'Level 1");
    EXPECT_EQ(sheet.at(1, 2), "'Level 2");
    EXPECT_EQ(sheet.at(1, 3), "'Level 3");
    EXPECT_EQ(sheet.at(1, 4), "<none>");
    EXPECT_EQ(sheet.at(1, 5), "'Description");
    EXPECT_EQ(sheet.at(1, 6), "'Currency");
    EXPECT_EQ(sheet.at(1, 7), "'Adjs");
    EXPECT_EQ(sheet.at(1, 8), "<none>");  // names come from the first node only

    EXPECT_EQ(sheet.at(2, 1), "'Group");
    EXPECT_EQ(sheet.at(2, 5), "'Group total");
    EXPECT_EQ(sheet.at(2, 6), "'Currency=EUR");
    EXPECT_EQ(sheet.at(2, 7), "'Adjs=True");
    EXPECT_EQ(sheet.at(3, 2), "'France");
    EXPECT_EQ(sheet.at(3, 5), "'French (SA)");  // a "(" in the description is kept whole
    EXPECT_EQ(sheet.at(4, 3), "'Paris");
    EXPECT_EQ(sheet.at(4, 6), "'UD1=a, b (c)");  // and so is an item holding ", " and "("
    EXPECT_EQ(sheet.at(4, 7), "'Currency=EUR");
    EXPECT_EQ(sheet.at(4, 8), "'Extra=1");
    for (int row = 2; row <= 4; ++row) {
        EXPECT_EQ(sheet.at(row, 4), "<none>");
    }
    EXPECT_EQ(sheet.at(3, 1), "<none>");
    EXPECT_EQ(sheet.at(3, 3), "<none>");
    EXPECT_EQ(sheet.cells.size(), 3u + 1u + 2u + (2u + 2u) + (2u + 2u) + (2u + 3u));
}

TEST(ViewerExportLayout, TreeIsExpandedBetweenHeaderAndRows) {
    ViewTree tree;
    Add(tree, -1, "Group", "g", Items({{"Currency", "EUR"}}));
    RecordingSheet sheet;
    std::map<std::pair<int, int>, QString> writtenBefore;
    int calls = 0;
    viewer::WriteTreeExport(tree, 1, true, sheet, [&] {
        ++calls;
        writtenBefore = sheet.cells;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(writtenBefore, (std::map<std::pair<int, int>, QString>{{{1, 1}, "'Level 1"},
                                                                     {{1, 3}, "'Description"}}));
    EXPECT_EQ(sheet.cells.size(), 2u + 1u + 3u);
}

TEST(ViewerExportLayout, RowsGoOutInOrderWithProgressForAStreamingWriter) {
    ViewTree tree;
    const int top = Add(tree, -1, "Group", "g", Items({{"Currency", "EUR"}, {"ICP", "True"}}));
    for (int i = 1; i < 4500; ++i) {
        Add(tree, top, QStringLiteral("E%1").arg(i), "e", Items({{"Currency", "USD"}}));
    }
    struct OrderSheet : RecordingSheet {
        void SetCell(int32_t row, int32_t column, const QString& text) override {
            inOrder = inOrder && row >= lastRow;
            lastRow = row;
            RecordingSheet::SetCell(row, column, text);
        }
        int lastRow = 1;
        bool inOrder = true;
    } sheet;
    std::vector<int> reports;
    viewer::WriteTreeExport(tree, 2, true, sheet, {}, [&](int rows) { reports.push_back(rows); });
    EXPECT_TRUE(sheet.inOrder);
    EXPECT_EQ(reports, (std::vector<int>{2000, 4000}));
    // The names of row 1 are the first node's, though later rows have fewer items.
    EXPECT_EQ(sheet.at(1, 5), QStringLiteral("'Currency"));
    EXPECT_EQ(sheet.at(1, 6), QStringLiteral("'ICP"));
    EXPECT_EQ(sheet.at(4501, 2), QStringLiteral("'E4499"));
    EXPECT_EQ(sheet.at(4501, 5), QStringLiteral("'Currency=USD"));
    EXPECT_EQ(sheet.at(4501, 6), QStringLiteral("<none>"));
}

TEST(ViewerExportLayout, WithoutAttributesOnlyLabelsAndDescriptions) {
    ViewTree shown;
    const int top = Add(shown, -1, "A - B", "with (paren)", Items({{"Type", "Asset"}}));
    Add(shown, top, "C\\D", "", Items({{"Type", "Asset"}}));
    RecordingSheet answeredNo;
    viewer::WriteTreeExport(shown, 2, false, answeredNo);
    EXPECT_EQ(answeredNo.at(2, 1), "'A - B");
    EXPECT_EQ(answeredNo.at(2, 4), "'with (paren)");
    EXPECT_EQ(answeredNo.at(3, 2), "'C\\D");  // a backslash does not push it a level down
    EXPECT_EQ(answeredNo.at(3, 4), "'");
    EXPECT_EQ(answeredNo.cells.size(), 3u + 4u);

    ViewTree hidden(false);
    Add(hidden, -1, "A", "desc (x)", Items({{"Type", "Asset"}}));
    EXPECT_EQ(hidden.text(0), "A - desc (x)");
    RecordingSheet sheet;
    viewer::WriteTreeExport(hidden, 1, true, sheet);
    EXPECT_EQ(sheet.at(2, 3), "'desc (x)");
    EXPECT_EQ(sheet.cells.size(), 4u);
}

TEST(ViewerExportLayout, TopMemberWithoutChildren) {
    ViewTree tree;
    const int top = Add(tree, -1, "Group", "g", Items({{"UD1", ""}}));
    const int leaf =
        Add(tree, top, "Leaf", "base", Items({{"UD1", "u"}, {"Security", "[Default]"}}));
    const ViewTree view = viewer::CopySubtree(tree, leaf);
    RecordingSheet sheet;
    viewer::WriteTreeExport(view, view.maxLevel, true, sheet);
    EXPECT_EQ(sheet.at(1, 1), "'Level 1");
    EXPECT_EQ(sheet.at(1, 2), "<none>");
    EXPECT_EQ(sheet.at(1, 3), "'Description");
    EXPECT_EQ(sheet.at(1, 4), "'UD1");
    EXPECT_EQ(sheet.at(1, 5), "'Security");
    EXPECT_EQ(sheet.at(2, 1), "'Leaf");
    EXPECT_EQ(sheet.at(2, 3), "'base");
    EXPECT_EQ(sheet.at(2, 4), "'UD1=u");
    EXPECT_EQ(sheet.at(2, 5), "'Security=[Default]");
    EXPECT_EQ(sheet.cells.size(), 4u + 4u);
}

TEST(ViewerExportLayout, WholeExportReadBackFromTheFile) {
    QTemporaryDir folder;
    auto opener = std::make_shared<xlsx_test::RecordingOpener>();
    auto program = tarsel::xlsx::CreateXlsxSpreadsheetProgram({folder.path(), opener});

    ViewTree tree;
    const int top = Add(tree, -1, "Group", "Group total", Items({{"Currency", "EUR"}}));
    Add(tree, top, "123", "0042", Items({{"Currency", "USD"}}));
    std::vector<QString> titles;
    viewer::ExportTree(*program, tree, tree.maxLevel, true,
                       [&](const tarsel::SpreadsheetMessage& m) {
                           titles.push_back(m.title);
                           EXPECT_TRUE(opener->opened.empty());
                       });
    ASSERT_EQ(titles, std::vector<QString>{QStringLiteral("Excel Export")});
    const auto book = xlsx_test::ReadXlsx(opener->opened.at(0));
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    const auto& sheet = book.sheets.at(0);
    EXPECT_EQ(sheet.text(1, 1), "Level 1");
    EXPECT_EQ(sheet.text(1, 4), "Description");
    EXPECT_EQ(sheet.text(1, 5), "Currency");
    EXPECT_EQ(sheet.text(3, 2), "123");
    EXPECT_EQ(sheet.cells.at({3, 2}).type, "s");  // labels stay text
    EXPECT_EQ(sheet.text(3, 4), "0042");
    EXPECT_EQ(sheet.text(3, 5), "Currency=USD");
    EXPECT_EQ(sheet.cells.size(), 4u + 3u + 3u);
}

}  // namespace
