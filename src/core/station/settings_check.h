#pragma once

#include <QString>
#include <QList>
#include <QStringList>

struct AppSettings;
class TimerIntervals;

// A value the check found, "[SECTION] Key=value: reason".
struct SettingsProblem {
  enum class Kind {
    Unusable,  // recording cannot go on with it: the recorder refuses the file
    Unusual,   // outside what the dialogs offer, or a bad value recording does not use: reported only
  };
  Kind kind = Kind::Unusable;
  QString text;
  bool operator==(const SettingsProblem&) const = default;
};

// Checks every key of the settings table. A missing key is fine (it takes its default); a present
// one that does not read as its type or lies outside its limits is named. So are settings that
// would record nothing (no archive and no MQTT) and scaling points too far apart to archive. A file
// that cannot be read is one unusable problem.
QList<SettingsProblem> CheckSettingsFile(const QString& path);
bool AnyUnusable(const QList<SettingsProblem>& problems);

// The configuration recording runs with, one line per part: converter, archive, MQTT.
QString DescribeRecording(const AppSettings& settings, const TimerIntervals& timers);
