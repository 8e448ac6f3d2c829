#include "charts/chart_view.h"

#include "charts/calendar_ticker.h"
#include "charts/depth_bands.h"
#include "charts/depth_graph.h"
#include "render/chart_export.h"
#include "series/series_span.h"
#include "station/clock.h"
#include "station/regional.h"

#include <QCheckBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QTextDocument>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrinter>
#include <QThreadPool>
#include <QVBoxLayout>

namespace {
constexpr size_t kFreeAsideFrom = 1 << 16;  // points of a series cleared on a pool thread

// The cursors: a vertical line at each one's time through every band.
class CursorLines : public QCPLayerable {
 public:
  CursorLines(QCustomPlot* plot, const std::array<std::optional<double>, 2>* cursors)
      : QCPLayerable(plot), cursors_(cursors) {}

 protected:
  void applyDefaultAntialiasingHint(QCPPainter* painter) const override { painter->setAntialiasing(false); }
  QRect clipRect() const override { return mParentPlot->viewport(); }
  void draw(QCPPainter* painter) override {
    const QColor colours[2] = {QColor(0, 120, 0), QColor(160, 0, 160)};
    for (size_t c = 0; c < cursors_->size(); ++c) {
      if (!(*cursors_)[c]) continue;
      painter->setPen(QPen(colours[c], 1, Qt::DashLine));
      for (QCPAxisRect* rect : mParentPlot->axisRects()) {
        const double x = rect->axis(QCPAxis::atBottom)->coordToPixel(*(*cursors_)[c]);
        if (x >= rect->left() && x <= rect->right()) painter->drawLine(QPointF(x, rect->top()), QPointF(x, rect->bottom()));
      }
    }
  }

 private:
  const std::array<std::optional<double>, 2>* cursors_;
};

QString Number(std::optional<double> v) {
  return v ? QLocale().toString(*v, 'f', 2) : QStringLiteral("–");
}
}  // namespace

