#include "station/settings_check.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <functional>

#include "config/app_settings.h"
#include "config/settings_file.h"
#include "config/settings_schema.h"
#include "measurement/channel_processing.h"
#include "measurement/units.h"
#include "mqtt/mqtt_password.h"

namespace {
// A rule returns why a text is not acceptable, or nothing.
using Rule = std::function<QString(const QString&)>;

Rule Integer(qint64 min, qint64 max) {
  return [min, max](const QString& text) -> QString {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok || value < INT_MIN || value > INT_MAX) return QStringLiteral("not a whole number");
    if (value < min || value > max) return QStringLiteral("outside %1..%2").arg(min).arg(max);
    return {};
  };
}

Rule Switch() {
  return [](const QString& text) -> QString {
    return text == QLatin1String("0") || text == QLatin1String("1") ? QString() : QStringLiteral("not 0 or 1");
  };
}

Rule Real() {
  return [](const QString& text) -> QString {
    double value = 0;
    return SettingsFile::ParseFloat(text, &value) ? QString() : QStringLiteral("not a number");
  };
}

Rule Positive() {
  return [](const QString& text) -> QString {
    double value = 0;
    if (!SettingsFile::ParseFloat(text, &value)) return QStringLiteral("not a number");
    return value > 0 ? QString() : QStringLiteral("not above 0");
  };
}

Rule HostName() {
  return [](const QString& text) -> QString {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]{0,252})$"));
    if (QHostAddress(text.trimmed()).isNull() && !name.match(text.trimmed()).hasMatch())
      return QStringLiteral("not an address or host name");
    return {};
  };
}

// The converter is addressed by its IPv4 address in dotted form.
Rule Ipv4() {
  return [](const QString& text) -> QString {
    static const QRegularExpression dotted(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    const QHostAddress address(text);
    return dotted.match(text).hasMatch() && address.protocol() == QAbstractSocket::IPv4Protocol
               ? QString()
               : QStringLiteral("not an IPv4 address");
  };
}

// MQTT wildcards and NUL may not stand in a topic that is published to.
Rule TopicPrefix() {
  return [](const QString& text) -> QString {
    if (text.isEmpty()) return QStringLiteral("empty");
    for (const QChar c : text)
      if (c == QLatin1Char('#') || c == QLatin1Char('+') || c.isNull())
        return QStringLiteral("holds \"#\", \"+\" or NUL, which no topic may");
    return {};
  };
}

Rule NotEmpty() {
  return [](const QString& text) -> QString {
    return text.trimmed().isEmpty() ? QStringLiteral("empty") : QString();
  };
}

struct KeyRule {
  QString section;
  QString key;
  Rule rule;
};

QList<KeyRule> Rules() {
  const QString ad4eth = QStringLiteral("AD4ETH");
  const QString archive = QStringLiteral("ARCHIVACE");
  const QString other = QStringLiteral("OSTATNI");
  const QString parameters = QStringLiteral("PARAMETRY_MERENI");
  const QString mqtt = QStringLiteral("MQTT");
  QList<KeyRule> rules;
  for (int n = 1; n <= kInputCount; ++n) {
    const QString s = SettingsSchema::ChannelSection(n);
    rules += {{s, QStringLiteral("Activ"), Switch()},
              {s, QStringLiteral("4mA"), Real()},
              {s, QStringLiteral("20mA"), Real()},
              {s, QStringLiteral("AlarmMIN"), Integer(0, 100)},
              {s, QStringLiteral("AlarmMAX"), Integer(0, 100)},
              {s, QStringLiteral("JednotkaIndex"), Integer(0, UnitList(n).size() - 1)}};
  }
  rules += {{ad4eth, QStringLiteral("IP"), Ipv4()},
            {ad4eth, QStringLiteral("Port"), Integer(1, 65535)},
            {ad4eth, QStringLiteral("Autopripojeni"), Switch()},
            {ad4eth, QStringLiteral("Perioda"), Integer(1, INT_MAX)},
            {ad4eth, QStringLiteral("PocetVzorkuNaPrumer"), Integer(0, 1000000)},
            {archive, QStringLiteral("DatabaseDir"), NotEmpty()},
            {archive, QStringLiteral("PomalaActive"), Switch()},
            {archive, QStringLiteral("PomalaInterval"), Integer(1, INT_MAX)},
            {archive, QStringLiteral("RychlaActive"), Switch()},
            {archive, QStringLiteral("RychlaInterval"), Integer(1, INT_MAX)},
            {other, QStringLiteral("Windows7"), Switch()},
            {parameters, QStringLiteral("Teplota"), Integer(-273, 10000)},
            {parameters, QStringLiteral("AtmosferickyTlak"), Positive()},
            {parameters, QStringLiteral("CidloTeploty"), Switch()},
            {mqtt, QStringLiteral("Active"), Switch()},
            {mqtt, QStringLiteral("Host"), HostName()},
            {mqtt, QStringLiteral("Port"), Integer(1, 65535)},
            {mqtt, QStringLiteral("TopicPrefix"), TopicPrefix()},
            {mqtt, QStringLiteral("Tls"), Switch()},
            {mqtt, QStringLiteral("Qos"), Integer(0, 1)},
            {mqtt, QStringLiteral("HomeAssistant"), Switch()}};
  return rules;
}

QString OnOff(bool on) {
  return on ? QStringLiteral("on") : QStringLiteral("off");
}
}  // namespace

