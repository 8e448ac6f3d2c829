#include "station/station.h"

#include <QDir>
#include <QCoreApplication>

#include "alarms/alarm_json.h"
#include "config/settings_schema.h"
#include "journal/journal.h"
#include "station/clock.h"
#include "mqtt/home_assistant.h"
#include "mqtt/mqtt_messages.h"
#include "mqtt/mqtt_password.h"
#include "station/log_message.h"

Station::Station(QObject* parent) : QObject(parent), link_(this) {
  pump_ = [] { QCoreApplication::processEvents(); };
  mqtt_.SetStatus("offline");  // "online" from the first reading on: no reading yet, no values to trust
  slowArchiveTimer_.setTimerType(Qt::PreciseTimer);
  fastArchiveTimer_.setTimerType(Qt::PreciseTimer);
  slowArchiveTimer_.setInterval(1000);
  fastArchiveTimer_.setInterval(500);
  connect(&slowArchiveTimer_, &QTimer::timeout, this, [this] { WriteArchiveRow(ArchiveKind::Slow); });
  connect(&fastArchiveTimer_, &QTimer::timeout, this, [this] { WriteArchiveRow(ArchiveKind::Fast); });

  ConverterLink::Hooks hooks;
  hooks.replyAccepted = [this](const QString& reply) { ProcessReply(reply); };
  hooks.dropping = [this] { OnDrop(); };
  hooks.indicatorChanged = [this](int value) { view_->ShowLinkIndicator(value); };
  hooks.reopening = [this] { SetRemoteFromSettings(); };
  hooks.pump = [this] { pump_(); };
  link_.SetHooks(std::move(hooks));
  connect(&mqtt_, &MqttPublisher::LogLine, this, [](bool error, const QString& text) {
    LogMessage(error ? LogKind::Error : LogKind::Event, text);
  });
  alarmTimer_.setInterval(1000);
  connect(&alarmTimer_, &QTimer::timeout, this, [this] { alarms_.Tick(Clock::Now(), settings_); });
  alarmTimer_.start();
  connect(&alarms_, &AlarmMonitor::Changed, this, &Station::OnAlarmChange);
  connect(&mqtt_, &MqttPublisher::Received, this, &Station::OnMqttMessage);
  connect(&mailer_, &AlarmMailer::Problem, this, [](bool error, const QString& text) {
    LogMessage(error ? LogKind::Error : LogKind::Event, text);
  });
  connect(&mqtt_, &MqttPublisher::StateChanged, this, [this](MqttState state) {
    alarms_.Broker(settings_.Mqtt.Active, state == MqttState::Connected, Clock::Now());
    if (state == MqttState::Connected) {
      // At once (a list an earlier run left retained may be stale), and again with the first readings.
      mqtt_.Publish({ActiveAlarmsMessage(settings_.Mqtt.TopicPrefix, alarms_.Active())});
      alarmsListOwed_ = true;
      inactiveCleared_.fill(false);  // a new connection: clear again
      PublishDiscovery();            // on every connect, as Home Assistant expects
    }
    view_->ShowMqttState(state);
  });
}

void Station::ApplyNotificationSettings() {
  MqttSettings target = settings_.Mqtt;
  // The password kept out of the settings file stays out of memory that is written back.
  if (const std::optional<QString> password = MqttPasswordFromFile(target)) target.Password = *password;
  mqtt_.Subscribe(AckTopic());
  mqtt_.Configure(target);
  mailer_.SetOutbox(QDir(settings_.DatabaseDir).filePath(QStringLiteral("Outbox")));  // mails outlive a stop
  mailer_.Configure(settings_.Mail);
  PublishDiscovery();  // the inputs may have changed (settings dialog)
}

QString Station::AckTopic() const {
  if (!settings_.Alarms.AckFromMqtt || settings_.Mqtt.User.isEmpty()) return {};
  return MqttTopic(settings_.Mqtt.TopicPrefix, QStringLiteral("alarm/ack"));
}

void Station::OnMqttMessage(const QString& topic, const QByteArray& payload) {
  if (topic.isEmpty() || topic != AckTopic()) return;  // allowed when subscribed, refused since
  const std::optional<AlarmAckRequest> request = ParseAlarmAck(payload);
  if (!request) return;
  const QDateTime now = Clock::Now();
  if (request->all)
    alarms_.AcknowledgeAll(QStringLiteral("mqtt"), now, request->by);
  else
    alarms_.Acknowledge(request->kind, request->input, QStringLiteral("mqtt"), now, request->by);
}

void Station::OnAlarmChange(const AlarmChange& change) {
  // By AlarmState; a change never carries ClearedUnacknowledged (that is the list's), told as cleared.
  static const char* const kinds[] = {JournalKind::kAlarmRaised, JournalKind::kAlarmAcknowledged,
                                      JournalKind::kAlarmCleared, JournalKind::kAlarmCleared};
  JournalEvent(QLatin1String(kinds[int(change.alarm.state)]), change.alarm.input, AlarmChangeText(change), change.at);
  SaveAlarms(settings_.DatabaseDir, alarms_.Active());  // a restart keeps the states
  if (settings_.Mqtt.Active) {
    mqtt_.Publish({AlarmChangeMessage(settings_.Mqtt.TopicPrefix, change)}, true);
    mqtt_.Publish({ActiveAlarmsMessage(settings_.Mqtt.TopicPrefix, alarms_.Active())});
  }
  mailer_.Notify(change);
  view_->ShowAlarmChange(change);
}

