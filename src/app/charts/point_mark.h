#pragma once

#include <QLabel>

class ChartSeries;
class ChartView;

// The small box that shows the time and value of a clicked chart point (stMarkDenni, stMarkOdDo).
class PointMark : public QLabel {
 public:
  PointMark(ChartView* chart, const QString& name);
  // Shows the point of `series` under `pos` for a left click; other buttons change nothing.
  void ShowPoint(ChartSeries* series, Qt::MouseButton button, const QPoint& pos);

 private:
  ChartView* chart_;
};
