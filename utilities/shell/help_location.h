#pragma once

#include <QString>
#include <QStringList>

namespace ui {

// Where the program's HTML help may be, in the order looked at: beside the program
// (help/, as the build lays it out), then the installed documentation folder.
QStringList HelpIndexCandidates(const QString& programFolder);
// The first candidate that exists; empty when none does.
QString FindHelpIndex(const QString& programFolder);

}  // namespace ui
