#pragma once

#include <QDateTime>
#include <QLocale>

#include "station/clock.h"

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
// A time the clock shows twice (the hour repeated in autumn, half an hour in some zones) carries
// its UTC offset, "25.10.26 2:30:00 +01:00": the two are told apart.
inline bool ShownTwice(const QDateTime& at) {
  const QDateTime local = at.toLocalTime();
  for (const int d : {-3600, -1800, 1800, 3600}) {
    const QDateTime other = local.addSecs(d).toLocalTime();
    if (other.date() == local.date() && other.time() == local.time()) return true;
  }
  return false;
}
inline QString DateTime(const QDateTime& at) {
  return ShortDate(at.date()) + QLatin1Char(' ') + LongTime(at.time()) +
         (ShownTwice(at) ? QLatin1Char(' ') + Clock::WithUtcOffset(at, QString()) : QString());
}
}  // namespace Regional