ChartView::ChartView(QWidget* parent)
    : QWidget(parent), plot_(new QCustomPlot(this)), legend_(new QWidget(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(plot_, 1);
  layout->addWidget(legend_);
  legend_->setAutoFillBackground(true);
  legend_->setBackgroundRole(QPalette::Base);
  legendLayout_ = new QVBoxLayout(legend_);
  legendLayout_->setContentsMargins(8, 8, 10, 8);
  legendLayout_->setSpacing(2);  // the series and the axis choice in the height the page has
  legendLayout_->addStretch(1);
  plot_->addLayer(QStringLiteral("cursors"), plot_->layer(QStringLiteral("main")), QCustomPlot::limAbove);
  (new CursorLines(plot_, &cursors_))->setLayer(QStringLiteral("cursors"));  // the plot owns it
  cursorBox_ = new QLabel(plot_);
  cursorBox_->setObjectName(QStringLiteral("stKurzory"));
  cursorBox_->setAutoFillBackground(true);
  cursorBox_->setBackgroundRole(QPalette::ToolTipBase);
  cursorBox_->setForegroundRole(QPalette::ToolTipText);
  cursorBox_->setFrameShape(QFrame::Box);
  QFont small = cursorBox_->font();  // a compact box: it lies over the curves
  small.setPointSizeF(small.pointSizeF() * 0.85);
  cursorBox_->setFont(small);
  cursorBox_->setTextFormat(Qt::RichText);
  cursorBox_->hide();
  cursorBox_->setCursor(Qt::PointingHandCursor);  // a click folds the box to its first line, and back
  cursorBox_->installEventFilter(this);
  plot_->setFocusPolicy(Qt::WheelFocus);  // "1" and "2" reach the chart once it is clicked or zoomed
  plot_->installEventFilter(this);
  bandsBox_ = new QCheckBox(legend_);
  bandsBox_->hide();
  legendLayout_->addWidget(bandsBox_);
  connect(bandsBox_, &QCheckBox::toggled, this, [this](bool on) { SetBands(on); });

  plot_->setNoAntialiasingOnDrag(true);
  // Bands share what height there is: their margins never make the page taller than the window.
  plot_->setMinimumSize(50, 50);
  plot_->addLayer(QStringLiteral("depth"), plot_->layer(QStringLiteral("main")), QCustomPlot::limBelow);
  depthBands_ = new DepthBands(plot_, plot_->layer(QStringLiteral("depth")));
  plot_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  plot_->axisRect()->setRangeDrag(Qt::Horizontal);
  plot_->axisRect()->setRangeZoom(Qt::Horizontal);
  plot_->xAxis->setTicker(QSharedPointer<CalendarTicker>::create(plot_->xAxis));
  plot_->xAxis->grid()->setPen(QPen(QColor(0xDD, 0xDD, 0xDD), 0, Qt::DotLine));
  plot_->yAxis->grid()->setPen(QPen(QColor(0xDD, 0xDD, 0xDD), 0, Qt::DotLine));
  // Today until the first points arrive: one day, one date on the axis.
  const QDate today = QDate::currentDate();
  plot_->xAxis->setRange(ToKey(QDateTime(today, QTime(0, 0))), ToKey(QDateTime(today.addDays(1), QTime(0, 0))));

  connect(plot_, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) {
    pressPos_ = e->pos();
    emit MousePressed(e->button(), plot_->mapTo(this, e->pos()));
  });
  connect(plot_, &QCustomPlot::beforeReplot, this, [this] {
    if (following_)
      FitAxes();
    else if (followData_)
      KeepLatestInView();
    newestShown_ = NewestKey();
  });
  connect(plot_, &QCustomPlot::afterLayout, this, [this] {
    if (!cursorBox_->isHidden()) PlaceCursorBox();
    if (auto ticker = plot_->xAxis->ticker().dynamicCast<CalendarTicker>(); ticker && ticker->ForOtherWidth())
      plot_->replot(QCustomPlot::rpQueuedReplot);
  });
  connect(plot_, &QCustomPlot::mouseWheel, this, [this] { following_ = false; });
  connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) {
    if (e->buttons() != Qt::NoButton) following_ = false;
  });
  connect(plot_, &QCustomPlot::mouseDoubleClick, this, [this] {
    following_ = followData_;
    RescaleToData();
  });
  connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
    if ((e->pos() - pressPos_).manhattanLength() > 3) return;  // a drag, not a click
    const QPoint pos = plot_->mapTo(this, e->pos());
    if (auto* hit = plot_->plottableAt(QPointF(e->pos()), false)) {
      for (ChartSeries* s : AllSeries())
        if ((s->graph_ && s->graph_ == hit) || (s->bars_ && s->bars_ == hit)) {
          emit SeriesClicked(s, e->button(), pos);
          return;
        }
    }
    emit Clicked(pos);
  });
}

ChartSeries* ChartView::AddSeries(const QString& name, ChartSeries::Kind kind) {
  auto* s = new ChartSeries(name, kind, this);
  if (kind == ChartSeries::Kind::Line) {
    s->graph_ = new DepthGraph(plot_->xAxis, plot_->yAxis, &s->points_);
    QList<DepthGraph*> graphs;
    for (ChartSeries* other : AllSeries())
      if (other->graph_) graphs << other->graph_;
    depthBands_->SetGraphs(graphs);
  } else {
    s->bars_ = new QCPBars(plot_->xAxis, plot_->yAxis);
    s->bars_->setWidth(0.72);
    plot_->xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    plot_->xAxis->setRange(0.4, 10.6);
  }
  s->legendBox_ = new QCheckBox(legend_);
  s->legendBox_->setChecked(true);
  legendLayout_->insertWidget(legendLayout_->indexOf(bandsBox_) - 1, s->legendBox_);  // above the stretch
  connect(s->legendBox_, &QCheckBox::toggled, this, [this, s](bool on) { SetActive(s, on); });
  // A series the user switches on is shown at once: the axes fit what is shown now.
  connect(s->legendBox_, &QCheckBox::clicked, this, [this](bool on) {
    if (on) RescaleToData();
  });
  SetColour(s, s->colour_);
  return s;
}

ChartSeries* ChartView::Series(const QString& name) const {
  return findChild<ChartSeries*>(name);
}

