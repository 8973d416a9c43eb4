#pragma once
// The spreadsheet program as the reports reach it: an application, a workbook added to
// it, a worksheet added to that, text assigned to cells, then the application made
// visible for the user. Cells are addressed (row, column) from (1, 1). Every failure is
// a TarselError with one of the numbers below and the source kSpreadsheetSource.

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "server/tarsel_error.h"

namespace tarsel {

inline constexpr const char* kSpreadsheetProgId = "Excel.Application";
inline constexpr const char* kSpreadsheetSource = "Excel.Application";

namespace spreadsheet_error {
// The program cannot be created (no spreadsheet program, no place to keep the file).
inline constexpr int32_t kCannotCreate = 429;
// A cell, the workbook or the worksheet refused a write.
inline constexpr int32_t kWriteFailed = 1004;
}  // namespace spreadsheet_error

class SpreadsheetWorksheet {
  public:
    virtual ~SpreadsheetWorksheet() = default;
    // cells(row, column) = text. A leading apostrophe marks text: it is not stored, and
    // the rest is kept as text even when it looks like a number. Rows are written in
    // order: the cells of a row in any order, but never a row above one already written,
    // so a sheet of any length is written in constant memory. Fails with kWriteFailed for
    // a cell outside the sheet, a row above the last one written, or a text longer than a
    // cell holds.
    virtual void SetCell(int32_t row, int32_t column, const QString& text) = 0;
};

class SpreadsheetWorkbook {
  public:
    virtual ~SpreadsheetWorkbook() = default;
    // Worksheets.Add
    virtual std::shared_ptr<SpreadsheetWorksheet> AddWorksheet() = 0;
};

class SpreadsheetApplication {
  public:
    virtual ~SpreadsheetApplication() = default;
    // Workbooks.Add
    virtual std::shared_ptr<SpreadsheetWorkbook> AddWorkbook() = 0;
    // Visible = True shows every workbook of the application to the user.
    virtual void SetVisible(bool visible) = 0;
    // After SetVisible(true): a text for the user when the workbooks could not be shown
    // (for example naming the file they were kept in); empty when the user sees them.
    virtual QString VisibilityNotice() const = 0;
};

class SpreadsheetProgram {
  public:
    virtual ~SpreadsheetProgram() = default;
    // Fails with kCannotCreate for an identifier the program does not answer to.
    virtual std::shared_ptr<SpreadsheetApplication> CreateApplication(
        const QString& programmaticId) = 0;
};

// Replaces the installed program (nullptr puts the default back).
void InstallSpreadsheetProgram(std::shared_ptr<SpreadsheetProgram> program);
// The installed program, else the default one (an .xlsx file opened with the desktop's
// program for it). Defined by the tarsel_xlsx library, which callers link.
SpreadsheetProgram& ActiveSpreadsheetProgram();

// The completion message every export shows before the spreadsheet becomes visible.
inline QString ExportCompleteTitle() {
    return QStringLiteral("Excel Export");
}
inline QString ExportCompleteText() {
    return QStringLiteral("Excel Export Complete.\r\n\r\nPress Ok to view Excel file.");
}

struct SpreadsheetMessage {
    enum class Kind { Information, Exclamation };
    QString title;
    QString text;
    Kind kind = Kind::Information;
};

// The last steps of every export, in their fixed order: the completion message (shown
// through show, which returns when the user has closed it), then Visible = True, then,
// when the workbook could not be shown, the notice naming where it is.
inline void CompleteExport(SpreadsheetApplication& application,
                           const std::function<void(const SpreadsheetMessage&)>& show) {
    show({ExportCompleteTitle(), ExportCompleteText(), SpreadsheetMessage::Kind::Information});
    application.SetVisible(true);
    const QString notice = application.VisibilityNotice();
    if (!notice.isEmpty()) {
        show({ExportCompleteTitle(), notice, SpreadsheetMessage::Kind::Exclamation});
    }
}

}  // namespace tarsel
