// The from-to chart generated from the archive files of a range of days.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <cmath>

#include "archive/archive_prefetch.h"
#include "archive/archive_writer.h"
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

QString TMainForm::FindArchiveFile(const QDateTime& at) const {
  const int kind = Settings().TypDB;
  if (!at.isValid() || at.toMSecsSinceEpoch() == 0 || (kind != 0 && kind != 1)) return QStringLiteral("0");
  const QString name = ArchiveFileName(kind == 0 ? ArchiveKind::Slow : ArchiveKind::Fast, at);
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

void TMainForm::GenerujData() {
  const AppSettings& s = Settings();
  QDateTime cursor(ui.dtpOd->date(), QTime(0, 0));
  QDateTime last = ui.dtpDo->dateTime();
  last.setTime(QTime(23, 59, 59, 59));
  ui.dtpDo->setDateTime(last);
  const int n = int(qAbs(ui.dtpOd->dateTime().msecsTo(ui.dtpDo->dateTime())) / (24LL * 3600 * 1000));
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
  auto advance = [kind](QDateTime& at) { at = kind == 1 ? at.addSecs(3600) : at.addDays(1); };
  QStringList files;  // the files as they are now; read ahead while the rows become points
  for (QDateTime at = cursor; at <= ui.dtpDo->dateTime(); advance(at)) {
    const QString name = FindArchiveFile(at);
    if (name != QLatin1String("0")) files << ArchivePath(s.DatabaseDir, name);
  }
  const int filesTotal = int(files.size());
  ArchivePrefetcher prefetcher(files);
  int filesRead = 0;
  UpdateGenerationProgress(0, filesTotal);

  const bool consumption = s.UkazujSpotrebu;
  const bool input1Active = s.Channel(1).Activ;
  const bool hoursFactor = s.Channel(1).JednotkaIndex == 0;
  std::array<bool, 4> active{};
  for (int j = 0; j < 4; ++j) active[size_t(j)] = s.Channel(j + 1).Activ;
  int rowCounter = 0;
  double previousX = 0, previousValue = 0, total = 0, factor = 1;
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
    while (cursor <= ui.dtpDo->dateTime()) {
      const QString name = FindArchiveFile(cursor);
      if (name == QLatin1String("0")) {
        advance(cursor);
        continue;
      }
      const ArchiveFile file = prefetcher.Take(ArchivePath(s.DatabaseDir, name));
      if (filesRead == 0)  // most files hold about as many rows as the first
        for (QVector<QCPGraphData>& points : pending.series)
          points.reserve(qsizetype(file.rows.size()) * filesTotal);
      int rowIndex = 0;
      for (const ArchiveRow& row : file.rows) {
        for (int j = 0; j < 4; ++j)
          if (active[size_t(j)]) pending.Add(j, row.key, row.values[size_t(j)]);
        if (consumption) {
          // Only the time of day of the step counts: whole days between rows are dropped.
          const qint64 seconds = qint64(std::llround(std::fabs(row.key - previousX))) % 86400;
          if (input1Active) {
            if (rowIndex > 0) {
              if (hoursFactor) factor = seconds * (1.0 / 3600);
              total += (previousValue + row.values[0]) * 0.5 * factor;
              pending.Add(4, row.key, total);
            }
            previousValue = row.values[0];
          }
          previousX = row.key;
        }
        if (++rowCounter >= kPumpEveryRows) {
          rowCounter = 0;
          QCoreApplication::processEvents();
        }
        if (chartCancelRequested_) {
          SetGeneratingState(false);
          ClearRangeChart();
          ui.ChartVelky->HoldRedraws(false);
          SetChartTitle(-1);
          prompt_.Message(UserPrompt::Icon::Information, QStringLiteral("Generování grafu"),
                          QStringLiteral("Generování grafu bylo ukončeno stiskem klávesy ESC."));
          return;
        }
        ++rowIndex;
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
