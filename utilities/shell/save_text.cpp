#include "utilities/shell/save_text.h"

#include <QSaveFile>

namespace ui {

QString SaveTextWithLineEnd(const QString& path, const QString& text) {
    QSaveFile file(path);
    // Unbuffered: a buffered short write (a full disk, a file size limit) would be
    // committed as if complete.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    const QByteArray bytes = (text + QStringLiteral("\r\n")).toUtf8();
    qint64 done = 0;
    while (done < bytes.size()) {
        // A short write is followed by one more, which reports the reason.
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason;
        }
        done += written;
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
