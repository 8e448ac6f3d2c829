#include <QProcess>
#include <QTcpServer>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include "main_window/overview_page.h"
#include "link/converter_frame.h"
#include "station/station.h"
#include "support/fake_converter.h"
#include "support/station_fixture.h"

namespace {
// This process's resident memory, from /proc (0 where there is none).
qint64 ResidentBytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
  return 0;
}

QByteArray Hex(const char* text) {
  return QByteArray::fromHex(text);
}
const QByteArray kReply = FakeConverter::Reply({0x80, 0x00, 0x81, 0x80}, {0, 10000, 0xFFFF, 1234});

// Records what the link shows, in order.
class RecordingView : public StationView {
 public:
  void ShowLinkIndicator(int value) override { indicators << value; }
  void ShowValuesLost() override { ++valuesLost; }
  void RefreshOverview() override { ++refreshes; }
  QList<int> indicators;
  int valuesLost = 0;
  int refreshes = 0;
};

constexpr int kPeriod = 60;  // ms: short periods keep the link tests quick
}  // namespace

class TestLink : public QObject {
  Q_OBJECT

  struct Rig {
    explicit Rig(quint16 port) {
      SetDefaultSettings(station.Settings());
      station.Settings().IP = QStringLiteral("127.0.0.1");
      station.Settings().Port = QString::number(port);
      station.SetMeasuringPeriod(kPeriod);
      station.Link().SetReconnectDelay(4 * kPeriod);
      station.Link().SetIndicatorHold(kPeriod / 2);
      station.SetView(&view);
    }
    ~Rig() { station.StopMeasuring(); }
    // Starts measuring and waits for the first link drop.
    void StartUntilDropped() {
      station.StartMeasuring();
      QTRY_COMPARE_WITH_TIMEOUT(view.valuesLost, 1, 5000);
    }
    Station station;
    RecordingView view;
  };

 private slots:
  void requestFrame() {
    const QByteArray f = ConverterFrame::RequestFrame();
    QCOMPARE(f, Hex("2A61000631025100EA0D"));
    int sum = 0;
    for (int i = 0; i < 9; ++i) sum += static_cast<unsigned char>(f[i]);
    QCOMPARE(sum % 256, 0xFF);
  }

  void findReply_data() {
    const QString whole = QString::fromLatin1(kReply.toHex().toUpper());
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("reply");  // empty: no reply
    QTest::newRow("exactly one reply") << kReply << whole;
    QTest::newRow("preceded by noise") << Hex("00FF2A61") + kReply << whole;
    QTest::newRow("followed by noise") << kReply + Hex("0102") << whole;
    QTest::newRow("two replies: the first")
        << kReply + FakeConverter::Reply({0, 0, 0, 0}, {1, 1, 1, 1}) << whole;
    QTest::newRow("first half of a split reply") << kReply.left(12) << QString();
    QTest::newRow("second half of a split reply") << kReply.mid(12) << QString();
    QByteArray wrongEnd = kReply;
    wrongEnd[24] = '\x0E';
    QTest::newRow("wrong terminator") << wrongEnd << QString();
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("garbage") << Hex("DEADBEEF00112233445566778899AABBCCDDEEFF0011223344") << QString();
    // The search is on text: a beginning that straddles byte boundaries is taken like any other.
    QByteArray odd = Hex("02A610015310") + Hex("20") + QByteArray(17, '\0') + Hex("00D0");
    QTest::newRow("odd position") << odd << QString::fromLatin1(odd.toHex().toUpper()).mid(1, 50);
  }
  void findReply() {
    QFETCH(QByteArray, chunk);
    QFETCH(QString, reply);
    QCOMPARE(ConverterFrame::FindReply(chunk), reply);
  }

  void inputsOfReply() {
    const QString reply = ConverterFrame::FindReply(kReply);
    QCOMPARE(ConverterFrame::InputStatus(reply, 1), QStringLiteral("80"));
    QCOMPARE(ConverterFrame::InputStatus(reply, 2), QStringLiteral("00"));
    QCOMPARE(ConverterFrame::InputStatus(reply, 3), QStringLiteral("81"));
    QCOMPARE(ConverterFrame::InputRaw(reply, 1), 0);
    QCOMPARE(ConverterFrame::InputRaw(reply, 2), 10000);
    QCOMPARE(ConverterFrame::InputRaw(reply, 3), 65535);
    QCOMPARE(ConverterFrame::InputRaw(reply, 4), 1234);
  }

