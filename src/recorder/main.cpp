// kestrilon-recorder: the station without windows. Reads the station's settings file, measures from
// its start, writes both archives and publishes over MQTT exactly as the window does; never writes
// the settings file. Logs one line per event to stderr; SIGTERM or SIGINT stops it cleanly, SIGHUP
// reads the settings file again.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <tuple>
#include <functional>

#include "journal/journal.h"
#include "report/report_schedule.h"
#include "config/station_paths.h"
#include "service_manager.h"
#include "station/log_message.h"
#include "station/process_signals.h"
#include "station/settings_check.h"
#include "station/single_instance.h"
#include "station/station.h"

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

// Logs each problem of the settings file; true when none stops recording.
bool SettingsUsable(const QString& path) {
  const QList<SettingsProblem> problems = CheckSettingsFile(path);
  for (const SettingsProblem& problem : problems)
    LogMessage(problem.kind == SettingsProblem::Kind::Unusable ? LogKind::Error : LogKind::Event,
               QStringLiteral("settings %1: %2%3")
                   .arg(path, problem.kind == SettingsProblem::Kind::Unusable ? QString() : QStringLiteral("unusual: "),
                        problem.text));
  return !AnyUnusable(problems);
}

void LogConfiguration(const Station& station, const QString& path) {
  LogMessage(LogKind::Event, QStringLiteral("recording with %1").arg(path));
  for (const QString& line : DescribeRecording(station.Settings(), station).split(QLatin1Char('\n')))
    LogMessage(LogKind::Event, line);
}

// The station's settings file where the window finds it: beside the executable, or in the user's
// configuration folder for an installed program.
QString DefaultSettingsPath() {
  return ThisStationPaths().settingsFile;
}

// The report program installed beside this one.
QString ReportProgram() {
#ifdef Q_OS_WIN
  return QCoreApplication::applicationDirPath() + QStringLiteral("/kestrilon-report.exe");
#else
  return QCoreApplication::applicationDirPath() + QStringLiteral("/kestrilon-report");
#endif
}
}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kestrilon-recorder"));
  qInstallMessageHandler(LogLine);

  QCommandLineParser parser;
  QCoreApplication::setApplicationVersion(QStringLiteral(KESTRILON_VERSION));
  parser.setApplicationDescription(QStringLiteral(
      "Kestrilon4 recording without windows: measures from its start, writes the archives and publishes\n"
      "over MQTT as the settings file says; never writes the settings file. Writes the reports of\n"
      "[REPORTS] at the first full minute after their period, and those missed at its start.\n\n"
      "Signals: SIGTERM or SIGINT stop recording between rows (exit 0). SIGHUP reads the settings file\n"
      "again and restarts measuring with it; a file with problems is named in the log and not applied.\n"
      "Edits of the settings file take effect only then, or at the next start.\n\n"
      "Exit codes: 0 stopped by a signal, or --check found nothing that stops recording (values\n"
      "outside what the settings dialogs offer are listed as unusual); 2 the settings are wrong or\n"
      "would record nothing (each key and reason is logged); 3 another Kestrilon4 station runs on\n"
      "this machine."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption settingsOption(QStringLiteral("settings"),
                                          QStringLiteral("The settings file (default: kestrilon4.ini beside the program, or in ~/.config/kestrilon4 when installed)."),
                                          QStringLiteral("FILE"), DefaultSettingsPath());
  const QCommandLineOption checkOption(QStringLiteral("check"),
                                       QStringLiteral("Check the settings file, print the configuration and exit."));
  parser.addOption(settingsOption);
  parser.addOption(checkOption);
  parser.process(app);
  const QString settingsPath = QFileInfo(parser.value(settingsOption)).absoluteFilePath();

  if (parser.isSet(checkOption)) {
    const QList<SettingsProblem> problems = CheckSettingsFile(settingsPath);
    Station station;
    station.LoadSettings(settingsPath);
    std::printf("settings: %s%s\n%s\n", qPrintable(settingsPath),
                QFileInfo::exists(settingsPath) ? "" : " (missing: defaults)",
                qPrintable(DescribeRecording(station.Settings(), station)));
    for (const SettingsProblem& problem : problems)
      std::printf("%s: %s\n", problem.kind == SettingsProblem::Kind::Unusable ? "bad value" : "unusual value",
                  qPrintable(problem.text));
    return AnyUnusable(problems) ? kExitBadSettings : 0;
  }
  // A recorder that would record nothing, or not what the file says, does not start: under a service
  // manager a refusal is seen at once, a wrong recording only when the rows are needed.
  if (!SettingsUsable(settingsPath)) {
    LogMessage(LogKind::Error, QStringLiteral("not recording: mend the settings file"));
    return kExitBadSettings;
  }

  SingleInstanceGuard guard;
  if (!guard.Acquire()) {
    std::fprintf(stderr, "error: another Kestrilon4 station (window or recorder) is running on this machine; "
                         "not recording\n");
    return kExitAlreadyRunning;
  }
  RecorderLog log;
  Station station;
  ServiceManager service;
  ReportScheduler reports(ReportProgram(), settingsPath);
  // SIGHUP: the file is checked first; a good one is applied as a restart of measuring would, a
  // bad one is named and recording goes on with the settings it has.
  HandleProcessSignals(&app, [&](ProcessSignal request) {
    if (request == ProcessSignal::Stop) return app.quit();
    service.Reloading();
    if (SettingsUsable(settingsPath)) {
      // Measuring restarts only for another converter or period: a restart leaves a gap in the archive.
      const auto link = [&] { return std::tuple(station.Settings().IP, station.Settings().Port, station.MeasuringPeriod()); };
      const auto before = link();
      station.LoadSettings(settingsPath);
      station.ApplyNotificationSettings();
      LogConfiguration(station, settingsPath);
      const bool restart = link() != before;
      if (restart) {
        station.StopMeasuring();
        station.StartMeasuring();
      } else {
        station.ApplyArchiveSwitches();
      }
      reports.Apply(station.Settings());
      LogMessage(LogKind::Event, restart ? QStringLiteral("settings read again; measuring restarted")
                                         : QStringLiteral("settings read again; measuring goes on"));
    } else {
      LogMessage(LogKind::Error, QStringLiteral("settings not applied: recording goes on as before"));
    }
    service.Ready();
  });
  station.SetView(&log);
  station.LoadSettings(settingsPath);
  station.RestoreAlarms();
  station.ApplyNotificationSettings();
  LogConfiguration(station, settingsPath);
  JournalEvent(QLatin1String(JournalKind::kProgramStarted), 0,
               QStringLiteral("kestrilon-recorder " KESTRILON_VERSION));
  station.StartMeasuring();  // whatever "Autopripojeni" says
  reports.Apply(station.Settings());  // and the reports missed while it was not running
  service.Ready();
  app.exec();
  service.Stopping();
  station.StopMeasuring();
  station.SetView(nullptr);
  LogMessage(LogKind::Event, QStringLiteral("recording stopped"));
  LogMessage(LogKind::Event, QString::fromUtf8(kExitLine));
  return 0;
}
