// The from-to reading of the archive without any window: this executable links the logic library
// only, so a widget in the logic breaks its build. Runs in a zone with summer time.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "history/range_history.h"
#include "history/range_presets.h"

namespace {
struct Collected : RangeSink {
  void Reserve(size_t) override {}
  void Add(int series, double x, double y) override { points[size_t(series)] << QPointF(x, y); }
  std::array<QList<QPointF>, kRangeSeriesCount> points;
};

RangeRequest Request(const QString& folder, int kind, const QDate& first, const QDate& last) {
  RangeRequest r;
  r.firstDay = first;
  r.lastDay = [last] { return last; };
  r.kind = kind;
  r.folder = folder;
  r.active = {true, true, true, true};
  r.consumption = true;
  r.consumptionInHours = true;
  return r;
}
}  // namespace

class TestHistory : public QObject {
  Q_OBJECT
  static QString Text(const DayRange& r) {
    return r.first.toString(QStringLiteral("d.M.yyyy")) + QLatin1Char('-') + r.last.toString(QStringLiteral("d.M.yyyy"));
  }
 private slots:
  // Autumn's repeated hour: every file once, points in real time, the consumption of 5.5 hours.
  void autumnChangeReadInRealTime() {
    QTemporaryDir dir;
    const QDate day(2026, 10, 25);
    QList<QDateTime> times;
    for (QDateTime t(day, QTime(0, 0)); t <= QDateTime(day, QTime(4, 30)); t = t.addSecs(1800)) times << t;
    QCOMPARE(times.size(), 12);
    for (const QDateTime& t : times) QVERIFY(AppendArchiveRow(dir.path(), ArchiveKind::Fast, t, QStringLiteral(";"), {10, 2, 3, 4}).IsOk());
    Collected sink;
    QList<int> progress;
    RangeHooks hooks;
    hooks.progress = [&](int read, int total) { progress << read << total; };
    QCOMPARE(ReadArchiveRange(Request(dir.path(), 1, day, day), hooks, sink).code, IoStatus::Code::Ok);
    QCOMPARE(sink.points[0].size(), 12);
    for (int i = 0; i < 12; ++i) QCOMPARE(sink.points[0][i].x(), double(times[i].toSecsSinceEpoch()));
    QCOMPARE(sink.points[kConsumptionSeries].size(), 7);  // the first row of each of five files adds no point
    QCOMPARE(sink.points[kConsumptionSeries].last().y(), 35.0);
    QCOMPARE(progress.mid(0, 2), (QList<int>{0, 5}));
    QCOMPARE(progress.mid(progress.size() - 2), (QList<int>{5, 5}));
  }

  // Pumps every 101 rows over the whole range; a cancel seen after a pump ends the reading.
  void pumpsAndCancel() {
    QTemporaryDir dir;
    const QDate day(2026, 12, 8);
    for (int hour = 0; hour < 3; ++hour)
      for (int s = 0; s < 150; ++s)
        AppendArchiveRow(dir.path(), ArchiveKind::Fast, QDateTime(day, QTime(hour, 0, s % 60).addSecs(60 * (s / 60))),
                         QStringLiteral(";"), {double(s), 0, 0, 0});
    Collected sink;
    int pumps = 0;
    RangeHooks hooks;
    hooks.pump = [&] { ++pumps; };
    QCOMPARE(ReadArchiveRange(Request(dir.path(), 1, day, day), hooks, sink).code, IoStatus::Code::Ok);
    QCOMPARE(pumps, 450 / 101);
    Collected cancelledSink;
    bool cancel = false;
    hooks.pump = [&] { cancel = true; };
    hooks.cancelled = [&] { return cancel; };
    QCOMPARE(ReadArchiveRange(Request(dir.path(), 1, day, day), hooks, cancelledSink).code, IoStatus::Code::Cancelled);
    QCOMPARE(cancelledSink.points[0].size(), 101);
  }

