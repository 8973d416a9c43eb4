#include "packaging/install_layout.h"

#include <QDir>
#include <QFileInfo>

#include "packaging/package_info.h"

namespace tarsel::install {
namespace {

struct Place {
    const char* besideProgram;
    const char* installed;
};

Place PlaceOf(DataFolder folder) {
    switch (folder) {
        case DataFolder::Help:
            return {"help", TARSEL_INSTALL_HELP_DIR};
        case DataFolder::Examples:
            return {"examples", TARSEL_INSTALL_EXAMPLES_DIR};
    }
    return {"", ""};
}

QString InstalledFolder(DataFolder folder, const QString& programFolder) {
    return QDir::cleanPath(
        QDir(programFolder)
            .filePath(QStringLiteral("../") + QString::fromLatin1(PlaceOf(folder).installed)));
}

}  // namespace

QStringList DataFolderCandidates(DataFolder folder, const QString& programFolder) {
    return {
        QDir::cleanPath(
            QDir(programFolder).filePath(QString::fromLatin1(PlaceOf(folder).besideProgram))),
        InstalledFolder(folder, programFolder),
    };
}

QString FindDataFolder(DataFolder folder, const QString& programFolder) {
    for (const QString& candidate : DataFolderCandidates(folder, programFolder)) {
        if (QFileInfo(candidate).isDir()) {
            return QFileInfo(candidate).absoluteFilePath();
        }
    }
    return {};
}

bool IsInstalled(const QString& programFolder) {
    return QFileInfo(InstalledFolder(DataFolder::Help, programFolder)).isDir();
}

QString RunningProgramFolder() {
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return executable.isEmpty() ? QString() : QFileInfo(executable).absolutePath();
}

}  // namespace tarsel::install
