// kestrilon-recorder: the station without windows. Reads the station's settings file, measures from
// its start, writes both archives and publishes over MQTT exactly as the window does; never writes
// the settings file. Logs one line per event to stderr; SIGTERM or SIGINT stops it cleanly.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "config/station_paths.h"
#include "station/log_message.h"
#include "station/settings_check.h"
#include "station/single_instance.h"
#include "station/station.h"

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
constexpr int kExitBadSettings = 2;
constexpr int kExitAlreadyRunning = 3;

// One line per message with its level; under systemd the journal reads the "<n>" priority prefix.
void LogLine(QtMsgType type, const QMessageLogContext&, const QString& text) {
  static const bool journal = qEnvironmentVariableIsSet("JOURNAL_STREAM");
  const char* level = "info";
  int priority = 6;
  switch (type) {
    case QtDebugMsg: level = "debug"; priority = 7; break;
    case QtInfoMsg: break;
    case QtWarningMsg: level = "error"; priority = 3; break;
    case QtCriticalMsg:
    case QtFatalMsg: level = "critical"; priority = 2; break;
  }
  QString line = text;
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QByteArray bytes = line.toUtf8();
  if (journal)
    std::fprintf(stderr, "<%d>%s: %s\n", priority, level, bytes.constData());
  else
    std::fprintf(stderr, "%s: %s\n", level, bytes.constData());
  std::fflush(stderr);
}

// What the station would show in a window goes to the log instead.
class RecorderLog : public StationView {
 public:
  void ShowValuesLost() override {
    linkLost_ = true;
    LogMessage(LogKind::Error, QStringLiteral("converter link lost; reopening"));
  }
  void RefreshOverview() override {
    if (!linkLost_) return;
    linkLost_ = false;
    LogMessage(LogKind::Event, QStringLiteral("converter answering again"));
  }
  void ShowProcessingFailure() override {
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka GetValueJednorazoveMereni - reply not processed"));
  }
  void ShowMqttState(MqttState state) override {
    LogMessage(LogKind::Event, QStringLiteral("mqtt: ") + MqttStateName(state));
  }

 private:
  bool linkLost_ = false;
};

#ifdef Q_OS_UNIX
// SIGTERM and SIGINT end the event loop: the handler only writes a byte, the loop does the rest, so a
// row being written is always finished first.
int signalPipe[2] = {-1, -1};
void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void QuitOnSignals(QCoreApplication& app) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
  QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.quit(); });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}
#else
volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) {
  stopRequested = 1;
}

void QuitOnSignals(QCoreApplication& app) {
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  auto* poll = new QTimer(&app);
  QObject::connect(poll, &QTimer::timeout, &app, [&app] {
    if (stopRequested) app.quit();
  });
  poll->start(250);
}
#endif

// The station's settings file where the window finds it: beside the executable, or in the user's
// configuration folder for an installed program.
QString DefaultSettingsPath() {
  return ThisStationPaths().settingsFile;
}
}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kestrilon-recorder"));
  qInstallMessageHandler(LogLine);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Kestrilon4 recording without windows"));
  parser.addHelpOption();
  const QCommandLineOption settingsOption(QStringLiteral("settings"),
                                          QStringLiteral("The settings file (default: kestrilon4.ini beside the program, or in ~/.config/kestrilon4 when installed)."),
                                          QStringLiteral("FILE"), DefaultSettingsPath());
  const QCommandLineOption checkOption(QStringLiteral("check"),
                                       QStringLiteral("Check the settings file, print the configuration and exit."));
  parser.addOption(settingsOption);
  parser.addOption(checkOption);
  parser.process(app);
  const QString settingsPath = QFileInfo(parser.value(settingsOption)).absoluteFilePath();

  const QStringList problems = CheckSettingsFile(settingsPath);
  if (parser.isSet(checkOption)) {
    Station station;
    station.LoadSettings(settingsPath);
    std::printf("settings: %s%s\n%s\n", qPrintable(settingsPath),
                QFileInfo::exists(settingsPath) ? "" : " (missing: defaults)",
                qPrintable(DescribeRecording(station.Settings(), station)));
    for (const QString& problem : problems) std::printf("bad value: %s\n", qPrintable(problem));
    return problems.isEmpty() ? 0 : kExitBadSettings;
  }
  // A recorder that would record nothing, or not what the file says, does not start: under a service
  // manager a refusal is seen at once, a wrong recording only when the rows are needed.
  if (!problems.isEmpty()) {
    for (const QString& problem : problems)
      LogMessage(LogKind::Error, QStringLiteral("settings %1: %2").arg(settingsPath, problem));
    LogMessage(LogKind::Error, QStringLiteral("not recording: mend the settings file"));
    return kExitBadSettings;
  }

  SingleInstanceGuard guard;
  if (!guard.Acquire()) {
    std::fprintf(stderr, "error: another Kestrilon4 station (window or recorder) is running on this machine; "
                         "not recording\n");
    return kExitAlreadyRunning;
  }
  QuitOnSignals(app);

  RecorderLog log;
  Station station;
  station.SetView(&log);
  station.LoadSettings(settingsPath);
  station.ApplyMqttSettings();
  LogMessage(LogKind::Event, QStringLiteral("recording with %1").arg(settingsPath));
  for (const QString& line : DescribeRecording(station.Settings(), station).split(QLatin1Char('\n')))
    LogMessage(LogKind::Event, line);
  station.StartMeasuring();  // whatever "Autopripojeni" says
  app.exec();
  station.StopMeasuring();
  station.SetView(nullptr);
  LogMessage(LogKind::Event, QStringLiteral("recording stopped"));
  return 0;
}
