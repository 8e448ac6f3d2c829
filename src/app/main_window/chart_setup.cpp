// Chart set-up from the settings, the from-to page controls, point marks, printing and bitmaps.
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPrinter>

#include "charts/chart_view.h"
#include "measurement/units.h"
#include "station/clock.h"
#include "widgets/colour_ref.h"
#include "station/log_message.h"
#include "main_window/main_form.h"
#include "station/regional.h"

namespace {
// Series names: inputs 1-4 and the consumption of input 1.
const QStringList& SeriesNames(int language) {
  static const QStringList czech{QStringLiteral("Průtok"), QStringLiteral("Teplota"),
                                 QStringLiteral("Vlhkost"), QStringLiteral("Tlak"),
                                 QStringLiteral("Spotřeba IN1")};
  static const QStringList english{QStringLiteral("Flow"), QStringLiteral("Temperature"),
                                   QStringLiteral("Humidity"), QStringLiteral("Pressure"),
                                   QStringLiteral("Flow total IN1")};
  return language == 2 ? english : czech;
}

// The unit of a total: the rate's unit up to its first "/".
QString ConsumptionUnit(const QString& unit) {
  const qsizetype slash = unit.indexOf(QLatin1Char('/'));
  return slash < 0 ? QString() : unit.left(slash);
}

bool PrintPicture(QPrinter& printer, const QPixmap& picture) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRect page = painter.viewport();
  const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
  painter.drawPixmap(QRect(page.topLeft(), size), picture);
  return painter.end();
}
}  // namespace

void TMainForm::ApplyChartSettings() {
  const AppSettings& s = Settings();
  const QDateTime now = Clock::Now();
  ui.dtpOd->setDateTime(now.addDays(-s.DatumOdOffset));
  ui.dtpDo->setDateTime(now);
  const int view = s.PrednabizetGraf2D ? 0 : 1;
  ui.rgParametryGrafu->SetItemIndex(view);
  ui.ChartVelky->Set3D(view == 1);
  ui.edProcento3D->setEnabled(view == 1);
  {
    const QSignalBlocker block(ui.edProcento3D);
    ui.edProcento3D->setValue(s.Chart3DPercent);
  }
  ui.ChartVelky->Set3DPercent(s.Chart3DPercent);
  ui.rgArchivace->SetItemIndex(s.TypDB);
  SetupSeries();
  SetChartTitle(-1);
}

void TMainForm::SetupSeries() {
  const AppSettings& s = Settings();
  if (s.Language == kCzech || s.Language == kEnglish) seriesLanguage_ = s.Language;
  const QStringList& names = SeriesNames(seriesLanguage_);
  for (int n = 1; n <= kInputCount; ++n) {
    const ChannelSettings& c = s.Channel(n);
    const QString unit = UnitText(n, c.JednotkaIndex);
    const QColor colour = ColourFromRef(c.BarvaCary);
    const std::pair<ChartView*, ChartSeries*> lines[] = {{ui.ChartVelky, RangeSeries(n + 4)},
                                                         {ui.ChartDenni, DailySeries(n)}};
    for (const auto& [chart, series] : lines) {
      chart->SetActive(series, c.Activ);
      chart->SetTitle(series, names[n - 1] + QStringLiteral(" [") + unit + QStringLiteral("]"));
      chart->SetShownInLegend(series, c.Activ);
      chart->SetColour(series, colour);
      chart->SetLineWidth(series, s.TloustkaCaryGrafu);
    }
    auto* bars = controls_.Get<ChartView>(QStringLiteral("OnlineChartIN%1").arg(n));
    bars->SetColour(BarSeries(n), colour);
    if (c.Value4mA < c.Value20mA) bars->SetLeftAxisRange(c.Value4mA - 2, c.Value20mA);
  }
  const ChannelSettings& input1 = s.Channel(kFlowInput);
  ChartSeries* total = RangeSeries(kConsumptionRangeSeries);
  ui.ChartVelky->SetActive(total, false);
  ui.ChartVelky->SetTitle(total, names[4] + QStringLiteral(" [") +
                                     ConsumptionUnit(UnitText(1, input1.JednotkaIndex)) +
                                     QStringLiteral("]"));
  ui.ChartVelky->SetShownInLegend(total, input1.Activ && s.UkazujSpotrebu);
  ui.ChartVelky->SetColour(total, ColourFromRef(input1.BarvaCary));
  ui.ChartVelky->SetLineWidth(total, s.TloustkaCaryGrafu + 1);
}