  // The files are listed once at the start, but the walk takes them as they are when it gets there:
  // one written meanwhile is read, one removed meanwhile is skipped.
  void filesChangingDuringTheWalk() {
    QTemporaryDir dir;
    const QDate day(2026, 12, 8);
    auto write = [&](int hour, int rows) {
      for (int s = 0; s < rows; ++s)
        AppendArchiveRow(dir.path(), ArchiveKind::Fast, QDateTime(day, QTime(hour, 0, s)), QStringLiteral(";"),
                         {double(hour), 0, 0, 0});
    };
    write(1, 150);
    write(2, 10);
    Collected sink;
    RangeHooks hooks;
    bool changed = false;
    hooks.pump = [&] {
      if (std::exchange(changed, true)) return;
      QFile::remove(ArchivePath(dir.path(), ArchiveFileName(ArchiveKind::Fast, day, 2)));
      write(5, 3);
    };
    QCOMPARE(ReadArchiveRange(Request(dir.path(), 1, day, day), hooks, sink).code, IoStatus::Code::Ok);
    QList<double> hours;
    for (const QPointF& p : sink.points[0])
      if (hours.isEmpty() || hours.last() != p.y()) hours << p.y();
    QCOMPARE(hours, (QList<double>{1, 5}));
    QCOMPARE(sink.points[0].size(), 153);
  }

  // A long range is listed with events running: a year holds 8,760 hours.
  void longRangeListedWithEventsRunning() {
    QTemporaryDir dir;
    const QDate last(2026, 12, 8);
    AppendArchiveRow(dir.path(), ArchiveKind::Fast, QDateTime(last, QTime(23, 0)), QStringLiteral(";"), {1, 2, 3, 4});
    Collected sink;
    RangeHooks hooks;
    int waits = 0;
    hooks.waiting = [&] { ++waits; };
    QCOMPARE(ReadArchiveRange(Request(dir.path(), 1, last.addDays(-364), last), hooks, sink).code, IoStatus::Code::Ok);
    QCOMPARE(sink.points[0].size(), 1);
    QVERIFY2(waits >= 8760 / 256, qPrintable(QString::number(waits)));
  }

  // A broken file ends the reading with its name, line and field; the points before it stay.
  void brokenFileFails() {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("SA_20261208.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;1;2;3;4\r\n8.12.2026;10:01:00;1,5;2;3;4\r\n");
    file.close();
    Collected sink;
    const QDate day(2026, 12, 8);
    const IoStatus read = ReadArchiveRange(Request(dir.path(), 0, day, day.addDays(1)), {}, sink);
    QCOMPARE(read.code, IoStatus::Code::BadContent);
    QCOMPARE(sink.points[0].size(), 1);
    QVERIFY2(read.text.startsWith(QStringLiteral("SA_20261208.csv, line 3: IN1")), qPrintable(read.text));
  }

