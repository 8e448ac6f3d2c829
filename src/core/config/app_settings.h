#pragma once

#include <QString>
#include <array>

// The converter's four inputs, numbered 1..4, and their fixed roles.
inline constexpr int kInputCount = 4;
enum InputRole : int { kFlowInput = 1, kTemperatureInput = 2, kHumidityInput = 3, kPressureInput = 4 };
// Inputs corrected for air temperature and pressure and converted to their flow unit.
constexpr bool IsCorrectedInput(int n) { return n == kFlowInput || n == kHumidityInput; }

// "JednotkaIndex" of the corrected inputs (1 and 3): the flow units.
enum FlowUnit : int { kNormalCubicMetresPerHour = 0, kMetresPerSecond = 1, kLitresPerMinute = 2, kKilogramsPerHour = 3 };
// "JednotkaIndex" of the temperature input (2).
enum TemperatureUnit : int { kCelsius = 0, kKelvin = 1 };
// "Language": the interface language; other values select no table.
enum InterfaceLanguage : int { kCzech = 1, kEnglish = 2 };

// One analogue input's settings (sections ANALOG_IN1..4).
struct ChannelSettings {
  bool Activ = false;    // input active
  double Value4mA = 0;   // physical value at 4 mA
  double Value20mA = 0;  // physical value at 20 mA
  int AlarmMIN = 0;      // percent of the span
  int AlarmMAX = 0;      // percent of the span
  int JednotkaIndex = 0;  // unit index (FlowUnit for inputs 1 and 3, TemperatureUnit for input 2)
  int BarvaCaryIndex = 0;  // line colour: entry of the colour list
  int BarvaCary = 0;       // line colour, 0x00BBGGRR
  int AlarmDelay = 0;       // s an alarm condition must hold before it is raised (section ALARM_IN)
  int AlarmHysteresis = 0;  // percent of the span the value must be back inside before it clears
  // Derived, in physical units; recomputed whenever the points or percentages are set.
  double AlarmMinLimit = 0;
  double AlarmMaxLimit = 0;

  void UpdateAlarmLimits() {
    AlarmMinLimit = Value4mA + (Value20mA - Value4mA) * 0.01 * AlarmMIN;
    AlarmMaxLimit = Value4mA + (Value20mA - Value4mA) * 0.01 * AlarmMAX;
  }
};

// Publishing over MQTT (section MQTT).
struct MqttSettings {
  bool Active = false;
  QString Host;
  int Port = 1883;
  QString TopicPrefix;  // topics are <TopicPrefix>/IN1 .. /IN4, /state, /status
  QString ClientId;     // empty: the library makes one up
  QString User;         // empty: no authentication
  QString Password;
  // A file whose first line is the password (set by hand, never written by the station), for a
  // settings file others may read; a service may instead get it as the credential "mqtt-password".
  QString PasswordFile;
  bool Tls = false;
  QString CaFile;  // certificate authority of the broker's certificate (with Tls)
  int Qos = 1;     // 0 or 1
  bool HomeAssistant = false;  // MQTT discovery for Home Assistant (set by hand in the file)

  bool operator==(const MqttSettings&) const = default;
};

// Station-wide alarms (section ALARMS).
struct AlarmSettings {
  int NoReply = 0;           // s without an accepted reply while measuring: the no-data alarm
  int BrokerDown = 0;        // min the MQTT broker is unreachable: an alarm
  bool AckFromMqtt = false;  // acknowledging through <prefix>/alarm/ack (set by hand)
};

// Alarms by e-mail (section MAIL, set by hand in the file).
struct MailSettings {
  bool Active = false;
  QString Server;      // SMTP server's host name or address
  int Port = 587;
  int Security = 1;    // 0 none, 1 STARTTLS (required), 2 TLS from the start (smtps)
  QString CaFile;      // certificate authority of the server's certificate (empty: the system's)
  QString User;        // empty: no login
  QString Password;
  QString PasswordFile;  // a file whose first line is the password
  QString From;
  QString To;          // recipients, separated by ","
  int DigestCount = 5;    // more raised alarms than this within
  int DigestMinutes = 10;  // these minutes go out as one digest

  bool operator==(const MailSettings&) const = default;
};

// Reports the recorder writes by itself when their period has ended (section REPORTS, set by hand).
struct ReportSettings {
  bool Day = false;
  bool Week = false;
  bool Month = false;
  QString Folder;     // empty: "Reports" below the archive folder
  bool Mail = false;  // mailed through the MAIL section's server to its recipients
};

