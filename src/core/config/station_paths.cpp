#include "config/station_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

StationPaths ChooseStationPaths(const QString& exeDir, const QString& settingsName, bool exeDirWritable,
                                const QString& configHome, const QString& dataHome) {
#ifdef Q_OS_WIN
  exeDirWritable = true;  // Windows keeps the executable's folder
#endif
  if (exeDirWritable)
    return {QDir(exeDir).filePath(settingsName), QDir(exeDir).filePath(QStringLiteral("archiv"))};
  return {QDir(configHome).filePath(QStringLiteral("kestrilon4/") + settingsName),
          QDir(dataHome).filePath(QStringLiteral("kestrilon4/archiv"))};
}

bool ProgramFolderHoldsFiles(const QString& exeDir) {
  const QString dir = QDir::cleanPath(QFileInfo(exeDir).absoluteFilePath());
  for (const QString& system : {QStringLiteral("/usr"), QStringLiteral("/bin"), QStringLiteral("/sbin")})
    if (dir == system || dir.startsWith(system + QLatin1Char('/'))) return false;
  return QFileInfo(dir).isDir() && QFileInfo(dir).isWritable();
}

StationPaths ThisStationPaths(const QString& settingsName) {
  const QString exeDir =
      QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
  const StationPaths paths = ChooseStationPaths(
      exeDir, settingsName, ProgramFolderHoldsFiles(exeDir),
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
      QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
  if (!paths.settingsFile.startsWith(exeDir)) {
    // The archive writer makes only the archive folder's last level; the levels above it are ours.
    QDir().mkpath(QFileInfo(paths.settingsFile).path());
    QDir().mkpath(QFileInfo(paths.defaultArchiveDir).path());
  }
  return paths;
}
