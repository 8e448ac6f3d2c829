// The consumption ledger's rules, with values worked out by hand. Runs in Europe/Prague (see CMake).
#include <QProcess>
#include <QtTest>
#include <functional>

#include "archive/archive_writer.h"
#include "config/settings_file.h"
#include "config/settings_schema.h"
#include "ledger/ledger.h"
#include "series/series_span.h"
#include "ledger/ledger_cache.h"
#include "ledger/ledger_source.h"
#include "support/core_fixture.h"

namespace {
using Values = std::array<double, kInputCount>;
using Flow = std::function<Values(const QTime&)>;

qint64 At(const QDate& day, const QTime& time) {
  return QDateTime(day, time).toSecsSinceEpoch();
}

// A row every `step` seconds from `from` to `to` (both included) of one day.
std::vector<ArchiveRow> Rows(const QDate& day, const QTime& from, const QTime& to, int step,
                             const Flow& flow) {
  std::vector<ArchiveRow> rows;
  for (int s = from.msecsSinceStartOfDay() / 1000; s <= to.msecsSinceStartOfDay() / 1000; s += step) {
    const QTime time = QTime(0, 0).addSecs(s);
    rows.push_back({double(At(day, time)), s, flow(time)});
  }
  return rows;
}

Flow Constant(double flow) {
  return [flow](const QTime&) { return Values{flow, 20, 2, 7}; };
}

LedgerOptions Options(qint64 gap = 60) {
  LedgerOptions o;
  o.active = {true, true, true, true};
  o.perSecond = 1.0 / 3600;
  o.unit = QStringLiteral("Nm³");
  o.gap = gap;
  o.shiftStarts = {6 * 3600, 14 * 3600, 22 * 3600};
  o.productionDays = {1, 2, 3, 4, 5};
  return o;
}

const qint64 kLater = At(QDate(2027, 6, 1), QTime(0, 0));  // "now", after every range

// The CSV as lines of fields; Field(csv, line, "COLUMN").
QList<QStringList> Table(const QByteArray& csv) {
  QList<QStringList> lines;
  for (const QString& line : QString::fromUtf8(csv).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
    lines << line.split(QLatin1Char(';'));
  return lines;
}
QString Field(const QList<QStringList>& table, int line, const char* column) {
  return table[line + 1][table[0].indexOf(QLatin1String(column))];
}
}  // namespace

class TestLedger : public QObject {
  Q_OBJECT

 private slots:
  // An hour of a constant 36 (rows every minute, 0:00 to 1:00) in each unit of input 1.
  void consumptionPerUnit_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("diameter");
    QTest::addColumn<QString>("consumption");
    QTest::addColumn<QString>("unitText");
    QTest::newRow("Nm³/h") << int(kNormalCubicMetresPerHour) << 0.0 << "36.0000"
                           << "Nm³";
    QTest::newRow("kg/h") << int(kKilogramsPerHour) << 0.0 << "36.0000"
                          << "kg";
    QTest::newRow("l/min") << int(kLitresPerMinute) << 0.0 << "2160.0000"
                           << "l";
    QTest::newRow("m/s, 100 mm") << int(kMetresPerSecond) << 100.0 << "1017.8760"
                                 << "m³";  // 36 π 0.1² / 4 3600
    QTest::newRow("m/s, no diameter") << int(kMetresPerSecond) << 0.0 << ""
                                      << "";
  }
  void consumptionPerUnit() {
    QFETCH(int, unit);
    QFETCH(double, diameter);
    QFETCH(QString, consumption);
    QFETCH(QString, unitText);
    AppSettings s;
    SetDefaultSettings(s);
    s.Channel(1).JednotkaIndex = unit;
    s.Ledger.PipeDiameter = diameter;
    s.Ledger.Price = 2;
    LedgerOptions o;
    QString why;
    QVERIFY(LedgerOptionsOf(s, ArchiveKind::Fast, &o, &why));
    const QDate day(2026, 12, 8);
    const auto t = Table(LedgerCsv(ComputeLedger(Rows(day, QTime(0, 0), QTime(1, 0), 60, Constant(36)), o,
                                                 LedgerPeriod::Hour, day, day, kLater)));
    QCOMPARE(Field(t, 0, "CONSUMPTION"), consumption);
    QCOMPARE(Field(t, 0, "UNIT"), unitText);
    QCOMPARE(Field(t, 0, "CURRENCY"), consumption.isEmpty() ? QString() : QStringLiteral("Kč"));
    QCOMPARE(Field(t, 0, "COST"), consumption.isEmpty() ? QString() : Fixed(consumption.toDouble() * 2));
    QCOMPARE(Field(t, 0, "COVERAGE"), QStringLiteral("100.00"));
  }

