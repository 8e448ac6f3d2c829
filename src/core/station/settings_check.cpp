#include "station/settings_check.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <algorithm>
#include <climits>

#include "config/app_settings.h"
#include "config/settings_file.h"
#include "config/settings_schema.h"
#include "ledger/ledger.h"
#include "ledger/ledger_calendar.h"
#include "measurement/channel_processing.h"
#include "measurement/units.h"
#include "mqtt/mqtt_password.h"

namespace {
using SettingsSchema::Key;
using SettingsSchema::KeyType;
using SettingsSchema::Limits;
using SettingsSchema::ValueRule;

QString RangeText(const Limits& l) {
  return QStringLiteral("%1..%2").arg(qint64(l.min)).arg(qint64(l.max));
}

QString Outside(const Limits& l) {
  return QStringLiteral("outside ") + RangeText(l);
}

// Why a value does not read as its key's type, or breaks the key's rule; empty when it does not.
QString TypeProblem(const Key& key, const QString& text) {
  switch (key.type) {
    case KeyType::Bool:
      return text == QLatin1String("0") || text == QLatin1String("1") ? QString()
                                                                      : QStringLiteral("not 0 or 1");
    case KeyType::Integer: {
      bool ok = false;
      const qint64 value = text.toLongLong(&ok, 10);
      return ok && value >= INT_MIN && value <= INT_MAX ? QString() : QStringLiteral("not a whole number");
    }
    case KeyType::Float: {
      double value = 0;
      if (!SettingsFile::ParseFloat(text, &value)) return QStringLiteral("not a number");
      return key.rule == ValueRule::Positive && !(value > 0) ? QStringLiteral("not above 0") : QString();
    }
    case KeyType::Text:
      break;
  }
  switch (key.rule) {
    case ValueRule::NotEmpty:
      return text.isEmpty() ? QStringLiteral("empty") : QString();
    case ValueRule::Ipv4: {  // the converter is addressed by its IPv4 address in dotted form
      static const QRegularExpression dotted(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
      return dotted.match(text).hasMatch() && QHostAddress(text).protocol() == QAbstractSocket::IPv4Protocol
                 ? QString()
                 : QStringLiteral("not an IPv4 address");
    }
    case ValueRule::Port: {
      bool ok = false;
      const qint64 value = text.toLongLong(&ok, 10);
      if (!ok) return QStringLiteral("not a whole number");
      return value < 1 || value > 65535 ? Outside({1, 65535}) : QString();
    }
    case ValueRule::HostName: {
      static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]{0,252})$"));
      return QHostAddress(text).isNull() && !name.match(text).hasMatch()
                 ? QStringLiteral("not an address or host name")
                 : QString();
    }
    case ValueRule::TopicPrefix:  // MQTT wildcards and NUL may not stand in a topic that is published to
      if (text.isEmpty()) return QStringLiteral("empty");
      for (const QChar c : text)
        if (c == QLatin1Char('#') || c == QLatin1Char('+') || c.isNull())
          return QStringLiteral("holds \"#\", \"+\" or NUL, which no topic may");
      return {};
    case ValueRule::ClockTimes:
      return ParseClockTimes(text) ? QString() : QStringLiteral("not times H:mm separated by \",\"");
    case ValueRule::ClockSpan:
      return ParseClockSpan(text) ? QString() : QStringLiteral("not a span H:mm-H:mm");
    case ValueRule::Weekdays:
      return ParseWeekdays(text) ? QString() : QStringLiteral("not weekdays 1-7 separated by \",\"");
    case ValueRule::None:
    case ValueRule::Positive:
      break;
  }
  return {};
}

