// Publishing against a real mosquitto broker on 127.0.0.1, driven by the station's own recording path.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "mqtt/mqtt_password.h"
#include "support/core_fixture.h"
#include "mqtt/home_assistant.h"
#include "mqtt/mqtt_messages.h"
#include "mqtt/mqtt_publisher.h"
#include "station/log_message.h"
#include "station/station.h"
#include "support/fake_converter.h"
#include "support/mqtt_broker.h"
#include "support/smtp_server.h"

namespace {
// A station measuring from a fake converter, publishing to `port`, its fast archive every 100 ms.
struct PublishingStation {
  // `inputs`: the inputs' sections (by default inputs 1 and 3 off, input 4 in alarm).
  PublishingStation(quint16 brokerPort, const QByteArray& extraMqtt = {},
                    const QByteArray& inputs = "[ANALOG_IN1]\r\nActiv=0\r\n[ANALOG_IN3]\r\nActiv=0\r\n"
                                               "[ANALOG_IN4]\r\nAlarmMAX=50\r\n") {
    converter.status = {0x80, 0x80, 0x80, 0x01};
    converter.raw = {5000, 2500, 5000, 10000};
    QFile ini(dir.filePath(QStringLiteral("kestrilon4.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("[AD4ETH]\r\nIP=127.0.0.1\r\nPort=%1\r\nPerioda=50\r\nPocetVzorkuNaPrumer=0\r\n"
                             "[ARCHIVACE]\r\nDatabaseDir=%2\r\nRychlaActive=1\r\nRychlaInterval=100\r\n"
                             "[MQTT]\r\nActive=1\r\nHost=127.0.0.1\r\nPort=%3\r\nTopicPrefix=plant/k4/\r\n")
                  .arg(converter.Port())
                  .arg(dir.filePath(QStringLiteral("archiv")))
                  .arg(brokerPort)
                  .toUtf8() +
              extraMqtt + inputs);
    ini.close();
    station.LoadSettings(ini.fileName());
    station.Mqtt().SetRetryDelays(200, 400);
    station.ApplyNotificationSettings();
    station.StartMeasuring();
  }
  ~PublishingStation() { station.StopMeasuring(); }
  int ArchiveRows() const {
    int rows = 0;
    const QDir archive(dir.filePath(QStringLiteral("archiv")));
    for (const QString& name : archive.entryList({QStringLiteral("FA_*.csv")}, QDir::Files)) {
      QFile f(archive.filePath(name));
      if (f.open(QIODevice::ReadOnly)) rows += int(f.readAll().count('\n')) - 1;
    }
    return rows;
  }
  QTemporaryDir dir;
  FakeConverter converter;
  Station station;
};

QJsonObject Json(const QByteArray& payload) {
  return QJsonDocument::fromJson(payload).object();
}
}  // namespace

class TestMqtt : public QObject {
  Q_OBJECT
 private slots:
  void topicsJoinPrefixAndName_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("topic");
    QTest::newRow("plain") << "kestrilon4/host" << "kestrilon4/host/IN1";
    QTest::newRow("trailing slash") << "kestrilon4/host/" << "kestrilon4/host/IN1";
    QTest::newRow("empty") << "" << "IN1";
  }
  void topicsJoinPrefixAndName() {
    QFETCH(QString, prefix);
    QFETCH(QString, topic);
    QCOMPARE(MqttTopic(prefix, QStringLiteral("IN1")), topic);
  }

  void stateTimeCarriesItsOffset() {
    // Milliseconds: readings 500 ms apart keep distinct times (a time-series store keys by them).
    const QDateTime prague(QDate(2026, 7, 1), QTime(12, 0, 5, 250), Qt::OffsetFromUTC, 7200);
    const QDateTime utc(QDate(2026, 12, 9), QTime(6, 0, 0), Qt::UTC);
    QCOMPARE(Json(LinkLostMessages(QStringLiteral("p"), prague)[0].payload)[QStringLiteral("time")].toString(),
             QStringLiteral("2026-07-01T12:00:05.250+02:00"));
    QCOMPARE(Json(LinkLostMessages(QStringLiteral("p"), utc)[0].payload)[QStringLiteral("time")].toString(),
             QStringLiteral("2026-12-09T06:00:00.000+00:00"));
  }

