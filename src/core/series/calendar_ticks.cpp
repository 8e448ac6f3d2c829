#include "series/calendar_ticks.h"

#include <QDateTime>
#include <array>
#include <cmath>

namespace {
using Unit = CalendarStep::Unit;

constexpr double kDay = 86400.0;
constexpr int kMaxTicks = 2000;  // a guard; a sensible step gives a dozen

// The steps in ascending order of length.
constexpr std::array<CalendarStep, 32> kSteps{{
    {Unit::Second, 1}, {Unit::Second, 2}, {Unit::Second, 5}, {Unit::Second, 10}, {Unit::Second, 15},
    {Unit::Second, 30}, {Unit::Minute, 1}, {Unit::Minute, 2}, {Unit::Minute, 5}, {Unit::Minute, 10},
    {Unit::Minute, 15}, {Unit::Minute, 30}, {Unit::Hour, 1}, {Unit::Hour, 2}, {Unit::Hour, 3},
    {Unit::Hour, 6}, {Unit::Hour, 12}, {Unit::Day, 1}, {Unit::Day, 2}, {Unit::Week, 1},
    {Unit::Month, 1}, {Unit::Month, 2}, {Unit::Month, 3}, {Unit::Month, 6}, {Unit::Year, 1},
    {Unit::Year, 2}, {Unit::Year, 5}, {Unit::Year, 10}, {Unit::Year, 20}, {Unit::Year, 50},
    {Unit::Year, 100}, {Unit::Year, 1000},
}};

double Key(const QDateTime& t) { return t.toMSecsSinceEpoch() / 1000.0; }

// The first day of the tick sequence at or before `day`.
QDate AlignDay(const QDate& day, CalendarStep step) {
  switch (step.unit) {
    case Unit::Day: return day.addDays(-((day.day() - 1) % step.count));
    case Unit::Week: return day.addDays(1 - day.dayOfWeek());  // Monday
    case Unit::Month: return QDate(day.year(), (day.month() - 1) / step.count * step.count + 1, 1);
    case Unit::Year: {
      const int year = int(std::floor(day.year() / double(step.count))) * step.count;
      return QDate(year == 0 ? 1 : year, 1, 1);  // there is no year 0
    }
    default: return day;
  }
}

QDate NextDay(const QDate& day, CalendarStep step) {
  switch (step.unit) {
    case Unit::Day: {
      const QDate next = day.addDays(step.count);
      // Every sequence starts again on the first of the month.
      return next.month() != day.month() ? QDate(next.year(), next.month(), 1) : next;
    }
    case Unit::Week: return day.addDays(7);
    case Unit::Month: return day.addMonths(step.count);
    case Unit::Year: return day.addYears(step.count);
    default: return day.addDays(1);
  }
}

// Ticks within days: wall-clock times that are multiples of the step from local midnight.
QVector<double> TicksWithinDays(double lo, double hi, int stepSeconds, const QTimeZone& zone) {
  QVector<double> ticks;
  const QDateTime first = QDateTime::fromMSecsSinceEpoch(qint64(std::floor(lo)) * 1000, zone);
  int second = first.time().msecsSinceStartOfDay() / 1000 / stepSeconds * stepSeconds;
  for (QDate day = first.date(); ticks.size() < kMaxTicks; day = day.addDays(1), second = 0) {
    for (; second < 86400; second += stepSeconds) {
      const QTime wanted = QTime::fromMSecsSinceStartOfDay(second * 1000);
      const QDateTime t(day, wanted, zone);
      if (!t.isValid() || t.date() != day || t.time() != wanted) continue;  // in the skipped hour
      const double key = Key(t);
      if (key > lo && !ticks.isEmpty() && ticks.last() >= key) continue;  // the repeated hour
      if (key <= lo) ticks.clear();  // only the last tick at or before lo stays
      ticks << key;
      if (key >= hi) return ticks;
    }
  }
  return ticks;
}

QVector<double> TicksOnDays(double lo, double hi, CalendarStep step, const QTimeZone& zone) {
  QVector<double> ticks;
  const QDateTime first = QDateTime::fromMSecsSinceEpoch(qint64(std::floor(lo)) * 1000, zone);
  for (QDate day = AlignDay(first.date(), step); day.isValid() && ticks.size() < kMaxTicks;
       day = NextDay(day, step)) {
    const double key = Key(day.startOfDay(zone));
    if (key <= lo) ticks.clear();
    ticks << key;
    if (key >= hi) break;
  }
  return ticks;
}
}  // namespace

double CalendarStep::Seconds() const {
  switch (unit) {
    case Unit::Second: return count;
    case Unit::Minute: return count * 60.0;
    case Unit::Hour: return count * 3600.0;
    case Unit::Day: return count * kDay;
    case Unit::Week: return count * 7 * kDay;
    case Unit::Month: return count * 30.44 * kDay;
    case Unit::Year: return count * 365.25 * kDay;
  }
  return kDay;
}

CalendarStep ChooseCalendarStep(double spanSeconds, double maxTicks) {
  for (const CalendarStep& step : kSteps)
    if (spanSeconds / step.Seconds() <= qMax(1.0, maxTicks)) return step;
  return kSteps.back();
}

QVector<double> CalendarTicks(double lo, double hi, CalendarStep step, const QTimeZone& zone) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || hi < lo) return {};
  if (step.Seconds() < kDay) return TicksWithinDays(lo, hi, int(step.Seconds()), zone);
  return TicksOnDays(lo, hi, step, zone);
}

QString TickPicture(const QString& base, CalendarStep step) {
  const bool hasTime = base.contains(QLatin1Char('H')) || base.contains(QLatin1Char('h'));
  const bool hasDate = base.contains(QLatin1Char('d')) || base.contains(QLatin1Char('M'));
  QString picture = base;
  if (step.Seconds() < kDay && !hasTime) picture = QStringLiteral("d.M HH:mm");
  if (step.Seconds() >= kDay && !hasDate) picture = QStringLiteral("d.M.yyyy");
  if (step.Seconds() < 60 && !picture.contains(QLatin1Char('s')))
    picture.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
  return picture;
}