  void pumpRunsEveryTwoBytes() {
    int pumps = 0;
    ConverterFrame::FindReply(kReply, [&] { ++pumps; });
    QCOMPARE(pumps, 12);  // 25 bytes
  }

  void parseHexNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("G1") << QStringLiteral("G1") << 0;
    QTest::newRow("0x1a") << QStringLiteral("0x1a") << 26;
    QTest::newRow("1Z9") << QStringLiteral("1Z9") << 1;
    QTest::newRow("2710") << QStringLiteral("2710") << 10000;
    QTest::newRow("FFFF") << QStringLiteral("FFFF") << 65535;
    QTest::newRow("0X only") << QStringLiteral("0X") << 0;
  }
  void parseHexNumber() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(ConverterFrame::ParseHexNumber(text), value);
  }

  // A prompt converter: the first request goes unsent while connecting, the second is answered,
  // read at the third poll and only initialises; values appear at the fourth poll.
  void valuesAppearAtTheFourthPoll() {
    FakeConverter converter;
    Rig rig(converter.Port());
    rig.station.Link().SetPeriod(1000000);  // polls driven by hand
    rig.station.SetEventPump([] {});        // the connection is still being set up at the first poll
    rig.station.StartMeasuring();
    QCOMPARE(converter.requests, 0);
    QTRY_COMPARE(converter.connections, 1);
    QTest::qWait(20);
    rig.station.Link().PollStep();  // second request: answered
    QTRY_COMPARE(converter.requests, 1);
    QTest::qWait(30);
    rig.station.Link().PollStep();  // third: reads the reply, initialises only
    QCOMPARE(rig.view.refreshes, 1);
    QVERIFY(!rig.station.Readings().AwaitingFirstReply);
    QTest::qWait(30);
    rig.station.Link().PollStep();  // fourth: shows values
    QCOMPARE(rig.view.refreshes, 2);
    QCOMPARE(rig.station.Readings().Reading(1).DisplayValue, 50.0);
    QVERIFY(rig.view.indicators.contains(ConverterLink::DataReceived));
  }

  void silentConverterDropsAndReopens() {
    FakeConverter converter;
    converter.silent = true;
    Rig rig(converter.Port());
    rig.StartUntilDropped();
    QCOMPARE(rig.station.Link().LinkIndicator(), int(ConverterLink::LinkLost));
    QVERIFY(!rig.station.Link().IsOpen());
    QVERIFY(rig.station.MeasuringOn());
    QVERIFY(rig.station.Readings().AwaitingFirstReply);
    QTRY_VERIFY_WITH_TIMEOUT(rig.station.Link().IsOpen(), 5000);  // reopened after the delay
    QTRY_COMPARE_WITH_TIMEOUT(converter.connections, 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.view.valuesLost, 2, 5000);  // and so on, forever
  }

  void lateReplyResetsTheCount() {
    FakeConverter converter;
    Rig rig(converter.Port());
    rig.station.Link().SetPeriod(1000000);
    rig.station.SetEventPump([] {});
    rig.station.StartMeasuring();
    QTRY_COMPARE(converter.connections, 1);
    ConverterLink& link = rig.station.Link();
    // Four time-outs, then a late reply read at the next poll: no drop, the count is back to 0.
    for (int i = 0; i < 4; ++i) link.timCekaniNaOdpovedTimer();
    QCOMPARE(link.MissedReplies(), 4);
    link.PollStep();
    QTRY_COMPARE(converter.requests, 1);
    QTest::qWait(30);
    link.PollStep();
    QCOMPARE(link.MissedReplies(), 0);
    for (int i = 0; i < 4; ++i) link.timCekaniNaOdpovedTimer();
    QCOMPARE(rig.view.valuesLost, 0);
    link.timCekaniNaOdpovedTimer();  // the fifth in a row
    QCOMPARE(rig.view.valuesLost, 1);
    QCOMPARE(link.MissedReplies(), 0);
    QCOMPARE(link.LinkIndicator(), int(ConverterLink::LinkLost));
  }

  void refusedConverterNeverBlocks() {
    quint16 port;
    {
      FakeConverter closed;
      port = closed.Port();
    }  // nothing listens there now
    Rig rig(port);
    rig.station.StartMeasuring();
    QTRY_COMPARE_WITH_TIMEOUT(rig.view.valuesLost, 2, 8000);
    QVERIFY(rig.station.MeasuringOn());
  }

  void garbageAndSplitRepliesIgnored_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("garbage") << Hex("0102030405060708090A0B0C0D0E0F101112131415161718191A");
    QByteArray wrongEnd = kReply;
    wrongEnd[24] = 0x0E;
    QTest::newRow("wrong terminator") << wrongEnd;
  }
  void garbageAndSplitRepliesIgnored() {
    QFETCH(QByteArray, answer);
    FakeConverter converter;
    converter.custom = answer;
    Rig rig(converter.Port());
    rig.StartUntilDropped();  // data arrives, but no reply
    QCOMPARE(rig.view.refreshes, 0);
    QVERIFY(rig.view.indicators.contains(ConverterLink::DataReceived));
  }

  // A reply whose halves are read by two polls is lost: neither chunk holds a whole reply.
  void replySplitOverTwoReadsIsLost() {
    FakeConverter converter;
    converter.splitDelayMs = 250;
    Rig rig(converter.Port());
    rig.station.Link().SetPeriod(1000000);
    rig.station.SetEventPump([] {});
    rig.station.StartMeasuring();
    QTRY_COMPARE(converter.connections, 1);
    ConverterLink& link = rig.station.Link();
    link.PollStep();  // the request
    QTRY_COMPARE(converter.requests, 1);
    converter.silent = true;  // later requests get no answer
    QTest::qWait(60);
    link.PollStep();  // reads the first half only
    QTest::qWait(400);
    link.PollStep();  // reads the rest
    QCOMPARE(rig.view.refreshes, 0);
    QVERIFY(rig.station.Readings().AwaitingFirstReply);
    QVERIFY(rig.view.indicators.contains(ConverterLink::DataReceived));
  }

  void stopWhileDropped() {
    FakeConverter converter;
    converter.silent = true;
    Rig rig(converter.Port());
    rig.StartUntilDropped();
    const int requests = converter.requests;
    rig.station.StopMeasuring();
    QCOMPARE(rig.station.Link().LinkIndicator(), int(ConverterLink::Stopped));
    QTest::qWait(8 * kPeriod);
    QVERIFY(!rig.station.Link().IsOpen());  // the pending reopening did not act after the stop
    QCOMPARE(converter.requests, requests);
  }

  // A received block shows "data received"; the hold expires once, not restarted by later blocks.
  void indicatorHoldNotRestartedByFurtherBlocks() {
    ConverterLink link;
    QList<int> shown;
    ConverterLink::Hooks hooks;
    hooks.indicatorChanged = [&](int v) { shown << v; };
    link.SetHooks(hooks);
    link.SetIndicatorHold(400);
    link.TcpClientReceive(QByteArray("x"));
    QTest::qWait(200);
    link.TcpClientReceive(QByteArray("y"));
    // Restarted, the hold would have about 400 ms left; kept, at most 200.
    QVERIFY2(link.StatusTimer().remainingTime() <= 250, "a second block must not restart the hold");
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 3, 2000);
    QCOMPARE(shown, (QList<int>{ConverterLink::DataReceived, ConverterLink::DataReceived,
                                ConverterLink::Connected}));
    QTest::qWait(300);
    QCOMPARE(shown.size(), 3);
  }

  // A drop ends the indicator hold: the lost-link image stays until data comes again, and the
  // reopening waits its full delay.
  void dropKeepsLostImageUntilReopened() {
    ConverterLink link;
    QList<int> shown;
    ConverterLink::Hooks hooks;
    hooks.indicatorChanged = [&](int v) { shown << v; };
    link.SetHooks(hooks);
    link.SetRemote(QStringLiteral("127.0.0.1"), QStringLiteral("1"));
    link.SetIndicatorHold(100);
    link.SetReconnectDelay(600);
    link.TcpClientReceive(QByteArray("x"));
    link.DropLink();
    QVERIFY(!link.StatusTimer().isActive());
    QTest::qWait(300);  // well past the hold
    QCOMPARE(shown, (QList<int>{ConverterLink::DataReceived, ConverterLink::LinkLost}));
    QVERIFY(!link.IsOpen());
    QTRY_VERIFY_WITH_TIMEOUT(link.IsOpen(), 3000);
    link.StopPolling();
    link.Close();
  }

  // The default delays: reopen 2000 ms after a drop, the data image held for 500 ms.
  void defaultDelays() {
    ConverterLink link;
    QCOMPARE(link.ReconnectTimer().interval(), 2000);
    QCOMPARE(link.StatusTimer().interval(), 500);
    QVERIFY(link.StatusTimer().isSingleShot());
    link.SetPeriod(3000);
    QCOMPARE(link.ReplyTimer().interval(), 3000);
  }

  // Re-setting the same period or archive interval (each load does) keeps the running countdowns.
  void sameIntervalKeepsTheCountdown() {
    Station station;
    SetDefaultSettings(station.Settings());
    station.Settings().IP = QStringLiteral("127.0.0.1");
    station.Settings().Port = QStringLiteral("1");
    station.SetMeasuringPeriod(1000);
    station.SetFastArchiveInterval(1000);
    station.SetSlowArchiveInterval(1000);
    station.Settings().PomalaActive = station.Settings().RychlaActive = true;
    station.StartMeasuring();
    QVERIFY(station.FastArchiveTimer().isActive() && station.SlowArchiveTimer().isActive());
    QTest::qWait(500);
    station.SetMeasuringPeriod(1000);
    station.SetFastArchiveInterval(1000);
    station.SetSlowArchiveInterval(1000);
    station.ApplyArchiveSwitches();
    station.StartMeasuring();  // as a restore from the tray with auto-connect does
    // Restarted, each would have about 1000 ms left; kept, about 500.
    QVERIFY2(station.Link().PollTimer().remainingTime() <= 700, "poll restarted");
    QVERIFY2(station.FastArchiveTimer().remainingTime() <= 700, "fast archive restarted");
    QVERIFY2(station.SlowArchiveTimer().remainingTime() <= 700, "slow archive restarted");
    station.StopMeasuring();
  }

  // A converter that floods the link (at full speed, garbage or reply beginnings without an end):
  // memory stays bounded, the link drops and reopens, and once the converter answers normally
  // again values come within seconds.
  void floodingConverterRecovers_data() {
    QTest::addColumn<QString>("flood");
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("hex without terminator") << "hex";
  }
  void floodingConverterRecovers() {
    QFETCH(QString, flood);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess simulator;
    simulator.start(qEnvironmentVariable("KESTRILON_BINARY_DIR") + QStringLiteral("/tools/ad4eth-sim/ad4eth-sim"),
                    {QStringLiteral("--port"), QString::number(port), QStringLiteral("--flood"), flood,
                     QStringLiteral("--flood-for"), QStringLiteral("4000")});
    QVERIFY(simulator.waitForStarted());
    QByteArray said;
    QTRY_VERIFY((said += simulator.readAllStandardOutput()).contains("listening"));
    const qint64 before = ResidentBytes();
    {
      Rig rig(port);
      rig.station.SetMeasuringPeriod(100);
      rig.station.StartMeasuring();
      qint64 largest = 0;
      QElapsedTimer flooding;
      flooding.start();
      while (flooding.elapsed() < 4000) {
        QTest::qWait(100);
        largest = qMax(largest, ResidentBytes() - before);
      }
      QVERIFY2(rig.view.valuesLost >= 1, "the flood never dropped the link");
      QVERIFY2(largest < 64 << 20, qPrintable(QStringLiteral("grew by %1 MB").arg(largest >> 20)));
      QTRY_VERIFY_WITH_TIMEOUT(rig.view.refreshes >= 2, 10000);  // answers again: values again
    }
    simulator.kill();
    simulator.waitForFinished();
  }
};

QTEST_MAIN(TestLink)
#include "tst_link.moc"
