#pragma once

#include <QString>

#include "history/range_history.h"

// The rows of a from-to generation as a CSV file: header DATUM;CAS;IN1;IN2;IN3;IN4 (and SPOTREBA with
// the consumption), one line per row read up to `lastKey`, DATUM and CAS as in the archive, values
// with "." and four decimals (an inactive input's column empty), CR LF, the archive's separator.
// Reads the range again with the same request (up to a broken row, as the generation did). Written to a temporary file renamed at the end: a
// failure (folder not writable, disk full: Unwritable; Cancelled) leaves no file.
inline const QString kConsumptionColumn = QStringLiteral("SPOTREBA");

IoStatus WriteRangeCsv(const RangeRequest& request, double lastKey, const QString& separator, const QString& path,
                       const RangeHooks& hooks);
