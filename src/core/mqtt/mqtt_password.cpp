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
}  // namespace

QString MqttCredentialPath() {
  const QString folder = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
  if (folder.isEmpty()) return {};
  const QString path = QDir(folder).filePath(QStringLiteral("mqtt-password"));
  return QFileInfo(path).isFile() ? path : QString();
}

std::optional<QString> MqttPasswordFromFile(const MqttSettings& settings) {
  if (!settings.PasswordFile.isEmpty()) return FirstLine(settings.PasswordFile);
  if (const QString credential = MqttCredentialPath(); !credential.isEmpty()) return FirstLine(credential);
  if (qEnvironmentVariableIsSet("KESTRILON_MQTT_PASSWORD")) return qEnvironmentVariable("KESTRILON_MQTT_PASSWORD");
  return std::nullopt;
}
