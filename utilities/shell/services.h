#pragma once
// What the shell's windows take from the desktop, replaceable by tests.

#include <QString>
#include <memory>

#include "utilities/shell/clock.h"
#include "utilities/shell/desktop.h"

namespace ui {

struct ShellServices {
    std::shared_ptr<Clock> clock = SystemClock();
    std::shared_ptr<DesktopOpener> desktop = SystemDesktopOpener();
    // The folder that holds the program; empty: the folder of the running executable.
    QString programFolder;

    QString ProgramFolder() const;
};

}  // namespace ui
