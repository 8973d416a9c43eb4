#include "utilities/viewer/tree_export.h"

namespace viewer {

namespace {
QString AsText(const QString& value) {
    return QLatin1Char('\'') + value;
}
QString ItemName(const QString& item) {
    return item.left(item.indexOf(QLatin1Char('=')));
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
    if (printAttributes && !tree.nodes.empty()) {
        const QStringList items = tree.nodes.front().items();
        for (int k = 0; k < items.size(); ++k) {
            sheet.SetCell(1, descriptionColumn + 1 + k, AsText(ItemName(items[k])));
        }
    }

    int row = 1;
    for (const ViewNode& node : tree.nodes) {
        ++row;
        sheet.SetCell(row, node.level, AsText(node.label()));
        sheet.SetCell(row, descriptionColumn, AsText(node.description()));
        if (printAttributes) {
            const QStringList items = node.items();
            for (int k = 0; k < items.size(); ++k) {
                sheet.SetCell(row, descriptionColumn + 1 + k, AsText(items[k]));
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
