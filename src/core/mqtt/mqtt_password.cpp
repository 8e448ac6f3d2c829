#include "mqtt/mqtt_password.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "config/app_settings.h"

namespace {
QString FirstLine(const QString& path) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return {};
  QByteArray line = file.readLine(4096);
  while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
  return QString::fromUtf8(line);
}


QString CredentialPath(const QString& name) {
  const QString folder = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
  if (folder.isEmpty()) return {};
  const QString path = QDir(folder).filePath(name);
  return QFileInfo(path).isFile() ? path : QString();
}
}  // namespace

QString MqttCredentialPath() {
  return CredentialPath(QStringLiteral("mqtt-password"));
}

std::optional<QString> PasswordFromOutside(const QString& passwordFile, const QString& credential,
                                           const char* environment) {
  if (!passwordFile.isEmpty()) return FirstLine(passwordFile);
  if (const QString path = CredentialPath(credential); !path.isEmpty()) return FirstLine(path);
  if (qEnvironmentVariableIsSet(environment)) return qEnvironmentVariable(environment);
  return std::nullopt;
}

std::optional<QString> MqttPasswordFromFile(const MqttSettings& settings) {
  return PasswordFromOutside(settings.PasswordFile, QStringLiteral("mqtt-password"), "KESTRILON_MQTT_PASSWORD");
}