  // Local calendar periods: their count, and where one starts and ends.
  void periods_data() {
    QTest::addColumn<int>("period");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    const QDate autumn(2026, 10, 25), spring(2026, 3, 29);
    QTest::newRow("25-hour day") << int(LedgerPeriod::Hour) << autumn << autumn << 25 << 3
                                 << "25.10.2026 2:00:00 +01:00"
                                 << "25.10.2026 3:00:00 +01:00";
    QTest::newRow("repeated hour, first pass")
        << int(LedgerPeriod::Hour) << autumn << autumn << 25 << 2 << "25.10.2026 2:00:00 +02:00"
        << "25.10.2026 2:00:00 +01:00";
    QTest::newRow("23-hour day") << int(LedgerPeriod::Hour) << spring << spring << 23 << 2
                                 << "29.3.2026 3:00:00 +02:00"
                                 << "29.3.2026 4:00:00 +02:00";
    QTest::newRow("day of 25 hours") << int(LedgerPeriod::Day) << autumn << autumn << 1 << 0
                                     << "25.10.2026 0:00:00 +02:00"
                                     << "26.10.2026 0:00:00 +01:00";
    QTest::newRow("shift over midnight") << int(LedgerPeriod::Shift) << QDate(2026, 12, 8)
                                         << QDate(2026, 12, 9) << 7 << 3 << "8.12.2026 22:00:00 +01:00"
                                         << "9.12.2026 6:00:00 +01:00";
    QTest::newRow("first shift cut to the range")
        << int(LedgerPeriod::Shift) << QDate(2026, 12, 8) << QDate(2026, 12, 8) << 4 << 0
        << "8.12.2026 0:00:00 +01:00"
        << "8.12.2026 6:00:00 +01:00";
    QTest::newRow("week across a month") << int(LedgerPeriod::Week) << QDate(2026, 11, 25)
                                         << QDate(2026, 12, 8) << 3 << 1 << "30.11.2026 0:00:00 +01:00"
                                         << "7.12.2026 0:00:00 +01:00";
    QTest::newRow("months of a week") << int(LedgerPeriod::Month) << QDate(2026, 11, 30) << QDate(2026, 12, 6)
                                      << 2 << 1 << "1.12.2026 0:00:00 +01:00"
                                      << "7.12.2026 0:00:00 +01:00";
    QTest::newRow("years") << int(LedgerPeriod::Year) << QDate(2026, 12, 30) << QDate(2027, 1, 2) << 2 << 0
                           << "30.12.2026 0:00:00 +01:00"
                           << "1.1.2027 0:00:00 +01:00";
  }
  void periods() {
    QFETCH(int, period);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(int, count);
    QFETCH(int, line);
    QFETCH(QString, from);
    QFETCH(QString, to);
    const auto t = Table(LedgerCsv(ComputeLedger({}, Options(), LedgerPeriod(period), first, last, kLater)));
    QCOMPARE(t.size(), count + 2);  // the header and TOTAL
    QCOMPARE(Field(t, line, "FROM"), from);
    QCOMPARE(Field(t, line, "TO"), to);
    QCOMPARE(Field(t, count, "FROM"), QStringLiteral("TOTAL"));
    QCOMPARE(Field(t, 0, "CONSUMPTION"), QStringLiteral("0.0000"));  // nothing integrated
    QCOMPARE(Field(t, 0, "COVERAGE"), QStringLiteral("0.00"));
    QCOMPARE(Field(t, 0, "IN1_MEAN"), QString());
  }

