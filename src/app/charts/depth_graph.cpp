#include "charts/depth_graph.h"

#include <algorithm>
#include <cmath>

#include "charts/level_of_detail.h"
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

double DepthGraph::selectTest(const QPointF& pos, bool onlySelectable, QVariant* details) const {
  const double distance = QCPGraph::selectTest(pos, onlySelectable, details);
  QCPAxis* keyAxis = mKeyAxis.data();
  QCPAxis* valueAxis = mValueAxis.data();
  if (distance < 0 || spread_.isEmpty() || !keyAxis || !valueAxis) return distance;
  // A click on a band is a click on its line.
  const double column = std::floor(keyAxis->rangeReversed() ? -pos.x() : pos.x());
  const auto at = std::lower_bound(spread_.cbegin(), spread_.cend(), column,
                                   [](const ColumnSpread& s, double c) { return s.column < c; });
  if (at == spread_.cend() || at->column != column) return distance;
  const double a = valueAxis->coordToPixel(at->low), b = valueAxis->coordToPixel(at->high);
  return pos.y() >= std::min(a, b) - 1 && pos.y() <= std::max(a, b) + 1 ? 0 : distance;
}