  // Calendar presets around the autumn change and a year's end; "d.M.yyyy-d.M.yyyy" each.
  void presets_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("expected");  // in RangePreset's order
    QTest::newRow("Monday after the change")
        << QDate(2026, 10, 26)
        << QStringList{"26.10.2026-26.10.2026", "25.10.2026-25.10.2026", "26.10.2026-1.11.2026", "19.10.2026-25.10.2026",
                       "1.10.2026-31.10.2026", "1.9.2026-30.9.2026", "20.10.2026-26.10.2026", "27.9.2026-26.10.2026"};
    QTest::newRow("New Year's Day")
        << QDate(2027, 1, 1)
        << QStringList{"1.1.2027-1.1.2027", "31.12.2026-31.12.2026", "28.12.2026-3.1.2027", "21.12.2026-27.12.2026",
                       "1.1.2027-31.1.2027", "1.12.2026-31.12.2026", "26.12.2026-1.1.2027", "3.12.2026-1.1.2027"};
  }
  void presets() {
    QFETCH(QDate, today);
    QFETCH(QStringList, expected);
    QStringList ranges;
    for (int p = 0; p < kRangePresetCount; ++p) ranges << Text(PresetRange(RangePreset(p), today));
    QCOMPARE(ranges, expected);
  }

  // "◀"/"▶": by the range's own length; calendar months by months, whatever their lengths.
  void steps_data() {
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("expected");
    QTest::newRow("January to February") << QDate(2027, 1, 1) << QDate(2027, 1, 31) << 1 << "1.2.2027-28.2.2027";
    QTest::newRow("February to January") << QDate(2027, 2, 1) << QDate(2027, 2, 28) << -1 << "1.1.2027-31.1.2027";
    QTest::newRow("two months over the year's end") << QDate(2026, 11, 1) << QDate(2026, 12, 31) << 1 << "1.1.2027-28.2.2027";
    QTest::newRow("week over a month's end") << QDate(2026, 10, 26) << QDate(2026, 11, 1) << -1 << "19.10.2026-25.10.2026";
    QTest::newRow("half a month by its days") << QDate(2027, 1, 15) << QDate(2027, 1, 31) << 1 << "1.2.2027-17.2.2027";
    QTest::newRow("the 25-hour day") << QDate(2026, 10, 24) << QDate(2026, 10, 24) << 1 << "25.10.2026-25.10.2026";
  }
  void steps() {
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(int, direction);
    QFETCH(QString, expected);
    QCOMPARE(Text(StepRange({first, last}, direction)), expected);
  }

  // The period before laid over this one by local day and time: a week by a week across the autumn
  // change, January onto February (its 29th to 31st dropped), nothing past this period's end.
  void periodShift_data() {
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QStringList>("mapped");  // "before -> onto", local "d.M. H:mm", "-" dropped
    QTest::newRow("week over the change")
        << QDate(2026, 10, 26) << QDate(2026, 11, 1)
        << QStringList{"19.10. 0:00 -> 26.10. 0:00", "25.10. 12:00 -> 1.11. 12:00", "25.10. 23:59 -> 1.11. 23:59"};
    // A time the spring day skips has no place; the rest keep their time of day.
    QTest::newRow("week onto the spring change")
        << QDate(2026, 3, 23) << QDate(2026, 3, 29)
        << QStringList{"22.3. 1:30 -> 29.3. 1:30", "22.3. 2:30 -> -", "22.3. 3:30 -> 29.3. 3:30", "22.3. 23:30 -> 29.3. 23:30"};
    QTest::newRow("February against January")
        << QDate(2027, 2, 1) << QDate(2027, 2, 28)
        << QStringList{"1.1. 6:00 -> 1.2. 6:00", "28.1. 23:00 -> 28.2. 23:00", "29.1. 1:00 -> -", "31.1. 12:00 -> -"};
  }
  void periodShift() {
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QStringList, mapped);
    const DayRange shown{first, last};
    PeriodShift shift(StepRange(shown, -1), shown);
    for (const QString& pair : mapped) {
      const QString from = pair.section(QStringLiteral(" -> "), 0, 0), to = pair.section(QStringLiteral(" -> "), 1);
      const QDateTime at = QDateTime::fromString(from + QString::number(first.addDays(-1).year()), QStringLiteral("d.M. H:mmyyyy"));
      const std::optional<double> key = shift.Map(double(at.toSecsSinceEpoch()));
      QCOMPARE(key ? QDateTime::fromSecsSinceEpoch(qint64(*key)).toString(QStringLiteral("d.M. H:mm")) : QStringLiteral("-"), to);
    }
  }

  // The hour repeated in autumn is laid over once: its first pass onto the time of day, its second
  // dropped (the keys stay strictly ascending); onto a 25-hour day, the first pass takes the place.
  void periodShiftOverTheRepeatedHour() {
    const QTimeZone utc = QTimeZone::utc();
    const auto key = [&](int hour, int minute) { return double(QDateTime(QDate(2026, 10, 25), QTime(hour, minute), utc).toSecsSinceEpoch()); };
    PeriodShift from({QDate(2026, 10, 19), QDate(2026, 10, 25)}, {QDate(2026, 10, 26), QDate(2026, 11, 1)});
    const std::optional<double> first = from.Map(key(0, 30)), second = from.Map(key(1, 30)), after = from.Map(key(2, 30));
    QCOMPARE(first, double(QDateTime(QDate(2026, 11, 1), QTime(2, 30)).toSecsSinceEpoch()));
    QVERIFY(!second);
    QCOMPARE(after, double(QDateTime(QDate(2026, 11, 1), QTime(3, 30)).toSecsSinceEpoch()));
    PeriodShift onto({QDate(2026, 10, 12), QDate(2026, 10, 18)}, {QDate(2026, 10, 19), QDate(2026, 10, 25)});
    QCOMPARE(onto.Map(double(QDateTime(QDate(2026, 10, 18), QTime(2, 30)).toSecsSinceEpoch())), key(0, 30));
  }

  // Australia/Lord_Howe turns its clock back half an hour (5.4.2026, 2:00 back to 1:30): the rows
  // of that half hour keep their real instants, strictly ascending, in the hourly and the daily file.
  void halfHourRepeatedByTheClock_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("fast") << "FA_20260405_01.csv";
    QTest::newRow("slow") << "SA_20260405.csv";
  }
  void halfHourRepeatedByTheClock() {
    QFETCH(QString, file);
    qputenv("TZ", "Australia/Lord_Howe");
    tzset();
    const auto backToPrague = qScopeGuard([] {
      qputenv("TZ", "Europe/Prague");
      tzset();
    });
    QByteArray text = "DATUM;CAS;IN1;IN2;IN3;IN4\r\n";
    QList<double> expected;
    for (int step = 0; step < 9; ++step) {  // every 10 minutes from 14:00 UTC
      const QDateTime utc(QDate(2026, 4, 4), QTime(14, 0).addSecs(600 * step), QTimeZone::utc());
      text += utc.toLocalTime().toString(QStringLiteral("d.M.yyyy;H:mm:ss")).toLatin1() + ";1;2;3;4\r\n";
      expected << double(utc.toSecsSinceEpoch());
    }
    QVERIFY(text.contains("5.4.2026;1:50:00;1;2;3;4\r\n5.4.2026;1:30:00;"));  // the zone repeats half an hour
    const ArchiveFile read = ParseArchive(text, file);
    QVERIFY2(read.status.IsOk(), qPrintable(read.status.text));
    QList<double> keys;
    for (const ArchiveRow& row : read.rows) keys << row.key;
    QCOMPARE(keys, expected);
  }

  void findArchiveFile_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<QString>("name");
    QTest::newRow("fast, there") << 1 << QDate(2026, 3, 29) << 1 << "FA_20260329_01.csv";
    QTest::newRow("fast, the skipped spring hour") << 1 << QDate(2026, 3, 29) << 2 << "0";
    QTest::newRow("slow, there") << 0 << QDate(2026, 3, 29) << 0 << "SA_20260329.csv";
    QTest::newRow("slow, missing day") << 0 << QDate(2026, 3, 30) << 0 << "0";
    QTest::newRow("unknown kind") << 2 << QDate(2026, 3, 29) << 1 << "0";
    QTest::newRow("no day") << 1 << QDate() << 1 << "0";
  }
  void findArchiveFile() {
    QFETCH(int, kind);
    QFETCH(QDate, day);
    QFETCH(int, hour);
    QFETCH(QString, name);
    QTemporaryDir dir;
    for (int h : {1, 3}) AppendArchiveRow(dir.path(), ArchiveKind::Fast, QDateTime(QDate(2026, 3, 29), QTime(h, 0)), QStringLiteral(";"), {});
    AppendArchiveRow(dir.path(), ArchiveKind::Slow, QDateTime(QDate(2026, 3, 29), QTime(1, 0)), QStringLiteral(";"), {});
    QCOMPARE(FindArchiveFile(dir.path(), kind, day, hour), name);
  }
};

int main(int argc, char** argv) {
  qputenv("TZ", "Europe/Prague");
  tzset();
  QCoreApplication app(argc, argv);
  TestHistory test;
  return QTest::qExec(&test, argc, argv);
}
#include "tst_history.moc"
