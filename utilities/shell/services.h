#pragma once
// What the shell's windows take from outside: the client library, the desktop, the clock
// and the tool windows. The program fills it once at start; tests fill it with their own.

#include <QString>
#include <memory>

#include "server/client_library.h"
#include "utilities/shell/clock.h"
#include "utilities/shell/desktop.h"
#include "utilities/shell/tool_windows.h"

namespace ui {

struct ShellServices {
    // The client library every logon and version check goes through.
    std::shared_ptr<tarsel::ClientLibrary> library;
    std::shared_ptr<Clock> clock = SystemClock();
    std::shared_ptr<DesktopOpener> desktop = SystemDesktopOpener();
    // The folder that holds the program; empty: the folder of the running executable.
    QString programFolder;
    // The tool windows the main window opens; a tool without one opens a stand-in window.
    ToolWindowFactories toolWindows;

    QString ProgramFolder() const;
    // Fails with a client error (kNotImplemented) when no library was given, as a missing
    // client library would.
    tarsel::ClientLibrary& Library() const;
};

}  // namespace ui
