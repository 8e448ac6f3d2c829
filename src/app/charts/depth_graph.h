#pragma once

#include <qcustomplot.h>

#include "charts/level_of_detail.h"

class CompactSeries;

// A line graph drawn from its series' compact points: before every drawing it takes the points the
// current axes need (per pixel column of many points their mean, over a light band from their
// lowest to their highest value, looked up in the values' pyramid), so a redraw costs in proportion
// to the plot's width. Zoomed in to a few points per column, every point is drawn. It hands its
// screen polyline to the depth bands.
class DepthGraph : public QCPGraph {
 public:
  DepthGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, const CompactSeries* points)
      : QCPGraph(keyAxis, valueAxis), points_(points) {
    setAdaptiveSampling(false);  // the points drawn are already reduced to the pixel columns
  }
  QVector<QPointF> FrontLine() {
    TakeDrawnPoints();
    QVector<QPointF> line;
    if (!mDataContainer->isEmpty()) getLines(&line, QCPDataRange(0, dataCount()));
    return line;
  }
  // Points were added or removed: the points drawn are taken anew.
  void DataChanged() { drawnFor_.valid = false; }
  // Consecutive points further apart than this (in keys; 0: never) are not joined.
  void SetGap(double gap) {
    gap_ = gap;
    DataChanged();
  }
  // Off: every point is drawn (the reference the level of detail is compared with).
  void SetLevelOfDetail(bool on) {
    levelOfDetail_ = on;
    DataChanged();
  }
  double selectTest(const QPointF& pos, bool onlySelectable, QVariant* details = nullptr) const override;

 protected:
  void draw(QCPPainter* painter) override {
    TakeDrawnPoints();
    DrawSpread(painter);
    QCPGraph::draw(painter);
  }

 private:
  // What the points drawn were taken for.
  struct View {
    bool valid = false;
    QCPRange range;
    QRect rect;
    bool reversed = false;
    bool operator==(const View& o) const {
      return valid == o.valid && range == o.range && rect == o.rect && reversed == o.reversed;
    }
  };

  static constexpr double kSpreadOpacity = 0.3;  // of the line's colour, for the band of many points

  void TakeDrawnPoints();
  void DrawSpread(QCPPainter* painter) const;

  const CompactSeries* points_;
  bool levelOfDetail_ = true;
  double gap_ = 0;
  View drawnFor_;
  QVector<ColumnSpread> spread_;  // of the points drawn
};
