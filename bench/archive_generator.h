#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Writes realistic archives the way the station does: fast files of one hour with a row every
// two seconds (1800 rows), slow files of one day with a row every five minutes.
// Existing files are kept, so a second run measures with a warm page cache.
struct GeneratedArchive {
  QString folder;
  QStringList fastFiles;
  QStringList slowFiles;
  qint64 fastRows = 0;
};
GeneratedArchive GenerateArchive(const QString& folder, const QDate& first, int fastDays, int slowDays);
