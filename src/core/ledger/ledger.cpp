#include "ledger/ledger.h"

#include <QSaveFile>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace {
// ISO 8573-1 pressure dew points of the humidity classes 1..6, °C.
constexpr double kDewPointLimits[] = {-70, -40, -20, 3, 7, 10};
constexpr qint64 kLeakWindow = 3600;  // s: the quietest hour of a night or a weekend

double ValueAt(const ArchiveRow& a, const ArchiveRow& b, size_t input, double t) {
  const double u = a.values[input], w = b.values[input];
  return u + (w - u) * (t - a.key) / (b.key - a.key);
}

// The time of [a, b] in which the straight line from u (at a) to w (at b) lies strictly above `limit`.
double TimeAbove(double a, double b, double u, double w, double limit) {
  if (u > limit && w > limit) return b - a;
  if (u <= limit && w <= limit) return 0;
  const double crossing = a + (limit - u) / (w - u) * (b - a);
  return u > limit ? crossing - a : b - crossing;
}

bool Covered(const ArchiveRow& a, const ArchiveRow& b, qint64 gap) {
  const double dt = b.key - a.key;
  return dt > 0 && dt <= double(gap);
}

// Adds a day's sums, extremes and statistics to a longer line.
void AddUp(LedgerLine& line, const LedgerLine& day) {
  line.consumption += day.consumption;
  line.covered += day.covered;
  line.dewPointAbove += day.dewPointAbove;
  if (day.dewPointMax) line.dewPointMax = std::max(line.dewPointMax.value_or(*day.dewPointMax), *day.dewPointMax);
  for (size_t n = 0; n < size_t(kInputCount); ++n) {
    InputStatistics& s = line.statistics[n];
    const InputStatistics& d = day.statistics[n];
    if (d.count == 0) continue;
    s.min = s.count == 0 ? d.min : std::min(s.min, d.min);
    s.max = s.count == 0 ? d.max : std::max(s.max, d.max);
    s.sum += d.sum;
    s.count += d.count;
  }
}

QList<LedgerLine> LinesOf(const QList<TimeSpan>& spans, qint64 now) {
  QList<LedgerLine> lines;
  for (const TimeSpan& span : spans) {
    LedgerLine line;
    line.span = span;
    line.future = span.begin >= now;
    line.length = std::max<qint64>(0, std::min(span.end, now) - span.begin);
    lines << line;
  }
  return lines;
}

QString Fixed(double value, int decimals) {
  QString text = QString::asprintf("%.*f", decimals, value);
  if (text.startsWith(QLatin1Char('-')) && text.count(QLatin1Char('0')) == text.size() - 2) text.remove(0, 1);
  return text;
}

QString LineCsv(const Ledger& ledger, const LedgerLine& line, bool total) {
  const LedgerFields f = FieldsOf(ledger, line);
  const auto text = [](const std::optional<double>& v, int decimals = 4) {
    return v ? Fixed(*v, decimals) : QString();
  };
  const bool known = f.consumption.has_value();
  QStringList fields{total ? QStringLiteral("TOTAL") : LedgerTimeText(line.span.begin),
                     total ? QString() : LedgerTimeText(line.span.end),
                     text(f.consumption),
                     known ? ledger.options.unit : QString(),
                     text(f.cost),
                     f.cost ? ledger.options.currency : QString(),
                     text(f.leak),
                     text(f.leakShare, 2),
                     text(f.coverage, 2)};
  for (size_t n = 0; n < size_t(kInputCount); ++n)
    fields << text(f.min[n]) << text(f.mean[n]) << text(f.max[n]);
  fields << text(f.dewPointAbove) << text(f.dewPointAbovePercent, 2) << text(f.dewPointMax);
  return fields.join(QLatin1Char(';'));
}
}  // namespace

