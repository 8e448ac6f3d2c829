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

#include "archive/archive_reader.h"
#include "archive_generator.h"
#include "charts/chart_view.h"
#include "main_window/main_form.h"
#include "main_window/daily_chart_page.h"
#include "main_window/range_chart_page.h"
#include "prompts/user_prompt.h"

namespace {
const QDate kFirst(2026, 11, 1);
constexpr int kFastDays = 30;
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

const GeneratedArchive& Archive() {
  static const GeneratedArchive archive = GenerateArchive(
      QDir::temp().filePath(QStringLiteral("kestrilon-bench-archive")), kFirst, kFastDays, kSlowDays);
  return archive;
}

// A shown main window over the benchmark archive.
struct Station {
  explicit Station(int typDb) {
    ini = QDir::temp().filePath(QStringLiteral("kestrilon-bench.ini"));
    QFile file(ini);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("[ARCHIVACE]\r\nDatabaseDir=%1\r\n[OSTATNI]\r\nTypDB=%2\r\n")
                   .arg(Archive().folder)
                   .arg(typDb)
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
  SilentPrompt prompt;
  QString ini;
  std::unique_ptr<TMainForm> form;
};

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

void BM_GenerateFast30Days(benchmark::State& state) {
  Station station(1);
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
    station.Generate(kFastDays);
    tick.stop();
  }
  const qint64 points = station.form->Form().ChartVelky->PointCount(station.form->RangeChart().Series(5));
  if (points != Archive().fastRows) state.SkipWithError("not every row became a point");
  state.counters["rows_per_s"] =
      benchmark::Counter(double(points) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["max_freeze_ms"] = double(maxGap);
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_GenerateFast30Days)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The straightforward reader: line by line, split, QDateTime::fromString, toDouble.
void BM_BaselineReader30Days(benchmark::State& state) {
  qint64 rows = 0;
  for (auto _ : state) {
    QVector<double> xs, ys[4];
    for (const QString& path : Archive().fastFiles) {
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

// The floor: reading the same bytes and nothing else.
void BM_ReadFiles30Days(benchmark::State& state) {
  qint64 bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const QString& path : Archive().fastFiles) {
      QFile file(path);
      file.open(QIODevice::ReadOnly);
      bytes += file.readAll().size();
    }
  }
  state.counters["MB"] = bytes / 1e6;
}
BENCHMARK(BM_ReadFiles30Days)->Unit(benchmark::kMillisecond)->Iterations(10);

// Reading and parsing alone, without the chart.
void BM_ParseFast30Days(benchmark::State& state) {
  size_t rows = 0;
  for (auto _ : state) {
    rows = 0;
    for (const QString& path : Archive().fastFiles) rows += ReadArchiveFile(path).rows.size();
  }
  state.counters["rows_per_s"] =
      benchmark::Counter(double(rows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseFast30Days)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_GenerateSlowYear(benchmark::State& state) {
  Station station(0);
  for (auto _ : state) station.Generate(kSlowDays);
  state.counters["points"] = station.form->Form().ChartVelky->PointCount(station.form->RangeChart().Series(5));
}
BENCHMARK(BM_GenerateSlowYear)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_ReplotRangeChart(benchmark::State& state) {
  Station station(1);
  // 4 series of about 1.3 M points each (30 days of the fast archive, plus a day more).
  station.form->Form().dtpOd->setDateTime(QDateTime(kFirst, QTime(0, 0)));
  station.Generate(kFastDays);
  QCustomPlot* plot = station.form->Form().ChartVelky->Plot();
  for (auto _ : state) plot->replot(QCustomPlot::rpImmediateRefresh);
  state.counters["points_per_series"] =
      station.form->Form().ChartVelky->PointCount(station.form->RangeChart().Series(5));
}
BENCHMARK(BM_ReplotRangeChart)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ReplotRangeChart3D(benchmark::State& state) {
  Station station(1);
  station.Generate(kFastDays);
  station.form->Form().ChartVelky->Set3D(true);
  QCustomPlot* plot = station.form->Form().ChartVelky->Plot();
  for (auto _ : state) plot->replot(QCustomPlot::rpImmediateRefresh);
}
BENCHMARK(BM_ReplotRangeChart3D)->Unit(benchmark::kMillisecond)->Iterations(20);

// Redraws while the x axis moves by a tenth of its range each frame, as a drag pans the chart.
void BM_PanRangeChart(benchmark::State& state) {
  Station station(1);
  station.Generate(kFastDays);
  QCustomPlot* plot = station.form->Form().ChartVelky->Plot();
  const QCPRange full = plot->xAxis->range();
  plot->xAxis->setRange(full.lower, full.lower + full.size() / 3);
  double step = full.size() / 30;
  for (auto _ : state) {
    if (plot->xAxis->range().upper + step > full.upper || plot->xAxis->range().lower + step < full.lower) step = -step;
    plot->xAxis->moveRange(step);
    plot->replot(QCustomPlot::rpImmediateRefresh);
  }
}
BENCHMARK(BM_PanRangeChart)->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_ReplotDailyChart(benchmark::State& state) {
  Station station(1);
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
  Archive();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
