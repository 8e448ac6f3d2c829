#include "charts/level_of_detail.h"

#include <algorithm>
#include <cmath>

#include "series/compact_series.h"

void ReduceToColumns(const CompactSeries& points, size_t first, size_t last,
                     const std::function<double(double key)>& column,
                     const std::function<double(double column)>& columnStartKey, QVector<QCPGraphData>* out) {
  auto take = [&](size_t i) { out->append(QCPGraphData(points.Key(i), points.Value(i))); };
  size_t start = first;
  while (start < last) {
    // The column of this point; the next column begins at the key of its left edge.
    const double col = std::floor(column(points.Key(start)));
    size_t end = points.LowerBound(columnStartKey(col + 1), start + 1, last);
    if (end <= start) end = start + 1;  // a key beyond the axis' resolution: one point
    if (end - start <= 4) {
      for (size_t i = start; i < end; ++i) take(i);
    } else {
      const auto [lo, hi] = points.Extremes(start, end);
      const size_t picked[4] = {start, std::min(lo, hi), std::max(lo, hi), end - 1};
      size_t previous = SIZE_MAX;
      for (size_t i : picked)
        if (i != previous) take(previous = i);
    }
    start = end;
  }
}
