// From-to chart generation and chart redraws, measured the way the user triggers them.
#include <benchmark/benchmark.h>
#include <qcustomplot.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include "archive/archive_prefetch.h"
#include "archive/archive_reader.h"
#include "archive_generator.h"
#include "charts/chart_view.h"
#include "main_window/main_form.h"
#include "main_window/daily_chart_page.h"
#include "main_window/range_chart_page.h"
#include "prompts/user_prompt.h"

namespace {
const QDate kFirst(2025, 11, 1);  // a year before now: its ledger may be kept in the cache
constexpr int kSlowDays = 365;

class SilentPrompt : public UserPrompt {
 public:
  void Message(Icon, const QString&, const QString& text) override { qWarning("box: %s", qPrintable(text)); }
  Answer AskYesNoCancel(const QString&, const QString&) override { return Answer::Cancel; }
  void Notify(Icon, const QString&, const QString&) override {}
  void Beep() override {}
  QString ChooseFolder(const QString&, const QString&) override { return {}; }
  QString ChooseSaveFile(const QString&, const QString&, const QString&) override { return {}; }
  bool SetUpPrinter(QPrinter&) override { return false; }
  std::optional<QColor> ChooseColour(const QColor&) override { return std::nullopt; }
};

// 30 days of the fast archive (and a year of the slow one), or a year of the fast archive.
const GeneratedArchive& Archive(int fastDays) {
  if (fastDays == 30) {
    static const GeneratedArchive month = GenerateArchive(
        QDir::temp().filePath(QStringLiteral("kestrilon-bench-archive")), kFirst, 30, kSlowDays);
    return month;
  }
  static const GeneratedArchive year =
      GenerateArchive(QDir::temp().filePath(QStringLiteral("kestrilon-bench-archive-year")), kFirst, 365, 0);
  return year;
}

// A shown main window over the benchmark archive of `fastDays`.
struct Station {
  Station(int typDb, int fastDays, bool consumption = false) : fastDays(fastDays) {
    ini = QDir::temp().filePath(QStringLiteral("kestrilon-bench.ini"));
    QFile file(ini);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("[ARCHIVACE]\r\nDatabaseDir=%1\r\n[OSTATNI]\r\nTypDB=%2\r\nUkazujSpotrebu=%3\r\n")
                   .arg(Archive(fastDays).folder)
                   .arg(typDb)
                   .arg(consumption ? 1 : 0)
                   .toLatin1());
    file.close();
    form = std::make_unique<TMainForm>(prompt, ini);
    form->resize(1280, 800);
    form->LoadSettings();
    form->ApplyChartSettings();
    form->Form().PageControl1->setCurrentIndex(2);
    form->show();
    QCoreApplication::processEvents();
  }
  void Generate(int days) {
    form->Form().dtpOd->setDateTime(QDateTime(kFirst, QTime(12, 0)));
    form->Form().dtpDo->setDateTime(QDateTime(kFirst.addDays(days - 1), QTime(12, 0)));
    form->RangeChart().GenerujData();
  }
  void GenerateAll() { Generate(fastDays); }
  qint64 Points() const { return form->Form().ChartVelky->PointCount(form->RangeChart().InputSeries(1)); }
  QCustomPlot* Plot() const { return form->Form().ChartVelky->Plot(); }
  SilentPrompt prompt;
  QString ini;
  int fastDays;
  std::unique_ptr<TMainForm> form;
};

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// The whole "Generuj (F9)" over the fast archive (30 days: 720 files, 1.3 M rows; 365 days: 8,760
// files, 15.8 M rows) into the from-to chart; the second argument 1 adds the consumption curve.
void BM_GenerateFast(benchmark::State& state) {
  const int days = int(state.range(0));
  Station station(1, days, state.range(1) != 0);
  qint64 maxGap = 0;
  for (auto _ : state) {
    // A 1 ms timer ticks only when the generation lets events run: its longest gap is the
    // longest time the window could not react.
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] { maxGap = qMax(maxGap, sinceTick.restart()); });
    tick.start();
    sinceTick.start();
    station.GenerateAll();
    // The first redraw of the new chart belongs to the wait.
    station.Plot()->replot(QCustomPlot::rpImmediateRefresh);
    maxGap = qMax(maxGap, sinceTick.elapsed());
    tick.stop();
  }
  if (station.Points() != Archive(days).fastRows) state.SkipWithError("not every row became a point");
  state.counters["rows_per_s"] =
      benchmark::Counter(double(station.Points()) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["max_freeze_ms"] = double(maxGap);
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_GenerateFast)->Args({30, 0})->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GenerateFast)->Args({365, 0})->Args({365, 1})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The straightforward reader: line by line, split, QDateTime::fromString, toDouble.
void BM_BaselineReader30Days(benchmark::State& state) {
  const QStringList& files = Archive(30).fastFiles;
  qint64 rows = 0;
  for (auto _ : state) {
    QVector<double> xs, ys[4];
    for (const QString& path : files) {
      QFile file(path);
      file.open(QIODevice::ReadOnly | QIODevice::Text);
      QTextStream in(&file);
      in.readLine();
      while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(QLatin1Char(';'));
        const QDateTime at = QDateTime::fromString(fields[0] + QLatin1Char(' ') + fields[1],
                                                   QStringLiteral("d.M.yyyy H:mm:ss"));
        xs.append(double(at.toSecsSinceEpoch()));
        for (int j = 0; j < 4; ++j) ys[j].append(fields[2 + j].toDouble());
      }
    }
    rows = xs.size();
    benchmark::DoNotOptimize(xs.data());
  }
  state.counters["rows_per_s"] =
      benchmark::Counter(double(rows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BaselineReader30Days)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The floor: reading the same bytes and nothing else, one thread.
void BM_ReadFiles(benchmark::State& state) {
  const QStringList& files = Archive(int(state.range(0))).fastFiles;
  qint64 bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const QString& path : files) {
      QFile file(path);
      file.open(QIODevice::ReadOnly);
      bytes += file.readAll().size();
    }
  }
  state.counters["MB"] = bytes / 1e6;
  state.SetBytesProcessed(bytes * state.iterations());
}
BENCHMARK(BM_ReadFiles)->Arg(30)->Arg(365)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading and parsing alone, one thread.
void BM_ParseFast(benchmark::State& state) {
  const QStringList& files = Archive(int(state.range(0))).fastFiles;
  size_t rows = 0;
  for (auto _ : state) {
    rows = 0;
    for (const QString& path : files) rows += ReadArchiveFile(path).rows.size();
  }
  state.counters["rows_per_s"] =
      benchmark::Counter(double(rows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseFast)->Arg(30)->Arg(365)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading and parsing on every core, handed over in order: the generation's reading without the chart.
void BM_ParseFastAllCores(benchmark::State& state) {
  const QStringList& files = Archive(int(state.range(0))).fastFiles;
  size_t rows = 0;
  for (auto _ : state) {
    rows = 0;
    ArchivePrefetcher prefetcher(files);
    for (const QString& path : files) rows += prefetcher.Take(path).rows.size();
  }
  state.counters["rows_per_s"] =
      benchmark::Counter(double(rows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseFastAllCores)->Arg(30)->Arg(365)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GenerateSlowYear(benchmark::State& state) {
  Station station(0, 30);
  for (auto _ : state) station.Generate(kSlowDays);
  state.counters["points"] = double(station.Points());
}
BENCHMARK(BM_GenerateSlowYear)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// One redraw of the whole generated range: 4 series of 1.3 M (30 days) or 15.8 M points (365 days).
void BM_ReplotRangeChart(benchmark::State& state) {
  Station station(1, int(state.range(0)));
  station.GenerateAll();
  for (auto _ : state) station.Plot()->replot(QCustomPlot::rpImmediateRefresh);
  state.counters["points_per_series"] = double(station.Points());
}
BENCHMARK(BM_ReplotRangeChart)->Arg(30)->Arg(365)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_ReplotRangeChart3D(benchmark::State& state) {
  Station station(1, int(state.range(0)));
  station.GenerateAll();
  station.form->Form().ChartVelky->Set3D(true);
  for (auto _ : state) station.Plot()->replot(QCustomPlot::rpImmediateRefresh);
}
BENCHMARK(BM_ReplotRangeChart3D)->Arg(30)->Arg(365)->Iterations(20)->Unit(benchmark::kMillisecond);

// Redraws while the x axis (a third of the range) moves by a tenth of its width each frame, as a
// drag pans the chart; then while it zooms in and out by a fifth per frame, as the wheel does.
void BM_PanRangeChart(benchmark::State& state) {
  Station station(1, int(state.range(0)));
  station.GenerateAll();
  QCustomPlot* plot = station.Plot();
  const QCPRange full = plot->xAxis->range();
  plot->xAxis->setRange(full.lower, full.lower + full.size() / 3);
  double step = full.size() / 30;
  for (auto _ : state) {
    if (plot->xAxis->range().upper + step > full.upper || plot->xAxis->range().lower + step < full.lower) step = -step;
    plot->xAxis->moveRange(step);
    plot->replot(QCustomPlot::rpImmediateRefresh);
  }
}
BENCHMARK(BM_PanRangeChart)->Arg(30)->Arg(365)->Iterations(30)->Unit(benchmark::kMillisecond);

void BM_ZoomRangeChart(benchmark::State& state) {
  Station station(1, int(state.range(0)));
  station.GenerateAll();
  QCustomPlot* plot = station.Plot();
  const QCPRange full = plot->xAxis->range();
  int frame = 0;
  for (auto _ : state) {
    // 12 frames in (to a fifth of a percent of the range), 12 out, around a point off the centre.
    const double factor = (frame++ / 12) % 2 == 0 ? 0.6 : 1 / 0.6;
    plot->xAxis->scaleRange(factor, full.lower + full.size() * 0.37);
    plot->replot(QCustomPlot::rpImmediateRefresh);
  }
}
BENCHMARK(BM_ZoomRangeChart)->Arg(30)->Arg(365)->Iterations(48)->Unit(benchmark::kMillisecond);

// The year's second half with the first half laid over it ("Porovnat s předchozím obdobím"), in
// bands: a year of points drawn. Redrawn as is, panned and zoomed as above.
void BM_RangeChartComparing(benchmark::State& state) {
  Station station(1, 365);
  const QDate second = kFirst.addDays(183);
  station.form->Form().dtpOd->setDateTime(QDateTime(second, QTime(12, 0)));
  station.form->Form().dtpDo->setDateTime(QDateTime(second.addDays(181), QTime(12, 0)));
  station.form->RangeChart().CompareBox()->setChecked(true);
  station.form->RangeChart().GenerujData();
  ChartView* chart = station.form->Form().ChartVelky;
  if (!chart->Bands() || chart->PointCount(station.form->RangeChart().PreviousSeries(0)) == 0)
    state.SkipWithError("no bands or nothing to compare");
  QCustomPlot* plot = station.Plot();
  const QCPRange full = plot->xAxis->range();
  double step = full.size() / 90;
  int frame = 0;
  for (auto _ : state) {
    switch (state.range(0)) {
      case 1:  // pan a third of the range by a thirtieth of it per frame
        if (frame++ == 0) plot->xAxis->setRange(full.lower, full.lower + full.size() / 3);
        if (plot->xAxis->range().upper + step > full.upper || plot->xAxis->range().lower + step < full.lower) step = -step;
        plot->xAxis->moveRange(step);
        break;
      case 2:  // zoom in and out by 0.6 per frame
        plot->xAxis->scaleRange((frame++ / 12) % 2 == 0 ? 0.6 : 1 / 0.6, full.lower + full.size() * 0.37);
        break;
      default:
        break;
    }
    plot->replot(QCustomPlot::rpImmediateRefresh);
  }
}
// 0 redraw, 1 pan, 2 zoom.
BENCHMARK(BM_RangeChartComparing)->Arg(0)->Arg(1)->Arg(2)->Iterations(48)->Unit(benchmark::kMillisecond);

void BM_ReplotDailyChart(benchmark::State& state) {
  Station station(1, 30);
  TMainForm& f = *station.form;
  f.Form().PageControl1->setCurrentIndex(1);
  ChartView* daily = f.Form().ChartDenni;
  const double start = ChartView::ToKey(QDateTime(kFirst, QTime(0, 0)));
  for (int n = 1; n <= 4; ++n)
    for (int i = 0; i < 86400; ++i)
      daily->AddPoint(f.DailyChart().Series(n), start + i, 20 * n + 5 * std::sin(i / 900.0));
  QCustomPlot* plot = daily->Plot();
  for (auto _ : state) plot->replot(QCustomPlot::rpImmediateRefresh);
}
BENCHMARK(BM_ReplotDailyChart)->Unit(benchmark::kMillisecond)->Iterations(20);
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
