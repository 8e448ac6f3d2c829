#pragma once

#include <QWidget>

#include "alarms/alarm_monitor.h"
#include "config/app_settings.h"

class LanguageTable;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The alarms and the journal (frmAlarmy, from "Alarmy a deník..." or the status bar): the active
// alarms with time, input, alarm, value, limit and state, "Potvrdit" for the chosen ones (all of
// them when none is chosen); below, a month of the journal newest first, narrowed by kind, input
// and a text to find.
class AlarmWindow : public QWidget {
 public:
  AlarmWindow(AlarmMonitor& alarms, const AppSettings& settings, const LanguageTable& language, QWidget* parent);

  void ShowAlarms();   // the list as the monitor has it now
  void ShowJournal();  // the month and filters chosen
  void Relabel();      // texts, headers and choices in the language now loaded

  QTableWidget* AlarmTable() const { return alarmTable_; }
  QTableWidget* JournalTable() const { return journalTable_; }
  QPushButton* AcknowledgeButton() const { return acknowledge_; }
  QDateEdit* Month() const { return month_; }
  QComboBox* KindBox() const { return kind_; }
  QComboBox* InputBox() const { return input_; }
  QLineEdit* FindEdit() const { return find_; }

 private:
  void Acknowledge();

  AlarmMonitor& alarms_;
  const AppSettings& settings_;
  const LanguageTable& language_;
  QLabel* activeLabel_;
  QTableWidget* alarmTable_;
  QPushButton* acknowledge_;
  QLabel* journalLabel_;
  QDateEdit* month_;
  QComboBox* kind_;
  QComboBox* input_;
  QLineEdit* find_;
  QTableWidget* journalTable_;
  QList<QLabel*> filterLabels_;
};

// "nad horní mezí": an alarm's kind in the language loaded.
QString AlarmKindText(const LanguageTable& language, AlarmKind kind);
