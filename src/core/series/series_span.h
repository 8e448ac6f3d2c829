#pragma once

#include <optional>

#include "series/compact_series.h"

// What a line holds between two times [a, b] (a cursor pair on a chart): its values at both ends,
// the minimum, mean and maximum of its points between them, and its integral over time by the
// ledger's rule: trapezoids between consecutive points no further apart than `gap` (s; 0 no limit),
// a step cut by a or b split on the straight line between its points.
struct SeriesSpan {
  std::optional<double> atA, atB;  // none in a gap or outside the points
  std::optional<double> min, mean, max;
  double integral = 0;  // value × seconds
};

// The integral walks every step between a and b: `withIntegral` false leaves it 0.
SeriesSpan SpanBetween(const CompactSeries& points, double a, double b, double gap, bool withIntegral = true);
