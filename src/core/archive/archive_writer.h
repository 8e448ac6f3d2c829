#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <array>

#include "archive/archive_values.h"
#include "io/io_status.h"

// Slow archive: one file per day; fast archive: one file per clock hour.
enum class ArchiveKind { Slow, Fast };

// The fixed date and time pictures of the DATUM and CAS columns, independent of the machine's locale.
inline const QString kArchiveDateFormat = QStringLiteral("d.M.yyyy");
inline const QString kArchiveTimeFormat = QStringLiteral("H:mm:ss");

// "SA_yyyymmdd.csv" or "FA_yyyymmdd_hh.csv".
QString ArchiveFileName(ArchiveKind kind, const QDateTime& at);
// The same from a local date and clock hour, which need not exist on that day (clock changes).
QString ArchiveFileName(ArchiveKind kind, const QDate& day, int hour);
// "DATUM;CAS;IN1;IN2;IN3;IN4" with the given separator, without line end.
QString BuildArchiveHeader(const QString& separator);
// Four decimals, "." as decimal separator, no grouping; empty for a value that is not finite.
QString FormatArchiveValue(double value);
// The folder and the name joined with one separator, whether or not the folder ends with one.
QString ArchivePath(const QString& folder, const QString& name);

// Appends rows to the archive files: one row per call to the file of `kind` for `now`, creating the
// folder's last level and the file (with header) as needed, opening and closing the file for the
// one row. Opens regular files only, never waiting: a pipe or a device in the file's place loses
// the row (NotRegular). Never reports a failure to the user; a lost row is told by the status. Remembers the
// files it created but could not give their header, so that they get it with the next row.
class ArchiveWriter {
 public:
  IoStatus Append(const QString& folder, ArchiveKind kind, const QDateTime& now, const QString& separator,
              const ArchiveValues& values);

 private:
  QSet<QString> headerOwed_;
};

// One row by a writer of its own (tests, tools).
IoStatus AppendArchiveRow(const QString& folder, ArchiveKind kind, const QDateTime& now, const QString& separator,
                      const ArchiveValues& values);