QList<ChartSeries*> ChartView::AllSeries() const {
  return findChildren<ChartSeries*>();
}

void ChartView::SetActive(ChartSeries* s, bool active) {
  s->active_ = active;
  if (s->graph_) s->graph_->setVisible(active);
  if (s->bars_) s->bars_->setVisible(active);
  if (s->legendBox_->isChecked() != active) s->legendBox_->setChecked(active);
  if (s->ownAxis_) UpdateOwnAxis();
  for (ChartSeries* c : AllSeries())
    if (c->companionOf_ == s) UpdateCompanion(c);
  if (bands_) LayOutBands();
  QueueReplot();
}

void ChartView::SetCompanion(ChartSeries* s, ChartSeries* companion) {
  companion->companionOf_ = s;
  companion->ownAxis_ = s->ownAxis_;
  SetShownInLegend(companion, false);
  UpdateCompanion(companion);
}

void ChartView::UpdateCompanion(ChartSeries* c) {
  const ChartSeries* s = c->companionOf_;
  c->colour_ = s->colour_;
  c->active_ = comparison_ && s->active_;
  if (c->graph_) {
    c->graph_->setPen(QPen(s->colour_, 1, Qt::DashLine));
    c->graph_->setVisible(c->active_);
    c->graph_->setKeyAxis(s->graph_->keyAxis());
    c->graph_->setValueAxis(s->graph_->valueAxis());
  }
}

void ChartView::SetComparison(bool on) {
  comparison_ = on;
  for (ChartSeries* c : AllSeries())
    if (c->companionOf_) UpdateCompanion(c);
  QueueReplot();
}

void ChartView::AddLegendWidget(QWidget* widget) {
  widget->setParent(legend_);
  legendLayout_->insertWidget(legendLayout_->indexOf(bandsBox_) + 1, widget);
}

void ChartView::SetTitle(ChartSeries* s, const QString& title) {
  s->title_ = title;
  if (s->graph_) s->graph_->setName(title);
  if (bands_ && s->graph_ && !s->ownAxis_) LayOutBands();  // its band's title
  if (s->ownAxis_) UpdateOwnAxis();
  UpdateLegendBox(s);
}

void ChartView::SetShownInLegend(ChartSeries* s, bool shown) {
  s->inLegend_ = shown;
  s->legendBox_->setVisible(shown);
}

void ChartView::SetColour(ChartSeries* s, const QColor& colour) {
  s->colour_ = colour;
  for (ChartSeries* c : AllSeries())
    if (c->companionOf_ == s) UpdateCompanion(c);
  if (s->graph_) s->graph_->setPen(QPen(colour, s->lineWidth_));
  if (s->bars_) {
    s->bars_->setPen(QPen(colour.darker(130)));
    s->bars_->setBrush(colour);
  }
  UpdateLegendBox(s);
  QueueReplot();
}

void ChartView::SetLineWidth(ChartSeries* s, int width) {
  s->lineWidth_ = width;
  if (s->graph_) s->graph_->setPen(QPen(s->colour_, width));
  QueueReplot();
}

void ChartView::UpdateLegendBox(ChartSeries* s) {
  QPixmap swatch(22, 10);
  swatch.fill(Qt::transparent);
  QPainter p(&swatch);
  p.setPen(QPen(s->colour_, 3));
  p.drawLine(1, 5, 21, 5);
  p.end();
  s->legendBox_->setIcon(QIcon(swatch));
  s->legendBox_->setText(s->title_);
}

void ChartView::SetGap(double seconds) {
  gap_ = seconds;
  for (ChartSeries* s : AllSeries())
    if (s->graph_) s->graph_->SetGap(seconds);
  QueueReplot();
}

void ChartView::SetIntegral(ChartSeries* s, std::optional<double> perSecond, const QString& caption) {
  s->perSecond_ = perSecond;
  s->integralCaption_ = caption;
}

void ChartView::PlaceCursor(int which, double key) {
  cursors_[size_t(which)] = key;
  ShowCursorBox();
  plot_->layer(QStringLiteral("cursors"))->replot();
  QueueReplot();
}

