// kestrilon-recorder as a process: against the simulator, beside the window, on signals and checks.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "station/single_instance.h"
#include "support/station_processes.h"

namespace {
// A folder with a settings file that records the fast archive every `rowMs` from the simulator.
class RecordingFolder {
 public:
  RecordingFolder(quint16 converterPort, int rowMs, bool autoConnect = false) {
    QFile ini(IniPath());
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("[AD4ETH]\r\nIP=127.0.0.1\r\nPort=%1\r\nAutopripojeni=%4\r\nPerioda=100\r\n"
                             "[ARCHIVACE]\r\nDatabaseDir=%2\r\nRychlaActive=1\r\nRychlaInterval=%3\r\n"
                             "[ANALOG_IN1]\r\nJednotkaIndex=2\r\n[PARAMETRY_MERENI]\r\nTeplota=40\r\n")
                  .arg(converterPort)
                  .arg(ArchiveDir())
                  .arg(rowMs)
                  .arg(autoConnect ? 1 : 0)
                  .toUtf8());
  }
  QString IniPath() const { return dir.filePath(QStringLiteral("kestrilon4.ini")); }
  QString ArchiveDir() const { return dir.filePath(QStringLiteral("archiv")); }
  // Every line of the fast archive files in name order, line ends kept.
  QStringList Lines() const {
    QStringList lines;
    const QDir archive(ArchiveDir());
    for (const QString& name : archive.entryList({QStringLiteral("FA_*.csv")}, QDir::Files, QDir::Name)) {
      QFile f(archive.filePath(name));
      if (!f.open(QIODevice::ReadOnly)) continue;
      const QString text = QString::fromLatin1(f.readAll());
      for (const QString& line : text.split(QStringLiteral("\r\n")))
        if (!line.isEmpty()) lines << line;
      if (!text.endsWith(QStringLiteral("\r\n"))) lines << QStringLiteral("<cut>");
    }
    return lines;
  }
  QTemporaryDir dir;
};

// The values of a row: everything after DATUM and CAS.
QString RowValues(const QString& row) {
  return row.section(QLatin1Char(';'), 2);
}

bool StartRecorder(QProcess& recorder, const QStringList& arguments) {
  recorder.start(BuiltProgram(QStringLiteral("kestrilon-recorder")), arguments);
  return recorder.waitForStarted();
}
}  // namespace

