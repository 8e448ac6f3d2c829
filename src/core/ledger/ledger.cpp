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

// The hours split at the shift starts: every period of the ledger is a run of them.
QList<TimeSpan> GrainSpans(const QDate& first, const QDate& last, const QList<int>& shiftStarts) {
  QList<qint64> begins;
  for (const TimeSpan& span : LedgerPeriods(LedgerPeriod::Hour, first, last)) begins << span.begin;
  for (const TimeSpan& span : LedgerPeriods(LedgerPeriod::Shift, first, last, shiftStarts)) begins << span.begin;
  std::sort(begins.begin(), begins.end());
  begins.erase(std::unique(begins.begin(), begins.end()), begins.end());
  const qint64 end = LedgerPeriods(LedgerPeriod::Day, last, last).last().end;
  QList<TimeSpan> spans;
  for (qsizetype i = 0; i < begins.size(); ++i) spans.append({begins[i], i + 1 < begins.size() ? begins[i + 1] : end});
  return spans;
}

// The index in `grains` of the grain `span`, added when the file had none yet.
qsizetype GrainIn(QList<LedgerLine>& grains, const TimeSpan& span) {
  for (qsizetype i = grains.size(); i-- > 0;)  // mostly the last one
    if (grains[i].span == span) return i;
  grains.append(LedgerLine{});
  grains.last().span = span;
  return grains.size() - 1;
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

std::optional<double> DewPointLimit(const AppSettings& s) {
  const ChannelSettings& dew = s.Channel(kHumidityInput);
  const int dewClass = s.Ledger.DewPointClass;
  if (!dew.Activ || dew.JednotkaIndex != 0 || dewClass < 1 || dewClass > 6) return std::nullopt;
  return kDewPointLimits[dewClass - 1];
}

qint64 GapLimit(const AppSettings& settings, ArchiveKind archive) {
  return archive == ArchiveKind::Fast ? settings.Ledger.GapFast : settings.Ledger.GapSlow;
}

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
  o->gap = GapLimit(s, archive);
  o->price = l.Price;
  o->currency = l.Currency;
  o->dewPointLimit = DewPointLimit(s);
  const auto shifts = ParseClockTimes(l.Shifts);
  const auto days = ParseWeekdays(l.ProductionDays);
  const auto hours = ParseClockSpan(l.ProductionHours);
  // A value that would make every line wrong (a gap limit of 0 s covers nothing) is refused by name.
  const std::pair<bool, QString> problems[] = {
      {!shifts, QStringLiteral("Shifts=%1: not H:mm,H:mm,...").arg(l.Shifts)},
      {!days, QStringLiteral("ProductionDays=%1: not weekdays 1-7").arg(l.ProductionDays)},
      {!hours, QStringLiteral("ProductionHours=%1: not H:mm-H:mm").arg(l.ProductionHours)},
      {l.GapFast < 1, QStringLiteral("GapFast=%1: not 1 s or more").arg(l.GapFast)},
      {l.GapSlow < 1, QStringLiteral("GapSlow=%1: not 1 s or more").arg(l.GapSlow)},
      {!(l.Price >= 0), QStringLiteral("Price=%1: below 0").arg(l.Price)},
      {!(l.PipeDiameter >= 0), QStringLiteral("PipeDiameter=%1: below 0").arg(l.PipeDiameter)},
      {l.DewPointClass < 0 || l.DewPointClass > 6, QStringLiteral("DewPointClass=%1: not 0-6").arg(l.DewPointClass)},
  };
  for (const auto& [bad, text] : problems)
    if (bad) {
      *why = QStringLiteral("[LEDGER] ") + text;
      return false;
    }
  o->shiftStarts = *shifts;
  o->productionDays = *days;
  o->productionHours = *hours;
  return true;
}

