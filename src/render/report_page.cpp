#include "render/report_page.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <cmath>
#include <functional>

#include "render/colour_ref.h"
#include "station/clock.h"

namespace {
// The page in tenths of a millimetre: A4 portrait.
constexpr double kWidth = 2100, kHeight = 2970;
constexpr double kLeft = 120, kRight = kWidth - 120, kTop = 90, kBottom = kHeight - 105;
constexpr double kRow = 29;       // a table row
constexpr double kGapAfter = 30;  // below a section
constexpr double kChartHeight = 600;
const QColor kInk(20, 20, 20), kFaint(110, 110, 110), kRule(190, 190, 190), kShade(240, 243, 247);
const QColor kConsumption(60, 120, 200), kLeak(230, 120, 40);

struct Column {
  QString title;
  double width;
  Qt::Alignment align = Qt::AlignRight;
};

// Draws the report top to bottom; a section that does not fit what is left of a page starts the
// next one. `pageAt` gives the painter of page n (0, 1, ...), null while only counting pages.
class ReportPainter {
 public:
  ReportPainter(const Report& report, std::function<QPainter*(int)> pageAt, int pages)
      : r_(report), text_(ReportLanguage(report)), pageAt_(std::move(pageAt)), pages_(pages) {}

  int Paint() {
    NewPage();
    Header();
    Summary();
    Chart();
    for (const ReportTable& table : ReportTables(r_)) LedgerTable(table);
    Inputs();
    Alarms();
    Completeness();
    Footer();
    return page_ + 1;
  }

 private:
  QString T(const char* key) const { return text_.Text(QLatin1String(key)); }
  QString InputName(int n) const { return text_.Text(QStringLiteral("SeriesIN%1").arg(n)); }
  QString Number(std::optional<double> v, int decimals) const {
    return v ? ReportNumber(r_, *v, decimals) : QString();
  }
  QString Unit() const {
    return r_.byDay.options.perSecond ? QStringLiteral(" [%1]").arg(r_.byDay.options.unit) : QString();
  }
  QString Money() const {
    return QStringLiteral(" [%1]").arg(r_.byDay.options.currency);
  }
  static QFont Font(double size, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(size));
    font.setBold(bold);
    return font;
  }