class TestRecorder : public QObject {
  Q_OBJECT
 private slots:
  // The same replies give the same rows, whichever of the two programs records them.
  void writesTheRowsTheWindowWrites() {
    SimulatorProcess sim;
    QVERIFY(sim.Listening());
    RecordingFolder byWindow(sim.port, 150, true);
    RecordingFolder byRecorder(sim.port, 150);  // measures whatever Autopripojeni says
    QProcess station;
    QVERIFY(StartWindowIn(byWindow.dir.path(), station));
    QTRY_VERIFY_WITH_TIMEOUT(byWindow.Lines().size() >= 5, 30000);
    station.kill();
    station.waitForFinished();

    QProcess recorder;
    QVERIFY(StartRecorder(recorder, {QStringLiteral("--settings"), byRecorder.IniPath()}));
    QTRY_VERIFY_WITH_TIMEOUT(byRecorder.Lines().size() >= 5, 30000);
    ::kill(pid_t(recorder.processId()), SIGTERM);
    QVERIFY(recorder.waitForFinished(10000));

    const QStringList windowRows = byWindow.Lines();
    const QStringList recorderRows = byRecorder.Lines();
    QCOMPARE(recorderRows.first(), windowRows.first());  // the header
    QCOMPARE(recorderRows.first(), QStringLiteral("DATUM;CAS;IN1;IN2;IN3;IN4"));
    // The running average settles over the first rows; from the fourth on both hold the settled values.
    QCOMPARE(RowValues(recorderRows[4]), RowValues(windowRows[4]));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{1,2}\\.\\d{1,2}\\.\\d{4};\\d{1,2}:\\d{2}:\\d{2};"))
                .match(recorderRows[4])
                .hasMatch());
  }

  void sigtermLeavesOnlyCompleteRows_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
  }
  void sigtermLeavesOnlyCompleteRows() {
    QFETCH(int, signal);
    SimulatorProcess sim;
    QVERIFY(sim.Listening());
    RecordingFolder folder(sim.port, 20);  // a row every 20 ms: the signal lands among writes
    const QByteArray settingsBefore = ReadBack(folder.IniPath());
    QProcess recorder;
    QVERIFY(StartRecorder(recorder, {QStringLiteral("--settings"), folder.IniPath()}));
    QTRY_VERIFY_WITH_TIMEOUT(folder.Lines().size() >= 20, 30000);
    ::kill(pid_t(recorder.processId()), signal);
    QVERIFY(recorder.waitForFinished(10000));
    QCOMPARE(recorder.exitStatus(), QProcess::NormalExit);
    QCOMPARE(recorder.exitCode(), 0);
    const QString log = QString::fromUtf8(recorder.readAllStandardError());
    QVERIFY2(log.contains(QStringLiteral("info: recording stopped")), qPrintable(log));
    const QStringList lines = folder.Lines();
    const QRegularExpression row(
        QStringLiteral("^\\d{1,2}\\.\\d{1,2}\\.\\d{4};\\d{1,2}:\\d{2}:\\d{2}(;-?\\d+\\.\\d{4}){4}$"));
    for (int i = 1; i < lines.size(); ++i) QVERIFY2(row.match(lines[i]).hasMatch(), qPrintable(lines[i]));
    QCOMPARE(ReadBack(folder.IniPath()), settingsBefore);  // the recorder never writes the settings
  }

  void secondStationIsRefused() {
    SimulatorProcess sim;
    QVERIFY(sim.Listening());
    RecordingFolder folder(sim.port, 200);
    QProcess first;
    QVERIFY(StartRecorder(first, {QStringLiteral("--settings"), folder.IniPath()}));
    QTRY_VERIFY_WITH_TIMEOUT(folder.Lines().size() >= 2, 30000);
    // The window takes the same guard: while the recorder runs it cannot have it.
    SingleInstanceGuard window;
    QVERIFY(!window.Acquire());
    RecordingFolder other(sim.port, 200);
    QProcess second;
    QVERIFY(StartRecorder(second, {QStringLiteral("--settings"), other.IniPath()}));
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 3);
    const QString said = QString::fromUtf8(second.readAllStandardError());
    QVERIFY2(said.contains(QStringLiteral("is running on this machine")), qPrintable(said));
    QVERIFY(!QDir(other.ArchiveDir()).exists());  // recorded nothing
    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitCode(), 0);
  }

  void checkNamesTheBadKey_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("good") << QByteArray("[AD4ETH]\r\nIP=127.0.0.1\r\nPort=10001\r\n") << 0
                          << QStringLiteral("converter: 127.0.0.1:10001, period 2000 ms");
    QTest::newRow("period") << QByteArray("[AD4ETH]\r\nPerioda=2s\r\n") << 2
                            << QStringLiteral("[AD4ETH] Perioda=2s: not a whole number");
    QTest::newRow("port") << QByteArray("[AD4ETH]\r\nPort=70000\r\n") << 2
                          << QStringLiteral("[AD4ETH] Port=70000: outside 1..65535");
    QTest::newRow("unit") << QByteArray("[ANALOG_IN2]\r\nJednotkaIndex=2\r\n") << 2
                          << QStringLiteral("[ANALOG_IN2] JednotkaIndex=2: outside 0..1");
    QTest::newRow("switch") << QByteArray("[ARCHIVACE]\r\nRychlaActive=yes\r\n") << 2
                            << QStringLiteral("[ARCHIVACE] RychlaActive=yes: not 0 or 1");
    QTest::newRow("mqtt qos") << QByteArray("[MQTT]\r\nQos=2\r\n") << 2
                              << QStringLiteral("[MQTT] Qos=2: outside 0..1");
    QTest::newRow("mqtt target") << QByteArray("[MQTT]\r\nActive=1\r\nHost=127.0.0.1\r\nPort=1884\r\n") << 0
                                 << QStringLiteral("mqtt: 127.0.0.1:1884");
  }
  void checkNamesTheBadKey() {
    QFETCH(QByteArray, ini);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("k.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    QProcess check;
    QVERIFY(StartRecorder(check, {QStringLiteral("--check"), QStringLiteral("--settings"), file.fileName()}));
    QVERIFY(check.waitForFinished(10000));
    const QString out = QString::fromUtf8(check.readAllStandardOutput());
    QCOMPARE(check.exitCode(), exitCode);
    QVERIFY2(out.contains(said), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("archive: ")), qPrintable(out));
    QCOMPARE(ReadBack(file.fileName()), ini);  // a check writes nothing
  }

 private:
  static QByteArray ReadBack(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

QTEST_GUILESS_MAIN(TestRecorder)
#include "tst_recorder.moc"
