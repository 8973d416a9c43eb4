#include "utilities/appinfo/member_list_export.h"

namespace appinfo {

void WriteMemberListExport(const QString& summary, const QString& topMember,
                           const QStringList& rows, tarsel::SpreadsheetWorksheet& sheet) {
    int32_t row = 1;
    sheet.SetCell(row, 1,
                  QLatin1Char('\'') + summary + QStringLiteral(" (** denotes parent member)"));
    if (!topMember.isEmpty()) {
        ++row;
        sheet.SetCell(row, 1, QStringLiteral("'Top Member Set To:  ") + topMember.toUpper());
    }
    ++row;  // stays empty
    for (const QString& text : rows) {
        ++row;
        sheet.SetCell(row, 1, QLatin1Char('\'') + text);
    }
}

void ExportMemberList(tarsel::SpreadsheetProgram& program, const QString& summary,
                      const QString& topMember, const QStringList& rows,
                      const std::function<void(const tarsel::SpreadsheetMessage&)>& show) {
    auto application = program.CreateApplication(QString::fromLatin1(tarsel::kSpreadsheetProgId));
    auto workbook = application->AddWorkbook();
    auto sheet = workbook->AddWorksheet();
    WriteMemberListExport(summary, topMember, rows, *sheet);
    tarsel::CompleteExport(*application, show);
}

}  // namespace appinfo
