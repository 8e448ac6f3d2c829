#include "alarms/alarm_monitor.h"

#include <algorithm>
#include <cmath>

#include "ledger/ledger.h"
#include "station/clock.h"

namespace {
struct KindText {
  AlarmKind kind;
  const char* name;
  const char* text;
};
constexpr KindText kKinds[] = {
    {AlarmKind::High, "high", "above the upper limit"},
    {AlarmKind::Low, "low", "below the lower limit"},
    {AlarmKind::InputError, "input-error", "input error"},
    {AlarmKind::DewPoint, "dew-point", "dew point above its class"},
    {AlarmKind::NoData, "no-data", "no data from the converter"},
    {AlarmKind::ArchiveNotWritten, "archive-not-written", "archive rows not written"},
    {AlarmKind::BrokerUnreachable, "broker-unreachable", "MQTT broker unreachable"},
};

const KindText& Of(AlarmKind kind) {
  for (const KindText& k : kKinds)
    if (k.kind == kind) return k;
  return kKinds[0];
}

QString Number(double v) {
  return QString::number(v, 'f', 4);
}
}  // namespace

QString AlarmKindName(AlarmKind kind) {
  return QLatin1String(Of(kind).name);
}

QString AlarmStateName(AlarmState state) {
  switch (state) {
    case AlarmState::Raised:
      return QStringLiteral("raised");
    case AlarmState::Acknowledged:
      return QStringLiteral("acknowledged");
    case AlarmState::ClearedUnacknowledged:
      return QStringLiteral("cleared-unacknowledged");
    case AlarmState::Cleared:
      break;
  }
  return QStringLiteral("cleared");
}

std::optional<AlarmKind> AlarmKindNamed(const QString& name) {
  for (const KindText& k : kKinds)
    if (name == QLatin1String(k.name)) return k.kind;
  return std::nullopt;
}

std::optional<AlarmState> AlarmStateNamed(const QString& name) {
  for (const AlarmState s : {AlarmState::Raised, AlarmState::Acknowledged, AlarmState::ClearedUnacknowledged})
    if (name == AlarmStateName(s)) return s;
  return std::nullopt;
}

void AlarmMonitor::Restore(const QList<Alarm>& listed) {
  if (active_.isEmpty()) active_ = listed;
}

std::optional<AlarmKind> AlarmKindOfText(const QString& text) {
  for (const KindText& k : kKinds)
    if (text == QLatin1String(k.text) || text.startsWith(QLatin1String(k.text) + QLatin1Char(':'))) return k.kind;
  return std::nullopt;
}

QString AlarmChangeText(const AlarmChange& change) {
  const Alarm& a = change.alarm;
  QString text = QLatin1String(Of(a.kind).text);
  if (a.state == AlarmState::Acknowledged)
    return text + QStringLiteral(": acknowledged from the ") + change.by +
           (change.name.isEmpty() ? QString() : QStringLiteral(" by ") + change.name);
  QStringList details;
  if (a.value) details << QStringLiteral("value ") + Number(*a.value);
  if (a.limit) details << QStringLiteral("limit ") + Number(*a.limit);
  if (a.state == AlarmState::Cleared)
    details << QStringLiteral("raised ") + Clock::IsoSeconds(a.raisedAt);
  return details.isEmpty() ? text : text + QStringLiteral(": ") + details.join(QStringLiteral(", "));
}

Alarm* AlarmMonitor::Find(AlarmKind kind, int input) {
  for (Alarm& a : active_)
    if (a.kind == kind && a.input == input) return &a;
  return nullptr;
}

void AlarmMonitor::Judge(AlarmKind kind, int input, bool holds, bool backInside, const QDateTime& now,
                         qint64 delay, std::optional<double> value, std::optional<double> limit) {
  const Key key{kind, input};
  Alarm* listed = Find(kind, input);
  if (listed && listed->state != AlarmState::ClearedUnacknowledged) {
    if (backInside) Clear(kind, input, now, value);
    return;
  }
  if (!holds) {
    holdsSince_.erase(key);
    return;
  }
  const qint64 t = now.toMSecsSinceEpoch();
  const qint64 since = holdsSince_.try_emplace(key, t).first->second;
  // Readings come a period apart, a little early or late: the one nearest the delay meets it (never
  // one that found the condition first, however long the step before it was).
  const qint64 held = t - since;
  if (held + std::min(halfStep_, held) < delay) return;
  holdsSince_.erase(key);
  if (listed) {  // raised again before anyone saw it: the same row, counted
    listed->state = AlarmState::Raised;
    listed->value = value;
    listed->limit = limit;
    ++listed->count;
    listed->lastRaised = now;
    emit Changed({now, *listed, {}, {}});
    return;
  }
  active_.append(Alarm{kind, input, now, AlarmState::Raised, value, limit, 1, now});
  emit Changed({now, active_.last(), {}, {}});
}

