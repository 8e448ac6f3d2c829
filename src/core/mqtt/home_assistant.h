#pragma once

#include <QList>
#include <QString>

#include "mqtt/mqtt_messages.h"

struct AppSettings;

// How Home Assistant names an input's quantity: its unit in Home Assistant's spelling ("bar", not
// "Bar"; "L/min", not "l/min"), its device class (empty where none fits, as for "Nm³/h") and a name.
struct HomeAssistantSensor {
  QString unit;
  QString deviceClass;
  QString name;
};
HomeAssistantSensor HomeAssistantSensorOf(int input, int unitIndex);

// MQTT discovery for Home Assistant: per input homeassistant/sensor/<node>/IN<n>/config, retained,
// with the device (the station's name, model AD4ETH, version), the state topic <prefix>/IN<n>,
// state_class measurement and availability from <prefix>/status ("online" only). A switched-off
// input gets an empty retained config, which removes its sensor. <node> is the topic prefix with
// every character outside [A-Za-z0-9_-] made "_"; the device's identifier is <node>, with
// "kestrilon4_" before it unless it begins so already. A value not renewed within `expireAfterS`
// seconds shows as unavailable.
QList<MqttMessage> HomeAssistantDiscovery(const QString& prefix, const AppSettings& settings, int expireAfterS);
