#include <QtTest>
#include <cmath>

#include "measurement/channel_processing.h"
#include "support/station_fixture.h"

class TestMeasurement : public QObject {
  Q_OBJECT

  static AppSettings Defaults() {
    AppSettings s;
    SetDefaultSettings(s);
    return s;
  }

 private slots:
  void scaling_data() {
    QTest::addColumn<double>("at4mA");
    QTest::addColumn<double>("at20mA");
    QTest::addColumn<int>("raw");
    QTest::addColumn<double>("value");
    QTest::newRow("4 mA point") << 0.0 << 100.0 << 0 << 0.0;
    QTest::newRow("middle") << 0.0 << 100.0 << 5000 << 50.0;
    QTest::newRow("20 mA point") << 0.0 << 100.0 << 10000 << 100.0;
    QTest::newRow("beyond 10000") << 0.0 << 100.0 << 65535 << 655.35;
    QTest::newRow("falling scale") << 100.0 << 0.0 << 2500 << 75.0;
    QTest::newRow("equal points") << 7.0 << 7.0 << 4321 << 7.0;
  }
  void scaling() {
    QFETCH(double, at4mA);
    QFETCH(double, at20mA);
    QFETCH(int, raw);
    QFETCH(double, value);
    ChannelSettings c;
    c.Value4mA = at4mA;
    c.Value20mA = at20mA;
    QVERIFY(qFuzzyCompare(1 + ScaleRaw(c, raw), 1 + value));
  }

  void averaging_data() {
    QTest::addColumn<int>("samples");
    QTest::addColumn<double>("average");
    QTest::addColumn<double>("instant");
    QTest::addColumn<double>("result");
    QTest::newRow("N 10") << 10 << 0.0 << 11.0 << 1.0;
    QTest::newRow("N 0 follows") << 0 << 5.0 << 11.0 << 11.0;
    QTest::newRow("negative N follows") << -3 << 5.0 << 11.0 << 11.0;
    QTest::newRow("N 1 halves") << 1 << 0.0 << 10.0 << 5.0;
  }
  void averaging() {
    QFETCH(int, samples);
    QFETCH(double, average);
    QFETCH(double, instant);
    QFETCH(double, result);
    QCOMPARE(AverageStep(average, instant, samples), result);
  }

  void correction_data() {
    QTest::addColumn<bool>("sensor");
    QTest::addColumn<int>("temperature");
    QTest::addColumn<int>("input2Unit");
    QTest::addColumn<double>("input2Display");
    QTest::addColumn<double>("kelvin");
    QTest::addColumn<double>("factor");
    QTest::newRow("defaults") << false << 20 << 0 << 0.0 << 293.15 << 1.0;
    QTest::newRow("40 degrees") << false << 40 << 0 << 0.0 << 313.15 << 313.15 / 293.15;
    QTest::newRow("sensor in C") << true << 0 << 0 << 25.0 << 298.15 << 298.15 / 293.15;
    QTest::newRow("sensor in K") << true << 0 << 1 << 298.15 << 298.15 << 298.15 / 293.15;
    QTest::newRow("sensor in K at zero") << true << 0 << 1 << 0.0 << 0.0 << 0.0;
  }
  void correction() {
    QFETCH(bool, sensor);
    QFETCH(int, temperature);
    QFETCH(int, input2Unit);
    QFETCH(double, input2Display);
    QFETCH(double, kelvin);
    QFETCH(double, factor);
    AppSettings s = Defaults();
    s.CidloTeploty = sensor;
    s.Teplota = temperature;
    s.Channel(2).JednotkaIndex = input2Unit;
    ChannelReading input2;
    input2.DisplayValue = input2Display;
    const Correction c = UpdateCorrection(s, input2);
    QVERIFY(qFuzzyCompare(1 + c.AbsoluteTemperature, 1 + kelvin));
    QVERIFY(qFuzzyCompare(1 + c.CorrectionFactor, 1 + factor));
  }

