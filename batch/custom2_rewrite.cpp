#include "batch/custom2_rewrite.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "batch/bsConstants.h"
#include "server/tarsel_error.h"

namespace tarsel::batch {

namespace {

TarselError Failure(const Custom2Failure& failure, const QString& input, const QString& output,
                    const QString& source) {
    const QString reason = QString::fromLocal8Bit(std::strerror(failure.error));
    switch (failure.kind) {
        case Custom2Failure::kOpenInput:
            return TarselError(failure.error == ENOENT ? err::kFileNotFound : err::kFileAccess,
                               source, QStringLiteral("Cannot open %1: %2").arg(input, reason));
        case Custom2Failure::kInputIsFolder:
            return TarselError(err::kFileAccess, source,
                               QStringLiteral("Cannot read %1: it is a folder").arg(input));
        case Custom2Failure::kOutputIsInput:
            return TarselError(err::kFileAccess, source,
                               QStringLiteral("The output file %1 is the input file; the input "
                                              "would be lost")
                                   .arg(output));
        case Custom2Failure::kOutputIsFolder:
            return TarselError(err::kFileAccess, source,
                               QStringLiteral("Cannot write %1: it is a folder").arg(output));
        case Custom2Failure::kCreateOutput:
            return TarselError(failure.error == ENOENT ? err::kPathNotFound : err::kFileAccess,
                               source, QStringLiteral("Cannot write %1: %2").arg(output, reason));
        case Custom2Failure::kReadInput:
            return TarselError(err::kFileAccess, source,
                               QStringLiteral("Cannot read %1: %2").arg(input, reason));
        case Custom2Failure::kWriteOutput:
            break;  // below, where any other kind would end too
        case Custom2Failure::kStopped:
            return TarselError(err::kStopped, source,
                               QStringLiteral("Stopped before the end of %1").arg(input));
    }
    return TarselError(err::kFileAccess, source,
                       QStringLiteral("Cannot write %1: %2").arg(output, reason));
}

}  // namespace

Custom2Counts RewriteCustom2(const QString& input, const QString& output, const QByteArray& value,
                             const QString& source, const std::function<bool()>& stop,
                             size_t chunkBytes) {
    try {
        return RewriteCustom2Bytes(
            QFile::encodeName(input).constData(), QFile::encodeName(output).constData(),
            std::string_view(value.constData(), value.size()), stop, chunkBytes);
    } catch (const Custom2Failure& failure) {
        throw Failure(failure, input, output, source);
    }
}

}  // namespace tarsel::batch
