#pragma once

#include <QDateTime>
#include <functional>

// The one source of local time for decisions: archive file names, day change, chart points.
// Tests replace it to move through hours and midnights without waiting.
namespace Clock {
QDateTime Now();
void SetSource(std::function<QDateTime()> source);  // empty function: the system clock again

// The time in the picture given, a blank when `blank`, and its offset from UTC written out, also
// for UTC: "2026-10-25T02:30:00+01:00" (ISO 8601), "25.10.2026 2:30:00 +01:00".
QString WithUtcOffset(const QDateTime& at, const QString& picture, bool blank = false);
// "2026-10-25T02:30:00+01:00": ISO 8601 to the second, as the journal and the alarms write times.
inline QString IsoSeconds(const QDateTime& at) {
  return WithUtcOffset(at, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}
// "2026-10-25T02:30:00.250+01:00": to the millisecond, as MQTT carries times.
inline QString IsoMillis(const QDateTime& at) {
  return WithUtcOffset(at, QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}
}  // namespace Clock
