#include "mqtt/mqtt_messages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "alarms/alarm_json.h"
#include "archive/archive_writer.h"
#include "measurement/channel_processing.h"
#include "measurement/units.h"
#include "station/clock.h"

namespace {
MqttMessage StateMessage(const QString& prefix, const QDateTime& at, bool linkUp, const QJsonObject& inputs) {
  const QJsonObject state{{QStringLiteral("time"), Clock::IsoMillis(at)},
                          {QStringLiteral("link"), linkUp ? QStringLiteral("ok") : QStringLiteral("lost")},
                          {QStringLiteral("inputs"), inputs}};
  return {MqttTopic(prefix, QStringLiteral("state")), QJsonDocument(state).toJson(QJsonDocument::Compact), false};
}
}  // namespace

QString MqttTopic(const QString& prefix, const QString& name) {
  QString base = prefix;
  while (base.endsWith(QLatin1Char('/'))) base.chop(1);
  return base.isEmpty() ? name : base + QLatin1Char('/') + name;
}

QList<MqttMessage> ReadingMessages(const QString& prefix, const QDateTime& at, const AppSettings& settings,
                                   const Measurement& readings) {
  QList<MqttMessage> messages;
  QJsonObject inputs;
  for (int n = 1; n <= kInputCount; ++n) {
    const ChannelSettings& c = settings.Channel(n);
    if (!c.Activ) continue;
    const ChannelReading& r = readings.Reading(n);
    const QString name = QStringLiteral("IN%1").arg(n);
    const QString value = FormatArchiveValue(r.DisplayValue);
    messages.append({MqttTopic(prefix, name), value.toLatin1(), true});
    inputs.insert(name, QJsonObject{{QStringLiteral("value"), value.toDouble()},
                                    {QStringLiteral("unit"), UnitText(n, c.JednotkaIndex)},
                                    {QStringLiteral("alarm"), IsInAlarm(c, r)},
                                    {QStringLiteral("error"), r.StatusText != kHealthyStatus}});
  }
  messages.append(StateMessage(prefix, at, true, inputs));
  return messages;
}

QList<MqttMessage> LinkLostMessages(const QString& prefix, const QDateTime& at) {
  return {StateMessage(prefix, at, false, QJsonObject())};
}


MqttMessage AlarmChangeMessage(const QString& prefix, const AlarmChange& change) {
  return {MqttTopic(prefix, QStringLiteral("alarm")),
          QJsonDocument(AlarmJson(change.alarm, change.at)).toJson(QJsonDocument::Compact), false};
}

MqttMessage ActiveAlarmsMessage(const QString& prefix, const QList<Alarm>& active) {
  QJsonArray list;
  for (const Alarm& a : active) list.append(AlarmJson(a, a.raisedAt));
  return {MqttTopic(prefix, QStringLiteral("alarms")), QJsonDocument(list).toJson(QJsonDocument::Compact), true};
}

std::optional<AlarmAckRequest> ParseAlarmAck(const QByteArray& payload) {
  const QJsonObject o = QJsonDocument::fromJson(payload).object();
  AlarmAckRequest request;
  // One line of the journal: printable, and short.
  request.by = o.value(QStringLiteral("by")).toString().simplified().left(64);
  request.by.removeIf([](QChar c) { return !c.isPrint(); });
  if (o.value(QStringLiteral("all")).toBool()) {
    request.all = true;
    return request;
  }
  const std::optional<AlarmKind> kind = AlarmKindNamed(o.value(QStringLiteral("kind")).toString());
  const QJsonValue input = o.value(QStringLiteral("input"));
  if (!kind || !(input.isNull() || input.isUndefined() || input.isDouble())) return std::nullopt;
  request.kind = *kind;
  request.input = input.toInt(0);
  return request;
}