void Station::PublishDiscovery() {
  if (settings_.Mqtt.Active && settings_.Mqtt.HomeAssistant)
    // Three periods without a value: Home Assistant shows the sensor unavailable.
    mqtt_.Publish(HomeAssistantDiscovery(settings_.Mqtt.TopicPrefix, settings_, std::max(1, (3 * MeasuringPeriod() + 999) / 1000)));
}

void Station::SetInterval(QTimer& timer, int ms) {
  // Setting an interval restarts a running timer: the same one again (every load does so) must not
  // postpone the next row.
  if (timer.interval() != ms) timer.setInterval(ms);
  if (ms <= 0) timer.stop();
}

void Station::StartTimer(QTimer& timer) {
  if (timer.interval() > 0 && !timer.isActive()) timer.start();  // a running one keeps its countdown
}

void Station::SetRemoteFromSettings() {
  link_.SetRemote(settings_.IP, settings_.Port);
}

WindowGeometry Station::LoadSettings(const QString& path) {
  SettingsFile::RemoveLeftovers(path);  // of a write that was killed half-way
  const WindowGeometry geometry =
      SettingsSchema::ReadAll(SettingsFile(path), settings_, *this, [](const std::exception& e) {
        LogMessage(LogKind::Error, QStringLiteral("Vyjimka Init - ") + QString::fromLocal8Bit(e.what()));
      });
  SetJournalFolder(settings_.DatabaseDir);
  return geometry;
}

void Station::RestoreAlarms() {
  alarms_.Restore(LoadAlarms(settings_.DatabaseDir));
}

// Runs one write routine: its keys in memory, then one replacement of the file. A failure is logged
// under the place's name, told to the view, and leaves the file as it was.
void Station::WriteSettings(const QString& path, const QString& place,
                            const std::function<void(SettingsFile&)>& write) {
  try {
    SettingsFile file(path);
    file.BeginEdit();
    write(file);
    file.CommitEdit();
    JournalEvent(QLatin1String(JournalKind::kSettingsWritten), 0, QStringLiteral("%1 (%2)").arg(path, place));
  } catch (const std::exception& e) {
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka %1 - ").arg(place) + QString::fromLocal8Bit(e.what()));
    view_->ShowSettingsNotSaved(path);
  }
}

void Station::SaveExitSettings(const QString& path, const WindowGeometry& window) {
  WriteSettings(path, QStringLiteral("Exit"),
                [&](SettingsFile& f) { SettingsSchema::WriteKeys(f, SettingsSchema::Writer::Exit, {settings_, *this, window}); });
  StopMeasuring();
}

void Station::SaveDialogSettings(const QString& path) {
  SetJournalFolder(settings_.DatabaseDir);  // the dialog may have chosen another archive folder
  WriteSettings(path, QStringLiteral("SaveIniFile"),
                [&](SettingsFile& f) { SettingsSchema::WriteKeys(f, SettingsSchema::Writer::Dialog, {settings_, *this, {}}); });
}

void Station::SaveMeasurementParameters(const QString& path) {
  WriteSettings(path, QStringLiteral("SaveIniFile"),
                [&](SettingsFile& f) {
                  SettingsSchema::WriteKeys(f, SettingsSchema::Writer::MeasurementParameters, {settings_, *this, {}});
                });
}

void Station::StartMeasuring() {
  JournalEvent(QLatin1String(JournalKind::kMeasuringStarted), 0,
               QStringLiteral("converter %1:%2").arg(settings_.IP, settings_.Port));
  linkUp_ = linkWasLost_ = false;
  alarms_.Measuring(true, Clock::Now());
  SetRemoteFromSettings();
  link_.Open();
  link_.ResetMissedReplies();
  measuringOn_ = true;
  if (settings_.PomalaActive) StartTimer(slowArchiveTimer_);
  if (settings_.RychlaActive) StartTimer(fastArchiveTimer_);
  view_->ShowMeasuringCommands(true);
  measurement_.AwaitingFirstReply = true;
  measurement_.ReadingsValid = false;
  // Events run before the first poll: the link is opening, the timers are armed and the readings
  // wait for their first reply, so an archive tick here writes nothing.
  pump_();
  link_.StartPolling();
  view_->UpdateMeasuringStatus();
  link_.SetLinkIndicator(ConverterLink::Connected);
}

