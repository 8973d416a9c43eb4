#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace ui {
// A time of day and a date in the system's own formats, as the status bars show them.
QString TimeOfDayText(const QTime& time);
QString DateText(const QDate& date);
}  // namespace ui
