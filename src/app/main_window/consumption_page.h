#pragma once

#include <QObject>
#include <memory>
#include <optional>

#include "config/app_settings.h"
#include "ledger/ledger.h"

class LanguageTable;
class QComboBox;
class QCustomPlot;
class QDateEdit;
class QLabel;
class QPrinter;
class QPushButton;
class QTableWidget;
class QTabWidget;
class StatusBarController;
class UserPrompt;

// The consumption page (tsSpotreba, the fourth tab): the ledger of a range of days per period as a
// table with a totals row and as bars whose lower part is the leakage; CSV export and print. It
// computes exactly what "kestrilon-report ledger" writes.
class ConsumptionPage : public QObject {
 public:
  ConsumptionPage(QTabWidget* tabs, const AppSettings& settings, UserPrompt& prompt,
                  const LanguageTable& language, StatusBarController& statusBar);

  QWidget* Page() const { return page_; }
  void Compute();  // btSpotrebaGeneruj, F9
  bool Computing() const { return computing_; }
  void RequestCancel();  // Esc while computing
  void Relabel();        // the table's headers and the choices in the language now loaded
  bool Print(QPrinter& printer);
  void SaveCsv();
  const std::optional<Ledger>& Current() const { return ledger_; }

  QDateEdit* From() const { return from_; }
  QDateEdit* To() const { return to_; }
  QComboBox* PeriodBox() const { return period_; }
  QTableWidget* Table() const { return table_; }

 private:
  void ShowLedger();
  void ShowChart();

  const AppSettings& settings_;
  UserPrompt& prompt_;
  const LanguageTable& language_;
  StatusBarController& statusBar_;
  QWidget* page_;
  QDateEdit* from_;
  QDateEdit* to_;
  QComboBox* period_;
  QComboBox* archive_;
  QPushButton* compute_;
  QPushButton* saveCsv_;
  QLabel* note_;
  QTableWidget* table_;
  QCustomPlot* chart_;
  std::optional<Ledger> ledger_;
  bool computing_ = false;
  bool cancelRequested_ = false;
};