void Station::StopMeasuring() {
  if (measuringOn_) JournalEvent(QLatin1String(JournalKind::kMeasuringStopped), 0, QString());
  alarms_.Measuring(false, Clock::Now());
  link_.Close();
  measuringOn_ = false;
  slowArchiveTimer_.stop();
  fastArchiveTimer_.stop();
  // Also the pending time-out, reopening and indicator hold: none of them may act after a stop.
  link_.StopPolling();
  view_->ShowMeasuringCommands(false);
  view_->ApplyChannelSettings();
  view_->UpdateMeasuringStatus();
  link_.SetLinkIndicator(ConverterLink::Stopped);
}

void Station::ApplyArchiveSwitches() {
  if (!measuringOn_) return;
  if (settings_.PomalaActive) {
    if (!slowArchiveTimer_.isActive()) StartTimer(slowArchiveTimer_);
  } else {
    slowArchiveTimer_.stop();
  }
  if (settings_.RychlaActive) {
    if (!fastArchiveTimer_.isActive()) StartTimer(fastArchiveTimer_);
  } else {
    fastArchiveTimer_.stop();
  }
}

void Station::ProcessReply(const QString& reply) {
  try {
    measurement_.ProcessReply(reply, settings_, [this] { view_->RefreshOverview(); });
    JudgeAlarms();
    // Published exactly when the archive would take a row: the same readings reach both.
    if (ArchiveGateOpen() && settings_.Mqtt.Active) {
      QList<MqttMessage> messages = ReadingMessages(settings_.Mqtt.TopicPrefix, Clock::Now(), settings_, measurement_);
      // A switched-off input's retained value would be taken for a current one: cleared once per
      // connection (an empty retained message), whatever an earlier run left.
      for (int n = 1; n <= kInputCount; ++n) {
        bool& cleared = inactiveCleared_[size_t(n - 1)];
        if (!settings_.Channel(n).Activ && !cleared)
          messages.append({MqttTopic(settings_.Mqtt.TopicPrefix, QStringLiteral("IN%1").arg(n)), QByteArray(), true});
        cleared = !settings_.Channel(n).Activ;
      }
      if (std::exchange(alarmsListOwed_, false))
        messages.append(ActiveAlarmsMessage(settings_.Mqtt.TopicPrefix, alarms_.Active()));
      mqtt_.SetStatus("online");
      mqtt_.Publish(messages);
    }
  } catch (const ProcessingError&) {
    view_->ShowProcessingFailure();
  }
}

// An accepted reply: the link is up again, and the inputs are judged once their readings count.
void Station::JudgeAlarms() {
  const QDateTime now = Clock::Now();
  if (!linkUp_ && linkWasLost_)
    JournalEvent(QLatin1String(JournalKind::kLinkRestored), 0, QStringLiteral("converter answering again"));
  linkUp_ = true;
  linkWasLost_ = false;
  alarms_.ReplyAccepted(now);
  if (!ArchiveGateOpen()) return;
  std::array<AlarmInput, kInputCount> inputs;
  for (int n = 1; n <= kInputCount; ++n) {
    const ChannelReading& r = measurement_.Reading(n);
    inputs[size_t(n - 1)] = {settings_.Channel(n).Activ, r.StatusText == QLatin1String("80"), r.AverageValue,
                             r.DisplayValue};
  }
  alarms_.SetReadingPeriod(MeasuringPeriod());
  alarms_.Inputs(now, settings_, inputs);
}

void Station::OnDrop() {
  if (linkUp_)
    JournalEvent(QLatin1String(JournalKind::kLinkLost), 0,
                 QStringLiteral("no reply from %1:%2").arg(settings_.IP, settings_.Port));
  linkWasLost_ = linkWasLost_ || linkUp_;
  linkUp_ = false;
  measurement_.ClearForDrop();
  view_->ShowValuesLost();
  if (settings_.Mqtt.Active) {
    mqtt_.SetStatus("link-lost");
    mqtt_.Publish(LinkLostMessages(settings_.Mqtt.TopicPrefix, Clock::Now()));
  }
}

bool Station::ArchiveGateOpen() const {
  return !measurement_.AwaitingFirstReply && measurement_.ReadingsValid;
}

void Station::WriteArchiveRow(ArchiveKind kind) {
  if (!ArchiveGateOpen()) return;
  static_assert(kArchiveColumns == kInputCount, "an archive row holds one column per input");
  ArchiveValues values{};
  for (int n = 1; n <= kInputCount; ++n) values[n - 1] = measurement_.Reading(n).DisplayValue;
  const bool written =
      archiveWriter_.Append(settings_.DatabaseDir, kind, Clock::Now(), settings_.ArchiveSeparator, values).IsOk();
  // A read-only, full or vanished folder is told once, and so is its recovery: never a box per row.
  if (written == archiveWritable_) return;
  archiveWritable_ = written;
  alarms_.ArchiveWritable(written, Clock::Now());
  LogMessage(written ? LogKind::Event : LogKind::Error,
             (written ? QStringLiteral("Archive rows written again to %1")
                      : QStringLiteral("Archive row not written to %1"))
                 .arg(settings_.DatabaseDir));
  view_->ShowArchiveWritable(written, settings_.DatabaseDir);
}
