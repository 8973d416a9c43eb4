#pragma once
// Where a program finds the files it ships beside itself (help, examples), both in the
// build folder and installed, without a path of the build machine compiled in.

#include <QString>
#include <QStringList>

namespace tarsel::install {

enum class DataFolder { Help, Examples };

// Where the folder may be, in the order looked at: beside the program (the build folder
// copies it there), then the installed share folder relative to the program's own folder
// (<prefix>/bin finds <prefix>/share/...). Cleaned paths.
QStringList DataFolderCandidates(DataFolder folder, const QString& programFolder);
// The first candidate that is a folder, as an absolute path; empty when none is.
QString FindDataFolder(DataFolder folder, const QString& programFolder);
// True when the program in programFolder is an installed one (<prefix>/bin with the
// package's documentation beside it): such a folder belongs to the package manager and
// takes no files of the program's own.
bool IsInstalled(const QString& programFolder);
// The folder of the running executable with links resolved, also before (or without) a
// QCoreApplication; empty when the system does not tell.
QString RunningProgramFolder();

}  // namespace tarsel::install
