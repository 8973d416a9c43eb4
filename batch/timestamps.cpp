#include "batch/timestamps.h"

#include <cmath>

namespace tarsel::batch {

RunTimestamps RunTimestamps::From(const QDateTime& start) {
    RunTimestamps stamps;
    stamps.shortTimestamp = start.toString(QStringLiteral("yyyy_MM_dd"));
    stamps.longTimestamp = start.toString(QStringLiteral("yyyy_MM_dd_HHmmss"));
    stamps.day = start.toString(QStringLiteral("dd"));
    return stamps;
}

QString ReplaceTimestampTokens(const QString& text, const RunTimestamps& stamps) {
    QString result = text;
    result.replace(QStringLiteral("@short_timestamp"), stamps.shortTimestamp, Qt::CaseSensitive);
    result.replace(QStringLiteral("@long_timestamp"), stamps.longTimestamp, Qt::CaseSensitive);
    result.replace(QStringLiteral("@day"), stamps.day, Qt::CaseSensitive);
    return result;
}

int SecondsSinceMidnight(const QDateTime& now) {
    const double ms = now.time().msecsSinceStartOfDay();
    return static_cast<int>(std::lround(ms / 1000.0));
}

}  // namespace tarsel::batch
