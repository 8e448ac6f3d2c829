#include "mqtt/home_assistant.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "config/app_settings.h"
#include "measurement/units.h"

HomeAssistantSensor HomeAssistantSensorOf(int input, int unitIndex) {
  const QString unit = UnitText(input, unitIndex);
  switch (input) {
    case kFlowInput:
      if (unit == QLatin1String("l/min")) return {QStringLiteral("L/min"), QStringLiteral("volume_flow_rate"), QStringLiteral("Flow")};
      if (unit == QLatin1String("m/s")) return {unit, QStringLiteral("speed"), QStringLiteral("Flow velocity")};
      return {unit, QString(), QStringLiteral("Flow")};  // Nm³/h, kg/h: no device class has them
    case kTemperatureInput:
      return {unit, QStringLiteral("temperature"), QStringLiteral("Temperature")};
    case kHumidityInput:
      if (unit == QLatin1String("%")) return {unit, QStringLiteral("humidity"), QStringLiteral("Humidity")};
      return {QStringLiteral("°C"), QStringLiteral("temperature"), QStringLiteral("Pressure dew point")};
    case kPressureInput:
      return {unit == QLatin1String("Bar") ? QStringLiteral("bar") : unit, QStringLiteral("pressure"),
              QStringLiteral("Pressure")};
    default:
      return {};
  }
}

QList<MqttMessage> HomeAssistantDiscovery(const QString& prefix, const AppSettings& settings, int expireAfterS) {
  QString node = MqttTopic(prefix, QString());
  while (node.endsWith(QLatin1Char('/'))) node.chop(1);
  for (QChar& c : node)
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_') && c != QLatin1Char('-'))
      c = QLatin1Char('_');
  const QString brand = QStringLiteral("kestrilon4_");
  const QString identifier = node.startsWith(brand) ? node : brand + node;  // "kestrilon4/<host>" made it twice
  const QJsonObject device{{QStringLiteral("identifiers"), QJsonArray{identifier}},
                           {QStringLiteral("name"), settings.PopisGrafu},
                           {QStringLiteral("manufacturer"), QStringLiteral("Kestrilon")},
                           {QStringLiteral("model"), QStringLiteral("AD4ETH")},
                           {QStringLiteral("sw_version"), QStringLiteral(KESTRILON_VERSION)}};
  const QJsonArray availability{QJsonObject{
      {QStringLiteral("topic"), MqttTopic(prefix, QStringLiteral("status"))},
      {QStringLiteral("value_template"), QStringLiteral("{{ 'online' if value == 'online' else 'offline' }}")}}};
  QList<MqttMessage> messages;
  for (int n = 1; n <= kInputCount; ++n) {
    const QString input = QStringLiteral("IN%1").arg(n);
    const QString topic = QStringLiteral("homeassistant/sensor/%1/%2/config").arg(node, input);
    const ChannelSettings& c = settings.Channel(n);
    if (!c.Activ) {
      messages.append({topic, QByteArray(), true});
      continue;
    }
    const HomeAssistantSensor sensor = HomeAssistantSensorOf(n, c.JednotkaIndex);
    QJsonObject config{{QStringLiteral("name"), sensor.name},
                       {QStringLiteral("unique_id"), node + QLatin1Char('_') + input},
                       {QStringLiteral("state_topic"), MqttTopic(prefix, input)},
                       {QStringLiteral("unit_of_measurement"), sensor.unit},
                       {QStringLiteral("state_class"), QStringLiteral("measurement")},
                       {QStringLiteral("expire_after"), expireAfterS},
                       {QStringLiteral("availability"), availability},
                       {QStringLiteral("device"), device}};
    if (!sensor.deviceClass.isEmpty()) config.insert(QStringLiteral("device_class"), sensor.deviceClass);
    messages.append({topic, QJsonDocument(config).toJson(QJsonDocument::Compact), true});
  }
  return messages;
}
