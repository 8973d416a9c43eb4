#pragma once
// The clock of the batch program and the run-wide timestamp strings.

#include <QDateTime>
#include <QString>

namespace tarsel::batch {

class Clock {
  public:
    virtual ~Clock() = default;
    // Local date and time.
    virtual QDateTime Now() = 0;
};

class SystemClock : public Clock {
  public:
    QDateTime Now() override { return QDateTime::currentDateTime(); }
};

// Read once at the start of a run; every later use sees the same values.
struct RunTimestamps {
    QString shortTimestamp;  // YYYY_MM_DD
    QString longTimestamp;   // YYYY_MM_DD_HHMMSS
    QString day;             // DD

    static RunTimestamps From(const QDateTime& start);
};

// Replaces "@short_timestamp", then "@long_timestamp", then "@day" (case-sensitive).
QString ReplaceTimestampTokens(const QString& text, const RunTimestamps& stamps);

// Seconds elapsed since local midnight, rounded to a whole number.
int SecondsSinceMidnight(const QDateTime& now);

}  // namespace tarsel::batch
