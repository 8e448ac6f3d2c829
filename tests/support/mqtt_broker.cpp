#include "support/mqtt_broker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include "support/station_processes.h"

quint16 FreeLocalPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

TestCertificates::TestCertificates(const QString& subjectAltName) {
  auto run = [this](const QStringList& arguments) {
    QProcess openssl;
    openssl.setWorkingDirectory(dir_.path());
    openssl.start(SystemProgram(QStringLiteral("openssl")), arguments);
    return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
  };
  const QStringList key{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                        QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
  QFile extensions(dir_.filePath(QStringLiteral("broker.ext")));
  if (!extensions.open(QIODevice::WriteOnly)) return;
  extensions.write("subjectAltName=" + subjectAltName.toUtf8() + "\n");
  extensions.close();
  made_ = run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + key +
              QStringList{QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"),
                          QStringLiteral("ca.crt"), QStringLiteral("-subj"), QStringLiteral("/CN=Kestrilon test CA"),
                          QStringLiteral("-days"), QStringLiteral("2")}) &&
          run(QStringList{QStringLiteral("req")} + key +
              QStringList{QStringLiteral("-keyout"), QStringLiteral("broker.key"), QStringLiteral("-out"),
                          QStringLiteral("broker.csr"), QStringLiteral("-subj"), QStringLiteral("/CN=test broker")}) &&
          run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), QStringLiteral("broker.csr"),
               QStringLiteral("-CA"), QStringLiteral("ca.crt"), QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
               QStringLiteral("-CAcreateserial"), QStringLiteral("-out"), QStringLiteral("broker.crt"),
               QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"), QStringLiteral("broker.ext")});
}

MqttBroker::MqttBroker(const QString& user, const QString& password, const TestCertificates* tls)
    : port_(FreeLocalPort()) {
  QByteArray config = QStringLiteral("listener %1 127.0.0.1\npersistence false\nlog_dest stderr\n").arg(port_).toUtf8();
  if (tls) {
    tlsPort_ = FreeLocalPort();
    config += QStringLiteral("listener %1 127.0.0.1\ncafile %2\ncertfile %3\nkeyfile %4\n")
                  .arg(tlsPort_)
                  .arg(tls->CaFile(), tls->CertFile(), tls->KeyFile())
                  .toUtf8();
  }
  // Run as root, mosquitto would change to its own user, which cannot read this test's files.
  if (const passwd* me = getpwuid(getuid())) config += QByteArray("user ") + me->pw_name + '\n';
  listeners_ = config;
  if (user.isEmpty()) {
    WriteConfig("allow_anonymous true\n");
  } else {
    const QString passwords = dir_.filePath(QStringLiteral("passwords"));
    QProcess::execute(SystemProgram(QStringLiteral("mosquitto_passwd")), {QStringLiteral("-c"), QStringLiteral("-b"), passwords, user, password});
    WriteConfig("allow_anonymous false\npassword_file " + passwords.toUtf8() + '\n');
  }
  process_.setProcessChannelMode(QProcess::MergedChannels);
}

void MqttBroker::WriteConfig(const QByteArray& access) {
  QFile file(dir_.filePath(QStringLiteral("mosquitto.conf")));
  if (file.open(QIODevice::WriteOnly)) file.write(listeners_ + access);
}

void MqttBroker::UseAcl(const QList<std::pair<QString, QString>>& users, const QByteArray& acl) {
  const QString passwords = dir_.filePath(QStringLiteral("passwords")), aclFile = dir_.filePath(QStringLiteral("acl"));
  QFile::remove(passwords);
  for (const auto& [user, password] : users) {
    QStringList arguments{QStringLiteral("-b"), passwords, user, password};
    if (!QFile::exists(passwords)) arguments.prepend(QStringLiteral("-c"));
    QProcess::execute(SystemProgram(QStringLiteral("mosquitto_passwd")), arguments);
  }
  QFile file(aclFile);
  if (file.open(QIODevice::WriteOnly)) file.write(acl);
  file.close();
  WriteConfig("allow_anonymous true\npassword_file " + passwords.toUtf8() + "\nacl_file " + aclFile.toUtf8() + '\n');
}

MqttBroker::~MqttBroker() {
  Stop();
}

bool MqttBroker::Start() {
  const QString mosquitto = SystemProgram(QStringLiteral("mosquitto"));
  if (mosquitto.isEmpty()) {
    error_ = QStringLiteral("mosquitto is not installed (not on PATH, nor in /usr/sbin or /sbin): apt-get install mosquitto");
    return false;
  }
  process_.start(mosquitto, {QStringLiteral("-c"), dir_.filePath(QStringLiteral("mosquitto.conf"))});
  if (!process_.waitForStarted(5000)) {
    error_ = process_.errorString();
    return false;
  }
  const QDeadlineTimer deadline(10000);
  while (!deadline.hasExpired()) {
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port_);
    if (probe.waitForConnected(200)) return true;
    if (process_.state() != QProcess::Running) break;
    QThread::msleep(50);
  }
  error_ = QString::fromLocal8Bit(process_.readAll());
  return false;
}

QByteArray MqttBroker::Log() {
  log_ += process_.readAll();
  return log_;
}

void MqttBroker::Stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(2000);
  }
}

MqttSubscriber::MqttSubscriber(quint16 port, const QString& filter) : filter_(filter.toUtf8()) {
  mosquitto_lib_init();
  client_ = mosquitto_new(nullptr, true, this);
  mosquitto_connect_callback_set(client_, [](mosquitto* m, void* data, int rc) {
    auto* self = static_cast<MqttSubscriber*>(data);
    if (rc != 0) return;
    mosquitto_subscribe(m, nullptr, self->filter_.constData(), 1);
    std::lock_guard lock(self->mutex_);
    self->connected_ = true;
  });
  mosquitto_message_callback_set(client_, [](mosquitto*, void* data, const mosquitto_message* m) {
    auto* self = static_cast<MqttSubscriber*>(data);
    std::lock_guard lock(self->mutex_);
    self->messages_.append({QString::fromUtf8(m->topic),
                            QByteArray(static_cast<const char*>(m->payload), m->payloadlen), m->retain});
  });
  mosquitto_connect(client_, "127.0.0.1", port, 30);
  mosquitto_loop_start(client_);
}

MqttSubscriber::~MqttSubscriber() {
  mosquitto_disconnect(client_);
  mosquitto_loop_stop(client_, true);
  mosquitto_destroy(client_);
}

bool MqttSubscriber::Connected() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

QList<MqttSubscriber::Message> MqttSubscriber::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

QList<QByteArray> MqttSubscriber::Payloads(const QString& topic) const {
  QList<QByteArray> payloads;
  for (const Message& m : Messages())
    if (m.topic == topic) payloads << m.payload;
  return payloads;
}

DeafListener::DeafListener() {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return;
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  ::listen(listener_, 0);
  // Fill the backlog with connections of our own that nobody accepts.
  for (int i = 0; i < 4; ++i) {
    const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
    ::fcntl(filler, F_SETFL, O_NONBLOCK);
    ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers_ << filler;
  }
}

DeafListener::~DeafListener() {
  for (int filler : fillers_) ::close(filler);
  if (listener_ >= 0) ::close(listener_);
}