void AlarmMonitor::Clear(AlarmKind kind, int input, const QDateTime& now, std::optional<double> value) {
  holdsSince_.erase({kind, input});
  for (qsizetype i = 0; i < active_.size(); ++i) {
    Alarm& a = active_[i];
    if (a.kind != kind || a.input != input || a.state == AlarmState::ClearedUnacknowledged) continue;
    Alarm cleared = a;
    cleared.state = AlarmState::Cleared;
    cleared.value = value;
    if (a.state == AlarmState::Raised) {  // listed until acknowledged
      a.state = AlarmState::ClearedUnacknowledged;
      a.value = value;
    } else {
      active_.removeAt(i);
    }
    emit Changed({now, cleared, {}, {}});
    return;
  }
}

void AlarmMonitor::Inputs(const QDateTime& now, const AppSettings& s,
                          const std::array<AlarmInput, kInputCount>& inputs) {
  const std::optional<double> dewLimit = DewPointLimit(s);
  for (int n = 1; n <= kInputCount; ++n) {
    const AlarmInput& in = inputs[size_t(n - 1)];
    const ChannelSettings& c = s.Channel(n);
    const qint64 delay = qint64(c.AlarmDelay) * 1000;
    if (!in.active) {  // a switched-off input has no alarms
      for (AlarmKind kind : {AlarmKind::InputError, AlarmKind::High, AlarmKind::Low, AlarmKind::DewPoint})
        Clear(kind, n, now);
      continue;
    }
    const double band = std::abs(c.Value20mA - c.Value4mA) * c.AlarmHysteresis / 100.0;
    const double v = in.average;
    Judge(AlarmKind::InputError, n, !in.healthy, in.healthy, now, delay);
    // The limits judge healthy values only; a faulty input keeps what it had.
    Judge(AlarmKind::High, n, in.healthy && v > c.AlarmMaxLimit, in.healthy && v <= c.AlarmMaxLimit - band, now,
          delay, v, c.AlarmMaxLimit);
    Judge(AlarmKind::Low, n, in.healthy && v < c.AlarmMinLimit, in.healthy && v >= c.AlarmMinLimit + band, now,
          delay, v, c.AlarmMinLimit);
    if (n == kHumidityInput) {
      if (dewLimit)
        Judge(AlarmKind::DewPoint, n, in.healthy && in.display > *dewLimit,
              in.healthy && in.display <= *dewLimit - band, now, delay, in.display, *dewLimit);
      else
        Clear(AlarmKind::DewPoint, n, now);
    }
  }
}

void AlarmMonitor::ReplyAccepted(const QDateTime& now) {
  lastReply_ = now.toMSecsSinceEpoch();
  Clear(AlarmKind::NoData, 0, now);
}

void AlarmMonitor::Measuring(bool on, const QDateTime& now) {
  if (on && !measuring_) lastReply_ = now.toMSecsSinceEpoch();
  measuring_ = on;
  if (!on) Clear(AlarmKind::NoData, 0, now);  // stopping is no fault
}

void AlarmMonitor::ArchiveWritable(bool writable, const QDateTime& now) {
  Judge(AlarmKind::ArchiveNotWritten, 0, !writable, writable, now, 0);
}

void AlarmMonitor::Broker(bool active, bool connected, const QDateTime& now) {
  if (!active || connected) {
    brokerDownSince_.reset();
    Clear(AlarmKind::BrokerUnreachable, 0, now);
  } else if (!brokerDownSince_) {
    brokerDownSince_ = now.toMSecsSinceEpoch();
  }
}

void AlarmMonitor::Tick(const QDateTime& now, const AppSettings& s) {
  const qint64 t = now.toMSecsSinceEpoch();
  if (measuring_ && !Find(AlarmKind::NoData, 0) && t - lastReply_ >= qint64(s.Alarms.NoReply) * 1000)
    Judge(AlarmKind::NoData, 0, true, false, now, 0);
  if (brokerDownSince_ && t - *brokerDownSince_ >= qint64(s.Alarms.BrokerDown) * 60000)
    Judge(AlarmKind::BrokerUnreachable, 0, true, false, now, 0);
}

bool AlarmMonitor::Acknowledge(AlarmKind kind, int input, const QString& by, const QDateTime& now,
                               const QString& name) {
  Alarm* a = Find(kind, input);
  if (!a || a->state == AlarmState::Acknowledged) return false;
  const bool over = a->state == AlarmState::ClearedUnacknowledged;
  a->state = AlarmState::Acknowledged;
  const Alarm acknowledged = *a;
  if (over) active_.removeAt(a - active_.data());  // seen: nothing is left to list
  emit Changed({now, acknowledged, by, name});
  return true;
}

int AlarmMonitor::AcknowledgeAll(const QString& by, const QDateTime& now, const QString& name) {
  int count = 0;
  for (const Alarm& a : QList<Alarm>(active_)) count += Acknowledge(a.kind, a.input, by, now, name);
  return count;
}

bool AlarmMonitor::AnyUnacknowledged() const {
  for (const Alarm& a : active_)
    if (a.state == AlarmState::Raised || a.state == AlarmState::ClearedUnacknowledged) return true;
  return false;
}
