#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

// Local calendar periods of the consumption ledger, in seconds since the epoch. Every boundary is a
// local date and time: exact on 23- and 25-hour days.

struct TimeSpan {
  qint64 begin = 0;
  qint64 end = 0;  // exclusive
  qint64 Length() const { return end - begin; }
  bool operator==(const TimeSpan&) const = default;
};

enum class LedgerPeriod { Hour, Shift, Day, Week, Month, Year };
std::optional<LedgerPeriod> LedgerPeriodNamed(const QString& name);  // "hour" .. "year"

// A local date and time of day. In the hour autumn repeats: its first occurrence; in the hour
// spring skips: the time at the offset before the change.
qint64 LocalInstant(const QDate& day, int secondsOfDay);

// "6:00,14:00,22:00": seconds of the day, ascending; nothing when a part is not H:mm.
std::optional<QList<int>> ParseClockTimes(const QString& text);
// "6:00-22:00": start and end, seconds of the day.
std::optional<std::pair<int, int>> ParseClockSpan(const QString& text);
// "1,2,3,4,5": weekdays, 1 Monday .. 7 Sunday.
std::optional<QList<int>> ParseWeekdays(const QString& text);

// The periods from `first` 0:00 to the day after `last` 0:00, the first and last cut to that range.
// Hours are real hours (23 on the spring day, 25 on the autumn one); a shift runs from its start to
// the next shift's start and belongs to the day it starts on; weeks run Monday to Sunday.
QList<TimeSpan> LedgerPeriods(LedgerPeriod period, const QDate& first, const QDate& last,
                              const QList<int>& shiftStarts = {});

// The production time from the day before `first` to `last`, in time order: on each production
// weekday from its start hour to its end hour (the next day's when the end is not after the start).
QList<TimeSpan> ProductionTime(const QDate& first, const QDate& last, const QList<int>& weekdays,
                               std::pair<int, int> hours);

// "25.10.2026 2:00:00 +02:00": the local time of an instant and its offset from UTC.
QString LedgerTimeText(qint64 seconds);
