#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include "alarms/alarm_monitor.h"
#include "config/app_settings.h"

class Measurement;

// One message for the broker.
struct MqttMessage {
  QString topic;
  QByteArray payload;
  bool retain = false;
  bool operator==(const MqttMessage&) const = default;
};

// "<prefix>/<name>", whatever slashes the prefix ends with.
QString MqttTopic(const QString& prefix, const QString& name);

// After a processed reply: <prefix>/IN1..IN4 (retained, the display value with ".", active inputs
// only) and <prefix>/state (JSON: time with its UTC offset, link "ok", per active input value, unit,
// alarm and error).
QList<MqttMessage> ReadingMessages(const QString& prefix, const QDateTime& at, const AppSettings& settings,
                                   const Measurement& readings);

// The converter link dropped: <prefix>/state with link "lost" and no values.
QList<MqttMessage> LinkLostMessages(const QString& prefix, const QDateTime& at);

// An alarm's change: <prefix>/alarm, one JSON object per change (time, input or null, kind, state,
// value, limit), and the retained <prefix>/alarms, the active alarms as a JSON array of the same
// objects (time: when raised).
MqttMessage AlarmChangeMessage(const QString& prefix, const AlarmChange& change);
MqttMessage ActiveAlarmsMessage(const QString& prefix, const QList<Alarm>& active);

// What <prefix>/alarm/ack asks: {"kind": "high", "input": 1}, or {"all": true}. Nothing when it
// does not read.
struct AlarmAckRequest {
  bool all = false;
  AlarmKind kind = AlarmKind::High;
  int input = 0;
  QString by;  // who, as the publisher says ("by": "<name>"); the broker's ACL decides who may
};
std::optional<AlarmAckRequest> ParseAlarmAck(const QByteArray& payload);
