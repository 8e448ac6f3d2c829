#include "config/settings_schema.h"

#include <QSysInfo>
#include <climits>
#include <stdexcept>

#include "config/station_paths.h"
#include "measurement/units.h"

namespace SettingsSchema {
namespace {

// Bindings of a row to the member that holds its value.
template <typename T>
void Bind(Key& k, T AppSettings::*member) {
  k.get = [member](const Source& s, int) { return Value(s.settings.*member); };
  k.set = [member](Target& t, int, const Value& v) { t.settings.*member = std::get<T>(v); };
}
template <typename T>
void Bind(Key& k, T ChannelSettings::*member) {
  k.get = [member](const Source& s, int n) { return Value(s.settings.Channel(n).*member); };
  k.set = [member](Target& t, int n, const Value& v) { t.settings.Channel(n).*member = std::get<T>(v); };
}
// The record inside AppSettings that holds the members of each section's own struct.
constexpr auto PartOf(const MqttSettings*) { return &AppSettings::Mqtt; }
constexpr auto PartOf(const LedgerSettings*) { return &AppSettings::Ledger; }
constexpr auto PartOf(const AlarmSettings*) { return &AppSettings::Alarms; }
constexpr auto PartOf(const MailSettings*) { return &AppSettings::Mail; }
constexpr auto PartOf(const ReportSettings*) { return &AppSettings::Reports; }
// A member of one of those records.
template <typename Part, typename T>
  requires requires { PartOf(static_cast<const Part*>(nullptr)); }
void Bind(Key& k, T Part::*member) {
  constexpr auto part = PartOf(static_cast<const Part*>(nullptr));
  k.get = [member](const Source& s, int) { return Value(s.settings.*part.*member); };
  k.set = [member](Target& t, int, const Value& v) { t.settings.*part.*member = std::get<T>(v); };
}
void Bind(Key& k, int WindowGeometry::*member) {
  k.get = [member](const Source& s, int) { return Value(s.window.*member); };
  k.set = [member](Target& t, int, const Value& v) { t.window.*member = std::get<int>(v); };
}
// The three interval keys live in their timers.
void Bind(Key& k, int (TimerIntervals::*read)() const, void (TimerIntervals::*write)(int)) {
  k.get = [read](const Source& s, int) { return Value((s.timers.*read)()); };
  k.set = [write](Target& t, int, const Value& v) { (t.timers.*write)(std::get<int>(v)); };
}

// A row under construction; the builders keep each row of the table on a few lines.
struct Row {
  Key key;
  Row& Usable(double min, double max, bool fallbackOutside = false) {
    key.usable = Limits{min, max};
    key.fallbackOutside = fallbackOutside;
    return *this;
  }
  Row& Offered(double min, double max) {
    key.offered = Limits{min, max};
    return *this;
  }
  Row& Shown(const char* fallback) {
    key.fallbackShown = QString::fromUtf8(fallback);
    return *this;
  }
  Row& UnitIndex() {
    key.unitIndex = true;
    return *this;
  }
  Row& Rule(ValueRule rule) {
    key.rule = rule;
    return *this;
  }
  Row& Needed() {
    key.neededToRecord = true;
    return *this;
  }
  template <typename... Member>
  Row& In(Member... member) {
    Bind(key, member...);
    return *this;
  }
};

Row Make(const char* section, const char* name, KeyType type, Writer writer, const char* unit,
         const char* meaning, std::function<Value()> fallback) {
  Row r;
  r.key.section = QString::fromLatin1(section);
  r.key.name = QString::fromLatin1(name);
  r.key.type = type;
  r.key.writer = writer;
  r.key.unit = QString::fromUtf8(unit);
  r.key.meaning = QString::fromUtf8(meaning);
  r.key.fallback = std::move(fallback);
  return r;
}
Row Bool(const char* s, const char* n, bool d, Writer w, const char* meaning) {
  return Make(s, n, KeyType::Bool, w, "0/1", meaning, [d] { return Value(d); });
}
Row Int(const char* s, const char* n, int d, Writer w, const char* unit, const char* meaning) {
  return Make(s, n, KeyType::Integer, w, unit, meaning, [d] { return Value(d); });
}
Row Float(const char* s, const char* n, double d, Writer w, const char* unit, const char* meaning) {
  return Make(s, n, KeyType::Float, w, unit, meaning, [d] { return Value(d); });
}
Row Text(const char* s, const char* n, std::function<QString()> d, Writer w, const char* unit,
         const char* meaning) {
  return Make(s, n, KeyType::Text, w, unit, meaning, [d = std::move(d)] { return Value(d()); });
}
std::function<QString()> Fixed(const char* text) {
  return [text] { return QString::fromUtf8(text); };
}

constexpr Writer kExit = Writer::Exit;
constexpr Writer kDialog = Writer::Dialog;
constexpr Writer kParameters = Writer::MeasurementParameters;
constexpr Writer kByHand = Writer::ByHand;
constexpr double kIntMax = INT_MAX;

QList<Key> BuildTable() {
  using TI = TimerIntervals;
  const Row rows[] = {
      Int("OKNO", "Top", 10, kExit, "pixels", "main window's outer frame: top").In(&WindowGeometry::Top),
      Int("OKNO", "Left", 20, kExit, "pixels", "main window's outer frame: left").In(&WindowGeometry::Left),
      Int("OKNO", "Height", 466, kExit, "pixels", "main window's outer frame: height")
          .In(&WindowGeometry::Height),
      Int("OKNO", "Width", 781, kExit, "pixels", "main window's outer frame: width")
          .In(&WindowGeometry::Width),

      Bool("ANALOG_IN", "Activ", true, kDialog, "input active").In(&ChannelSettings::Activ).Needed(),
      Float("ANALOG_IN", "4mA", 0.0, kDialog, "the input's unit", "physical value at 4 mA")
          .In(&ChannelSettings::Value4mA)
          .Needed(),
      Float("ANALOG_IN", "20mA", 100.0, kDialog, "the input's unit", "physical value at 20 mA")
          .In(&ChannelSettings::Value20mA)
          .Needed(),
      Int("ANALOG_IN", "AlarmMIN", 0, kDialog, "percent of the span", "lower alarm limit")
          .In(&ChannelSettings::AlarmMIN)
          .Usable(0, 100)
          .Offered(0, 100)
          .Needed(),
      Int("ANALOG_IN", "AlarmMAX", 100, kDialog, "percent of the span", "upper alarm limit")
          .In(&ChannelSettings::AlarmMAX)
          .Usable(0, 100)
          .Offered(0, 100)
          .Needed(),
      Int("ANALOG_IN", "JednotkaIndex", 0, kDialog, "index",
          "unit, by the input's list: input 1 0 Nm³/h, 1 m/s, 2 l/min, 3 kg/h; input 2 0 °C, 1 K; "
          "input 3 0 °C tp, 1 %; input 4 0 Bar, 1 kPa")
          .In(&ChannelSettings::JednotkaIndex)
          .UnitIndex()
          .Needed(),
      Int("ANALOG_IN", "BarvaCaryIndex", 0, kDialog, "index", "line colour: entry of the colour list")
          .In(&ChannelSettings::BarvaCaryIndex),
      Int("ANALOG_IN", "BarvaCary", 0, kDialog, "0x00BBGGRR", "line colour").In(&ChannelSettings::BarvaCary),

      Text("AD4ETH", "IP", DefaultIP, kDialog, "IPv4", "converter address")
          .In(&AppSettings::IP)
          .Rule(ValueRule::Ipv4)
          .Needed(),
      Text("AD4ETH", "Port", Fixed("10001"), kDialog, "TCP port", "converter port")
          .In(&AppSettings::Port)
          .Rule(ValueRule::Port)
          .Needed(),
      Bool("AD4ETH", "Autopripojeni", false, kDialog, "measure from start-up (auto-connect)")
          .In(&AppSettings::Autopripojeni)
          .Needed(),
      Int("AD4ETH", "Perioda", kDefaultPeriod, kDialog, "ms", "measuring period, also the reply time-out")
          .In(&TI::MeasuringPeriod, &TI::SetMeasuringPeriod)
          .Usable(1, kIntMax)
          .Offered(1000, 999000)
          .Needed(),
      Int("AD4ETH", "PocetVzorkuNaPrumer", 10, kDialog, "samples", "samples of the running average")
          .In(&AppSettings::PocetVzorkuNaPrumer)
          .Usable(0, 1000000)
          .Offered(0, 60)
          .Needed(),

      Text("ARCHIVACE", "DatabaseDir", DefaultDatabaseDir, kDialog, "path", "archive folder")
          .In(&AppSettings::DatabaseDir)
          .Rule(ValueRule::NotEmpty)
          .Needed()
          .Shown("`archiv` beside the executable, `~/.local/share/kestrilon4/archiv` when installed "
                 "(Windows: `C:\\`)"),
      Bool("ARCHIVACE", "PomalaActive", false, kDialog, "daily archive on")
          .In(&AppSettings::PomalaActive)
          .Needed(),
      Int("ARCHIVACE", "PomalaInterval", 300000, kDialog, "ms", "daily archive's interval")
          .In(&TI::SlowArchiveInterval, &TI::SetSlowArchiveInterval)
          .Usable(1, kIntMax)
          .Offered(60000, 3600000)
          .Needed(),
      Bool("ARCHIVACE", "RychlaActive", false, kDialog, "hourly archive on")
          .In(&AppSettings::RychlaActive)
          .Needed(),
      Int("ARCHIVACE", "RychlaInterval", 2000, kDialog, "ms", "hourly archive's interval")
          .In(&TI::FastArchiveInterval, &TI::SetFastArchiveInterval)
          .Usable(1, kIntMax)
          .Offered(1000, 60000)
          .Needed(),

      Int("OSTATNI", "DatumOdOffset", 0, kDialog, "days", "days before today proposed as \"from\"")
          .In(&AppSettings::DatumOdOffset)
          .Offered(0, 365),
      Int("OSTATNI", "TloustkaCaryGrafu", 1, kDialog, "pixels", "chart line width")
          .In(&AppSettings::TloustkaCaryGrafu)
          .Offered(1, 5),
      Bool("OSTATNI", "UkazujSpotrebu", false, kDialog, "draw the consumption of input 1")
          .In(&AppSettings::UkazujSpotrebu),
      Text("OSTATNI", "PopisGrafu", DefaultPopisGrafu, kDialog, "", "chart caption")
          .In(&AppSettings::PopisGrafu),
      Bool("OSTATNI", "Windows7", false, kDialog, "archive separator \",\" instead of \";\"")
          .In(&AppSettings::Windows7)
          .Needed(),
      Int("OSTATNI", "BarvaChybaIndex", 10, kDialog, "index", "colour of a faulty input: list entry")
          .In(&AppSettings::BarvaChybaIndex),
      Int("OSTATNI", "BarvaChyba", 255, kDialog, "0x00BBGGRR", "colour of a faulty input (255 red)")
          .In(&AppSettings::BarvaChyba),
      Int("OSTATNI", "BarvaAlarmIndex", 12, kDialog, "index", "colour of an input in alarm: list entry")
          .In(&AppSettings::BarvaAlarmIndex),
      Int("OSTATNI", "BarvaAlarm", 65535, kDialog, "0x00BBGGRR", "colour of an input in alarm (65535 yellow)")
          .In(&AppSettings::BarvaAlarm),
      Bool("OSTATNI", "PrednabizetGraf2D", true, kExit, "from–to chart in 2D (else 3D)")
          .In(&AppSettings::PrednabizetGraf2D),
      Bool("OSTATNI", "ChartBands", true, kExit, "history charts with an axis per quantity (else one axis)")
          .In(&AppSettings::ChartBands),
      Int("OSTATNI", "TypDB", 0, kExit, "0 slow, 1 fast", "archive the from–to chart reads")
          .In(&AppSettings::TypDB)
          .Offered(0, 1),
      Int("OSTATNI", "Chart3DPercent", 15, kExit, "percent", "3D depth of the from–to chart")
          .In(&AppSettings::Chart3DPercent)
          .Offered(1, 100),
      Int("OSTATNI", "Language", 1, kExit, "1 Czech, 2 English", "interface language")
          .In(&AppSettings::Language)
          .Offered(1, 2),

      Int("PARAMETRY_MERENI", "Teplota", 20, kParameters, "°C", "air temperature when there is no sensor")
          .In(&AppSettings::Teplota)
          .Usable(-273, 10000)
          .Offered(-30, 85)
          .Needed(),
      Float("PARAMETRY_MERENI", "AtmosferickyTlak", 101.325, kParameters, "kPa", "atmospheric pressure")
          .In(&AppSettings::AtmosferickyTlak)
          .Rule(ValueRule::Positive)
          .Needed(),
      Bool("PARAMETRY_MERENI", "CidloTeploty", false, kParameters, "air temperature from input 2 (sensor)")
          .In(&AppSettings::CidloTeploty)
          .Needed(),

      Bool("MQTT", "Active", false, kDialog, "publish readings").In(&MqttSettings::Active).Needed(),
      Text("MQTT", "Host", Fixed("127.0.0.1"), kDialog, "host name or address", "broker address")
          .In(&MqttSettings::Host)
          .Rule(ValueRule::HostName)
          .Needed(),
      Int("MQTT", "Port", 1883, kDialog, "TCP port", "broker port")
          .In(&MqttSettings::Port)
          .Usable(1, 65535, true)
          .Offered(1, 65535)
          .Needed(),
      Text("MQTT", "TopicPrefix", DefaultTopicPrefix, kDialog, "",
           "topics are `<prefix>/IN1`..`IN4`, `/state`, `/status`")
          .In(&MqttSettings::TopicPrefix)
          .Rule(ValueRule::TopicPrefix)
          .Needed()
          .Shown("`kestrilon4/<host name>`"),
      Text("MQTT", "ClientId", Fixed(""), kDialog, "", "MQTT client id (empty: made up)")
          .In(&MqttSettings::ClientId),
      Text("MQTT", "User", Fixed(""), kDialog, "", "broker login (empty: none)").In(&MqttSettings::User),
      Text("MQTT", "Password", Fixed(""), kDialog, "", "broker password").In(&MqttSettings::Password),
      Text("MQTT", "PasswordFile", Fixed(""), kByHand, "path", "a file whose first line is the password")
          .In(&MqttSettings::PasswordFile),
      Bool("MQTT", "Tls", false, kDialog, "encrypt").In(&MqttSettings::Tls).Needed(),
      Text("MQTT", "CaFile", Fixed(""), kDialog, "path",
           "the broker's certificate authority (empty: the system's certificates)")
          .In(&MqttSettings::CaFile),
      Int("MQTT", "Qos", 1, kDialog, "0 or 1", "quality of service")
          .In(&MqttSettings::Qos)
          .Usable(0, 1, true)
          .Offered(0, 1)
          .Needed(),
      Bool("MQTT", "HomeAssistant", false, kByHand, "publish Home Assistant's MQTT discovery")
          .In(&MqttSettings::HomeAssistant),

      Float("LEDGER", "PipeDiameter", 0.0, kByHand, "mm", "inner diameter of the pipe, for a flow in m/s (0 unknown)")
          .In(&LedgerSettings::PipeDiameter),
      Int("LEDGER", "GapFast", 60, kByHand, "s", "longest step between rows of the fast archive still integrated")
          .In(&LedgerSettings::GapFast)
          .Usable(1, kIntMax),
      Int("LEDGER", "GapSlow", 1800, kByHand, "s", "longest step between rows of the slow archive still integrated")
          .In(&LedgerSettings::GapSlow)
          .Usable(1, kIntMax),
      Text("LEDGER", "Shifts", Fixed("6:00,14:00,22:00"), kByHand, "H:mm,...", "shift start times")
          .In(&LedgerSettings::Shifts)
          .Rule(ValueRule::ClockTimes),
      Float("LEDGER", "Price", 0.0, kByHand, "per consumption unit", "price of the air (0 no cost)")
          .In(&LedgerSettings::Price),
      Text("LEDGER", "Currency", Fixed("Kč"), kByHand, "", "currency of the price").In(&LedgerSettings::Currency),
      Text("LEDGER", "ProductionDays", Fixed("1,2,3,4,5"), kByHand, "1 Monday .. 7 Sunday",
           "weekdays with production")
          .In(&LedgerSettings::ProductionDays)
          .Rule(ValueRule::Weekdays),
      Text("LEDGER", "ProductionHours", Fixed("6:00-22:00"), kByHand, "H:mm-H:mm",
           "production hours (an end not after the start runs over midnight)")
          .In(&LedgerSettings::ProductionHours)
          .Rule(ValueRule::ClockSpan),
      Int("LEDGER", "DewPointClass", 0, kByHand, "1-6", "ISO 8573-1 humidity class of the dew point on input 3 (0 none)")
          .In(&LedgerSettings::DewPointClass)
          .Offered(0, 6),

      Int("ALARM_IN", "Delay", 0, kDialog, "s", "an input's alarm is raised when its condition held this long")
          .In(&ChannelSettings::AlarmDelay)
          .Usable(0, kIntMax)
          .Offered(0, 86400),
      Int("ALARM_IN", "Hysteresis", 0, kDialog, "percent of the span",
          "an input's alarm clears when its value is back inside the limit by this much")
          .In(&ChannelSettings::AlarmHysteresis)
          .Usable(0, 100)
          .Offered(0, 100),
      Int("ALARMS", "NoReply", 30, kDialog, "s", "no accepted reply this long while measuring: the no-data alarm")
          .In(&AlarmSettings::NoReply)
          .Usable(1, kIntMax)
          .Offered(1, 86400),
      Int("ALARMS", "BrokerDown", 5, kDialog, "min", "the MQTT broker unreachable this long: an alarm")
          .In(&AlarmSettings::BrokerDown)
          .Usable(1, kIntMax)
          .Offered(1, 1440),
      Bool("ALARMS", "AckFromMqtt", false, kByHand,
           "alarms may be acknowledged through `<prefix>/alarm/ack` (only on a broker connection with a login)")
          .In(&AlarmSettings::AckFromMqtt),

      Bool("MAIL", "Active", false, kByHand, "send alarms by e-mail").In(&MailSettings::Active),
      Text("MAIL", "Server", Fixed(""), kByHand, "host name or address", "SMTP server").In(&MailSettings::Server),
      Int("MAIL", "Port", 587, kByHand, "TCP port", "SMTP port").In(&MailSettings::Port).Usable(1, 65535, true),
      Int("MAIL", "Security", 1, kByHand, "0 none, 1 STARTTLS, 2 TLS", "encryption of the SMTP connection")
          .In(&MailSettings::Security)
          .Usable(0, 2, true)
          .Offered(0, 2),
      Text("MAIL", "CaFile", Fixed(""), kByHand, "path",
           "the SMTP server's certificate authority (empty: the system's certificates)")
          .In(&MailSettings::CaFile),
      Text("MAIL", "User", Fixed(""), kByHand, "", "SMTP login (empty: none)").In(&MailSettings::User),
      Text("MAIL", "Password", Fixed(""), kByHand, "", "SMTP password").In(&MailSettings::Password),
      Text("MAIL", "PasswordFile", Fixed(""), kByHand, "path", "a file whose first line is the SMTP password")
          .In(&MailSettings::PasswordFile),
      Text("MAIL", "From", Fixed(""), kByHand, "address", "sender").In(&MailSettings::From),
      Text("MAIL", "To", Fixed(""), kByHand, "addresses, \",\" between", "recipients").In(&MailSettings::To),
      Int("MAIL", "DigestCount", 5, kByHand, "alarms", "more raised alarms than this within DigestMinutes: one digest")
          .In(&MailSettings::DigestCount)
          .Usable(0, kIntMax),
      Int("MAIL", "DigestMinutes", 10, kByHand, "min", "the time a digest gathers")
          .In(&MailSettings::DigestMinutes)
          .Usable(1, kIntMax),

      Bool("REPORTS", "Day", false, kByHand, "the recorder writes each day's report").In(&ReportSettings::Day),
      Bool("REPORTS", "Week", false, kByHand, "the recorder writes each week's report").In(&ReportSettings::Week),
      Bool("REPORTS", "Month", false, kByHand, "the recorder writes each month's report").In(&ReportSettings::Month),
      Text("REPORTS", "Folder", Fixed(""), kByHand, "path", "where reports are written (empty: Reports below the archive folder)")
          .In(&ReportSettings::Folder),
      Bool("REPORTS", "Mail", false, kByHand, "mail each written report through the MAIL section's server")
          .In(&ReportSettings::Mail),
  };
  QList<Key> keys;
  for (const Row& r : rows) keys << r.key;
  return keys;
}

Value ReadValue(const SettingsFile& file, const Key& k, const QString& section) {
  const Value fallback = k.fallback();
  switch (k.type) {
    case KeyType::Bool:
      return file.ReadBool(section, k.name, std::get<bool>(fallback));
    case KeyType::Integer: {
      const int value = file.ReadInteger(section, k.name, std::get<int>(fallback));
      if (k.fallbackOutside && k.usable && (value < k.usable->min || value > k.usable->max)) return fallback;
      return value;
    }
    case KeyType::Float:
      return file.ReadFloat(section, k.name, std::get<double>(fallback));
    case KeyType::Text:
      return file.ReadString(section, k.name, std::get<QString>(fallback));
  }
  return fallback;
}

void WriteValue(SettingsFile& file, const Key& k, const QString& section, const Value& value) {
  switch (k.type) {
    case KeyType::Bool:
      return file.WriteBool(section, k.name, std::get<bool>(value));
    case KeyType::Integer:
      return file.WriteInteger(section, k.name, std::get<int>(value));
    case KeyType::Float:
      return file.WriteFloat(section, k.name, std::get<double>(value));
    case KeyType::Text:
      return file.WriteString(section, k.name, std::get<QString>(value));
  }
}
}  // namespace

QString DefaultIP() {
  // The bundled simulator: an unconfigured station talks to no other machine.
  return QStringLiteral("127.0.0.1");
}

QString DefaultPopisGrafu() {
  return QStringLiteral("Kestrilon4 - záznam měření");
}

QString DefaultDatabaseDir() {
#ifdef Q_OS_WIN
  return QStringLiteral("C:\\");
#else
  return ThisStationPaths().defaultArchiveDir;
#endif
}

QString DefaultTopicPrefix() {
  return QStringLiteral("kestrilon4/") + QSysInfo::machineHostName();
}

QString ChannelSection(int n) {
  return QStringLiteral("ANALOG_IN%1").arg(n);
}

std::optional<Limits> Key::UsableFor(int input) const {
  return unitIndex ? Limits{0, double(UnitList(input).size() - 1)} : usable;
}

std::optional<Limits> Key::OfferedFor(int input) const {
  return unitIndex ? Limits{0, double(UnitList(input).size() - 1)} : offered;
}

bool IsPerInputSection(const QString& section) {
  return section == QLatin1String("ANALOG_IN") || section == QLatin1String("ALARM_IN");
}

QList<int> Group::Inputs() const {
  if (!IsPerInputSection(section)) return {0};
  QList<int> inputs;
  for (int n = 1; n <= kInputCount; ++n) inputs << n;
  return inputs;
}

const QList<Key>& Keys() {
  static const QList<Key> keys = BuildTable();
  return keys;
}

const QList<Group>& Groups() {
  static const QList<Group> groups = [] {
    QList<Group> g;
    for (const Key& k : Keys()) {
      if (g.isEmpty() || g.last().section != k.section) g.append(Group{k.section, {}});
      g.last().keys << &k;
    }
    return g;
  }();
  return groups;
}

const Key& Find(const QString& section, const QString& name) {
  for (const Key& k : Keys())
    if (k.section == section && k.name == name) return k;
  throw std::out_of_range("no settings key " + section.toStdString() + "/" + name.toStdString());
}

WindowGeometry ReadAll(const SettingsFile& file, AppSettings& settings, TimerIntervals& timers,
                       const std::function<void(const std::exception&)>& failed) {
  WindowGeometry geometry;
  Target target{settings, timers, geometry};
  const SettingsFile defaults{QString()};
  const SettingsFile* source = &file;
  for (const Group& group : Groups()) {
    try {
      ReadGroup(*source, group, target);
    } catch (const std::exception& e) {
      if (failed) failed(e);
      source = &defaults;
      ReadGroup(*source, group, target);
    }
  }
  for (ChannelSettings& channel : settings.Channels) channel.UpdateAlarmLimits();
  settings.UpdateArchiveSeparator();
  return geometry;
}

void ReadGroup(const SettingsFile& file, const Group& group, Target& target) {
  for (int n : group.Inputs())
    for (const Key* k : group.keys) k->set(target, n, ReadValue(file, *k, k->SectionOf(n)));
}

void WriteKeys(SettingsFile& file, Writer writer, const Source& source) {
  for (const Group& group : Groups())
    for (int n : group.Inputs())
      for (const Key* k : group.keys)
        if (k->writer == writer) WriteValue(file, *k, k->SectionOf(n), k->get(source, n));
}

QString TypeName(KeyType type) {
  switch (type) {
    case KeyType::Bool:
      return QStringLiteral("0/1");
    case KeyType::Integer:
      return QStringLiteral("integer");
    case KeyType::Float:
      return QStringLiteral("number");
    case KeyType::Text:
      return QStringLiteral("text");
  }
  return {};
}

QString ValueText(const Value& value) {
  if (const bool* b = std::get_if<bool>(&value)) return *b ? QStringLiteral("1") : QStringLiteral("0");
  if (const int* i = std::get_if<int>(&value)) return QString::number(*i);
  if (const double* d = std::get_if<double>(&value)) return QString::number(*d, 'g', 15);
  return std::get<QString>(value);
}

}  // namespace SettingsSchema
