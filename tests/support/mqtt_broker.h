#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <mutex>

struct mosquitto;

// A free TCP port on 127.0.0.1 (free when asked; tests bind it at once).
quint16 FreeLocalPort();

// A certificate authority made for one test (openssl) and a broker certificate it signed for a
// given subjectAltName ("IP:127.0.0.1", "DNS:elsewhere.invalid").
class TestCertificates {
 public:
  explicit TestCertificates(const QString& subjectAltName);
  bool Made() const { return made_; }
  QString CaFile() const { return dir_.filePath(QStringLiteral("ca.crt")); }
  QString CertFile() const { return dir_.filePath(QStringLiteral("broker.crt")); }
  QString KeyFile() const { return dir_.filePath(QStringLiteral("broker.key")); }

 private:
  QTemporaryDir dir_;
  bool made_ = false;
};

// A real mosquitto broker for one test, on 127.0.0.1 only and a free port, with a generated
// configuration; with a user it refuses anonymous clients. Stop and Start again keep the port.
// With certificates it also listens with TLS on TlsPort().
class MqttBroker {
 public:
  explicit MqttBroker(const QString& user = {}, const QString& password = {},
                      const TestCertificates* tls = nullptr);
  ~MqttBroker();
  // Anonymous clients allowed, these users with their passwords, and who may do what decided by
  // the ACL file's text (mosquitto's acl_file), as the README's recipe has it. Before Start().
  void UseAcl(const QList<std::pair<QString, QString>>& users, const QByteArray& acl);
  bool Start();  // true once the broker accepts connections
  void Stop();
  quint16 Port() const { return port_; }
  quint16 TlsPort() const { return tlsPort_; }
  QString Error() const { return error_; }
  // What the broker said so far (its log).
  QByteArray Log();

 private:
  void WriteConfig(const QByteArray& access);

  QTemporaryDir dir_;
  QByteArray listeners_;  // the configuration but who may connect
  QProcess process_;
  quint16 port_ = 0;
  quint16 tlsPort_ = 0;
  QString error_;
  QByteArray log_;
};

// A subscriber that collects every message of a topic filter (its own network thread).
class MqttSubscriber {
 public:
  struct Message {
    QString topic;
    QByteArray payload;
    bool retained = false;
  };
  MqttSubscriber(quint16 port, const QString& filter);
  ~MqttSubscriber();
  bool Connected() const;
  QList<Message> Messages() const;
  // Payloads of one topic in arrival order.
  QList<QByteArray> Payloads(const QString& topic) const;

 private:
  mosquitto* client_ = nullptr;
  mutable std::mutex mutex_;
  QList<Message> messages_;
  bool connected_ = false;
  QByteArray filter_;
};

// A listener on 127.0.0.1 that never accepts and whose backlog is full: connections to it hang.
class DeafListener {
 public:
  DeafListener();
  ~DeafListener();
  quint16 Port() const { return port_; }

 private:
  int listener_ = -1;
  QList<int> fillers_;
  quint16 port_ = 0;
};