void ChartView::ClearCursors() {
  cursors_ = {};
  cursorBox_->hide();
  QueueReplot();
}

QString ChartView::CursorText() const {
  QTextDocument document;
  document.setHtml(cursorBox_->text());
  return cursorBox_->isHidden() ? QString() : document.toPlainText();
}

// The box at the plot's top right: a row per visible line, its volume under the table.
void ChartView::ShowCursorBox() {
  const auto time = [](std::optional<double> key) {
    if (!key) return QStringLiteral("–");
    const QDateTime at = FromKey(*key);  // the repeated autumn hour with its offset
    return QLocale().toString(at, QStringLiteral("d.M.yyyy H:mm:ss")) +
           (Regional::ShownTwice(at) ? QLatin1Char(' ') + Clock::WithUtcOffset(at, QString()) : QString());
  };
  QString html = QStringLiteral("<table cellspacing=0 cellpadding=2><tr><td colspan=7>%1 1: %2 &nbsp; 2: %3")
                     .arg(cursorBoxFolded_ ? QStringLiteral("▸") : QStringLiteral("▾"), time(cursors_[0]),
                          time(cursors_[1]));
  const bool both = cursors_[0] && cursors_[1];
  if (both) {
    // Of the times as shown, to the second: cut, as they are, not rounded.
    const qint64 seconds = std::abs(qint64(std::floor(*cursors_[1])) - qint64(std::floor(*cursors_[0])));
    html += QStringLiteral(" &nbsp; Δt: %1:%2:%3")
                .arg(seconds / 3600)
                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                .arg(seconds % 60, 2, 10, QLatin1Char('0'));
  }
  html += QStringLiteral("</td></tr>");
  if (!cursorBoxFolded_)
    html += QStringLiteral("<tr><th></th><th>1</th><th>2</th><th>Δ</th><th>min</th><th>Ø</th><th>max</th></tr>");
  QStringList volumes;
  for (ChartSeries* s : AllSeries()) {
    if (!s->graph_ || !s->active_ || s->points_.Empty()) continue;
    const double a = cursors_[0].value_or(cursors_[1].value_or(0)), b = cursors_[1].value_or(a);
    const SeriesSpan span = SpanBetween(s->points_, a, b, gap_, both && s->perSecond_);
    const std::optional<double> atA = cursors_[0] ? span.atA : std::nullopt, atB = cursors_[1] ? span.atB : std::nullopt;
    const std::optional<double> delta = atA && atB ? std::optional<double>(*atB - *atA) : std::nullopt;
    if (!cursorBoxFolded_) {
      html += QStringLiteral("<tr><td><font color=\"%1\">%2</font></td>").arg(s->colour_.name(), s->title_.toHtmlEscaped());
      for (const std::optional<double>& v : {atA, atB, delta, both ? span.min : std::nullopt,
                                             both ? span.mean : std::nullopt, both ? span.max : std::nullopt})
        html += QStringLiteral("<td align=right>%1</td>").arg(Number(v));
      html += QStringLiteral("</tr>");
    }
    if (both && s->perSecond_)
      volumes << QStringLiteral("%1: %2").arg(s->integralCaption_.toHtmlEscaped(), Number(span.integral * *s->perSecond_));
  }
  html += QStringLiteral("</table>");
  if (!volumes.isEmpty()) html += volumes.join(QStringLiteral("<br>"));
  cursorBox_->setText(html);
  PlaceCursorBox();
  cursorBox_->show();
  cursorBox_->raise();
}

// At the top right of the uppermost axis rectangle: below the chart's title.
void ChartView::PlaceCursorBox() {
  cursorBox_->setMaximumWidth(std::max(100, plot_->width() - 8));
  cursorBox_->adjustSize();
  int top = plot_->height();
  for (QCPAxisRect* rect : plot_->axisRects())
    if (rect->visible()) top = std::min(top, rect->rect().top());
  if (top >= plot_->height() - cursorBox_->height()) top = 0;  // not laid out yet
  cursorBox_->move(std::max(0, plot_->width() - cursorBox_->width() - 4), top + 4);
}