  void NewPage() {
    if (page_ >= 0) Footer();
    ++page_;
    p_ = pageAt_(page_);
    if (p_) {
      p_->resetTransform();
      p_->scale(p_->device()->width() / kWidth, p_->device()->height() / kHeight);
      p_->setRenderHint(QPainter::Antialiasing);
    }
    y_ = kTop;
  }
  void Need(double height) {
    if (y_ + height > kBottom) NewPage();
  }
  void Text(const QRectF& box, const QString& text, const QFont& font, Qt::Alignment align = Qt::AlignLeft,
            const QColor& colour = kInk) {
    if (!p_) return;
    p_->setFont(font);
    p_->setPen(colour);
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, box.width());
    p_->drawText(box, int(align | Qt::AlignVCenter), shown);
  }
  void Heading(const QString& title) {
    Text(QRectF(kLeft, y_, kRight - kLeft, 40), title, Font(30, true));
    Rule(y_ + 41, kInk);
    y_ += 50;
  }
  void Rule(double y, const QColor& colour) {
    if (!p_) return;
    p_->setPen(QPen(colour, 2));
    p_->drawLine(QPointF(kLeft, y), QPointF(kRight, y));
  }

  void Footer() {
    const QFont font = Font(22);
    const QRectF line(kLeft, kHeight - 90, kRight - kLeft, 40);
    Text(line, T("rpPata").arg(QStringLiteral(KESTRILON_VERSION), r_.made.toString(QStringLiteral("d.M.yyyy H:mm"))),
         font, Qt::AlignLeft, kFaint);
    Text(line, T("rpStrana").arg(page_ + 1).arg(pages_), font, Qt::AlignRight, kFaint);
  }

  void Header() {
    const QString title = r_.title.isEmpty() ? r_.station : r_.title;
    Text(QRectF(kLeft, y_, kRight - kLeft, 70), title, Font(56, true));
    y_ += 75;
    Text(QRectF(kLeft, y_, (kRight - kLeft) * 0.6, 45), ReportTitle(r_), Font(34));
    Text(QRectF(kLeft + (kRight - kLeft) * 0.6, y_, (kRight - kLeft) * 0.4, 45), r_.station, Font(26),
         Qt::AlignRight, kFaint);
    y_ += 50;
    Rule(y_, kInk);
    y_ += 25;
  }

  // The period's key figures side by side: a caption over each value.
  void Summary() {
    const LedgerFields f = FieldsOf(r_.byDay, r_.byDay.total);
    QList<std::pair<QString, QString>> figures{{T("hdSpotreba") + Unit(), Number(f.consumption, 1)}};
    if (f.cost) figures << std::pair{T("hdNaklady") + Money(), Number(f.cost, 2)};
    if (f.leak) figures << std::pair{T("hdUnik") + Unit(), Number(f.leak, 1)};
    if (f.leakShare) figures << std::pair{T("hdPodilUniku"), Number(f.leakShare, 1)};
    if (f.leakCost) figures << std::pair{T("hdNakladyUniku") + Money(), Number(f.leakCost, 2)};
    figures << std::pair{T("hdPokryti"), Number(f.coverage, 1)};
    Need(130);
    Heading(T("rpSouhrn"));
    const double width = (kRight - kLeft) / double(figures.size());
    for (qsizetype i = 0; i < figures.size(); ++i) {
      const double x = kLeft + double(i) * width;
      Text(QRectF(x, y_, width - 20, 32), figures[i].first, Font(24), Qt::AlignLeft, kFaint);
      Text(QRectF(x, y_ + 32, width - 20, 50), figures[i].second.isEmpty() ? QStringLiteral("–") : figures[i].second,
           Font(42, true));
    }
    y_ += 82 + kGapAfter;
  }

  double X(double t, const QRectF& plot) const {
    const double begin = double(LocalInstant(r_.days.first, 0)), end = double(LocalInstant(r_.days.last.addDays(1), 0));
    return plot.left() + (t - begin) / std::max(1.0, end - begin) * plot.width();
  }

  // Each active input in a band of its own over the same time, its hourly mean as a line and its
  // hourly minimum to maximum as a light area, broken where an hour has no row; below them the
  // consumption of each table line as a bar, its leakage the lower part.
  void Chart() {
    Need(kChartHeight + 60);
    const QRectF plot(kLeft + 150, y_, kRight - kLeft - 150, kChartHeight - 60);
    QList<int> inputs;
    for (int n = 1; n <= kInputCount; ++n)
      if (r_.active[size_t(n - 1)]) inputs << n;
    TimeAxis(plot);  // the grid first: the curves and bars are drawn over it
    const double barsHeight = plot.height() * (inputs.isEmpty() ? 1.0 : 0.28);
    const double bandHeight = inputs.isEmpty() ? 0 : (plot.height() - barsHeight) / double(inputs.size());
    for (qsizetype i = 0; i < inputs.size(); ++i)
      InputBand(inputs[i], QRectF(plot.left(), plot.top() + double(i) * bandHeight, plot.width(), bandHeight - 12));
    Bars(QRectF(plot.left(), plot.bottom() - barsHeight + 8, plot.width(), barsHeight - 8));
    y_ += kChartHeight + kGapAfter;
  }

  void Frame(const QRectF& box) {
    if (!p_) return;
    p_->setPen(QPen(kRule, 2));
    p_->setBrush(Qt::NoBrush);
    p_->drawRect(box);
  }

  // Three values on the left of a band: its lowest, middle and highest.
  void ValueAxis(const QRectF& box, double lo, double hi) {
    const double span = hi - lo;
    const int decimals = span >= 100 ? 0 : span >= 10 ? 1 : span >= 1 ? 2 : 3;
    for (int k = 0; k <= 2; ++k) {
      const double v = lo + span * k / 2.0;
      const double y = box.bottom() - box.height() * k / 2.0;
      Text(QRectF(kLeft, y - 15, 140, 30), ReportNumber(r_, v, decimals), Font(20), Qt::AlignRight, kFaint);
      if (p_ && k == 1) {
        p_->setPen(QPen(kRule, 1, Qt::DotLine));
        p_->drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
      }
    }
  }

  void InputBand(int n, const QRectF& box) {
    const size_t i = size_t(n - 1);
    QList<QList<Point>> runs{{}};  // pieces without a gap
    double lo = INFINITY, hi = -INFINITY;
    for (const LedgerLine& line : r_.byHour.lines) {
      const InputStatistics& s = line.statistics[i];
      if (s.count == 0) {
        if (!runs.last().isEmpty()) runs << QList<Point>{};
        continue;
      }
      runs.last() << Point{(double(line.span.begin) + double(line.span.end)) / 2, s.min, s.sum / double(s.count), s.max};
      lo = std::min(lo, s.min);
      hi = std::max(hi, s.max);
    }
    Frame(box);
    const QString name = InputName(n) +
                         (r_.units[i].isEmpty() ? QString() : QStringLiteral(" [%1]").arg(r_.units[i]));
    const QColor colour = ColourFromRef(r_.colours[i]);
    Curves(n, box, runs, lo, hi);
    BandLabel(box, name, colour);
  }

  // A band's name on a white patch at its top left, over anything drawn there.
  void BandLabel(const QRectF& box, const QString& name, const QColor& colour) {
    const QFont font = Font(22, true);
    const double width = std::min(box.width() / 2, QFontMetricsF(font).horizontalAdvance(name) + 16);
    if (p_) p_->fillRect(QRectF(box.left() + 2, box.top() + 2, width, 28), Qt::white);
    Text(QRectF(box.left() + 8, box.top() + 2, width, 28), name, font, Qt::AlignLeft, colour);
  }

  struct Point {
    double t, min, mean, max;
  };
  void Curves(int n, const QRectF& box, const QList<QList<Point>>& runs, double lo, double hi) {
    const QColor colour = ColourFromRef(r_.colours[size_t(n - 1)]);
    if (lo > hi) return;  // no row in the period
    if (hi - lo < 1e-9) {
      lo -= 1;
      hi += 1;
    }
    const double pad = (hi - lo) * 0.08;
    lo -= pad;
    hi += pad;
    const QRectF inner = box.adjusted(0, 30, 0, 0);
    ValueAxis(inner, lo, hi);
    if (!p_) return;
    auto Y = [&](double v) { return inner.bottom() - (v - lo) / (hi - lo) * inner.height(); };
    QColor light = colour;
    light.setAlpha(60);
    for (const QList<Point>& run : runs) {
      if (run.isEmpty()) continue;
      QPolygonF area, mean;
      for (const Point& p : run) {
        area << QPointF(X(p.t, box), Y(p.max));
        mean << QPointF(X(p.t, box), Y(p.mean));
      }
      for (auto it = run.crbegin(); it != run.crend(); ++it) area << QPointF(X(it->t, box), Y(it->min));
      p_->setPen(Qt::NoPen);
      p_->setBrush(light);
      p_->drawPolygon(area);
      p_->setPen(QPen(colour, 4));
      p_->setBrush(Qt::NoBrush);
      if (mean.size() == 1)
        p_->drawPoint(mean.first());
      else
        p_->drawPolyline(mean);
    }
  }

  void Bars(const QRectF& box) {
    const ReportTable table = ReportTables(r_).first();
    double top = 0;
    for (const LedgerLine& line : table.ledger->lines) top = std::max(top, line.consumption);
    Frame(box);
    const QString name =
        T("hdSpotreba") + Unit() + (table.ledger->leakPerLine ? QStringLiteral(", ") + T("rpUnikZ") : QString());
    const QRectF inner = box.adjusted(0, 30, 0, 0);
    if (top > 0) BarsIn(*table.ledger, inner, top * 1.08);
    BandLabel(box, name, kConsumption);
  }

  void BarsIn(const Ledger& ledger, const QRectF& inner, double top) {
    ValueAxis(inner, 0, top);
    if (!p_) return;
    for (const LedgerLine& line : ledger.lines) {
      const LedgerFields f = FieldsOf(ledger, line);
      const double left = X(double(line.span.begin), inner), right = X(double(line.span.end), inner);
      const double gap = std::min(6.0, (right - left) * 0.15);
      const auto height = [&](double v) { return v / top * inner.height(); };
      const double whole = height(line.consumption), leak = height(std::min(f.leak.value_or(0), line.consumption));
      p_->setPen(Qt::NoPen);
      p_->fillRect(QRectF(left + gap, inner.bottom() - whole, right - left - 2 * gap, whole - leak), kConsumption);
      p_->fillRect(QRectF(left + gap, inner.bottom() - leak, right - left - 2 * gap, leak), kLeak);
    }
  }

  // Grid lines at the days (a day's report: its hours) and their labels below.
  void TimeAxis(const QRectF& plot) {
    const QLocale locale = ReportLocale(r_);
    QList<std::pair<qint64, QString>> ticks;
    if (r_.period == ReportPeriod::Day) {
      for (const LedgerLine& line : r_.byHour.lines)
        if (const QDateTime at = QDateTime::fromSecsSinceEpoch(line.span.begin); at.time().hour() % 3 == 0)
          ticks << std::pair{line.span.begin, at.toString(QStringLiteral("H:mm"))};
    } else {
      for (QDate day = r_.days.first; day <= r_.days.last; day = day.addDays(1))
        ticks << std::pair{LocalInstant(day, 0), r_.period == ReportPeriod::Week
                                                      ? locale.toString(day, QStringLiteral("ddd d.M."))
                                                      : QString::number(day.day())};
    }
    const double spacing = plot.width() / double(std::max<qsizetype>(1, ticks.size()));
    for (const auto& [t, label] : ticks) {
      const double x = X(double(t), plot);
      if (p_) {
        p_->setPen(QPen(kRule, 1));
        p_->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
      }
      const double width = r_.period == ReportPeriod::Day ? 160 : spacing;
      Text(QRectF(x + (r_.period == ReportPeriod::Month ? 0 : -width / 2 + spacing / 2), plot.bottom() + 6,
                  r_.period == ReportPeriod::Day ? width : spacing, 30),
           label, Font(20), r_.period == ReportPeriod::Day ? Qt::AlignLeft : Qt::AlignHCenter, kFaint);
    }
  }

  // A table with a shaded header; a page break repeats the header.
  void Table(QList<Column> columns, const QList<QStringList>& rows, int boldRows = 0) {
    double total = 0;
    for (const Column& c : columns) total += c.width;
    if (total > kRight - kLeft)  // narrowed to the page, each in its proportion
      for (Column& c : columns) c.width *= (kRight - kLeft) / total;
    const auto header = [&] {
      if (p_) p_->fillRect(QRectF(kLeft, y_, kRight - kLeft, kRow), kShade);
      double x = kLeft;
      for (const Column& c : columns) {
        Text(QRectF(x + 6, y_, c.width - 12, kRow), c.title, Font(21, true), c.align);
        x += c.width;
      }
      y_ += kRow;
    };
    Need(kRow * 2);
    header();
    for (qsizetype i = 0; i < rows.size(); ++i) {
      if (y_ + kRow > kBottom) {
        NewPage();
        header();
      }
      const bool bold = i >= rows.size() - boldRows;
      if (bold) Rule(y_, kFaint);
      double x = kLeft;
      for (qsizetype c = 0; c < columns.size(); ++c) {
        Text(QRectF(x + 6, y_, columns[c].width - 12, kRow), rows[i].value(c), Font(22, bold), columns[c].align);
        x += columns[c].width;
      }
      y_ += kRow;
    }
    y_ += kGapAfter;
  }

  QString LineLabel(LedgerPeriod period, const LedgerLine& line) const {
    const QLocale locale = ReportLocale(r_);
    const QDateTime begin = QDateTime::fromSecsSinceEpoch(line.span.begin),
                    end = QDateTime::fromSecsSinceEpoch(line.span.end);
    switch (period) {
      case LedgerPeriod::Hour: {
        QString label = begin.toString(QStringLiteral("H:mm")) + QStringLiteral(" – ") + end.toString(QStringLiteral("H:mm"));
        // On a day the clocks change, the repeated hour is told apart by its offset.
        if (r_.byHour.lines.size() != 24) label += QLatin1Char(' ') + Clock::WithUtcOffset(begin, QString());
        return label;
      }
      case LedgerPeriod::Shift:
        return (r_.period == ReportPeriod::Day ? QString() : locale.toString(begin.date(), QStringLiteral("ddd d.M. "))) +
               begin.toString(QStringLiteral("H:mm")) + QStringLiteral(" – ") + end.toString(QStringLiteral("H:mm"));
      default:
        return locale.toString(begin.date(), QStringLiteral("ddd d.M.yyyy"));
    }
  }

  void LedgerTable(const ReportTable& table) {
    const Ledger& ledger = *table.ledger;
    const bool cost = ledger.options.price > 0, leak = ledger.leakPerLine, dew = ledger.options.dewPointLimit.has_value();
    QList<Column> columns{{QString(), 470, Qt::AlignLeft}, {T("hdSpotreba") + Unit(), 280}};
    if (cost) columns << Column{T("hdNaklady") + Money(), 240};
    if (leak) columns << Column{T("hdUnik") + Unit(), 240} << Column{T("hdPodilUniku"), 180};
    columns << Column{T("hdPokryti"), 180};
    if (dew) columns << Column{T("hdRosnyBodNad"), 400};
    QList<QStringList> rows;
    const auto row = [&](const QString& label, const LedgerFields& f) {
      QStringList cells{label, Number(f.consumption, 1)};
      if (cost) cells << Number(f.cost, 2);
      if (leak) cells << Number(f.leak, 1) << Number(f.leakShare, 1);
      cells << Number(f.coverage, 1);
      if (dew) cells << Number(f.dewPointAbovePercent, 1);
      rows << cells;
    };
    for (const LedgerLine& line : ledger.lines) row(LineLabel(table.period, line), FieldsOf(ledger, line));
    row(T("hdCelkem"), FieldsOf(r_.byDay, r_.byDay.total));
    Need(50 + kRow * 3);
    Heading(text_.Text(QStringLiteral("rpPodle_%1").arg(int(table.period))));
    Table(columns, rows, 1);
  }

  // Each active input's minimum, mean and maximum over the period, then the dew point's class.
  void Inputs() {
    const LedgerFields f = FieldsOf(r_.byDay, r_.byDay.total);
    QList<QStringList> rows;
    for (int n = 1; n <= kInputCount; ++n) {
      const size_t i = size_t(n - 1);
      if (!r_.active[i]) continue;
      rows << QStringList{QStringLiteral("IN%1 ").arg(n) + InputName(n),
                          r_.units[i], Number(f.min[i], 2), Number(f.mean[i], 2), Number(f.max[i], 2)};
    }
    Need(50 + kRow * (double(rows.size()) + 1) + (r_.dewPointClass ? 80 : 0));
    Heading(T("rpVstupy"));
    Table({{T("hdVstup"), 560, Qt::AlignLeft},
           {QString(), 200, Qt::AlignLeft},
           {T("hdMinimum"), 360},
           {T("hdPrumer"), 360},
           {T("hdMaximum"), 380}},
          rows);
    if (!r_.dewPointClass || !r_.byDay.options.dewPointLimit) return;
    y_ -= kGapAfter / 2;
    const QString line = T("rpRosnyBod").arg(*r_.dewPointClass).arg(ReportNumber(r_, *r_.byDay.options.dewPointLimit, 0)) +
                         QStringLiteral("   ") + T("rpNadTridou") + QStringLiteral(": ") +
                         DurationText(qint64(f.dewPointAbove.value_or(0))) +
                         (f.dewPointAbovePercent ? QStringLiteral(" (%1 %)").arg(Number(f.dewPointAbovePercent, 1)) : QString()) +
                         QStringLiteral("   ") + T("rpNejvyssi") + QStringLiteral(": ") +
                         (f.dewPointMax ? Number(f.dewPointMax, 1) + QStringLiteral(" °C tp") : QStringLiteral("–"));
    Text(QRectF(kLeft, y_, kRight - kLeft, 36), line, Font(24));
    y_ += 36 + kGapAfter;
  }

  QString AlarmName(AlarmKind kind) const {
    return text_.Text(QStringLiteral("alarm_") + AlarmKindName(kind));
  }

  void Alarms() {
    Need(50 + 40);
    Heading(T("rpAlarmy"));
    if (r_.alarms.counts.isEmpty()) {
      Text(QRectF(kLeft, y_, kRight - kLeft, 36), T("rpZadneAlarmy"), Font(24));
      y_ += 36 + kGapAfter;
      return;
    }
    QStringList counts;
    for (const auto& [kind, count] : r_.alarms.counts) counts << QStringLiteral("%1: %2").arg(AlarmName(kind)).arg(count);
    Text(QRectF(kLeft, y_, kRight - kLeft, 36), counts.join(QStringLiteral("    ")), Font(24));
    y_ += 38;
    QList<QStringList> rows;
    const QString picture = QStringLiteral("d.M.yyyy H:mm:ss");
    for (const ReportAlarm& a : r_.alarms.longest)
      rows << QStringList{a.input > 0 ? QStringLiteral("IN%1").arg(a.input) : text_.Text(QStringLiteral("fltStanice")),
                          AlarmName(a.kind), a.raised.toString(picture),
                          a.cleared ? a.cleared->toString(picture) : T("rpTrva"), DurationText(a.seconds)};
    Text(QRectF(kLeft, y_, kRight - kLeft, 34), T("rpNejdelsi"), Font(24, true));
    y_ += 34;
    Table({{T("hdVstup"), 200, Qt::AlignLeft},
           {T("hdAlarm"), 620, Qt::AlignLeft},
           {T("hdVyhlasen"), 360, Qt::AlignLeft},
           {T("hdZrusen"), 360, Qt::AlignLeft},
           {T("hdTrvani"), 320}},
          rows);
  }

  void Completeness() {
    const LedgerFields f = FieldsOf(r_.byDay, r_.byDay.total);
    QStringList lines{T("hdPokryti") + QStringLiteral(": ") + Number(f.coverage, 1)};
    lines << (r_.missing.isEmpty() ? T("rpNicNechybi")
                                   : T("rpChybi").arg(r_.missing.size()).arg(r_.missing.join(QStringLiteral(", "))));
    if (!r_.rejected.isEmpty())
      lines << T("msgSpotrebaVynechano").arg(r_.rejected.size()).arg(r_.rejected.first());
    Need(50 + 36 * double(lines.size()));
    Heading(T("rpUplnost"));
    for (const QString& line : lines) {
      Text(QRectF(kLeft, y_, kRight - kLeft, 36), line, Font(24));
      y_ += 36;
    }
    y_ += kGapAfter;
  }

  const Report& r_;
  const LanguageTable& text_;
  std::function<QPainter*(int)> pageAt_;
  int pages_;
  int page_ = -1;
  QPainter* p_ = nullptr;
  double y_ = kTop;
};