// The consumption ledger (section LEDGER, set by hand in the file).
struct LedgerSettings {
  double PipeDiameter = 0;   // inner diameter of the pipe, mm, for a flow in m/s; 0 unknown
  int GapFast = 0;           // longest step between rows still integrated, s, fast archive
  int GapSlow = 0;           // and slow archive
  QString Shifts;            // shift start times, "6:00,14:00,22:00"
  double Price = 0;          // per consumption unit; 0 no cost
  QString Currency;          // "Kč"
  QString ProductionDays;    // weekdays with production, "1,2,3,4,5" (1 Monday .. 7 Sunday)
  QString ProductionHours;   // "6:00-22:00"; an end not after the start runs over midnight
  int DewPointClass = 0;     // ISO 8573-1 humidity class 1-6 of input 3 in "°C tp"; 0 none
};

// Every settings key held in memory while the station runs. The three timer intervals are held by
// their timers (TimerIntervals), the window geometry by the window. Starts with empty texts and zeros;
// the load fills the defaults.
struct AppSettings {
  std::array<ChannelSettings, kInputCount> Channels;
  ChannelSettings& Channel(int n) { return Channels[n - 1]; }
  const ChannelSettings& Channel(int n) const { return Channels[n - 1]; }

  // AD4ETH
  QString IP;
  QString Port;
  bool Autopripojeni = false;   // measure from start-up (auto-connect)
  int PocetVzorkuNaPrumer = 0;  // samples of the running average
  // ARCHIVACE
  QString DatabaseDir;         // archive folder
  bool PomalaActive = false;   // daily ("slow") archive on
  bool RychlaActive = false;   // hourly ("fast") archive on
  // OSTATNI
  int DatumOdOffset = 0;          // days before today proposed as "from"
  int TloustkaCaryGrafu = 0;      // chart line width
  bool UkazujSpotrebu = false;    // draw the consumption of input 1
  QString PopisGrafu;             // chart caption
  bool Windows7 = false;          // archive separator "," instead of ";"
  int BarvaChybaIndex = 0;        // colour of a faulty input: list entry
  int BarvaChyba = 0;             // and the colour, 0x00BBGGRR
  int BarvaAlarmIndex = 0;        // colour of an input in alarm: list entry
  int BarvaAlarm = 0;             // and the colour
  bool PrednabizetGraf2D = false; // from-to chart in 2D (else 3D)
  bool ChartBands = false;        // history charts: an axis per quantity (else one axis)
  int TypDB = 0;                  // the archive the from-to chart reads (ArchiveKindOfTypDB)
  int Chart3DPercent = 0;         // 3D depth, percent
  int Language = 0;               // InterfaceLanguage
  // PARAMETRY_MERENI
  int Teplota = 0;              // air temperature without a sensor, °C
  double AtmosferickyTlak = 0;  // atmospheric pressure, kPa
  bool CidloTeploty = false;    // air temperature from the sensor on input 2
  // MQTT
  MqttSettings Mqtt;
  LedgerSettings Ledger;
  AlarmSettings Alarms;
  MailSettings Mail;
  ReportSettings Reports;

  QString ArchiveSeparator;  // "," when Windows7, ";" otherwise
  void UpdateArchiveSeparator() { ArchiveSeparator = Windows7 ? QStringLiteral(",") : QStringLiteral(";"); }
};

// The timers that hold the three interval keys. The reply time-out always follows the period.
class TimerIntervals {
 public:
  virtual ~TimerIntervals() = default;
  virtual int MeasuringPeriod() const = 0;
  virtual void SetMeasuringPeriod(int ms) = 0;
  virtual int SlowArchiveInterval() const = 0;
  virtual void SetSlowArchiveInterval(int ms) = 0;
  virtual int FastArchiveInterval() const = 0;
  virtual void SetFastArchiveInterval(int ms) = 0;
};

// The intervals as plain values, where no timers run (the settings check, tests).
class PlainIntervals : public TimerIntervals {
 public:
  int MeasuringPeriod() const override { return period_; }
  void SetMeasuringPeriod(int ms) override { period_ = ms; }
  int SlowArchiveInterval() const override { return slow_; }
  void SetSlowArchiveInterval(int ms) override { slow_ = ms; }
  int FastArchiveInterval() const override { return fast_; }
  void SetFastArchiveInterval(int ms) override { fast_ = ms; }

 private:
  int period_ = 0;
  int slow_ = 0;
  int fast_ = 0;
};

struct WindowGeometry {
  int Top = 0;
  int Left = 0;
  int Height = 0;
  int Width = 0;
};