// The line of `lines` holding t, looked for from `at` on (back from the start when t lies before it).
const LedgerLine* LedgerBuilder::FindIn(const QList<LedgerLine>& lines, qsizetype& at, double t) {
  if (at >= lines.size() || t < lines[at].span.begin) {
    at = std::upper_bound(lines.cbegin(), lines.cend(), t,
                          [](double v, const LedgerLine& line) { return v < double(line.span.begin); }) -
         lines.cbegin();
    if (at == 0) return nullptr;  // before the first line
    --at;
  }
  while (at < lines.size() && t >= lines[at].span.end) ++at;
  return at < lines.size() ? &lines[at] : nullptr;
}

// Adds a row to the statistics of its grain in `sums`; nothing when it lies outside the range.
LedgerLine* LedgerBuilder::RowInto(FileGrains& sums, qsizetype& cursor, qsizetype& at, const ArchiveRow& row) const {
  QList<LedgerLine>& grains = sums.grains;
  const bool same =
      at >= 0 && row.key >= double(grains[at].span.begin) && row.key < double(grains[at].span.end);
  if (!same) {
    const LedgerLine* grid = FindIn(grains_.lines, cursor, row.key);
    if (!grid) {
      sums.outside = true;  // another range would count it
      return nullptr;
    }
    at = GrainIn(grains, grid->span);
  }
  LedgerLine& line = grains[at];
  for (size_t n = 0; n < size_t(kInputCount); ++n) {
    const double v = row.values[n];
    if (!options_.active[n] || std::isnan(v)) continue;
    InputStatistics& s = line.statistics[n];
    s.min = s.count == 0 ? v : std::min(s.min, v);
    s.max = s.count == 0 ? v : std::max(s.max, v);
    s.sum += v;
    ++s.count;
  }
  if (options_.dewPointLimit && !std::isnan(row.values[2]))
    line.dewPointMax = std::max(line.dewPointMax.value_or(row.values[2]), row.values[2]);
  return &line;
}

// A covered step, split at the grains' boundaries on the straight line between its rows.
void LedgerBuilder::StepInto(QList<LedgerLine>& grains, qsizetype& cursor, const ArchiveRow& r1,
                             const ArchiveRow& r2) const {
  const QList<LedgerLine>& grid = grains_.lines;
  if (grid.isEmpty() || !FindIn(grid, cursor, std::max(r1.key, double(grid.first().span.begin)))) return;
  for (qsizetype q = cursor; q < grid.size() && grid[q].span.begin < r2.key; ++q) {
    const double a = std::max(r1.key, double(grid[q].span.begin));
    const double b = std::min(r2.key, double(grid[q].span.end));
    if (b <= a) continue;
    AddPiece(grains[GrainIn(grains, grid[q].span)], a, b, {ValueAt(r1, r2, 0, a), ValueAt(r1, r2, 0, b)},
             {ValueAt(r1, r2, 2, a), ValueAt(r1, r2, 2, b)});
  }
}

LedgerBuilder::FileGrains LedgerBuilder::SumFile(const std::vector<ArchiveRow>& rows) const {
  FileGrains sums;
  qsizetype cursor = 0, at = -1;
  const ArchiveRow* previous = nullptr;
  for (const ArchiveRow& row : rows) {
    const LedgerLine* grain = RowInto(sums, cursor, at, row);
    if (previous && Covered(*previous, row, options_.gap)) {
      if (grain && previous->key >= double(grain->span.begin))  // mostly: a step within the grain
        AddPiece(sums.grains[at], previous->key, row.key, {previous->values[0], row.values[0]},
                 {previous->values[2], row.values[2]});
      else
        StepInto(sums.grains, cursor, *previous, row);
    }
    previous = &row;
  }
  return sums;
}

// The piece [a, b] of a step, input 1 going from flow.first to flow.second, input 3 likewise.
void LedgerBuilder::AddPiece(LedgerLine& line, double a, double b, std::pair<double, double> flow,
                             std::pair<double, double> dewPoint) const {
  line.covered += std::max(0.0, std::min(b, double(now_)) - a);
  if (options_.perSecond && !std::isnan(flow.first) && !std::isnan(flow.second))
    line.consumption += (flow.first + flow.second) / 2 * (b - a) * *options_.perSecond;
  if (options_.dewPointLimit && !std::isnan(dewPoint.first) && !std::isnan(dewPoint.second))
    line.dewPointAbove += TimeAbove(a, b, dewPoint.first, dewPoint.second, *options_.dewPointLimit);
}

