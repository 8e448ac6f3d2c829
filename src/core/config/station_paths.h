#pragma once

#include <QString>

// Where the station keeps its settings file and, by default, its archive. Beside the executable
// when its folder is writable (a build or a portable copy, and always on Windows); otherwise, as an
// installed program under /usr, in the user's XDG folders:
// ~/.config/kestrilon4/kestrilon4.ini and ~/.local/share/kestrilon4/archiv.
struct StationPaths {
  QString settingsFile;
  QString defaultArchiveDir;
};

// The choice itself, from its inputs (tests give them).
StationPaths ChooseStationPaths(const QString& exeDir, const QString& settingsName, bool exeDirWritable,
                                const QString& configHome, const QString& dataHome);

// Whether the station may keep its files in the executable's folder: a writable folder that is not
// the package manager's (/usr/..., /bin, /sbin: never, not even for root).
bool ProgramFolderHoldsFiles(const QString& exeDir);

// The settings file of that name in the folder, its extension matched without regard to case
// ("kestrilon4.INI"), or empty.
QString ExistingSettingsFile(const QString& exeDir, const QString& settingsName);

// For this process: an existing settings file beside the executable, else the choice above from
// the executable's folder and the XDG homes of the user. Creates the XDG folders
// that will hold the files when they are chosen.
StationPaths ThisStationPaths(const QString& settingsName = QStringLiteral("kestrilon4.ini"));

// Where the station keeps what is neither settings nor archive (a journal that could not be written
// into the archive folder, the mails not yet sent, the alarm list across restarts): a service's
// StateDirectory ($STATE_DIRECTORY), else $XDG_STATE_HOME/kestrilon4 or ~/.local/state/kestrilon4;
// on Windows the user's local application data. Not created here.
QString StationStateFolder();

// The station's name in its mails and reports: "Kestrilon4 <host name>".
QString StationName();
