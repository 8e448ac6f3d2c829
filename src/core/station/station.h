#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "alarms/alarm_mailer.h"
#include "alarms/alarm_monitor.h"
#include "archive/archive_writer.h"
#include "config/app_settings.h"
#include "config/settings_file.h"
#include "link/converter_link.h"
#include "measurement/channel_processing.h"
#include "mqtt/mqtt_publisher.h"

// What the station asks of the windows, at fixed points of its sequences. Every method has an empty
// default so that the recording path runs without a screen.
class StationView {
 public:
  virtual ~StationView() = default;
  virtual void ShowMeasuringCommands(bool /*measuring*/) {}  // menu items Start/Stop
  virtual void UpdateMeasuringStatus() {}                    // status text and tray hint
  virtual void ApplyChannelSettings() {}                     // idle look of the overview
  virtual void ShowLinkIndicator(int /*value*/) {}
  virtual void ShowValuesLost() {}  // the value boxes read "---", colours kept
  virtual void RefreshOverview() {}
  virtual void ShowProcessingFailure() {}
  // Archive rows cannot be written (false) or are written again (true); told once per change.
  virtual void ShowArchiveWritable(bool /*writable*/, const QString& /*folder*/) {}
  virtual void ShowMqttState(MqttState /*state*/) {}
  // A write of the settings file failed (logged as well).
  virtual void ShowSettingsNotSaved(const QString& /*path*/) {}
  // An alarm was raised, acknowledged or cleared (journalled and sent as well).
  virtual void ShowAlarmChange(const AlarmChange& /*change*/) {}
};

// The run-time state of the station: settings in memory, the four readings and their flags, the
// converter link and the two archive timers. One thread; everything runs from the event loop.
class Station : public QObject, public TimerIntervals {
  Q_OBJECT
 public:
  explicit Station(QObject* parent = nullptr);

  void SetView(StationView* view) { view_ = view ? view : &noView_; }
  // Lets pending events run at the points where the station does so; tests may replace it.
  void SetEventPump(std::function<void()> pump) { pump_ = std::move(pump); }

  AppSettings& Settings() { return settings_; }
  const AppSettings& Settings() const { return settings_; }
  Measurement& Readings() { return measurement_; }
  const Measurement& Readings() const { return measurement_; }
  ConverterLink& Link() { return link_; }
  MqttPublisher& Mqtt() { return mqtt_; }
  AlarmMonitor& Alarms() { return alarms_; }
  // The alarm list an earlier run of the program left beside the journal, each alarm in its state;
  // once, after the first LoadSettings (the programs do it; a station of a test starts empty).
  void RestoreAlarms();
  AlarmMailer& Mailer() { return mailer_; }
  // Connects to the broker of the MQTT settings (or disconnects when publishing is off) and starts
  // or stops the e-mail of alarms.
  void ApplyNotificationSettings();
  // Home Assistant's discovery configs, when "HomeAssistant" is on (at every connect, after settings).
  void PublishDiscovery();

  bool MeasuringOn() const { return measuringOn_; }
  void SetMeasuringOn(bool on) { measuringOn_ = on; }

  // Reads the whole settings file into the station (records and timer intervals) and returns the
  // stored window geometry; publishing starts with ApplyNotificationSettings. A file that cannot be read is logged ("Vyjimka Init - ") and every key
  // not yet read takes its default: never zeros or empty texts.
  WindowGeometry LoadSettings(const QString& path);

  // The three writes of the settings file, each its keys in their fixed order and the file replaced
  // once; a failure is logged ("Vyjimka Exit - ", "Vyjimka SaveIniFile - ") and leaves the file as
  // it was. The exit write then stops measuring.
  void SaveExitSettings(const QString& path, const WindowGeometry& window);
  void SaveDialogSettings(const QString& path);
  void SaveMeasurementParameters(const QString& path);

  void StartMeasuring();
  void StopMeasuring();
  // While measuring, each archive timer runs exactly when its archive is switched on.
  void ApplyArchiveSwitches();

  // An accepted reply: processed, a failure reported to the view.
  void ProcessReply(const QString& reply);
  void WriteArchiveRow(ArchiveKind kind);

  int MeasuringPeriod() const override { return link_.Period(); }
  void SetMeasuringPeriod(int ms) override { link_.SetPeriod(ms); }
  int SlowArchiveInterval() const override { return slowArchiveTimer_.interval(); }
  void SetSlowArchiveInterval(int ms) override { SetInterval(slowArchiveTimer_, ms); }
  int FastArchiveInterval() const override { return fastArchiveTimer_.interval(); }
  void SetFastArchiveInterval(int ms) override { SetInterval(fastArchiveTimer_, ms); }

  const QTimer& SlowArchiveTimer() const { return slowArchiveTimer_; }
  const QTimer& FastArchiveTimer() const { return fastArchiveTimer_; }

 private:
  void OnDrop();
  void JudgeAlarms();
  void OnAlarmChange(const AlarmChange& change);
  void OnMqttMessage(const QString& topic, const QByteArray& payload);
  // The topic acknowledgements come from: only when allowed, and only on a connection with a login.
  QString AckTopic() const;
  void WriteSettings(const QString& path, const QString& place, const std::function<void(SettingsFile&)>& write);
  // Readings fit for the archive and the broker: processed since the last start or drop.
  bool ArchiveGateOpen() const;
  static void SetInterval(QTimer& timer, int ms);
  static void StartTimer(QTimer& timer);
  void SetRemoteFromSettings();

  StationView noView_;
  StationView* view_ = &noView_;
  std::function<void()> pump_;
  AppSettings settings_;
  Measurement measurement_;
  ConverterLink link_;
  bool measuringOn_ = false;
  bool archiveWritable_ = true;
  ArchiveWriter archiveWriter_;
  MqttPublisher mqtt_;
  std::array<bool, kInputCount> inactiveCleared_{};
  bool alarmsListOwed_ = true;  // <prefix>/alarms not yet published on this connection  // per input: its retained topic cleared on this connection
  AlarmMonitor alarms_;
  AlarmMailer mailer_;
  QTimer alarmTimer_;        // the alarms that wait for time alone
  bool linkUp_ = false;      // a reply came since measuring started or the link dropped
  bool linkWasLost_ = false;
  QTimer slowArchiveTimer_;  // timArchivacePomala
  QTimer fastArchiveTimer_;  // timArchivaceRychla
};