  // A known reply, through the station, to the broker and out to a subscriber.
  void publishedTopicsAndPayloads() {
    MqttBroker broker;
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    // What an earlier run left for input 1, switched off now.
    QCOMPARE(QProcess::execute(QStringLiteral("mosquitto_pub"),
                               {QStringLiteral("-p"), QString::number(broker.Port()), QStringLiteral("-t"),
                                QStringLiteral("plant/k4/IN1"), QStringLiteral("-m"), QStringLiteral("12.5000"),
                                QStringLiteral("-r")}),
             0);
    MqttSubscriber subscriber(broker.Port(), QStringLiteral("plant/#"));
    QTRY_VERIFY(subscriber.Connected());
    PublishingStation s(broker.Port());
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.Payloads(QStringLiteral("plant/k4/state")).size() >= 2, 10000);
    QVERIFY(subscriber.Payloads(QStringLiteral("plant/k4/status")).contains("online"));
    QCOMPARE(subscriber.Payloads(QStringLiteral("plant/k4/IN2")).value(0), QByteArray("25.0000"));
    QCOMPARE(subscriber.Payloads(QStringLiteral("plant/k4/IN4")).value(0), QByteArray("100.0000"));
    // Inactive inputs publish no value: their retained topics are cleared (empty), once per connection.
    QCOMPARE(subscriber.Payloads(QStringLiteral("plant/k4/IN1")).mid(1), (QList<QByteArray>{QByteArray()}));
    QCOMPARE(subscriber.Payloads(QStringLiteral("plant/k4/IN3")), (QList<QByteArray>{QByteArray()}));
    const QJsonObject state = Json(subscriber.Payloads(QStringLiteral("plant/k4/state")).last());
    QCOMPARE(state[QStringLiteral("link")].toString(), QStringLiteral("ok"));
    QVERIFY(QDateTime::fromString(state[QStringLiteral("time")].toString(), Qt::ISODate).isValid());
    const QJsonObject inputs = state[QStringLiteral("inputs")].toObject();
    QCOMPARE(inputs.keys(), (QStringList{QStringLiteral("IN2"), QStringLiteral("IN4")}));
    const QJsonObject in2 = inputs[QStringLiteral("IN2")].toObject();
    const QJsonObject in4 = inputs[QStringLiteral("IN4")].toObject();
    QCOMPARE(in2[QStringLiteral("value")].toDouble(), 25.0);
    QCOMPARE(in2[QStringLiteral("unit")].toString(), QStringLiteral("°C"));
    QCOMPARE(std::make_pair(in2[QStringLiteral("alarm")].toBool(), in2[QStringLiteral("error")].toBool()),
             std::make_pair(false, false));
    QCOMPARE(in4[QStringLiteral("value")].toDouble(), 100.0);
    QCOMPARE(in4[QStringLiteral("unit")].toString(), QStringLiteral("Bar"));
    QCOMPARE(std::make_pair(in4[QStringLiteral("alarm")].toBool(), in4[QStringLiteral("error")].toBool()),
             std::make_pair(true, true));
    // Retained: the values and "online", seen by a subscriber that comes after the last publish.
    for (const MqttSubscriber::Message& m : subscriber.Messages())  // delivered live (but the earlier run's)
      QVERIFY(!m.retained || m.payload == "12.5000");
    s.station.StopMeasuring();
    QTest::qWait(300);
    MqttSubscriber late(broker.Port(), QStringLiteral("plant/#"));
    QTRY_VERIFY(late.Messages().size() >= 3);
    QTest::qWait(200);
    QMap<QString, QByteArray> retained;
    for (const MqttSubscriber::Message& m : late.Messages()) {
      QVERIFY2(m.retained, qPrintable(m.topic));
      retained.insert(m.topic, m.payload);
    }
    QCOMPARE(retained.keys(), (QStringList{QStringLiteral("plant/k4/IN2"), QStringLiteral("plant/k4/IN4"),
                                           QStringLiteral("plant/k4/alarms"), QStringLiteral("plant/k4/status")}));
    // Input 4's faulty status is an alarm (no delay): sent as it was raised, in the list of active ones.
    const QJsonObject raised = Json(subscriber.Payloads(QStringLiteral("plant/k4/alarm")).value(0));
    QCOMPARE(raised[QStringLiteral("state")].toString(), QStringLiteral("raised"));
    QCOMPARE(raised[QStringLiteral("kind")].toString(), QStringLiteral("input-error"));
    QVERIFY(raised[QStringLiteral("value")].isNull());
    const QJsonArray alarms = QJsonDocument::fromJson(retained.value(QStringLiteral("plant/k4/alarms"))).array();
    QCOMPARE(alarms.size(), 1);
    QCOMPARE(alarms[0].toObject()[QStringLiteral("kind")].toString(), QStringLiteral("input-error"));
    QCOMPARE(alarms[0].toObject()[QStringLiteral("input")].toInt(), 4);
    QCOMPARE(retained.value(QStringLiteral("plant/k4/IN4")), QByteArray("100.0000"));
    QCOMPARE(retained.value(QStringLiteral("plant/k4/status")), QByteArray("online"));
  }

  // With the temperature sensor, the first reply after a start or a drop is not corrected yet: no
  // published value may carry it (inputs 1 and 3 are the corrected ones).
  void onlyCorrectedValuesPublished() {
    MqttBroker broker;
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    MqttSubscriber subscriber(broker.Port(), QStringLiteral("plant/k4/IN1"));
    QTRY_VERIFY(subscriber.Connected());
    PublishingStation s(broker.Port(), {}, "[PARAMETRY_MERENI]\r\nCidloTeploty=1\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.Payloads(QStringLiteral("plant/k4/IN1")).size() >= 3, 10000);
    s.converter.silent = true;  // a drop, then the link comes back
    QTRY_VERIFY_WITH_TIMEOUT(!s.station.Readings().ReadingsValid, 15000);
    s.converter.silent = false;
    const qsizetype before = subscriber.Payloads(QStringLiteral("plant/k4/IN1")).size();
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.Payloads(QStringLiteral("plant/k4/IN1")).size() >= before + 3, 15000);
    const QByteArray corrected = QByteArray::number(50.0 * (25 + 273.15) * 0.3456421627153335 / 101.325, 'f', 4);
    for (const QByteArray& value : subscriber.Payloads(QStringLiteral("plant/k4/IN1"))) QCOMPARE(value, corrected);
  }

  // Home Assistant's spelling of the units, and a device class only where one fits.
  void homeAssistantUnits_data() {
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("unitIndex");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("deviceClass");
    QTest::newRow("Nm³/h") << 1 << 0 << "Nm³/h" << "";
    QTest::newRow("l/min") << 1 << 2 << "L/min" << "volume_flow_rate";
    QTest::newRow("°C") << 2 << 0 << "°C" << "temperature";
    QTest::newRow("dew point") << 3 << 0 << "°C" << "temperature";
    QTest::newRow("%") << 3 << 1 << "%" << "humidity";
    QTest::newRow("Bar") << 4 << 0 << "bar" << "pressure";
  }
  void homeAssistantUnits() {
    QFETCH(int, input);
    QFETCH(int, unitIndex);
    QFETCH(QString, unit);
    QFETCH(QString, deviceClass);
    const HomeAssistantSensor sensor = HomeAssistantSensorOf(input, unitIndex);
    QCOMPARE(sensor.unit, unit);
    QCOMPARE(sensor.deviceClass, deviceClass);
    if (input == 3 && unitIndex == 0) QCOMPARE(sensor.name, QStringLiteral("Pressure dew point"));
  }

  // Discovery on connect (retained) for the active inputs; switching an input off removes its sensor.
  void homeAssistantDiscovery() {
    MqttBroker broker;
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    MqttSubscriber subscriber(broker.Port(), QStringLiteral("homeassistant/#"));
    QTRY_VERIFY(subscriber.Connected());
    PublishingStation s(broker.Port(), "HomeAssistant=1\r\n");
    const QString in4 = QStringLiteral("homeassistant/sensor/plant_k4/IN4/config");
    QTRY_VERIFY_WITH_TIMEOUT(!subscriber.Payloads(in4).isEmpty(), 10000);
    const QJsonObject config = Json(subscriber.Payloads(in4).last());
    QCOMPARE(config[QStringLiteral("state_topic")].toString(), QStringLiteral("plant/k4/IN4"));
    QCOMPARE(config[QStringLiteral("unit_of_measurement")].toString(), QStringLiteral("bar"));
    QCOMPARE(config[QStringLiteral("device_class")].toString(), QStringLiteral("pressure"));
    QCOMPARE(config[QStringLiteral("state_class")].toString(), QStringLiteral("measurement"));
    QCOMPARE(config[QStringLiteral("availability")].toArray()[0].toObject()[QStringLiteral("topic")].toString(),
             QStringLiteral("plant/k4/status"));
    QCOMPARE(config[QStringLiteral("device")].toObject()[QStringLiteral("model")].toString(), QStringLiteral("AD4ETH"));
    QCOMPARE(config[QStringLiteral("expire_after")].toInt(), 1);  // three periods of 50 ms, at least a second
    QCOMPARE(subscriber.Payloads(QStringLiteral("homeassistant/sensor/plant_k4/IN1/config")).last(), QByteArray());
    MqttSubscriber late(broker.Port(), QStringLiteral("homeassistant/#"));  // retained for who comes later
    QTRY_VERIFY(!late.Payloads(QStringLiteral("homeassistant/sensor/plant_k4/IN2/config")).isEmpty());
    s.station.Settings().Channel(4).Activ = false;
    s.station.ApplyNotificationSettings();
    QTRY_COMPARE(subscriber.Payloads(in4).last(), QByteArray());
  }

  // The device's identifier carries the brand once, whatever the prefix.
  void homeAssistantDeviceIdentifier_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("identifier");
    QTest::newRow("plant prefix") << "plant/k4" << "kestrilon4_plant_k4";
    QTest::newRow("default prefix") << "kestrilon4/hall-2" << "kestrilon4_hall-2";
  }
  void homeAssistantDeviceIdentifier() {
    QFETCH(QString, prefix);
    QFETCH(QString, identifier);
    AppSettings s;
    SetDefaultSettings(s);
    const QJsonObject config = Json(HomeAssistantDiscovery(prefix, s, 6).first().payload);
    QCOMPARE(config[QStringLiteral("device")].toObject()[QStringLiteral("identifiers")].toArray(), QJsonArray{identifier});
  }

  // No reading yet, not "online": a subscriber would take the retained values of an earlier run for now.
  void onlineOnlyFromTheFirstReading() {
    MqttBroker broker;
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    MqttSubscriber subscriber(broker.Port(), QStringLiteral("plant/k4/status"));
    QTRY_VERIFY(subscriber.Connected());
    PublishingStation s(broker.Port());
    s.converter.silent = true;
    QTRY_VERIFY_WITH_TIMEOUT(s.station.Mqtt().State() == MqttState::Connected, 10000);
    QTest::qWait(500);
    QVERIFY(!subscriber.Payloads(QStringLiteral("plant/k4/status")).contains("online"));
    s.converter.silent = false;
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.Payloads(QStringLiteral("plant/k4/status")).contains("online"), 10000);
  }

  void droppedLinkPublishesLostState() {
    MqttBroker broker;
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    MqttSubscriber subscriber(broker.Port(), QStringLiteral("plant/k4/state"));
    QTRY_VERIFY(subscriber.Connected());
    PublishingStation s(broker.Port());
    QTRY_VERIFY_WITH_TIMEOUT(!subscriber.Payloads(QStringLiteral("plant/k4/state")).isEmpty(), 10000);
    s.converter.silent = true;  // no replies: the link drops
    QTRY_VERIFY_WITH_TIMEOUT(
        Json(subscriber.Payloads(QStringLiteral("plant/k4/state")).last())[QStringLiteral("link")].toString() ==
            QStringLiteral("lost"),
        15000);
    const QJsonObject lost = Json(subscriber.Payloads(QStringLiteral("plant/k4/state")).last());
    QVERIFY(lost[QStringLiteral("inputs")].toObject().isEmpty());
    // Where a consumer of retained topics looks: the status says the values are not current.
    MqttSubscriber status(broker.Port(), QStringLiteral("plant/k4/status"));
    QTRY_COMPARE(status.Payloads(QStringLiteral("plant/k4/status")).value(0), QByteArray("link-lost"));
    s.converter.silent = false;
    QTRY_VERIFY_WITH_TIMEOUT(status.Payloads(QStringLiteral("plant/k4/status")).contains("online"), 15000);
  }

  // A broker that stays away: connecting, then disconnected, and no change at each retry (the
  // recorder journals every change: a retry every few seconds made thousands of lines a day).
  void retriesChangeNoState() {
    MqttPublisher publisher;
    QList<MqttState> states;
    connect(&publisher, &MqttPublisher::StateChanged, this, [&](MqttState state) { states << state; });
    publisher.SetRetryDelays(20, 40);
    MqttSettings settings;
    settings.Active = true;
    settings.Host = QStringLiteral("127.0.0.1");
    settings.Port = ClosedPort();
    settings.TopicPrefix = QStringLiteral("plant/k4");
    publisher.Configure(settings);
    QTRY_VERIFY_WITH_TIMEOUT(publisher.ConnectAttempts() >= 5, 10000);
    QTest::qWait(50);
    QCOMPARE(states, (QList<MqttState>{MqttState::Connecting, MqttState::Disconnected}));
  }

  // A clean stop says "offline" itself; the broker would only send the will on a lost connection.
  void stopSaysOffline() {
    MqttBroker broker;
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    MqttSubscriber subscriber(broker.Port(), QStringLiteral("plant/k4/status"));
    QTRY_VERIFY(subscriber.Connected());
    const auto said = [&] { return subscriber.Payloads(QStringLiteral("plant/k4/status")); };
    {
      PublishingStation s(broker.Port());
      QTRY_VERIFY_WITH_TIMEOUT(said().contains("online"), 10000);
    }
    QTRY_COMPARE(said().last(), QByteArray("offline"));
  }

  // The broker goes away during recording: rows go on; it comes back: publishing resumes.
  void brokerStoppedAndRestarted() {
    auto broker = std::make_unique<MqttBroker>();
    QVERIFY2(broker->Start(), qPrintable(broker->Error()));
    PublishingStation s(broker->Port());
    QTRY_VERIFY_WITH_TIMEOUT(s.station.Mqtt().State() == MqttState::Connected, 10000);
    broker->Stop();
    QTRY_VERIFY_WITH_TIMEOUT(s.station.Mqtt().State() != MqttState::Connected, 10000);
    const int rowsAtStop = s.ArchiveRows();
    const int requestsAtStop = s.converter.requests;
    QTest::qWait(1500);
    // 100 ms rows and 50 ms polls: far more than these counts in 1.5 s unless something stalls.
    QVERIFY2(s.ArchiveRows() >= rowsAtStop + 5, qPrintable(QString::number(s.ArchiveRows() - rowsAtStop)));
    QVERIFY(s.converter.requests >= requestsAtStop + 10);

    QVERIFY2(broker->Start(), qPrintable(broker->Error()));
    MqttSubscriber subscriber(broker->Port(), QStringLiteral("plant/k4/#"));
    QTRY_VERIFY_WITH_TIMEOUT(s.station.Mqtt().State() == MqttState::Connected, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.Payloads(QStringLiteral("plant/k4/state")).size() >= 2, 10000);
  }

  void wrongPasswordIsLoggedOnceWithoutRetryStorm() {
    MqttBroker broker(QStringLiteral("station"), QStringLiteral("right"));
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    QStringList errors;
    MqttPublisher publisher;
    QObject::connect(&publisher, &MqttPublisher::LogLine, [&](bool error, const QString& text) {
      if (error) errors << text;
    });
    MqttSettings settings;
    settings.Active = true;
    settings.Host = QStringLiteral("127.0.0.1");
    settings.Port = broker.Port();
    settings.TopicPrefix = QStringLiteral("plant/k4");
    settings.User = QStringLiteral("station");
    settings.Password = QStringLiteral("wrong");
    publisher.Configure(settings);  // the real delays: 1 s, 2 s, 4 s ...
    QTRY_VERIFY_WITH_TIMEOUT(publisher.State() == MqttState::Refused, 10000);
    QTest::qWait(3500);
    // Attempts at 0, 1 and 3 s; without the growing wait a fourth would come at 3 s.
    QVERIFY2(publisher.ConnectAttempts() >= 2 && publisher.ConnectAttempts() <= 3,
             qPrintable(QString::number(publisher.ConnectAttempts())));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QStringLiteral("refused")) && errors[0].contains(QStringLiteral("127.0.0.1")),
             qPrintable(errors[0]));
  }

  // The password kept out of the settings file: the file named in it, else systemd's credential,
  // else the environment.
  void passwordFromOutsideTheFile_data() {
    QTest::addColumn<bool>("named");
    QTest::addColumn<bool>("credential");
    QTest::addColumn<bool>("environment");
    QTest::addColumn<QString>("password");  // "-": none
    QTest::newRow("none") << false << false << false << "-";
    QTest::newRow("environment") << false << false << true << "from-env";
    QTest::newRow("credential before environment") << false << true << true << "from-credential";
    QTest::newRow("named file before all") << true << true << true << "from-file";
  }
  void passwordFromOutsideTheFile() {
    QFETCH(bool, named);
    QFETCH(bool, credential);
    QFETCH(bool, environment);
    QFETCH(QString, password);
    QTemporaryDir dir;
    WriteFileBytes(dir.filePath(QStringLiteral("password")), "from-file\nsecond line\n");
    WriteFileBytes(dir.filePath(QStringLiteral("mqtt-password")), "from-credential\r\n");
    MqttSettings settings;
    if (named) settings.PasswordFile = dir.filePath(QStringLiteral("password"));
    if (credential) qputenv("CREDENTIALS_DIRECTORY", dir.path().toUtf8());
    if (environment) qputenv("KESTRILON_MQTT_PASSWORD", "from-env");
    const std::optional<QString> found = MqttPasswordFromFile(settings);
    qunsetenv("CREDENTIALS_DIRECTORY");
    qunsetenv("KESTRILON_MQTT_PASSWORD");
    QCOMPARE(found.value_or(QStringLiteral("-")), password);
  }

  void rightPasswordConnects() {
    MqttBroker broker(QStringLiteral("station"), QStringLiteral("right"));
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    PublishingStation s(broker.Port(), "User=station\r\nPassword=right\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(s.station.Mqtt().State() == MqttState::Connected, 10000);
  }

  // An alarm is sent on <prefix>/alarm as it changes; acknowledging through <prefix>/alarm/ack
  // (mosquitto_pub, as an integrator would) works only when allowed and on a connection with a login.
  // The station cannot see who published: the README's ACL lets only named users write the topic,
  // and the name told with "by" is journalled.
  void alarmsAcknowledgedFromMqtt_data() {
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<bool>("login");
    QTest::addColumn<bool>("acl");
    QTest::addColumn<QString>("publisher");  // empty: anonymous
    QTest::addColumn<bool>("acknowledged");
    QTest::newRow("allowed, with a login") << true << true << false << "station" << true;
    QTest::newRow("not allowed") << false << true << false << "station" << false;
    QTest::newRow("allowed, anonymous") << true << false << false << "" << false;
    QTest::newRow("ACL: anonymous refused") << true << true << true << "" << false;
    QTest::newRow("ACL: an operator taken") << true << true << true << "operator" << true;
  }
  void alarmsAcknowledgedFromMqtt() {
    QFETCH(bool, allowed);
    QFETCH(bool, login);
    QFETCH(bool, acl);
    QFETCH(QString, publisher);
    QFETCH(bool, acknowledged);
    const QString user = login ? QStringLiteral("station") : QString();
    const QMap<QString, QString> passwords{{QStringLiteral("station"), QStringLiteral("right")},
                                           {QStringLiteral("operator"), QStringLiteral("op-secret")}};
    MqttBroker broker(user, passwords.value(user));
    if (acl)
      broker.UseAcl({{QStringLiteral("station"), QStringLiteral("right")}, {QStringLiteral("operator"), QStringLiteral("op-secret")}},
                    "topic read plant/#\n"
                    "user station\ntopic readwrite plant/k4/#\n"
                    "user operator\ntopic read plant/#\ntopic write plant/+/alarm/ack\n");
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    PublishingStation s(broker.Port(), login ? "User=station\r\nPassword=right\r\n" : "",
                        QByteArray("[ANALOG_IN1]\r\nActiv=0\r\n[ANALOG_IN3]\r\nActiv=0\r\n[ALARMS]\r\nAckFromMqtt=") +
                            (allowed ? "1" : "0") + "\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(s.station.Mqtt().State() == MqttState::Connected, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!s.station.Alarms().Active().isEmpty(), 10000);  // input 4's faulty status
    QStringList told;
    connect(&s.station.Alarms(), &AlarmMonitor::Changed, this, [&](const AlarmChange& c) { told << AlarmChangeText(c); });
    QStringList arguments{"-h", "127.0.0.1", "-p", QString::number(broker.Port()), "-t", "plant/k4/alarm/ack",
                          "-m", R"({"kind": "input-error", "input": 4, "by": "Jana"})"};
    if (!publisher.isEmpty()) arguments << "-u" << publisher << "-P" << passwords.value(publisher);
    QCOMPARE(QProcess::execute(QStringLiteral("mosquitto_pub"), arguments), 0);
    if (acknowledged) {
      QTRY_COMPARE_WITH_TIMEOUT(int(s.station.Alarms().Active().value(0).state), int(AlarmState::Acknowledged), 10000);
      QCOMPARE(told.last(), QStringLiteral("input error: acknowledged from the mqtt by Jana"));
    } else {
      QTest::qWait(1000);
      QCOMPARE(int(s.station.Alarms().Active().value(0).state), int(AlarmState::Raised));
    }
  }

  // The retained list keeps an alarm that cleared unacknowledged and reads [] once the last one is
  // acknowledged.
  void alarmListKeepsWhatNobodySaw() {
    MqttBroker broker;
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    MqttSubscriber subscriber(broker.Port(), QStringLiteral("plant/k4/alarms"));
    QTRY_VERIFY(subscriber.Connected());
    PublishingStation s(broker.Port(), {}, "[ANALOG_IN1]\r\nActiv=0\r\n[ANALOG_IN3]\r\nActiv=0\r\n");
    const auto latest = [&] {
      const QList<QByteArray> payloads = subscriber.Payloads(QStringLiteral("plant/k4/alarms"));
      return payloads.isEmpty() ? QByteArray() : payloads.last();
    };
    const auto states = [&] {
      QStringList listed;
      for (const QJsonValue& a : QJsonDocument::fromJson(latest()).array())
        listed << a.toObject()[QStringLiteral("state")].toString();
      return listed;
    };
    QTRY_COMPARE_WITH_TIMEOUT(states(), QStringList{QStringLiteral("raised")}, 10000);  // input 4 faulty
    s.converter.status = {0x80, 0x80, 0x80, 0x80};
    QTRY_COMPARE_WITH_TIMEOUT(states(), QStringList{QStringLiteral("cleared-unacknowledged")}, 10000);
    s.station.Alarms().AcknowledgeAll(QStringLiteral("window"), QDateTime::currentDateTime());
    QTRY_COMPARE_WITH_TIMEOUT(latest(), QByteArray("[]"), 10000);
  }

  // "Tls=1" is TLS or nothing: the broker's certificate must be trusted (CaFile, or the system's
  // store without one) and name the host; a CA file that cannot be read is an error of its own.
  void tlsVerifiesTheBroker_data() {
    QTest::addColumn<QString>("subjectAltName");
    QTest::addColumn<QString>("caFile");  // "ca": the test's authority
    QTest::addColumn<bool>("plainListener");
    QTest::addColumn<int>("state");
    QTest::newRow("right CA") << "IP:127.0.0.1" << "ca" << false << int(MqttState::Connected);
    QTest::newRow("system store, self-made CA") << "IP:127.0.0.1" << "" << false << int(MqttState::TlsFailed);
    QTest::newRow("missing CA file") << "IP:127.0.0.1" << "/nonexistent/ca.crt" << false
                                     << int(MqttState::CaFileUnreadable);
    QTest::newRow("wrong host name") << "DNS:elsewhere.invalid" << "ca" << false << int(MqttState::TlsFailed);
    // Never a plain connection instead, whatever CaFile says.
    QTest::newRow("plain broker") << "IP:127.0.0.1" << "ca" << true << int(MqttState::TlsFailed);
    QTest::newRow("plain broker, no CA file") << "IP:127.0.0.1" << "" << true << int(MqttState::TlsFailed);
    QTest::newRow("plain broker, missing CA file") << "IP:127.0.0.1" << "/nonexistent/ca.crt" << true
                                                   << int(MqttState::CaFileUnreadable);
  }
  void tlsVerifiesTheBroker() {
    QFETCH(QString, subjectAltName);
    QFETCH(QString, caFile);
    QFETCH(bool, plainListener);
    QFETCH(int, state);
    const TestCertificates certificates(subjectAltName);
    QVERIFY(certificates.Made());
    MqttBroker broker({}, {}, &certificates);
    QVERIFY2(broker.Start(), qPrintable(broker.Error()));
    MqttSubscriber subscriber(broker.Port(), QStringLiteral("plant/#"));
    QTRY_VERIFY(subscriber.Connected());
    QStringList errors;
    MqttPublisher publisher;
    QObject::connect(&publisher, &MqttPublisher::LogLine, [&](bool error, const QString& text) {
      if (error) errors << text;
    });
    publisher.SetRetryDelays(200, 400);
    MqttSettings settings;
    settings.Active = true;
    settings.Host = QStringLiteral("127.0.0.1");
    settings.Port = plainListener ? broker.Port() : broker.TlsPort();
    settings.TopicPrefix = QStringLiteral("plant/k4");
    settings.User = QStringLiteral("station");
    settings.Password = QStringLiteral("secret");
    settings.Tls = true;
    settings.CaFile = caFile == QLatin1String("ca") ? certificates.CaFile() : caFile;
    publisher.Configure(settings);
    QTRY_COMPARE_WITH_TIMEOUT(int(publisher.State()), state, 10000);
    publisher.Publish({{QStringLiteral("plant/k4/IN1"), "1.0", true}});
    QTest::qWait(700);
    const bool connected = state == int(MqttState::Connected);
    QCOMPARE(subscriber.Payloads(QStringLiteral("plant/k4/status")).contains("online"), connected);
    QCOMPARE(subscriber.Payloads(QStringLiteral("plant/k4/IN1")).size(), connected ? 1 : 0);
    QCOMPARE(errors.isEmpty(), connected);
    if (!connected) QCOMPARE(errors.size(), 1);  // once, not once per retry
    if (state == int(MqttState::CaFileUnreadable))
      QVERIFY2(errors[0].contains(QStringLiteral("/nonexistent/ca.crt cannot be read")), qPrintable(errors[0]));
    // No user name ever reached a broker in clear.
    QVERIFY(!broker.Log().contains("station") || connected);
  }

  // A broker that never answers: the event loop runs on, rows are written, and the end is prompt.
  void deafBrokerNeverHangs() {
    DeafListener deaf;
    QVERIFY(deaf.Port() != 0);
    auto s = std::make_unique<PublishingStation>(deaf.Port());
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    QTest::qWait(1500);
    QVERIFY(s->station.Mqtt().State() != MqttState::Connected);
    QVERIFY2(ticks >= 50, qPrintable(QString::number(ticks)));
    QVERIFY(s->ArchiveRows() >= 5);
    s.reset();  // joins the network thread while it still waits for the broker
  }
};

QTEST_GUILESS_MAIN(TestMqtt)
#include "tst_mqtt.moc"