void TMainForm::SetChartTitle(int n) {
  QString text = Settings().PopisGrafu;
  if (n >= 0) text += QLatin1Char(' ') + Regional::ShortDate(ui.dtpOd->date());
  if (n > 0) text += QStringLiteral(" - ") + Regional::ShortDate(ui.dtpDo->date());
  ui.ChartVelky->SetChartTitle(QLatin1Char(' ') + text + QLatin1Char(' '));
}

void TMainForm::ClearDailyChart() {
  for (int n = 1; n <= kInputCount; ++n) ui.ChartDenni->Clear(DailySeries(n));
}

void TMainForm::tsGrafyShow() {
  const QDateTime now = Clock::Now();
  ui.dtpOd->setDateTime(now.addDays(-Settings().DatumOdOffset));
  ui.dtpDo->setDateTime(now);
}

void TMainForm::rgArchivaceClick(int index) {
  Settings().TypDB = index;
}

void TMainForm::rgParametryGrafuClick(int index) {
  ui.ChartVelky->Set3D(index == 1);
  ui.edProcento3D->setEnabled(index == 1);
  Settings().PrednabizetGraf2D = index == 0;
}

void TMainForm::edProcento3DChange(int value) {
  if (value < 1 || value > 100) {
    prompt_.Message(UserPrompt::Icon::Warning, windowTitle().trimmed(),
                    QStringLiteral("Špatně zadané číslo!"));
    LogMessage(LogKind::Error,
               QStringLiteral("Vyjimka edProcento3DChange - %1 is outside 1..100").arg(value));
    return;
  }
  ui.ChartVelky->Set3DPercent(value);
  Settings().Chart3DPercent = value;
}

void TMainForm::ShowPointMark(QLabel* mark, ChartView* chart, ChartSeries* series, Qt::MouseButton button,
                              const QPoint& pos) {
  if (button != Qt::LeftButton) return;
  const QPointF values = chart->ValuesAt(series, pos);
  QLocale plain;
  plain.setNumberOptions(QLocale::OmitGroupSeparator);
  mark->setText(QLatin1Char(' ') + Regional::DateTime(ChartView::FromKey(values.x())) +
                QStringLiteral(" - ") + plain.toString(values.y(), 'f', 2));
  mark->adjustSize();
  mark->move(pos.x(), pos.y() - mark->height());
  mark->show();
  mark->raise();
}

void TMainForm::PrintActivePage() {
  QPrinter printer;
  if (!prompt_.SetUpPrinter(printer)) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool printed = true;
  switch (ui.PageControl1->currentIndex()) {
    case 0:
      printed = PrintPicture(printer, grab());
      break;
    case 1:
      printed = ui.ChartDenni->Print(printer);
      break;
    case 2:
      printed = ui.ChartVelky->Print(printer);
      break;
    default:
      break;
  }
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

void TMainForm::SaveChartBitmap() {
  const QString proposed = Clock::Now().toString(QStringLiteral("yyyyMMdd_HHmmss"));
  const QString path = prompt_.ChooseSaveFile(proposed, QStringLiteral("BMP (*.bmp)"), QStringLiteral("bmp"));
  if (path.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!ui.ChartVelky->SaveBitmap(path)) {
    ReportPrintFailure();
  }
  QApplication::restoreOverrideCursor();
}
