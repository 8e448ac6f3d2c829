#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <map>
#include <optional>

#include "config/app_settings.h"

// Alarms that are not missed: conditions raised after their delay and cleared past their
// hysteresis, each with a state an operator acknowledges. The overview's colours do not come from
// here (they follow the limits at once); this is what is journalled, shown in the alarm list and
// sent.

enum class AlarmKind { High, Low, InputError, DewPoint, NoData, ArchiveNotWritten, BrokerUnreachable };
enum class AlarmState { Raised, Acknowledged, Cleared };

struct Alarm {
  AlarmKind kind = AlarmKind::High;
  int input = 0;  // 1-4; 0 for the station-wide ones
  QDateTime raisedAt;
  AlarmState state = AlarmState::Raised;
  std::optional<double> value;  // when raised (and when cleared, for the change)
  std::optional<double> limit;
};

struct AlarmChange {
  QDateTime at;
  Alarm alarm;  // its state after the change
  QString by;   // who acknowledged: "window", "mqtt"
};

// "high", "low", "input-error", "dew-point", "no-data", "archive-not-written", "broker-unreachable";
// "raised", "acknowledged", "cleared": the names on the wire and in the journal.
QString AlarmKindName(AlarmKind kind);
QString AlarmStateName(AlarmState state);
std::optional<AlarmKind> AlarmKindNamed(const QString& name);
// The kind a journal text of a change begins with.
std::optional<AlarmKind> AlarmKindOfText(const QString& text);
// The journal's text of a change: "above the upper limit: value 85.1234, limit 80.0000".
QString AlarmChangeText(const AlarmChange& change);

// One input at a reply, as the alarms see it.
struct AlarmInput {
  bool active = false;
  bool healthy = false;  // status "80"
  double average = 0;    // AverageValue: the limits' units
  double display = 0;    // DisplayValue: the dew point in °C tp
};

class AlarmMonitor : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  // After each processed reply.
  void Inputs(const QDateTime& now, const AppSettings& settings, const std::array<AlarmInput, kInputCount>& inputs);
  void ReplyAccepted(const QDateTime& now);
  void Measuring(bool on, const QDateTime& now);
  void ArchiveWritable(bool writable, const QDateTime& now);
  void Broker(bool active, bool connected, const QDateTime& now);
  // Every second or so: the alarms that wait for time alone (no data, the broker).
  void Tick(const QDateTime& now, const AppSettings& settings);

  // Acknowledges a raised alarm; false when there is none of that kind and input.
  bool Acknowledge(AlarmKind kind, int input, const QString& by, const QDateTime& now);
  int AcknowledgeAll(const QString& by, const QDateTime& now);

  QList<Alarm> Active() const { return active_; }  // raised or acknowledged, in the order raised
  bool AnyUnacknowledged() const;

 signals:
  void Changed(const AlarmChange& change);

 private:
  using Key = std::pair<AlarmKind, int>;
  // A condition that holds from `holds` on raises after `delay` ms; `backInside` clears it.
  void Judge(AlarmKind kind, int input, bool holds, bool backInside, const QDateTime& now, qint64 delay,
             std::optional<double> value = {}, std::optional<double> limit = {});
  void Clear(AlarmKind kind, int input, const QDateTime& now, std::optional<double> value = {});
  Alarm* Find(AlarmKind kind, int input);

  QList<Alarm> active_;
  std::map<Key, qint64> holdsSince_;  // ms since the epoch, per condition that holds and is not raised
  bool measuring_ = false;
  qint64 lastReply_ = 0;  // or the start of measuring
  std::optional<qint64> brokerDownSince_;
};
