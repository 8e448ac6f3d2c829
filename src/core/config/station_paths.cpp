#include "config/station_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

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

QString ExistingSettingsFile(const QString& exeDir, const QString& settingsName) {
  const QFileInfo wanted(settingsName);
  const QDir dir(exeDir);
  for (const QString& name : dir.entryList({wanted.completeBaseName() + QStringLiteral(".*")}, QDir::Files))
    if (QFileInfo(name).completeBaseName() == wanted.completeBaseName() &&
        QFileInfo(name).suffix().compare(wanted.suffix(), Qt::CaseInsensitive) == 0)
      return dir.filePath(name);
  return {};
}

QString StationStateFolder() {
  // systemd may name several folders, ":" between them: the first is the unit's own.
  if (const QString service = qEnvironmentVariable("STATE_DIRECTORY"); !service.isEmpty())
    return service.section(QLatin1Char(':'), 0, 0);
#ifdef Q_OS_WIN
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/kestrilon4");
#else
  const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
  return (xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/state") : xdg) + QStringLiteral("/kestrilon4");
#endif
}

StationPaths ThisStationPaths(const QString& settingsName) {
  const QString exeDir =
      QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
  StationPaths paths = ChooseStationPaths(
      exeDir, settingsName, ProgramFolderHoldsFiles(exeDir),
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
      QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
  // A settings file beside the executable is the station's, also in a folder the station may not
  // write (a failed write is then told, never taken to another folder).
  if (const QString beside = ExistingSettingsFile(exeDir, settingsName); !beside.isEmpty()) paths.settingsFile = beside;
  if (!paths.settingsFile.startsWith(exeDir)) {
    // The archive writer makes only the archive folder's last level; the levels above it are ours.
    QDir().mkpath(QFileInfo(paths.settingsFile).path());
    QDir().mkpath(QFileInfo(paths.defaultArchiveDir).path());
  }
  return paths;
}

QString StationName() {
  return QStringLiteral("Kestrilon4 ") + QSysInfo::machineHostName();
}
