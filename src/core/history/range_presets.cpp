#include "history/range_presets.h"

#include "ledger/ledger_calendar.h"

#include <QDateTime>
#include <cmath>

namespace {
QDate MonthStart(const QDate& day) {
  return QDate(day.year(), day.month(), 1);
}
QDate MonthEnd(const QDate& day) {
  return MonthStart(day).addMonths(1).addDays(-1);
}
}  // namespace

DayRange PresetRange(RangePreset preset, const QDate& today) {
  const QDate monday = today.addDays(1 - today.dayOfWeek());
  switch (preset) {
    case RangePreset::Today:
      return {today, today};
    case RangePreset::Yesterday:
      return {today.addDays(-1), today.addDays(-1)};
    case RangePreset::ThisWeek:
      return {monday, monday.addDays(6)};
    case RangePreset::LastWeek:
      return {monday.addDays(-7), monday.addDays(-1)};
    case RangePreset::ThisMonth:
      return {MonthStart(today), MonthEnd(today)};
    case RangePreset::LastMonth:
      return {MonthStart(today).addMonths(-1), MonthStart(today).addDays(-1)};
    case RangePreset::Last7Days:
      return {today.addDays(-6), today};
    case RangePreset::Last30Days:
      return {today.addDays(-29), today};
  }
  return {today, today};
}

DayRange StepRange(const DayRange& range, int direction) {
  if (range.first == MonthStart(range.first) && range.last == MonthEnd(range.last)) {
    const int months = (range.last.year() - range.first.year()) * 12 + range.last.month() - range.first.month() + 1;
    const QDate first = range.first.addMonths(direction * months);
    return {first, MonthEnd(first.addMonths(months - 1))};
  }
  const qint64 days = range.first.daysTo(range.last) + 1;
  return {range.first.addDays(direction * days), range.last.addDays(direction * days)};
}

PeriodShift::PeriodShift(const DayRange& before, const DayRange& now) {
  const bool months = before.first == MonthStart(before.first) && before.last == MonthEnd(before.last);
  const int monthsApart = (now.first.year() - before.first.year()) * 12 + now.first.month() - before.first.month();
  const qint64 daysApart = before.first.daysTo(now.first);
  for (QDate day = before.first; day <= before.last; day = day.addDays(1)) {
    const double begin = double(LocalInstant(day, 0));
    begins_.push_back(begin);
    const QDate onto = months ? day.addMonths(monthsApart) : day.addDays(daysApart);
    const bool lacking = months && onto.day() != day.day();  // 31 January has no February day
    shifts_.push_back(lacking ? std::nullopt : std::optional<double>(double(LocalInstant(onto, 0)) - begin));
    onto_.push_back(onto);
    const auto length = [](const QDate& d) { return LocalInstant(d.addDays(1), 0) - LocalInstant(d, 0); };
    byClock_.push_back(length(day) != 86400 || length(onto) != 86400);
  }
  begins_.push_back(double(LocalInstant(before.last.addDays(1), 0)));
  end_ = double(LocalInstant(now.last.addDays(1), 0));
}

std::optional<double> PeriodShift::Map(double key) {
  while (day_ + 1 < begins_.size() && key >= begins_[day_ + 1]) ++day_;
  if (day_ >= shifts_.size() || key < begins_[day_] || !shifts_[day_]) return std::nullopt;
  double mapped = key + *shifts_[day_];
  if (byClock_[day_]) {
    // By the local time of day: the second pass of a repeated time has its place taken by the
    // first, and a time the day laid onto skips has none; so the keys stay strictly ascending.
    const qint64 second = qint64(std::floor(key));
    const QDateTime local = QDateTime::fromSecsSinceEpoch(second);
    for (const int back : {1800, 3600}) {
      const QDateTime earlier = QDateTime::fromSecsSinceEpoch(second - back);
      if (earlier.date() == local.date() && earlier.time() == local.time()) return std::nullopt;
    }
    const int timeOfDay = local.time().msecsSinceStartOfDay() / 1000;
    const qint64 onto = LocalInstant(onto_[day_], timeOfDay);
    if (QDateTime::fromSecsSinceEpoch(onto).time().msecsSinceStartOfDay() / 1000 != timeOfDay) return std::nullopt;
    mapped = double(onto) + (key - std::floor(key));
  }
  return mapped < end_ ? std::optional<double>(mapped) : std::nullopt;
}
