#pragma once
// What every viewer window test sets up: scripted message boxes, a spreadsheet program
// writing into a temporary folder with a recording opener, and a clean session state.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <memory>

#include "server/xlsx/xlsx_spreadsheet.h"
#include "tests/server/xlsx/xlsx_reader.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"

namespace viewer_test {

class ViewerEnvironment {
  public:
    ViewerEnvironment() {
        ui::InstallMessageBoxes(boxes);
        tarsel::InstallSpreadsheetProgram(
            tarsel::xlsx::CreateXlsxSpreadsheetProgram({folder.path(), opener}));
        modGlobal::ResetSessionState();
    }
    ~ViewerEnvironment() {
        ui::InstallMessageBoxes(nullptr);
        tarsel::InstallSpreadsheetProgram(nullptr);
        modGlobal::ResetSessionState();
    }
    ViewerEnvironment(const ViewerEnvironment&) = delete;
    ViewerEnvironment& operator=(const ViewerEnvironment&) = delete;

    QTemporaryDir folder;
    std::shared_ptr<xlsx_test::RecordingOpener> opener =
        std::make_shared<xlsx_test::RecordingOpener>();
    std::shared_ptr<ui::ScriptedMessageBoxes> boxes = std::make_shared<ui::ScriptedMessageBoxes>();
};

// main() of a window test program: an offscreen application around the tests.
inline int RunOffscreenTests(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace viewer_test
