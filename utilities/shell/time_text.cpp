#include "utilities/shell/time_text.h"

#include <QLocale>

namespace ui {

QString TimeOfDayText(const QTime& time) {
    // The long format carries the seconds; the time zone ("t") is no part of a time of day.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(time, format.trimmed());
}

QString DateText(const QDate& date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

}  // namespace ui
