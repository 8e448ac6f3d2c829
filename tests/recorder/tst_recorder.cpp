// kestrilon-recorder as a process: against the simulator, beside the window, on signals and checks.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <QStandardPaths>
#include <csignal>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "archive/archive_writer.h"
#include "station/single_instance.h"
#include "support/core_fixture.h"
#include "support/loopback_guard.h"
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

// A service manager's notification socket: collects the datagrams a recorder sends to it.
class NotifySocket {
 public:
  NotifySocket() {
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(Path());
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }
  ~NotifySocket() { ::close(fd_); }
  QString Path() const { return dir_.filePath(QStringLiteral("notify")); }
  // Everything received so far, one entry per datagram.
  const QList<QByteArray>& Received() {
    char buffer[512];
    for (ssize_t n; (n = ::recv(fd_, buffer, sizeof buffer, 0)) > 0;) received_ << QByteArray(buffer, qsizetype(n));
    return received_;
  }

 private:
  QTemporaryDir dir_;
  int fd_ = -1;
  QList<QByteArray> received_;
};

// The values of a row: everything after DATUM and CAS.
QString RowValues(const QString& row) {
  return row.section(QLatin1Char(';'), 2);
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
  // A day recorded before the recorder was stopped: its report is written at the next start, by the
  // report program beside the recorder.
  void writesTheReportMissedWhileStopped() {
    SimulatorProcess sim;
    QVERIFY(sim.Listening());
    RecordingFolder folder(sim.port, 1000);
    QFile ini(folder.IniPath());
    QVERIFY(ini.open(QIODevice::Append));
    ini.write("[REPORTS]\r\nDay=1\r\n");
    ini.close();
    const QDate recorded = QDate::currentDate().addDays(-2);  // ended more than a minute ago at any time of day
    for (int hour = 10; hour < 12; ++hour)
      QVERIFY(AppendArchiveRow(folder.ArchiveDir(), ArchiveKind::Fast, QDateTime(recorded, QTime(hour, 0)),
                               QStringLiteral(";"), {40, 20, 2, 7})
                  .IsOk());
    const QString report = folder.ArchiveDir() + QStringLiteral("/Reports/day-") + recorded.toString(Qt::ISODate);
    QProcess recorder;
    QVERIFY(StartRecorder(recorder, {QStringLiteral("--settings"), folder.IniPath()}));
    QString log;
    QTRY_VERIFY_WITH_TIMEOUT((log += QString::fromUtf8(recorder.readAllStandardError()))
                                 .contains(QStringLiteral("report written: ") + report + QStringLiteral(".pdf")),
                             60000);
    QVERIFY(QFileInfo::exists(report + QStringLiteral(".pdf")) && QFileInfo::exists(report + QStringLiteral(".csv")));
    ::kill(pid_t(recorder.processId()), SIGTERM);
    QVERIFY(recorder.waitForFinished(10000));
  }

  void sigtermLeavesOnlyCompleteRows() {
    QFETCH(int, signal);
    SimulatorProcess sim;
    QVERIFY(sim.Listening());
    RecordingFolder folder(sim.port, 20);  // a row every 20 ms: the signal lands among writes
    const QByteArray settingsBefore = ReadFileBytes(folder.IniPath());
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
    QCOMPARE(ReadFileBytes(folder.IniPath()), settingsBefore);  // the recorder never writes the settings
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

  // Every program answers --help (with its exit codes) and --version without starting anything,
  // also over SSH or in a script, where no display is to be had.
  void programsAnswerHelpAndVersion_data() {
    QTest::addColumn<QString>("program");
    QTest::newRow("window") << "kestrilon4";
    QTest::newRow("recorder") << "kestrilon-recorder";
    QTest::newRow("simulator") << "tools/ad4eth-sim/ad4eth-sim";
  }
  void programsAnswerHelpAndVersion() {
    QFETCH(QString, program);
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
      QProcess run;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      for (const char* display : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QLatin1String(display));
      run.setProcessEnvironment(env);
      run.start(BuiltProgram(program), {option});
      QVERIFY(run.waitForFinished(10000));
      QCOMPARE(run.exitCode(), 0);
      const QString out = QString::fromUtf8(run.readAllStandardOutput());
      const QRegularExpression said(option == QLatin1String("--help") ? QStringLiteral("Exit code")
                                                                      : QStringLiteral("\\d+\\.\\d+"));
      QVERIFY2(said.match(out).hasMatch(), qPrintable(out));
    }
  }

  // The guard every test executable links: only this machine may be reached.
  void loopbackGuardAllowsThisMachineOnly_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("local");
    QTest::newRow("127.0.0.1") << "127.0.0.1" << true;
    QTest::newRow("127.8.9.10") << "127.8.9.10" << true;
    QTest::newRow("a LAN") << "192.168.1.100" << false;
    QTest::newRow("10/8") << "10.0.0.1" << false;
    QTest::newRow("::1") << "::1" << true;
    QTest::newRow("mapped loopback") << "::ffff:127.0.0.1" << true;
    QTest::newRow("mapped LAN") << "::ffff:192.168.1.100" << false;
    QTest::newRow("IPv6 elsewhere") << "2001:db8::1" << false;
  }
  void loopbackGuardAllowsThisMachineOnly() {
    QFETCH(QString, address);
    QFETCH(bool, local);
    sockaddr_storage storage{};
    const QByteArray text = address.toLatin1();
    if (address.contains(QLatin1Char(':'))) {
      auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
      in6->sin6_family = AF_INET6;
      QCOMPARE(::inet_pton(AF_INET6, text.constData(), &in6->sin6_addr), 1);
    } else {
      auto* in = reinterpret_cast<sockaddr_in*>(&storage);
      in->sin_family = AF_INET;
      QCOMPARE(::inet_pton(AF_INET, text.constData(), &in->sin_addr), 1);
    }
    QCOMPARE(IsLocalAddress(reinterpret_cast<const sockaddr*>(&storage)), local);
  }

  // Under a service manager: ready once recording, watchdog pings from the event loop at half the
  // interval (a hung loop stops them and the manager restarts the recorder), stopping at the end.
  void tellsTheServiceManager() {
    SimulatorProcess sim;
    QVERIFY(sim.Listening());
    RecordingFolder folder(sim.port, 200);
    NotifySocket notify;
    QProcess recorder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NOTIFY_SOCKET"), notify.Path());
    env.insert(QStringLiteral("WATCHDOG_USEC"), QStringLiteral("200000"));
    recorder.setProcessEnvironment(env);
    QVERIFY(StartRecorder(recorder, {QStringLiteral("--settings"), folder.IniPath()}));
    QTRY_VERIFY_WITH_TIMEOUT(notify.Received().count("WATCHDOG=1") >= 5, 20000);
    QVERIFY(notify.Received().first().startsWith("READY=1"));
    ::kill(pid_t(recorder.processId()), SIGTERM);
    QVERIFY(recorder.waitForFinished(10000));
    QCOMPARE(notify.Received().last(), QByteArray("STOPPING=1"));
  }

  // SIGHUP reads the settings again: a good file is applied, with a restart of measuring only when
  // the converter's link changed (otherwise measuring goes on without a gap in the archive); a bad
  // one is named and recording goes on with what it had; never the end of the recorder.
  void sighupReadsTheSettingsAgain_data() {
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("edit");
    QTest::addColumn<QString>("said");
    QTest::newRow("good file") << QByteArray("RychlaInterval=200") << QByteArray("RychlaInterval=100")
                               << QStringLiteral("settings read again; measuring goes on");
    QTest::newRow("another period") << QByteArray("Perioda=100") << QByteArray("Perioda=150")
                                    << QStringLiteral("settings read again; measuring restarted");
    QTest::newRow("bad file") << QByteArray("RychlaInterval=200") << QByteArray("RychlaInterval=-5")
                              << QStringLiteral("settings not applied");
  }
  void sighupReadsTheSettingsAgain() {
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, edit);
    QFETCH(QString, said);
    SimulatorProcess sim;
    QVERIFY(sim.Listening());
    RecordingFolder folder(sim.port, 200);
    QProcess recorder;
    QVERIFY(StartRecorder(recorder, {QStringLiteral("--settings"), folder.IniPath()}));
    QTRY_VERIFY_WITH_TIMEOUT(folder.Lines().size() >= 2, 30000);
    QByteArray ini = ReadFileBytes(folder.IniPath());
    ini.replace(from, edit);
    QFile file(folder.IniPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    ::kill(pid_t(recorder.processId()), SIGHUP);
    QString log;
    QTRY_VERIFY_WITH_TIMEOUT((log += QString::fromUtf8(recorder.readAllStandardError())).contains(said), 10000);
    const qsizetype rows = folder.Lines().size();
    QTRY_VERIFY_WITH_TIMEOUT(folder.Lines().size() >= rows + 2, 30000);  // still recording
    ::kill(pid_t(recorder.processId()), SIGTERM);
    QVERIFY(recorder.waitForFinished(10000));
    QCOMPARE(recorder.exitCode(), 0);
    log += QString::fromUtf8(recorder.readAllStandardError());
    QVERIFY2(log.contains(QStringLiteral("recording stopped")), qPrintable(log));
    if (!said.endsWith(QLatin1String("goes on"))) return;
    // Rows every 200 ms, then 100 ms: no two a second apart (a restart left 2-3 s).
    QDateTime previous;
    for (const QString& line : folder.Lines().mid(1)) {
      const QDateTime at = QDateTime::fromString(line.section(QLatin1Char(';'), 0, 1), QStringLiteral("d.M.yyyy;H:mm:ss"));
      QVERIFY2(!previous.isValid() || previous.secsTo(at) <= 1, qPrintable(line));
      previous = at;
    }
  }

  // The guard is the machine's, not the temporary folder's: a recorder with another TMPDIR, or in
  // a private mount namespace with a /tmp of its own (a service's PrivateTmp), is refused while a
  // window holds it.
  void guardHoldsAcrossTemporaryFolders_data() {
    QTest::addColumn<bool>("privateTmp");
    QTest::newRow("other TMPDIR") << false;
    QTest::newRow("private /tmp") << true;
  }
  void guardHoldsAcrossTemporaryFolders() {
    QFETCH(bool, privateTmp);
    if (privateTmp && (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty()))
      QSKIP("a private mount namespace needs root and unshare");
    SimulatorProcess sim;
    QVERIFY(sim.Listening());
    SingleInstanceGuard window;
    QVERIFY(window.Acquire());
    RecordingFolder folder(sim.port, 100);
    QProcess recorder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), folder.dir.path());
    recorder.setProcessEnvironment(env);
    if (privateTmp) {
      // The folder becomes the namespace's /tmp; the recorder and its settings go with it.
      const QString copy = folder.dir.filePath(QStringLiteral("kestrilon-recorder"));
      QVERIFY(QFile::copy(BuiltProgram(QStringLiteral("kestrilon-recorder")), copy));
      QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner);
      RequireLoopbackSettings(folder.IniPath());
      recorder.start(QStringLiteral("unshare"),
                     {QStringLiteral("-m"), QStringLiteral("--propagation"), QStringLiteral("private"),
                      QStringLiteral("sh"), QStringLiteral("-c"),
                      QStringLiteral("mount --bind \"$0\" /tmp && exec /tmp/kestrilon-recorder --settings "
                                     "/tmp/kestrilon4.ini"),
                      folder.dir.path()});
    } else {
      QVERIFY(StartRecorder(recorder, {QStringLiteral("--settings"), folder.IniPath()}));
    }
    QVERIFY(recorder.waitForFinished(20000));
    QCOMPARE(recorder.exitCode(), 3);
    QVERIFY(!QDir(folder.ArchiveDir()).exists());
    window.Release();
  }

  // A holder killed with SIGKILL leaves nothing behind: the next station starts at once.
  void guardFreedWhenTheHolderIsKilled() {
    SimulatorProcess sim;
    QVERIFY(sim.Listening());
    RecordingFolder folder(sim.port, 100);
    QProcess recorder;
    QVERIFY(StartRecorder(recorder, {QStringLiteral("--settings"), folder.IniPath()}));
    QTRY_VERIFY_WITH_TIMEOUT(folder.Lines().size() >= 2, 30000);
    SingleInstanceGuard window;
    QVERIFY(!window.Acquire());
    ::kill(pid_t(recorder.processId()), SIGKILL);
    QVERIFY(recorder.waitForFinished(10000));
    QVERIFY(window.Acquire());
  }

  // --check and the recorder itself judge alike: a bad value, or settings that would record nothing,
  // is named and refused with exit 2 (never "default used" while the bad value runs).
  void checkNamesTheBadKey_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    const QByteArray archive = "[ARCHIVACE]\r\nRychlaActive=1\r\n";
    QTest::newRow("good") << archive + "[AD4ETH]\r\nIP=127.0.0.1\r\nPort=10001\r\n" << 0
                          << QStringLiteral("converter: 127.0.0.1:10001, period 2000 ms");
    QTest::newRow("period") << archive + "[AD4ETH]\r\nPerioda=2s\r\n" << 2
                            << QStringLiteral("[AD4ETH] Perioda=2s: not a whole number");
    QTest::newRow("unusual period") << archive + "[AD4ETH]\r\nPerioda=100\r\n" << 0
                                    << QStringLiteral("unusual value: [AD4ETH] Perioda=100: outside the settings dialogs'");
    QTest::newRow("negative period") << archive + "[AD4ETH]\r\nPerioda=-5\r\n" << 2
                                     << QStringLiteral("[AD4ETH] Perioda=-5: outside 1..");
    QTest::newRow("port") << archive + "[AD4ETH]\r\nPort=70000\r\n" << 2
                          << QStringLiteral("[AD4ETH] Port=70000: outside 1..65535");
    QTest::newRow("host name") << archive + "[AD4ETH]\r\nIP=::1\r\n" << 2
                               << QStringLiteral("[AD4ETH] IP=::1: not an IPv4 address");
    QTest::newRow("unit") << archive + "[ANALOG_IN2]\r\nJednotkaIndex=2\r\n" << 2
                          << QStringLiteral("[ANALOG_IN2] JednotkaIndex=2: outside 0..1");
    QTest::newRow("switch") << QByteArray("[ARCHIVACE]\r\nPomalaActive=1\r\nRychlaActive=yes\r\n") << 2
                            << QStringLiteral("[ARCHIVACE] RychlaActive=yes: not 0 or 1");
    QTest::newRow("pressure") << archive + "[PARAMETRY_MERENI]\r\nAtmosferickyTlak=0\r\n" << 2
                              << QStringLiteral("[PARAMETRY_MERENI] AtmosferickyTlak=0: not above 0");
    QTest::newRow("scaling span") << archive + "[ANALOG_IN3]\r\n20mA=1,8e304\r\n" << 2
                                  << QStringLiteral("[ANALOG_IN3] 4mA=0, 20mA=1");
    QTest::newRow("nothing recorded") << QByteArray("[AD4ETH]\r\nIP=127.0.0.1\r\n") << 2
                                      << QStringLiteral("nothing would be recorded");
    QTest::newRow("no settings file") << QByteArray() << 2 << QStringLiteral("nothing would be recorded");
    QTest::newRow("mqtt qos") << archive + "[MQTT]\r\nQos=2\r\n" << 2 << QStringLiteral("[MQTT] Qos=2: outside 0..1");
    QTest::newRow("mqtt wildcard") << archive + "[MQTT]\r\nTopicPrefix=plant/#\r\n" << 2
                                   << QStringLiteral("[MQTT] TopicPrefix=plant/#: holds");
    // The sections recording does without are judged too, and told without a refusal.
    QTest::newRow("ledger gap") << archive + "[LEDGER]\r\nGapFast=0\r\n" << 0
                                << QStringLiteral("unusual value: [LEDGER] GapFast=0: outside 1..");
    QTest::newRow("ledger price") << archive + "[LEDGER]\r\nPrice=-2\r\n" << 0
                                  << QStringLiteral("unusual value: [LEDGER] Price=-2: below 0");
    QTest::newRow("ack from mqtt") << archive + "[ALARMS]\r\nAckFromMqtt=1\r\n" << 0
                                   << QStringLiteral("unusual value: [ALARMS] AckFromMqtt=1: whoever the broker lets publish");
    QTest::newRow("mail without a server") << archive + "[MAIL]\r\nActive=1\r\nFrom=s@example.com\r\nTo=a@example.com\r\n"
                                           << 0 << QStringLiteral("unusual value: [MAIL] Server=: empty");
    QTest::newRow("reports mailed, no mail") << archive + "[REPORTS]\r\nDay=1\r\nMail=1\r\n" << 0
                                             << QStringLiteral("unusual value: [REPORTS] Mail=1: [MAIL] Active=0");
    QTest::newRow("mqtt target") << QByteArray("[MQTT]\r\nActive=1\r\nHost=127.0.0.1\r\nPort=1884\r\n") << 0
                                 << QStringLiteral("mqtt: 127.0.0.1:1884");
  }
  void checkNamesTheBadKey() {
    QFETCH(QByteArray, ini);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.ini"));
    if (!ini.isEmpty()) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(ini);
    }
    QProcess check;
    QVERIFY(StartRecorder(check, {QStringLiteral("--check"), QStringLiteral("--settings"), path}));
    QVERIFY(check.waitForFinished(10000));
    const QString out = QString::fromUtf8(check.readAllStandardOutput());
    QCOMPARE(check.exitCode(), exitCode);
    QVERIFY2(out.contains(said), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("archive: ")), qPrintable(out));
    QCOMPARE(ReadFileBytes(path), ini);  // a check writes nothing
    if (exitCode == 0) return;
    QProcess recorder;
    QVERIFY(StartRecorder(recorder, {QStringLiteral("--settings"), path}));
    QVERIFY(recorder.waitForFinished(10000));
    QCOMPARE(recorder.exitCode(), exitCode);
    const QString log = QString::fromUtf8(recorder.readAllStandardError());
    QVERIFY2(log.contains(said) && !log.contains(QStringLiteral("recording with")), qPrintable(log));
  }
};

QTEST_GUILESS_MAIN(TestRecorder)
#include "tst_recorder.moc"
