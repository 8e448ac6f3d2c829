#include "history/range_presets.h"

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