void LedgerBuilder::AddGrains(const QList<LedgerLine>& grains) {
  for (const LedgerLine& grain : grains) {
    if (LedgerLine* day = days_.Find(double(grain.span.begin))) AddUp(*day, grain);
    if (!periodsOfTheirOwn_) continue;
    if (LedgerLine* period = periods_.Find(double(grain.span.begin))) AddUp(*period, grain);
  }
}

LedgerBuilder::LedgerBuilder(const LedgerOptions& options, LedgerPeriod period, const QDate& first,
                             const QDate& last, qint64 now)
    : options_(options),
      leakPerLine_(period != LedgerPeriod::Hour && period != LedgerPeriod::Shift),
      now_(now),
      production_(ProductionTime(first, last, options.productionDays, options.productionHours)) {
  periodsOfTheirOwn_ = !leakPerLine_;
  periodSpans_ = LedgerPeriods(period, first, last, options.shiftStarts);
  grains_.lines = LinesOf(GrainSpans(first, last, options.shiftStarts), now);
  days_.lines = LinesOf(LedgerPeriods(LedgerPeriod::Day, first, last), now);
  windowDays_.lines = days_.lines;
  if (periodsOfTheirOwn_) periods_.lines = LinesOf(periodSpans_, now);
  baseline_.resize(size_t(days_.lines.size()));
}

void LedgerBuilder::BeginFile(const LedgerFileKey& file) {
  Q_ASSERT(!reading_);
  if (unfinished_.empty()) firstUnfinished_ = files_.size();
  files_ << file;
  sums_.push_back(0);
  unfinished_.push_back({});
  Current().file = file;
  reading_ = true;
  sum_ = 0;
}

void LedgerBuilder::AddFile(const std::vector<ArchiveRow>& rows, FileGrains sums) {
  if (!reading_) BeginFile();
  LedgerFileSummary& file = Current();
  file.grains = std::move(sums.grains);
  file.cacheable = file.cacheable && !sums.outside;
  if (rows.empty()) return;
  if (previous_ && Covered(*previous_, rows.front(), options_.gap)) {  // from the file before: not its own
    QList<LedgerLine> between;
    StepInto(between, grains_.at, *previous_, rows.front());
    AddGrains(between);
  }
  file.first = rows.front();
  file.last = rows.back();
  for (const ArchiveRow& row : rows) Push(row, true);
}

// The row ends the leakage windows an hour or more before it, and may start one: when the hour
// from it on lies outside production time in a day of the range.
void LedgerBuilder::Push(const ArchiveRow& row, bool starts) {
  if (previous_) {
    const bool good = Covered(*previous_, row, options_.gap) && !std::isnan(previous_->values[0]) &&
                      !std::isnan(row.values[0]);
    if (!good) ++missing_;
  }
  previous_ = row;
  Pending here{row.key, index_++, files_.size() - 1, sum_, missing_, -1};
  sum_ += std::isnan(row.values[0]) ? 0 : row.values[0];
  const size_t waiting = pending_.size();
  CloseWindowsBefore(here);
  if (pending_.size() != waiting) FinishFiles(false);  // a file's last window may have ended
  if (starts && OutsideProduction(row.key) && (here.day = DayOf(row.key)) >= 0) pending_.push_back(here);
}

void LedgerBuilder::EndFile(bool readWhole) {
  if (!reading_) BeginFile();
  LedgerFileSummary& file = Current();
  file.cacheable = file.cacheable && readWhole && (!file.last || file.last->key <= double(now_));
  AddGrains(file.grains);
  sums_.back() = sum_;
  reading_ = false;
  FinishFiles(false);
}

