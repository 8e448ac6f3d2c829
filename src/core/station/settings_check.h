#pragma once

#include <QString>
#include <QStringList>

struct AppSettings;
class TimerIntervals;

// Checks every key of the settings file that recording depends on. A missing key is fine (it takes
// its default); a present one that does not read as its kind or lies outside its range is named:
// "[SECTION] Key=value: reason". So are settings that would record nothing (no archive and no
// MQTT) and scaling points too far apart to archive. A file that cannot be read is one problem.
QStringList CheckSettingsFile(const QString& path);

// The configuration recording runs with, one line per part: converter, archive, MQTT.
QString DescribeRecording(const AppSettings& settings, const TimerIntervals& timers);
