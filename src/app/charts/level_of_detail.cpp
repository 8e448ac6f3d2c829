#include "charts/level_of_detail.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "series/compact_series.h"

namespace {
// A break before point i when the step from the point before is longer than the gap.
void BreakBefore(const CompactSeries& points, size_t i, size_t first, double gap, QVector<QCPGraphData>* out) {
  if (gap > 0 && i > first && points.Key(i) - points.Key(i - 1) > gap)
    out->append(QCPGraphData((points.Key(i - 1) + points.Key(i)) / 2, std::numeric_limits<double>::quiet_NaN()));
}
}  // namespace

void AllPoints(const CompactSeries& points, size_t first, size_t last, double gap, QVector<QCPGraphData>* out) {
  out->reserve(out->size() + qsizetype(last - first));
  for (size_t i = first; i < last; ++i) {
    BreakBefore(points, i, first, gap, out);
    out->append(QCPGraphData(points.Key(i), points.Value(i)));
  }
}

void ReduceToColumns(const CompactSeries& points, size_t first, size_t last,
                     const std::function<double(double key)>& column,
                     const std::function<double(double column)>& columnStartKey, double gap,
                     QVector<QCPGraphData>* out, QVector<ColumnSpread>* spread) {
  size_t start = first;
  while (start < last) {
    BreakBefore(points, start, first, gap, out);
    // The column of this point; the next column begins at the key of its left edge.
    const double col = std::floor(column(points.Key(start)));
    size_t end = points.LowerBound(columnStartKey(col + 1), start + 1, last);
    if (end <= start) end = start + 1;  // a key beyond the axis' resolution: one point
    if (end - start <= 4) {
      for (size_t i = start; i < end; ++i) {
        if (i > start) BreakBefore(points, i, first, gap, out);
        out->append(QCPGraphData(points.Key(i), points.Value(i)));
      }
    } else {
      const auto [lo, hi] = points.Extremes(start, end);
      out->append(QCPGraphData(columnStartKey(col + 0.5), points.Mean(start, end)));
      spread->append({col, points.Value(lo), points.Value(hi)});
    }
    start = end;
  }
}
