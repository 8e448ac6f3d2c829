#pragma once

#include "config/app_settings.h"
#include "config/settings_file.h"

// Section names, defaults, and the key order of every read and write. Readers fill the records
// key by key in file order, so an error leaves later keys as they were.
namespace SettingsSchema {

inline constexpr int kDefaultPeriod = 2000;
QString DefaultIP();
QString DefaultPopisGrafu();
QString DefaultDatabaseDir();   // "C:\" on Windows, elsewhere StationPaths' default archive folder
QString ChannelSection(int n);  // "ANALOG_IN" + n

WindowGeometry ReadWindow(const SettingsFile& file);
void ReadChannel(const SettingsFile& file, int n, ChannelSettings& channel);
void ReadConverter(const SettingsFile& file, AppSettings& settings, TimerIntervals& timers);
void ReadArchive(const SettingsFile& file, AppSettings& settings, TimerIntervals& timers);
void ReadOther(const SettingsFile& file, AppSettings& settings);
void ReadMeasurementParameters(const SettingsFile& file, AppSettings& settings);
void ReadMqtt(const SettingsFile& file, MqttSettings& mqtt);
QString DefaultTopicPrefix();  // "kestrilon4/" and the machine's host name

// The three write routines' keys, in their fixed order. Throw SettingsError at the failing key.
void WriteExitKeys(SettingsFile& file, const WindowGeometry& window, const AppSettings& settings);
// The settings dialog's write ends with the MQTT section.
void WriteDialogKeys(SettingsFile& file, const AppSettings& settings, const TimerIntervals& timers);
void WriteMeasurementParameterKeys(SettingsFile& file, const AppSettings& settings);

}  // namespace SettingsSchema
