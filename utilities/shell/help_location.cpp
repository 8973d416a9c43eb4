#include "utilities/shell/help_location.h"

#include <QDir>
#include <QFileInfo>

#include "packaging/install_layout.h"

namespace ui {

QStringList HelpIndexCandidates(const QString& programFolder) {
    QStringList candidates =
        tarsel::install::DataFolderCandidates(tarsel::install::DataFolder::Help, programFolder);
    for (QString& candidate : candidates) {
        candidate = QDir(candidate).filePath(QStringLiteral("index.html"));
    }
    return candidates;
}

QString FindHelpIndex(const QString& programFolder) {
    for (const QString& candidate : HelpIndexCandidates(programFolder)) {
        if (QFileInfo(candidate).isFile()) {
            return QFileInfo(candidate).absoluteFilePath();
        }
    }
    return {};
}

}  // namespace ui
