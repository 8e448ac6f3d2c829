#pragma once

#include <QStringList>
#include <array>

#include "config/app_settings.h"

class ChartSeries;
class ChartView;
class PointMark;
class QPushButton;

// The daily chart page (tsGrafDenni): today's readings of the four inputs, cleared at midnight and
// by btSmazatGraf; a click on a line shows its point (stMarkDenni).
class DailyChartPage {
 public:
  DailyChartPage(ChartView* chart, QPushButton* clearButton);
  void SetupSeries(const AppSettings& s, const QStringList& names);
  void AddReading(int n, double key, double value);
  void Clear();
  ChartSeries* Series(int n) const { return series_[size_t(n - 1)]; }  // FastLineSeries1..4

 private:
  ChartView* chart_;
  PointMark* mark_;
  std::array<ChartSeries*, kInputCount> series_{};
};
