// The station's view: what the station shows, passed on to the pages and the status bar.
#include <QSystemTrayIcon>

#include "main_window/alarm_window.h"
#include "main_window/daily_chart_page.h"
#include "main_window/main_form.h"
#include "main_window/overview_page.h"
#include "main_window/status_bar.h"
#include "station/clock.h"
#include "station/regional.h"
#include "widgets/pictures.h"

void TMainForm::ApplyChannelSettings() {
  overview_->ApplyChannelSettings();
}

void TMainForm::RefreshOverview() {
  overview_->Refresh();
}

void TMainForm::ShowValuesLost() {
  overview_->ShowValuesLost();
  overview_->ShowLinkLost(languageTable_.Text(QStringLiteral("msgSpojeniPreruseno")) + QStringLiteral(" – ") +
                          Regional::DateTime(Clock::Now()));
}

void TMainForm::ShowArchiveWritable(bool writable, const QString& folder) {
  statusBar_->ShowArchiveWritable(writable, folder);
}

void TMainForm::ShowSettingsNotSaved(const QString& path) {
  statusBar_->ShowSettingsNotSaved(languageTable_.Text(QStringLiteral("msgNastaveniNeulozeno")).arg(path));
}

void TMainForm::ShowProcessingFailure() {
  prompt_.Notify(UserPrompt::Icon::Error, windowTitle().trimmed(), QStringLiteral("GetValueJednorazoveMereni"));
}

void TMainForm::ShowMeasuringCommands(bool measuring) {
  ui.miStartMereni->setEnabled(!measuring);
  ui.miStopMereni->setEnabled(measuring);
}

void TMainForm::UpdateMeasuringStatus() {
  const QString text = Message(station_.MeasuringOn() ? QStringLiteral("msgMereniZapnuto")
                                                      : QStringLiteral("msgMereniVypnuto"));
  statusBar_->SetMeasuringText(text);
  ShowTrayToolTip();
}

// The caption, the measuring state and, while there are any, the active alarms.
void TMainForm::ShowTrayToolTip() {
  QString tip = windowTitle().mid(1) + QLatin1Char('\n') + statusBar_->Text(1);
  if (const qsizetype active = station_.Alarms().Active().size(); active > 0)
    tip += QLatin1Char('\n') + languageTable_.Shown(QStringLiteral("msgAlarmy")).arg(active);
  trayIcon_->setToolTip(tip);
}

void TMainForm::ShowAlarmChange(const AlarmChange& change) {
  const AlarmMonitor& alarms = station_.Alarms();
  statusBar_->ShowAlarms(int(alarms.Active().size()), alarms.AnyUnacknowledged());
  alarmWindow_->ShowAlarms();
  if (alarmWindow_->isVisible()) alarmWindow_->ShowJournal();
  ShowTrayToolTip();
  // Hidden in the tray: the desktop tells of a new alarm.
  if (change.alarm.state == AlarmState::Raised && !isVisible() && trayIcon_->isVisible()) {
    const Alarm& a = change.alarm;
    trayIcon_->showMessage(languageTable_.Shown(QStringLiteral("msgNovyAlarm")),
                           (a.input > 0 ? QStringLiteral("IN%1: ").arg(a.input) : QString()) +
                               AlarmKindText(languageTable_, a.kind),
                           QSystemTrayIcon::Warning);
  }
}

void TMainForm::ShowAlarmWindow() {
  alarmWindow_->ShowAlarms();
  alarmWindow_->ShowJournal();
  alarmWindow_->show();
  alarmWindow_->raise();
  alarmWindow_->activateWindow();
}

void TMainForm::ShowLinkIndicator(int value) {
  statusBar_->ShowLinkIndicator(value);
}

void TMainForm::ShowMqttState(MqttState state) {
  statusBar_->ShowMqttState(state);
}
