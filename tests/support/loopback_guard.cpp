#include "support/loopback_guard.h"

#include <QHostAddress>
#include <QtGlobal>

#include "config/settings_file.h"
#include "config/settings_schema.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>

bool IsLocalAddress(const sockaddr* address) {
  if (!address) return false;
  switch (address->sa_family) {
    case AF_UNIX:
      return true;
    case AF_INET: {
      const auto* in = reinterpret_cast<const sockaddr_in*>(address);
      return (ntohl(in->sin_addr.s_addr) >> 24) == 127;
    }
    case AF_INET6: {
      const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
      if (IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr)) return true;
      return IN6_IS_ADDR_V4MAPPED(&in6->sin6_addr) && in6->sin6_addr.s6_addr[12] == 127;
    }
    default:
      return false;
  }
}

void RequireLoopbackSettings(const QString& iniPath) {
  AppSettings settings;
  PlainIntervals timers;
  SettingsSchema::ReadAll(SettingsFile(iniPath), settings, timers);
  const QString& ip = settings.IP;
  const MqttSettings& mqtt = settings.Mqtt;
  const bool converterLocal = QHostAddress(ip.trimmed()).isLoopback();
  const bool brokerLocal = !mqtt.Active || QHostAddress(mqtt.Host.trimmed()).isLoopback();
  if (!converterLocal || !brokerLocal)
    qFatal("%s: a test station must talk to 127.0.0.1 only (IP=%s, MQTT host %s)", qPrintable(iniPath),
           qPrintable(ip), qPrintable(mqtt.Host));
}

// Linked into every test executable ahead of the C library: Qt's sockets and libmosquitto connect
// through here.
extern "C" int connect(int fd, const sockaddr* address, socklen_t length) {
  using Connect = int (*)(int, const sockaddr*, socklen_t);
  static const auto real = reinterpret_cast<Connect>(dlsym(RTLD_NEXT, "connect"));
  if (!IsLocalAddress(address)) qFatal("a test tried to connect outside this machine: refused before sending");
  return real(fd, address, length);
}
