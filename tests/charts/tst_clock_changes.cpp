// The from-to chart across the clock changes of 2026 in a zone with summer time: 29.3. skips the
// hour 2:00-2:59, 25.10. repeats it. TZ is set before the application object exists.
#include <QApplication>
#include <QDir>
#include <QtTest>
#include <ctime>

#include "main_window/range_chart_page.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
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
      QVERIFY(AppendArchiveRow(dir.path(), ArchiveKind::Fast, times[i], QStringLiteral(";"), {double(i), 0, 0, 0}));
    const ArchiveFile file = ReadArchiveFile(dir.path() + QStringLiteral("/FA_20261025_02.csv"));
    QVERIFY2(file.error.isEmpty(), qPrintable(file.error));
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
    for (const QDateTime& t : times) QVERIFY(AppendArchiveRow(archive, archiveKind, t, QStringLiteral(";"), {10, 20, 30, 40}));
    const QDate first = day.addDays(-firstDayBefore);
    w.main->Form().dtpOd->setDateTime(QDateTime(first, fromTime));
    w.main->Form().dtpDo->setDateTime(QDateTime(day, QTime(0, 0)));
    w.main->RangeChart().GenerujData();
    QVERIFY(w.prompt->messages.isEmpty());

    ChartView* chart = w.main->Form().ChartVelky;
    const QVector<QPointF> flow = chart->Points(w.main->RangeChart().Series(5));
    QCOMPARE(flow.size(), points);
    for (int i = 0; i < points; ++i) QCOMPARE(flow[i].x(), double(times[i].toSecsSinceEpoch()));
    const QVector<QPointF> consumption = chart->Points(w.main->RangeChart().Series(9));
    QVERIFY(!consumption.isEmpty());
    for (int i = 1; i < consumption.size(); ++i) QVERIFY(consumption[i - 1].x() < consumption[i].x());
    QCOMPARE(consumption.last().y(), total);
    QCOMPARE(chart->DateTimeFormat(), format);
    const QString dates = firstDayBefore == 0
                              ? Regional::ShortDate(day)
                              : Regional::ShortDate(first) + QStringLiteral(" - ") + Regional::ShortDate(day);
    QCOMPARE(chart->ChartTitle(), QStringLiteral(" Měření %1 ").arg(dates));
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
    const QVector<QPointF> consumption = w.main->Form().ChartVelky->Points(w.main->RangeChart().Series(9));
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
