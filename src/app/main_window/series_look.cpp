#include "main_window/series_look.h"

#include "charts/chart_view.h"
#include "config/app_settings.h"
#include "measurement/units.h"
#include "widgets/colour_ref.h"

const QStringList& SeriesNames(int language) {
  static const QStringList czech{QStringLiteral("Průtok"), QStringLiteral("Teplota"),
                                 QStringLiteral("Vlhkost"), QStringLiteral("Tlak"),
                                 QStringLiteral("Spotřeba IN1")};
  static const QStringList english{QStringLiteral("Flow"), QStringLiteral("Temperature"),
                                   QStringLiteral("Humidity"), QStringLiteral("Pressure"),
                                   QStringLiteral("Flow total IN1")};
  return language == kEnglish ? english : czech;
}

void ApplyInputLook(ChartView* chart, ChartSeries* series, const AppSettings& s, int n, const QString& name) {
  const ChannelSettings& c = s.Channel(n);
  chart->SetActive(series, c.Activ);
  chart->SetTitle(series, name + QStringLiteral(" [") + UnitText(n, c.JednotkaIndex) + QStringLiteral("]"));
  chart->SetShownInLegend(series, c.Activ);
  chart->SetColour(series, ColourFromRef(c.BarvaCary));
  chart->SetLineWidth(series, s.TloustkaCaryGrafu);
}