  // Steps split at boundaries on the straight line; gaps and steps back are missing time.
  void integration_data() {
    QTest::addColumn<QList<qint64>>("times");  // seconds after 8.12.2026 23:00
    QTest::addColumn<QList<double>>("flows");
    QTest::addColumn<qint64>("gap");
    QTest::addColumn<QStringList>("expected");  // CONSUMPTION and COVERAGE of the two days, then TOTAL's
    // 23:30 at 0, 0:30 at 60: 7.5 on the first day (0 to 30 for half an hour), 22.5 on the second.
    QTest::newRow("ramp across midnight")
        << QList<qint64>{1800, 5400} << QList<double>{0, 60} << qint64(3600)
        << QStringList{"7.5000", "2.08", "22.5000", "2.08", "30.0000", "2.08"};
    QTest::newRow("gap longer than the limit")
        << QList<qint64>{1800, 5400} << QList<double>{0, 60} << qint64(3599)
        << QStringList{"0.0000", "0.00", "0.0000", "0.00", "0.0000", "0.00"};
    QTest::newRow("a step back adds nothing")
        << QList<qint64>{1800, 1700, 1800} << QList<double>{36, 36, 36} << qint64(3600)
        << QStringList{"1.0000", "0.12", "0.0000", "0.00", "1.0000", "0.06"};
  }
  void integration() {
    QFETCH(QList<qint64>, times);
    QFETCH(QList<double>, flows);
    QFETCH(qint64, gap);
    QFETCH(QStringList, expected);
    const qint64 base = At(QDate(2026, 12, 8), QTime(23, 0));
    std::vector<ArchiveRow> rows;
    for (qsizetype i = 0; i < times.size(); ++i)
      rows.push_back({double(base + times[i]), 0, {flows[i], 20, 2, 7}});
    const auto t = Table(LedgerCsv(ComputeLedger(rows, Options(gap), LedgerPeriod::Day, QDate(2026, 12, 8),
                                                 QDate(2026, 12, 9), kLater)));
    QStringList got;
    for (int line : {0, 1, 2}) got << Field(t, line, "CONSUMPTION") << Field(t, line, "COVERAGE");
    QCOMPARE(got, expected);
  }

  // Between two chart cursors the flow integrates as the ledger does: at hour boundaries it gives
  // the ledger's hours, across a gap and cut mid-step alike; the values at the cursors lie on the
  // line, none in a gap.
  void cursorSpanIsTheLedgersRule() {
    const QDate day(2026, 12, 8);
    std::vector<ArchiveRow> rows;
    CompactSeries line;
    for (int s = 0; s <= 4 * 3600; s += 70) {
      if (s > 2 * 3600 + 600 && s < 2 * 3600 + 1500) continue;  // 15 minutes missing: a gap
      const double flow = 30 + (s / 70) % 11 * 3.5;
      rows.push_back({double(At(day, QTime(0, 0)) + s), s, {flow, 20, 2, 7}});
      line.Append(rows.back().key, flow);
    }
    const Ledger hours = ComputeLedger(rows, Options(120), LedgerPeriod::Hour, day, day, kLater);
    for (int h = 0; h < 4; ++h) {
      const SeriesSpan span = SpanBetween(line, double(At(day, QTime(h, 0))), double(At(day, QTime(h + 1, 0))), 60 * 2);
      QVERIFY2(qAbs(span.integral / 3600 - hours.lines[h].consumption) < 1e-9,
               qPrintable(QStringLiteral("%1:00 %2 %3").arg(h).arg(span.integral / 3600).arg(hours.lines[h].consumption)));
    }
    // Cut between rows: the two parts add up to the whole; a cursor in the gap has no value.
    const double a = double(At(day, QTime(0, 10, 13))), m = double(At(day, QTime(1, 47, 31))), b = double(At(day, QTime(3, 3, 3)));
    const SeriesSpan whole = SpanBetween(line, a, b, 140), left = SpanBetween(line, a, m, 140), right = SpanBetween(line, m, b, 140);
    QVERIFY(qAbs(left.integral + right.integral - whole.integral) < 1e-6);
    QVERIFY(left.atB && right.atA && *left.atB == *right.atA && *left.atB > 30 && *left.atB < 65);
    // Cursor 2 before cursor 1: each keeps its own value, the span is the same.
    const SeriesSpan backwards = SpanBetween(line, b, a, 140);
    QCOMPARE(backwards.atA, whole.atB);
    QCOMPARE(backwards.atB, whole.atA);
    QCOMPARE(backwards.integral, whole.integral);
    QVERIFY(!SpanBetween(line, double(At(day, QTime(2, 15))), b, 140).atA);
    QCOMPARE(*whole.min, 30.0);
    QCOMPARE(*whole.max, 30 + 10 * 3.5);
  }

