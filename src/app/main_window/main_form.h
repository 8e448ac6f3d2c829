#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "i18n/language_table.h"
#include "station/station.h"
#include "prompts/user_prompt.h"
#include "ui_main_form.h"
#include "widgets/named_controls.h"

class DailyChartPage;
class OuterFrame;
class OverviewPage;
class QMenu;
class QSystemTrayIcon;
class QToolButton;
class ConsumptionPage;
class RangeChartPage;
class StatusBarController;
class TAboutBox;
class TDlgNastaveni;
class TDlgParametryMereni;
class TfrmDataSheet;

// The main window: owns the station for the whole run, its commands, tray, language and settings
// glue. Its three pages and its status bar are controllers of their own (overview_page.h,
// daily_chart_page.h, range_chart_page.h, status_bar.h).
class AlarmWindow;
class ReportWindow;

class TMainForm : public QMainWindow, public StationView {
  Q_OBJECT
 public:
  // The confirmed exit, also without its question (SIGTERM, SIGHUP: a logout, a service stop):
  // settings written, measuring stopped, the exit line logged, then ExitConfirmed. Once.
  void EndProgram();
  TMainForm(UserPrompt& prompt, const QString& settingsPath, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The other windows, created after this one and living until the end.
  void AttachWindows(TDlgNastaveni* nastaveni, TAboutBox* about, TfrmDataSheet* dataSheet,
                     TDlgParametryMereni* parametry);

  Ui::TMainForm& Form() { return ui; }
  Station& station() { return station_; }
  AppSettings& Settings() { return station_.Settings(); }
  const AppSettings& Settings() const { return station_.Settings(); }
  UserPrompt& Prompt() { return prompt_; }
  const QString& SettingsPath() const { return settingsPath_; }
  QSystemTrayIcon* TrayIcon() const { return trayIcon_; }
  // Whether the desktop has a notification area to hide in (tests replace the desktop's answer).
  void SetTrayAvailability(std::function<bool()> available) { trayAvailable_ = std::move(available); }

  // Start-up and exit
  void FormShow();

  // Settings file
  void LoadSettings();
  void SaveExitSettings();
  void SaveDialogSettings();
  void SaveMeasurementParameters();

  // Pages and status bar
  OverviewPage& Overview() { return *overview_; }
  DailyChartPage& DailyChart() { return *dailyChart_; }
  RangeChartPage& RangeChart() { return *rangeChart_; }
  ConsumptionPage& Consumption() { return *consumption_; }
  AlarmWindow& Alarms() { return *alarmWindow_; }
  ReportWindow& Reports() { return *reportWindow_; }
  void ShowAlarmWindow();  // miAlarmy, the status bar's alarm button
  void ShowTrayToolTip();
  StatusBarController& StatusBar() { return *statusBar_; }
  void ApplyChartSettings();  // both charts and the bars from the settings
  void PrintActivePage();

  // Station view
  void ApplyChannelSettings() override;
  void RefreshOverview() override;
  void ShowValuesLost() override;
  void ShowProcessingFailure() override;
  void ShowArchiveWritable(bool writable, const QString& folder) override;
  void UpdateMeasuringStatus() override;
  void ShowMeasuringCommands(bool measuring) override;
  void ShowLinkIndicator(int value) override;
  void ShowMqttState(MqttState state) override;
  void ShowSettingsNotSaved(const QString& path) override;
  void ShowAlarmChange(const AlarmChange& change) override;

  // Commands, tray
  void FormKeyDown(int key);
  void RestoreFromTray();

  // Languages
  void SwitchToCzech();
  void SwitchToEnglish();
  // Loads the column of a language code and puts it into effect; the code is stored at exit.
  void SwitchToLanguage(int code);
  void ApplyLanguage();
  const LanguageTable& Language() const { return languageTable_; }
  // One of the twelve message texts of the main window (empty until a language is applied).
  QString Message(const QString& key) const { return messages_.value(key); }

 signals:
  void ExitConfirmed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateToolBar();
  void CreateAxisChoice();  // "Osa pro každou veličinu" on both chart pages
  void CreateTray();
  void ConnectCommands();
  void FormClose(QCloseEvent* event);

  WindowGeometry CurrentGeometry() const;
  void ApplyGeometry(const WindowGeometry& g);
  void SetupSeries();
  void ReportPrintFailure();

  // Commands
  void tbMereniClick();                    // start/stop measuring (toolbar toggle)
  void miStartMereniClick();               // menu: start measuring
  void miStopMereniClick();                // menu: stop measuring
  void tbNastaveniClick();                 // the settings dialog
  void tbParametryMereniClick();           // the measurement parameters dialog
  void tbDataSheetClick();                 // the converter data sheet
  void miOprogramuClick();                 // the about box

  Ui::TMainForm ui;
  UserPrompt& prompt_;
  QString settingsPath_;
  Station station_;
  LanguageTable languageTable_;
  QMap<QString, QString> messages_;
  NamedControls controls_;  // the per-input controls, found by name once

  QPointer<TDlgNastaveni> dlgNastaveni_;
  QPointer<TAboutBox> aboutBox_;
  QPointer<TfrmDataSheet> dataSheet_;
  QPointer<TDlgParametryMereni> dlgParametry_;

  QToolButton* tbMereni_ = nullptr;
  QSystemTrayIcon* trayIcon_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  std::unique_ptr<StatusBarController> statusBar_;
  std::unique_ptr<DailyChartPage> dailyChart_;
  std::unique_ptr<OverviewPage> overview_;
  std::unique_ptr<RangeChartPage> rangeChart_;
  ConsumptionPage* consumption_ = nullptr;  // owned by the tab widget
  AlarmWindow* alarmWindow_ = nullptr;      // a child window, hidden until asked for
  ReportWindow* reportWindow_ = nullptr;    // the same, from "Zpráva…"

  std::function<bool()> trayAvailable_ = &QSystemTrayIcon::isSystemTrayAvailable;
  bool ending_ = false;  // EndProgram ran
  OuterFrame* outerFrame_ = nullptr;
};
