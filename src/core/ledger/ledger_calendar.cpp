#include "ledger/ledger_calendar.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>

#include "station/clock.h"

namespace {
std::optional<int> ClockTime(const QString& text) {
  static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*$"));
  const QRegularExpressionMatch m = form.match(text);
  if (!m.hasMatch()) return std::nullopt;
  const int h = m.captured(1).toInt(), mi = m.captured(2).toInt();
  if (h > 23 || mi > 59) return std::nullopt;
  return h * 3600 + mi * 60;
}

qint64 DayStart(const QDate& day) {
  return LocalInstant(day, 0);
}

// The range's boundaries: its start, every candidate inside it, its end.
QList<TimeSpan> Between(qint64 begin, qint64 end, QList<qint64> inside) {
  inside.erase(std::remove_if(inside.begin(), inside.end(), [&](qint64 t) { return t <= begin || t >= end; }),
               inside.end());
  std::sort(inside.begin(), inside.end());
  inside.erase(std::unique(inside.begin(), inside.end()), inside.end());
  QList<TimeSpan> spans;
  qint64 from = begin;
  for (qint64 t : inside) spans.append({std::exchange(from, t), t});
  spans.append({from, end});
  return spans;
}
}  // namespace

std::optional<LedgerPeriod> LedgerPeriodNamed(const QString& name) {
  static const char* const names[] = {"hour", "shift", "day", "week", "month", "year"};
  for (int i = 0; i < 6; ++i)
    if (name == QLatin1String(names[i])) return LedgerPeriod(i);
  return std::nullopt;
}

qint64 LocalInstant(const QDate& day, int secondsOfDay) {
  const QDateTime naive(day, QTime(0, 0), Qt::UTC);
  const qint64 wall = naive.toSecsSinceEpoch() + secondsOfDay;
  // The offsets in force before and after the day's change, if it has one.
  const QTimeZone zone = QTimeZone::systemTimeZone();
  const int before = zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(wall - 86400 - 14 * 3600, Qt::UTC));
  const int after = zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(wall + 86400 + 14 * 3600, Qt::UTC));
  for (int offset : {before, after}) {
    const qint64 t = wall - offset;
    if (zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(t, Qt::UTC)) == offset) return t;
  }
  return wall - before;  // a time the change skips
}

std::optional<QList<int>> ParseClockTimes(const QString& text) {
  QList<int> times;
  for (const QString& part : text.split(QLatin1Char(','))) {
    const std::optional<int> t = ClockTime(part);
    if (!t) return std::nullopt;
    times << *t;
  }
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}

std::optional<std::pair<int, int>> ParseClockSpan(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('-'));
  if (parts.size() != 2) return std::nullopt;
  const std::optional<int> from = ClockTime(parts[0]), to = ClockTime(parts[1]);
  if (!from || !to) return std::nullopt;
  return std::pair{*from, *to};
}

std::optional<QList<int>> ParseWeekdays(const QString& text) {
  QList<int> days;
  if (text.trimmed().isEmpty()) return days;  // no production at all
  for (const QString& part : text.split(QLatin1Char(','))) {
    bool ok = false;
    const int day = part.trimmed().toInt(&ok);
    if (!ok || day < 1 || day > 7) return std::nullopt;
    days << day;
  }
  return days;
}

QList<TimeSpan> LedgerPeriods(LedgerPeriod period, const QDate& first, const QDate& last,
                              const QList<int>& shiftStarts) {
  const qint64 begin = DayStart(first), end = DayStart(last.addDays(1));
  QList<qint64> inside;
  switch (period) {
    case LedgerPeriod::Hour:
      for (qint64 t = begin + 3600; t < end; t += 3600) inside << t;  // real hours
      break;
    case LedgerPeriod::Shift:
      for (QDate d = first.addDays(-1); d <= last; d = d.addDays(1))
        for (int start : shiftStarts) inside << LocalInstant(d, start);
      break;
    case LedgerPeriod::Day:
      for (QDate d = first.addDays(1); d <= last; d = d.addDays(1)) inside << DayStart(d);
      break;
    case LedgerPeriod::Week:
      for (QDate d = first.addDays(1); d <= last; d = d.addDays(1))
        if (d.dayOfWeek() == Qt::Monday) inside << DayStart(d);
      break;
    case LedgerPeriod::Month:
      for (QDate d = first.addDays(1); d <= last; d = d.addDays(1))
        if (d.day() == 1) inside << DayStart(d);
      break;
    case LedgerPeriod::Year:
      for (QDate d = first.addDays(1); d <= last; d = d.addDays(1))
        if (d.dayOfYear() == 1) inside << DayStart(d);
      break;
  }
  return Between(begin, end, inside);
}

QList<TimeSpan> ProductionTime(const QDate& first, const QDate& last, const QList<int>& weekdays,
                               std::pair<int, int> hours) {
  QList<TimeSpan> spans;
  for (QDate d = first.addDays(-1); d <= last; d = d.addDays(1)) {
    if (!weekdays.contains(d.dayOfWeek())) continue;
    const qint64 from = LocalInstant(d, hours.first);
    const qint64 to = LocalInstant(hours.second > hours.first ? d : d.addDays(1), hours.second);
    if (!spans.isEmpty() && spans.last().end >= from)
      spans.last().end = std::max(spans.last().end, to);  // one stretch over midnight
    else
      spans.append({from, to});
  }
  return spans;
}

QString LedgerTimeText(qint64 seconds) {
  return Clock::WithUtcOffset(QDateTime::fromSecsSinceEpoch(seconds), QStringLiteral("d.M.yyyy H:mm:ss"), true);
}
