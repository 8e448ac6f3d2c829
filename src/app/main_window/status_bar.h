#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "mqtt/mqtt_publisher.h"

class LanguageTable;
class LinkPanel;
class QLabel;
class QProgressBar;
class QStatusBar;
class QToolButton;

// The status bar (StatusBar1): link picture, measuring state, web address, clock; the archive
// problem and the from-to generation's progress on the right. Its one-second clock also notices
// the change of day.
class StatusBarController : public QObject {
 public:
  StatusBarController(QStatusBar* bar, const LanguageTable& language, std::function<void()> dayChanged);

  void SetMeasuringText(const QString& text);
  QString Text(int panel) const;  // panels 1..3
  void ShowLinkIndicator(int value);
  int LinkImageShown() const;
  void ShowArchiveWritable(bool writable, const QString& folder);
  // The broker connection, shown only while publishing is on.
  void ShowMqttState(MqttState state);
  // The active alarms: "Alarmy: 2", blinking while one is not acknowledged, hidden when there are
  // none; a click on it opens the alarm window.
  void ShowAlarms(int active, bool unacknowledged);
  QToolButton* AlarmButton() const { return alarmButton_; }
  bool AlarmBlinking() const { return blink_.isActive(); }
  // The archive, MQTT and alarm texts again in the language now loaded.
  void Relabel();
  // Once per run: the settings file cannot be written (the text shows for a while).
  void ShowSettingsNotSaved(const QString& text);
  QString MqttText() const;
  void ShowGeneration(bool on);
  void SetGenerationProgress(int filesRead, int filesTotal, const QString& text);
  void timStatusRefreshTimer();  // the clock and the change of day, every second
  int DayMemo() const { return dayMemo_; }

 private:
  const LanguageTable& language_;
  LinkPanel* linkPanel_;
  QLabel* panels_[4] = {};
  QLabel* archiveProblem_;  // shown while archive rows cannot be written
  QLabel* mqttState_;
  QToolButton* alarmButton_;
  QTimer blink_;
  int activeAlarms_ = 0;
  bool archiveWritable_ = true;
  QString archiveFolder_;
  MqttState mqtt_ = MqttState::Off;
  bool settingsNotSavedTold_ = false;
  QStatusBar* bar_;
  QLabel* generationLabel_;
  QProgressBar* generationProgress_;
  std::function<void()> dayChanged_;
  QTimer timStatusRefresh_;
  int dayMemo_ = -1;
};
