#pragma once

#include <QProcess>
#include <QString>

// The built programs, run as processes on 127.0.0.1 (KESTRILON_BINARY_DIR names the build folder).
QString BuiltProgram(const QString& relative);

// A program of the system by name: on PATH, or in the folders a normal user's PATH leaves out
// (/usr/sbin and /sbin on Debian, where mosquitto lives). Empty when it is not installed.
QString SystemProgram(const QString& name);

// The converter simulator with fixed raw values 5000, 2500, 7500, 10000 on a free port.
class SimulatorProcess {
 public:
  SimulatorProcess();
  ~SimulatorProcess();
  bool Listening() const { return listening_; }
  quint16 port;

 private:
  QProcess process_;
  bool listening_ = false;
};

// kestrilon-recorder with these arguments; its "--settings" file must point at 127.0.0.1.
bool StartRecorder(QProcess& recorder, const QStringList& arguments);

// Copies the window program into `folder` (it reads its settings beside itself) and starts it offscreen.
bool StartWindowIn(const QString& folder, QProcess& window);
