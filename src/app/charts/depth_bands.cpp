#include "charts/depth_bands.h"

#include "charts/depth_graph.h"

#include <cmath>

void DepthBands::draw(QCPPainter* painter) {
  if (depth_.isNull()) return;
  for (DepthGraph* graph : graphs_) {
    if (!graph->visible()) continue;
    const QVector<QPointF> front = graph->FrontLine();
    if (front.size() < 2) continue;
    painter->setClipRect(graph->keyAxis()->axisRect()->rect());
    const QColor c = graph->pen().color();
    // The curve's colour thinned with white, opaque so that overlapping pieces show no seams.
    const QColor shade((c.red() + 255 * 2) / 3, (c.green() + 255 * 2) / 3, (c.blue() + 255 * 2) / 3);
    painter->setPen(QPen(shade, 1));
    painter->setBrush(shade);
    // One parallelogram per segment: convex pieces fill far faster than one self-crossing
    // polygon of thousands of corners.
    // A point without a value (a gap) ends one piece of the line and the next begins after it.
    const auto broken = [](const QPointF& p) { return std::isnan(p.x()) || std::isnan(p.y()); };
    for (qsizetype i = 0; i + 1 < front.size(); ++i) {
      if (broken(front[i]) || broken(front[i + 1])) continue;
      const QPointF quad[4] = {front[i], front[i + 1], front[i + 1] + depth_, front[i] + depth_};
      painter->drawConvexPolygon(quad, 4);
    }
    painter->setPen(QPen(c.lighter(140), 1));
    QPolygonF back;
    back.reserve(front.size());
    for (qsizetype i = 0; i <= front.size(); ++i) {
      if (i == front.size() || broken(front[i])) {
        if (back.size() > 1) painter->drawPolyline(back);
        back.clear();
      } else {
        back << front[i] + depth_;
      }
    }
  }
}