bool LedgerOptionsOf(const AppSettings& s, ArchiveKind archive, LedgerOptions* o, QString* why) {
  const LedgerSettings& l = s.Ledger;
  for (int n = 1; n <= kInputCount; ++n) o->active[size_t(n - 1)] = s.Channel(n).Activ;
  o->perSecond.reset();
  if (s.Channel(kFlowInput).Activ) {
    switch (s.Channel(kFlowInput).JednotkaIndex) {
      case kNormalCubicMetresPerHour:
        o->perSecond = 1.0 / 3600, o->unit = QStringLiteral("Nm³");
        break;
      case kMetresPerSecond:
        if (l.PipeDiameter > 0)
          o->perSecond = M_PI * std::pow(l.PipeDiameter / 1000, 2) / 4, o->unit = QStringLiteral("m³");
        break;
      case kLitresPerMinute:
        o->perSecond = 1.0 / 60, o->unit = QStringLiteral("l");
        break;
      case kKilogramsPerHour:
        o->perSecond = 1.0 / 3600, o->unit = QStringLiteral("kg");
        break;
      default:
        break;
    }
  }
  o->gap = archive == ArchiveKind::Fast ? l.GapFast : l.GapSlow;
  o->price = l.Price;
  o->currency = l.Currency;
  o->dewPointLimit.reset();
  const ChannelSettings& dew = s.Channel(kHumidityInput);
  if (dew.Activ && dew.JednotkaIndex == 0 && l.DewPointClass >= 1 && l.DewPointClass <= 6)
    o->dewPointLimit = kDewPointLimits[l.DewPointClass - 1];
  const auto shifts = ParseClockTimes(l.Shifts);
  const auto days = ParseWeekdays(l.ProductionDays);
  const auto hours = ParseClockSpan(l.ProductionHours);
  if (!shifts || !days || !hours) {
    *why = !shifts ? QStringLiteral("[LEDGER] Shifts=%1: not H:mm,H:mm,...").arg(l.Shifts)
           : !days ? QStringLiteral("[LEDGER] ProductionDays=%1: not weekdays 1-7").arg(l.ProductionDays)
                   : QStringLiteral("[LEDGER] ProductionHours=%1: not H:mm-H:mm").arg(l.ProductionHours);
    return false;
  }
  o->shiftStarts = *shifts;
  o->productionDays = *days;
  o->productionHours = *hours;
  return true;
}

void LedgerBuilder::Lines::AddRow(const ArchiveRow& row, const LedgerOptions& o) {
  while (rowAt < lines.size() && row.key >= lines[rowAt].span.end) ++rowAt;
  if (rowAt == lines.size() || row.key < lines[rowAt].span.begin) return;
  LedgerLine& line = lines[rowAt];
  for (size_t n = 0; n < size_t(kInputCount); ++n) {
    const double v = row.values[n];
    if (!o.active[n] || std::isnan(v)) continue;
    InputStatistics& s = line.statistics[n];
    s.min = s.count == 0 ? v : std::min(s.min, v);
    s.max = s.count == 0 ? v : std::max(s.max, v);
    s.sum += v;
    ++s.count;
  }
  if (o.dewPointLimit && !std::isnan(row.values[2]))
    line.dewPointMax = std::max(line.dewPointMax.value_or(row.values[2]), row.values[2]);
}

// A covered step, split at the lines' boundaries on the straight line between its rows.
void LedgerBuilder::Lines::AddStep(const ArchiveRow& r1, const ArchiveRow& r2, const LedgerOptions& o) {
  while (stepAt < lines.size() && r1.key >= lines[stepAt].span.end) ++stepAt;
  for (qsizetype q = stepAt; q < lines.size() && lines[q].span.begin < r2.key; ++q) {
    const double a = std::max(r1.key, double(lines[q].span.begin));
    const double b = std::min(r2.key, double(lines[q].span.end));
    if (b <= a) continue;
    LedgerLine& line = lines[q];
    line.covered += std::max(0.0, std::min(b, now) - a);
    if (o.perSecond && !std::isnan(r1.values[0]) && !std::isnan(r2.values[0]))
      line.consumption += (ValueAt(r1, r2, 0, a) + ValueAt(r1, r2, 0, b)) / 2 * (b - a) * *o.perSecond;
    if (o.dewPointLimit && !std::isnan(r1.values[2]) && !std::isnan(r2.values[2]))
      line.dewPointAbove += TimeAbove(a, b, ValueAt(r1, r2, 2, a), ValueAt(r1, r2, 2, b), *o.dewPointLimit);
  }
}

