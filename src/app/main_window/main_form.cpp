#include "main_window/main_form.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QShortcut>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolButton>

#include "charts/chart_view.h"
#include "dialogs/about_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "widgets/link_panel.h"
#include "station/log_message.h"
#include "widgets/pictures.h"

TMainForm::TMainForm(UserPrompt& prompt, const QString& settingsPath, QWidget* parent)
    : QMainWindow(parent), prompt_(prompt), settingsPath_(settingsPath), station_(this) {
  ui.setupUi(this);
  setWindowIcon(Pictures::Icon(Pictures::ToolIcon::Station));
  station_.SetView(this);
  CreateToolBar();
  CreateStatusBar();
  controls_.Collect(this);  // the form's and the toolbar's named controls
  CreateTray();
  CreateCharts();
  ConnectCommands();

  ui.rgArchivace->SetItems({QStringLiteral("Pomalá"), QStringLiteral("Rychlá")});
  ui.rgParametryGrafu->SetItems({QStringLiteral("2D"), QStringLiteral("3D")});
  // The 3D percentage changes by its arrows only.
  if (auto* text = ui.edProcento3D->findChild<QLineEdit*>()) text->setReadOnly(true);

  timStatusRefresh_.setInterval(1000);
  connect(&timStatusRefresh_, &QTimer::timeout, this, &TMainForm::timStatusRefreshTimer);
  timStatusRefresh_.start();
}

TMainForm::~TMainForm() {
  station_.SetView(nullptr);
  station_.Link().SetHooks({});
}

void TMainForm::AttachWindows(TDlgNastaveni* nastaveni, TAboutBox* about, TfrmDataSheet* dataSheet,
                              TDlgParametryMereni* parametry) {
  dlgNastaveni_ = nastaveni;
  aboutBox_ = about;
  dataSheet_ = dataSheet;
  dlgParametry_ = parametry;
}

void TMainForm::CreateToolBar() {
  using Pictures::ToolIcon;
  auto add = [this](const char* name, ToolIcon icon, const QString& hint) {
    auto* b = new QToolButton(ui.ToolBar1);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(Pictures::Icon(icon));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    ui.ToolBar1->addWidget(b);
    return b;
  };
  tbMereni_ = add("tbMereni", ToolIcon::Measure, QStringLiteral("Start/Stop měření"));
  tbMereni_->setCheckable(true);
  ui.ToolBar1->addSeparator();
  add("tbNastaveni", ToolIcon::Settings, QStringLiteral("Nastavení"));
  add("tbParametryMereni", ToolIcon::Parameters, QStringLiteral("Parametry měření"));
  add("tbDataSheet", ToolIcon::DataSheet, QStringLiteral("Data sheet"));
  ui.ToolBar1->addSeparator();
  add("tbTisk", ToolIcon::Print, QStringLiteral("Tisk"));
  QToolButton* jazyk = add("tbJazyk", ToolIcon::Language, QStringLiteral("Change language"));
  auto* menu = new QMenu(jazyk);
  menu->setObjectName(QStringLiteral("pmJazyk"));
  QAction* cz = menu->addAction(QStringLiteral("Česky"));
  cz->setObjectName(QStringLiteral("miCestina"));
  QAction* en = menu->addAction(QStringLiteral("English"));
  en->setObjectName(QStringLiteral("miEnglish"));
  jazyk->setMenu(menu);
  jazyk->setPopupMode(QToolButton::InstantPopup);
  connect(cz, &QAction::triggered, this, &TMainForm::SwitchToCzech);
  connect(en, &QAction::triggered, this, &TMainForm::SwitchToEnglish);
  ui.ToolBar1->addSeparator();
  add("tbExit", ToolIcon::Exit, QStringLiteral("Konec"));
}

void TMainForm::CreateStatusBar() {
  linkPanel_ = new LinkPanel(ui.StatusBar1);
  ui.StatusBar1->addWidget(linkPanel_);
  const int widths[] = {0, 125, 135, 55};
  const Qt::Alignment align[] = {{}, Qt::AlignLeft, Qt::AlignCenter, Qt::AlignRight};
  for (int i = 1; i < 4; ++i) {
    statusPanels_[i] = new QLabel(ui.StatusBar1);
    statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    statusPanels_[i]->setAlignment(align[i] | Qt::AlignVCenter);
    // At least the classic widths; wider when a text (or the other language) needs it.
    statusPanels_[i]->setMinimumWidth(widths[i]);
    statusPanels_[i]->setFrameShape(QFrame::StyledPanel);
    ui.StatusBar1->addWidget(statusPanels_[i]);
  }
  statusPanels_[1]->setText(QStringLiteral("Měření vypnuto"));
  statusPanels_[2]->setText(QStringLiteral("www.kestrilon.cz"));
  archiveProblem_ = new QLabel(ui.StatusBar1);
  archiveProblem_->setObjectName(QStringLiteral("laArchiveProblem"));
  archiveProblem_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
  ui.StatusBar1->addPermanentWidget(archiveProblem_);
  archiveProblem_->hide();
  generationLabel_ = new QLabel(ui.StatusBar1);
  generationProgress_ = new QProgressBar(ui.StatusBar1);
  generationProgress_->setMaximumWidth(160);
  ui.StatusBar1->addPermanentWidget(generationLabel_);
  ui.StatusBar1->addPermanentWidget(generationProgress_);
  generationLabel_->hide();
  generationProgress_->hide();
}

