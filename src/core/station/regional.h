#pragma once

#include <QDateTime>
#include <QLocale>

// Dates and times as the user's regional settings show them (short date, long time).
namespace Regional {
inline QString ShortDate(const QDate& date) {
  return QLocale().toString(date, QLocale::ShortFormat);
}
inline QString LongTime(const QTime& time) {
  QString format = QLocale().timeFormat(QLocale::LongFormat);
  format.remove(QLatin1Char('t'));  // without the time zone name
  return time.toString(format.trimmed());
}
inline QString DateTime(const QDateTime& at) {
  return ShortDate(at.date()) + QLatin1Char(' ') + LongTime(at.time());
}
}  // namespace Regional
