#pragma once

#include <QPixmap>

namespace ui {
// The program's logo, drawn so the program needs no picture files.
QPixmap ProgramLogo(int size);
}  // namespace ui
