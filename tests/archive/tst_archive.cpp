#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <bit>
#include <charconv>
#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>

#include "archive/archive_prefetch.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "station/station.h"
#include "support/station_fixture.h"

namespace {
// A double's bits: "the very same double", where QCOMPARE's fuzzy compare would let an ulp through.
quint64 Bits(double value) {
  return std::bit_cast<quint64>(value);
}

const QDateTime kAt(QDate(2026, 12, 8), QTime(14, 5, 0));
const std::array<double, 4> kValues{12.34, 21.5, 45, 1.013};
}  // namespace

class TestArchive : public QObject {
  Q_OBJECT
 private slots:
  void fileNames_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("name");
    QTest::newRow("slow") << 0 << kAt << QStringLiteral("SA_20261208.csv");
    QTest::newRow("fast") << 1 << kAt << QStringLiteral("FA_20261208_14.csv");
    QTest::newRow("fast midnight") << 1 << QDateTime(QDate(2027, 1, 2), QTime(0, 0, 1))
                                   << QStringLiteral("FA_20270102_00.csv");
    QTest::newRow("fast 23 h") << 1 << QDateTime(QDate(2026, 3, 9), QTime(23, 59, 59))
                               << QStringLiteral("FA_20260309_23.csv");
  }
  void fileNames() {
    QFETCH(int, kind);
    QFETCH(QDateTime, at);
    QFETCH(QString, name);
    QCOMPARE(ArchiveFileName(kind == 0 ? ArchiveKind::Slow : ArchiveKind::Fast, at), name);
  }

  void values_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("pi") << 3.14159 << QStringLiteral("3.1416");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0.0000");
    QTest::newRow("negative") << -2.5 << QStringLiteral("-2.5000");
    QTest::newRow("large, no grouping") << 1234567.891 << QStringLiteral("1234567.8910");
    QTest::newRow("rounds to zero") << -0.00001 << QStringLiteral("0.0000");
  }
  void values() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));  // a comma locale changes nothing
    QCOMPARE(FormatArchiveValue(value), text);
    QLocale::setDefault(QLocale::c());
  }

  void headerAndRows_data() {
    QTest::addColumn<QString>("separator");
    QTest::newRow("semicolon") << QStringLiteral(";");
    QTest::newRow("comma") << QStringLiteral(",");
  }
  void headerAndRows() {
    QFETCH(QString, separator);
    QTemporaryDir dir;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    QVERIFY(AppendArchiveRow(dir.path(), ArchiveKind::Slow, kAt, separator, kValues).IsOk());
    QVERIFY(
        AppendArchiveRow(dir.path(), ArchiveKind::Slow, kAt.addSecs(300), separator, {3.14159, 0, -2.5, 0}).IsOk());
    QLocale::setDefault(QLocale::c());
    const QByteArray s = separator.toLatin1();
    QCOMPARE(ReadFileBytes(dir.filePath(QStringLiteral("SA_20261208.csv"))),
             "DATUM" + s + "CAS" + s + "IN1" + s + "IN2" + s + "IN3" + s + "IN4\r\n" + "8.12.2026" + s +
                 "14:05:00" + s + "12.3400" + s + "21.5000" + s + "45.0000" + s + "1.0130\r\n" + "8.12.2026" +
                 s + "14:10:00" + s + "3.1416" + s + "0.0000" + s + "-2.5000" + s + "0.0000\r\n");
  }

  void rollOverAtHourAndMidnight() {
    QTemporaryDir dir;
    const QDateTime t1(QDate(2026, 12, 8), QTime(23, 59, 59));
    AppendArchiveRow(dir.path(), ArchiveKind::Fast, t1, QStringLiteral(";"), kValues);
    AppendArchiveRow(dir.path(), ArchiveKind::Fast, t1.addSecs(2), QStringLiteral(";"), kValues);
    AppendArchiveRow(dir.path(), ArchiveKind::Slow, t1, QStringLiteral(";"), kValues);
    AppendArchiveRow(dir.path(), ArchiveKind::Slow, t1.addSecs(2), QStringLiteral(";"), kValues);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("FA_20261208_23.csv"), QStringLiteral("FA_20261209_00.csv"),
                          QStringLiteral("SA_20261208.csv"), QStringLiteral("SA_20261209.csv")}));
    QVERIFY(ReadFileBytes(dir.filePath(QStringLiteral("FA_20261209_00.csv"))).startsWith("DATUM;CAS"));
  }

  void existingFiles() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SA_20261208.csv"));
    WriteFileBytes(path, "");
    AppendArchiveRow(dir.path(), ArchiveKind::Slow, kAt, QStringLiteral(";"), kValues);
    QVERIFY2(ReadFileBytes(path).startsWith("8.12.2026;"), "an existing empty file gets no header");
    QFile::remove(path);
    AppendArchiveRow(dir.path(), ArchiveKind::Slow, kAt, QStringLiteral(";"), kValues);
    QVERIFY2(ReadFileBytes(path).startsWith("DATUM;"), "a deleted file comes back with its header");
  }

  // A row cut off by a crash or power loss: the next row starts on a line of its own.
  void rowAfterCutOffRow() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SA_20261208.csv"));
    WriteFileBytes(path, "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:00:00;1.0");
    AppendArchiveRow(dir.path(), ArchiveKind::Slow, kAt, QStringLiteral(";"), kValues);
    QCOMPARE(ReadFileBytes(path), QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:00:00;1.0\r\n"
                                             "8.12.2026;14:05:00;12.3400;21.5000;45.0000;1.0130\r\n"));
  }

  void folders() {
    QTemporaryDir dir;
    const QString child = dir.filePath(QStringLiteral("archiv"));
    QVERIFY(AppendArchiveRow(child + QLatin1Char('/'), ArchiveKind::Slow, kAt, QStringLiteral(";"), kValues).IsOk());
    QVERIFY(QFile::exists(child + QStringLiteral("/SA_20261208.csv")));
    QCOMPARE(ArchivePath(child, QStringLiteral("x.csv")),
             ArchivePath(child + QLatin1Char('/'), QStringLiteral("x.csv")));
    const QString orphan = dir.filePath(QStringLiteral("missing/archiv"));
    QCOMPARE(AppendArchiveRow(orphan, ArchiveKind::Slow, kAt, QStringLiteral(";"), kValues).code,
             IoStatus::Code::Unwritable);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
  }

  // A file created on a full disk (here: a file size limit) is left without its header; the first
  // row that succeeds later brings the header, so the file stays readable.
  void headerWrittenAfterFailedCreation() {
    QTemporaryDir dir;
    ArchiveWriter writer;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit normal{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &normal), 0);
    rlimit tight = normal;
    tight.rlim_cur = 10;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const IoStatus first = writer.Append(dir.path(), ArchiveKind::Fast, kAt, QStringLiteral(";"), kValues);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &normal), 0);
    QCOMPARE(first.code, IoStatus::Code::Unwritable);
    const QString path = dir.filePath(QStringLiteral("FA_20261208_14.csv"));
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(writer.Append(dir.path(), ArchiveKind::Fast, kAt.addSecs(2), QStringLiteral(";"), kValues).IsOk());
    QVERIFY(writer.Append(dir.path(), ArchiveKind::Fast, kAt.addSecs(4), QStringLiteral(";"), kValues).IsOk());
    QCOMPARE(ReadFileBytes(path), QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n"
                                             "8.12.2026;14:05:02;12.3400;21.5000;45.0000;1.0130\r\n"
                                             "8.12.2026;14:05:04;12.3400;21.5000;45.0000;1.0130\r\n"));
    QVERIFY(ReadArchiveFile(path).status.IsOk());
  }

  // The station writes rows only between a processed reply and the next drop.
  void stationWritesOnlyValidReadings() {
    QTemporaryDir dir;
    FixedClock clock(kAt);
    Station station;
    SetDefaultSettings(station.Settings());
    station.Settings().DatabaseDir = dir.path();
    station.Readings().AwaitingFirstReply = true;
    station.WriteArchiveRow(ArchiveKind::Fast);
    QVERIFY(QDir(dir.path()).isEmpty());
    // With the temperature sensor the first reply only initialises: the readings are not valid yet.
    station.Settings().CidloTeploty = true;
    station.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 2500, 10000, 0}));
    QVERIFY(!station.Readings().AwaitingFirstReply && !station.Readings().ReadingsValid);
    station.WriteArchiveRow(ArchiveKind::Fast);
    QVERIFY(QDir(dir.path()).isEmpty());
    station.Settings().CidloTeploty = false;
    station.Readings().AwaitingFirstReply = true;
    station.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 2500, 10000, 0}));
    station.WriteArchiveRow(ArchiveKind::Fast);
    station.Link().DropLink();
    station.WriteArchiveRow(ArchiveKind::Fast);
    station.Link().StopPolling();
    QCOMPARE(
        ReadFileBytes(dir.filePath(QStringLiteral("FA_20261208_14.csv"))),
        QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:05:00;50.0000;25.0000;100.0000;0.0000\r\n"));
  }

  // Measuring started again while it runs starts the averages afresh: the next reply initialises.
  void startWhileMeasuringStartsTheAveragesAfresh() {
    Station station;
    SetDefaultSettings(station.Settings());
    station.Readings().AwaitingFirstReply = true;
    station.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 5000, 5000, 5000}));
    station.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 5000, 5000, 5000}));
    station.StartMeasuring();
    station.StartMeasuring();
    QVERIFY(station.Readings().AwaitingFirstReply && !station.Readings().ReadingsValid);
    station.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {10000, 10000, 10000, 10000}));
    station.StopMeasuring();
    QCOMPARE(station.Readings().Reading(2).AverageValue, 100.0);  // not (10 x 50 + 100) / 11
  }

  // With the temperature sensor on, the first reply after a start or a drop is uncorrected: no row
  // may carry it, also not when an inactive input would mark the readings valid (rows 13 % low).
  void noRowBeforeACorrectedReply_data() {
    QTest::addColumn<bool>("dropFirst");
    QTest::addColumn<int>("inactiveInput");
    QTest::newRow("start") << false << 0;
    QTest::newRow("start, input 4 off") << false << 4;
    QTest::newRow("drop and reconnect") << true << 0;
    QTest::newRow("drop, input 4 off") << true << 4;
  }
  void noRowBeforeACorrectedReply() {
    QFETCH(bool, dropFirst);
    QFETCH(int, inactiveInput);
    QTemporaryDir dir;
    FixedClock clock(kAt);
    Station station;
    SetDefaultSettings(station.Settings());
    station.Settings().DatabaseDir = dir.path();
    station.Settings().CidloTeploty = true;
    if (inactiveInput) station.Settings().Channel(inactiveInput).Activ = false;
    const QString reply = ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 2500, 10000, 0});
    station.Readings().AwaitingFirstReply = true;
    if (dropFirst) {
      station.ProcessReply(reply);
      station.ProcessReply(reply);
      station.Link().DropLink();
    }
    station.ProcessReply(reply);  // only initialises
    station.WriteArchiveRow(ArchiveKind::Fast);
    const QString path = dir.filePath(QStringLiteral("FA_20261208_14.csv"));
    QVERIFY(!QFileInfo::exists(path));
    station.ProcessReply(reply);
    station.WriteArchiveRow(ArchiveKind::Fast);
    station.Link().StopPolling();
    const ArchiveFile file = ReadArchiveFile(path);
    QCOMPARE(file.rows.size(), size_t(1));
    const double corrected = 50.0 * (25 + 273.15) * 0.3456421627153335 / 101.325;  // input 2 at 25 °C
    QVERIFY2(qAbs(file.rows[0].values[0] - corrected) < 1e-4, qPrintable(QString::number(file.rows[0].values[0])));
  }

  // An archive folder that cannot be written is told once (log and view), and so is its recovery.
  void unwritableFolderToldOnce() {
    struct View : StationView {
      QList<bool> told;
      void ShowArchiveWritable(bool writable, const QString&) override { told << writable; }
    } view;
    QTemporaryDir dir;
    FixedClock clock(kAt);
    Station station;
    station.SetView(&view);
    SetDefaultSettings(station.Settings());
    WriteFileBytes(dir.filePath(QStringLiteral("file")), "x");
    station.Settings().DatabaseDir = dir.filePath(QStringLiteral("file/archiv"));  // below a file
    station.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 2500, 10000, 0}));
    LogRecorder log;
    for (int i = 0; i < 3; ++i) station.WriteArchiveRow(ArchiveKind::Fast);
    QCOMPARE(view.told, QList<bool>{false});
    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(log.entries[0].first, LogKind::Error);
    station.Settings().DatabaseDir = dir.path();
    station.WriteArchiveRow(ArchiveKind::Fast);
    station.WriteArchiveRow(ArchiveKind::Slow);
    QCOMPARE(view.told, (QList<bool>{false, true}));
    QCOMPARE(log.entries.size(), 2);
    station.SetView(nullptr);
  }

  void readerParsesWhatTheWriterWrites() {
    QTemporaryDir dir;
    AppendArchiveRow(dir.path(), ArchiveKind::Slow, kAt, QStringLiteral(";"), kValues);
    AppendArchiveRow(dir.path(), ArchiveKind::Slow, kAt.addSecs(60), QStringLiteral(","), {-1, 2, 3, 4});
    const ArchiveFile file = ReadArchiveFile(dir.filePath(QStringLiteral("SA_20261208.csv")));
    QVERIFY2(file.status.IsOk(), qPrintable(file.status.text));
    QCOMPARE(file.rows.size(), size_t(2));
    QCOMPARE(file.rows[0].key, double(kAt.toSecsSinceEpoch()));
    QCOMPARE(file.rows[0].values[0], 12.34);
    QCOMPARE(file.rows[1].key, double(kAt.addSecs(60).toSecsSinceEpoch()));
    QCOMPARE(file.rows[1].values[0], -1.0);
  }

  void readerErrorsAndRecoveries_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("error");
    // A header never written (a crash right after the file was made, a full disk): the station's
    // columns, and the first line is a row.
    QTest::newRow("no header") << QByteArray("8.12.2026;14:05:00;1;2;3;4\r\n8.12.2026;14:05:02;1;2;3;4\r\n") << 2
                               << QString();
    QTest::newRow("no header, comma") << QByteArray("8.12.2026,14:05:00,1.0000,2,3,4\r\n") << 1 << QString();
    QTest::newRow("no header, other first line") << QByteArray("Datum;Zeit;A;B\r\n8.12.2026;14:05:00;1;2;3;4\r\n")
                                                 << 0 << QStringLiteral("no column CAS");
    // A row cut short hides nothing after it.
    QTest::newRow("row cut in its time")
        << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:05:00;1;2;3;4\r\n8.12.2026;14:0\r\n"
                      "8.12.2026;14:05:04;1;2;3;4\r\n")
        << 2 << QString();
    QTest::newRow("row cut after a sign")
        << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:05:00;1;2;3;4\r\n8.12.2026;14:05:02;1;2;3;-\r\n"
                      "8.12.2026;14:05:04;1;2;3;4\r\n")
        << 2 << QString();
    QTest::newRow("sign alone inside a row")
        << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:05:00;1;2;3;4\r\n8.12.2026;14:05:02;1;-;3;4\r\n")
        << 1 << QStringLiteral("line 3: IN2 \"-\"");
    QTest::newRow("missing column") << QByteArray("DATUM;CAS;IN1;IN2;IN3\r\n") << 0
                                    << QStringLiteral("no column IN4");
    QTest::newRow("bad number")
        << QByteArray(
               "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:05:00;1;2;3;4\r\n8.12.2026;14:06:00;1;x;3;4\r\n")
        << 1 << QStringLiteral("line 3: IN2 \"x\"");
    QTest::newRow("bad date") << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n32.12.2026;14:05:00;1;2;3;4\r\n")
                              << 0 << QStringLiteral("DATUM");
    QTest::newRow("bad time") << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;25:05:00;1;2;3;4\r\n")
                              << 0 << QStringLiteral("CAS");
    QTest::newRow("empty date on the first row")
        << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n;14:05:00;1;2;3;4\r\n") << 0 << QStringLiteral("DATUM");
    QTest::newRow("minute 60") << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:60:00;1;2;3;4\r\n")
                               << 0 << QStringLiteral("CAS");
    QTest::newRow("second 60") << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:05:60;1;2;3;4\r\n")
                               << 0 << QStringLiteral("CAS");
    QTest::newRow("unterminated last line")
        << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:05:00;1;2;3;4\r\n8.12.2026;14:06:00;1;2")
        << 1 << QString();
    // Whole as it looks, a row without its line end may still be being written: neither drawn nor
    // counted until it has one.
    QTest::newRow("whole last row without its line end")
        << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:05:00;1;2;3;4\r\n8.12.2026;14:06:00;1;2;3;4")
        << 1 << QString();
    QTest::newRow("both separators")
        << QByteArray(
               "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:05:00;1;2;3;4\r\n8.12.2026,14:06:00,5,6,7,8\r\n")
        << 2 << QString();
    QTest::newRow("columns in another order")
        << QByteArray("CAS,DATUM,IN4,IN3,IN2,IN1\n14:05:00,8.12.2026,4,3,2,1\n") << 1 << QString();
    // One separator per line, the first after DATUM: decimal commas are not separators.
    QTest::newRow("decimal commas under semicolon")
        << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;1,5;2,5;3,5;4,5\r\n") << 0
        << QStringLiteral("line 2: IN1 \"1,5\"");
    QTest::newRow("decimal comma in the last field")
        << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;1;2;3;4,5\r\n") << 0
        << QStringLiteral("line 2: IN4 \"4,5\"");
    QTest::newRow("comma file with decimal points")
        << QByteArray("DATUM,CAS,IN1,IN2,IN3,IN4\r\n8.12.2026,10:00:00,1.0000,2.5000,3.5000,4.5000\r\n") << 1
        << QString();
    QTest::newRow("nan") << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;1;nan;3;4\r\n") << 0
                         << QStringLiteral("IN2 \"nan\"");
    QTest::newRow("inf") << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;10:00:00;1;2;-inf;4\r\n") << 0
                         << QStringLiteral("IN3 \"-inf\"");
    QTest::newRow("blank lines skipped")
        << QByteArray("DATUM;CAS;IN1;IN2;IN3;IN4\r\n\r\n8.12.2026;14:05:00;1;2;3;4\r\n") << 1 << QString();
  }
  void readerErrorsAndRecoveries() {
    QFETCH(QByteArray, text);
    QFETCH(int, rows);
    QFETCH(QString, error);
    const ArchiveFile file = ParseArchive(text, QStringLiteral("SA_20261208.csv"));
    QCOMPARE(int(file.rows.size()), rows);
    if (error.isEmpty()) {
      QVERIFY2(file.status.IsOk(), qPrintable(file.status.text));
    } else {
      QCOMPARE(file.status.code, IoStatus::Code::BadContent);
      QVERIFY2(file.status.text.contains(error), qPrintable(file.status.text));
      QVERIFY(file.status.text.startsWith(QStringLiteral("SA_20261208.csv")));
    }
    if (rows > 0) QCOMPARE(file.rows[0].values[0], 1.0);
  }

  // A crash or a full disk cuts the last row at any byte; the writer then ends that line and goes
  // on. However the row was cut, every complete row, before and after it, is read, and the cut
  // line is named.
  void rowsAfterACutRowAreRead() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FA_20261208_14.csv"));
    for (int i = 0; i < 3; ++i) AppendArchiveRow(dir.path(), ArchiveKind::Fast, kAt.addSecs(2 * i), QStringLiteral(";"), kValues);
    const QByteArray whole = ReadFileBytes(path);
    const qsizetype lastRow = whole.lastIndexOf('\n', whole.size() - 2) + 1;
    for (qsizetype cut = lastRow; cut < whole.size() - 1; ++cut) {
      WriteFileBytes(path, whole.left(cut));
      ArchiveWriter restarted;  // the station after the crash
      for (int i = 3; i < 5; ++i)
        QVERIFY(restarted.Append(dir.path(), ArchiveKind::Fast, kAt.addSecs(2 * i), QStringLiteral(";"), kValues).IsOk());
      const ArchiveFile file = ReadArchiveFile(path);
      QVERIFY2(file.status.IsOk(), qPrintable(file.status.text));
      // The four whole rows are read; the cut one is read (what is left of it converts) or named,
      // never silently lost, and it never hides the rows after it.
      QList<double> keys;
      for (const ArchiveRow& row : file.rows) keys << row.key;
      const double cutKey = double(kAt.addSecs(4).toSecsSinceEpoch());
      const bool cutRowRead = keys.removeAll(cutKey) == 1;
      QList<double> expected;
      for (int i : {0, 1, 3, 4}) expected << double(kAt.addSecs(2 * i).toSecsSinceEpoch());
      QCOMPARE(keys, expected);
      const bool nothingLeft = cut == lastRow;
      QCOMPARE(file.interruptedLines, cutRowRead || nothingLeft ? std::vector<int>{} : std::vector<int>{4});
    }
  }

  // Restarted on a file that a crash left empty (created, header not yet written): the rows go in
  // without a header, and the reader reads them all.
  void rowsOfAFileWithoutHeaderAreRead() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SA_20261208.csv"));
    WriteFileBytes(path, QByteArray());
    for (int i = 0; i < 3; ++i) AppendArchiveRow(dir.path(), ArchiveKind::Slow, kAt.addSecs(60 * i), QStringLiteral(","), kValues).IsOk();
    QVERIFY(!ReadFileBytes(path).startsWith("DATUM"));
    const ArchiveFile file = ReadArchiveFile(path);
    QVERIFY2(file.status.IsOk(), qPrintable(file.status.text));
    QCOMPARE(file.rows.size(), size_t(3));
    QCOMPARE(file.rows[2].values[3], 1.013);
  }

  // A pipe or a device with the archive file's name never holds the writer: the row is lost and
  // reported, and the next row to a regular file is written.
  void writerOpensOnlyRegularFiles() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FA_20261208_14.csv"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QCOMPARE(AppendArchiveRow(dir.path(), ArchiveKind::Fast, kAt, QStringLiteral(";"), kValues).code,
             IoStatus::Code::NotRegular);
    QVERIFY(AppendArchiveRow(dir.path(), ArchiveKind::Fast, kAt.addSecs(3600), QStringLiteral(";"), kValues).IsOk());
  }

  // What is not finite never reaches the archive (it would make the file unreadable); huge values
  // keep their digits.
  void nonFiniteValuesNeverWritten_data() {
    QTest::addColumn<double>("value");
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("1.8e304") << 1.8e304;
  }
  void nonFiniteValuesNeverWritten() {
    QFETCH(double, value);
    QTemporaryDir dir;
    QVERIFY(AppendArchiveRow(dir.path(), ArchiveKind::Slow, kAt, QStringLiteral(";"), {value, 1, 2, 3}).IsOk());
    const ArchiveFile file = ReadArchiveFile(dir.filePath(QStringLiteral("SA_20261208.csv")));
    QVERIFY2(file.status.IsOk(), qPrintable(file.status.text));
    QCOMPARE(file.rows.size(), size_t(1));
    if (std::isfinite(value))
      QCOMPARE(file.rows[0].values[0], value);
    else
      QVERIFY(std::isnan(file.rows[0].values[0]));
    QCOMPARE(file.rows[0].values[3], 3.0);
  }

  // The reader's quick number path must give the very same double as a full decimal conversion.
  void readerNumbersExact() {
    QRandomGenerator random(42);
    QByteArray text = "DATUM;CAS;IN1;IN2;IN3;IN4\r\n";
    std::vector<std::array<QByteArray, 4>> written;
    for (int i = 0; i < 5000; ++i) {
      std::array<QByteArray, 4> fields;
      for (QByteArray& f : fields) {
        const int decimals = int(random.bounded(7));
        f = QByteArray::number(random.bounded(2e6) - 1e6, 'f', decimals);
      }
      fields[3] = QByteArray::number(random.bounded(1e9), 'g', 17);  // longer than the quick path takes
      // Mantissas beyond 64 bits must not overflow on the way to the exact path.
      if (i % 2) fields[2] = QByteArray::number(random.bounded(1e4), 'f', 6) + "00000000000000000034";
      written.push_back(fields);
      text +=
          "8.12.2026;14:05:00;" + fields[0] + ';' + fields[1] + ';' + fields[2] + ';' + fields[3] + "\r\n";
    }
    const ArchiveFile file = ParseArchive(text, QStringLiteral("f"));
    QCOMPARE(file.rows.size(), written.size());
    for (size_t i = 0; i < written.size(); ++i)
      for (int j = 0; j < 4; ++j) {
        double expected = 0;
        const QByteArray& f = written[i][size_t(j)];
        std::from_chars(f.constData(), f.constData() + f.size(), expected);
        QCOMPARE(Bits(file.rows[i].values[size_t(j)]), Bits(expected));
      }
  }

  // Rows in the station's own form take a quick way; they and rows just beside that form must give
  // the same keys and values as a full conversion.
  void readerStationRowsExact_data() {
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QList<double>>("values");
    const QDateTime at(QDate(2026, 3, 9), QTime(7, 5, 9));
    const QList<double> plain{1.5, -0.25, 0, 123456.789};
    QTest::newRow("station form") << QByteArray("9.3.2026;7:05:09;1.5;-0.25;0.0000;123456.7890") << at << plain;
    QTest::newRow("two-digit day and month") << QByteArray("09.03.2026;07:05:09;1.5;-0.25;0;123456.789") << at
                                             << plain;
    QTest::newRow("five decimals") << QByteArray("9.3.2026;7:05:09;1.50000;-0.25;0;123456.789") << at << plain;
    QTest::newRow("blanks and quotes") << QByteArray("9.3.2026; 7:05:09 ;\"1.5\";-0.25 ;0;123456.789") << at
                                       << plain;
    QTest::newRow("plus and exponent") << QByteArray("9.3.2026;7:05:09;+1.5;-2.5e-1;0;1.23456789e5") << at
                                       << plain;
    QTest::newRow("trailing blank") << QByteArray("9.3.2026;7:05:09;1.5;-0.25;0;123456.789 ") << at << plain;
    QTest::newRow("one-digit minutes") << QByteArray("9.3.2026;7:5:9;1.5;-0.25;0;123456.789") << at << plain;
    QTest::newRow("long integer") << QByteArray("9.3.2026;7:05:09;1.5;-0.25;0;000000000000123456.789") << at
                                  << plain;
    QTest::newRow("twelve integer digits") << QByteArray("9.3.2026;7:05:09;999999999999.9999;-0.25;0;123456.789")
                                           << at << QList<double>{999999999999.9999, -0.25, 0, 123456.789};
    QTest::newRow("empty field") << QByteArray("9.3.2026;7:05:09;1.5;;0;123456.789") << at
                                 << QList<double>{1.5, kNoValue, 0, 123456.789};
    QTest::newRow("comma line") << QByteArray("9.3.2026,7:05:09,1.5,-0.25,0,123456.789") << at << plain;
  }
  void readerStationRowsExact() {
    QFETCH(QByteArray, row);
    QFETCH(QDateTime, at);
    QFETCH(QList<double>, values);
    const ArchiveFile file = ParseArchive("DATUM;CAS;IN1;IN2;IN3;IN4\r\n" + row + "\r\n", QStringLiteral("f"));
    QVERIFY2(file.status.IsOk(), qPrintable(file.status.text));
    QCOMPARE(file.rows.size(), size_t(1));
    QCOMPARE(file.rows[0].key, double(at.toSecsSinceEpoch()));
    QCOMPARE(file.rows[0].timeOfDay, at.time().msecsSinceStartOfDay() / 1000);
    for (int j = 0; j < 4; ++j)
      if (std::isnan(values[j]))
        QVERIFY(std::isnan(file.rows[0].values[size_t(j)]));
      else
        QCOMPARE(Bits(file.rows[0].values[size_t(j)]), Bits(values[j]));
    const ArchiveFile general =
        ParseArchive("DATUM;CAS;IN1;IN2;IN3;IN4\r\n" + row + "\r\n", QStringLiteral("f"), ArchiveParse::GeneralOnly);
    QCOMPARE(general.rows.size(), size_t(1));
    QCOMPARE(general.rows[0].key, file.rows[0].key);
    for (size_t j = 0; j < 4; ++j)
      if (!std::isnan(file.rows[0].values[j])) QCOMPARE(Bits(general.rows[0].values[j]), Bits(file.rows[0].values[j]));
  }

  // Many station rows over changing days: every key and value as a full conversion gives it.
  void readerStationRowsOverDays() {
    QRandomGenerator random(7);
    QByteArray text = "DATUM;CAS;IN1;IN2;IN3;IN4\r\n";
    std::vector<std::pair<QDateTime, std::array<QByteArray, 4>>> written;
    QDateTime at(QDate(2026, 1, 1), QTime(0, 0));
    for (int i = 0; i < 20000; ++i) {
      at = at.addSecs(1 + random.bounded(3000));
      std::array<QByteArray, 4> fields;
      for (QByteArray& f : fields) {
        const int decimals = int(random.bounded(5));
        const double magnitude = std::pow(10.0, random.bounded(7));
        f = QByteArray::number(random.bounded(2 * magnitude) - magnitude, 'f', decimals);
      }
      written.emplace_back(at, fields);
      text += at.toString(QStringLiteral("d.M.yyyy;H:mm:ss")).toLatin1() + ';' + fields[0] + ';' + fields[1] + ';' +
              fields[2] + ';' + fields[3] + "\r\n";
    }
    const ArchiveFile file = ParseArchive(text, QStringLiteral("f"));
    QVERIFY2(file.status.IsOk(), qPrintable(file.status.text));
    QCOMPARE(file.rows.size(), written.size());
    for (size_t i = 0; i < written.size(); ++i) {
      QCOMPARE(file.rows[i].key, double(written[i].first.toSecsSinceEpoch()));
      for (int j = 0; j < 4; ++j) {
        double expected = 0;
        const QByteArray& f = written[i].second[size_t(j)];
        std::from_chars(f.constData(), f.constData() + f.size(), expected);
        QCOMPARE(Bits(file.rows[i].values[size_t(j)]), Bits(expected));
      }
    }
  }

  // Files read ahead come back in order; a file that vanished from the walk is skipped, one that
  // was not in the list is read on the spot.
  void prefetchedFiles() {
    QTemporaryDir dir;
    QStringList paths;
    for (int h = 0; h < 12; ++h) {
      const QDateTime at(QDate(2026, 12, 8), QTime(h, 0));
      AppendArchiveRow(dir.path(), ArchiveKind::Fast, at, QStringLiteral(";"), {double(h), 0, 0, 0});
      paths << ArchivePath(dir.path(), ArchiveFileName(ArchiveKind::Fast, at));
    }
    const QString extra = dir.filePath(QStringLiteral("extra.csv"));
    WriteFileBytes(extra, "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;23:00:00;99;0;0;0\r\n");
    ArchivePrefetcher prefetcher(paths, 3);
    QCOMPARE(prefetcher.Take(paths[0]).rows[0].values[0], 0.0);
    QCOMPARE(prefetcher.Take(paths[1]).rows[0].values[0], 1.0);
    QCOMPARE(prefetcher.Take(paths[5]).rows[0].values[0], 5.0);  // 2..4 skipped
    QCOMPARE(prefetcher.Take(extra).rows[0].values[0], 99.0);
    QCOMPARE(prefetcher.Take(paths[6]).rows[0].values[0], 6.0);
    // Destroyed with files still unread: the worker stops.
  }

  void readerOrdersByTimeStably() {
    const ArchiveFile file = ParseArchive(
        "DATUM;CAS;IN1;IN2;IN3;IN4\r\n8.12.2026;14:06:00;1;0;0;0\r\n"
        "8.12.2026;14:05:00;2;0;0;0\r\n8.12.2026;14:06:00;3;0;0;0\r\n"
        "8.12.2026;9:00:00;4;0;0;0\r\n",
        QStringLiteral("f"));
    QList<double> order;
    for (const ArchiveRow& r : file.rows) order << r.values[0];
    QCOMPARE(order, (QList<double>{4, 2, 1, 3}));
  }
};

QTEST_MAIN(TestArchive)
#include "tst_archive.moc"
