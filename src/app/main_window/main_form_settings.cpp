// The settings load and the three write routines of the main window.
#include <QSystemTrayIcon>
#include <QToolButton>

#include "main_window/main_form.h"
#include "widgets/outer_frame.h"
#include "main_window/range_chart_page.h"
#include "main_window/status_bar.h"

void TMainForm::LoadSettings() {
  // The application title is the caption; not given to the toolkit as its display name, which would
  // add " — Kestrilon4" to every box and dialog caption.
  ShowTrayToolTip();
  AppSettings& s = Settings();
  ApplyGeometry(station_.LoadSettings(settingsPath_));
  station_.ApplyNotificationSettings();
  if (FindInterfaceLanguage(s.Language)) SwitchToLanguage(s.Language);  // any other code: the designed texts
  ApplyChannelSettings();
  rangeChart_->SetArchiveConnection();
  ui.edFyzPrumer1->setText(QStringLiteral("---"));
  if (s.Autopripojeni) {
    tbMereni_->setChecked(true);
    tbMereniClick();
  }
  // A restore from the tray must not mark a running measurement as stopped.
  station_.SetMeasuringOn(s.Autopripojeni || station_.MeasuringOn());
}

void TMainForm::ApplyGeometry(const WindowGeometry& g) {
  // The stored rectangle is the outer frame, fitted to the desktop: an absurd stored size must not
  // build a giant window (and be written back at exit).
  outerFrame_->Apply(QRect(g.Left, g.Top, g.Width, g.Height));
}

void TMainForm::SaveExitSettings() {
  station_.SaveExitSettings(settingsPath_, CurrentGeometry());
}

void TMainForm::SaveDialogSettings() {
  station_.SaveDialogSettings(settingsPath_);
  station_.ApplyNotificationSettings();
}

void TMainForm::SaveMeasurementParameters() {
  station_.SaveMeasurementParameters(settingsPath_);
}