bool ChartView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cursorBox_ && event->type() == QEvent::MouseButtonRelease) {
    cursorBoxFolded_ = !cursorBoxFolded_;
    ShowCursorBox();
    return true;
  }
  if (watched == plot_ && event->type() == QEvent::Resize && !cursorBox_->isHidden()) PlaceCursorBox();
  if (watched == plot_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_1 || key == Qt::Key_2) {
      const QPoint at = plot_->mapFromGlobal(QCursor::pos());
      if (plot_->rect().contains(at)) PlaceCursor(key == Qt::Key_1 ? 0 : 1, plot_->xAxis->pixelToCoord(at.x()));
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ChartView::SetLevelOfDetail(bool on) {
  for (ChartSeries* s : AllSeries())
    if (s->graph_) s->graph_->SetLevelOfDetail(on);
  QueueReplot();
}

void ChartView::AddPoint(ChartSeries* s, double x, double y) {
  if (s->graph_) {
    s->points_.Append(x, y);
    s->graph_->DataChanged();
  } else if (s->bars_) {
    s->bars_->addData(++barCount_, y);
  }
  QueueReplot();
}

void ChartView::AddPoints(ChartSeries* s, const QVector<QCPGraphData>& points) {
  if (!s->graph_) return;
  s->points_.Reserve(s->points_.Size() + size_t(points.size()));
  for (const QCPGraphData& p : points) s->points_.Append(p.key, p.value);
  s->graph_->DataChanged();
  QueueReplot();
}

void ChartView::SetPoints(ChartSeries* s, CompactSeries points) {
  if (!s->graph_) return;
  s->points_ = std::move(points);
  s->graph_->DataChanged();
  QueueReplot();
}

void ChartView::Clear(ChartSeries* s) {
  if (s->graph_) {
    // The memory goes back; hundreds of megabytes of it on a pool thread, as freeing that many
    // pages would hold up the window for tens of milliseconds.
    auto old = std::make_shared<CompactSeries>(std::exchange(s->points_, {}));
    if (old->Size() > kFreeAsideFrom) QThreadPool::globalInstance()->start([old = std::move(old)]() mutable { old.reset(); });
    s->graph_->data()->set(QVector<QCPGraphData>());
    s->graph_->DataChanged();
  }
  if (s->bars_) {
    s->bars_->data()->clear();
    barCount_ = 0;
  }
  QueueReplot();
}

int ChartView::PointCount(const ChartSeries* s) const {
  if (s->graph_) return int(s->points_.Size());
  return s->bars_ ? s->bars_->dataCount() : 0;
}

QVector<QPointF> ChartView::Points(const ChartSeries* s) const {
  QVector<QPointF> points;
  if (s->graph_)
    for (size_t i = 0; i < s->points_.Size(); ++i) points << QPointF(s->points_.Key(i), s->points_.Value(i));
  if (s->bars_)
    for (const QCPBarsData& d : *s->bars_->data()) points << QPointF(d.key, d.value);
  return points;
}

QPointF ChartView::ValuesAt(const ChartSeries* s, const QPoint& pos) const {
  const QPoint p = plot_->mapFrom(this, pos);
  const QCPAbstractPlottable* plottable = s->graph_ ? static_cast<QCPAbstractPlottable*>(s->graph_)
                                                    : static_cast<QCPAbstractPlottable*>(s->bars_);
  return QPointF(plottable->keyAxis()->pixelToCoord(p.x()), plottable->valueAxis()->pixelToCoord(p.y()));
}

void ChartView::SetLegendVisible(bool visible) {
  legend_->setVisible(visible);
}

void ChartView::SetAxesVisible(bool visible) {
  for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis}) {
    axis->setTickLabels(visible);
    axis->setTicks(visible);
    axis->setBasePen(visible ? QPen(Qt::black, 0) : QPen(Qt::NoPen));
    axis->grid()->setVisible(visible);
  }
  TimeRect()->setAutoMargins(visible ? QCP::msAll : QCP::msNone);
  if (!visible) TimeRect()->setMargins(QMargins(1, 1, 1, 1));
}

