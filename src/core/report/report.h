#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "alarms/alarm_monitor.h"
#include "config/app_settings.h"
#include "i18n/language_table.h"
#include "ledger/ledger.h"
#include "ledger/ledger_source.h"

// A report of one local day, week (Monday to Sunday) or month: the ledger's totals and its
// sub-periods, the inputs' statistics, the dew point's compliance, the alarms of the journal and
// the archive's completeness, as the PDF draws them and the CSV beside it lists them.

enum class ReportPeriod { Day, Week, Month };
std::optional<ReportPeriod> ReportPeriodNamed(const QString& name);  // "day", "week", "month"
QString ReportPeriodName(ReportPeriod period);

// The days of the period that holds `day`.
struct ReportDays {
  QDate first, last;
  bool operator==(const ReportDays&) const = default;
};
ReportDays ReportDaysOf(ReportPeriod period, const QDate& day);
// The period before the one that holds `day`.
ReportDays PreviousReportDays(ReportPeriod period, const QDate& day);
// "day-2026-11-30", "week-2026-11-23" (its Monday), "month-2026-11": the files' name without extension.
QString ReportBaseName(ReportPeriod period, const QDate& day);

// An alarm of the journal: raised within the period, cleared then, later or not yet.
struct ReportAlarm {
  AlarmKind kind = AlarmKind::High;
  int input = 0;  // 0 the station
  QDateTime raised;
  std::optional<QDateTime> cleared;
  qint64 seconds = 0;  // raised to cleared, or to the period's end (or now) while it lasts
};

struct ReportAlarms {
  QList<std::pair<AlarmKind, int>> counts;  // raised per kind, in the kinds' order, none of 0
  QList<ReportAlarm> longest;               // the ten longest, longest first
};
// The alarms raised in [begin, end) by the Events journal below the archive folder.
ReportAlarms JournalAlarms(const QString& archiveFolder, qint64 begin, qint64 end, qint64 now);

struct Report {
  ReportPeriod period = ReportPeriod::Day;
  ReportDays days;
  int language = kCzech;
  QString title;    // PopisGrafu
  QString station;  // "Kestrilon4 <host>"
  ArchiveKind archive = ArchiveKind::Fast;
  Ledger byDay;                  // the period's days; its total is the period's
  Ledger byHour;                 // the chart's hours, and a day's table
  std::optional<Ledger> byShift;  // weeks and days
  std::array<bool, kInputCount> active{};
  std::array<QString, kInputCount> units;
  std::array<int, kInputCount> colours{};  // 0x00BBGGRR, as the charts draw the inputs
  std::optional<int> dewPointClass;  // input 3 a dew point with a class
  ReportAlarms alarms;
  QStringList missing;   // archive files of the period not found
  QStringList rejected;  // archive files the reader left out, with why
  QDateTime made;
};

struct ReportResult {
  std::optional<Report> report;
  QString problem;  // when there is no report: the ledger settings that do not read
};
// The report of the period that holds `day`, made at `now` (seconds since the epoch).
ReportResult BuildReport(const AppSettings& settings, ReportPeriod period, const QDate& day, qint64 now,
                         const LedgerReadHooks& hooks = {});

// The sub-period tables as drawn: a month per day; a week per day and per shift; a day per hour and
// per shift. Each has its own ledger; every table ends with the period's total.
struct ReportTable {
  const Ledger* ledger;
  LedgerPeriod period;
};
QList<ReportTable> ReportTables(const Report& report);

// The texts of the report's language ("Zpráva za den" ...).
const LanguageTable& ReportLanguage(const Report& report);
// The report language's names of months and days, its decimal sign, no group separator.
QLocale ReportLocale(const Report& report);
// "30.11.2026", "23.11.2026 – 29.11.2026", "listopad 2026" / "November 2026".
QString ReportPeriodText(const Report& report);
// A number as the report writes it: the language's decimal sign, no group separator.
QString ReportNumber(const Report& report, double value, int decimals);
// "Měsíční zpráva: listopad 2026" / "Monthly report: November 2026".
QString ReportTitle(const Report& report);
// "3:25" hours and minutes of a number of seconds.
QString DurationText(qint64 seconds);

// The CSV beside a report's PDF: the same name with ".csv" instead of ".pdf".
QString ReportCsvPath(const QString& pdfPath);
// The CSV beside the PDF: each table as the ledger's CSV under a title line, then the alarms per
// kind, the longest alarms and the missing files; blocks parted by an empty line; CR LF.
QByteArray ReportCsv(const Report& report);
