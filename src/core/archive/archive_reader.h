#pragma once

#include <QByteArray>
#include <QString>
#include <array>

#include "archive/archive_values.h"
#include "io/io_status.h"
#include <limits>
#include <vector>

// An empty IN field: no value (a quiet NaN, never a point of a chart).
inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// One archive row: x as seconds since the epoch of the local date (from DATUM) and time (from
// CAS), in real time (the second pass of the hour repeated in autumn is one hour after the first),
// CAS as seconds of the day, and the four IN values (kNoValue for an empty field).
struct ArchiveRow {
  double key = 0;
  int timeOfDay = 0;
  ArchiveValues values{};
};

// The rows of one archive file in time order (stable, so a file written in time order stays as it
// is). When a row cannot be read, `rows` holds the rows before it and `status` is BadContent, its
// text naming the file, the line and the field; a file that cannot be read at all is NotRegular,
// TooLarge or Unreadable. A line that a crash or a full disk cut short (fewer fields than the header,
// or its last number cut to a sign or a point) hides nothing: it is skipped, its number kept in
// `interruptedLines`, and the rows after it are read.
struct ArchiveFile {
  std::vector<ArchiveRow> rows;
  IoStatus status;
  std::vector<int> interruptedLines;  // 1-based line numbers
};

// Reads the file at once. The header line names the columns (DATUM, CAS, IN1..IN4, any order); a
// file whose first line is already a row (its header was never written: a crash right after the
// file was made, a full disk) has the station's own columns. A
// line uses ";" or "," as separator, whichever comes first on it; DATUM is d.M.yyyy, CAS H:mm:ss, IN values use "."
// or are empty; other columns are ignored. A last
// line without its line end is a row still being written and is left out.
// Only regular files up to kMaxArchiveFileBytes are read (an hourly file holds about 100 kB).
inline constexpr qint64 kMaxArchiveFileBytes = qint64(64) << 20;
ArchiveFile ReadArchiveFile(const QString& path);
// Rows in the station's own form take a quick way; GeneralOnly reads every line the general way,
// the reference the quick way must agree with to the last bit.
enum class ArchiveParse { Quick, GeneralOnly };
ArchiveFile ParseArchive(const QByteArray& data, const QString& fileName, ArchiveParse way = ArchiveParse::Quick);
