#include "archive_generator.h"

#include <QDir>
#include <QFile>
#include <cmath>

#include "archive/archive_writer.h"

namespace {
QByteArray Row(const QDateTime& at, double t) {
  const double v[4] = {48 + 12 * std::sin(t / 3000) + 0.8 * std::sin(t / 37), 21 + 4 * std::sin(t / 43200),
                       55 + 9 * std::cos(t / 7000), 1.013 + 0.01 * std::sin(t / 20000)};
  QByteArray line =
      at.toString(kArchiveDateFormat).toLatin1() + ';' + at.toString(kArchiveTimeFormat).toLatin1();
  for (double x : v) line += ';' + FormatArchiveValue(x).toLatin1();
  return line + "\r\n";
}

void WriteFile(const QString& path, const QDateTime& start, int rows, int stepSeconds) {
  if (QFile::exists(path)) return;
  QByteArray text = BuildArchiveHeader(QStringLiteral(";")).toLatin1() + "\r\n";
  for (int i = 0; i < rows; ++i) {
    const QDateTime at = start.addSecs(qint64(i) * stepSeconds);
    text += Row(at, double(at.toSecsSinceEpoch()));
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