  // The baseline is the quietest hour wholly outside production, starting at a row, with no missing
  // time. Monday 7.12.2026, production 6:00-22:00: 20 until 5:00, 8 from 5:00, 30 from 6:00, 9
  // from 22:00. The hour 5:00-6:00 touches production's start and counts: 8 Nm³/h over 24 hours.
  void leakage_data() {
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("leak");
    QTest::newRow("hour ending at production's start") << "6:00-22:00"
                                                       << "192.0000";
    QTest::newRow("production from 5:30") << "5:30-22:00"
                                          << "216.0000";  // 9 from 22:00
    QTest::newRow("production all day") << "0:00-0:00"
                                        << "";
  }
  void leakage() {
    QFETCH(QString, hours);
    QFETCH(QString, leak);
    const QDate monday(2026, 12, 7);
    const auto rows = Rows(monday, QTime(0, 0), QTime(23, 59), 60, [](const QTime& t) {
      const double flow = t < QTime(5, 0) ? 20 : t < QTime(6, 0) ? 8 : t < QTime(22, 0) ? 30 : 9;
      return Values{flow, 20, 2, 7};
    });
    LedgerOptions o = Options();
    o.productionHours = *ParseClockSpan(hours);
    const Ledger ledger = ComputeLedger(rows, o, LedgerPeriod::Day, monday, monday, kLater);
    const auto t = Table(LedgerCsv(ledger));
    QCOMPARE(Field(t, 0, "LEAK"), leak);
    QCOMPARE(Field(t, 1, "LEAK"), leak);  // TOTAL
    if (!leak.isEmpty())
      QCOMPARE(Field(t, 0, "LEAK_SHARE"), Fixed(leak.toDouble() / ledger.lines[0].consumption * 100, 2));
    // Hour lines leave it to the TOTAL line.
    const auto hourly = Table(LedgerCsv(ComputeLedger(rows, o, LedgerPeriod::Hour, monday, monday, kLater)));
    QCOMPARE(Field(hourly, 5, "LEAK"), QString());
    QCOMPARE(Field(hourly, 24, "LEAK"), leak);
  }

  // The baseline counts for the day's real length: 25 hours in autumn, 23 in spring, and the time so
  // far on the running day. Weekends (no production) at 20 Nm³/h but 8 from 4:00 to 5:00.
  void leakageOverTheDaysLength_data() {
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QTime>("now");  // invalid: the day is over
    QTest::addColumn<QString>("leak");
    QTest::newRow("25-hour day") << QDate(2026, 10, 25) << QTime() << "200.0000";
    QTest::newRow("23-hour day") << QDate(2026, 3, 29) << QTime() << "184.0000";
    QTest::newRow("the running day") << QDate(2026, 12, 12) << QTime(12, 0) << "96.0000";
  }
  void leakageOverTheDaysLength() {
    QFETCH(QDate, day);
    QFETCH(QTime, now);
    QFETCH(QString, leak);
    const qint64 begin = At(day, QTime(0, 0));
    const qint64 end = now.isValid() ? At(day, now) : At(day.addDays(1), QTime(0, 0));
    std::vector<ArchiveRow> rows;
    for (qint64 t = begin; t < end; t += 60) {
      const QTime local = QDateTime::fromSecsSinceEpoch(t).time();
      rows.push_back({double(t), local.msecsSinceStartOfDay() / 1000, {local.hour() == 4 ? 8.0 : 20.0, 20, 2, 7}});
    }
    const auto t = Table(LedgerCsv(ComputeLedger(rows, Options(), LedgerPeriod::Day, day, day, now.isValid() ? end : kLater)));
    QCOMPARE(Field(t, 0, "LEAK"), leak);
  }

  // A leakage larger than the day's consumption is capped at it: a Saturday at a constant 10 whose
  // last minute is missing (no row at midnight) used 239.8333 but idled at 10 for 24 hours.
  void leakageCappedAtConsumption() {
    const QDate saturday(2026, 12, 12);
    const auto t = Table(LedgerCsv(ComputeLedger(Rows(saturday, QTime(0, 0), QTime(23, 59), 60, Constant(10)),
                                                 Options(), LedgerPeriod::Day, saturday, saturday, kLater)));
    QCOMPARE(Field(t, 0, "CONSUMPTION"), QStringLiteral("239.8333"));
    QCOMPARE(Field(t, 0, "LEAK"), QStringLiteral("239.8333"));
    QCOMPARE(Field(t, 0, "LEAK_SHARE"), QStringLiteral("100.00"));
  }

