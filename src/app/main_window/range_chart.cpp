// The from-to chart generated from the archive files of a range of days.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <utility>

#include "history/range_history.h"
#include "charts/chart_view.h"
#include "station/log_message.h"
#include "main_window/main_form.h"

namespace {
// The points of the five series, handed to the chart in one piece: at the end, or at an error.
class PendingPoints : public RangeSink {
 public:
  void Reserve(size_t pointsPerSeries) override {
    for (QVector<QCPGraphData>& points : series) points.reserve(qsizetype(pointsPerSeries));
  }
  void Add(int index, double x, double y) override { series[size_t(index)].append(QCPGraphData(x, y)); }
  std::array<QVector<QCPGraphData>, kRangeSeriesCount> series;
};
}  // namespace

void TMainForm::SetArchiveConnection() {
  // The connection text of the archive folder; the reader opens the files of that folder directly.
  archiveConnection_ = QStringLiteral("Driver={Microsoft Text Driver (*.txt; *.csv)};Dbq=") +
                       Settings().DatabaseDir + QLatin1Char(';');
}

QString TMainForm::FindArchiveFile(const QDate& day, int hour) const {
  return ::FindArchiveFile(Settings().DatabaseDir, Settings().TypDB, day, hour);
}

void TMainForm::SetGeneratingState(bool on) {
  ui.btGeneruj->setEnabled(!on);
  if (on && !chartGenerating_) QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!on && chartGenerating_) QApplication::restoreOverrideCursor();
  chartGenerating_ = on;
  generationLabel_->setVisible(on);
  generationProgress_->setVisible(on);
}

void TMainForm::ClearRangeChart() {
  for (int n = kFirstRangeSeries; n <= kConsumptionRangeSeries; ++n) ui.ChartVelky->Clear(RangeSeries(n));
}

void TMainForm::UpdateGenerationProgress(int filesRead, int filesTotal) {
  generationProgress_->setRange(0, qMax(1, filesTotal));
  generationProgress_->setValue(filesRead);
  generationLabel_->setText(
      Settings().Language == kEnglish
          ? QStringLiteral("Reading archive %1 / %2 (Esc cancels)").arg(filesRead).arg(filesTotal)
          : QStringLiteral("Čtení archivu %1 / %2 (Esc přeruší)").arg(filesRead).arg(filesTotal));
}

void TMainForm::EndCancelledGeneration() {
  SetGeneratingState(false);
  ClearRangeChart();
  ui.ChartVelky->HoldRedraws(false);
  SetChartTitle(-1);
  prompt_.Message(UserPrompt::Icon::Information, QStringLiteral("Generování grafu"),
                  QStringLiteral("Generování grafu bylo ukončeno stiskem klávesy ESC."));
}

void TMainForm::GenerujData() {
  const AppSettings& s = Settings();
  QDateTime last = ui.dtpDo->dateTime();
  last.setTime(QTime(23, 59, 59, 59));
  ui.dtpDo->setDateTime(last);
  // Whole calendar days between the pickers' dates (a day with a clock change is still one day).
  const int n = int(qAbs(ui.dtpOd->date().daysTo(ui.dtpDo->date())));
  ui.ChartVelky->SetDateTimeFormat(n == 0   ? QStringLiteral("hh:mm")
                                   : n <= 7 ? QStringLiteral("d.M hh:mm")
                                            : QStringLiteral("d.M.yyyy"));
  SetGeneratingState(true);
  chartCancelRequested_ = false;
  ClearRangeChart();
  stMarkOdDo_->hide();
  // The chart is drawn once at the end, not at every pump of the loop.
  ui.ChartVelky->HoldRedraws(true);

  RangeRequest request;
  request.firstDay = ui.dtpOd->date();
  request.lastDay = [this] { return ui.dtpDo->date(); };
  request.kind = s.TypDB;
  request.folder = s.DatabaseDir;
  for (int j = 0; j < kInputCount; ++j) request.active[size_t(j)] = s.Channel(j + 1).Activ;
  request.consumption = s.UkazujSpotrebu && s.Channel(kFlowInput).Activ;
  request.consumptionInHours = s.Channel(kFlowInput).JednotkaIndex == kNormalCubicMetresPerHour;
  RangeHooks hooks;
  // Timers, repaints and Esc run every 101 rows and while a file is still being read.
  hooks.pump = hooks.waiting = [] { QCoreApplication::processEvents(); };
  hooks.cancelled = [this] { return chartCancelRequested_; };
  hooks.progress = [this](int read, int total) { UpdateGenerationProgress(read, total); };
  PendingPoints pending;
  QString error;
  const RangeEnd end = ReadArchiveRange(request, hooks, pending, &error);
  if (end == RangeEnd::Cancelled) return EndCancelledGeneration();
  for (int i = 0; i < kRangeSeriesCount; ++i)
    ui.ChartVelky->AddPoints(RangeSeries(kFirstRangeSeries + i), std::exchange(pending.series[size_t(i)], {}));
  if (end == RangeEnd::Failed) {
    prompt_.Message(UserPrompt::Icon::Error, languageTable_.Text(QStringLiteral("msgChybaSouboruHeader")),
                    languageTable_.Text(QStringLiteral("msgChybaSouboru")));
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka GenerujData - ") + error);
  }
  SetGeneratingState(false);
  ui.ChartVelky->RescaleToData();
  ui.ChartVelky->HoldRedraws(false);
  SetChartTitle(n);
}
