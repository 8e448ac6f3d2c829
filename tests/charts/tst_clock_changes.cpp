// The from-to chart across the clock changes of 2026 in a zone with summer time: 29.3. skips the
// hour 2:00-2:59, 25.10. repeats it. TZ is set before the application object exists.
#include <QApplication>
#include <QDir>
#include <QtTest>
#include <ctime>

#include "main_window/range_chart_page.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "series/calendar_ticks.h"
#include "charts/chart_view.h"
#include "config/cp1250.h"
#include "main_window/main_form.h"
#include "station/regional.h"
#include "support/scripted_prompt.h"
#include "support/station_fixture.h"

namespace {
const QDate kSpring(2026, 3, 29);
const QDate kAutumn(2026, 10, 25);

// Real instants every 30 minutes from local midnight of `day` up to local 4:30.
QList<QDateTime> HalfHoursFromMidnight(const QDate& day) {
  QList<QDateTime> times;
  for (QDateTime t(day, QTime(0, 0)); t <= QDateTime(day, QTime(4, 30)); t = t.addSecs(1800))
    times << t;
  return times;
}
}  // namespace

class TestClockChanges : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    // The zone really has summer time here (tzdata installed).
    QCOMPARE(QDateTime(kAutumn, QTime(12, 0)).offsetFromUtc(), 3600);
    QCOMPARE(QDateTime(kAutumn.addDays(-1), QTime(12, 0)).offsetFromUtc(), 7200);
  }

  // The writer puts both passes of the repeated hour into one file; the reader gives the second
  // pass its real time, one hour after the first.
  void repeatedHourReadInRealTime() {
    QTemporaryDir dir;
    const QList<QDateTime> times = HalfHoursFromMidnight(kAutumn);
    QCOMPARE(times.size(), 12);  // 0:00 .. 4:30 local, 2:00 and 2:30 twice
    for (int i = 0; i < times.size(); ++i)
      QVERIFY(AppendArchiveRow(dir.path(), ArchiveKind::Fast, times[i], QStringLiteral(";"), {double(i), 0, 0, 0}).IsOk());
    const ArchiveFile file = ReadArchiveFile(dir.path() + QStringLiteral("/FA_20261025_02.csv"));
    QVERIFY2(file.status.IsOk(), qPrintable(file.status.text));
    QCOMPARE(int(file.rows.size()), 4);
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(file.rows[size_t(i)].values[0], double(4 + i));
      QCOMPARE(file.rows[size_t(i)].key, double(times[4 + i].toSecsSinceEpoch()));
    }
  }

  void generation_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QTime>("fromTime");  // the time of day the first picker holds
    QTest::addColumn<int>("firstDayBefore");
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("total");
    QTest::addColumn<QString>("format");
    // Flow 10 m³/h every 30 minutes: 5 per step; the first row of each file adds nothing.
    // Autumn: 5.5 real hours in five hourly files (2:00 holds both passes: 3 steps).
    QTest::newRow("autumn fast") << 1 << kAutumn << QTime(0, 0) << 0 << 12 << 35.0 << "hh:mm";
    QTest::newRow("autumn slow") << 0 << kAutumn << QTime(0, 0) << 0 << 12 << 55.0 << "hh:mm";
    QTest::newRow("autumn slow two days") << 0 << kAutumn << QTime(23, 30) << 1 << 12 << 55.0 << "d.M hh:mm";
    // Spring: 3.5 real hours, no file for 2:00.
    QTest::newRow("spring fast") << 1 << kSpring << QTime(0, 0) << 0 << 8 << 20.0 << "hh:mm";
    QTest::newRow("spring slow") << 0 << kSpring << QTime(0, 0) << 0 << 8 << 35.0 << "hh:mm";
    QTest::newRow("spring fast two days") << 1 << kSpring << QTime(23, 30) << 1 << 8 << 20.0 << "d.M hh:mm";
  }
  void generation() {
    QFETCH(int, kind);
    QFETCH(QDate, day);
    QFETCH(QTime, fromTime);
    QFETCH(int, firstDayBefore);
    QFETCH(int, points);
    QFETCH(double, total);
    QFETCH(QString, format);
    StationWindows w;
    const QString archive = w.Path(QStringLiteral("archiv"));
    QDir().mkdir(archive);
    WriteFileBytes(w.IniPath(), Cp1250::Encode(QStringLiteral("[ARCHIVACE]\r\nDatabaseDir=%1\r\n[OSTATNI]\r\n"
                                                              "PopisGrafu=Měření\r\nUkazujSpotrebu=1\r\nTypDB=%2\r\n")
                                                   .arg(archive)
                                                   .arg(kind)));
    w.main->LoadSettings();
    w.main->ApplyChartSettings();
    const ArchiveKind archiveKind = kind == 0 ? ArchiveKind::Slow : ArchiveKind::Fast;
    const QList<QDateTime> times = HalfHoursFromMidnight(day);
    for (const QDateTime& t : times) QVERIFY(AppendArchiveRow(archive, archiveKind, t, QStringLiteral(";"), {10, 20, 30, 40}).IsOk());
    const QDate first = day.addDays(-firstDayBefore);
    w.main->Form().dtpOd->setDateTime(QDateTime(first, fromTime));
    w.main->Form().dtpDo->setDateTime(QDateTime(day, QTime(0, 0)));
    w.main->RangeChart().GenerujData();
    QVERIFY(w.prompt->messages.isEmpty());

    ChartView* chart = w.main->Form().ChartVelky;
    const QVector<QPointF> flow = chart->Points(w.main->RangeChart().InputSeries(1));
    QCOMPARE(flow.size(), points);
    for (int i = 0; i < points; ++i) QCOMPARE(flow[i].x(), double(times[i].toSecsSinceEpoch()));
    const QVector<QPointF> consumption = chart->Points(w.main->RangeChart().Series(kConsumptionSeries));
    QVERIFY(!consumption.isEmpty());
    for (int i = 1; i < consumption.size(); ++i) QVERIFY(consumption[i - 1].x() < consumption[i].x());
    QCOMPARE(consumption.last().y(), total);
    QCOMPARE(chart->DateTimeFormat(), format);
    const QString dates = firstDayBefore == 0
                              ? Regional::ShortDate(day)
                              : Regional::ShortDate(first) + QStringLiteral(" - ") + Regional::ShortDate(day);
    QCOMPARE(chart->ChartTitle(), QStringLiteral(" Měření %1 ").arg(dates));
  }

  // Ticks stand on the wall clock of the zone: local midnights, round local hours and minutes,
  // none in the skipped hour, also in zones 30 or 45 minutes off a whole hour.
  void calendarTicks_data() {
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QDateTime>("from");  // wall-clock times in the zone
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<int>("maxTicks");
    QTest::addColumn<QStringList>("ticks");  // "d.M HH:mm:ss" in the zone
    const auto at = [](int month, int day, int h, int m, int s = 0) {
      return QDateTime(QDate(2026, month, day), QTime(h, m, s));
    };
    const auto row = [](const char* name, const char* zone, QDateTime from, QDateTime to, int maxTicks,
                        const QString& ticks) {
      QTest::newRow(name) << zone << from << to << maxTicks << ticks.split(QLatin1Char(','));
    };
    row("hours", "Europe/Prague", at(12, 9, 6, 0), at(12, 9, 18, 0), 6,
        "9.12 06:00:00,9.12 08:00:00,9.12 10:00:00,9.12 12:00:00,9.12 14:00:00,9.12 16:00:00,9.12 18:00:00");
    row("skipped hour", "Europe/Prague", at(3, 29, 0, 0), at(3, 29, 4, 30), 5,
        "29.3 00:00:00,29.3 01:00:00,29.3 03:00:00,29.3 04:00:00,29.3 05:00:00");
    row("repeated hour", "Europe/Prague", at(10, 25, 0, 30), at(10, 25, 3, 0), 4,
        "25.10 00:00:00,25.10 01:00:00,25.10 02:00:00,25.10 03:00:00");
    row("days", "America/New_York", at(12, 1, 5, 0), at(12, 4, 20, 0), 4,
        "1.12 00:00:00,2.12 00:00:00,3.12 00:00:00,4.12 00:00:00,5.12 00:00:00");
    row("half-hour offset", "Asia/Kolkata", at(12, 9, 10, 10), at(12, 9, 13, 50), 4,
        "9.12 10:00:00,9.12 11:00:00,9.12 12:00:00,9.12 13:00:00,9.12 14:00:00");
    row("quarter hours", "Asia/Kathmandu", at(12, 9, 10, 7), at(12, 9, 11, 2), 4,
        "9.12 10:00:00,9.12 10:15:00,9.12 10:30:00,9.12 10:45:00,9.12 11:00:00,9.12 11:15:00");
    row("seconds", "Europe/Prague", at(12, 9, 12, 0, 3), at(12, 9, 12, 0, 52), 5,
        "9.12 12:00:00,9.12 12:00:10,9.12 12:00:20,9.12 12:00:30,9.12 12:00:40,9.12 12:00:50,9.12 12:01:00");
    row("weeks from Monday", "Europe/Prague", at(12, 2, 0, 0), at(12, 30, 0, 0), 5,
        "30.11 00:00:00,7.12 00:00:00,14.12 00:00:00,21.12 00:00:00,28.12 00:00:00,4.1 00:00:00");
    row("months", "Europe/Prague", at(1, 15, 0, 0), at(6, 15, 0, 0), 6,
        "1.1 00:00:00,1.2 00:00:00,1.3 00:00:00,1.4 00:00:00,1.5 00:00:00,1.6 00:00:00,1.7 00:00:00");
  }
  void calendarTicks() {
    QFETCH(QString, zone);
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(int, maxTicks);
    QFETCH(QStringList, ticks);
    const QTimeZone tz(zone.toLatin1());
    QVERIFY(tz.isValid());
    const double lo = QDateTime(from.date(), from.time(), tz).toSecsSinceEpoch();
    const double hi = QDateTime(to.date(), to.time(), tz).toSecsSinceEpoch();
    QStringList shown;
    for (double key : CalendarTicks(lo, hi, ChooseCalendarStep(hi - lo, maxTicks), tz))
      shown << QDateTime::fromSecsSinceEpoch(qint64(key), tz).toString(QStringLiteral("d.M HH:mm:ss"));
    QCOMPARE(shown, ticks);
  }

  // On the chart, over the two days of the spring change, every tick is a round local hour of
  // the step and every label tells the time of day it stands at.
  void chartTicksOnLocalHours() {
    StationWindows w;
    w.main->LoadSettings();
    w.main->Form().PageControl1->setCurrentIndex(2);
    w.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    QCustomPlot* plot = w.main->Form().ChartVelky->Plot();
    plot->xAxis->setRange(ChartView::ToKey(QDateTime(kSpring.addDays(-1), QTime(0, 0))),
                          ChartView::ToKey(QDateTime(kSpring.addDays(1), QTime(0, 0))));
    plot->replot();
    const QVector<double> ticks = plot->xAxis->tickVector();
    QVERIFY(ticks.size() >= 4);
    const int stepHours = int(ticks[1] - ticks[0]) / 3600;
    QVERIFY(stepHours == 3 || stepHours == 6 || stepHours == 12);
    for (int i = 0; i < ticks.size(); ++i) {
      const QDateTime at = ChartView::FromKey(ticks[i]);
      QCOMPARE(at.time().minute(), 0);
      QCOMPARE(at.time().hour() % stepHours, 0);
      QVERIFY2(plot->xAxis->tickVectorLabels()[i].endsWith(at.toString(QStringLiteral("HH:mm"))),
               qPrintable(plot->xAxis->tickVectorLabels()[i]));
    }
  }

  // The chart's picture while ticks are far enough apart for it, a finer one when zoomed in.
  void tickPicture_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("picture");
    using U = CalendarStep::Unit;
    QTest::newRow("date, days") << "d.M.yyyy" << int(U::Day) << 1 << "d.M.yyyy";
    QTest::newRow("date, hours") << "d.M.yyyy" << int(U::Hour) << 6 << "d.M HH:mm";
    QTest::newRow("date, seconds") << "d.M.yyyy" << int(U::Second) << 10 << "d.M HH:mm:ss";
    QTest::newRow("time, minutes") << "HH:mm" << int(U::Minute) << 5 << "HH:mm";
    QTest::newRow("time, seconds") << "HH:mm" << int(U::Second) << 5 << "HH:mm:ss";
    QTest::newRow("time, days") << "HH:mm" << int(U::Day) << 1 << "d.M.yyyy";
    QTest::newRow("date and time, weeks") << "d.M HH:mm" << int(U::Week) << 1 << "d.M HH:mm";
  }
  void tickPicture() {
    QFETCH(QString, base);
    QFETCH(int, unit);
    QFETCH(int, count);
    QFETCH(QString, picture);
    QCOMPARE(TickPicture(base, CalendarStep{CalendarStep::Unit(unit), count}), picture);
  }

  // A step that does not go forward in time adds nothing (rows with the same CAS).
  void consumptionIgnoresStepsWithoutTime() {
    StationWindows w;
    const QString archive = w.Path(QStringLiteral("archiv"));
    QDir().mkdir(archive);
    WriteFileBytes(w.IniPath(), Cp1250::Encode(QStringLiteral("[ARCHIVACE]\r\nDatabaseDir=%1\r\n[OSTATNI]\r\n"
                                                              "UkazujSpotrebu=1\r\n[ANALOG_IN1]\r\nJednotkaIndex=2\r\n")
                                                   .arg(archive)));
    w.main->LoadSettings();
    WriteFileBytes(archive + QStringLiteral("/SA_20261208.csv"),
                   "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;10;0;0;0\r\n8.12.2026;10:00:00;20;0;0;0\r\n"
                   "8.12.2026;10:01:00;30;0;0;0\r\n");
    w.main->Form().dtpOd->setDate(QDate(2026, 12, 8));
    w.main->Form().dtpDo->setDate(QDate(2026, 12, 8));
    w.main->RangeChart().GenerujData();
    const QVector<QPointF> consumption = w.main->Form().ChartVelky->Points(w.main->RangeChart().Series(kConsumptionSeries));
    QCOMPARE(consumption.size(), 2);
    QCOMPARE(consumption[0].y(), 0.0);
    QCOMPARE(consumption[1].y(), 25.0);  // l/min: the plain mean, no time weight
  }
};

int main(int argc, char** argv) {
  qputenv("TZ", "Europe/Prague");
  tzset();
  QApplication app(argc, argv);
  TestClockChanges test;
  return QTest::qExec(&test, argc, argv);
}
#include "tst_clock_changes.moc"
