#pragma once

#include <QDate>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <span>

#include "io/io_status.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "config/app_settings.h"

// The from-to reading of the archive ("GenerujData" without its window): walks the archive files of
// a range of local days, reads them (ahead, on a worker thread), integrates the consumption of
// input 1 and hands every point to a sink. One thread; events run only through `pump`.

// The series a generation fills: inputs 1..4, then the consumption of input 1.
inline constexpr int kConsumptionSeries = kInputCount;
inline constexpr int kRangeSeriesCount = kInputCount + 1;

// "TypDB" as stored: 0 the slow archive (daily files), 1 the fast one (hourly); any other value
// names no archive (a generation then walks the days and finds nothing).
std::optional<ArchiveKind> ArchiveKindOfTypDB(int typDB);

// Where the points go, per series in ascending x (seconds since the epoch).
class RangeSink {
 public:
  virtual ~RangeSink() = default;
  virtual void Reserve(size_t pointsPerSeries) = 0;
  virtual void Add(int series, double x, double y) = 0;
  // Every row read, after its points: the four values (kNoValue where empty) and the running
  // consumption (kNoValue when it is not drawn).
  virtual void AddRow(double /*x*/, const std::array<double, kInputCount>& /*values*/, double /*total*/) {}
  // Consecutive rows of one file, after their consumption points, with the running consumption
  // after each (kNoValue when it is not drawn): each row's points of the `active` inputs that are
  // not empty through Add, then the row through AddRow. A sink may take them all at once instead.
  virtual void AddRows(std::span<const ArchiveRow> rows, const std::array<bool, kInputCount>& active,
                       std::span<const double> totals);
};

struct RangeRequest {
  QDate firstDay;
  std::function<QDate()> lastDay;  // read again before every file, as the picker may change
  int kind = 0;                    // "TypDB": 0 slow (daily files), 1 fast (hourly); others walk days
  QString folder;                  // "DatabaseDir"
  std::array<bool, kInputCount> active{};
  bool consumption = false;         // "UkazujSpotrebu" and input 1 active
  bool consumptionInHours = false;  // input 1 in Nm³/h: steps weighted by their hours
};

struct RangeHooks {
  std::function<void()> pump;                           // every 101 rows
  std::function<void()> waiting;                        // every 10 ms while a file is read; while a range is listed
  std::function<bool()> cancelled;                      // asked after every pump and every file
  std::function<void(int read, int total)> progress;    // a few times a second and at the end
  // A line cut short by a crash or a full disk, skipped (the rows after it are read): file name, line.
  std::function<void(const QString& file, int line)> interrupted;
};

// The archive file of `kind` for a local day and clock hour, or "0" when there is none (also for
// an invalid day or a kind other than 0 and 1).
QString FindArchiveFile(const QString& folder, int kind, const QDate& day, int hour);

// Reads the range into `sink`: Ok, Cancelled, or the failure of the file that stopped it (its text
// names the file, the line and the field); the points before the failure are in the sink.
IoStatus ReadArchiveRange(const RangeRequest& request, const RangeHooks& hooks, RangeSink& sink);
