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

// The ISO 8573-1 limit of input 3's class (°C tp), when input 3 is an active dew point with a class 1-6.
std::optional<double> DewPointLimit(const AppSettings& settings);

// The longest step between two rows of the archive that still joins them (s): GapFast or GapSlow.
qint64 GapLimit(const AppSettings& settings, ArchiveKind archive);

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

// One archive file as the ledger's cache knows it: its name in the archive folder, size and time
// of its last change (in the file system's own ticks). A file written since has another key.
struct LedgerFileKey {
  QString name;
  qint64 size = -1;
  qint64 modified = 0;
  bool operator==(const LedgerFileKey&) const = default;
};

// What one archive file adds to any ledger of the same options, whatever its period: its first and
// last rows (for the steps to its neighbours), its rows and inner steps summed per grain (the time
// between two hour or shift boundaries, so that every period is a sum of whole grains), and per day
// the lowest mean of the leakage windows that start at its rows. Those windows need rows of the
// files after it: `consulted` names them, and `open` tells that the read ended before the last
// window closed.
struct LedgerFileSummary {
  LedgerFileKey file;
  std::optional<ArchiveRow> first, last;
  QList<LedgerLine> grains;                     // span: the grain
  QList<std::pair<qint64, double>> baselines;  // day's begin, lowest window mean
  QList<LedgerFileKey> consulted;
  bool open = false;
  // Every row and step in the range, none after now, the file read whole: another read may use it.
  bool cacheable = true;
};

// Builds the ledger of [first 0:00, the day after last 0:00) file by file, from rows handed over in
// time order (`now` in seconds since the epoch) or from a file's summary kept from an earlier read,
// keeping only the lines and the last hour of rows: a year of rows never has to be held at once.
class LedgerBuilder {
 public:
  LedgerBuilder(const LedgerOptions& options, LedgerPeriod period, const QDate& first, const QDate& last,
                qint64 now);
  // What a file's own rows and the steps between them add, per grain; `outside`: some lie outside
  // the range. Touches nothing of the builder's: may run on another thread while it builds.
  struct FileGrains {
    QList<LedgerLine> grains;
    bool outside = false;
  };
  FileGrains SumFile(const std::vector<ArchiveRow>& rows) const;

  void BeginFile(const LedgerFileKey& file = {});
  // The file's rows in time order, with their sums.
  void AddFile(const std::vector<ArchiveRow>& rows, FileGrains sums);
  // A file that cannot be read adds none of its rows, and is never a summary to keep.
  void EndFile(bool readWhole = true);
  // Leakage windows of earlier files still wait for rows: the next file's rows must be read.
  bool WaitingForRows() const { return !pending_.empty(); }
  // A file by its summary; while windows wait for rows, its rows too, which end those windows only
  // (its own windows are in the summary).
  void AddSummary(const LedgerFileSummary& summary, const std::vector<ArchiveRow>& rows = {});
  // The summaries of the files read since the last call that are final (all their windows closed),
  // in file order; after Finish, all of them.
  QList<LedgerFileSummary> TakeFinished();
  Ledger Finish();

 private:
  // Lines in time order, following each other; `at` is where the last lookup ended.
  struct Lines {
    QList<LedgerLine> lines;
    qsizetype at = 0;
    LedgerLine* Find(double t) { return const_cast<LedgerLine*>(FindIn(lines, at, t)); }
  };
  // A row as a leakage window's start or end: its place, the sum of input 1 over the rows of its
  // file before it, the count of missing steps up to it, and the day of the window it starts.
  struct Pending {
    double key;
    qint64 index;
    qint64 file;
    double sum;
    qint64 missing;
    qsizetype day;
  };
  void Push(const ArchiveRow& row, bool starts);  // `starts`: it may start a window
  static const LedgerLine* FindIn(const QList<LedgerLine>& lines, qsizetype& at, double t);
  LedgerLine* RowInto(FileGrains& sums, qsizetype& cursor, qsizetype& at, const ArchiveRow& row) const;
  void StepInto(QList<LedgerLine>& grains, qsizetype& cursor, const ArchiveRow& from, const ArchiveRow& to) const;
  void AddPiece(LedgerLine& line, double a, double b, std::pair<double, double> flow,
                std::pair<double, double> dewPoint) const;
  void AddGrains(const QList<LedgerLine>& grains);
  void Step(const ArchiveRow& row);
  void CloseWindowsBefore(const Pending& after);
  bool OutsideProduction(double t);  // the hour from t on
  void FinishFiles(bool all);
  qsizetype DayOf(double t);  // the day holding t, -1 outside the range
  double WindowSum(const Pending& start, const Pending& after) const;
  LedgerFileSummary& Current() { return unfinished_.back(); }

  LedgerOptions options_;
  bool leakPerLine_;
  qint64 now_;
  Lines grains_;  // hours split at the shift starts: the grain of every period
  // Days always; hours and shifts of their own, as they do not add up from days. Weeks, months,
  // years and the total are made of their days at the end.
  Lines days_, periods_;
  Lines windowDays_;  // the days again, looked up in the windows' own order
  bool periodsOfTheirOwn_;
  QList<TimeSpan> periodSpans_;
  QList<TimeSpan> production_;
  std::optional<ArchiveRow> previous_;
  QList<LedgerFileKey> files_;   // every file so far, by ordinal
  std::vector<double> sums_;     // input 1 summed over each file read
  std::deque<LedgerFileSummary> unfinished_;  // files read whose windows are not all closed
  qint64 firstUnfinished_ = 0;               // the ordinal of unfinished_.front()
  bool reading_ = false;                     // between BeginFile and EndFile
  QList<LedgerFileSummary> finished_;
  qint64 index_ = 0;
  double sum_ = 0;  // input 1 over the rows of the file read so far
  qint64 missing_ = 0;
  std::deque<Pending> pending_;  // the windows not yet ended
  qsizetype stretch_ = 0;
  std::vector<std::optional<double>> baseline_;  // per day
};

// The same for rows at hand, as one file.
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