void LedgerBuilder::AddSummary(const LedgerFileSummary& summary, const std::vector<ArchiveRow>& rows) {
  Q_ASSERT(!reading_);
  if (summary.first && previous_ && Covered(*previous_, *summary.first, options_.gap)) {
    QList<LedgerLine> between;
    StepInto(between, grains_.at, *previous_, *summary.first);
    AddGrains(between);
  }
  AddGrains(summary.grains);
  for (const auto& [dayBegin, mean] : summary.baselines)
    if (const qsizetype d = DayOf(double(dayBegin)); d >= 0) {
      std::optional<double>& b = baseline_[size_t(d)];
      b = std::min(b.value_or(mean), mean);
    }
  files_ << summary.file;
  sums_.push_back(0);
  sum_ = 0;
  for (auto row = rows.cbegin(); row != rows.cend() && WaitingForRows(); ++row) Push(*row, false);
  sums_.back() = sum_;  // all of them when windows still wait
  if (summary.last) previous_ = summary.last;
}

qsizetype LedgerBuilder::DayOf(double t) {
  const LedgerLine* day = windowDays_.Find(t);
  return day && t >= double(day->span.begin) ? windowDays_.at : -1;
}

double LedgerBuilder::WindowSum(const Pending& start, const Pending& after) const {
  if (start.file == after.file) return after.sum - start.sum;
  double sum = sums_[size_t(start.file)] - start.sum;
  for (qint64 f = start.file + 1; f < after.file; ++f) sum += sums_[size_t(f)];
  return sum + after.sum;
}

bool LedgerBuilder::OutsideProduction(double t) {
  const auto endsAfter = [](const TimeSpan& span, double v) { return double(span.end) <= v; };
  if (stretch_ > 0 && double(production_[stretch_ - 1].end) > t)  // back in time: look it up
    stretch_ = std::lower_bound(production_.cbegin(), production_.cend(), t, endsAfter) - production_.cbegin();
  while (stretch_ < production_.size() && double(production_[stretch_].end) <= t) ++stretch_;
  return stretch_ == production_.size() || double(production_[stretch_].begin) >= t + double(kLeakWindow);
}

// The windows [t, t + 1 h) that end by the row `after` are complete: `after` is the first row at or
// after their end.
void LedgerBuilder::CloseWindowsBefore(const Pending& after) {
  while (!pending_.empty() && pending_.front().key + double(kLeakWindow) <= after.key) {
    const Pending& start = pending_.front();
    if (after.missing == start.missing) {
      const double mean = WindowSum(start, after) / double(after.index - start.index);
      std::optional<double>& b = baseline_[size_t(start.day)];
      b = std::min(b.value_or(mean), mean);
      auto& owner = unfinished_[size_t(start.file - firstUnfinished_)].baselines;
      const qint64 dayBegin = windowDays_.lines[start.day].span.begin;
      if (owner.isEmpty() || owner.last().first != dayBegin) owner.append({dayBegin, mean});
      owner.last().second = std::min(owner.last().second, mean);
    }
    pending_.pop_front();
  }
}

// Moves the files at the front whose windows are all closed (or all of them at the end) to the
// finished ones, naming the files after them whose rows were consulted.
void LedgerBuilder::FinishFiles(bool all) {
  while (!unfinished_.empty()) {
    const qint64 ordinal = firstUnfinished_;
    const bool stillReading = reading_ && ordinal == files_.size() - 1;
    const bool windowsOpen = !pending_.empty() && pending_.front().file == ordinal;
    if (!all && (stillReading || windowsOpen)) return;
    LedgerFileSummary summary = std::move(unfinished_.front());
    unfinished_.pop_front();
    ++firstUnfinished_;
    summary.open = windowsOpen;
    summary.consulted = files_.mid(ordinal + 1);
    finished_ << std::move(summary);
  }
}

QList<LedgerFileSummary> LedgerBuilder::TakeFinished() {
  return std::exchange(finished_, {});
}

Ledger LedgerBuilder::Finish() {
  if (reading_) EndFile();
  FinishFiles(true);
  pending_.clear();
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
  builder.BeginFile();
  builder.AddFile(rows, builder.SumFile(rows));
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
