// The archive reader on arbitrary file contents: never a crash; every row read has a valid time
// and finite values (or no value, for an empty field) in time order; an error names the file, the
// line and what failed.
#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "archive/archive_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
  const ArchiveFile file = ParseArchive(text, QStringLiteral("FA_20261208_14.csv"));
  double previous = -INFINITY;
  for (const ArchiveRow& row : file.rows) {
    if (!std::isfinite(row.key) || row.key < previous) __builtin_trap();
    if (row.timeOfDay < 0 || row.timeOfDay >= 86400) __builtin_trap();
    for (double v : row.values)
      if (std::isinf(v)) __builtin_trap();  // NaN is the "no value" of an empty field
    previous = row.key;
  }
  if (!file.error.isEmpty() &&
      (!file.error.startsWith(QStringLiteral("FA_20261208_14.csv, line ")) || file.error.size() > 200))
    __builtin_trap();
  return 0;
}
