// The settings load and the three write routines of the main window.
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QToolButton>

#include "config/settings_schema.h"
#include "shell/log_message.h"
#include "shell/main_form.h"

void TMainForm::LoadSettings() {
  QGuiApplication::setApplicationDisplayName(windowTitle());
  trayIcon_->setToolTip(windowTitle().mid(1) + QLatin1Char('\n') + StatusText(1));
  AppSettings& s = Settings();
  try {
    const SettingsFile file(settingsPath_);
    const WindowGeometry g = SettingsSchema::ReadWindow(file);
    move(g.Left, g.Top);
    resize(g.Width, g.Height);
    for (int n = 1; n <= 4; ++n) SettingsSchema::ReadChannel(file, n, s.Channel(n));
    SettingsSchema::ReadConverter(file, s, station_);
    SettingsSchema::ReadArchive(file, s, station_);
    SettingsSchema::ReadOther(file, s);
    SettingsSchema::ReadMeasurementParameters(file, s);
    if (s.Language == 1)
      SwitchToCzech();
    else if (s.Language == 2)
      SwitchToEnglish();
    ApplyChannelSettings();
    s.UpdateArchiveSeparator();
    SetArchiveConnection();
  } catch (const std::exception& e) {
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka Init - ") + QString::fromLocal8Bit(e.what()));
  }
  ui.edFyzPrumer1->setText(QStringLiteral("---"));
  if (s.Autopripojeni) {
    tbMereni_->setChecked(true);
    tbMereniClick();
  }
  // A restore from the tray must not mark a running measurement as stopped.
  station_.SetMeasuringOn(s.Autopripojeni || station_.MeasuringOn());
}

void TMainForm::SaveExitSettings() {
  try {
    SettingsFile file(settingsPath_);
    SettingsSchema::WriteExitKeys(file, CurrentGeometry(), Settings());
  } catch (const std::exception& e) {
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka Exit - ") + QString::fromLocal8Bit(e.what()));
  }
  station_.StopMeasuring();
}

void TMainForm::SaveDialogSettings() {
  try {
    SettingsFile file(settingsPath_);
    SettingsSchema::WriteDialogKeys(file, Settings(), station_);
  } catch (const std::exception& e) {
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka SaveIniFile - ") + QString::fromLocal8Bit(e.what()));
  }
}

void TMainForm::SaveMeasurementParameters() {
  try {
    SettingsFile file(settingsPath_);
    SettingsSchema::WriteMeasurementParameterKeys(file, Settings());
  } catch (const std::exception& e) {
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka SaveIniFile - ") + QString::fromLocal8Bit(e.what()));
  }
}
