#include <qcustomplot.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QRandomGenerator>
#include <QComboBox>
#include <QToolButton>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <limits>

#include "main_window/overview_page.h"
#include "main_window/daily_chart_page.h"
#include "main_window/range_chart_page.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "charts/chart_view.h"
#include "config/cp1250.h"
#include "history/range_export.h"
#include "history/range_presets.h"
#include "station/clock.h"
#include "main_window/main_form.h"
#include "station/regional.h"
#include "support/scripted_prompt.h"
#include "support/station_fixture.h"

namespace {
const QDate kDay(2026, 12, 8);

// A chart of that size without a legend, with one red line.
ChartSeries* RedLine(ChartView& chart, const QSize& size) {
  chart.resize(size);
  chart.SetLegendVisible(false);
  ChartSeries* s = chart.AddSeries(QStringLiteral("A"), ChartSeries::Kind::Line);
  chart.SetColour(s, Qt::red);
  return s;
}

QList<double> Ys(ChartView* chart, ChartSeries* s) {
  QList<double> ys;
  for (const QPointF& p : chart->Points(s)) ys << p.y();
  return ys;
}
}  // namespace

class TestCharts : public QObject {
  Q_OBJECT

  // A main window over an archive folder, with the settings given.
  struct Rig {
    explicit Rig(const QByteArray& extraIni = {}) : w(QByteArray()) {
      archive = w.Path(QStringLiteral("archiv"));
      QDir().mkdir(archive);
      WriteFileBytes(
          w.IniPath(),
          Cp1250::Encode(QStringLiteral("[ARCHIVACE]\r\nDatabaseDir=%1\r\n[OSTATNI]\r\nPopisGrafu=Měření\r\n")
                             .arg(archive)) +
              extraIni);
      w.main->LoadSettings();
      w.main->ApplyChartSettings();
      w.main->Form().PageControl1->setCurrentIndex(2);
    }
    void Range(const QDate& from, const QDate& to) {
      w.main->Form().dtpOd->setDateTime(QDateTime(from, QTime(8, 30)));
      w.main->Form().dtpDo->setDateTime(QDateTime(to, QTime(9, 0)));
    }
    ChartView* Chart() { return w.main->Form().ChartVelky; }
    QList<double> Input(int n) { return Ys(Chart(), w.main->RangeChart().InputSeries(n)); }
    QList<double> Consumption() { return Ys(Chart(), w.main->RangeChart().Series(kConsumptionSeries)); }
    void Row(ArchiveKind kind, const QDateTime& at, const std::array<double, 4>& v) {
      AppendArchiveRow(archive, kind, at, QStringLiteral(";"), v);
    }
    StationWindows w;
    QString archive;
  };

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void oneDaySlowArchive() {
    Rig r;
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 0)), {1, 2, 3, 4});
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 5)), {5, 6, 7, 8});
    r.Row(ArchiveKind::Slow, QDateTime(kDay.addDays(1), QTime(10, 0)), {9, 9, 9, 9});
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    QCOMPARE(r.Input(1), (QList<double>{1, 5}));
    QCOMPARE(r.Input(4), (QList<double>{4, 8}));
    QCOMPARE(r.Chart()->Points(r.w.main->RangeChart().InputSeries(1)).first().x(),
             double(QDateTime(kDay, QTime(10, 0)).toSecsSinceEpoch()));
    QCOMPARE(r.Chart()->DateTimeFormat(), QStringLiteral("hh:mm"));
    QCOMPARE(r.Chart()->ChartTitle(),
             QStringLiteral(" Měření ") + Regional::ShortDate(kDay) + QLatin1Char(' '));
    QCOMPARE(r.w.main->Form().dtpDo->time(), QTime(23, 59, 59, 59));
    QVERIFY(!r.w.main->RangeChart().Generating());
    QVERIFY(r.w.main->Form().btGeneruj->isEnabled());
  }

  // A range whose last day is before its first is the same range entered the other way round: the
  // pickers are swapped, and title and axis are those of the two days.
  void rangeEnteredBackwardsIsSwapped() {
    Rig r;
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 0)), {1, 2, 3, 4});
    r.Row(ArchiveKind::Slow, QDateTime(kDay.addDays(1), QTime(10, 0)), {5, 6, 7, 8});
    r.Range(kDay.addDays(1), kDay);
    r.w.main->RangeChart().GenerujData();
    QCOMPARE(r.w.main->Form().dtpOd->date(), kDay);
    QCOMPARE(r.w.main->Form().dtpDo->date(), kDay.addDays(1));
    QCOMPARE(r.Input(1), (QList<double>{1, 5}));
    QCOMPARE(r.Chart()->ChartTitle(), QStringLiteral(" Měření %1 - %2 ").arg(Regional::ShortDate(kDay),
                                                                              Regional::ShortDate(kDay.addDays(1))));
    QCOMPARE(r.Chart()->DateTimeFormat(), QStringLiteral("d.M hh:mm"));
  }

  // "◀" and "▶" generate the day before and after; a preset sets both pickers and generates.
  void stepsAndPresetsGenerate() {
    Rig r;
    for (int d = -1; d <= 1; ++d) r.Row(ArchiveKind::Slow, QDateTime(kDay.addDays(d), QTime(10, 0)), {double(d + 2), 0, 0, 0});
    r.Range(kDay, kDay);
    auto* back = r.w.main->findChild<QToolButton*>(QStringLiteral("btObdobiZpet"));
    auto* forward = r.w.main->findChild<QToolButton*>(QStringLiteral("btObdobiVpred"));
    QVERIFY(back && forward);
    back->click();
    QCOMPARE(r.w.main->Form().dtpOd->date(), kDay.addDays(-1));
    QCOMPARE(r.Input(1), QList<double>{1});
    forward->click();
    forward->click();
    QCOMPARE(r.w.main->Form().dtpDo->date(), kDay.addDays(1));
    QCOMPARE(r.Input(1), QList<double>{3});
    QComboBox* presets = r.w.main->RangeChart().Presets();
    QCOMPARE(presets->itemText(int(RangePreset::Last7Days) + 1), QStringLiteral("posledních 7 dní"));
    presets->setCurrentIndex(int(RangePreset::Today) + 1);
    emit presets->activated(int(RangePreset::Today) + 1);
    QCOMPARE(r.w.main->Form().dtpOd->date(), Clock::Now().date());
    QCOMPARE(presets->currentIndex(), 0);
  }

  // Rows with empty fields (an exported range read back): each input gets the points of its own
  // rows, at their times, whether the empty field comes first, between or last, and across the
  // 101-row runs in which rows are read (after 100 full rows).
  void emptyFieldsLeaveOnlyThatInputsPoint() {
    Rig r;
    QByteArray text = "DATUM;CAS;IN1;IN2;IN3;IN4\r\n";
    const char* rows[] = {"1;;;4", "2;20;30;40", "3;;31;41", "4;22;32;43", "5;23;33;"};
    QList<QPointF> expected[4];
    for (int i = 0; i < 105; ++i) {
      const QTime at = QTime(10, 0).addSecs(10 * i);
      const QByteArray row = i < 100 ? QByteArray("9;9;9;9") : QByteArray(rows[i - 100]);
      text += "8.12.2026;" + at.toString(QStringLiteral("H:mm:ss")).toLatin1() + ';' + row + "\r\n";
      const QList<QByteArray> fields = row.split(';');
      for (int j = 0; j < 4; ++j)
        if (!fields[j].isEmpty())
          expected[j] << QPointF(double(QDateTime(kDay, at).toSecsSinceEpoch()), fields[j].toDouble());
    }
    WriteFileBytes(ArchivePath(r.archive, ArchiveFileName(ArchiveKind::Slow, kDay, 0)), text);
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    for (int j = 0; j < 4; ++j) QCOMPARE(r.Chart()->Points(r.w.main->RangeChart().Series(j)), expected[j]);
  }

  void axisFormatAndTitleByDayCount_data() {
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("format");
    QTest::newRow("3 days") << 2 << QStringLiteral("d.M hh:mm");
    QTest::newRow("8 days") << 7 << QStringLiteral("d.M hh:mm");
    QTest::newRow("9 days") << 8 << QStringLiteral("d.M.yyyy");
  }
  void axisFormatAndTitleByDayCount() {
    QFETCH(int, days);
    QFETCH(QString, format);
    Rig r;
    r.Range(kDay, kDay.addDays(days));
    r.w.main->RangeChart().GenerujData();
    QCOMPARE(r.Chart()->DateTimeFormat(), format);
    QCOMPARE(r.Chart()->ChartTitle(),
             QStringLiteral(" Měření %1 - %2 ")
                 .arg(Regional::ShortDate(kDay), Regional::ShortDate(kDay.addDays(days))));
  }

  void fastArchiveSkipsMissingHoursAndInactiveInputs() {
    Rig r("[ANALOG_IN2]\r\nActiv=0\r\n[OSTATNI]\r\nTypDB=1\r\n");
    r.Row(ArchiveKind::Fast, QDateTime(kDay, QTime(1, 0, 0)), {1, 2, 3, 4});
    r.Row(ArchiveKind::Fast, QDateTime(kDay, QTime(5, 59, 59)), {5, 6, 7, 8});
    r.Row(ArchiveKind::Fast, QDateTime(kDay.addDays(1), QTime(23, 0, 0)), {9, 9, 9, 9});
    r.Range(kDay, kDay.addDays(1));
    r.w.main->RangeChart().GenerujData();
    QCOMPARE(r.Input(1), (QList<double>{1, 5, 9}));
    QVERIFY(r.Input(2).isEmpty());
    QVERIFY(r.w.prompt->messages.isEmpty());
  }

  // An inactive input's column is still read: a bad value there ends the generation.
  void badValueInInactiveColumnEndsGeneration() {
    Rig r("[ANALOG_IN3]\r\nActiv=0\r\n");
    LogRecorder log;
    WriteFileBytes(
        r.archive + QStringLiteral("/SA_20261208.csv"),
        "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;1;2;3;4\r\n8.12.2026;10:01:00;5;6;bad;8\r\n");
    r.Row(ArchiveKind::Slow, QDateTime(kDay.addDays(1), QTime(10, 0)), {9, 9, 9, 9});
    r.Range(kDay, kDay.addDays(1));
    r.w.main->RangeChart().GenerujData();
    QCOMPARE(r.Input(1), (QList<double>{1}));  // the points before the error stay
    QCOMPARE(r.w.prompt->messages.size(), 1);
    QCOMPARE(r.w.prompt->messages[0].text, QStringLiteral("Chybný formát dat v databázovém souboru."));
    QCOMPARE(r.w.prompt->messages[0].caption, QStringLiteral("Zdroj dat"));
    QCOMPARE(r.w.prompt->messages[0].icon, UserPrompt::Icon::Error);
    QCOMPARE(log.entries.size(), 1);
    QVERIFY(
        log.entries[0].second.startsWith(QStringLiteral("Vyjimka GenerujData - SA_20261208.csv, line 3")));
    QVERIFY(r.Chart()->ChartTitle().contains(QStringLiteral(" - ")));
    QVERIFY(!r.w.main->RangeChart().Generating());
  }

  // What is not a regular file in the archive's place (a pipe, a device, a folder) ends the
  // generation with the file error instead of hanging it or exhausting memory.
  void notARegularFileEndsGeneration_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("link to /dev/zero") << "zero";
    QTest::newRow("folder") << "folder";
  }
  void notARegularFileEndsGeneration() {
    QFETCH(QString, kind);
    Rig r("[OSTATNI]\r\nTypDB=1\r\n");
    r.Row(ArchiveKind::Fast, QDateTime(kDay, QTime(9, 0)), {1, 2, 3, 4});
    const QString path = r.archive + QStringLiteral("/FA_20261208_10.csv");
    if (kind == QLatin1String("pipe")) QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    if (kind == QLatin1String("zero")) QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    if (kind == QLatin1String("folder")) QVERIFY(QDir().mkdir(path));
    r.Row(ArchiveKind::Fast, QDateTime(kDay, QTime(11, 0)), {5, 6, 7, 8});
    LogRecorder log;
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    QCOMPARE(r.Input(1), (QList<double>{1}));
    QCOMPARE(r.w.prompt->messages.size(), 1);
    QCOMPARE(r.w.prompt->messages[0].text, QStringLiteral("Chybný formát dat v databázovém souboru."));
    QVERIFY2(log.Texts().value(0).contains(QStringLiteral("FA_20261208_10.csv: not a regular file")),
             qPrintable(log.Texts().join(QLatin1Char('|'))));
    QVERIFY(!r.w.main->RangeChart().Generating());
  }

  // A file whose header a crash or a full disk never wrote is read with the station's columns.
  void fileWithoutHeaderIsRead() {
    Rig r;
    WriteFileBytes(r.archive + QStringLiteral("/SA_20261208.csv"), "8.12.2026;10:00:00;1;2;3;4\r\n");
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    QVERIFY(r.w.prompt->messages.isEmpty());
    QCOMPARE(r.Input(1), (QList<double>{1}));
  }

  // Rows cut short by a crash hide nothing: the rows after them are drawn, and the operator is told
  // once beside the chart (the first file and line, how many), not with the error box.
  void cutRowsSkippedAndToldBesideTheChart() {
    Rig r;
    WriteFileBytes(r.archive + QStringLiteral("/SA_20261208.csv"),
                   "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;1;2;3;4\r\n8.12.2026;10:0\r\n"
                   "8.12.2026;10:10:00;5;6;7;-\r\n8.12.2026;10:20:00;9;2;3;4\r\n");
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    QVERIFY(r.w.prompt->messages.isEmpty());
    QCOMPARE(r.Input(1), (QList<double>{1, 9}));
    auto* note = r.w.main->findChild<QLabel*>(QStringLiteral("laPreskoceneRadky"));
    QVERIFY(note && !note->isHidden());
    QCOMPARE(note->text(), QStringLiteral("Přeskočeny nedokončené řádky archivu (2), první: SA_20261208.csv, řádek 3"));
    // The next generation without cut rows takes the note away.
    WriteFileBytes(r.archive + QStringLiteral("/SA_20261208.csv"), "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;1;2;3;4\r\n");
    r.w.main->RangeChart().GenerujData();
    QVERIFY(note->isHidden());
  }

  void fileWithBothSeparatorsAndCutLastLine() {
    Rig r;
    WriteFileBytes(r.archive + QStringLiteral("/SA_20261208.csv"),
                   "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;1;2;3;4\r\n8.12.2026,10:05:00,5,6,7,"
                   "8\r\n8.12.2026;10:06");
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    QVERIFY(r.w.prompt->messages.isEmpty());
    QCOMPARE(r.Input(1), (QList<double>{1, 5}));
  }

  void rowsOutOfOrderEndSortedByTime() {
    Rig r;
    WriteFileBytes(r.archive + QStringLiteral("/SA_20261208.csv"),
                   "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;12:00:00;3;0;0;0\r\n8.12.2026;9:00:00;1;0;0;"
                   "0\r\n8.12.2026;10:00:00;2;0;0;0\r\n");
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    QCOMPARE(r.Input(1), (QList<double>{1, 2, 3}));
    const QVector<QPointF> points = r.Chart()->Points(r.w.main->RangeChart().InputSeries(1));
    QVERIFY(std::is_sorted(points.begin(), points.end(), [](auto& a, auto& b) { return a.x() < b.x(); }));
  }

  void consumption_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<QList<double>>("totals");
    // Rows 60 s apart: 10 then 20 adds (10 + 20) / 2 * 60 / 3600 = 0.25 in hours.
    QTest::newRow("Nm3/h in hours") << 0
                                    << QList<double>{0.25, 0.25 + 35.0 * 0.5 * 60 / 3600, 0.25 + 17.5 / 60};
    QTest::newRow("m/s without factor") << 1 << QList<double>{15, 32.5, 32.5};
  }
  void consumption() {
    QFETCH(int, unit);
    QFETCH(QList<double>, totals);
    Rig r(QStringLiteral("[OSTATNI]\r\nUkazujSpotrebu=1\r\n[ANALOG_IN1]\r\nJednotkaIndex=%1\r\n")
              .arg(unit)
              .toUtf8());
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 0, 0)), {10, 0, 0, 0});
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 1, 0)), {20, 0, 0, 0});
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 2, 0)), {15, 0, 0, 0});
    // The next file's first row adds nothing; its second row carries the total on.
    r.Row(ArchiveKind::Slow, QDateTime(kDay.addDays(1), QTime(10, 0, 0)), {100, 0, 0, 0});
    r.Row(ArchiveKind::Slow, QDateTime(kDay.addDays(1), QTime(10, 0, 0)), {-100, 0, 0, 0});
    r.Range(kDay, kDay.addDays(1));
    r.w.main->RangeChart().GenerujData();
    const QList<double> got = r.Consumption();
    QCOMPARE(got.size(), totals.size());
    for (int i = 0; i < got.size(); ++i)
      QVERIFY2(qFuzzyCompare(1 + got[i], 1 + totals[i]), qPrintable(QString::number(got[i])));
    QVERIFY(!r.Chart()->IsActive(r.w.main->RangeChart().Series(kConsumptionSeries)));  // hidden until ticked in the legend
    QVERIFY(r.Chart()->IsShownInLegend(r.w.main->RangeChart().Series(kConsumptionSeries)));
  }

  // The consumption curve, ticked in the legend after a generation, is shown at once on a value
  // axis of its own; the inputs keep theirs (one axis for them all, as before the bands).
  void consumptionOnItsOwnAxis() {
    Rig r("[OSTATNI]\r\nUkazujSpotrebu=1\r\nChartBands=0\r\n");
    for (int minute = 0; minute < 120; ++minute)
      r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10 + minute / 60, minute % 60)), {600, 20, 50, 100});
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    ChartView* chart = r.Chart();
    QCustomPlot* plot = chart->Plot();
    chart->resize(700, 400);
    plot->replot();
    const QCPRange left = plot->yAxis->range();
    QVERIFY(!plot->yAxis2->visible());
    QCheckBox* box = nullptr;
    for (QCheckBox* b : chart->findChildren<QCheckBox*>())
      if (!b->isHidden() && b->text().startsWith(QStringLiteral("Spotřeba IN1"))) box = b;  // the legend shows
    QVERIFY(box);
    box->click();
    plot->replot();
    QVERIFY(chart->IsActive(r.w.main->RangeChart().Series(kConsumptionSeries)));
    QVERIFY(plot->yAxis2->visible());
    QVERIFY(plot->yAxis2->label().startsWith(QStringLiteral("Spotřeba IN1 [")));
    const QVector<QPointF> total = chart->Points(r.w.main->RangeChart().Series(kConsumptionSeries));
    QCOMPARE(total.last().y(), 600.0 * 119 / 60);
    for (const QPointF& p : total) {
      QVERIFY(plot->yAxis2->range().contains(p.y()));
      QVERIFY(plot->xAxis->range().contains(p.x()));
    }
    QCOMPARE(plot->yAxis->range(), left);  // the inputs' scale stays
    box->click();
    QVERIFY(!plot->yAxis2->visible());
  }

  // An axis per quantity: each active input in a band of its own, fitted to its own values and
  // labelled with its title; the consumption on the right of the flow's band; the time labelled
  // once, at the bottom. Unticked, one axis holds every input, as before.
  void axisPerQuantity_data() {
    QTest::addColumn<bool>("bands");
    QTest::newRow("axis per quantity") << true;
    QTest::newRow("one axis") << false;
  }
  void axisPerQuantity() {
    QFETCH(bool, bands);
    Rig r("[OSTATNI]\r\nUkazujSpotrebu=1\r\n[ANALOG_IN3]\r\nActiv=0\r\n");
    for (int minute = 0; minute < 120; ++minute)
      r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10 + minute / 60, minute % 60)),
            {30.0 + minute % 40, 20.0 + minute % 3, 50, 1.19 + (minute % 2) * 0.02});
    r.Range(kDay, kDay);
    auto* choice = r.w.main->findChild<QCheckBox*>(QStringLiteral("cbOsaProVelicinu"));
    QVERIFY(choice && choice->isChecked());  // the default
    choice->setChecked(bands);
    r.w.main->RangeChart().GenerujData();
    ChartView* chart = r.Chart();
    chart->resize(700, 500);
    chart->SetActive(r.w.main->RangeChart().Series(kConsumptionSeries), true);
    chart->Picture();
    QCOMPARE(chart->Plot()->axisRects().size(), bands ? 3 : 1);
    const std::array<QCPRange, 3> data{QCPRange(30, 69), QCPRange(20, 22), QCPRange(1.19, 1.21)};
    const int inputs[] = {1, 2, 4};
    for (int i = 0; i < 3; ++i) {
      ChartSeries* s = r.w.main->RangeChart().InputSeries(inputs[i]);
      const QCPRange shown = chart->BandOf(s)->axis(QCPAxis::atLeft)->range();
      QVERIFY(shown.contains(data[size_t(i)].lower) && shown.contains(data[size_t(i)].upper));
      // Fitted to its own values alone: no more than a tenth of its span around them.
      if (bands) QVERIFY2(shown.size() <= data[size_t(i)].size() * 1.2, qPrintable(QStringLiteral("%1: %2..%3").arg(i).arg(shown.lower).arg(shown.upper)));
      QCOMPARE(chart->BandTitle(chart->BandOf(s)), bands ? chart->Title(s) : QString());
      // Each band's axis reads: three labelled values at least inside what it shows.
      QCPAxis* axis = chart->BandOf(s)->axis(QCPAxis::atLeft);
      const QVector<double> ticks = axis->tickVector();
      QVERIFY2(std::count_if(ticks.begin(), ticks.end(), [&](double t) { return shown.contains(t); }) >= 3,
               qPrintable(QStringLiteral("input %1: %2 ticks").arg(inputs[i]).arg(ticks.size())));
    }
    QCOMPARE(chart->BandOf(r.w.main->RangeChart().Series(kConsumptionSeries)),
             chart->BandOf(r.w.main->RangeChart().InputSeries(1)));
    QVERIFY(chart->BandOf(r.w.main->RangeChart().InputSeries(1))->axis(QCPAxis::atRight)->visible());
    QCOMPARE(chart->BandOf(r.w.main->RangeChart().InputSeries(4)), chart->Plot()->xAxis->axisRect());  // the time axis
    int labelled = 0;
    for (QCPAxisRect* rect : chart->Plot()->axisRects()) labelled += rect->axis(QCPAxis::atBottom)->tickLabels();
    QCOMPARE(labelled, 1);
    QCOMPARE(r.w.main->Settings().ChartBands, bands);
    r.w.main->SaveExitSettings();  // remembered as the 2D/3D choice is
    QVERIFY(ReadFileBytes(r.w.IniPath()).contains(bands ? "ChartBands=1\r\n" : "ChartBands=0\r\n"));
  }

  // Two cursors: both times, Δt, each line's values and span, input 1's consumption between them by
  // the ledger's rule; Esc clears them once no generation runs.
  void cursors() {
    Rig r;
    for (int minute = 0; minute < 120; ++minute)
      r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10 + minute / 60, minute % 60)), {36, 20.0 + minute % 2, 50, 1});
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    ChartView* chart = r.Chart();
    chart->PlaceCursor(0, ChartView::ToKey(QDateTime(kDay, QTime(10, 30))));
    chart->PlaceCursor(1, ChartView::ToKey(QDateTime(kDay, QTime(11, 30))));
    const QString text = chart->CursorText();
    QVERIFY2(text.contains(QStringLiteral("Δt: 1:00:00")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Spotřeba IN1 [Nm³]: 36.00")), qPrintable(text));  // an hour at 36 Nm³/h
    // Temperature 20 on even minutes, 21 on odd ones: 61 rows from 10:30 to 11:30, 30 of them odd.
    QVERIFY2(text.contains(QStringLiteral("\n20.49\n21.00\n")), qPrintable(text));
    // Saved as PDF, the page holds the box's readings as text.
    const QString pdf = r.w.Path(QStringLiteral("cursors.pdf"));
    QVERIFY(chart->SavePdf(pdf).IsOk());
    QVERIFY2(PdfText(pdf).contains(QStringLiteral("Δt: 1:00:00")), qPrintable(PdfText(pdf)));
    // A click folds the box to its times and the volume, another unfolds it.
    auto* box = chart->findChild<QLabel*>(QStringLiteral("stKurzory"));
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(chart->CursorText().contains(QStringLiteral("Δt: 1:00:00")) && chart->CursorText().contains(QStringLiteral("36.00")));
    QVERIFY(!chart->CursorText().contains(QStringLiteral("20.49")));
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(chart->CursorText(), text);
    // Cursor 2 before cursor 1, at times with fractions of a second: each column keeps its own
    // cursor's values, and Δt is the difference of the times as shown (7:28:10 -> 9:05:12).
    chart->PlaceCursor(0, ChartView::ToKey(QDateTime(kDay, QTime(11, 30, 12, 100))));
    chart->PlaceCursor(1, ChartView::ToKey(QDateTime(kDay, QTime(10, 31, 10, 900))));
    const QString backwards = chart->CursorText();
    QVERIFY2(backwards.contains(QStringLiteral("Δt: 0:59:02")), qPrintable(backwards));
    // The temperature on the line: 20 + 12.1/60 at 11:30:12.1, 21 - 10.9/60 at 10:31:10.9.
    QVERIFY2(backwards.contains(QStringLiteral("\n20.20\n20.82\n0.62\n")), qPrintable(backwards));
    r.w.main->FormKeyDown(Qt::Key_Escape);
    QVERIFY(!chart->HasCursors() && chart->CursorText().isEmpty());
  }

  // "Porovnat s předchozím obdobím": the day before drawn over the day shown, dashed, in the same
  // band and colour, out of the legend; the cursors' box shows it too.
  void comparisonWithThePeriodBefore() {
    Rig r;
    for (int d = -1; d <= 0; ++d)
      for (int minute = 0; minute < 60; ++minute)
        r.Row(ArchiveKind::Slow, QDateTime(kDay.addDays(d), QTime(10, minute)), {double(40 + 10 * d), 20, 50, 1});
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    r.w.main->RangeChart().CompareBox()->setChecked(true);  // generates again with the day before
    ChartView* chart = r.Chart();
    ChartSeries* now = r.w.main->RangeChart().InputSeries(1);
    ChartSeries* before = r.w.main->RangeChart().PreviousSeries(0);
    QCOMPARE(chart->Points(before).size(), 60);
    QCOMPARE(chart->Points(before).first(), QPointF(ChartView::ToKey(QDateTime(kDay, QTime(10, 0))), 30));
    QVERIFY(chart->IsActive(before) && !chart->IsShownInLegend(before));
    QCOMPARE(chart->BandOf(before), chart->BandOf(now));
    QCOMPARE(chart->Colour(before), chart->Colour(now));
    chart->PlaceCursor(0, ChartView::ToKey(QDateTime(kDay, QTime(10, 30))));
    QVERIFY(chart->CursorText().contains(QStringLiteral("Průtok [Nm³/h] (předchozí období)\n30.00")));
    r.w.main->RangeChart().CompareBox()->setChecked(false);
    QVERIFY(!chart->IsActive(before));
  }

  // No date appears twice on the from-to chart's axis, before or after a generation.
  void dateLabelsNotRepeated() {
    Rig r;
    ChartView* chart = r.Chart();
    r.w.main->show();  // laid out at the default size
    QVERIFY(QTest::qWaitForWindowExposed(r.w.main.get()));
    auto labels = [chart] {
      chart->Plot()->replot();
      QStringList shown = chart->Plot()->xAxis->tickVectorLabels().toList();
      shown.removeAll(QString());
      return shown;
    };
    QStringList before = labels();
    QVERIFY(!before.isEmpty());
    QCOMPARE(before.removeDuplicates(), 0);
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 0)), {1, 2, 3, 4});
    r.Row(ArchiveKind::Slow, QDateTime(kDay.addDays(9), QTime(12, 0)), {1, 2, 3, 4});
    r.Range(kDay, kDay.addDays(9));
    r.w.main->RangeChart().GenerujData();
    QStringList after = labels();
    QVERIFY(after.size() >= 2);
    QCOMPARE(after.removeDuplicates(), 0);
    // Zoomed to 12 hours the labels carry the time of day.
    const double noon = ChartView::ToKey(QDateTime(kDay.addDays(4), QTime(12, 0)));
    chart->Plot()->xAxis->setRange(noon, noon + 12 * 3600);
    const QStringList zoomed = labels();
    QVERIFY2(zoomed.size() >= 3, qPrintable(zoomed.join(QLatin1Char('|'))));
    for (const QString& label : zoomed) QVERIFY2(label.contains(QLatin1Char(':')), qPrintable(label));
    // A whole calendar month at the default size is labelled by its weeks, not by its first day alone.
    const QDate first(2026, 11, 1);
    r.Row(ArchiveKind::Slow, QDateTime(first, QTime(0, 0)), {1, 2, 3, 4});
    r.Row(ArchiveKind::Slow, QDateTime(first.addDays(29), QTime(23, 59)), {1, 2, 3, 4});
    r.Range(first, first.addDays(29));
    r.w.main->RangeChart().GenerujData();
    QVERIFY2(labels().size() >= 4, qPrintable(labels().join(QLatin1Char('|'))));
    // A week, drawn large with a label a day, then made small at once: its labels are chosen anew.
    r.Row(ArchiveKind::Slow, QDateTime(first.addDays(6), QTime(23, 59)), {1, 2, 3, 4});
    r.Range(first, first.addDays(6));
    r.w.main->RangeChart().GenerujData();
    r.w.main->resize(1600, 900);
    QTRY_VERIFY2(chart->Plot()->xAxis->tickVectorLabels().size() >= 7,
                 qPrintable(chart->Plot()->xAxis->tickVectorLabels().join(QLatin1Char('|'))));
    r.w.main->resize(781, 466);
    QTRY_VERIFY2(chart->Plot()->xAxis->tickVectorLabels().size() <= 5,
                 qPrintable(chart->Plot()->xAxis->tickVectorLabels().join(QLatin1Char('|'))));
  }

  void escCancelsAndNextGenerationRuns() {
    Rig r("[OSTATNI]\r\nTypDB=1\r\n");
    for (int hour = 0; hour < 3; ++hour)
      for (int s = 0; s < 400; ++s)
        r.Row(ArchiveKind::Fast, QDateTime(kDay, QTime(hour, s / 60, s % 60)), {double(s), 0, 0, 0});
    r.Range(kDay, kDay);
    QTimer::singleShot(0, r.w.main.get(), [&] {
      QVERIFY(r.w.main->RangeChart().Generating());
      QVERIFY(!r.w.main->Form().btGeneruj->isEnabled());
      r.w.main->FormKeyDown(Qt::Key_F9);  // refused while generating
      r.w.main->FormKeyDown(Qt::Key_Escape);
    });
    r.w.main->RangeChart().GenerujData();
    QVERIFY(r.Input(1).isEmpty());
    QCOMPARE(r.Chart()->ChartTitle(), QStringLiteral(" Měření "));
    QCOMPARE(r.w.prompt->messages.size(), 1);
    QCOMPARE(r.w.prompt->messages[0].caption, QStringLiteral("Generování grafu"));
    QCOMPARE(r.w.prompt->messages[0].text,
             QStringLiteral("Generování grafu bylo ukončeno stiskem klávesy ESC."));
    QVERIFY(!r.w.main->RangeChart().Generating());
    r.w.main->RangeChart().GenerujData();
    QCOMPARE(r.Input(1).size(), 1200);
  }

  void seriesSetUp() {
    Rig r(
        "[ANALOG_IN2]\r\nActiv=0\r\n[ANALOG_IN1]\r\nJednotkaIndex=1\r\nBarvaCary=255\r\n[OSTATNI]"
        "\r\nTloustkaCaryGrafu=2\r\n");
    TMainForm& f = *r.w.main;
    ChartView* big = r.Chart();
    QCOMPARE(big->Title(f.RangeChart().InputSeries(1)), QStringLiteral("Průtok [m/s]"));
    QCOMPARE(f.Form().ChartDenni->Title(f.DailyChart().Series(2)), QStringLiteral("Teplota [°C]"));
    QVERIFY(!big->IsShownInLegend(f.RangeChart().InputSeries(2)));
    QVERIFY(!big->IsActive(f.RangeChart().InputSeries(2)));
    QVERIFY(!f.Form().ChartDenni->IsActive(f.DailyChart().Series(2)));
    QCOMPARE(big->Title(f.RangeChart().Series(kConsumptionSeries)), QStringLiteral("Spotřeba IN1 [m]"));
    QVERIFY(!big->IsShownInLegend(f.RangeChart().Series(kConsumptionSeries)));  // consumption off
    QCOMPARE(big->Colour(f.RangeChart().InputSeries(1)), QColor(255, 0, 0));
    QCOMPARE(big->LineWidth(f.RangeChart().InputSeries(1)), 2);
    QCOMPARE(big->LineWidth(f.RangeChart().Series(kConsumptionSeries)), 3);
    auto* bars = f.findChild<ChartView*>(QStringLiteral("OnlineChartIN1"));
    QCOMPARE(bars->LeftAxisRange(), qMakePair(-2.0, 100.0));
    QCOMPARE(bars->Colour(f.Overview().BarSeries(1)), QColor(255, 0, 0));
  }

  void barRangeUnchangedForFallingScale() {
    Rig r("[ANALOG_IN3]\r\n4mA=50\r\n20mA=10\r\n");
    auto* bars = r.w.main->findChild<ChartView*>(QStringLiteral("OnlineChartIN3"));
    const auto before = bars->LeftAxisRange();
    r.w.main->ApplyChartSettings();
    QCOMPARE(bars->LeftAxisRange(), before);
    QVERIFY(before != qMakePair(48.0, 10.0));
  }

  void viewSwitches() {
    Rig r("[OSTATNI]\r\nPrednabizetGraf2D=0\r\nChart3DPercent=40\r\n");
    TMainForm& f = *r.w.main;
    QVERIFY(r.Chart()->Is3D());
    QCOMPARE(r.Chart()->Depth3DPercent(), 40);
    QVERIFY(f.Form().edProcento3D->isEnabled());
    f.Form().rgParametryGrafu->findChildren<QAbstractButton*>()[0]->click();
    QVERIFY(!r.Chart()->Is3D());
    QVERIFY(!f.Form().edProcento3D->isEnabled());
    QVERIFY(f.Settings().PrednabizetGraf2D);
    f.Form().edProcento3D->setValue(70);
    QCOMPARE(f.Settings().Chart3DPercent, 70);
    QCOMPARE(r.Chart()->Depth3DPercent(), 70);
    f.Form().rgArchivace->findChildren<QAbstractButton*>()[1]->click();
    QCOMPARE(f.Settings().TypDB, 1);
  }

  void pointMark() {
    Rig r;
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 0)), {50, 50, 50, 50});
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(12, 0)), {50, 50, 50, 50});
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    r.w.main->resize(900, 600);
    r.w.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(r.w.main.get()));
    auto* mark = r.w.main->findChild<QLabel*>(QStringLiteral("stMarkOdDo"));
    ChartView* chart = r.Chart();
    chart->Plot()->replot();
    ChartSeries* s = r.w.main->RangeChart().InputSeries(1);
    emit chart->SeriesClicked(s, Qt::LeftButton, QPoint(200, 150));
    QVERIFY(mark->isVisible());
    QVERIFY(mark->text().startsWith(QLatin1Char(' ')));
    QVERIFY(mark->text().contains(QStringLiteral(" - ")));
    QCOMPARE(mark->pos(), QPoint(200, 150 - mark->height()));
    emit chart->MousePressed(Qt::RightButton, QPoint(10, 10));
    QVERIFY(!mark->isVisible());
    emit chart->SeriesClicked(s, Qt::RightButton, QPoint(200, 150));
    QVERIFY(!mark->isVisible());  // a right click shows nothing
  }

  void printRoutedByTab() {
    Rig r;
    r.w.main->resize(800, 500);
    for (int page : {0, 1, 2}) {
      const QString pdf = r.w.Path(QStringLiteral("page%1.pdf").arg(page));
      r.w.prompt->printToPdf = pdf;
      r.w.main->Form().PageControl1->setCurrentIndex(page);
      r.w.main->PrintActivePage();
      QVERIFY2(QFileInfo(pdf).size() > 1000, qPrintable(pdf));
    }
    r.w.prompt->printToPdf.clear();  // print dialog cancelled: nothing
    r.w.main->PrintActivePage();
    r.w.prompt->printToPdf = r.w.Path(QStringLiteral("missing/folder/x.pdf"));
    LogRecorder log;
    r.w.main->PrintActivePage();
    QCOMPARE(r.w.prompt->messages.size(), 1);
    QCOMPARE(r.w.prompt->messages[0].text, QStringLiteral("Tisk se nezdařil."));
    QCOMPARE(log.Texts(), QStringList{QStringLiteral("Tisk")});
  }

  void bitmapSaved() {
    FixedClock clock(QDateTime(kDay, QTime(14, 5, 9)));
    Rig r;
    r.w.main->resize(800, 500);
    r.w.prompt->saveFile = r.w.Path(QStringLiteral("20261208_140509.bmp"));
    r.w.main->RangeChart().SavePicture();
    QCOMPARE(r.w.prompt->lastProposedName, QStringLiteral("20261208_140509"));
    QFile bmp(r.w.prompt->saveFile);
    QVERIFY(bmp.open(QIODevice::ReadOnly));
    QCOMPARE(bmp.read(2), QByteArray("BM"));
  }

  // The CSV of a generation reads back, by the station's own reader, as exactly the chart's points.
  void csvRoundTrip_data() {
    QTest::addColumn<int>("kind");  // "TypDB": 0 slow, 1 fast
    QTest::addColumn<bool>("consumption");
    QTest::addColumn<int>("inactive");  // 0: all active
    QTest::newRow("fast, consumption, IN3 off") << 1 << true << 3;
    QTest::newRow("fast, all on") << 1 << false << 0;
    QTest::newRow("slow, consumption") << 0 << true << 0;
    QTest::newRow("slow, IN1 off") << 0 << false << 1;
  }
  void csvRoundTrip() {
    QFETCH(int, kind);
    QFETCH(bool, consumption);
    QFETCH(int, inactive);
    FixedClock clock(QDateTime(kDay.addDays(1), QTime(23, 0)));
    Rig r;
    AppSettings& s = r.w.main->Settings();
    s.TypDB = kind;
    s.UkazujSpotrebu = consumption;
    if (inactive) s.Channel(inactive).Activ = false;
    r.w.main->ApplyChartSettings();
    const ArchiveKind archiveKind = *ArchiveKindOfTypDB(kind);
    int i = 0;
    for (const QDate& day : {kDay, kDay.addDays(1)})
      for (const QTime& t : {QTime(10, 0, 0), QTime(10, 0, 2), QTime(10, 59, 58), QTime(11, 0, 0), QTime(11, 0, 4)}) {
        ++i;
        r.Row(archiveKind, QDateTime(day, t), {12.3456 * i, -0.0001 * i, 100.0 + i, i % 2 ? 0.0 : 99999.9999});
      }
    r.Range(kDay, kDay.addDays(1));
    r.w.main->RangeChart().GenerujData();
    const QString path = r.w.Path(QStringLiteral("export.csv"));
    r.w.prompt->saveFile = path;
    r.w.main->RangeChart().SaveCsv();
    QVERIFY2(r.w.prompt->messages.isEmpty(), qPrintable(r.w.prompt->messages.value(0).text));
    QCOMPARE(r.w.prompt->lastProposedName, QStringLiteral("20261209_230000"));

    const QByteArray bytes = ReadFileBytes(path);
    QVERIFY(bytes.startsWith(consumption ? "DATUM;CAS;IN1;IN2;IN3;IN4;SPOTREBA\r\n" : "DATUM;CAS;IN1;IN2;IN3;IN4\r\n"));
    QCOMPARE(bytes.count("\r\n"), 11);
    QCOMPARE(bytes.count('\n'), 11);
    const ArchiveFile back = ReadArchiveFile(path);
    QVERIFY2(back.status.IsOk(), qPrintable(back.status.text));
    QCOMPARE(int(back.rows.size()), 10);
    for (int n = 1; n <= kInputCount; ++n) {
      QVector<QPointF> read;
      for (const ArchiveRow& row : back.rows)
        if (!std::isnan(row.values[size_t(n - 1)])) read << QPointF(row.key, row.values[size_t(n - 1)]);
      QCOMPARE(read, r.Chart()->Points(r.w.main->RangeChart().InputSeries(n)));
      QCOMPARE(read.isEmpty(), n == inactive);
    }
    if (consumption) {
      // The running total on every row; the chart's consumption points are those after each file's first row.
      QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
      lines.removeFirst();
      QStringList totals;
      for (const QString& line : lines) totals << line.section(QLatin1Char(';'), 6);
      QStringList drawn;
      for (const QPointF& p : r.Chart()->Points(r.w.main->RangeChart().Series(kConsumptionSeries))) drawn << FormatArchiveValue(p.y());
      QVERIFY(!drawn.isEmpty());
      for (const QString& total : drawn) QVERIFY2(totals.contains(total), qPrintable(total));
    }
  }

  void exportsOfferTheirTypes() {
    Rig r;
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 0)), {1, 2, 3, 4});
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 5)), {5, 6, 7, 8});
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    r.w.main->resize(900, 560);
    const QString pdf = r.w.Path(QStringLiteral("chart.pdf"));
    r.w.prompt->saveFile = pdf;
    r.w.main->RangeChart().SavePicture();
    QCOMPARE(r.w.prompt->lastFilter, QStringLiteral("BMP (*.bmp);;PNG (*.png);;PDF (*.pdf)"));  // BMP first
    const QByteArray document = ReadFileBytes(pdf);
    QVERIFY(document.startsWith("%PDF-"));
    QVERIFY(document.trimmed().endsWith("%%EOF"));
    QCOMPARE(QString::fromLatin1(document).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))), 1);
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)")).match(QString::fromLatin1(document));
    QVERIFY(box.hasMatch());
    QCOMPARE(qRound(box.captured(1).toDouble()), 842);  // A4 landscape, in points
    QCOMPARE(qRound(box.captured(2).toDouble()), 595);
    r.w.prompt->saveFile = r.w.Path(QStringLiteral("chart.png"));
    r.w.main->RangeChart().SavePicture();
    QVERIFY(ReadFileBytes(r.w.prompt->saveFile).startsWith("\x89PNG"));
    QVERIFY(r.w.prompt->messages.isEmpty());
  }

  // A file that cannot be written: a box with the path and the reason, a log line, nothing left.
  void exportFailureLeavesNoFile_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("csv") << "out.csv";
    QTest::newRow("bmp") << "out.bmp";
    QTest::newRow("png") << "out.png";
    QTest::newRow("pdf") << "out.pdf";
  }
  void exportFailureLeavesNoFile() {
    QFETCH(QString, name);
    Rig r;
    r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 0)), {1, 2, 3, 4});
    r.Range(kDay, kDay);
    r.w.main->RangeChart().GenerujData();
    // A folder nobody may write: read-only for an ordinary user; for root (who writes anyway) a
    // file stands where the folder should be.
    const QString folder = r.w.Path(QStringLiteral("locked"));
    QString target;
    if (geteuid() == 0) {
      WriteFileBytes(folder, "not a folder");
      target = folder + QLatin1Char('/') + name;
    } else {
      QVERIFY(QDir().mkdir(folder));
      QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
      target = folder + QLatin1Char('/') + name;
    }
    const QStringList before = QDir(r.w.dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    r.w.prompt->saveFile = target;
    LogRecorder log;
    if (name.endsWith(QStringLiteral(".csv")))
      r.w.main->RangeChart().SaveCsv();
    else
      r.w.main->RangeChart().SavePicture();
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(r.w.prompt->messages.size(), 1);
    const QString text = r.w.prompt->messages[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("Soubor se nepodařilo uložit:\n") + target + QLatin1Char('\n')), qPrintable(text));
    QVERIFY2(text.section(QLatin1Char('\n'), 2).size() > 3, qPrintable(text));  // the reason
    QCOMPARE(log.Texts().size(), 1);
    QVERIFY(log.Texts()[0].contains(target));
    QCOMPARE(QDir(r.w.dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    if (geteuid() != 0) QVERIFY(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
  }

  void exportsOnlyAfterAGeneration() {
    Rig r;
    for (int i = 0; i < 400; ++i) r.Row(ArchiveKind::Slow, QDateTime(kDay, QTime(10, 0)).addSecs(i * 60), {1, 2, 3, 4});
    r.Range(kDay, kDay);
    auto& page = r.w.main->RangeChart();
    QVERIFY(!page.ExportsEnabled());
    QVERIFY(!r.w.main->Form().btUloz->isEnabled());
    QList<bool> during;
    auto* probe = new QTimer(r.w.main.get());
    connect(probe, &QTimer::timeout, [&] {
      if (page.Generating()) during << (r.w.main->Form().btUloz->isEnabled() || r.w.main->Form().btUlozCsv->isEnabled());
    });
    probe->start(0);
    page.GenerujData();
    probe->stop();
    QVERIFY(!during.isEmpty());
    QVERIFY(!during.contains(true));
    QVERIFY(page.ExportsEnabled() && r.w.main->Form().btUloz->isEnabled());
    // A cancelled generation leaves nothing to export.
    connect(probe, &QTimer::timeout, [&] { r.w.main->FormKeyDown(Qt::Key_Escape); });
    probe->start(0);
    page.GenerujData();
    probe->stop();
    QVERIFY(!page.ExportsEnabled());
  }

  // The compact points give back every key and value bit for bit, whatever they hold; the
  // archive's own points take at most 7 bytes each.
  void compactSeriesKeepsEveryNumber_data() {
    QTest::addColumn<QString>("shape");
    QTest::addColumn<double>("maxBytesPerPoint");
    QTest::newRow("archive rows") << QStringLiteral("archive") << 7.0;
    QTest::newRow("a day missing") << QStringLiteral("gap") << 7.0;
    QTest::newRow("fractions of seconds") << QStringLiteral("milliseconds") << 15.0;
    QTest::newRow("running total") << QStringLiteral("total") << 11.0;
    QTest::newRow("large, signed zero, nan") << QStringLiteral("odd") << 11.0;
  }
  void compactSeriesKeepsEveryNumber() {
    QFETCH(QString, shape);
    QFETCH(double, maxBytesPerPoint);
    QRandomGenerator random(5);
    std::vector<std::pair<double, double>> appended;
    double key = 1.7e9, total = 0;
    for (int i = 0; i < 100000; ++i) {
      key += shape == QLatin1String("milliseconds") ? 1 + random.bounded(1000) / 1000.0 : 2;
      if (shape == QLatin1String("gap") && i == 40000) key += 86400;
      double value = std::round(random.bounded(3.9e5) - 1.95e5) / std::pow(10.0, random.bounded(5));
      if (shape == QLatin1String("total")) value = total += random.bounded(100.0) / 7;
      // A negative zero first, in the middle of a block of scaled values; later large values and NaN.
      if (shape == QLatin1String("odd") && (i == 100 || i % 1000 == 500 || i % 1000 == 501))
        value = i == 100 ? -0.0 : i % 1000 == 500 ? 1e6 + 0.5 : std::numeric_limits<double>::quiet_NaN();
      appended.emplace_back(key, value);
    }
    CompactSeries points;
    points.Reserve(appended.size());  // as a generation does, from the rows expected
    for (const auto& [k, v] : appended) points.Append(k, v);
    QCOMPARE(points.Size(), appended.size());
    for (size_t i = 0; i < appended.size(); ++i) {
      if (std::bit_cast<quint64>(points.Key(i)) != std::bit_cast<quint64>(appended[i].first) ||
          std::bit_cast<quint64>(points.Value(i)) != std::bit_cast<quint64>(appended[i].second))
        QFAIL(qPrintable(QStringLiteral("point %1: %2 %3 instead of %4 %5")
                             .arg(i)
                             .arg(points.Key(i), 0, 'g', 17)
                             .arg(points.Value(i), 0, 'g', 17)
                             .arg(appended[i].first, 0, 'g', 17)
                             .arg(appended[i].second, 0, 'g', 17)));
    }
    // Looking a key up within any part of the points gives what a plain search gives.
    for (int q = 0; q < 2000; ++q) {
      const size_t from = random.bounded(int(appended.size()));
      const size_t to = from + random.bounded(int(appended.size() - from) + 1);
      const double sought = appended[random.bounded(int(appended.size()))].first + random.bounded(3) - 1;
      const auto plain = std::lower_bound(appended.begin() + from, appended.begin() + to, sought,
                                          [](const auto& p, double k) { return p.first < k; });
      QCOMPARE(points.LowerBound(sought, from, to), size_t(plain - appended.begin()));
    }
    QCOMPARE(points.LowerBound(appended.back().first + 1, 0, appended.size()), appended.size());
    const double bytesPerPoint = double(points.MemoryBytes()) / double(points.Size());
    QVERIFY2(bytesPerPoint <= maxBytesPerPoint, qPrintable(QString::number(bytesPerPoint)));
  }

  // The extremes and the mean found through the pyramid are those of the values themselves, for
  // ranges of every length and place; a NaN is never an extreme and counts for no mean.
  void compactExtremes() {
    QRandomGenerator random(11);
    for (int n : {1, 63, 64, 65, 1023, 1024, 1025, 16385, 70001}) {
      ValueColumn values;
      std::vector<double> plain;
      for (int i = 0; i < n; ++i)
        plain.push_back(i % 97 == 5 ? std::numeric_limits<double>::quiet_NaN()
                                    : random.bounded(2000) - 1000.0 + (i % 7 == 0 ? 0.5 : 0));
      // Appended one by one and in runs of any length, as a generation appends a run of rows.
      for (size_t i = 0, run = 1; i < plain.size(); i += run, run = 1 + random.bounded(300))
        values.Append(plain.data() + i, std::min(run, plain.size() - i));
      for (size_t i = 0; i < plain.size(); ++i)
        QCOMPARE(std::bit_cast<quint64>(values[i]), std::bit_cast<quint64>(plain[i]));
      for (int q = 0; q < 300; ++q) {
        const size_t first = random.bounded(n);
        const size_t last = first + 1 + random.bounded(n - int(first));
        const auto [lo, hi] = values.Extremes(first, last);
        QVERIFY(lo >= first && lo < last && hi >= first && hi < last);
        double low = std::numeric_limits<double>::infinity(), high = -low, sum = 0;
        int count = 0;
        for (size_t i = first; i < last; ++i)
          if (!std::isnan(plain[i])) low = std::min(low, plain[i]), high = std::max(high, plain[i]), sum += plain[i], ++count;
        if (std::isinf(low)) {
          QVERIFY(std::isnan(values[lo]) && std::isnan(values[hi]) && std::isnan(values.Mean(first, last)));
          continue;
        }
        QVERIFY(std::abs(values.Mean(first, last) - sum / count) < 1e-9);
        QVERIFY2(values[lo] == low && values[hi] == high,
                 qPrintable(QStringLiteral("n %1 [%2, %3): %4 %5 instead of %6 %7")
                                .arg(n).arg(first).arg(last).arg(values[lo]).arg(values[hi]).arg(low).arg(high)));
      }
    }
  }

  // Drawn per pixel column from the pyramid (a band and the mean where a column holds many
  // points), a line covers the pixels of every point drawn.
  void levelOfDetailDrawsWhatEveryPointDraws_data() {
    QTest::addColumn<QString>("shape");
    QTest::addColumn<double>("zoom");  // the part of the data the x axis shows
    for (const char* shape : {"rising", "falling", "noisy", "gapped"})
      for (double zoom : {1.0, 0.02, 0.0005}) QTest::addRow("%s, %g", shape, zoom) << QString::fromLatin1(shape) << zoom;
  }
  void levelOfDetailDrawsWhatEveryPointDraws() {
    QFETCH(QString, shape);
    QFETCH(double, zoom);
    ChartView chart;
    chart.resize(900, 500);
    chart.SetLegendVisible(false);
    ChartSeries* a = chart.AddSeries(QStringLiteral("A"), ChartSeries::Kind::Line);
    ChartSeries* b = chart.AddSeries(QStringLiteral("B"), ChartSeries::Kind::Line);
    chart.SetColour(a, Qt::red);
    chart.SetColour(b, Qt::blue);
    QRandomGenerator random(7);
    const int n = 400000;
    QVector<QCPGraphData> one, two;
    const double t0 = 1.7e9;
    for (int i = 0; i < n; ++i) {
      if (shape == QLatin1String("gapped") && i % 100000 > 70000) continue;  // three long gaps
      const double x = t0 + 2.0 * i;
      const double up = i * 100.0 / n;
      const double noise = random.bounded(1000) / 100.0;
      one << QCPGraphData(x, shape == QLatin1String("falling") ? 100 - up
                             : shape == QLatin1String("noisy") ? 50 + 20 * std::sin(i / 3000.0) + noise
                                                               : up);
      two << QCPGraphData(x, shape == QLatin1String("noisy") ? 30 + noise * 3 : 60 + 10 * std::sin(i / 20000.0) + noise / 10);
    }
    chart.AddPoints(a, one);
    chart.AddPoints(b, two);
    chart.SetGap(10);  // points 2 s apart: only the long gaps break the lines, the same in both drawings
    chart.RescaleToData();
    // Compared without antialiasing, where a line's pixels are exactly defined (thousands of
    // overlapping translucent edges would blend into a different shade than four points do).
    chart.Plot()->setNotAntialiasedElements(QCP::aeAll);
    const double span = 2.0 * n * zoom;
    // The edges fall between points.
    chart.Plot()->xAxis->setRange(t0 + 2.0 * n * 0.37 + 1, t0 + 2.0 * n * 0.37 + span + 1);
    const QImage reduced = chart.Picture().toImage();
    // The line runs on to the plot's borders (a point beyond each edge is drawn too), or to within
    // a pixel of its first and last point.
    const QCPRange shown = chart.Plot()->xAxis->range();
    const double pixel = shown.size() / chart.Plot()->xAxis->axisRect()->width();
    for (ChartSeries* s : {a, b}) {
      const QCPGraphDataContainer& drawn = *chart.Plot()->graph(s == a ? 0 : 1)->data();
      const QVector<QPointF> all = chart.Points(s);
      QVERIFY(!drawn.isEmpty());
      QVERIFY(drawn.constBegin()->key < shown.lower || drawn.constBegin()->key <= all.first().x() + pixel);
      QVERIFY((drawn.constEnd() - 1)->key > shown.upper || (drawn.constEnd() - 1)->key >= all.last().x() - pixel);
    }
    chart.SetLevelOfDetail(false);
    const QImage every = chart.Picture().toImage();
    QCOMPARE(reduced.size(), every.size());
    // Where a column holds many points, a light band covers what the points' strokes cover.
    const QRgb blank = every.pixel(every.width() / 2, 2);
    qint64 differing = 0;
    for (int y = 0; y < every.height(); ++y)
      for (int x = 0; x < every.width(); ++x) differing += (reduced.pixel(x, y) == blank) != (every.pixel(x, y) == blank);
    const double share = double(differing) / (qint64(every.width()) * every.height());
    QVERIFY2(share <= 0.005, qPrintable(QStringLiteral("%1 % of the pixels differ").arg(share * 100)));
  }

  // A chart that follows live points keeps following a view the user zoomed while it shows the
  // newest point; a view of earlier times stays.
  void zoomedViewKeepsFollowing_data() {
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::addColumn<double>("shift");
    QTest::newRow("showing the newest") << 60.0 << 100.0 << 5.0;
    QTest::newRow("looking back") << 10.0 << 50.0 << 0.0;
  }
  void zoomedViewKeepsFollowing() {
    QFETCH(double, lower);
    QFETCH(double, upper);
    QFETCH(double, shift);
    ChartView chart;
    ChartSeries* s = RedLine(chart, QSize(500, 300));
    chart.SetFollowData(true);
    for (int t = 0; t <= 100; ++t) chart.AddPoint(s, t, t % 7);
    chart.Picture();
    QWheelEvent wheel(QPointF(200, 100), chart.Plot()->mapToGlobal(QPointF(200, 100)), {}, QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(chart.Plot(), &wheel);  // the user zooms: the axes no longer fit the points
    chart.Plot()->xAxis->setRange(lower, upper);
    chart.Picture();
    for (int t = 101; t <= 105; ++t) chart.AddPoint(s, t, 1);
    chart.Picture();
    QCOMPARE(chart.Plot()->xAxis->range().lower, lower + shift);
    QCOMPARE(chart.Plot()->xAxis->range().upper, upper + shift);
  }

  // A step longer than the gap limit breaks the line: no pixel of it over the outage, one point
  // without a value among those drawn; joined as before without a limit.
  void gapsBreakTheLine_data() {
    QTest::addColumn<double>("gap");
    QTest::addColumn<bool>("levelOfDetail");
    QTest::addColumn<int>("breaks");
    QTest::newRow("no limit") << 0.0 << true << 0;
    QTest::newRow("60 s, reduced") << 60.0 << true << 1;
    QTest::newRow("60 s, every point") << 60.0 << false << 1;
    QTest::newRow("longer than the outage") << 700.0 << true << 0;
  }
  void gapsBreakTheLine() {
    QFETCH(double, gap);
    QFETCH(bool, levelOfDetail);
    QFETCH(int, breaks);
    ChartView chart;
    ChartSeries* s = RedLine(chart, QSize(600, 300));
    QVector<QCPGraphData> points;
    for (int t = 0; t < 1800; ++t)
      if (t < 600 || t >= 1200) points << QCPGraphData(t, t < 600 ? 10 : 20);  // ten minutes missing
    chart.AddPoints(s, points);
    chart.SetGap(gap);
    chart.SetLevelOfDetail(levelOfDetail);
    chart.RescaleToData();
    chart.Plot()->setNotAntialiasedElements(QCP::aeAll);
    const QImage picture = chart.Picture().toImage();
    int nans = 0;
    for (const QCPGraphData& p : *chart.Plot()->graph(0)->data()) nans += std::isnan(p.value);
    QCOMPARE(nans, breaks);
    const int x = int(chart.Plot()->xAxis->coordToPixel(900));
    const QRect area = chart.Plot()->axisRect()->rect();
    int red = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) red += picture.pixelColor(x, y) == QColor(Qt::red);
    QCOMPARE(red > 0, breaks == 0);
  }

  // One reading far above the rest stays visible however far the chart is zoomed out.
  void spikeSurvivesZoomingOut() {
    ChartView chart;
    ChartSeries* s = RedLine(chart, QSize(500, 300));
    QVector<QCPGraphData> points;
    const int n = 500000, spike = 312345;
    for (int i = 0; i < n; ++i) points << QCPGraphData(1.7e9 + i, i == spike ? 100 : 1);
    chart.AddPoints(s, points);
    chart.RescaleToData();
    chart.Plot()->setNotAntialiasedElements(QCP::aeAll);
    const QImage picture = chart.Picture().toImage();
    const int x = int(std::lround(chart.Plot()->xAxis->coordToPixel(1.7e9 + spike)));
    const int top = int(chart.Plot()->yAxis->coordToPixel(100));
    const int floor = int(std::lround(chart.Plot()->yAxis->coordToPixel(1)));
    // The spike's column: its band reaches the spike in a light red, its line keeps to the mean.
    bool banded = false, lined = false, spiked = false;
    for (int dx = -1; dx <= 1; ++dx) {
      for (int y = top - 2; y <= top + 2; ++y) {
        const QColor c = picture.pixelColor(x + dx, y);
        banded = banded || (c.red() == 255 && c.green() > 100 && c.green() < 255);
        spiked = spiked || c == QColor(Qt::red);
      }
      for (int y = floor - 1; y <= floor + 1; ++y) lined = lined || picture.pixelColor(x + dx, y) == QColor(Qt::red);
    }
    QVERIFY(banded && lined && !spiked);
    const double column = std::floor(chart.Plot()->xAxis->coordToPixel(1.7e9 + spike));
    QCOMPARE(chart.Plot()->plottableAt(QPointF(column + 0.5, top + 1), false), chart.Plot()->graph(0));  // on the band
  }

  void titleRule() {
    Rig r;
    r.Range(kDay, kDay.addDays(2));
    r.w.main->RangeChart().SetChartTitle(-1);
    QCOMPARE(r.Chart()->ChartTitle(), QStringLiteral(" Měření "));
    r.w.main->RangeChart().SetChartTitle(0);
    QCOMPARE(r.Chart()->ChartTitle(), QStringLiteral(" Měření %1 ").arg(Regional::ShortDate(kDay)));
    r.w.main->RangeChart().SetChartTitle(2);
    QCOMPARE(r.Chart()->ChartTitle(),
             QStringLiteral(" Měření %1 - %2 ")
                 .arg(Regional::ShortDate(kDay), Regional::ShortDate(kDay.addDays(2))));
  }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
