#include "server/spreadsheet.h"
#include "server/xlsx/xlsx_spreadsheet.h"

namespace tarsel {

namespace {
std::shared_ptr<SpreadsheetProgram>& installedProgram() {
    static std::shared_ptr<SpreadsheetProgram> program;
    return program;
}
}  // namespace

void InstallSpreadsheetProgram(std::shared_ptr<SpreadsheetProgram> program) {
    installedProgram() = std::move(program);
}

SpreadsheetProgram& ActiveSpreadsheetProgram() {
    auto& program = installedProgram();
    if (!program) {
        program = xlsx::CreateXlsxSpreadsheetProgram();
    }
    return *program;
}

}  // namespace tarsel
