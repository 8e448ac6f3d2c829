#include "support/station_processes.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "support/loopback_guard.h"
#include "support/mqtt_broker.h"

QString BuiltProgram(const QString& relative) {
  return qEnvironmentVariable("KESTRILON_BINARY_DIR") + QLatin1Char('/') + relative;
}

QString SystemProgram(const QString& name) {
  const QString found = QStandardPaths::findExecutable(name);
  if (!found.isEmpty()) return found;
  return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/local/sbin"), QStringLiteral("/usr/sbin"),
                                               QStringLiteral("/sbin")});
}

SimulatorProcess::SimulatorProcess() : port(FreeLocalPort()) {
  process_.start(BuiltProgram(QStringLiteral("tools/ad4eth-sim/ad4eth-sim")),
                 {QStringLiteral("--port"), QString::number(port), QStringLiteral("--raw"),
                  QStringLiteral("5000,2500,7500,10000")});
  if (!process_.waitForStarted()) return;
  QByteArray said;
  for (int i = 0; i < 100 && !said.contains("listening"); ++i) {
    process_.waitForReadyRead(100);
    said += process_.readAllStandardOutput();
  }
  listening_ = said.contains("listening");
}

SimulatorProcess::~SimulatorProcess() {
  process_.kill();
  process_.waitForFinished();
}

bool StartRecorder(QProcess& recorder, const QStringList& arguments) {
  const qsizetype settings = arguments.indexOf(QStringLiteral("--settings"));
  if (settings < 0 || settings + 1 >= arguments.size()) qFatal("a test recorder needs its own --settings file");
  RequireLoopbackSettings(arguments[settings + 1]);
  recorder.start(BuiltProgram(QStringLiteral("kestrilon-recorder")), arguments);
  return recorder.waitForStarted();
}

bool StartWindowIn(const QString& folder, QProcess& window) {
  RequireLoopbackSettings(QDir(folder).filePath(QStringLiteral("kestrilon4.ini")));
  const QString copy = QDir(folder).filePath(QStringLiteral("kestrilon4"));
  if (!QFile::copy(BuiltProgram(QStringLiteral("kestrilon4")), copy)) return false;
  QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  window.setProcessEnvironment(env);
  window.start(copy, {});
  return window.waitForStarted();
}
