#include "report/report.h"

#include <QLocale>
#include <QMap>
#include <algorithm>

#include "config/station_paths.h"
#include "journal/journal.h"
#include "measurement/units.h"
#include "station/clock.h"

namespace {
constexpr int kLongestAlarms = 10;

struct PeriodName {
  ReportPeriod period;
  const char* name;
};
constexpr PeriodName kPeriodNames[] = {
    {ReportPeriod::Day, "day"}, {ReportPeriod::Week, "week"}, {ReportPeriod::Month, "month"}};

QDate MonthStart(const QDate& day) {
  return QDate(day.year(), day.month(), 1);
}
}  // namespace

std::optional<ReportPeriod> ReportPeriodNamed(const QString& name) {
  for (const PeriodName& p : kPeriodNames)
    if (name == QLatin1String(p.name)) return p.period;
  return std::nullopt;
}

QString ReportPeriodName(ReportPeriod period) {
  for (const PeriodName& p : kPeriodNames)
    if (p.period == period) return QLatin1String(p.name);
  return {};
}

ReportDays ReportDaysOf(ReportPeriod period, const QDate& day) {
  switch (period) {
    case ReportPeriod::Day:
      return {day, day};
    case ReportPeriod::Week: {
      const QDate monday = day.addDays(1 - day.dayOfWeek());
      return {monday, monday.addDays(6)};
    }
    case ReportPeriod::Month:
      return {MonthStart(day), MonthStart(day).addMonths(1).addDays(-1)};
  }
  return {day, day};
}

ReportDays PreviousReportDays(ReportPeriod period, const QDate& day) {
  return ReportDaysOf(period, ReportDaysOf(period, day).first.addDays(-1));
}

QString ReportBaseName(ReportPeriod period, const QDate& day) {
  const ReportDays days = ReportDaysOf(period, day);
  return ReportPeriodName(period) + QLatin1Char('-') +
         days.first.toString(period == ReportPeriod::Month ? QStringLiteral("yyyy-MM") : QStringLiteral("yyyy-MM-dd"));
}

ReportAlarms JournalAlarms(const QString& archiveFolder, qint64 begin, qint64 end, qint64 now) {
  QList<ReportAlarm> alarms;
  QMap<std::pair<int, int>, qsizetype> open;  // (kind, input) -> the alarm of the period still raised
  // A period's alarms may clear in the month after it.
  const QDate last = MonthStart(QDateTime::fromSecsSinceEpoch(std::min(end, now)).date()).addMonths(1);
  for (QDate month = MonthStart(QDateTime::fromSecsSinceEpoch(begin).date()); month <= last;
       month = month.addMonths(1))
    for (const JournalEntry& e : ReadJournal(archiveFolder, JournalFile::Events, month)) {
      const bool raised = e.kind == QLatin1String(JournalKind::kAlarmRaised);
      if (!raised && e.kind != QLatin1String(JournalKind::kAlarmCleared)) continue;
      const std::optional<AlarmKind> kind = AlarmKindOfText(e.text);
      if (!kind) continue;
      const std::pair<int, int> key{int(*kind), e.input};
      const qint64 at = e.at.toSecsSinceEpoch();
      if (raised) {
        open.remove(key);
        if (at < begin || at >= end) continue;
        open.insert(key, alarms.size());
        alarms << ReportAlarm{*kind, e.input, e.at, std::nullopt, 0};
      } else if (const auto it = open.find(key); it != open.end()) {
        alarms[*it].cleared = e.at;
        open.erase(it);
      }
    }
  ReportAlarms result;
  for (ReportAlarm& a : alarms)
    a.seconds = std::max<qint64>(0, (a.cleared ? a.cleared->toSecsSinceEpoch() : std::min(end, now)) -
                                        a.raised.toSecsSinceEpoch());
  for (int k = 0; k <= int(AlarmKind::BrokerUnreachable); ++k) {
    const auto n = std::count_if(alarms.cbegin(), alarms.cend(), [k](const ReportAlarm& a) { return int(a.kind) == k; });
    if (n > 0) result.counts << std::pair{AlarmKind(k), int(n)};
  }
  std::stable_sort(alarms.begin(), alarms.end(),
                   [](const ReportAlarm& a, const ReportAlarm& b) { return a.seconds > b.seconds; });
  result.longest = alarms.mid(0, kLongestAlarms);
  return result;
}

