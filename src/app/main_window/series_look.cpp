#include "main_window/series_look.h"

#include "charts/chart_view.h"
#include "config/app_settings.h"
#include "i18n/language_table.h"
#include "measurement/units.h"
#include "render/colour_ref.h"

QStringList SeriesNames(const LanguageTable& language) {
  QStringList names;
  for (int n = 1; n <= kInputCount; ++n) names << language.Shown(QStringLiteral("SeriesIN%1").arg(n));
  return names << language.Shown(QStringLiteral("SeriesSpotreba"));
}

void ApplyInputLook(ChartView* chart, ChartSeries* series, const AppSettings& s, int n, const QString& name) {
  const ChannelSettings& c = s.Channel(n);
  chart->SetActive(series, c.Activ);
  chart->SetTitle(series, name + QStringLiteral(" [") + UnitText(n, c.JednotkaIndex) + QStringLiteral("]"));
  chart->SetShownInLegend(series, c.Activ);
  chart->SetColour(series, ColourFromRef(c.BarvaCary));
  chart->SetLineWidth(series, s.TloustkaCaryGrafu);
}