  // The dew point on input 3 above class 4's +3 °C: 1 → 5 → 1 every 10 minutes crosses at 0:05
  // and 0:15, so 600 of the 1200 covered seconds lie above.
  void dewPointAboveItsClass() {
    const QDate day(2026, 12, 8);
    const std::vector<ArchiveRow> rows{{double(At(day, QTime(0, 0))), 0, {36, 20, 1, 7}},
                                       {double(At(day, QTime(0, 10))), 600, {36, 20, 5, 7}},
                                       {double(At(day, QTime(0, 20))), 1200, {36, 20, 1, 7}}};
    LedgerOptions o = Options(3600);
    o.dewPointLimit = 3;
    auto t = Table(LedgerCsv(ComputeLedger(rows, o, LedgerPeriod::Hour, day, day, kLater)));
    QCOMPARE(Field(t, 0, "DEWPOINT_ABOVE_S"), QStringLiteral("600.0000"));
    QCOMPARE(Field(t, 0, "DEWPOINT_ABOVE_PCT"), QStringLiteral("50.00"));
    QCOMPARE(Field(t, 0, "DEWPOINT_MAX"), QStringLiteral("5.0000"));
    QCOMPARE(Field(t, 0, "IN3_MEAN"), QStringLiteral("2.3333"));
    o.dewPointLimit.reset();
    t = Table(LedgerCsv(ComputeLedger(rows, o, LedgerPeriod::Hour, day, day, kLater)));
    QCOMPARE(Field(t, 0, "DEWPOINT_ABOVE_S"), QString());
    // A crossing inside one step, not halfway: -30 -> -15 °C over an hour against -20 °C is above
    // for the last third.
    const std::vector<ArchiveRow> asymmetric{{double(At(day, QTime(0, 0))), 0, {36, 20, -30, 7}},
                                             {double(At(day, QTime(1, 0))), 3600, {36, 20, -15, 7}}};
    o.dewPointLimit = -20;
    t = Table(LedgerCsv(ComputeLedger(asymmetric, o, LedgerPeriod::Day, day, day, kLater)));
    QCOMPARE(Field(t, 0, "DEWPOINT_ABOVE_S"), QStringLiteral("1200.0000"));
    // A tiny negative mean is printed as zero, never "-0.0000".
    const std::vector<ArchiveRow> nearZero{{double(At(day, QTime(0, 0))), 0, {36, -0.00001, 2, 7}},
                                           {double(At(day, QTime(0, 1))), 60, {36, -0.00002, 2, 7}}};
    t = Table(LedgerCsv(ComputeLedger(nearZero, o, LedgerPeriod::Day, day, day, kLater)));
    QCOMPARE(Field(t, 0, "IN2_MEAN"), QStringLiteral("0.0000"));
  }

  // Inactive inputs have no statistics; input 1 inactive has no consumption; a period after now has
  // no coverage and the current one counts up to now, even where rows run ahead of the clock.
  void inactiveInputsAndNow() {
    const QDate day(2026, 12, 8);
    LedgerOptions o = Options();
    o.active = {false, true, false, true};
    o.perSecond.reset();
    const qint64 now = At(day, QTime(0, 30));
    const auto t = Table(LedgerCsv(ComputeLedger(Rows(day, QTime(0, 0), QTime(0, 50), 60, Constant(36)), o,
                                                 LedgerPeriod::Hour, day, day, now)));
    QCOMPARE(Field(t, 0, "CONSUMPTION"), QString());
    QCOMPARE(Field(t, 0, "UNIT"), QString());
    QCOMPARE(Field(t, 0, "IN1_MIN"), QString());
    QCOMPARE(Field(t, 0, "IN2_MAX"), QStringLiteral("20.0000"));
    QCOMPARE(Field(t, 0, "COVERAGE"), QStringLiteral("100.00"));  // half an hour of half an hour, not 50 minutes
    QCOMPARE(Field(t, 1, "COVERAGE"), QString());
  }

