#pragma once

#include <QDateTime>
#include <functional>

// The one source of local time for decisions: archive file names, day change, chart points.
// Tests replace it to move through hours and midnights without waiting.
namespace Clock {
QDateTime Now();
void SetSource(std::function<QDateTime()> source);  // empty function: the system clock again
}  // namespace Clock
