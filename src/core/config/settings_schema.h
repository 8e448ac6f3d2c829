#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <variant>

#include "config/app_settings.h"
#include "config/settings_file.h"

// Every key of the settings file as one row of one table: its section, type, default, limits,
// unit, the write routine that writes it and its meaning. The load, the three write routines, the
// settings check, the dialogs' limits, the round-trip test and the glossary's table follow from it.
namespace SettingsSchema {

enum class KeyType { Bool, Integer, Float, Text };

// The routine that writes a key: at exit, on confirming the settings dialog or the measurement
// parameters dialog; keys set by hand in the file are read but never written.
enum class Writer { Exit, Dialog, MeasurementParameters, ByHand };

// What a text or a number must be for the station to work with it, beyond its type.
enum class ValueRule { None, NotEmpty, Ipv4, Port, HostName, TopicPrefix, Positive, ClockTimes, ClockSpan, Weekdays };

using Value = std::variant<bool, int, double, QString>;

// Where the values live while the station runs.
struct Source {
  const AppSettings& settings;
  const TimerIntervals& timers;
  const WindowGeometry& window;
};
struct Target {
  AppSettings& settings;
  TimerIntervals& timers;
  WindowGeometry& window;
};

// Sections of per-input keys: "ANALOG_IN" and "ALARM_IN", in the file ANALOG_IN1..4, ALARM_IN1..4.
bool IsPerInputSection(const QString& section);

struct Limits {
  double min = 0;
  double max = 0;
};

struct Key {
  QString section;  // "ANALOG_IN", "ALARM_IN" for per-input keys; the input's number follows it in the file
  QString name;
  KeyType type = KeyType::Integer;
  Writer writer = Writer::Dialog;
  QString unit;                     // of the value in the file
  QString meaning;                  // in English, for the glossary
  std::function<Value()> fallback;  // the default
  QString fallbackShown;            // the default as the glossary tells it, where it depends on the machine
  // The values the station works with: outside them the recorder refuses the file. A key whose
  // `fallbackOutside` is set reads as its default outside them.
  std::optional<Limits> usable;
  bool fallbackOutside = false;
  // The values the dialogs offer: outside them the check reports an unusual value, the load still
  // takes the value as it stands.
  std::optional<Limits> offered;
  bool unitIndex = false;  // both limits are the input's own unit list
  ValueRule rule = ValueRule::None;
  // A bad value here stops the recorder; elsewhere (window, colours, chart) it is only reported.
  bool neededToRecord = false;
  std::function<Value(const Source&, int input)> get;
  std::function<void(Target&, int input, const Value&)> set;

  bool PerInput() const { return IsPerInputSection(section); }
  QString SectionOf(int input) const { return PerInput() ? section + QString::number(input) : section; }
  // The limits for input n (a unit index runs over that input's unit list).
  std::optional<Limits> UsableFor(int input) const;
  std::optional<Limits> OfferedFor(int input) const;
};

// One section's keys in file order; a per-input section stands for its four sections.
struct Group {
  QString section;
  QList<const Key*> keys;
  QList<int> Inputs() const;  // 1..kInputCount for the per-input section, else one 0
};

// The table in load order: OKNO, ANALOG_IN, AD4ETH, ARCHIVACE, OSTATNI, PARAMETRY_MERENI, MQTT, LEDGER,
// ALARM_IN, ALARMS.
const QList<Key>& Keys();
const QList<Group>& Groups();
const Key& Find(const QString& section, const QString& name);  // throws std::out_of_range

inline constexpr int kDefaultPeriod = 2000;
QString DefaultIP();
QString DefaultPopisGrafu();
QString DefaultDatabaseDir();   // "C:\" on Windows, elsewhere StationPaths' default archive folder
QString DefaultTopicPrefix();   // "kestrilon4/" and the machine's host name
QString ChannelSection(int n);  // "ANALOG_IN" + n

// Reads every key, group by group, and derives the channels' alarm limits and the archive
// separator. A group that fails is reported to `failed` and read again from the defaults, as are
// all groups after it.
WindowGeometry ReadAll(const SettingsFile& file, AppSettings& settings, TimerIntervals& timers,
                       const std::function<void(const std::exception&)>& failed = {});
// Reads one group's keys in file order (the channels' alarm limits are not derived here). Throws
// SettingsError at the first key that cannot be read; the keys before it keep their new values.
void ReadGroup(const SettingsFile& file, const Group& group, Target& target);
// Writes a routine's keys in table order. Throws SettingsError at the failing key.
void WriteKeys(SettingsFile& file, Writer writer, const Source& source);

QString TypeName(KeyType type);
QString ValueText(const Value& value);  // as the file would hold it (floats with a ".")

}  // namespace SettingsSchema
