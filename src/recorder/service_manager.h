#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

// What a service manager (systemd) is told: READY=1 once recording runs, WATCHDOG=1 from the event
// loop at half the watchdog interval (a hung loop stops the pings and the manager restarts the
// recorder), RELOADING=1 and STOPPING=1. Without NOTIFY_SOCKET in the environment it does nothing.
class ServiceManager : public QObject {
 public:
  explicit ServiceManager(QObject* parent = nullptr);
  void Ready();
  void Reloading();
  void Stopping();

 private:
  void Notify(const QByteArray& state);
  QByteArray socketPath_;
  QTimer watchdog_;
};
