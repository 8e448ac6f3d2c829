// Chart set-up from the settings, printing and bitmaps.
#include <QApplication>
#include <QCheckBox>
#include <QRegularExpression>
#include <QPainter>
#include <QPrinter>

#include "charts/chart_view.h"
#include "main_window/consumption_page.h"
#include "main_window/daily_chart_page.h"
#include "main_window/main_form.h"
#include "main_window/overview_page.h"
#include "main_window/range_chart_page.h"
#include "main_window/series_look.h"
#include "render/chart_export.h"
#include "station/clock.h"
#include "station/log_message.h"

void TMainForm::ApplyChartSettings() {
  rangeChart_->ApplySettings();
  SetupSeries();
  rangeChart_->SetChartTitle(-1);
  for (QCheckBox* box : findChildren<QCheckBox*>(QRegularExpression(QStringLiteral("^cbOsaProVelicinu"))))
    box->setChecked(Settings().ChartBands);  // both charts follow through the toggle
}

void TMainForm::CreateAxisChoice() {
  // Below each history chart's legend; the two follow each other and the setting.
  const std::pair<ChartView*, const char*> charts[] = {{ui.ChartDenni, "cbOsaProVelicinuDenni"},
                                                       {ui.ChartVelky, "cbOsaProVelicinu"}};
  for (const auto& [chart, name] : charts) {
    QCheckBox* box = chart->BandsBox();
    box->setObjectName(QString::fromLatin1(name));
    box->setText(QStringLiteral("Osa pro každou veličinu"));
    box->show();
    connect(box, &QCheckBox::toggled, this, [this](bool on) {
      Settings().ChartBands = on;
      ui.ChartDenni->BandsBox()->setChecked(on);
      ui.ChartVelky->BandsBox()->setChecked(on);
    });
  }
}

void TMainForm::SetupSeries() {
  const AppSettings& s = Settings();
  const QStringList names = SeriesNames(languageTable_);
  rangeChart_->SetupSeries(names);
  dailyChart_->SetupSeries(s, names);
  overview_->SetupBars();
}

void TMainForm::PrintActivePage() {
  QPrinter printer;
  if (!prompt_.SetUpPrinter(printer)) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool printed = true;
  const QWidget* page = ui.PageControl1->currentWidget();
  if (page == ui.tsHlavni)
    printed = PrintFittedPicture(printer, grab());
  else if (page == ui.tsGrafDenni)
    printed = ui.ChartDenni->Print(printer);
  else if (page == ui.tsGrafy)
    printed = ui.ChartVelky->Print(printer);
  else if (page == consumption_->Page())
    printed = consumption_->Print(printer);
  if (!printed) {
    ReportPrintFailure();
  }
  QApplication::restoreOverrideCursor();
}

void TMainForm::ReportPrintFailure() {
  prompt_.Message(UserPrompt::Icon::Information, Message(QStringLiteral("msgChybaTiskuHeader")),
                  Message(QStringLiteral("msgChybaTisku")));
  LogMessage(LogKind::Error, Message(QStringLiteral("msgChybaTiskuHeader")));
}
