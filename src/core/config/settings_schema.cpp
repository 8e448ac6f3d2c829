#include "config/settings_schema.h"

#include "config/station_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>

namespace {
const QString kOkno = QStringLiteral("OKNO");
const QString kAd4eth = QStringLiteral("AD4ETH");
const QString kArchivace = QStringLiteral("ARCHIVACE");
const QString kOstatni = QStringLiteral("OSTATNI");
const QString kParametry = QStringLiteral("PARAMETRY_MERENI");
const QString kMqtt = QStringLiteral("MQTT");
}  // namespace

namespace SettingsSchema {

QString DefaultIP() {
  return QStringLiteral("127.0.0.1");  // the bundled simulator: an unconfigured station talks to no other machine
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

QString ChannelSection(int n) {
  return QStringLiteral("ANALOG_IN%1").arg(n);
}

WindowGeometry ReadWindow(const SettingsFile& file) {
  WindowGeometry g;
  g.Top = file.ReadInteger(kOkno, QStringLiteral("Top"), 10);
  g.Left = file.ReadInteger(kOkno, QStringLiteral("Left"), 20);
  g.Height = file.ReadInteger(kOkno, QStringLiteral("Height"), 466);
  g.Width = file.ReadInteger(kOkno, QStringLiteral("Width"), 781);
  return g;
}

void ReadChannel(const SettingsFile& file, int n, ChannelSettings& c) {
  const QString s = ChannelSection(n);
  c.Activ = file.ReadBool(s, QStringLiteral("Activ"), true);
  c.Value4mA = file.ReadFloat(s, QStringLiteral("4mA"), 0.0);
  c.Value20mA = file.ReadFloat(s, QStringLiteral("20mA"), 100.0);
  c.AlarmMIN = file.ReadInteger(s, QStringLiteral("AlarmMIN"), 0);
  c.AlarmMAX = file.ReadInteger(s, QStringLiteral("AlarmMAX"), 100);
  c.JednotkaIndex = file.ReadInteger(s, QStringLiteral("JednotkaIndex"), 0);
  c.BarvaCaryIndex = file.ReadInteger(s, QStringLiteral("BarvaCaryIndex"), 0);
  c.BarvaCary = file.ReadInteger(s, QStringLiteral("BarvaCary"), 0);
  c.UpdateAlarmLimits();
}

void ReadConverter(const SettingsFile& file, AppSettings& a, TimerIntervals& timers) {
  a.IP = file.ReadString(kAd4eth, QStringLiteral("IP"), DefaultIP());
  a.Port = file.ReadString(kAd4eth, QStringLiteral("Port"), QStringLiteral("10001"));
  a.Autopripojeni = file.ReadBool(kAd4eth, QStringLiteral("Autopripojeni"), false);
  timers.SetMeasuringPeriod(file.ReadInteger(kAd4eth, QStringLiteral("Perioda"), kDefaultPeriod));
  a.PocetVzorkuNaPrumer = file.ReadInteger(kAd4eth, QStringLiteral("PocetVzorkuNaPrumer"), 10);
}

void ReadArchive(const SettingsFile& file, AppSettings& a, TimerIntervals& timers) {
  a.DatabaseDir = file.ReadString(kArchivace, QStringLiteral("DatabaseDir"), DefaultDatabaseDir());
  a.PomalaActive = file.ReadBool(kArchivace, QStringLiteral("PomalaActive"), false);
  timers.SetSlowArchiveInterval(file.ReadInteger(kArchivace, QStringLiteral("PomalaInterval"), 300000));
  a.RychlaActive = file.ReadBool(kArchivace, QStringLiteral("RychlaActive"), false);
  timers.SetFastArchiveInterval(file.ReadInteger(kArchivace, QStringLiteral("RychlaInterval"), 2000));
}

void ReadOther(const SettingsFile& file, AppSettings& a) {
  a.DatumOdOffset = file.ReadInteger(kOstatni, QStringLiteral("DatumOdOffset"), 0);
  a.TloustkaCaryGrafu = file.ReadInteger(kOstatni, QStringLiteral("TloustkaCaryGrafu"), 1);
  a.UkazujSpotrebu = file.ReadBool(kOstatni, QStringLiteral("UkazujSpotrebu"), false);
  a.PopisGrafu = file.ReadString(kOstatni, QStringLiteral("PopisGrafu"), DefaultPopisGrafu());
  a.Windows7 = file.ReadBool(kOstatni, QStringLiteral("Windows7"), false);
  a.BarvaChybaIndex = file.ReadInteger(kOstatni, QStringLiteral("BarvaChybaIndex"), 10);
  a.BarvaChyba = file.ReadInteger(kOstatni, QStringLiteral("BarvaChyba"), 255);
  a.BarvaAlarmIndex = file.ReadInteger(kOstatni, QStringLiteral("BarvaAlarmIndex"), 12);
  a.BarvaAlarm = file.ReadInteger(kOstatni, QStringLiteral("BarvaAlarm"), 65535);
  a.PrednabizetGraf2D = file.ReadBool(kOstatni, QStringLiteral("PrednabizetGraf2D"), true);
  a.TypDB = file.ReadInteger(kOstatni, QStringLiteral("TypDB"), 0);
  a.Chart3DPercent = file.ReadInteger(kOstatni, QStringLiteral("Chart3DPercent"), 15);
  a.Language = file.ReadInteger(kOstatni, QStringLiteral("Language"), 1);
}

void ReadMeasurementParameters(const SettingsFile& file, AppSettings& a) {
  a.Teplota = file.ReadInteger(kParametry, QStringLiteral("Teplota"), 20);
  a.AtmosferickyTlak = file.ReadFloat(kParametry, QStringLiteral("AtmosferickyTlak"), 101.325);
  a.CidloTeploty = file.ReadBool(kParametry, QStringLiteral("CidloTeploty"), false);
}

QString DefaultTopicPrefix() {
  return QStringLiteral("kestrilon4/") + QSysInfo::machineHostName();
}

void ReadMqtt(const SettingsFile& file, MqttSettings& m) {
  m.Active = file.ReadBool(kMqtt, QStringLiteral("Active"), false);
  m.Host = file.ReadString(kMqtt, QStringLiteral("Host"), QStringLiteral("127.0.0.1"));
  m.Port = file.ReadInteger(kMqtt, QStringLiteral("Port"), 1883);
  if (m.Port < 1 || m.Port > 65535) m.Port = 1883;
  m.TopicPrefix = file.ReadString(kMqtt, QStringLiteral("TopicPrefix"), DefaultTopicPrefix());
  m.ClientId = file.ReadString(kMqtt, QStringLiteral("ClientId"), QString());
  m.User = file.ReadString(kMqtt, QStringLiteral("User"), QString());
  m.Password = file.ReadString(kMqtt, QStringLiteral("Password"), QString());
  m.PasswordFile = file.ReadString(kMqtt, QStringLiteral("PasswordFile"), QString());
  m.Tls = file.ReadBool(kMqtt, QStringLiteral("Tls"), false);
  m.CaFile = file.ReadString(kMqtt, QStringLiteral("CaFile"), QString());
  m.Qos = file.ReadInteger(kMqtt, QStringLiteral("Qos"), 1) == 0 ? 0 : 1;
  m.HomeAssistant = file.ReadBool(kMqtt, QStringLiteral("HomeAssistant"), false);
}

void WriteExitKeys(SettingsFile& file, const WindowGeometry& w, const AppSettings& a) {
  file.WriteInteger(kOkno, QStringLiteral("Top"), w.Top);
  file.WriteInteger(kOkno, QStringLiteral("Left"), w.Left);
  file.WriteInteger(kOkno, QStringLiteral("Height"), w.Height);
  file.WriteInteger(kOkno, QStringLiteral("Width"), w.Width);
  file.WriteBool(kOstatni, QStringLiteral("PrednabizetGraf2D"), a.PrednabizetGraf2D);
  file.WriteInteger(kOstatni, QStringLiteral("TypDB"), a.TypDB);
  file.WriteInteger(kOstatni, QStringLiteral("Chart3DPercent"), a.Chart3DPercent);
  file.WriteInteger(kOstatni, QStringLiteral("Language"), a.Language);
}

void WriteDialogKeys(SettingsFile& file, const AppSettings& a, const TimerIntervals& timers) {
  for (int n = 1; n <= kInputCount; ++n) {
    const QString s = ChannelSection(n);
    const ChannelSettings& c = a.Channel(n);
    file.WriteBool(s, QStringLiteral("Activ"), c.Activ);
    file.WriteFloat(s, QStringLiteral("4mA"), c.Value4mA);
    file.WriteFloat(s, QStringLiteral("20mA"), c.Value20mA);
    file.WriteInteger(s, QStringLiteral("AlarmMIN"), c.AlarmMIN);
    file.WriteInteger(s, QStringLiteral("AlarmMAX"), c.AlarmMAX);
    file.WriteInteger(s, QStringLiteral("JednotkaIndex"), c.JednotkaIndex);
    file.WriteInteger(s, QStringLiteral("BarvaCaryIndex"), c.BarvaCaryIndex);
    file.WriteInteger(s, QStringLiteral("BarvaCary"), c.BarvaCary);
  }
  file.WriteString(kAd4eth, QStringLiteral("IP"), a.IP);
  file.WriteString(kAd4eth, QStringLiteral("Port"), a.Port);
  file.WriteBool(kAd4eth, QStringLiteral("Autopripojeni"), a.Autopripojeni);
  file.WriteInteger(kAd4eth, QStringLiteral("Perioda"), timers.MeasuringPeriod());
  file.WriteInteger(kAd4eth, QStringLiteral("PocetVzorkuNaPrumer"), a.PocetVzorkuNaPrumer);
  file.WriteString(kArchivace, QStringLiteral("DatabaseDir"), a.DatabaseDir);
  file.WriteBool(kArchivace, QStringLiteral("PomalaActive"), a.PomalaActive);
  file.WriteInteger(kArchivace, QStringLiteral("PomalaInterval"), timers.SlowArchiveInterval());
  file.WriteBool(kArchivace, QStringLiteral("RychlaActive"), a.RychlaActive);
  file.WriteInteger(kArchivace, QStringLiteral("RychlaInterval"), timers.FastArchiveInterval());
  file.WriteInteger(kOstatni, QStringLiteral("DatumOdOffset"), a.DatumOdOffset);
  file.WriteInteger(kOstatni, QStringLiteral("TloustkaCaryGrafu"), a.TloustkaCaryGrafu);
  file.WriteBool(kOstatni, QStringLiteral("UkazujSpotrebu"), a.UkazujSpotrebu);
  file.WriteString(kOstatni, QStringLiteral("PopisGrafu"), a.PopisGrafu);
  file.WriteBool(kOstatni, QStringLiteral("Windows7"), a.Windows7);
  file.WriteInteger(kOstatni, QStringLiteral("BarvaChybaIndex"), a.BarvaChybaIndex);
  file.WriteInteger(kOstatni, QStringLiteral("BarvaChyba"), a.BarvaChyba);
  file.WriteInteger(kOstatni, QStringLiteral("BarvaAlarmIndex"), a.BarvaAlarmIndex);
  file.WriteInteger(kOstatni, QStringLiteral("BarvaAlarm"), a.BarvaAlarm);
  const MqttSettings& m = a.Mqtt;
  file.WriteBool(kMqtt, QStringLiteral("Active"), m.Active);
  file.WriteString(kMqtt, QStringLiteral("Host"), m.Host);
  file.WriteInteger(kMqtt, QStringLiteral("Port"), m.Port);
  file.WriteString(kMqtt, QStringLiteral("TopicPrefix"), m.TopicPrefix);
  file.WriteString(kMqtt, QStringLiteral("ClientId"), m.ClientId);
  file.WriteString(kMqtt, QStringLiteral("User"), m.User);
  file.WriteString(kMqtt, QStringLiteral("Password"), m.Password);
  file.WriteBool(kMqtt, QStringLiteral("Tls"), m.Tls);
  file.WriteString(kMqtt, QStringLiteral("CaFile"), m.CaFile);
  file.WriteInteger(kMqtt, QStringLiteral("Qos"), m.Qos);
}

void WriteMeasurementParameterKeys(SettingsFile& file, const AppSettings& a) {
  file.WriteInteger(kParametry, QStringLiteral("Teplota"), a.Teplota);
  file.WriteFloat(kParametry, QStringLiteral("AtmosferickyTlak"), a.AtmosferickyTlak);
  file.WriteBool(kParametry, QStringLiteral("CidloTeploty"), a.CidloTeploty);
}

}  // namespace SettingsSchema