LedgerBuilder::LedgerBuilder(const LedgerOptions& options, LedgerPeriod period, const QDate& first,
                             const QDate& last, qint64 now)
    : options_(options),
      leakPerLine_(period != LedgerPeriod::Hour && period != LedgerPeriod::Shift),
      production_(ProductionTime(first, last, options.productionDays, options.productionHours)) {
  periodsOfTheirOwn_ = !leakPerLine_;
  periodSpans_ = LedgerPeriods(period, first, last, options.shiftStarts);
  now_ = now;
  days_.lines = LinesOf(LedgerPeriods(LedgerPeriod::Day, first, last), now);
  days_.now = periods_.now = double(now);
  if (periodsOfTheirOwn_) periods_.lines = LinesOf(periodSpans_, now);
  baseline_.resize(size_t(days_.lines.size()));
}

void LedgerBuilder::Add(const ArchiveRow& row) {
  days_.AddRow(row, options_);
  if (periodsOfTheirOwn_) periods_.AddRow(row, options_);
  bool good = false;
  if (previous_) {
    if (Covered(*previous_, row, options_.gap))
    {
      days_.AddStep(*previous_, row, options_);
      if (periodsOfTheirOwn_) periods_.AddStep(*previous_, row, options_);
    }
    good = Covered(*previous_, row, options_.gap) && !std::isnan(previous_->values[0]) &&
           !std::isnan(row.values[0]);
    sum_ += std::isnan(previous_->values[0]) ? 0 : previous_->values[0];
    if (!good) ++missing_;
  }
  previous_ = row;
  pending_.push_back({row.key, index_++, sum_, missing_});
  CloseWindowsBefore(row.key);
}

// Every window [t, t + 1 h) that ends by `now` is complete: its rows and the row after them are known.
void LedgerBuilder::CloseWindowsBefore(double now) {
  while (!pending_.empty() && pending_.front().key + kLeakWindow <= now) {
    const Pending& start = pending_.front();
    const double end = start.key + kLeakWindow;
    if (next_ == 0) next_ = 1;
    while (next_ < pending_.size() && pending_[next_].key < end) ++next_;
    const Pending& after = pending_[next_];  // the first row at or after the window's end
    const bool noMissingTime = after.missing == start.missing;
    while (stretch_ < production_.size() && production_[stretch_].end <= start.key) ++stretch_;
    const bool outsideProduction = stretch_ == production_.size() || production_[stretch_].begin >= end;
    const QList<LedgerLine>& days = days_.lines;
    while (day_ < days.size() && start.key >= days[day_].span.end) ++day_;
    if (noMissingTime && outsideProduction && day_ < days.size() && start.key >= days[day_].span.begin) {
      const double mean = (after.sum - start.sum) / double(after.index - start.index);
      std::optional<double>& b = baseline_[size_t(day_)];
      b = std::min(b.value_or(mean), mean);
    }
    pending_.pop_front();
    if (next_ > 0) --next_;
  }
}

