#pragma once
// The export of a viewer tree to a worksheet: a header row, then one row per node with the
// label in the column of its level, the description after the deepest level and,
// when printed, one column per attribute item.

#include <functional>

#include "server/spreadsheet.h"
#include "utilities/viewer/view_tree.h"

namespace viewer {

// levels is the number of levels of the tree as its totals line counts them. Every value
// is written as text (with the leading apostrophe). The names in row 1 come from the
// first node's items; every row writes its own items in its own order. Rows are written
// in order, each whole before the next, so a writer may stream them. afterHeader runs
// once the level and description headings are written and before the first node's row;
// progress hears of every few thousand rows written.
void WriteTreeExport(const ViewTree& tree, int levels, bool printAttributes,
                     tarsel::SpreadsheetWorksheet& sheet,
                     const std::function<void()>& afterHeader = {},
                     const BuildProgress& progress = {});

// The whole export: a new application, workbook and worksheet of the program, the cells,
// then the completion message (through show) and the spreadsheet made visible. The window
// expands its tree in afterHeader, so a program that cannot be created leaves it as it was.
void ExportTree(tarsel::SpreadsheetProgram& program, const ViewTree& tree, int levels,
                bool printAttributes,
                const std::function<void(const tarsel::SpreadsheetMessage&)>& show,
                const std::function<void()>& afterHeader = {}, const BuildProgress& progress = {});

}  // namespace viewer
