#include "utilities/shell/error_log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "packaging/install_layout.h"

namespace modGlobal {

namespace {

bool Truncate(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

QString JoinFolder(const QString& folder) {
    return QDir(folder).filePath(QString::fromLatin1(kErrorLogFileName));
}

}  // namespace

QString ErrorLogStateFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) {
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    }
    return QDir(state).filePath(QStringLiteral("tarsel"));
}

bool ErrorLog::Start(const QString& programFolder) {
    path_.clear();
    if (!programFolder.isEmpty() && !tarsel::install::IsInstalled(programFolder) &&
        Truncate(JoinFolder(programFolder))) {
        path_ = JoinFolder(programFolder);
        return true;
    }
    const QString fallback = ErrorLogStateFolder();
    if (QDir().mkpath(fallback) && Truncate(JoinFolder(fallback))) {
        path_ = JoinFolder(fallback);
        return true;
    }
    return false;
}

bool ErrorLog::Write(const QString& entryText) const {
    if (path_.isEmpty()) {
        return false;
    }
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    const QString entry =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
        QStringLiteral(" Error\r\n") + entryText + QStringLiteral("\r\n\r\n");
    const QByteArray bytes = entry.toUtf8();
    return file.write(bytes) == bytes.size();
}

ErrorLog& TheErrorLog() {
    static ErrorLog log;
    return log;
}

}  // namespace modGlobal
