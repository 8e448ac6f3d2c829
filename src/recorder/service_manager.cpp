#include "service_manager.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <algorithm>
#include <cstddef>

#ifdef Q_OS_LINUX
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#endif

ServiceManager::ServiceManager(QObject* parent) : QObject(parent) {
  socketPath_ = qgetenv("NOTIFY_SOCKET");
  if (socketPath_.isEmpty()) return;
  bool ok = false;
  const qint64 usec = qEnvironmentVariable("WATCHDOG_USEC").toLongLong(&ok);
  const QByteArray pid = qgetenv("WATCHDOG_PID");
  if (!ok || usec <= 0 || (!pid.isEmpty() && pid.toLongLong() != QCoreApplication::applicationPid())) return;
  watchdog_.setInterval(int(qMax<qint64>(1, usec / 2000)));
  connect(&watchdog_, &QTimer::timeout, this, [this] { Notify("WATCHDOG=1"); });
  watchdog_.start();
}

void ServiceManager::Ready() {
  Notify("READY=1\nSTATUS=recording");
}

void ServiceManager::Reloading() {
  Notify("RELOADING=1");
}

void ServiceManager::Stopping() {
  watchdog_.stop();
  Notify("STOPPING=1");
}

void ServiceManager::Notify(const QByteArray& state) {
#ifdef Q_OS_LINUX
  if (socketPath_.isEmpty()) return;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const size_t length = std::min(size_t(socketPath_.size()), sizeof(address.sun_path) - 1);
  std::memcpy(address.sun_path, socketPath_.constData(), length);
  if (address.sun_path[0] == '@') address.sun_path[0] = '\0';  // the abstract namespace
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  ::sendto(fd, state.constData(), size_t(state.size()), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
           socklen_t(offsetof(sockaddr_un, sun_path) + length));
  ::close(fd);
#else
  Q_UNUSED(state);
#endif
}