void CheckKey(const SettingsFile& file, const Key& key, int input, QList<SettingsProblem>& problems) {
  const QString section = key.SectionOf(input);
  const std::optional<QString> stored = file.Value(section, key.name);
  if (!stored) return;
  const QString text = stored->trimmed();
  const auto add = [&](SettingsProblem::Kind kind, const QString& why) {
    problems << SettingsProblem{kind, QStringLiteral("[%1] %2=%3: %4").arg(section, key.name, *stored, why)};
  };
  const SettingsProblem::Kind bad =
      key.neededToRecord ? SettingsProblem::Kind::Unusable : SettingsProblem::Kind::Unusual;
  if (const QString why = TypeProblem(key, text); !why.isEmpty()) return add(bad, why);
  if (key.type != KeyType::Integer) return;
  const double value = text.toDouble();
  if (const auto usable = key.UsableFor(input); usable && (value < usable->min || value > usable->max))
    return add(bad, Outside(*usable));
  if (const auto offered = key.OfferedFor(input); offered && (value < offered->min || value > offered->max))
    add(SettingsProblem::Kind::Unusual,
        QStringLiteral("outside the settings dialogs' %1").arg(RangeText(*offered)));
}

// Problems of the sections that do not stop recording (alarms, mail, reports, the ledger): told,
// never refused.
QStringList NotificationProblems(const AppSettings& s) {
  QStringList problems;
  if (s.Alarms.AckFromMqtt)
    problems << QStringLiteral("[ALARMS] AckFromMqtt=1: whoever the broker lets publish to <prefix>/alarm/ack "
                               "acknowledges alarms (give the broker an ACL, see the README)");
  const MailSettings& mail = s.Mail;
  if (mail.Active) {
    const auto missing = [&](const char* key, const QString& value) {
      if (value.trimmed().isEmpty()) problems << QStringLiteral("[MAIL] %1=: empty, no mail can be sent").arg(QLatin1String(key));
    };
    missing("Server", mail.Server);
    missing("From", mail.From);
    missing("To", mail.To);
    if (!mail.PasswordFile.isEmpty() && !QFileInfo(mail.PasswordFile).isReadable())
      problems << QStringLiteral("[MAIL] PasswordFile=%1: not a readable file").arg(mail.PasswordFile);
    if (!mail.CaFile.isEmpty() && !QFileInfo(mail.CaFile).isReadable())
      problems << QStringLiteral("[MAIL] CaFile=%1: not a readable file").arg(mail.CaFile);
  }
  if (s.Reports.Mail && !mail.Active)
    problems << QStringLiteral("[REPORTS] Mail=1: [MAIL] Active=0, reports are not mailed");
  LedgerOptions options;
  QString why;
  if (!LedgerOptionsOf(s, ArchiveKind::Fast, &options, &why)) problems << why + QStringLiteral(" (no ledger or report)");
  return problems;
}

QString OnOff(bool on) {
  return on ? QStringLiteral("on") : QStringLiteral("off");
}
}  // namespace

bool AnyUnusable(const QList<SettingsProblem>& problems) {
  return std::any_of(problems.begin(), problems.end(),
                     [](const SettingsProblem& p) { return p.kind == SettingsProblem::Kind::Unusable; });
}

