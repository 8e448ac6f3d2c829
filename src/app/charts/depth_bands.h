#pragma once

#include <qcustomplot.h>

class DepthGraph;

// The pseudo-3D view: every visible curve is extruded by the depth offset into a band that recedes
// up and to the right. The bands lie on a layer below the curves, opaque, in series order, so every
// curve stays visible in front of them.
class DepthBands : public QCPLayerable {
 public:
  DepthBands(QCustomPlot* plot, QCPLayer* layer) : QCPLayerable(plot) { setLayer(layer); }
  void SetDepth(const QPointF& depth) { depth_ = depth; }
  void SetGraphs(QList<DepthGraph*> graphs) { graphs_ = std::move(graphs); }

 protected:
  void applyDefaultAntialiasingHint(QCPPainter* painter) const override { painter->setAntialiasing(false); }
  // Each curve's bands are clipped to its own axis rectangle (one per band of the chart).
  QRect clipRect() const override { return mParentPlot->viewport(); }
  void draw(QCPPainter* painter) override;

 private:
  QPointF depth_;
  QList<DepthGraph*> graphs_;
};
