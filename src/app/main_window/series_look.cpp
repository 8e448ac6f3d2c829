#include "main_window/series_look.h"

#include "charts/chart_view.h"
#include "config/app_settings.h"
#include "i18n/language_table.h"
#include "ledger/ledger.h"
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

void ApplyLedgerRules(ChartView* chart, ChartSeries* flow, const AppSettings& s, ArchiveKind archive,
                      const QString& consumptionName) {
  chart->SetGap(double(GapLimit(s, archive)));  // an hour missing is not a ramp
  LedgerOptions options;
  QString why;
  if (LedgerOptionsOf(s, archive, &options, &why) && options.perSecond)
    chart->SetIntegral(flow, options.perSecond, consumptionName + QStringLiteral(" [") + options.unit + QLatin1Char(']'));
  else
    chart->SetIntegral(flow, std::nullopt, QString());
}
