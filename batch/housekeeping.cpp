#include <sys/stat.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "batch/bsConstants.h"
#include "batch/commands.h"
#include "batch/custom2_rewrite.h"
#include "batch/dispatch.h"
#include "batch/shell.h"

namespace tarsel::batch {

void DefaultCustom2(CommandCall& call) {
    const RunTimestamps& stamps = call.context.stamps;
    const QString input = ReplaceTimestampTokens(Param(call.params, 1), stamps);
    const QString output = ReplaceTimestampTokens(Param(call.params, 2), stamps);
    const QString value = ReplaceTimestampTokens(Param(call.params, 3), stamps);
    // The records keep the value as typed; only the log shows it upper-cased.
    call.entry.AppendToFailureText(value.toUpper());
    RewriteCustom2(input, output, value.toUtf8(), QString::fromLatin1(call.command.source),
                   &StopRequested);
    call.entry.Succeed(QStringLiteral("Defaulted Custom2 value in data file. Default Value = ") +
                       value.toUpper());
}

void CreateFolder(CommandCall& call) {
    const QString source = QString::fromLatin1(call.command.source);
    const QString folder = ReplaceTimestampTokens(Param(call.params, 1), call.context.stamps);
    const QByteArray name = QFile::encodeName(folder);
    struct stat existing {};
    // Anything of that name counts, a plain file or a dangling link as well.
    if (!name.isEmpty() && ::lstat(name.constData(), &existing) == 0) {
        throw TarselError(err::kFolderExists, source, QStringLiteral("Folder already exists"));
    }
    if (::mkdir(name.constData(), 0777) != 0) {
        const int error = errno;
        throw TarselError(error == ENOENT ? err::kPathNotFound : err::kFileAccess, source,
                          QStringLiteral("Cannot create folder %1: %2")
                              .arg(folder, QString::fromLocal8Bit(std::strerror(error))));
    }
    call.entry.Succeed(QStringLiteral("Created folder"));
}

}  // namespace tarsel::batch
