// The live overview page: value boxes, colours, bars, and the daily chart's points.
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include "charts/chart_view.h"
#include "measurement/units.h"
#include "station/clock.h"
#include "widgets/colour_ref.h"
#include "main_window/main_form.h"

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

void TMainForm::ApplyChannelSettings() {
  const AppSettings& s = Settings();
  const QPalette& look = palette();
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
      if (c.Activ)
        SetBoxColour(box, look.color(QPalette::Active, QPalette::Base), look.color(QPalette::Active, QPalette::Text));
      else
        SetBoxColour(box, look.color(QPalette::Disabled, QPalette::Base), look.color(QPalette::Disabled, QPalette::Text));
    }
    if (QWidget* bars = Control(QStringLiteral("OnlineChartIN"), n)) bars->setVisible(c.Activ);
  }
}

void TMainForm::RefreshOverview() {
  const Measurement& m = station_.Readings();
  if (m.AwaitingFirstReply) return;
  const double now = ChartView::ToKey(Clock::Now());
  const AppSettings& s = Settings();
  const QLocale locale;
  for (int n = 1; n <= kInputCount; ++n) {
    const ChannelSettings& c = s.Channel(n);
    if (!c.Activ) continue;
    const ChannelReading& r = m.Reading(n);
    if (auto* box = qobject_cast<QLineEdit*>(Control(QStringLiteral("edFyzPrumer"), n))) {
      box->setText(locale.toString(r.DisplayValue, 'f', 2));
      QColor colour = palette().color(QPalette::Active, QPalette::Base);
      if (r.StatusText != kHealthyStatus)
        colour = ColourFromRef(s.BarvaChyba);
      else if (IsInAlarm(c, r))
        colour = ColourFromRef(s.BarvaAlarm);
      SetBoxColour(box, colour, palette().color(QPalette::Active, QPalette::Text));
    }
    auto& history = barHistory_[n - 1];
    std::rotate(history.begin(), history.begin() + 1, history.end());
    history.back() = r.DisplayValue;
    if (auto* bars = qobject_cast<ChartView*>(Control(QStringLiteral("OnlineChartIN"), n))) {
      bars->Clear(barSeries_[n - 1]);
      for (double v : history) bars->AddPoint(barSeries_[n - 1], 0, v);
    }
    ui.ChartDenni->AddPoint(dailySeries_[n - 1], now, r.DisplayValue);
  }
}

void TMainForm::ShowValuesLost() {
  for (int n = 1; n <= kInputCount; ++n)
    if (auto* box = qobject_cast<QLineEdit*>(Control(QStringLiteral("edFyzPrumer"), n)))
      box->setText(QStringLiteral("---"));
}

void TMainForm::ShowArchiveWritable(bool writable, const QString& folder) {
  archiveProblem_->setVisible(!writable);
  archiveProblem_->setToolTip(folder);
  archiveProblem_->setText(Settings().Language == kEnglish ? QStringLiteral("Archive not written!")
                                                    : QStringLiteral("Archiv se nezapisuje!"));
}

void TMainForm::ShowProcessingFailure() {
  prompt_.Notify(UserPrompt::Icon::Error, windowTitle().trimmed(),
                 QStringLiteral("GetValueJednorazoveMereni"));
}
