// The archive reader on arbitrary file contents: never a crash; every row read has a valid time
// and finite values (or no value, for an empty field) in time order; an error names the file, the
// line and what failed; the quick way for station rows and the general way agree bit for bit.
#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

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
  // The quick way for the station's own rows gives exactly what the general way gives.
  const ArchiveFile general = ParseArchive(text, QStringLiteral("FA_20261208_14.csv"), ArchiveParse::GeneralOnly);
  if (general.status != file.status || general.rows.size() != file.rows.size()) __builtin_trap();
  auto sameBits = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  for (size_t i = 0; i < file.rows.size(); ++i) {
    const ArchiveRow &a = general.rows[i], &b = file.rows[i];
    if (!sameBits(a.key, b.key) || a.timeOfDay != b.timeOfDay) __builtin_trap();
    for (size_t j = 0; j < a.values.size(); ++j)
      if (!sameBits(a.values[j], b.values[j])) __builtin_trap();
  }
  if (!file.status.IsOk() &&
      (file.status.code != IoStatus::Code::BadContent || !file.status.text.startsWith(QStringLiteral("FA_20261208_14.csv, line ")) || file.status.text.size() > 200))
    __builtin_trap();
  return 0;
}
