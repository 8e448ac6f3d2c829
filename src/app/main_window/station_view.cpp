// The station's view: what the station shows, passed on to the pages and the status bar.
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
  trayIcon_->setToolTip(windowTitle().mid(1) + QLatin1Char('\n') + text);
}

void TMainForm::ShowLinkIndicator(int value) {
  statusBar_->ShowLinkIndicator(value);
}

void TMainForm::ShowMqttState(MqttState state) {
  statusBar_->ShowMqttState(state);
}
