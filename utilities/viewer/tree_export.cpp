#include "utilities/viewer/tree_export.h"

namespace viewer {

namespace {
QString AsText(const QString& value) {
    return QLatin1Char('\'') + value;
}
}  // namespace

void WriteTreeExport(const ViewTree& tree, int levels, bool printAttributes,
                     tarsel::SpreadsheetWorksheet& sheet, const std::function<void()>& afterHeader,
                     const BuildProgress& progress) {
    for (int c = 1; c <= levels; ++c) {
        sheet.SetCell(1, c, QStringLiteral("'Level %1").arg(c));
    }
    const int descriptionColumn = levels + 2;
    sheet.SetCell(1, descriptionColumn, QStringLiteral("'Description"));
    if (afterHeader) {
        afterHeader();
    }
    const MemberTable& members = tree.table();
    if (printAttributes && !tree.empty()) {
        const int first = tree.slot(0);
        for (int k = 0; k < members.itemCount(first); ++k) {
            sheet.SetCell(1, descriptionColumn + 1 + k, AsText(members.itemName(first, k)));
        }
    }

    int row = 1;
    // One buffer for every cell of the rows: a million rows make no allocation per cell.
    QString cell;
    const auto text = [&cell](const QString& value) -> const QString& {
        cell.resize(0);
        cell += QLatin1Char('\'');
        cell += value;
        return cell;
    };
    for (int node = 0; node < tree.size(); ++node) {
        ++row;
        const int slot = tree.slot(node);
        sheet.SetCell(row, tree.level(node), text(members.label(slot)));
        sheet.SetCell(row, descriptionColumn, text(members.description(slot)));
        if (printAttributes) {
            for (int k = 0; k < members.itemCount(slot); ++k) {
                cell.resize(0);
                cell += QLatin1Char('\'');
                cell += members.itemName(slot, k);
                cell += QLatin1Char('=');
                cell += members.itemValue(slot, k);
                sheet.SetCell(row, descriptionColumn + 1 + k, cell);
            }
        }
        if (progress && (row - 1) % kProgressInterval == 0) {
            progress(row - 1);
        }
    }
}

void ExportTree(tarsel::SpreadsheetProgram& program, const ViewTree& tree, int levels,
                bool printAttributes,
                const std::function<void(const tarsel::SpreadsheetMessage&)>& show,
                const std::function<void()>& afterHeader, const BuildProgress& progress) {
    auto application = program.CreateApplication(QString::fromLatin1(tarsel::kSpreadsheetProgId));
    auto workbook = application->AddWorkbook();
    auto sheet = workbook->AddWorksheet();
    WriteTreeExport(tree, levels, printAttributes, *sheet, afterHeader, progress);
    tarsel::CompleteExport(*application, show);
}

}  // namespace viewer