ReportResult BuildReport(const AppSettings& settings, ReportPeriod period, const QDate& day, qint64 now,
                         const LedgerReadHooks& hooks) {
  Report r;
  r.period = period;
  r.days = ReportDaysOf(period, day);
  r.language = FindInterfaceLanguage(settings.Language) ? settings.Language : int(kCzech);
  r.station = StationName();
  r.title = settings.PopisGrafu.trimmed();
  r.made = QDateTime::fromSecsSinceEpoch(now);
  for (int n = 1; n <= kInputCount; ++n) {
    r.active[size_t(n - 1)] = settings.Channel(n).Activ;
    r.units[size_t(n - 1)] = UnitText(n, settings.Channel(n).JednotkaIndex);
    r.colours[size_t(n - 1)] = settings.Channel(n).BarvaCary;
  }
  if (DewPointLimit(settings)) r.dewPointClass = settings.Ledger.DewPointClass;

  // The days first: their read picks the archive and fills the ledger cache the others use.
  ArchiveLedger days = BuildArchiveLedger(settings, std::nullopt, LedgerPeriod::Day, r.days.first, r.days.last, now, hooks);
  if (!days.ledger) return {std::nullopt, days.settingsProblem};
  r.archive = days.archive;
  r.byDay = std::move(*days.ledger);
  r.missing = days.missing;
  r.rejected = days.rejected;
  auto other = [&](LedgerPeriod by) {
    ArchiveLedger result = BuildArchiveLedger(settings, r.archive, by, r.days.first, r.days.last, now, hooks);
    return std::move(result.ledger);
  };
  std::optional<Ledger> hours = other(LedgerPeriod::Hour);
  if (!hours) return {};  // cancelled
  r.byHour = std::move(*hours);
  if (period != ReportPeriod::Month) {
    r.byShift = other(LedgerPeriod::Shift);
    if (!r.byShift) return {};
  }
  r.alarms = JournalAlarms(settings.DatabaseDir, LocalInstant(r.days.first, 0), LocalInstant(r.days.last.addDays(1), 0), now);
  return {std::move(r), {}};
}

QList<ReportTable> ReportTables(const Report& r) {
  QList<ReportTable> tables;
  if (r.period == ReportPeriod::Day)
    tables << ReportTable{&r.byHour, LedgerPeriod::Hour};
  else
    tables << ReportTable{&r.byDay, LedgerPeriod::Day};
  if (r.byShift) tables << ReportTable{&*r.byShift, LedgerPeriod::Shift};
  return tables;
}

const LanguageTable& ReportLanguage(const Report& report) {
  static const LanguageTable czech = [] {
    LanguageTable t;
    LoadLanguageTable(t, kCzech);
    return t;
  }();
  static const LanguageTable english = [] {
    LanguageTable t;
    LoadLanguageTable(t, kEnglish);
    return t;
  }();
  return report.language == kEnglish ? english : czech;
}

QLocale ReportLocale(const Report& report) {
  QLocale locale = report.language == kEnglish ? QLocale(QLocale::English, QLocale::UnitedKingdom) : QLocale(QLocale::Czech);
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

QString ReportPeriodText(const Report& r) {
  const QString picture = QStringLiteral("d.M.yyyy");
  switch (r.period) {
    case ReportPeriod::Day:
      return r.days.first.toString(picture);
    case ReportPeriod::Week:
      return r.days.first.toString(picture) + QStringLiteral(" – ") + r.days.last.toString(picture);
    case ReportPeriod::Month:
      return ReportLocale(r).standaloneMonthName(r.days.first.month()) + QLatin1Char(' ') +
             QString::number(r.days.first.year());
  }
  return {};
}

QString ReportTitle(const Report& r) {
  return ReportLanguage(r).Text(QStringLiteral("rpZprava_") + ReportPeriodName(r.period)) + QStringLiteral(": ") +
         ReportPeriodText(r);
}

QString ReportNumber(const Report& report, double value, int decimals) {
  return ReportLocale(report).toString(value, 'f', decimals);
}

QString DurationText(qint64 seconds) {
  const qint64 minutes = (seconds + 30) / 60;
  return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString ReportCsvPath(const QString& pdfPath) {
  QString csv = pdfPath;
  if (csv.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) csv.chop(4);
  return csv + QStringLiteral(".csv");
}

QByteArray ReportCsv(const Report& r) {
  const LanguageTable& text = ReportLanguage(r);
  QByteArray csv;
  auto title = [&](const QString& line) { csv += line.toUtf8() + "\r\n"; };
  const QList<ReportTable> tables = ReportTables(r);
  for (const ReportTable& t : tables) {
    title(text.Text(QStringLiteral("rpPodle_%1").arg(int(t.period))));
    csv += LedgerCsv(*t.ledger) + "\r\n";
  }
  title(text.Text(QStringLiteral("rpAlarmy")));
  csv += "KIND;COUNT\r\n";
  for (const auto& [kind, count] : r.alarms.counts)
    csv += (AlarmKindName(kind) + QStringLiteral(";%1\r\n").arg(count)).toUtf8();
  csv += "\r\n";
  title(text.Text(QStringLiteral("rpNejdelsi")));
  csv += "KIND;INPUT;RAISED;CLEARED;DURATION_S\r\n";
  for (const ReportAlarm& a : r.alarms.longest)
    csv += QStringLiteral("%1;%2;%3;%4;%5\r\n")
               .arg(AlarmKindName(a.kind), a.input > 0 ? QString::number(a.input) : QString(),
                    Clock::IsoSeconds(a.raised), a.cleared ? Clock::IsoSeconds(*a.cleared) : QString())
               .arg(a.seconds)
               .toUtf8();
  csv += "\r\n";
  title(text.Text(QStringLiteral("rpUplnost")));
  csv += "MISSING_FILE\r\n";
  for (const QString& name : r.missing) csv += name.toUtf8() + "\r\n";
  return csv;
}
