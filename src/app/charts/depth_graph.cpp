#include "charts/depth_graph.h"

#include "charts/level_of_detail.h"

#include <algorithm>
#include <cmath>
#include "series/compact_series.h"

void DepthGraph::TakeDrawnPoints() {
  QCPAxis* keyAxis = mKeyAxis.data();
  if (!keyAxis) return;
  const View view{true, keyAxis->range(), keyAxis->axisRect()->rect(), keyAxis->rangeReversed()};
  if (view == drawnFor_) return;
  drawnFor_ = view;
  const CompactSeries& points = *points_;
  const size_t n = points.Size();
  QVector<QCPGraphData> drawn;
  spread_.clear();
  if (!levelOfDetail_ || keyAxis->scaleType() != QCPAxis::stLinear) {
    AllPoints(points, 0, n, gap_, &drawn);
  } else if (n > 0) {
    // One point beyond each edge, so that the line runs on to the plot's border.
    size_t first = points.LowerBound(view.range.lower, 0, n);
    if (first > 0) --first;
    const size_t last = std::min(n, points.LowerBound(view.range.upper, first, n) + 1);
    const bool reversed = view.reversed;
    ReduceToColumns(
        points, first, last,
        [keyAxis, reversed](double key) {
          return reversed ? -keyAxis->coordToPixel(key) : keyAxis->coordToPixel(key);
        },
        [keyAxis, reversed](double column) { return keyAxis->pixelToCoord(reversed ? -column : column); }, gap_,
        &drawn, &spread_);
  }
  mDataContainer->set(drawn, true);
}

void DepthGraph::DrawSpread(QCPPainter* painter) const {
  QCPAxis* keyAxis = mKeyAxis.data();
  QCPAxis* valueAxis = mValueAxis.data();
  if (spread_.isEmpty() || !keyAxis || !valueAxis) return;
  QColor light = mPen.color();
  light.setAlphaF(kSpreadOpacity);
  painter->save();
  painter->setAntialiasing(false);  // whole pixel columns, side by side
  painter->setPen(Qt::NoPen);
  painter->setBrush(light);
  for (const ColumnSpread& s : spread_) {
    const double left = keyAxis->rangeReversed() ? -(s.column + 1) : s.column;
    const double a = valueAxis->coordToPixel(s.low), b = valueAxis->coordToPixel(s.high);
    const double top = std::round(std::min(a, b)), bottom = std::round(std::max(a, b)) + 1;
    painter->drawRect(QRectF(left, top, 1, bottom - top));
  }
  painter->restore();
}
