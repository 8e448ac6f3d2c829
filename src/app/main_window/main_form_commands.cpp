// Main window commands, keys and tray.
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QToolButton>

#include "dialogs/about_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "main_window/consumption_page.h"
#include "main_window/main_form.h"
#include "main_window/range_chart_page.h"

void TMainForm::ConnectCommands() {
  auto tool = [this](const char* name) { return controls_.Get<QToolButton>(QString::fromLatin1(name)); };
  connect(tbMereni_, &QToolButton::clicked, this, &TMainForm::tbMereniClick);
  connect(ui.miStartMereni, &QAction::triggered, this, &TMainForm::miStartMereniClick);
  connect(ui.miStopMereni, &QAction::triggered, this, &TMainForm::miStopMereniClick);
  connect(tool("tbNastaveni"), &QToolButton::clicked, this, &TMainForm::tbNastaveniClick);
  connect(ui.miNastaveni, &QAction::triggered, this, &TMainForm::tbNastaveniClick);
  connect(tool("tbParametryMereni"), &QToolButton::clicked, this, &TMainForm::tbParametryMereniClick);
  connect(ui.miParametryMereni, &QAction::triggered, this, &TMainForm::tbParametryMereniClick);
  connect(tool("tbDataSheet"), &QToolButton::clicked, this, &TMainForm::tbDataSheetClick);
  connect(ui.miDataSheet, &QAction::triggered, this, &TMainForm::tbDataSheetClick);
  connect(ui.miOprogramu, &QAction::triggered, this, &TMainForm::miOprogramuClick);
  connect(tool("tbTisk"), &QToolButton::clicked, this, &TMainForm::PrintActivePage);
  connect(ui.miTisk, &QAction::triggered, this, &TMainForm::PrintActivePage);
  connect(ui.btTisk, &QPushButton::clicked, this, &TMainForm::PrintActivePage);
  connect(ui.BitBtn1, &QPushButton::clicked, this, &TMainForm::PrintActivePage);
  connect(tool("tbExit"), &QToolButton::clicked, this, &QWidget::close);
  connect(ui.miKonec, &QAction::triggered, this, &QWidget::close);

  connect(ui.PageControl1, &QTabWidget::currentChanged, this, [this] {
    if (ui.PageControl1->currentWidget() == ui.tsGrafy) rangeChart_->ProposeDates();  // tsGrafyShow
  });

  // The window sees F9 and Esc before its controls, whichever control has the focus.
  for (int key : {int(Qt::Key_F9), int(Qt::Key_Escape)}) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, key] { FormKeyDown(key); });
  }
}

void TMainForm::tbMereniClick() {
  if (tbMereni_->isChecked())
    station_.StartMeasuring();
  else
    station_.StopMeasuring();
}

void TMainForm::miStartMereniClick() {
  station_.StartMeasuring();
  tbMereni_->setChecked(true);
}

void TMainForm::miStopMereniClick() {
  station_.StopMeasuring();
  tbMereni_->setChecked(false);
}

void TMainForm::tbNastaveniClick() {
  if (!dlgNastaveni_ || dlgNastaveni_->exec() == QDialog::Rejected) return;
  dlgNastaveni_->StoreSettings();
  SaveDialogSettings();
  ApplyChannelSettings();
  ApplyChartSettings();
}

void TMainForm::tbParametryMereniClick() {
  if (!dlgParametry_ || dlgParametry_->exec() == QDialog::Rejected) return;
  dlgParametry_->SetParameters();
  SaveMeasurementParameters();
}

void TMainForm::tbDataSheetClick() {
  if (!dataSheet_) return;
  dataSheet_->show();
  dataSheet_->raise();
  dataSheet_->activateWindow();
}

void TMainForm::miOprogramuClick() {
  if (aboutBox_) aboutBox_->exec();
}

void TMainForm::FormKeyDown(int key) {
  if (ui.PageControl1->currentWidget() == consumption_->Page()) {
    if (key == Qt::Key_F9) consumption_->Compute();
    if (key == Qt::Key_Escape) consumption_->RequestCancel();
    return;
  }
  // Esc clears a chart's cursors, except while a generation runs: then it stops that.
  if (ui.PageControl1->currentWidget() == ui.tsGrafDenni && key == Qt::Key_Escape) ui.ChartDenni->ClearCursors();
  if (ui.PageControl1->currentWidget() != ui.tsGrafy) return;
  if (key == Qt::Key_F9 && !rangeChart_->Generating()) rangeChart_->GenerujData();
  if (key == Qt::Key_Escape && rangeChart_->Generating())
    rangeChart_->RequestCancel();
  else if (key == Qt::Key_Escape)
    ui.ChartVelky->ClearCursors();
}

void TMainForm::RestoreFromTray() {
  trayIcon_->hide();
  showNormal();
  raise();
  activateWindow();
}

