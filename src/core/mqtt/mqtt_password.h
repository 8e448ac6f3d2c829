#pragma once

#include <QString>
#include <optional>

struct MqttSettings;

// The MQTT password from outside the settings file: the first line of `PasswordFile` when one is
// named (empty when it cannot be read), else systemd's credential "mqtt-password"
// ($CREDENTIALS_DIRECTORY, LoadCredential=) when present, else $KESTRILON_MQTT_PASSWORD when set;
// nothing when none applies.
std::optional<QString> MqttPasswordFromFile(const MqttSettings& settings);
// The credential file a service gets from LoadCredential=mqtt-password:..., or empty.
QString MqttCredentialPath();

// The same rule for any password: the first line of `passwordFile` when named, else the credential
// `credential`, else the environment variable `environment`.
std::optional<QString> PasswordFromOutside(const QString& passwordFile, const QString& credential,
                                           const char* environment);
