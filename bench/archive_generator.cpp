#include "archive_generator.h"

#include <QDir>
#include <QFile>
#include <array>
#include <cmath>
#include <cstdio>

#include "archive/archive_writer.h"

namespace {
std::array<double, 4> Values(double t) {
  return {48 + 12 * std::sin(t / 3000) + 0.8 * std::sin(t / 37), 21 + 4 * std::sin(t / 43200),
          55 + 9 * std::cos(t / 7000), 1.013 + 0.01 * std::sin(t / 20000)};
}

// Rows every `stepSeconds` from `start` within its day (a fast file's hour, a slow file's day): the
// date is written once per file, the time of day counted on.
void WriteFile(const QString& path, const QDateTime& start, int rows, int stepSeconds) {
  if (QFile::exists(path)) return;
  QByteArray text = BuildArchiveHeader(QStringLiteral(";")).toLatin1() + "\r\n";
  text.reserve(rows * 56);
  const QByteArray date = start.toString(kArchiveDateFormat).toLatin1();
  const int startOfDay = start.time().msecsSinceStartOfDay() / 1000;
  for (int i = 0; i < rows; ++i) {
    const int at = startOfDay + i * stepSeconds;
    char time[16];
    std::snprintf(time, sizeof time, "%d:%02d:%02d", at / 3600, at / 60 % 60, at % 60);
    text += date + ';' + time;
    for (double x : Values(double(start.toSecsSinceEpoch() + qint64(i) * stepSeconds)))
      text += ';' + FormatArchiveValue(x).toLatin1();
    text += "\r\n";
  }
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(text);
}
}  // namespace

GeneratedArchive GenerateArchive(const QString& folder, const QDate& first, int fastDays, int slowDays) {
  GeneratedArchive g;
  g.folder = folder;
  QDir().mkpath(folder);
  for (int d = 0; d < fastDays; ++d)
    for (int h = 0; h < 24; ++h) {
      const QDateTime start(first.addDays(d), QTime(h, 0));
      const QString path = ArchivePath(folder, ArchiveFileName(ArchiveKind::Fast, start));
      WriteFile(path, start, 1800, 2);
      g.fastFiles << path;
      g.fastRows += 1800;
    }
  for (int d = 0; d < slowDays; ++d) {
    const QDateTime start(first.addDays(d), QTime(0, 0));
    const QString path = ArchivePath(folder, ArchiveFileName(ArchiveKind::Slow, start));
    WriteFile(path, start, 288, 300);
    g.slowFiles << path;
  }
  return g;
}
