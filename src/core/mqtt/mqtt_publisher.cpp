#include "mqtt/mqtt_publisher.h"

#include <mosquitto.h>

#include <QFile>
#include <cerrno>
#include <QMetaObject>
#include <chrono>


namespace {
void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

// The system's trusted certificates when no CA file is named (Debian's hashed folder; Windows and
// others: the library's own use of the platform's store).
#ifdef Q_OS_LINUX
constexpr const char* kSystemCertificates = "/etc/ssl/certs";
#else
constexpr const char* kSystemCertificates = nullptr;
#endif

QString LibraryText(int rc) {
  return QString::fromUtf8(rc == MOSQ_ERR_ERRNO ? strerror(errno) : mosquitto_strerror(rc));
}

QString Target(const MqttSettings& s) {
  return QStringLiteral("%1:%2").arg(s.Host).arg(s.Port);
}

// A TLS connection that ended before the broker accepted it: the handshake failed.
QString TlsProblem(const MqttSettings& s, int rc) {
  return QStringLiteral("MQTT: TLS with %1 failed (%2): the broker's certificate is not trusted, not issued to "
                        "\"%3\", or the broker speaks no TLS")
      .arg(Target(s), rc == MOSQ_ERR_TLS ? QStringLiteral("TLS error") : LibraryText(rc), s.Host);
}

// Connection results of MQTT 3.1.1 that no retry can mend without a change of the settings.
QString RefusalText(int code) {
  switch (code) {
    case 1: return QStringLiteral("protocol version not accepted");
    case 2: return QStringLiteral("client id rejected");
    case 3: return QStringLiteral("broker unavailable");
    case 4: return QStringLiteral("bad user name or password");
    case 5: return QStringLiteral("not authorised (check User and Password)");
    default: return QStringLiteral("refused (code %1)").arg(code);
  }
}
}  // namespace

QString MqttStateName(MqttState state) {
  static const char* const names[] = {"off",          "connecting",         "connected", "refused",
                                      "disconnected", "CA file unreadable", "TLS failed"};
  return QLatin1String(names[int(state)]);
}

// What the network thread's callbacks report; lives on the thread's stack.
struct MqttPublisher::Worker {
  MqttPublisher* owner = nullptr;
  bool connected = false;
  bool lost = false;
  int refusal = -1;  // the broker's connection result when it refused
};

MqttPublisher::MqttPublisher(QObject* parent) : QObject(parent) {
  InitLibraryOnce();
}

MqttPublisher::~MqttPublisher() {
  Stop();
}

void MqttPublisher::SetRetryDelays(int firstMs, int longestMs) {
  firstDelayMs_ = firstMs;
  longestDelayMs_ = longestMs;
}

void MqttPublisher::Configure(const MqttSettings& settings) {
  if (thread_.joinable() && settings == settings_) return;  // the same target: the connection stays
  Stop();
  settings_ = settings;
  attempts_ = 0;
  lastProblem_.clear();
  if (!settings.Active) {
    ReportState(MqttState::Off);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    stop_ = false;
    pending_.clear();
  }
  ReportState(MqttState::Connecting);
  thread_ = std::thread([this, settings] { Run(settings); });
}

void MqttPublisher::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void MqttPublisher::Publish(const QList<MqttMessage>& messages, bool eachOne) {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    // Keyed by topic, so that only the latest reading of a topic waits; an event of its own keeps
    // its place behind the earlier ones.
    for (const MqttMessage& m : messages)
      pending_[eachOne ? m.topic + QChar(0) + QStringLiteral("%1").arg(++sequence_, 12, 10, QLatin1Char('0'))
                       : m.topic] = m;
  }
  wake_.notify_all();
}

void MqttPublisher::Subscribe(const QString& topic) {
  std::lock_guard lock(mutex_);
  subscription_ = topic.toUtf8();
}

void MqttPublisher::SetStatus(const QByteArray& status) {
  {
    std::lock_guard lock(mutex_);
    if (status_ == status) return;
    status_ = status;
  }
  Publish({{MqttTopic(settings_.TopicPrefix, QStringLiteral("status")), status, true}});
}

std::map<QString, MqttMessage> MqttPublisher::TakePending() {
  std::lock_guard lock(mutex_);
  return std::exchange(pending_, {});
}

bool MqttPublisher::WaitUnlessStopped(int ms) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_; });
}