  // Summaries of unchanged files are taken from the cache, for any period; a changed file (same
  // size, newer) and a damaged cache are read again; the CSV is always that of a read from nothing.
  void cacheKeepsUnchangedFiles_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("filesRead");
    QTest::newRow("unchanged") << "" << int(LedgerPeriod::Day) << 0;
    QTest::newRow("another period") << "" << int(LedgerPeriod::Hour) << 0;
    // A changed file is read with the file before it (whose windows reached it) and the one after
    // it (which ends its windows).
    QTest::newRow("last file rewritten") << "FA_20261208_03.csv" << int(LedgerPeriod::Day) << 2;
    QTest::newRow("first file rewritten") << "FA_20261208_00.csv" << int(LedgerPeriod::Day) << 2;
    QTest::newRow("middle file rewritten") << "FA_20261208_01.csv" << int(LedgerPeriod::Day) << 3;
    QTest::newRow("cache damaged") << "damage" << int(LedgerPeriod::Day) << 4;
  }
  void cacheKeepsUnchangedFiles() {
    QFETCH(QString, change);
    QFETCH(int, period);
    QFETCH(int, filesRead);
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    const QDate day(2026, 12, 8);  // a Tuesday: the night is no production time
    AppSettings s;
    SetDefaultSettings(s);
    s.DatabaseDir = dir.filePath(QStringLiteral("archiv"));
    for (int minute = 0; minute < 240; ++minute)
      AppendArchiveRow(s.DatabaseDir, ArchiveKind::Fast, QDateTime(day, QTime(0, 0).addSecs(60 * minute)),
                       QStringLiteral(";"), {double(30 + minute % 7), 20, 2, 7});
    const auto build = [&] {
      return BuildArchiveLedger(s, std::nullopt, LedgerPeriod(period), day, day, kLater);
    };
    QCOMPARE(build().filesRead, 4);
    if (change.endsWith(QLatin1String(".csv"))) {
      const QString path = s.DatabaseDir + QLatin1Char('/') + change;
      QByteArray bytes = ReadFileBytes(path);
      bytes.replace(";30.0000;", ";99.0000;");  // input 1, same size
      const QDateTime modified = QFileInfo(path).lastModified();
      WriteFileBytes(path, bytes);
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadWrite) &&
              file.setFileTime(modified.addSecs(1), QFileDevice::FileModificationTime));
    } else if (change == QLatin1String("damage")) {
      const QFileInfoList caches = QDir(LedgerCacheFolder()).entryInfoList(QDir::Files);
      QCOMPARE(caches.size(), 1);
      QByteArray bytes = ReadFileBytes(caches[0].filePath());
      bytes.resize(bytes.size() / 2);
      WriteFileBytes(caches[0].filePath(), bytes + QByteArray(64, '\xff'));
    }
    const ArchiveLedger again = build();
    QCOMPARE(again.filesRead, filesRead);
    QVERIFY(again.filesRead + again.filesSummed >= 4);
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("empty")).toUtf8());
    const ArchiveLedger fresh = build();
    QCOMPARE(fresh.filesRead, 4);
    QCOMPARE(LedgerCsv(*again.ledger), LedgerCsv(*fresh.ledger));
    if (change.endsWith(QLatin1String(".csv")))
      QVERIFY(Field(Table(LedgerCsv(*again.ledger)), 0, "IN1_MAX") == QStringLiteral("99.0000"));
  }

  // The program: the same CSV as the computation over the files, a rejected file named on standard
  // error and its time missing; bad arguments exit 2.
  // A ledger setting that would make every line wrong is refused, naming its key.
  void settingsRefusedByKey_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("Shifts") << "Shifts" << "6:00,25:00";
    QTest::newRow("GapFast 0") << "GapFast" << "0";
    QTest::newRow("GapSlow negative") << "GapSlow" << "-5";
    QTest::newRow("Price negative") << "Price" << "-1.5";
    QTest::newRow("PipeDiameter negative") << "PipeDiameter" << "-100";
    QTest::newRow("DewPointClass 9") << "DewPointClass" << "9";
    QTest::newRow("DewPointClass 6") << "DewPointClass" << "";  // the highest class is taken
  }
  void settingsRefusedByKey() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("k.ini"));
    WriteFileBytes(ini, "[LEDGER]\r\n" + key.toUtf8() + '=' + (value.isEmpty() ? "6" : value.toUtf8()) + "\r\n");
    AppSettings s;
    PlainIntervals timers;
    SettingsSchema::ReadAll(SettingsFile(ini), s, timers, [](const std::exception&) {});
    LedgerOptions o;
    QString why;
    QCOMPARE(LedgerOptionsOf(s, ArchiveKind::Fast, &o, &why), value.isEmpty());
    if (!value.isEmpty()) QVERIFY2(why.startsWith(QStringLiteral("[LEDGER] %1=%2: ").arg(key, value)), qPrintable(why));
  }

  void programWritesTheLedger_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("ledger") << QStringList{"--from", "2026-12-08", "--to", "2026-12-08", "--period", "hour"}
                            << 0;
    QTest::newRow("bad period") << QStringList{"--from",     "2026-12-08", "--to",
                                               "2026-12-08", "--period",   "minute"}
                                << 2;
    QTest::newRow("bad day") << QStringList{"--from", "8.12.2026", "--to", "2026-12-08", "--period", "day"}
                             << 2;
    QTest::newRow("to before from") << QStringList{"--from",     "2026-12-09", "--to",
                                                   "2026-12-08", "--period",   "day"}
                                    << 2;
    // Laying out every hour of ten thousand years would exhaust the memory.
    QTest::newRow("ten thousand years") << QStringList{"--from",     "0001-01-01", "--to",
                                                       "9999-12-31", "--period",   "year"}
                                        << 2;
    QTest::newRow("unknown option") << QStringList{"--from", "2026-12-08", "--to", "2026-12-08", "--colour"} << 2;
  }
  void programWritesTheLedger() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("archiv"));
    const QDate day(2026, 12, 8);
    for (int minute = 0; minute < 120; ++minute)
      AppendArchiveRow(archive, ArchiveKind::Fast, QDateTime(day, QTime(0, 0).addSecs(60 * minute)),
                       QStringLiteral(";"), {36, 20, 2, 7});
    WriteFileBytes(archive + QStringLiteral("/FA_20261208_05.csv"),
                   "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;5:00:00;abc;2;3;4\r\n");
    const QString ini = dir.filePath(QStringLiteral("k.ini"));
    WriteFileBytes(ini,
                   "[AD4ETH]\r\nIP=127.0.0.1\r\n[ARCHIVACE]\r\nDatabaseDir=" + archive.toUtf8() + "\r\n");
    QProcess report;
    // As under cron or systemd: standard error is for the program's own messages.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    report.setProcessEnvironment(env);
    report.start(
        qEnvironmentVariable("KESTRILON_BINARY_DIR") + QStringLiteral("/kestrilon-report"),
        QStringList{QStringLiteral("ledger")} + arguments + QStringList{QStringLiteral("--settings"), ini});
    QVERIFY(report.waitForFinished(30000));
    QCOMPARE(report.exitCode(), exitCode);
    const QByteArray out = report.readAllStandardOutput(), err = report.readAllStandardError();
    if (exitCode != 0) {
      QVERIFY(out.isEmpty() && !err.isEmpty());
      return;
    }
    QVERIFY2(err.contains("FA_20261208_05.csv, line 2"), err.constData());
    for (const QByteArray& line : err.split('\n'))
      QVERIFY2(line.isEmpty() || line.startsWith("skipped "), line.constData());
    AppSettings s;
    SetDefaultSettings(s);
    s.DatabaseDir = archive;
    const ArchiveLedger built =
        BuildArchiveLedger(s, std::nullopt, LedgerPeriod::Hour, day, day, QDateTime::currentSecsSinceEpoch());
    QCOMPARE(built.rejected.size(), 1);
    QCOMPARE(out, LedgerCsv(*built.ledger));
    const auto t = Table(out);
    QCOMPARE(Field(t, 0, "CONSUMPTION"), QStringLiteral("36.0000"));
    QCOMPARE(Field(t, 1, "COVERAGE"), QStringLiteral("98.33"));  // 1:00-1:59 of rows, the last minute missing
  }

 private:
  static QString Fixed(double value, int decimals = 4) { return QString::asprintf("%.*f", decimals, value); }
};

QTEST_GUILESS_MAIN(TestLedger)
#include "tst_ledger.moc"
