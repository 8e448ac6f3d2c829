#include "history/consumption.h"

#include <cmath>
#include <cstdint>

bool ConsumptionTotal::Add(double x, double value) {
  const bool first = firstInFile_;
  const double step = x - previousX_;
  firstInFile_ = false;
  previousX_ = x;
  const double previous = previousValue_;
  previousValue_ = value;
  if (first) return false;
  if (step > 0) {
    const int64_t seconds = std::llround(step) % 86400;
    const double factor = weightInHours_ ? double(seconds) * (1.0 / 3600) : 1.0;
    total_ += (previous + value) * 0.5 * factor;
  }
  return true;
}
