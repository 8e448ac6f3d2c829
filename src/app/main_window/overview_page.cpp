#include "main_window/overview_page.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include "charts/chart_view.h"
#include "main_window/daily_chart_page.h"
#include "measurement/units.h"
#include "station/clock.h"
#include "station/station.h"
#include "widgets/colour_ref.h"
#include "widgets/named_controls.h"

namespace {
void SetTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  w->setPalette(p);
}

void SetBoxColour(QWidget* w, const QColor& colour, const QColor& text) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, colour);
  p.setColor(QPalette::Text, text);
  w->setPalette(p);
}
}  // namespace

OverviewPage::OverviewPage(QWidget& window, const NamedControls& controls, const Station& station,
                           DailyChartPage& daily)
    : window_(window), controls_(controls), station_(station), daily_(daily) {
  for (int n = 1; n <= kInputCount; ++n) {
    auto* bars = controls_.Get<ChartView>(QStringLiteral("OnlineChartIN%1").arg(n));
    barSeries_[size_t(n - 1)] = bars->AddSeries(QStringLiteral("Series%1").arg(n), ChartSeries::Kind::Bar);
    bars->SetLegendVisible(false);
    bars->SetAxesVisible(false);
  }
}

QWidget* OverviewPage::Control(const QString& prefix, int n) const {
  return controls_.Get<QWidget>(prefix + QString::number(n));
}

void OverviewPage::ApplyChannelSettings() {
  const AppSettings& s = station_.Settings();
  const QPalette& look = window_.palette();
  // An inactive input reads like a disabled control of the desktop: its grey text on its background.
  const QColor windowText = look.color(QPalette::Active, QPalette::WindowText);
  const QColor grayText = look.color(QPalette::Disabled, QPalette::WindowText);
  for (int n = 1; n <= kInputCount; ++n) {
    const ChannelSettings& c = s.Channel(n);
    const QColor labelColour = c.Activ ? windowText : grayText;
    if (auto* label = qobject_cast<QLabel*>(Control(QStringLiteral("laVelicinaIN"), n)))
      SetTextColour(label, labelColour);
    if (auto* unit = qobject_cast<QLabel*>(Control(QStringLiteral("laJednotkaIN"), n))) {
      unit->setText(QStringLiteral("[") + (c.Activ ? UnitText(n, c.JednotkaIndex) : QStringLiteral("---")) +
                    QStringLiteral("]"));
      SetTextColour(unit, labelColour);
    }
    if (auto* box = qobject_cast<QLineEdit*>(Control(QStringLiteral("edFyzPrumer"), n))) {
      box->setText(QStringLiteral("---"));
      const QPalette::ColorGroup group = c.Activ ? QPalette::Active : QPalette::Disabled;
      SetBoxColour(box, look.color(group, QPalette::Base), look.color(group, QPalette::Text));
    }
    if (QWidget* bars = Control(QStringLiteral("OnlineChartIN"), n)) bars->setVisible(c.Activ);
  }
}

void OverviewPage::SetupBars() {
  const AppSettings& s = station_.Settings();
  for (int n = 1; n <= kInputCount; ++n) {
    const ChannelSettings& c = s.Channel(n);
    auto* bars = controls_.Get<ChartView>(QStringLiteral("OnlineChartIN%1").arg(n));
    bars->SetColour(BarSeries(n), ColourFromRef(c.BarvaCary));
    if (c.Value4mA < c.Value20mA) bars->SetLeftAxisRange(c.Value4mA - 2, c.Value20mA);
  }
}

void OverviewPage::Refresh() {
  const Measurement& m = station_.Readings();
  if (m.AwaitingFirstReply) return;
  const double now = ChartView::ToKey(Clock::Now());
  const AppSettings& s = station_.Settings();
  const QPalette& look = window_.palette();
  const QLocale locale;
  for (int n = 1; n <= kInputCount; ++n) {
    const ChannelSettings& c = s.Channel(n);
    if (!c.Activ) continue;
    const ChannelReading& r = m.Reading(n);
    if (auto* box = qobject_cast<QLineEdit*>(Control(QStringLiteral("edFyzPrumer"), n))) {
      box->setText(locale.toString(r.DisplayValue, 'f', 2));
      QColor colour = look.color(QPalette::Active, QPalette::Base);
      if (r.StatusText != kHealthyStatus)
        colour = ColourFromRef(s.BarvaChyba);
      else if (IsInAlarm(c, r))
        colour = ColourFromRef(s.BarvaAlarm);
      SetBoxColour(box, colour, look.color(QPalette::Active, QPalette::Text));
    }
    auto& history = history_[size_t(n - 1)];
    std::rotate(history.begin(), history.begin() + 1, history.end());
    history.back() = r.DisplayValue;
    if (auto* bars = qobject_cast<ChartView*>(Control(QStringLiteral("OnlineChartIN"), n))) {
      bars->Clear(BarSeries(n));
      for (double v : history) bars->AddPoint(BarSeries(n), 0, v);
    }
    daily_.AddReading(n, now, r.DisplayValue);
  }
}

void OverviewPage::ShowValuesLost() {
  for (int n = 1; n <= kInputCount; ++n)
    if (auto* box = qobject_cast<QLineEdit*>(Control(QStringLiteral("edFyzPrumer"), n)))
      box->setText(QStringLiteral("---"));
}
