#include "archive/local_keys.h"

#include <QDateTime>

double LocalKeys::Key(int y, int m, int d, int timeOfDay) {
  const int hour = timeOfDay / 3600;
  const qint64 id = ((qint64(y) * 13 + m) * 32 + d) * 24 + hour;
  if (id != id_) {
    id_ = id;
    LookUpHour(QDate(y, m, d), hour);
  }
  qint64 key = base_ + timeOfDay % 3600;
  if (repeat_ > 0) {
    if (id != passHour_) {  // the first row of this repeated hour in the file
      passHour_ = id;
      secondPass_ = false;
    } else if (timeOfDay < lastInPass_) {
      secondPass_ = true;
    }
    lastInPass_ = timeOfDay;
    if (secondPass_) key += repeat_;
  }
  return double(key);
}

void LocalKeys::LookUpHour(const QDate& date, int hour) {
  auto isThisHour = [&](qint64 secs) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(secs);
    return local.date() == date && local.time().hour() == hour;
  };
  base_ = QDateTime(date, QTime(hour, 0)).toSecsSinceEpoch();
  if (isThisHour(base_ - 3600)) base_ -= 3600;  // the zone gave the later of the two
  // This hour of the clock lasts an hour and what the clock repeats in it (in steps of a quarter).
  qint64 end = base_ + 3600;
  while (isThisHour(end) && end - base_ < 3 * 3600) end += 900;
  repeat_ = end - base_ - 3600;
}
