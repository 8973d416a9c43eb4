#pragma once
// The spreadsheet program on this platform: each workbook is written as an .xlsx file
// with libxlsxwriter and, when the application is made visible, saved under a name that
// never replaces an earlier export and opened with the desktop's program for it.

#include <QString>
#include <memory>

#include "server/spreadsheet.h"

namespace tarsel::xlsx {

// Opens a saved file for the user; false when nothing could open it.
class FileOpener {
  public:
    virtual ~FileOpener() = default;
    virtual bool Open(const QString& path) = 0;
};

// The desktop's default program for the file (QDesktopServices). Launching the desktop's
// opener succeeds even when no program takes the file's type, so where none is registered
// the file is not handed over and Open is false.
std::shared_ptr<FileOpener> CreateDesktopFileOpener();

// True when the desktop's type database (xdg-mime) answers that no program is registered
// for the file's type; false when one is, or when the question cannot be asked here.
bool NoDefaultProgramFor(const QString& path);

struct XlsxOptions {
    QString folder;                      // empty: DefaultExportFolder()
    std::shared_ptr<FileOpener> opener;  // null: CreateDesktopFileOpener()
};

// $XDG_DOCUMENTS_DIR when it names a folder, else the user's documents folder when it
// exists, else the temporary folder.
QString DefaultExportFolder();

std::shared_ptr<SpreadsheetProgram> CreateXlsxSpreadsheetProgram(XlsxOptions options = {});

}  // namespace tarsel::xlsx
