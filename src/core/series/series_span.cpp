#include "series/series_span.h"

#include <algorithm>
#include <cmath>

namespace {
bool Joined(double from, double to, double gap) {
  return gap <= 0 || to - from <= gap;
}

// The line at t: a point's own value, or the straight line of the step around t when it is joined.
std::optional<double> ValueAt(const CompactSeries& s, double t, double gap) {
  const size_t n = s.Size(), i = s.LowerBound(t, 0, n);
  if (i < n && s.Key(i) == t) return s.Value(i);
  if (i == 0 || i == n || !Joined(s.Key(i - 1), s.Key(i), gap)) return std::nullopt;
  const double k0 = s.Key(i - 1), k1 = s.Key(i), v0 = s.Value(i - 1), v1 = s.Value(i);
  return v0 + (v1 - v0) * (t - k0) / (k1 - k0);
}
}  // namespace

SeriesSpan SpanBetween(const CompactSeries& s, double a, double b, double gap, bool withIntegral) {
  SeriesSpan span;
  // The values belong to their cursors, whichever comes first; the span runs from the earlier.
  span.atA = ValueAt(s, a, gap);
  span.atB = ValueAt(s, b, gap);
  if (b < a) std::swap(a, b);
  const size_t n = s.Size();
  const size_t first = s.LowerBound(a, 0, n), last = s.LowerBound(std::nextafter(b, INFINITY), first, n);
  if (first < last) {
    const auto [lo, hi] = s.Extremes(first, last);
    span.min = s.Value(lo);
    span.max = s.Value(hi);
    span.mean = s.Mean(first, last);
  }
  if (!withIntegral) return span;
  // Every step that overlaps [a, b], cut to it.
  for (size_t i = first > 0 ? first : 1; i < n && s.Key(i - 1) < b; ++i) {
    const double k0 = s.Key(i - 1), k1 = s.Key(i);
    if (k1 <= a || !Joined(k0, k1, gap) || k1 <= k0) continue;
    const double v0 = s.Value(i - 1), v1 = s.Value(i);
    const double from = std::max(k0, a), to = std::min(k1, b);
    const auto at = [&](double t) { return v0 + (v1 - v0) * (t - k0) / (k1 - k0); };
    span.integral += (at(from) + at(to)) / 2 * (to - from);
  }
  return span;
}
