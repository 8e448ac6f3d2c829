#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <functional>

#include "i18n/language_table.h"
#include "station/station.h"
#include "prompts/user_prompt.h"
#include "ui_main_form.h"
#include "widgets/named_controls.h"

class ChartSeries;
class QLabel;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;
class QToolButton;
class TAboutBox;
class TDlgNastaveni;
class TDlgParametryMereni;
class TfrmDataSheet;
class LinkPanel;

// The main window: owns the station's run-time state for the whole run. Its handlers are split
// over the subsystems' folders (settings glue in config/, overview in measurement/, charts in
// charts/, language in i18n/, commands and status bar in shell/).
class TMainForm : public QMainWindow, public StationView {
  Q_OBJECT
 public:
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

  // Overview page
  void ApplyChannelSettings() override;
  void RefreshOverview() override;
  void ShowValuesLost() override;
  void ShowProcessingFailure() override;
  void ShowArchiveWritable(bool writable, const QString& folder) override;
  const std::array<std::array<double, 10>, 4>& BarHistory() const { return barHistory_; }

  // From-to chart generation
  void SetArchiveConnection();
  QString ArchiveConnectionString() const { return archiveConnection_; }
  // The archive file of the chosen kind for a local day and clock hour, or "0" when there is none.
  QString FindArchiveFile(const QDate& day, int hour) const;
  void SetGeneratingState(bool on);
  void ClearRangeChart();
  void GenerujData();  // generate the from-to chart (F9)
  bool ChartGenerating() const { return chartGenerating_; }
  bool ChartCancelRequested() const { return chartCancelRequested_; }

  // Chart set-up and interaction
  void ApplyChartSettings();
  void SetupSeries();
  void SetChartTitle(int n);
  void ClearDailyChart();
  void PrintActivePage();
  void SaveChartBitmap();
  ChartSeries* DailySeries(int n) const { return dailySeries_[n - 1]; }  // FastLineSeries1..4
  // Series5..8 the inputs, Series9 the consumption of input 1.
  static constexpr int kFirstRangeSeries = 5;
  static constexpr int kConsumptionRangeSeries = 9;
  ChartSeries* RangeSeries(int n) const { return rangeSeries_[n - kFirstRangeSeries]; }  // Series5..9
  ChartSeries* BarSeries(int n) const { return barSeries_[n - 1]; }      // Series1..4

  // Commands, status bar, tray
  void UpdateMeasuringStatus() override;
  void ShowMeasuringCommands(bool measuring) override;
  void ShowLinkIndicator(int value) override;
  int LinkImageShown() const;
  QString StatusText(int panel) const;
  void FormKeyDown(int key);
  void RestoreFromTray();
  void timStatusRefreshTimer();  // status bar clock and day change, every second
  int DayMemo() const { return dayMemo_; }

  // Languages
  void SwitchToCzech();
  void SwitchToEnglish();
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
  void CreateStatusBar();
  void CreateTray();
  void CreateCharts();
  void ConnectCommands();
  void FormClose(QCloseEvent* event);
  WindowGeometry CurrentGeometry() const;
  void ApplyGeometry(const WindowGeometry& g);
  QWidget* Control(const QString& prefix, int n) const;
  void ShowPointMark(QLabel* mark, ChartView* chart, ChartSeries* series, Qt::MouseButton button,
                     const QPoint& pos);
  void UpdateGenerationProgress(int filesRead, int filesTotal);
  void EndCancelledGeneration();
  void ReportPrintFailure();

  // Commands
  void tbMereniClick();                    // start/stop measuring (toolbar toggle)
  void miStartMereniClick();               // menu: start measuring
  void miStopMereniClick();                // menu: stop measuring
  void tbNastaveniClick();                 // the settings dialog
  void tbParametryMereniClick();           // the measurement parameters dialog
  void tbDataSheetClick();                 // the converter data sheet
  void miOprogramuClick();                 // the about box
  void rgArchivaceClick(int index);        // archive kind of the from-to chart
  void rgParametryGrafuClick(int index);   // 2D or 3D
  void edProcento3DChange(int value);      // 3D depth
  void tsGrafyShow();                      // the from-to page shown: proposes the dates

  Ui::TMainForm ui;
  UserPrompt& prompt_;
  QString settingsPath_;
  Station station_;
  LanguageTable languageTable_;
  QMap<QString, QString> messages_;
  QString archiveConnection_;
  NamedControls controls_;  // the per-input controls, found by name once

  QPointer<TDlgNastaveni> dlgNastaveni_;
  QPointer<TAboutBox> aboutBox_;
  QPointer<TfrmDataSheet> dataSheet_;
  QPointer<TDlgParametryMereni> dlgParametry_;

  QToolButton* tbMereni_ = nullptr;
  QSystemTrayIcon* trayIcon_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  LinkPanel* linkPanel_ = nullptr;
  QLabel* statusPanels_[4] = {};
  QProgressBar* generationProgress_ = nullptr;
  QLabel* generationLabel_ = nullptr;
  QLabel* archiveProblem_ = nullptr;  // shown while archive rows cannot be written
  QLabel* stMarkOdDo_ = nullptr;
  QLabel* stMarkDenni_ = nullptr;
  std::array<ChartSeries*, 4> dailySeries_{};
  std::array<ChartSeries*, 5> rangeSeries_{};
  std::array<ChartSeries*, 4> barSeries_{};

  std::function<bool()> trayAvailable_ = &QSystemTrayIcon::isSystemTrayAvailable;
  QTimer timStatusRefresh_;
  int dayMemo_ = -1;
  int seriesLanguage_ = 1;  // the language of the series names; Czech until another is chosen
  std::array<std::array<double, 10>, 4> barHistory_{};
  bool chartGenerating_ = false;
  bool chartCancelRequested_ = false;
};