void MqttPublisher::ReportState(MqttState state) {
  QMetaObject::invokeMethod(this, [this, state] {
    if (state_ == state) return;
    state_ = state;
    emit StateChanged(state);
  }, Qt::QueuedConnection);
}

void MqttPublisher::ReportProblem(const QString& text) {
  QMetaObject::invokeMethod(this, [this, text] {
    if (text == lastProblem_) return;  // one line per problem, not one per retry
    lastProblem_ = text;
    emit LogLine(true, text);
  }, Qt::QueuedConnection);
}

void MqttPublisher::Run(const MqttSettings& s) {
  const QByteArray host = s.Host.toUtf8();
  const QByteArray statusTopic = MqttTopic(s.TopicPrefix, QStringLiteral("status")).toUtf8();
  const QByteArray clientId = s.ClientId.toUtf8();
  const int qos = s.Qos == 0 ? 0 : 1;
  int delay = firstDelayMs_;
  bool stopping = false;
  bool failed = false;  // since the last connection: retries keep the failure's state, not "connecting"
  while (!stopping) {
    ++attempts_;
    if (!failed) ReportState(MqttState::Connecting);
    // A fresh client per attempt: nothing queued for a lost connection is sent late.
    Worker worker;
    worker.owner = this;
    mosquitto* client = mosquitto_new(clientId.isEmpty() ? nullptr : clientId.constData(), true, &worker);
    if (!client) {
      ReportProblem(QStringLiteral("MQTT: no client could be created"));
      return;
    }
    mosquitto_connect_callback_set(client, [](mosquitto*, void* data, int result) {
      auto* w = static_cast<Worker*>(data);
      if (result == 0)
        w->connected = true;
      else
        w->refusal = result;
    });
    mosquitto_disconnect_callback_set(client, [](mosquitto*, void* data, int) {
      static_cast<Worker*>(data)->lost = true;
    });
    mosquitto_message_callback_set(client, [](mosquitto*, void* data, const mosquitto_message* m) {
      MqttPublisher* owner = static_cast<Worker*>(data)->owner;
      const QString topic = QString::fromUtf8(m->topic);
      const QByteArray payload(static_cast<const char*>(m->payload), m->payloadlen);
      QMetaObject::invokeMethod(owner, [owner, topic, payload] { emit owner->Received(topic, payload); },
                                Qt::QueuedConnection);
    });
    MqttState failure = MqttState::Disconnected;
    QString problem = Prepare(client, s, statusTopic, qos, &failure);
    if (!problem.isEmpty()) {
      mosquitto_destroy(client);
      ReportState(failure);
      ReportProblem(problem);
      if (!WaitUnlessStopped(delay)) break;
      delay = std::min(delay * 2, longestDelayMs_);
      continue;
    }
    int rc = mosquitto_connect_async(client, host.constData(), s.Port, 30);
    if (rc != MOSQ_ERR_SUCCESS) {
      if (s.Tls && rc == MOSQ_ERR_TLS) {
        failure = MqttState::TlsFailed;
        problem = TlsProblem(s, rc);
      } else {
        problem = QStringLiteral("MQTT: cannot connect to %1: %2").arg(Target(s), LibraryText(rc));
      }
    } else {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
      bool online = false;
      while (true) {
        {
          std::lock_guard lock(mutex_);
          stopping = stop_;
        }
        if (stopping) break;
        rc = mosquitto_loop(client, online ? 100 : 50, 1);
        if (worker.refusal >= 0) {
          problem = QStringLiteral("MQTT: broker %1 refused the connection: %2").arg(Target(s), RefusalText(worker.refusal));
          break;
        }
        if (worker.connected && !online) {
          online = true;
          delay = firstDelayMs_;
          QByteArray status;
          {
            std::lock_guard lock(mutex_);
            status = status_;
          }
          rc = mosquitto_publish(client, nullptr, statusTopic.constData(), int(status.size()), status.constData(),
                                 qos, true);
          if (rc != MOSQ_ERR_SUCCESS) {
            problem = QStringLiteral("MQTT: status not published to %1: %2").arg(Target(s), LibraryText(rc));
            break;
          }
          QByteArray subscription;
          {
            std::lock_guard lock(mutex_);
            subscription = subscription_;
          }
          if (!subscription.isEmpty()) rc = mosquitto_subscribe(client, nullptr, subscription.constData(), qos);
          if (rc != MOSQ_ERR_SUCCESS) {
            problem = QStringLiteral("MQTT: %1 not subscribed at %2: %3")
                          .arg(QString::fromUtf8(subscription), Target(s), LibraryText(rc));
            break;
          }
          ReportState(MqttState::Connected);
          QMetaObject::invokeMethod(this, [this, target = Target(s)] {
            lastProblem_.clear();
            emit LogLine(false, QStringLiteral("MQTT: connected to ") + target);
          }, Qt::QueuedConnection);
        }
        if (worker.lost || (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN)) {
          const bool noBroker = rc == MOSQ_ERR_ERRNO && errno == ECONNREFUSED;
          if (s.Tls && !online && !noBroker) {
            // Ended before the broker said yes: with TLS that is the handshake (an untrusted
            // certificate, another host name, or no TLS at the other end).
            failure = MqttState::TlsFailed;
            problem = TlsProblem(s, rc);
          } else {
            problem = QStringLiteral("MQTT: connection to %1 lost").arg(Target(s));
          }
          break;
        }
        if (!online && std::chrono::steady_clock::now() > deadline) {
          problem = QStringLiteral("MQTT: broker %1 did not answer").arg(Target(s));
          break;
        }
        if (online)
          for (auto& [key, m] : TakePending()) {
            const QByteArray t = m.topic.toUtf8();
            rc = mosquitto_publish(client, nullptr, t.constData(), int(m.payload.size()), m.payload.constData(),
                                   qos, m.retain);
            if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN)
              ReportProblem(QStringLiteral("MQTT: %1 not published: %2").arg(m.topic, LibraryText(rc)));
          }
      }
      if (stopping && online) {
        // A clean goodbye: the will is not sent on a requested disconnect, so say it ourselves.
        int mid = 0;
        mosquitto_publish(client, &mid, statusTopic.constData(), 7, "offline", qos, true);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
        while (mosquitto_want_write(client) && std::chrono::steady_clock::now() < until)
          mosquitto_loop(client, 50, 1);
        // Until the broker has the DISCONNECT: a connection closed before it would send the will.
        mosquitto_disconnect(client);
        while (!worker.lost && std::chrono::steady_clock::now() < until + std::chrono::milliseconds(1000))
          mosquitto_loop(client, 50, 1);
      }
    }
    mosquitto_destroy(client);
    if (stopping) break;
    ReportState(worker.refusal >= 0 ? MqttState::Refused : failure);
    failed = true;
    ReportProblem(problem);
    if (!WaitUnlessStopped(delay)) break;
    delay = std::min(delay * 2, longestDelayMs_);
  }
  ReportState(MqttState::Off);
}