Ledger LedgerBuilder::Finish() {
  Ledger ledger;
  ledger.options = options_;
  ledger.leakPerLine = leakPerLine_;
  const QList<LedgerLine>& days = days_.lines;
  auto ofDays = [&](QList<LedgerLine> lines) {
    for (LedgerLine& line : lines)
      for (const LedgerLine& day : days)
        if (day.span.begin >= line.span.begin && day.span.end <= line.span.end) AddUp(line, day);
    return lines;
  };
  ledger.lines = periodsOfTheirOwn_ ? std::move(periods_.lines) : ofDays(LinesOf(periodSpans_, now_));
  ledger.total = ofDays(LinesOf({TimeSpan{days.first().span.begin, days.last().span.end}}, now_)).first();
  if (!options_.perSecond) return ledger;
  auto addDays = [&](LedgerLine& line) {
    for (qsizetype d = 0; d < days.size(); ++d) {
      const LedgerLine& day = days[d];
      if (!baseline_[size_t(d)] || day.future || day.span.begin < line.span.begin ||
          day.span.end > line.span.end)
        continue;
      const double leak =
          std::min(*baseline_[size_t(d)] * double(day.length) * *options_.perSecond, day.consumption);
      line.leak = line.leak.value_or(0) + leak;
      line.leakDaysConsumption += day.consumption;
    }
  };
  if (ledger.leakPerLine)
    for (LedgerLine& line : ledger.lines)
      if (!line.future) addDays(line);
  addDays(ledger.total);
  return ledger;
}

Ledger ComputeLedger(const std::vector<ArchiveRow>& rows, const LedgerOptions& options, LedgerPeriod period,
                     const QDate& first, const QDate& last, qint64 now) {
  LedgerBuilder builder(options, period, first, last, now);
  for (const ArchiveRow& row : rows) builder.Add(row);
  return builder.Finish();
}

LedgerFields FieldsOf(const Ledger& ledger, const LedgerLine& line) {
  const LedgerOptions& o = ledger.options;
  LedgerFields f;
  const bool integrated = line.covered > 0;
  if (o.perSecond) {
    f.consumption = line.consumption;
    if (o.price != 0) f.cost = line.consumption * o.price;
    f.leak = line.leak;
    if (line.leak && line.leakDaysConsumption > 0) f.leakShare = *line.leak / line.leakDaysConsumption * 100;
    if (line.leak && o.price != 0) f.leakCost = *line.leak * o.price;
  }
  if (!line.future && line.length > 0) f.coverage = line.covered / double(line.length) * 100;
  for (size_t n = 0; n < size_t(kInputCount); ++n) {
    const InputStatistics& s = line.statistics[n];
    if (!integrated || s.count == 0) continue;
    f.min[n] = s.min;
    f.mean[n] = s.sum / double(s.count);
    f.max[n] = s.max;
  }
  if (o.dewPointLimit) {
    f.dewPointAbove = line.dewPointAbove;
    if (integrated) f.dewPointAbovePercent = line.dewPointAbove / line.covered * 100;
    if (integrated) f.dewPointMax = line.dewPointMax;
  }
  return f;
}

QByteArray LedgerCsv(const Ledger& ledger) {
  QString text = QStringLiteral(
      "FROM;TO;CONSUMPTION;UNIT;COST;CURRENCY;LEAK;LEAK_SHARE;COVERAGE;IN1_MIN;IN1_MEAN;IN1_MAX;IN2_MIN;IN2_"
      "MEAN;"
      "IN2_MAX;IN3_MIN;IN3_MEAN;IN3_MAX;IN4_MIN;IN4_MEAN;IN4_MAX;DEWPOINT_ABOVE_S;DEWPOINT_ABOVE_PCT;"
      "DEWPOINT_MAX\r\n");
  for (const LedgerLine& line : ledger.lines) text += LineCsv(ledger, line, false) + QStringLiteral("\r\n");
  text += LineCsv(ledger, ledger.total, true) + QStringLiteral("\r\n");
  return text.toUtf8();
}

IoStatus WriteLedgerCsv(const Ledger& ledger, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return IoStatus::Fail(IoStatus::Code::Unwritable, file.errorString());
  const QByteArray csv = LedgerCsv(ledger);
  if (file.write(csv) != csv.size() || !file.commit())
    return IoStatus::Fail(IoStatus::Code::Unwritable, file.errorString());
  return {};
}
