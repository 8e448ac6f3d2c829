#pragma once

#include <QStringList>
#include <array>

#include "config/app_settings.h"
#include "history/range_history.h"

namespace Ui {
class TMainForm;
}
class ChartSeries;
class QCheckBox;
class QComboBox;
struct DayRange;
class LanguageTable;
class PointMark;
class StatusBarController;
class UserPrompt;

// The from-to chart page (tsGrafy): the archive read back over a range of days (GenerujData), its
// 2D/3D view, archive kind and title; a click on a line shows its point (stMarkOdDo).
class RangeChartPage {
 public:
  RangeChartPage(Ui::TMainForm& ui, AppSettings& settings, UserPrompt& prompt, const LanguageTable& language,
                 StatusBarController& statusBar);

  void ApplySettings();  // pickers, view, 3D depth and archive kind from the settings
  void SetupSeries(const QStringList& names);
  void SetChartTitle(int n);  // n: days of the range; -1 before any generation
  void ProposeDates();        // tsGrafyShow: the range ending now
  void SetArchiveConnection();
  QString ArchiveConnectionString() const { return archiveConnection_; }

  void GenerujData();  // generate the chart (btGeneruj, F9)
  // The pickers set to a range of days, then generated: a preset, or "◀"/"▶" (-1, +1).
  void ShowRange(const DayRange& range);
  void StepRange(int direction);
  QComboBox* Presets() const { return presets_; }
  bool Generating() const { return generating_; }
  void RequestCancel();  // Esc: only while generating
  bool CancelRequested() const { return cancelRequested_; }
  // A series by its index in the reading (RangeSink): input n at n - 1, then kConsumptionSeries.
  ChartSeries* Series(int index) const { return series_[size_t(index)]; }
  ChartSeries* InputSeries(int n) const { return Series(n - 1); }
  // The same series of the period before, laid over this one ("Porovnat s předchozím obdobím").
  ChartSeries* PreviousSeries(int index) const { return previous_[size_t(index)]; }
  QCheckBox* CompareBox() const { return compare_; }

  // Exports of the last generation (btUloz: BMP, PNG or PDF; btUlozCsv: its rows). Enabled once a
  // generation has drawn, disabled while one runs and after a cancel.
  void SavePicture();
  void SaveCsv();
  bool ExportsEnabled() const;

 private:
  void SetGeneratingState(bool on);
  void Clear();
  void UpdateGenerationProgress(int filesRead, int filesTotal);
  void EndCancelledGeneration();
  void SetExportsEnabled(bool on);
  void ReportExportFailure(const QString& path, const QString& reason);
  void rgArchivaceClick(int index);     // archive kind
  void rgParametryGrafuClick(int index);  // 2D or 3D
  void edProcento3DChange(int value);   // 3D depth

  Ui::TMainForm& ui;
  AppSettings& settings_;
  UserPrompt& prompt_;
  const LanguageTable& language_;
  StatusBarController& statusBar_;
  PointMark* mark_;
  QComboBox* presets_;
  std::array<ChartSeries*, kRangeSeriesCount> series_{};  // the components Series5 .. Series9
  std::array<ChartSeries*, kRangeSeriesCount> previous_{};  // their comparison lines
  QCheckBox* compare_;
  QString archiveConnection_;
  RangeRequest lastRequest_;  // of the last generation that drew, its last day fixed
  double lastKey_ = 0;        // the time of its last row
  bool generating_ = false;
  bool cancelRequested_ = false;
};
