#pragma once

class QApplication;

namespace ui {

// Ends the program when no window of it is visible any more. Qt's own rule counts only
// windows without an owner, but the tool windows are owned by the main window and keep
// running after the main window was closed with Exit.
void QuitWhenNoWindowIsVisible(QApplication& application);

}  // namespace ui
