#pragma once

#include <QString>
#include <QStringList>

namespace ui {

// Where the program's HTML help may be, in the order looked at: beside the program
// (help/), the installed share folder, then the source tree the program was built from.
QStringList HelpIndexCandidates(const QString& programFolder);
// The first candidate that exists; empty when none does.
QString FindHelpIndex(const QString& programFolder);

}  // namespace ui
