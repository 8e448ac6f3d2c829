#include "main_window/overview_page.h"

#include <QLabel>
#include <QLineEdit>
#include <QEvent>
#include <QLocale>
#include <algorithm>
#include <functional>

#include "charts/chart_view.h"
#include "main_window/daily_chart_page.h"
#include "measurement/units.h"
#include "station/clock.h"
#include "station/station.h"
#include "render/colour_ref.h"
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

// The form's sizes at the default window size, in pixels: the value digits' font and its box.
constexpr double kBaseValuePixels = 34.7;  // 26 pt
constexpr double kNameRatio = 0.69;        // 18 pt
constexpr double kUnitRatio = 0.61;        // 16 pt
constexpr int kBaseBoxWidth = 230;
constexpr int kBaseBoxHeight = 56;
// (Box sizes follow the font beyond them: 5.2 font sizes and a frame wide, 1.45 high.)

// Calls `resized` with the watched widget's size whenever it changes.
class ResizeWatcher : public QObject {
 public:
  ResizeWatcher(QWidget* watched, std::function<void(const QSize&)> resized)
      : QObject(watched), resized_(std::move(resized)) {
    watched->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) resized_(static_cast<QWidget*>(watched)->size());
    return false;
  }

 private:
  std::function<void(const QSize&)> resized_;
};

void SetPixelFont(QWidget* w, double pixels) {
  if (!w) return;
  QFont font = w->font();
  if (font.pixelSize() == int(pixels)) return;
  font.setPixelSize(int(pixels));
  w->setFont(font);
}
}  // namespace

OverviewPage::OverviewPage(QWidget& window, const NamedControls& controls, const Station& station,
                           DailyChartPage& daily)
    : window_(window), controls_(controls), station_(station), daily_(daily) {
  banner_ = controls_.Get<QLabel>(QStringLiteral("laSpojeniPreruseno"));
  if (auto* scroll = controls_.Get<QWidget>(QStringLiteral("overviewScroll")))
    new ResizeWatcher(scroll, [this](const QSize& size) { FitToPage(size); });
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
  if (banner_ && linkLostShown_) {  // a reply was processed: the link is back
    linkLostShown_ = false;
    banner_->hide();
  }
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

void OverviewPage::FitToPage(const QSize& page) {
  // Down: four rows share the height, and the value's font grows with what a row has beyond 38 px
  // (the default size, 76 px a row, keeps the form's look). Across: the name, the value box
  // (eight characters and its frame) and the unit share what the margins, spacings and bars leave,
  // about 11.2 value-font widths in all.
  const double rowHeight = (page.height() - 28 - 3 * 12) / 4.0;
  const double byHeight = std::min((rowHeight - 38) * 0.9, rowHeight / 1.5);  // the box is 1.45 fonts high
  const double byWidth = (page.width() - 32 - 3 * 14 - 160 - 20) / 11.2;
  const double value = std::max(kBaseValuePixels, std::min(byHeight, byWidth));
  for (int n = 1; n <= kInputCount; ++n) {
    SetPixelFont(Control(QStringLiteral("laVelicinaIN"), n), value * kNameRatio);
    SetPixelFont(Control(QStringLiteral("laJednotkaIN"), n), value * kUnitRatio);
    if (QWidget* box = Control(QStringLiteral("edFyzPrumer"), n)) {
      SetPixelFont(box, value);
      box->setMinimumSize(std::max(kBaseBoxWidth, int(value * 5.2 + 20)),
                          std::max(kBaseBoxHeight, int(value * 1.45)));
    }
  }
  pageWidth_ = page.width();
  FitBanner();
}

void OverviewPage::FitBanner() {
  // The banner's text on one line across the page, from the width alone (its height takes from the
  // values' rows, which must not size the banner in turn).
  if (!banner_ || banner_->text().isEmpty()) return;
  const double perCharacter = 0.62;
  SetPixelFont(banner_, std::clamp(pageWidth_ / (banner_->text().size() * perCharacter), 16.0, 64.0));
}

void OverviewPage::ShowLinkLost(const QString& text) {
  if (!banner_ || linkLostShown_) return;  // the time the link was lost, not of every later drop
  linkLostShown_ = true;
  banner_->setText(text);
  FitBanner();
  banner_->show();
}

void OverviewPage::ShowValuesLost() {
  for (int n = 1; n <= kInputCount; ++n)
    if (auto* box = qobject_cast<QLineEdit*>(Control(QStringLiteral("edFyzPrumer"), n)))
      box->setText(QStringLiteral("---"));
}