void ChartView::Set3D(bool on) {
  view3D_ = on;
  FitAxes();
  UpdateDepth();
}

void ChartView::Set3DPercent(int percent) {
  percent3D_ = qBound(1, percent, 100);
  FitAxes();
  UpdateDepth();
}

void ChartView::UpdateDepth() {
  const double d = DepthPixels();
  depthBands_->SetDepth(QPointF(d, -d));
  QueueReplot();
}

void ChartView::SetChartTitle(const QString& title) {
  if (!title_) {
    plot_->plotLayout()->insertRow(0);
    title_ =
        new QCPTextElement(plot_, QString(), QFont(font().family(), font().pointSize() + 2, QFont::Bold));
    plot_->plotLayout()->addElement(0, 0, title_);
  }
  title_->setText(title);
  QueueReplot();
}

QString ChartView::ChartTitle() const {
  return title_ ? title_->text() : QString();
}

void ChartView::SetDateTimeFormat(const QString& picture) {
  datePicture_ = picture;
  QString qt = picture;
  qt.replace(QLatin1String("hh"), QLatin1String("HH"));  // hours of the 24-hour clock
  if (auto ticker = plot_->xAxis->ticker().dynamicCast<CalendarTicker>()) ticker->SetPicture(qt);
  QueueReplot();
}

void ChartView::SetLeftAxisRange(double min, double max) {
  plot_->yAxis->setRange(min, max);
  QueueReplot();
}

QPair<double, double> ChartView::LeftAxisRange() const {
  return {plot_->yAxis->range().lower, plot_->yAxis->range().upper};
}

double ChartView::NewestKey() const {
  double newest = -INFINITY;
  for (ChartSeries* s : AllSeries())
    if (s->graph_ && !s->points_.Empty()) newest = std::max(newest, s->points_.Key(s->points_.Size() - 1));
  return newest;
}

void ChartView::KeepLatestInView() {
  const QCPRange range = plot_->xAxis->range();
  const double newest = NewestKey();
  // A view zoomed or panned by the user still moves on with the new points while it shows the
  // newest one it had; one that looks at earlier times stays where it is.
  if (std::isfinite(newestShown_) && newest > newestShown_ && range.upper >= newestShown_)
    plot_->xAxis->setRange(range.lower + newest - newestShown_, range.upper + newest - newestShown_);
}

void ChartView::SetFollowData(bool follow) {
  followData_ = following_ = follow;
  QueueReplot();
}

double ChartView::DepthPixels() const {
  // The depth grows with the plot width: 100 % recedes by a fifth of it.
  return view3D_ ? TimeRect()->width() * 0.2 * percent3D_ / 100.0 : 0.0;
}

void ChartView::FitAxes() {
  bool found = false;
  QCPRange keys;
  // The value range of each value axis: the left one, the right one (series with an axis of their
  // own), and with bands each band's own.
  QHash<QCPAxis*, QCPRange> values;
  for (ChartSeries* s : AllSeries()) {
    if (!s->graph_ || !s->active_ || s->points_.Empty()) continue;
    const CompactSeries& points = s->points_;
    const auto [lowest, highest] = points.Extremes(0, points.Size());
    if (std::isnan(points.Value(lowest))) continue;  // no value at all
    const QCPRange k(points.Key(0), points.Key(points.Size() - 1));
    const QCPRange v(points.Value(lowest), points.Value(highest));
    keys = found ? QCPRange(qMin(keys.lower, k.lower), qMax(keys.upper, k.upper)) : k;
    QCPAxis* axis = s->graph_->valueAxis();
    const auto known = values.constFind(axis);
    values[axis] = known == values.cend() ? v : QCPRange(qMin(known->lower, v.lower), qMax(known->upper, v.upper));
    found = true;
  }
  if (!found) return;
  if (keys.size() <= 0) keys = QCPRange(keys.lower - 60, keys.upper + 60);
  plot_->xAxis->setRange(keys);
  for (auto it = values.cbegin(); it != values.cend(); ++it) {
    const QCPRange& range = it.value();
    const double span = range.size() > 0 ? range.size() : qMax(1.0, qAbs(range.lower));
    QCPRange fitted(range.lower - span * 0.05, range.upper + span * 0.05);
    // Room above the curves for the receding ribbons of the 3D view.
    const double height = it.key()->axisRect()->height();
    const double depth = DepthPixels();
    if (depth > 0 && height > depth) fitted.upper += fitted.size() * depth / (height - depth);
    it.key()->setRange(fitted);
  }
}

