// Main window commands, keys, status bar and tray.
#include <QLabel>
#include <QLocale>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QToolButton>

#include "charts/chart_view.h"
#include "dialogs/about_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "station/clock.h"
#include "widgets/link_panel.h"
#include "main_window/main_form.h"
#include "widgets/pictures.h"
#include "station/regional.h"

namespace {
constexpr int kRangeChartPage = 2;
}

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
  connect(ui.btUloz, &QPushButton::clicked, this, &TMainForm::SaveChartBitmap);
  connect(ui.miCestina_, &QAction::triggered, this, &TMainForm::SwitchToCzech);
  connect(ui.miEnglish_, &QAction::triggered, this, &TMainForm::SwitchToEnglish);
  connect(tool("tbExit"), &QToolButton::clicked, this, &QWidget::close);
  connect(ui.miKonec, &QAction::triggered, this, &QWidget::close);

  connect(ui.btGeneruj, &QPushButton::clicked, this, &TMainForm::GenerujData);
  connect(ui.btSmazatGraf, &QPushButton::clicked, this, &TMainForm::ClearDailyChart);
  connect(ui.rgArchivace, &RadioGroup::Clicked, this, &TMainForm::rgArchivaceClick);
  connect(ui.rgParametryGrafu, &RadioGroup::Clicked, this, &TMainForm::rgParametryGrafuClick);
  connect(ui.edProcento3D, &QSpinBox::valueChanged, this, &TMainForm::edProcento3DChange);
  connect(ui.PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == kRangeChartPage) tsGrafyShow();
  });

  connect(ui.ChartVelky, &ChartView::MousePressed, this, [this] { stMarkOdDo_->hide(); });
  connect(ui.ChartVelky, &ChartView::SeriesClicked, this,
          [this](ChartSeries* s, Qt::MouseButton b, const QPoint& p) {
            ShowPointMark(stMarkOdDo_, ui.ChartVelky, s, b, p);
          });
  connect(ui.ChartDenni, &ChartView::SeriesClicked, this,
          [this](ChartSeries* s, Qt::MouseButton b, const QPoint& p) {
            ShowPointMark(stMarkDenni_, ui.ChartDenni, s, b, p);
          });
  connect(ui.ChartDenni, &ChartView::Clicked, this, [this] { stMarkDenni_->hide(); });

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
  if (ui.PageControl1->currentIndex() != kRangeChartPage) return;
  if (key == Qt::Key_F9 && !chartGenerating_) GenerujData();
  if (key == Qt::Key_Escape && chartGenerating_) chartCancelRequested_ = true;
}

void TMainForm::RestoreFromTray() {
  trayIcon_->hide();
  showNormal();
  raise();
  activateWindow();
}

void TMainForm::ShowMeasuringCommands(bool measuring) {
  ui.miStartMereni->setEnabled(!measuring);
  ui.miStopMereni->setEnabled(measuring);
}

void TMainForm::UpdateMeasuringStatus() {
  const QString text = Message(station_.MeasuringOn() ? QStringLiteral("msgMereniZapnuto")
                                                      : QStringLiteral("msgMereniVypnuto"));
  statusPanels_[1]->setText(text);
  trayIcon_->setToolTip(windowTitle().mid(1) + QLatin1Char('\n') + text);
}

void TMainForm::ShowLinkIndicator(int value) {
  linkPanel_->SetImage(Pictures::LinkImageIndex(value));
}

int TMainForm::LinkImageShown() const {
  return linkPanel_->Image();
}

QString TMainForm::StatusText(int panel) const {
  return panel >= 1 && panel <= 3 ? statusPanels_[panel]->text() : QString();
}

void TMainForm::timStatusRefreshTimer() {
  const QDateTime now = Clock::Now();
  statusPanels_[3]->setText(Regional::DateTime(now) + QStringLiteral("     "));
  const int day = now.date().dayOfWeek() % 7 + 1;  // Sunday 1 .. Saturday 7
  if (day != dayMemo_) {
    ClearDailyChart();
    dayMemo_ = day;
  }
}