  void unitConversion_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("display");
    QTest::newRow("Nm3/h unchanged") << 0 << 30.0;
    QTest::newRow("m/s unchanged") << 1 << 30.0;
    QTest::newRow("l/min") << 2 << 30.0 * 100 / 6;
    QTest::newRow("kg/h") << 3 << 30.0 * 0.3456421627153335 * 28.96 / 8.31441;
  }
  void unitConversion() {
    QFETCH(int, unit);
    QFETCH(double, display);
    const AppSettings s = Defaults();
    const Correction c = UpdateCorrection(s, ChannelReading{});
    QVERIFY(qFuzzyCompare(ConvertFlowUnit(unit, 30.0, c, s.AtmosferickyTlak), display));
  }

  // A division by zero is detected, never turned into an infinite value.
  void divisionByZero() {
    AppSettings s = Defaults();
    s.AtmosferickyTlak = 0;
    QVERIFY_THROWS_EXCEPTION(ProcessingError, UpdateCorrection(s, ChannelReading{}));
    Correction zeroKelvin{0, 0};
    QVERIFY_THROWS_EXCEPTION(ProcessingError, ConvertFlowUnit(3, 10, zeroKelvin, 101.325));
    QCOMPARE(ConvertFlowUnit(0, 10, zeroKelvin, 101.325), 0.0);

    Measurement m;
    m.AwaitingFirstReply = false;
    m.Reading(1).DisplayValue = 12;
    QVERIFY_THROWS_EXCEPTION(ProcessingError,
                             m.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {1, 2, 3, 4}), s, {}));
    QCOMPARE(m.Reading(1).DisplayValue, 12.0);
    for (const ChannelReading& r : m.Readings) QVERIFY(std::isfinite(r.DisplayValue));

    // Zero kelvin with kg/h on input 1: the reply is abandoned at input 1, the others keep their readings.
    AppSettings k = Defaults();
    k.CidloTeploty = true;
    k.Channel(2).JednotkaIndex = 1;
    k.Channel(1).JednotkaIndex = 3;
    Measurement m2;
    m2.Reading(3).DisplayValue = 77;
    QVERIFY_THROWS_EXCEPTION(ProcessingError,
                             m2.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {1, 2, 3, 4}), k, {}));
    QCOMPARE(m2.Reading(3).DisplayValue, 77.0);
  }

  void alarms_data() {
    QTest::addColumn<double>("average");
    QTest::addColumn<bool>("alarm");
    QTest::newRow("on lower limit") << 10.0 << false;
    QTest::newRow("on upper limit") << 90.0 << false;
    QTest::newRow("below") << 9.99 << true;
    QTest::newRow("above") << 90.01 << true;
    QTest::newRow("inside") << 50.0 << false;
  }
  void alarms() {
    QFETCH(double, average);
    QFETCH(bool, alarm);
    ChannelSettings c;
    c.Value4mA = 0;
    c.Value20mA = 100;
    c.AlarmMIN = 10;
    c.AlarmMAX = 90;
    c.UpdateAlarmLimits();
    ChannelReading r;
    r.AverageValue = average;
    QCOMPARE(IsInAlarm(c, r), alarm);
  }

  void firstReplyOnlyInitialises() {
    AppSettings s = Defaults();
    Measurement m;
    m.AwaitingFirstReply = true;
    int refreshes = 0;
    m.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 5000, 5000, 5000}), s, [&] {
      ++refreshes;
      QVERIFY(m.AwaitingFirstReply);  // the refresh runs before the flag is cleared
    });
    QCOMPARE(refreshes, 1);
    QVERIFY(!m.AwaitingFirstReply);
    QVERIFY(m.ReadingsValid);
    QCOMPARE(m.Reading(1).AverageValue, 50.0);
    m.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {10000, 10000, 10000, 10000}), s, {});
    QVERIFY(qFuzzyCompare(m.Reading(2).AverageValue, (10 * 50.0 + 100) / 11));
  }

  void firstReplyWithSensorLeavesReadingsInvalid() {
    AppSettings s = Defaults();
    s.CidloTeploty = true;
    Measurement m;
    m.AwaitingFirstReply = true;
    m.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {2500, 2500, 2500, 2500}), s, {});
    QVERIFY(!m.ReadingsValid);
    QCOMPARE(m.Reading(1).DisplayValue, 25.0);  // uncorrected instant value
    // The next reply's correction takes input 2's instant value of the first: 25 °C.
    m.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {2500, 2500, 2500, 2500}), s, {});
    QVERIFY(m.ReadingsValid);
    QVERIFY(qFuzzyCompare(m.Reading(1).DisplayValue, 25.0 * 298.15 * 0.3456421627153335 / 101.325));
  }

  // A whole reply at a pressure other than the normal one: flow (1) and humidity (3) are corrected
  // by 101.325 kPa / p at 20 °C; temperature and pressure are not.
  void replyCorrectedForPressure_data() {
    QTest::addColumn<double>("pressure");
    QTest::addColumn<double>("corrected");
    QTest::newRow("normal pressure") << 101.325 << 50.0;
    QTest::newRow("half the normal pressure") << 50.6625 << 100.0;
    QTest::newRow("twice the normal pressure") << 202.65 << 25.0;
    QTest::newRow("mountain pressure") << 80.0 << 50.0 * 101.325 / 80.0;
  }
  void replyCorrectedForPressure() {
    QFETCH(double, pressure);
    QFETCH(double, corrected);
    AppSettings s = Defaults();
    s.AtmosferickyTlak = pressure;
    s.PocetVzorkuNaPrumer = 0;
    Measurement m;
    m.AwaitingFirstReply = true;
    const QString reply = ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 5000, 5000, 5000});
    m.ProcessReply(reply, s, {});
    m.ProcessReply(reply, s, {});
    QVERIFY2(qFuzzyCompare(m.Reading(kFlowInput).DisplayValue, corrected),
             qPrintable(QString::number(m.Reading(kFlowInput).DisplayValue)));
    QVERIFY(qFuzzyCompare(m.Reading(kHumidityInput).DisplayValue, corrected));
    QCOMPARE(m.Reading(kTemperatureInput).DisplayValue, 50.0);
    QCOMPARE(m.Reading(kPressureInput).DisplayValue, 50.0);
  }

  // The correction is taken once per reply, before any input is processed, from input 2's value of
  // the previous reply: flow and humidity share it even when the temperature jumps in this reply.
  void correctionOncePerReplyFromPreviousTemperature() {
    AppSettings s = Defaults();
    s.CidloTeploty = true;
    s.PocetVzorkuNaPrumer = 0;
    Measurement m;
    m.AwaitingFirstReply = true;
    m.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 2000, 5000, 5000}), s, {});  // 20 °C
    m.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 6000, 5000, 5000}), s, {});  // 60 °C now
    QCOMPARE(m.Reading(kTemperatureInput).DisplayValue, 60.0);
    const double at20 = 50.0 * 293.15 * 0.3456421627153335 / 101.325;
    QVERIFY2(qFuzzyCompare(m.Reading(kFlowInput).DisplayValue, at20),
             qPrintable(QString::number(m.Reading(kFlowInput).DisplayValue)));
    QVERIFY2(qFuzzyCompare(m.Reading(kHumidityInput).DisplayValue, at20),
             qPrintable(QString::number(m.Reading(kHumidityInput).DisplayValue)));
    // The next reply takes the 60 °C.
    m.ProcessReply(ReplyText({0x80, 0x80, 0x80, 0x80}, {5000, 6000, 5000, 5000}), s, {});
    QVERIFY(qFuzzyCompare(m.Reading(kHumidityInput).DisplayValue, 50.0 * 333.15 * 0.3456421627153335 / 101.325));
  }

  void inactiveInputsKeepReadings() {
    AppSettings s = Defaults();
    for (ChannelSettings& c : s.Channels) c.Activ = false;
    Measurement m;
    m.Reading(2).DisplayValue = 3;
    m.ProcessReply(ReplyText({0x00, 0x00, 0x00, 0x00}, {9, 9, 9, 9}), s, {});
    QVERIFY(m.ReadingsValid);
    QCOMPARE(m.Reading(2).DisplayValue, 3.0);
    QVERIFY(m.Reading(2).StatusText.isEmpty());
    m.ClearForDrop();
    QCOMPARE(m.Reading(2).DisplayValue, 0.0);
    QVERIFY(m.AwaitingFirstReply);
  }

  void faultyInputStillComputed() {
    AppSettings s = Defaults();
    Measurement m;
    m.ProcessReply(ReplyText({0x00, 0x80, 0x80, 0x80}, {5000, 0, 0, 0}), s, {});
    QCOMPARE(m.Reading(1).StatusText, QStringLiteral("00"));
    QCOMPARE(m.Reading(1).InstantValue, 50.0);
  }
};

QObject* NewMeasurementTest() {
  return new TestMeasurement;
}
#include "tst_measurement.moc"
