#include "utilities/shell/help_location.h"

#include <QDir>
#include <QFileInfo>

namespace ui {

QStringList HelpIndexCandidates(const QString& programFolder) {
    const QDir program(programFolder);
    QStringList candidates{
        program.filePath(QStringLiteral("help/index.html")),
        program.filePath(QStringLiteral("../share/tarsel/help/index.html")),
    };
#ifdef TARSEL_SOURCE_HELP_DIR
    candidates.append(
        QDir(QStringLiteral(TARSEL_SOURCE_HELP_DIR)).filePath(QStringLiteral("index.html")));
#endif
    for (QString& candidate : candidates) {
        candidate = QDir::cleanPath(candidate);
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
