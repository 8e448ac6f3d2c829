#include "station/clock.h"

#include <cstdlib>

namespace {
std::function<QDateTime()>& Source() {
  static std::function<QDateTime()> source;
  return source;
}
}  // namespace

QDateTime Clock::Now() {
  return Source() ? Source()() : QDateTime::currentDateTime();
}

void Clock::SetSource(std::function<QDateTime()> source) {
  Source() = std::move(source);
}

QString Clock::WithUtcOffset(const QDateTime& at, const QString& picture, bool blank) {
  const int offset = at.offsetFromUtc();
  const int minutes = std::abs(offset) / 60;
  return at.toString(picture) + (blank ? QStringLiteral(" ") : QString()) +
         (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
         QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
