#include "mqtt/mqtt_messages.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "archive/archive_writer.h"
#include "measurement/channel_processing.h"
#include "measurement/units.h"

namespace {
// ISO 8601 with the offset written out, also for UTC ("+00:00", not "Z").
QString IsoTime(const QDateTime& at) {
  const int offset = at.offsetFromUtc();
  const int minutes = qAbs(offset) / 60;
  return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
         QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

MqttMessage StateMessage(const QString& prefix, const QDateTime& at, bool linkUp, const QJsonObject& inputs) {
  const QJsonObject state{{QStringLiteral("time"), IsoTime(at)},
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