QString MqttPublisher::Prepare(mosquitto* client, const MqttSettings& s, const QByteArray& statusTopic, int qos,
                               MqttState* failure) {
  const QByteArray user = s.User.toUtf8();
  const QByteArray password = s.Password.toUtf8();
  int rc = mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  if (rc == MOSQ_ERR_SUCCESS && !user.isEmpty())
    rc = mosquitto_username_pw_set(client, user.constData(), password.constData());
  if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_will_set(client, statusTopic.constData(), 7, "offline", qos, true);
  if (rc != MOSQ_ERR_SUCCESS) return QStringLiteral("MQTT: client not set up: %1").arg(LibraryText(rc));
  if (!s.Tls) return {};

  if (s.CaFile.isEmpty()) {
    rc = mosquitto_int_option(client, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
    if (rc == MOSQ_ERR_SUCCESS)
      rc = mosquitto_tls_set(client, nullptr, kSystemCertificates, nullptr, nullptr, nullptr);
  } else {
    const QByteArray caFile = QFile::encodeName(s.CaFile);
    rc = mosquitto_tls_set(client, caFile.constData(), nullptr, nullptr, nullptr, nullptr);
    if (rc == MOSQ_ERR_INVAL) {
      *failure = MqttState::CaFileUnreadable;
      return QStringLiteral("MQTT: the CA file %1 cannot be read; not connecting to %2").arg(s.CaFile, Target(s));
    }
  }
  // The broker's certificate must be valid and name the host connected to.
  if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_tls_opts_set(client, 1, nullptr, nullptr);
  if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_tls_insecure_set(client, false);
  if (rc == MOSQ_ERR_SUCCESS) return {};
  *failure = MqttState::TlsFailed;
  return QStringLiteral("MQTT: TLS not set up for %1: %2").arg(Target(s), LibraryText(rc));
}
