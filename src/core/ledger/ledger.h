#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <deque>
#include <optional>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "config/app_settings.h"
#include "io/io_status.h"
#include "ledger/ledger_calendar.h"

// The consumption ledger: per local period the consumption of input 1 (trapezoids between rows no
// further apart than the gap limit, split at the period boundaries on the straight line between
// the rows), its coverage, cost and leakage, the inputs' minimum, mean and maximum, and the time
// the dew point on input 3 spent above its class's limit.

struct LedgerOptions {
  std::array<bool, kInputCount> active{};
  // Input 1's volume per second of one unit of its value (1/3600 for Nm³/h and kg/h, 1/60 for
  // l/min, the pipe's cross-section in m² for m/s); nothing when it is unknown.
  std::optional<double> perSecond;
  QString unit;      // of the consumption: "Nm³", "m³", "l", "kg"
  qint64 gap = 60;   // s
  double price = 0;  // per unit; 0 no cost
  QString currency;
  std::optional<double> dewPointLimit;  // °C tp, when input 3 is a dew point with a class
  QList<int> shiftStarts;               // seconds of the day
  QList<int> productionDays;            // 1 Monday .. 7 Sunday
  std::pair<int, int> productionHours{6 * 3600, 22 * 3600};
};

// The options from the settings for the archive read: false and the reason when a ledger text
// (shifts, production days or hours) does not read.
bool LedgerOptionsOf(const AppSettings& settings, ArchiveKind archive, LedgerOptions* options, QString* why);

struct InputStatistics {
  double min = 0;
  double max = 0;
  double sum = 0;
  qint64 count = 0;
};

struct LedgerLine {
  TimeSpan span;
  bool future = false;  // starts after now: no coverage, no leakage
  qint64 length = 0;    // up to now for the current period
  double consumption = 0;
  double covered = 0;  // integrated seconds
  std::optional<double> leak;
  double leakDaysConsumption = 0;  // the consumption of the days whose leakage is in `leak`
  std::array<InputStatistics, kInputCount> statistics{};
  double dewPointAbove = 0;  // seconds
  std::optional<double> dewPointMax;
};

struct Ledger {
  LedgerOptions options;
  bool leakPerLine = false;  // day and longer periods carry their leakage
  QList<LedgerLine> lines;
  LedgerLine total;
};

// Builds the ledger of [first 0:00, the day after last 0:00) from rows handed over in time order
// (`now` in seconds since the epoch), keeping only the lines and the last hour of rows: a year of
// rows never has to be held at once.
class LedgerBuilder {
 public:
  LedgerBuilder(const LedgerOptions& options, LedgerPeriod period, const QDate& first, const QDate& last,
                qint64 now);
  void Add(const ArchiveRow& row);
  Ledger Finish();

 private:
  // Lines in time order, following each other, with where the last row and step went.
  struct Lines {
    QList<LedgerLine> lines;
    qsizetype rowAt = 0;
    qsizetype stepAt = 0;
    double now = 0;  // time after it is not covered: rows ahead of the clock cannot cover the future
    void AddRow(const ArchiveRow& row, const LedgerOptions& options);
    void AddStep(const ArchiveRow& from, const ArchiveRow& to, const LedgerOptions& options);
  };
  // A row that may still start a leakage window: its place, and the sum of input 1 over the rows
  // and the count of missing steps before it.
  struct Pending {
    double key;
    qint64 index;
    double sum;
    qint64 missing;
  };
  void CloseWindowsBefore(double now);

  LedgerOptions options_;
  bool leakPerLine_;
  // Days always; hours and shifts of their own, as they do not add up from days. Weeks, months,
  // years and the total are made of their days at the end.
  Lines days_, periods_;
  bool periodsOfTheirOwn_;
  QList<TimeSpan> periodSpans_;
  qint64 now_;
  QList<TimeSpan> production_;
  std::optional<ArchiveRow> previous_;
  qint64 index_ = 0;
  double sum_ = 0;
  qint64 missing_ = 0;
  std::deque<Pending> pending_;
  size_t next_ = 0;  // in pending_: the first row at or after the front window's end
  qsizetype stretch_ = 0, day_ = 0;
  std::vector<std::optional<double>> baseline_;  // per day
};

// The same for rows at hand.
Ledger ComputeLedger(const std::vector<ArchiveRow>& rows, const LedgerOptions& options, LedgerPeriod period,
                     const QDate& first, const QDate& last, qint64 now);

// What a line shows, each value only where it is defined (the CSV's empty fields).
struct LedgerFields {
  std::optional<double> consumption, cost, leak, leakShare, leakCost, coverage;  // shares in percent
  std::array<std::optional<double>, kInputCount> min, mean, max;
  std::optional<double> dewPointAbove, dewPointAbovePercent, dewPointMax;
};
LedgerFields FieldsOf(const Ledger& ledger, const LedgerLine& line);

// The ledger as CSV: a header, a line per period, the TOTAL line; ";" , "." decimals, CR LF.
QByteArray LedgerCsv(const Ledger& ledger);
// The same into a file, replaced only when complete.
IoStatus WriteLedgerCsv(const Ledger& ledger, const QString& path);