void TMainForm::CreateTray() {
  trayIcon_ = new QSystemTrayIcon(windowIcon(), this);
  trayIcon_->setObjectName(QStringLiteral("TrayIcon1"));
  trayMenu_ = new QMenu(this);
  trayMenu_->setObjectName(QStringLiteral("pmTrayIcon"));
  QAction* open = trayMenu_->addAction(QStringLiteral("Otevřít"));
  open->setObjectName(QStringLiteral("miTIOtevrit"));
  QAction* exit = trayMenu_->addAction(QStringLiteral("Konec"));
  exit->setObjectName(QStringLiteral("miTIKonec"));
  trayIcon_->setContextMenu(trayMenu_);
  connect(open, &QAction::triggered, this, &TMainForm::RestoreFromTray);
  connect(exit, &QAction::triggered, this, &QWidget::close);
  connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) RestoreFromTray();
  });
}

void TMainForm::CreateCharts() {
  for (int n = 1; n <= kInputCount; ++n) {
    auto* bars = controls_.Get<ChartView>(QStringLiteral("OnlineChartIN%1").arg(n));
    barSeries_[n - 1] = bars->AddSeries(QStringLiteral("Series%1").arg(n), ChartSeries::Kind::Bar);
    bars->SetLegendVisible(false);
    bars->SetAxesVisible(false);
    dailySeries_[n - 1] =
        ui.ChartDenni->AddSeries(QStringLiteral("FastLineSeries%1").arg(n), ChartSeries::Kind::Line);
  }
  for (int n = kFirstRangeSeries; n <= kConsumptionRangeSeries; ++n)
    rangeSeries_[n - 5] =
        ui.ChartVelky->AddSeries(QStringLiteral("Series%1").arg(n), ChartSeries::Kind::Line);
  ui.ChartVelky->SetOwnValueAxis(RangeSeries(kConsumptionRangeSeries));  // the consumption: a total, not a rate
  ui.ChartDenni->SetDateTimeFormat(QStringLiteral("hh:mm:ss"));  // readable from the first minute on
  ui.ChartDenni->SetFollowData(true);

  auto makeMark = [](ChartView* chart, const char* name) {
    auto* mark = new QLabel(chart);
    mark->setObjectName(QString::fromLatin1(name));
    mark->setFrameShape(QFrame::Box);
    mark->setAutoFillBackground(true);
    mark->setBackgroundRole(QPalette::ToolTipBase);
    mark->setForegroundRole(QPalette::ToolTipText);
    mark->hide();
    return mark;
  };
  stMarkOdDo_ = makeMark(ui.ChartVelky, "stMarkOdDo");
  stMarkDenni_ = makeMark(ui.ChartDenni, "stMarkDenni");
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Only a real transition to visible (start, restore from the tray), not a window manager restore.
  if (!event->spontaneous()) FormShow();
}

void TMainForm::FormShow() {
  LoadSettings();
  ApplyChartSettings();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  FormClose(event);
}

void TMainForm::FormClose(QCloseEvent* event) {
  switch (prompt_.AskYesNoCancel(Message(QStringLiteral("msgUkonceniAplikaceHeader")),
                                 Message(QStringLiteral("msgUkonceniAplikace")))) {
    case UserPrompt::Answer::Yes:
      trayIcon_->hide();
      SaveExitSettings();
      LogMessage(LogKind::Event, QStringLiteral("----------- UKONČENÍ APLIKACE ---------"));
      event->accept();
      emit ExitConfirmed();
      break;
    case UserPrompt::Answer::No:
      event->ignore();
      if (trayAvailable_()) {
        trayIcon_->show();
        hide();
      } else {
        showMinimized();  // a desktop without a tray: hidden, the station could never be restored
      }
      break;
    case UserPrompt::Answer::Cancel:
      event->ignore();
      break;
  }
}

WindowGeometry TMainForm::CurrentGeometry() const {
  WindowGeometry g;
  g.Top = pos().y();
  g.Left = pos().x();
  g.Height = height();
  g.Width = width();
  return g;
}

QWidget* TMainForm::Control(const QString& prefix, int n) const {
  return controls_.Get<QWidget>(prefix + QString::number(n));
}
