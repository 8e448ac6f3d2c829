#pragma once
// Time-axis ticks on the local calendar: whole seconds, minutes, hours, days, weeks, months and
// years of the wall clock in a given zone, so that a tick labelled 13:00 stands at 13:00 local time
// also across the clock changes and in zones with 30-minute offsets.
#include <QString>
#include <QTimeZone>
#include <QVector>

struct CalendarStep {
  enum class Unit { Second, Minute, Hour, Day, Week, Month, Year };
  Unit unit = Unit::Day;
  int count = 1;

  // The step's nominal length (a month as 30.44 days, a year as 365.25).
  double Seconds() const;
  bool operator==(const CalendarStep&) const = default;
};

// The shortest calendar step that puts at most `maxTicks` intervals into `spanSeconds` (a fraction
// counts: 4.3 weeks fit where 4.6 labels do).
CalendarStep ChooseCalendarStep(double spanSeconds, double maxTicks);

// Tick keys (seconds since the epoch) of `step` on the wall clock of `zone`: the last tick at or
// before `lo`, every tick inside, and the first at or after `hi`. Wall-clock times that do not
// exist (the skipped hour) get no tick.
QVector<double> CalendarTicks(double lo, double hi, CalendarStep step, const QTimeZone& zone);

// The label picture for ticks `step` apart: `base` (a QDateTime format) where it is fine enough,
// with the time of day added when ticks fall within a day, seconds when within a minute, and the
// date when ticks are a day or more apart.
QString TickPicture(const QString& base, CalendarStep step);
