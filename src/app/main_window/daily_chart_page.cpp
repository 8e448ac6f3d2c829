#include "main_window/daily_chart_page.h"

#include <QPushButton>

#include "charts/chart_view.h"
#include "charts/point_mark.h"
#include "main_window/series_look.h"

DailyChartPage::DailyChartPage(ChartView* chart, QPushButton* clearButton)
    : chart_(chart), mark_(new PointMark(chart, QStringLiteral("stMarkDenni"))) {
  for (int n = 1; n <= kInputCount; ++n)
    series_[size_t(n - 1)] = chart->AddSeries(QStringLiteral("FastLineSeries%1").arg(n), ChartSeries::Kind::Line);
  chart->SetDateTimeFormat(QStringLiteral("hh:mm:ss"));  // readable from the first minute on
  chart->SetFollowData(true);
  QObject::connect(clearButton, &QPushButton::clicked, chart, [this] { Clear(); });
  QObject::connect(chart, &ChartView::SeriesClicked, mark_, &PointMark::ShowPoint);
  QObject::connect(chart, &ChartView::Clicked, mark_, &QWidget::hide);
}

void DailyChartPage::SetupSeries(const AppSettings& s, const QStringList& names) {
  for (int n = 1; n <= kInputCount; ++n) ApplyInputLook(chart_, Series(n), s, n, names[n - 1]);
  ApplyLedgerRules(chart_, Series(kFlowInput), s, ArchiveKind::Fast, names.value(kInputCount));
}

void DailyChartPage::AddReading(int n, double key, double value) {
  chart_->AddPoint(Series(n), key, value);
}

void DailyChartPage::Clear() {
  for (ChartSeries* series : series_) chart_->Clear(series);
}
