#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <optional>

#include "alarms/alarm_monitor.h"

// An alarm as JSON, on the wire (<prefix>/alarm, <prefix>/alarms) and in the saved list: "time"
// (ISO 8601 to the millisecond with its offset), "input" (null for the station), "kind", "state",
// "value" and "limit" (four decimals, null when none), "count" (times raised while listed) and
// "last" (the latest of them), "raised" (when first raised).
QJsonObject AlarmJson(const Alarm& alarm, const QDateTime& at);
std::optional<Alarm> AlarmFromJson(const QJsonObject& object);

// The listed alarms, saved beside the journal so that a restart keeps their states: written whole
// to a temporary file and renamed over the old one. A file that does not read is an empty list.
QString SavedAlarmsPath(const QString& archiveFolder);
bool SaveAlarms(const QString& archiveFolder, const QList<Alarm>& alarms);
QList<Alarm> LoadAlarms(const QString& archiveFolder);