QStringList CheckSettingsFile(const QString& path) {
  QStringList problems;
  const SettingsFile file(path);
  try {
    for (const KeyRule& r : Rules()) {
      const std::optional<QString> text = file.Value(r.section, r.key);
      if (!text) continue;
      const QString why = r.rule(text->trimmed());
      if (!why.isEmpty()) problems << QStringLiteral("[%1] %2=%3: %4").arg(r.section, r.key, *text, why);
    }
    for (int n = 1; n <= kInputCount; ++n) {
      const QString section = SettingsSchema::ChannelSection(n);
      ChannelSettings channel;
      SettingsSchema::ReadChannel(file, n, channel);
      if (ScalingSpanTooLarge(channel.Value4mA, channel.Value20mA))
        problems << QStringLiteral("[%1] 4mA=%2, 20mA=%3: the span times 6.5535 exceeds 1e15")
                        .arg(section, SettingsFile::FormatFloat(channel.Value4mA),
                             SettingsFile::FormatFloat(channel.Value20mA));
    }
    const bool slow = file.ReadBool(QStringLiteral("ARCHIVACE"), QStringLiteral("PomalaActive"), false);
    const bool fast = file.ReadBool(QStringLiteral("ARCHIVACE"), QStringLiteral("RychlaActive"), false);
    const bool publishing = file.ReadBool(QStringLiteral("MQTT"), QStringLiteral("Active"), false);
    if (!slow && !fast && !publishing)
      problems << QStringLiteral("[ARCHIVACE] PomalaActive=0, RychlaActive=0 and [MQTT] Active=0: "
                                 "nothing would be recorded");
    const QString passwordFile = file.ReadString(QStringLiteral("MQTT"), QStringLiteral("PasswordFile"), QString());
    if (!passwordFile.isEmpty() && !QFileInfo(passwordFile).isReadable())
      problems << QStringLiteral("[MQTT] PasswordFile=%1: not a readable file").arg(passwordFile);
    const bool tls = file.ReadBool(QStringLiteral("MQTT"), QStringLiteral("Tls"), false);
    const QString caFile = file.ReadString(QStringLiteral("MQTT"), QStringLiteral("CaFile"), QString());
    if (tls && !caFile.isEmpty() && !QFileInfo(caFile).isReadable())
      problems << QStringLiteral("[MQTT] CaFile=%1: not a readable file").arg(caFile);
  } catch (const std::exception& e) {
    problems << QString::fromLocal8Bit(e.what());
  }
  return problems;
}

QString DescribeRecording(const AppSettings& s, const TimerIntervals& timers) {
  QStringList lines;
  lines << QStringLiteral("converter: %1:%2, period %3 ms, running average of %4 samples")
               .arg(s.IP, s.Port)
               .arg(timers.MeasuringPeriod())
               .arg(s.PocetVzorkuNaPrumer);
  lines << QStringLiteral("archive: %1, daily %2 (every %3 ms), hourly %4 (every %5 ms), separator \"%6\"")
               .arg(s.DatabaseDir, OnOff(s.PomalaActive))
               .arg(timers.SlowArchiveInterval())
               .arg(OnOff(s.RychlaActive))
               .arg(timers.FastArchiveInterval())
               .arg(s.ArchiveSeparator);
  QStringList inputs;
  for (int n = 1; n <= kInputCount; ++n)
    if (s.Channel(n).Activ) inputs << QStringLiteral("IN%1 [%2]").arg(n).arg(UnitText(n, s.Channel(n).JednotkaIndex));
  lines << QStringLiteral("inputs: %1").arg(inputs.isEmpty() ? QStringLiteral("none active") : inputs.join(QStringLiteral(", ")));
  const MqttSettings& m = s.Mqtt;
  if (m.Active)
    lines << QStringLiteral("mqtt: %1:%2, topics %3/..., qos %4, tls %5, user %6")
                 .arg(m.Host)
                 .arg(m.Port)
                 .arg(m.TopicPrefix.endsWith(QLatin1Char('/')) ? m.TopicPrefix.chopped(1) : m.TopicPrefix)
                 .arg(m.Qos)
                 .arg(OnOff(m.Tls), m.User.isEmpty() ? QStringLiteral("(none)") : m.User) +
             (!m.PasswordFile.isEmpty()           ? QStringLiteral(", password from %1").arg(m.PasswordFile)
              : !MqttCredentialPath().isEmpty() ? QStringLiteral(", password from the credential mqtt-password")
                                                : QString());
  else
    lines << QStringLiteral("mqtt: off");
  return lines.join(QLatin1Char('\n'));
}
