#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "config/app_settings.h"
#include "mqtt/mqtt_messages.h"

struct mosquitto;

// Where the connection to the broker stands. With TLS the broker is verified (certificate and host
// name) against CaFile or, without one, the system's certificate store; never a plain connection.
enum class MqttState { Off, Connecting, Connected, Refused, Disconnected, CaFileUnreadable, TlsFailed };
// "off", "connecting", "connected", "refused", "disconnected", "CA file unreadable", "TLS failed".
QString MqttStateName(MqttState state);

// Publishes to an MQTT broker from a network thread of its own (libmosquitto), so that the broker,
// slow or gone, never delays polling, processing or archiving. Publish() only hands over: per topic
// the latest message waits, older ones are replaced (the archive is the record, not the broker).
// The thread connects, publishes its status retained on <prefix>/status (the last will says "offline"),
// and after a refusal, a time-out or a lost connection tries again after 1, 2, 4 ... 60 s.
// State changes and log lines reach the object's thread as queued calls.
class MqttPublisher : public QObject {
  Q_OBJECT
 public:
  // How long a connection may take to be accepted before it counts as failed.
  static constexpr int kConnectTimeoutMs = 10000;

  explicit MqttPublisher(QObject* parent = nullptr);
  ~MqttPublisher() override;  // says "offline" when connected, then stops the thread

  // Starts, restarts (another target) or stops (inactive) the network thread.
  void Configure(const MqttSettings& settings);
  // Only the latest message of a topic waits for the connection, unless each one counts (events).
  void Publish(const QList<MqttMessage>& messages, bool eachOne = false);
  // The topic subscribed at every connection (empty: none); what arrives is Received.
  void Subscribe(const QString& topic);
  // What <prefix>/status says (retained) while connected: "online" while readings come, "link-lost"
  // while the converter does not answer; published now and again on every connect. The broker's
  // last will says "offline".
  void SetStatus(const QByteArray& status);

  const MqttSettings& Settings() const { return settings_; }
  MqttState State() const { return state_; }
  // Connections tried since Configure (each attempt, whatever its end).
  int ConnectAttempts() const { return attempts_.load(); }
  // The shortest and longest wait between attempts (tests shorten them).
  void SetRetryDelays(int firstMs, int longestMs);

 signals:
  void StateChanged(MqttState state);
  // A line for the station's log: a problem (once until the next connection) or a connection.
  void LogLine(bool error, const QString& text);
  void Received(const QString& topic, const QByteArray& payload);

 private:
  struct Worker;
  void Stop();
  void Run(const MqttSettings& settings);
  // Sets the client up for the settings; the reason when a libmosquitto call refused.
  static QString Prepare(mosquitto* client, const MqttSettings& settings, const QByteArray& statusTopic, int qos,
                         MqttState* failure);
  void ReportState(MqttState state);
  void ReportProblem(const QString& text);
  bool WaitUnlessStopped(int ms);
  std::map<QString, MqttMessage> TakePending();

  MqttSettings settings_;
  MqttState state_ = MqttState::Off;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::map<QString, MqttMessage> pending_;  // topic to the latest message not yet handed to the library
  qint64 sequence_ = 0;                     // of the events among them
  QByteArray subscription_;
  QByteArray status_ = "online";           // guarded by mutex_
  std::atomic<int> attempts_{0};
  int firstDelayMs_ = 1000;
  int longestDelayMs_ = 60000;
  QString lastProblem_;  // a repeated problem is logged once
};
