#pragma once

#include <QWidget>
#include <optional>

#include "config/app_settings.h"
#include "report/report.h"

class LanguageTable;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QScrollArea;
class UserPrompt;

// The report of a day, week or month ("Zpráva…" in "Soubor"): chosen by period and a day of it,
// made from the archive and the journal, shown page by page, saved as PDF with its CSV, printed.
class ReportWindow : public QWidget {
 public:
  ReportWindow(const AppSettings& settings, UserPrompt& prompt, const LanguageTable& language, QWidget* parent);

  void Make();     // the report of the period and day chosen, and its preview
  void Relabel();  // texts and choices in the language now loaded

  QComboBox* PeriodBox() const { return period_; }
  QDateEdit* DayEdit() const { return day_; }
  QPushButton* SaveButton() const { return save_; }
  QLabel* Preview() const { return preview_; }
  const std::optional<Report>& Shown() const { return report_; }

 private:
  void ShowPreview();
  void Save();
  void Print();

  const AppSettings& settings_;
  UserPrompt& prompt_;
  const LanguageTable& language_;
  QComboBox* period_;
  QDateEdit* day_;
  QPushButton* make_;
  QPushButton* save_;
  QPushButton* print_;
  QList<QLabel*> labels_;
  QScrollArea* scroll_;
  QLabel* preview_;
  std::optional<Report> report_;
  bool making_ = false;
};