void ChartView::SetOwnValueAxis(ChartSeries* s) {
  if (!s->graph_) return;
  s->ownAxis_ = true;
  s->graph_->setValueAxis(OwnAxis());
  UpdateOwnAxis();
}

QCPAxis* ChartView::OwnAxis() const {
  return (extraBands_.isEmpty() ? TimeRect() : extraBands_.first())->axis(QCPAxis::atRight);
}

void ChartView::UpdateOwnAxis() {
  QStringList labels;
  for (ChartSeries* s : AllSeries())
    if (s->ownAxis_ && s->active_ && !s->companionOf_) labels << s->title_;
  OwnAxis()->setVisible(!labels.isEmpty());
  OwnAxis()->setLabel(labels.join(QStringLiteral(", ")));
}

QCPAxisRect* ChartView::TimeRect() const {
  return plot_->xAxis->axisRect();
}

QString ChartView::BandTitle(const QCPAxisRect* band) const {
  const QCPItemText* label = bandLabels_.value(const_cast<QCPAxisRect*>(band));
  return label && label->visible() ? label->text() : QString();
}

QCPAxisRect* ChartView::BandOf(const ChartSeries* s) const {
  return s->graph_ ? s->graph_->keyAxis()->axisRect() : plot_->axisRect();
}

void ChartView::SetBands(bool on) {
  if (bands_ == on) return;
  bands_ = on;
  LayOutBands();
  RescaleToData();
}

