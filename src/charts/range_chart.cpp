// The from-to chart generated from the archive files of a range of days.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>

#include "archive/archive_prefetch.h"
#include "archive/archive_writer.h"
#include "archive/consumption.h"
#include "charts/chart_view.h"
#include "shell/log_message.h"
#include "shell/main_form.h"

namespace {
constexpr int kPumpEveryRows = 101;

// An archive file that the generation cannot read.
class GenerationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr qint64 kProgressEveryMs = 100;

// A local calendar day and clock hour: one archive file's place.
struct LocalHour {
  QDate day;
  int hour = 0;
};

// The points of the five series, handed to the chart in one piece: at the end, or at an error.
struct PendingPoints {
  std::array<QVector<QCPGraphData>, 5> series;
  void Add(int index, double x, double y) { series[size_t(index)].append(QCPGraphData(x, y)); }
};
}  // namespace

void TMainForm::SetArchiveConnection() {
  // The connection text of the archive folder; the reader opens the files of that folder directly.
  archiveConnection_ = QStringLiteral("Driver={Microsoft Text Driver (*.txt; *.csv)};Dbq=") +
                       Settings().DatabaseDir + QLatin1Char(';');
}

QString TMainForm::FindArchiveFile(const QDate& day, int hour) const {
  const int kind = Settings().TypDB;
  if (!day.isValid() || (kind != 0 && kind != 1)) return QStringLiteral("0");
  const QString name = ArchiveFileName(kind == 0 ? ArchiveKind::Slow : ArchiveKind::Fast, day, hour);
  return QFileInfo::exists(ArchivePath(Settings().DatabaseDir, name)) ? name : QStringLiteral("0");
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
  for (int n = 5; n <= 9; ++n) ui.ChartVelky->Clear(RangeSeries(n));
}

void TMainForm::UpdateGenerationProgress(int filesRead, int filesTotal) {
  generationProgress_->setRange(0, qMax(1, filesTotal));
  generationProgress_->setValue(filesRead);
  generationLabel_->setText(
      Settings().Language == 2
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
  // The walk goes through local calendar days and clock hours, never elapsed time: the hour that a
  // spring clock change skips is a missing file, the one autumn repeats is one file, read once.
  LocalHour cursor{ui.dtpOd->date(), 0};
  QDateTime last = ui.dtpDo->dateTime();
  last.setTime(QTime(23, 59, 59, 59));
  ui.dtpDo->setDateTime(last);
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

  const int kind = s.TypDB;
  auto advance = [kind](LocalHour& at) {
    if (kind == 1 && ++at.hour < 24) return;
    at = {at.day.addDays(1), 0};
  };
  // The end is the last picker's day as a whole (its time of day is 23:59:59.059), read at every pass.
  auto withinRange = [this](const LocalHour& at) { return at.day <= ui.dtpDo->date(); };
  QStringList files;  // the files as they are now; read ahead while the rows become points
  for (LocalHour at = cursor; withinRange(at); advance(at)) {
    const QString name = FindArchiveFile(at.day, at.hour);
    if (name != QLatin1String("0")) files << ArchivePath(s.DatabaseDir, name);
  }
  const int filesTotal = int(files.size());
  ArchivePrefetcher prefetcher(files);
  int filesRead = 0;
  UpdateGenerationProgress(0, filesTotal);

  const bool consumption = s.UkazujSpotrebu && s.Channel(1).Activ;
  ConsumptionTotal total(s.Channel(1).JednotkaIndex == 0);
  std::array<bool, 4> active{};
  for (int j = 0; j < 4; ++j) active[size_t(j)] = s.Channel(j + 1).Activ;
  int rowCounter = 0;
  PendingPoints pending;
  auto flush = [this, &pending] {
    for (int i = 0; i < 5; ++i) {
      ui.ChartVelky->AddPoints(RangeSeries(i + 5), pending.series[size_t(i)]);
      pending.series[size_t(i)] = {};
    }
  };
  QElapsedTimer sinceProgress;
  sinceProgress.start();

  try {
    while (withinRange(cursor)) {
      const QString name = FindArchiveFile(cursor.day, cursor.hour);
      if (name == QLatin1String("0")) {
        advance(cursor);
        continue;
      }
      // Waiting for a slow file, timers, repaints and Esc run as at the row pumps.
      const ArchiveFile file = prefetcher.Take(ArchivePath(s.DatabaseDir, name), [] { QCoreApplication::processEvents(); });
      if (chartCancelRequested_) return EndCancelledGeneration();
      if (filesRead == 0)  // most files hold about as many rows as the first
        for (QVector<QCPGraphData>& points : pending.series)
          points.reserve(qsizetype(file.rows.size()) * filesTotal);
      total.StartFile();
      for (const ArchiveRow& row : file.rows) {
        for (int j = 0; j < 4; ++j)
          if (active[size_t(j)]) pending.Add(j, row.key, row.values[size_t(j)]);
        if (consumption && total.Add(row.key, row.values[0])) pending.Add(4, row.key, total.Total());
        if (++rowCounter >= kPumpEveryRows) {
          rowCounter = 0;
          // Timers, repaints and Esc run here. Everything of this generation lives in locals and
          // the held chart; a cancel is checked right after.
          QCoreApplication::processEvents();
        }
        if (chartCancelRequested_) return EndCancelledGeneration();
      }
      if (!file.error.isEmpty()) throw GenerationError(file.error.toStdString());
      // Repainting the status bar costs more than a file: show the progress a few times a second.
      if (++filesRead == filesTotal || sinceProgress.elapsed() >= kProgressEveryMs) {
        UpdateGenerationProgress(filesRead, filesTotal);
        sinceProgress.restart();
      }
      advance(cursor);
    }
    flush();
  } catch (const std::exception& e) {
    flush();
    prompt_.Message(UserPrompt::Icon::Error, languageTable_.Text(QStringLiteral("msgChybaSouboruHeader")),
                    languageTable_.Text(QStringLiteral("msgChybaSouboru")));
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka GenerujData - ") + QString::fromStdString(e.what()));
  }
  SetGeneratingState(false);
  ui.ChartVelky->RescaleToData();
  ui.ChartVelky->HoldRedraws(false);
  SetChartTitle(n);
}