// Pages to come, counted by drawing on nothing.
int PageCount(const Report& report) {
  return ReportPainter(report, [](int) { return nullptr; }, 0).Paint();
}

// Draws every page on one device whose `next` turns to a new page.
bool PaintPages(const Report& report, QPaintDevice& device, const std::function<bool()>& next) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  bool ok = true;
  ReportPainter(report,
                [&](int page) {
                  if (page > 0) ok = ok && next();
                  return &painter;
                },
                PageCount(report))
      .Paint();
  return painter.end() && ok;
}
}  // namespace

IoStatus SaveReport(const Report& report, const QString& pdfPath) {
  const QString csvPath = ReportCsvPath(pdfPath);
  {
    QSaveFile csv(csvPath);
    const QByteArray bytes = ReportCsv(report);
    if (!csv.open(QIODevice::WriteOnly) || csv.write(bytes) != bytes.size() || !csv.commit())
      return IoStatus::Fail(IoStatus::Code::Unwritable, csvPath + QStringLiteral(": ") + csv.errorString());
  }
  QSaveFile pdf(pdfPath);
  if (!pdf.open(QIODevice::WriteOnly))
    return IoStatus::Fail(IoStatus::Code::Unwritable, pdfPath + QStringLiteral(": ") + pdf.errorString());
  bool painted = false;
  {
    QPdfWriter writer(&pdf);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(600);
    writer.setTitle(ReportTitle(report));
    writer.setCreator(QStringLiteral("Kestrilon4 " KESTRILON_VERSION));
    painted = PaintPages(report, writer, [&] { return writer.newPage(); });
  }
  if (!painted || !pdf.commit())
    return IoStatus::Fail(IoStatus::Code::Unwritable,
                          pdfPath + QStringLiteral(": ") +
                              (pdf.error() != QFileDevice::NoError ? pdf.errorString() : QStringLiteral("not drawn")));
  return {};
}

QList<QImage> ReportPageImages(const Report& report, int width) {
  const int height = int(std::lround(width * kHeight / kWidth));
  const int count = PageCount(report);
  QList<QImage> pages;
  for (int i = 0; i < count; ++i) {
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(Qt::white);
    pages << page;
  }
  std::optional<QPainter> painter;
  ReportPainter(report,
                [&](int page) {
                  painter.reset();
                  painter.emplace(&pages[page]);
                  return &*painter;
                },
                count)
      .Paint();
  painter.reset();
  return pages;
}

bool PrintReport(const Report& report, QPrinter& printer) {
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setFullPage(true);
  return PaintPages(report, printer, [&] { return printer.newPage(); });
}