void ChartView::LayOutBands() {
  QList<ChartSeries*> lines;
  for (ChartSeries* s : AllSeries())
    if (s->graph_ && !s->ownAxis_ && !s->companionOf_ && (s->active_ || !bands_)) lines << s;
  const qsizetype wanted = bands_ ? std::max<qsizetype>(0, lines.size() - 1) : 0;
  if (!marginGroup_) marginGroup_ = new QCPMarginGroup(plot_);
  while (extraBands_.size() < wanted) {
    auto* band = new QCPAxisRect(plot_);
    band->setRangeDrag(Qt::Horizontal);
    band->setRangeZoom(Qt::Horizontal);
    QCPAxis* time = band->axis(QCPAxis::atBottom);
    time->setTicker(plot_->xAxis->ticker());
    time->setTickLabels(false);  // the chart's own time axis, at the bottom, labels the time
    time->grid()->setPen(plot_->xAxis->grid()->pen());
    band->axis(QCPAxis::atLeft)->grid()->setPen(plot_->yAxis->grid()->pen());
    // Every band shows the same time: a pan or a zoom in one moves them all.
    connect(time, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), plot_->xAxis,
            qOverload<const QCPRange&>(&QCPAxis::setRange));
    connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), time,
            qOverload<const QCPRange&>(&QCPAxis::setRange));
    time->setRange(plot_->xAxis->range());
    // Directly above the chart's own axis rectangle, which keeps the bottom row.
    QCPLayoutGrid* layout = plot_->plotLayout();
    int row = 0;
    while (row < layout->rowCount() && layout->element(row, 0) != TimeRect()) ++row;
    layout->insertRow(row);
    layout->addElement(row, 0, band);
    extraBands_ << band;
  }
  while (extraBands_.size() > wanted) {
    QCPAxisRect* band = extraBands_.takeLast();
    for (ChartSeries* s : AllSeries())
      if (s->graph_ && s->graph_->keyAxis()->axisRect() == band) {
        s->graph_->setKeyAxis(plot_->xAxis);
        s->graph_->setValueAxis(plot_->yAxis);
      }
    if (QCPItemText* label = bandLabels_.take(band)) plot_->removeItem(label);
    plot_->plotLayout()->remove(band);
    plot_->plotLayout()->simplify();
  }
  const QList<QCPAxisRect*> bands = QList<QCPAxisRect*>(extraBands_) << TimeRect();
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QCPAxisRect* band = bands_ ? bands[i] : TimeRect();
    lines[i]->graph_->setKeyAxis(band->axis(QCPAxis::atBottom));
    lines[i]->graph_->setValueAxis(band->axis(QCPAxis::atLeft));
  }
  // Each band's title in its top left corner, over the curve (a rotated axis label would not fit
  // a band's height); few values on its axis.
  for (QCPAxisRect* band : bands) {
    QCPItemText*& label = bandLabels_[band];
    if (!label) {
      label = new QCPItemText(plot_);
      label->setClipAxisRect(band);
      label->position->setType(QCPItemPosition::ptAxisRectRatio);
      label->position->setAxisRect(band);
      label->position->setCoords(0, 0);
      label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setPadding(QMargins(3, 1, 3, 1));
      label->setBrush(QColor(255, 255, 255, 210));
    }
    const qsizetype i = bands.indexOf(band);
    const bool shown = bands_ && i < lines.size();
    label->setVisible(shown);
    if (shown) {
      label->setText(lines[i]->title_);
      label->setColor(lines[i]->colour_);
    }
    // A band is low: three values at least, steps less round if need be, rather than one label alone.
    const QSharedPointer<QCPAxisTicker> values = band->axis(QCPAxis::atLeft)->ticker();
    values->setTickStepStrategy(bands_ ? QCPAxisTicker::tssMeetTickCount : QCPAxisTicker::tssReadability);
    values->setTickCount(bands_ ? 3 : 5);
  }
  // A series with an axis of its own: the right axis of the first band (the flow's).
  for (ChartSeries* s : AllSeries())
    if (s->graph_ && s->ownAxis_ && !s->companionOf_) {
      s->graph_->setKeyAxis(bands.first()->axis(QCPAxis::atBottom));
      s->graph_->setValueAxis(bands.first()->axis(QCPAxis::atRight));
    }
  for (ChartSeries* c : AllSeries())
    if (c->companionOf_) UpdateCompanion(c);
  for (QCPAxisRect* band : bands) {
    band->setMarginGroup(QCP::msLeft | QCP::msRight, marginGroup_);
    if (band != bands.first()) band->axis(QCPAxis::atRight)->setVisible(false);
  }
  UpdateOwnAxis();
  QueueReplot();
}

void ChartView::RescaleToData() {
  FitAxes();
  UpdateDepth();
}

QPixmap ChartView::Picture() {
  plot_->replot(QCustomPlot::rpImmediateRefresh);
  return grab();
}

bool ChartView::Print(QPrinter& printer) {
  return PrintChartPicture(printer, Picture());
}

IoStatus ChartView::SaveImage(const QString& path, const char* format) {
  return SavePicture(Picture(), path, format);
}

IoStatus ChartView::SavePdf(const QString& path) {
  QList<LegendLine> legend;  // the lines the legend shows
  for (const ChartSeries* s : AllSeries())
    if (s->inLegend_ && s->kind_ == ChartSeries::Kind::Line)
      legend << LegendLine{s->title_, s->colour_, s->lineWidth_, s->active_};
  OverlayBox box;  // the cursors' readings, where the window shows them
  if (!cursorBox_->isHidden())
    box = {cursorBox_->text(), cursorBox_->font(), cursorBox_->palette().color(QPalette::ToolTipBase),
           cursorBox_->palette().color(QPalette::ToolTipText)};
  return SaveChartPdf(*plot_, ChartTitle(), legend, font(), palette().color(QPalette::WindowText), box, path);
}

void ChartView::QueueReplot() {
  if (!redrawsHeld_) plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ChartView::HoldRedraws(bool hold) {
  redrawsHeld_ = hold;
  QueueReplot();
}

double ChartView::ToKey(const QDateTime& at) {
  return at.toMSecsSinceEpoch() / 1000.0;
}

QDateTime ChartView::FromKey(double key) {
  return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(key * 1000.0)));
}
