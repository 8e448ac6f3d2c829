#include "main_window/alarm_window.h"
#include "main_window/report_window.h"
#include "main_window/main_form.h"

#include <QCloseEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QToolButton>

#include "dialogs/about_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "widgets/outer_frame.h"
#include "main_window/daily_chart_page.h"
#include "main_window/overview_page.h"
#include "main_window/consumption_page.h"
#include "widgets/compact_tabs.h"
#include "main_window/range_chart_page.h"
#include "main_window/status_bar.h"
#include "station/log_message.h"
#include "widgets/pictures.h"

TMainForm::TMainForm(UserPrompt& prompt, const QString& settingsPath, QWidget* parent)
    : QMainWindow(parent), prompt_(prompt), settingsPath_(settingsPath), station_(this) {
  ui.setupUi(this);
  setWindowIcon(Pictures::Icon(Pictures::ToolIcon::Station));
  station_.SetView(this);
  CreateToolBar();
  dailyChart_ = std::make_unique<DailyChartPage>(ui.ChartDenni, ui.btSmazatGraf);
  statusBar_ = std::make_unique<StatusBarController>(ui.StatusBar1, languageTable_, [this] { dailyChart_->Clear(); });
  controls_.Collect(this);  // the form's and the toolbar's named controls
  overview_ = std::make_unique<OverviewPage>(*this, controls_, station_, *dailyChart_);
  rangeChart_ = std::make_unique<RangeChartPage>(ui, station_.Settings(), prompt_, languageTable_, *statusBar_);
  CreateAxisChoice();
  consumption_ = new ConsumptionPage(ui.PageControl1, station_.Settings(), prompt_, languageTable_, *statusBar_);
  MakeTabsCompact(ui.PageControl1);
  alarmWindow_ = new AlarmWindow(station_.Alarms(), station_.Settings(), languageTable_, this);
  auto* alarmsItem = new QAction(QStringLiteral("Alarmy a deník..."), this);
  alarmsItem->setObjectName(QStringLiteral("miAlarmy"));
  ui.miSoubor->insertAction(ui.miTisk, alarmsItem);
  connect(alarmsItem, &QAction::triggered, this, &TMainForm::ShowAlarmWindow);
  connect(statusBar_->AlarmButton(), &QToolButton::clicked, this, &TMainForm::ShowAlarmWindow);
  reportWindow_ = new ReportWindow(station_.Settings(), prompt_, languageTable_, this);
  auto* reportItem = new QAction(QStringLiteral("Zpráva…"), this);
  reportItem->setObjectName(QStringLiteral("miZprava"));
  ui.miSoubor->insertAction(ui.miTisk, reportItem);
  connect(reportItem, &QAction::triggered, this, [this] {
    reportWindow_->show();
    reportWindow_->raise();
  });
  CreateTray();
  outerFrame_ = new OuterFrame(this);
  ConnectCommands();
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
  // One item per language in each language menu: "<name>_" in the main menu's "Language", "<name>"
  // in the tool button's pop-up.
  for (const InterfaceLanguageInfo& language : InterfaceLanguages()) {
    const int code = language.code;
    QAction* item = ui.Language1->addAction(language.menuText);
    item->setObjectName(language.menuName + QLatin1Char('_'));
    connect(item, &QAction::triggered, this, [this, code] { SwitchToLanguage(code); });
    item = menu->addAction(language.menuText);
    item->setObjectName(language.menuName);
    connect(item, &QAction::triggered, this, [this, code] { SwitchToLanguage(code); });
  }
  jazyk->setMenu(menu);
  jazyk->setPopupMode(QToolButton::InstantPopup);
  ui.ToolBar1->addSeparator();
  add("tbExit", ToolIcon::Exit, QStringLiteral("Konec"));
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
      event->accept();
      EndProgram();
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

void TMainForm::EndProgram() {
  if (ending_) return;
  ending_ = true;
  trayIcon_->hide();
  SaveExitSettings();
  LogMessage(LogKind::Event, QString::fromUtf8(kExitLine));
  emit ExitConfirmed();
}

WindowGeometry TMainForm::CurrentGeometry() const {
  // The outer frame, as the user sees the window, and as ApplyGeometry applies it.
  const QRect frame = outerFrame_->Current();
  WindowGeometry g;
  g.Top = frame.top();
  g.Left = frame.left();
  g.Height = frame.height();
  g.Width = frame.width();
  return g;
}

