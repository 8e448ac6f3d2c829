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
// An alarm whose condition ended before anyone acknowledged it stays listed as
// ClearedUnacknowledged until it is: an alarm of the night is seen in the morning.
enum class AlarmState { Raised, Acknowledged, Cleared, ClearedUnacknowledged };

struct Alarm {
  AlarmKind kind = AlarmKind::High;
  int input = 0;  // 1-4; 0 for the station-wide ones
  QDateTime raisedAt;
  AlarmState state = AlarmState::Raised;
  std::optional<double> value;  // when raised (and when cleared, for the change)
  std::optional<double> limit;
  int count = 1;         // times raised while listed
  QDateTime lastRaised;  // the latest of them
};

struct AlarmChange {
  QDateTime at;
  Alarm alarm;  // its state after the change
  QString by;    // where it was acknowledged: "window", "mqtt"
  QString name;  // who acknowledged, as told (may be empty)
};

// "high", "low", "input-error", "dew-point", "no-data", "archive-not-written", "broker-unreachable";
// "raised", "acknowledged", "cleared", "cleared-unacknowledged": the names on the wire and in the
// journal.
QString AlarmKindName(AlarmKind kind);
QString AlarmStateName(AlarmState state);
std::optional<AlarmKind> AlarmKindNamed(const QString& name);
std::optional<AlarmState> AlarmStateNamed(const QString& name);
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

  // The measuring period: a delay is met by the reading within half of it.
  void SetReadingPeriod(int ms) { halfStep_ = std::max(0, ms) / 2; }
  // After each processed reply.
  void Inputs(const QDateTime& now, const AppSettings& settings, const std::array<AlarmInput, kInputCount>& inputs);
  void ReplyAccepted(const QDateTime& now);
  void Measuring(bool on, const QDateTime& now);
  void ArchiveWritable(bool writable, const QDateTime& now);
  void Broker(bool active, bool connected, const QDateTime& now);
  // Every second or so: the alarms that wait for time alone (no data, the broker).
  void Tick(const QDateTime& now, const AppSettings& settings);

  // Acknowledges a raised alarm; false when there is none of that kind and input.
  // Acknowledges a listed alarm; a cleared one leaves the list. False when there is none of that
  // kind and input to acknowledge.
  bool Acknowledge(AlarmKind kind, int input, const QString& by, const QDateTime& now, const QString& name = {});
  int AcknowledgeAll(const QString& by, const QDateTime& now, const QString& name = {});

  // The list an earlier run left (an empty list only): each keeps its state, is not told again and
  // clears, with its change, at the first judgement that finds its condition over.
  void Restore(const QList<Alarm>& listed);
  // Listed alarms: raised, acknowledged or cleared unacknowledged, in the order first raised.
  QList<Alarm> Active() const { return active_; }
  bool AnyUnacknowledged() const;  // raised, or cleared unacknowledged

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
  qint64 halfStep_ = 0;  // ms: half the measuring period, the delays' tolerance
};
