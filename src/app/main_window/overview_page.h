#pragma once

#include <array>

#include "config/app_settings.h"

class ChartSeries;
class DailyChartPage;
class NamedControls;
class QLabel;
class QSize;
class QWidget;
class Station;

// The live overview page (tsHlavni): per input its name, unit, value box with alarm colours and the
// bars of its last ten values; each processed reply also goes to the daily chart.
class OverviewPage {
 public:
  using BarHistory = std::array<std::array<double, 10>, kInputCount>;

  OverviewPage(QWidget& window, const NamedControls& controls, const Station& station, DailyChartPage& daily);

  void ApplyChannelSettings();  // labels, units and boxes of active and inactive inputs
  void SetupBars();             // bar colours and ranges from the settings
  void Refresh();               // after each processed reply
  void ShowValuesLost();
  // The banner over the values while the converter does not answer ("---" alone is not seen from
  // across the room); gone with the first processed reply.
  void ShowLinkLost(const QString& text);
  // Names, values and units sized to the page: the look of the form at the default size, larger
  // digits as the page grows (readable across a room when maximised), never smaller.
  void FitToPage(const QSize& page);
  ChartSeries* BarSeries(int n) const { return barSeries_[size_t(n - 1)]; }  // Series1..4
  const BarHistory& History() const { return history_; }

 private:
  QWidget* Control(const QString& prefix, int n) const;
  void FitBanner();

  QWidget& window_;
  const NamedControls& controls_;
  const Station& station_;
  DailyChartPage& daily_;
  std::array<ChartSeries*, kInputCount> barSeries_{};
  BarHistory history_{};
  QLabel* banner_ = nullptr;
  bool linkLostShown_ = false;
  double pageWidth_ = 749;  // the overview's width at the last fit
};
