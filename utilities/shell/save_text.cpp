#include "utilities/shell/save_text.h"

#include <QSaveFile>

namespace ui {

QString SaveTextWithLineEnd(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    const QByteArray bytes = (text + QStringLiteral("\r\n")).toUtf8();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}

bool NeedsMemberListExtensionWarning(const QString& mode, const QString& name) {
    return mode.trimmed().toUpper() == QLatin1String("MEMBERLIST") &&
           name.right(4).toUpper() != QLatin1String(".LST");
}

}  // namespace ui