QList<SettingsProblem> CheckSettingsFile(const QString& path) {
  QList<SettingsProblem> problems;
  const auto unusable = [&](const QString& text) {
    problems << SettingsProblem{SettingsProblem::Kind::Unusable, text};
  };
  const SettingsFile file(path);
  try {
    for (const SettingsSchema::Group& group : SettingsSchema::Groups())
      for (int n : group.Inputs())
        for (const Key* key : group.keys) CheckKey(file, *key, n, problems);
    // The values as the station reads them (an unreadable file has thrown above).
    AppSettings s;
    PlainIntervals timers;
    SettingsSchema::ReadAll(file, s, timers);
    for (int n = 1; n <= kInputCount; ++n) {
      const ChannelSettings& channel = s.Channel(n);
      if (ScalingSpanTooLarge(channel.Value4mA, channel.Value20mA))
        unusable(QStringLiteral("[%1] 4mA=%2, 20mA=%3: the span times 6.5535 exceeds 1e15")
                     .arg(SettingsSchema::ChannelSection(n), SettingsFile::FormatFloat(channel.Value4mA),
                          SettingsFile::FormatFloat(channel.Value20mA)));
    }
    if (!s.PomalaActive && !s.RychlaActive && !s.Mqtt.Active)
      unusable(
          QStringLiteral("[ARCHIVACE] PomalaActive=0, RychlaActive=0 and [MQTT] Active=0: "
                         "nothing would be recorded"));
    const MqttSettings& m = s.Mqtt;
    if (!m.PasswordFile.isEmpty() && !QFileInfo(m.PasswordFile).isReadable())
      unusable(QStringLiteral("[MQTT] PasswordFile=%1: not a readable file").arg(m.PasswordFile));
    if (m.Tls && !m.CaFile.isEmpty() && !QFileInfo(m.CaFile).isReadable())
      unusable(QStringLiteral("[MQTT] CaFile=%1: not a readable file").arg(m.CaFile));
    const bool ledgerTold = std::any_of(problems.begin(), problems.end(), [](const SettingsProblem& p) {
      return p.text.startsWith(QLatin1String("[LEDGER]"));
    });
    for (const QString& text : NotificationProblems(s))
      if (!ledgerTold || !text.startsWith(QLatin1String("[LEDGER]")))
        problems << SettingsProblem{SettingsProblem::Kind::Unusual, text};
  } catch (const std::exception& e) {
    unusable(QString::fromLocal8Bit(e.what()));
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
    if (s.Channel(n).Activ)
      inputs << QStringLiteral("IN%1 [%2]").arg(n).arg(UnitText(n, s.Channel(n).JednotkaIndex));
  lines << QStringLiteral("inputs: %1")
               .arg(inputs.isEmpty() ? QStringLiteral("none active") : inputs.join(QStringLiteral(", ")));
  const MqttSettings& m = s.Mqtt;
  if (m.Active)
    lines << QStringLiteral("mqtt: %1:%2, topics %3/..., qos %4, tls %5, user %6")
                     .arg(m.Host)
                     .arg(m.Port)
                     .arg(m.TopicPrefix.endsWith(QLatin1Char('/')) ? m.TopicPrefix.chopped(1) : m.TopicPrefix)
                     .arg(m.Qos)
                     .arg(OnOff(m.Tls), m.User.isEmpty() ? QStringLiteral("(none)") : m.User) +
                 (!m.PasswordFile.isEmpty() ? QStringLiteral(", password from %1").arg(m.PasswordFile)
                  : !MqttCredentialPath().isEmpty()
                      ? QStringLiteral(", password from the credential mqtt-password")
                      : QString());
  else
    lines << QStringLiteral("mqtt: off");
  lines << QStringLiteral("alarms: no data after %1 s, broker down after %2 min, acknowledging over MQTT %3")
               .arg(s.Alarms.NoReply)
               .arg(s.Alarms.BrokerDown)
               .arg(OnOff(s.Alarms.AckFromMqtt));
  const MailSettings& mail = s.Mail;
  lines << (mail.Active ? QStringLiteral("mail: %1:%2 from %3 to %4, digest beyond %5 in %6 min")
                              .arg(mail.Server)
                              .arg(mail.Port)
                              .arg(mail.From, mail.To)
                              .arg(mail.DigestCount)
                              .arg(mail.DigestMinutes)
                        : QStringLiteral("mail: off"));
  QStringList reports;
  for (const auto& [on, name] : {std::pair{s.Reports.Day, "day"}, {s.Reports.Week, "week"}, {s.Reports.Month, "month"}})
    if (on) reports << QLatin1String(name);
  lines << QStringLiteral("reports: %1%2")
               .arg(reports.isEmpty() ? QStringLiteral("none") : reports.join(QStringLiteral(", ")),
                    s.Reports.Mail ? QStringLiteral(", mailed") : QString());
  lines << QStringLiteral("ledger: gaps %1 s fast, %2 s slow, shifts %3, production %4 on days %5")
               .arg(s.Ledger.GapFast)
               .arg(s.Ledger.GapSlow)
               .arg(s.Ledger.Shifts, s.Ledger.ProductionHours, s.Ledger.ProductionDays);
  return lines.join(QLatin1Char('\n'));
}
