// Alarms (delay, hysteresis, the station-wide ones from a misbehaving converter) and the journal's
// lines. Runs in Europe/Prague (see CMake): months and the 25-hour day are local.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

#include "alarms/alarm_json.h"
#include "alarms/alarm_mailer.h"
#include "alarms/alarm_monitor.h"
#include "journal/journal.h"
#include "station/log_message.h"
#include "station/regional.h"
#include "station/station.h"
#include "support/core_fixture.h"
#include "support/fake_converter.h"
#include "support/smtp_server.h"

namespace {
const QDateTime kStart(QDate(2026, 12, 8), QTime(10, 0));

// "high raised 1 @5": a change as the tests write it, at seconds after kStart.
QString Text(const AlarmChange& c) {
  return QStringLiteral("%1 %2 %3 @%4")
      .arg(AlarmKindName(c.alarm.kind), AlarmStateName(c.alarm.state))
      .arg(c.alarm.input)
      .arg(kStart.msecsTo(c.at) / 1000.0);
}

struct Recorder {
  explicit Recorder(AlarmMonitor& monitor) {
    QObject::connect(&monitor, &AlarmMonitor::Changed, &monitor, [this](const AlarmChange& c) { changes << Text(c); });
  }
  QStringList changes;
};

// Input 1 over 0..100 with limits 10 and 80 %; input 3 a dew point of class 4 (+3 °C).
AppSettings AlarmSettingsFor(int delay, int hysteresis) {
  AppSettings s;
  SetDefaultSettings(s);
  for (int n = 1; n <= kInputCount; ++n) {
    ChannelSettings& c = s.Channel(n);
    c.AlarmMIN = 10;
    c.AlarmMAX = 80;
    c.AlarmDelay = delay;
    c.AlarmHysteresis = hysteresis;
    c.UpdateAlarmLimits();
  }
  s.Channel(kHumidityInput).JednotkaIndex = 0;
  s.Ledger.DewPointClass = 4;
  return s;
}

using Sample = std::tuple<double, int, double, bool>;  // seconds, input, value, healthy

MailSettings Mail(quint16 port) {
  MailSettings m;
  m.Active = true;
  m.Server = QStringLiteral("127.0.0.1");
  m.Port = port;
  m.Security = 0;
  m.From = QStringLiteral("station@example.com");
  m.To = QStringLiteral("a@example.com, b@example.com");
  m.DigestCount = 2;
  return m;
}
}  // namespace

Q_DECLARE_METATYPE(QList<Sample>)

class TestAlarms : public QObject {
  Q_OBJECT

 private slots:
  void raisedAfterDelayClearedPastHysteresis_data() {
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("hysteresis");
    QTest::addColumn<QList<Sample>>("samples");
    QTest::addColumn<QStringList>("changes");
    QTest::newRow("back within the delay") << 10 << 0 << QList<Sample>{{0, 1, 85, true}, {5, 1, 85, true}, {9, 1, 70, true}, {15, 1, 70, true}}
                                           << QStringList{};
    QTest::newRow("held: raised at the delay") << 10 << 0 << QList<Sample>{{0, 1, 85, true}, {5, 1, 90, true}, {10, 1, 81, true}}
                                               << QStringList{"high raised 1 @10"};
    // Readings a period apart come a little early or late: 2.999 s after the first of four is the delay.
    QTest::newRow("delay met within half a period")
        << 3 << 0 << QList<Sample>{{0, 1, 85, true}, {1.001, 1, 85, true}, {1.998, 1, 85, true}, {2.999, 1, 85, true}}
        << QStringList{"high raised 1 @2.999"};
    QTest::newRow("equal to the limit is inside") << 0 << 0 << QList<Sample>{{0, 1, 80, true}, {1, 1, 10, true}}
                                                  << QStringList{};
    QTest::newRow("cleared past the hysteresis only")
        << 0 << 10 << QList<Sample>{{0, 1, 85, true}, {1, 1, 75, true}, {2, 1, 70.5, true}, {3, 1, 70, true}}
        << QStringList{"high raised 1 @0", "high cleared 1 @3"};
    QTest::newRow("low") << 0 << 5 << QList<Sample>{{0, 2, 9, true}, {1, 2, 14, true}, {2, 2, 15, true}}
                         << QStringList{"low raised 2 @0", "low cleared 2 @2"};
    QTest::newRow("input error after its delay")
        << 5 << 0 << QList<Sample>{{0, 4, 50, false}, {4, 4, 50, false}, {5, 4, 50, false}, {6, 4, 50, true}}
        << QStringList{"input-error raised 4 @5", "input-error cleared 4 @6"};
    QTest::newRow("a faulty input keeps its limit alarm")
        << 0 << 0 << QList<Sample>{{0, 1, 90, true}, {1, 1, 50, false}, {2, 1, 50, true}}
        << QStringList{"high raised 1 @0", "input-error raised 1 @1", "input-error cleared 1 @2", "high cleared 1 @2"};
    QTest::newRow("dew point above its class")
        << 0 << 0 << QList<Sample>{{0, 3, 3, true}, {1, 3, 3.5, true}, {2, 3, 2.9, true}}
        << QStringList{"dew-point raised 3 @1", "dew-point cleared 3 @2"};
  }
  void raisedAfterDelayClearedPastHysteresis() {
    QFETCH(int, delay);
    QFETCH(int, hysteresis);
    QFETCH(QList<Sample>, samples);
    QFETCH(QStringList, changes);
    const AppSettings s = AlarmSettingsFor(delay, hysteresis);
    AlarmMonitor monitor;
    monitor.SetReadingPeriod(1000);
    Recorder recorder(monitor);
    for (const auto& [second, input, value, healthy] : samples) {
      std::array<AlarmInput, kInputCount> inputs;
      for (AlarmInput& in : inputs) in = {true, true, 50, 0};  // the others quiet (dew point 0 °C)
      // Input 3's limits judge its average (kept inside), its class the displayed dew point.
      inputs[size_t(input - 1)] = {true, healthy, input == kHumidityInput ? 50 : value, value};
      monitor.Inputs(kStart.addMSecs(qRound64(second * 1000)), s, inputs);
    }
    QCOMPARE(recorder.changes, changes);
  }

  // An alarm that clears before anyone acknowledged it stays listed, its repeats counted on its row,
  // until it is acknowledged; one acknowledged while it stands leaves the list when it clears.
  void clearedUnacknowledgedStaysListed() {
    const AppSettings s = AlarmSettingsFor(0, 0);
    AlarmMonitor monitor;
    const auto reading = [&](int second, double value) {
      std::array<AlarmInput, kInputCount> inputs;
      for (AlarmInput& in : inputs) in = {true, true, 50, 0};
      inputs[0] = {true, true, value, value};
      monitor.Inputs(kStart.addSecs(second), s, inputs);
    };
    for (int cycle = 0; cycle < 40; ++cycle) {
      reading(20 * cycle, 90);
      reading(20 * cycle + 10, 50);
    }
    QCOMPARE(monitor.Active().size(), 1);
    const Alarm a = monitor.Active().first();
    QCOMPARE(AlarmStateName(a.state), QStringLiteral("cleared-unacknowledged"));
    QCOMPARE(a.count, 40);
    QCOMPARE(a.raisedAt, kStart);
    QCOMPARE(a.lastRaised, kStart.addSecs(780));
    QVERIFY(monitor.AnyUnacknowledged());
    QVERIFY(monitor.Acknowledge(AlarmKind::High, 1, QStringLiteral("window"), kStart.addSecs(800)));
    QVERIFY(monitor.Active().isEmpty());
    QVERIFY(!monitor.AnyUnacknowledged());
    reading(900, 90);
    QCOMPARE(monitor.AcknowledgeAll(QStringLiteral("window"), kStart.addSecs(901)), 1);
    QVERIFY(!monitor.AnyUnacknowledged());
    reading(910, 50);
    QVERIFY(monitor.Active().isEmpty());
  }

  // A restart keeps the list: an alarm still present keeps its state and is not told again; one no
  // longer present clears with its change at the first judgement.
  void listSurvivesARestart() {
    QTemporaryDir dir;
    const AppSettings s = AlarmSettingsFor(0, 0);
    const auto judge = [&](AlarmMonitor& monitor, int second, double in1, double in2) {
      std::array<AlarmInput, kInputCount> inputs;
      for (AlarmInput& in : inputs) in = {true, true, 50, 0};
      inputs[0] = {true, true, in1, in1};
      inputs[1] = {true, true, in2, in2};
      monitor.Inputs(kStart.addSecs(second), s, inputs);
    };
    {
      AlarmMonitor before;
      judge(before, 0, 90, 5);  // input 1 high, input 2 low
      QVERIFY(before.Acknowledge(AlarmKind::High, 1, QStringLiteral("window"), kStart.addSecs(1)));
      QVERIFY(SaveAlarms(dir.path(), before.Active()));
    }
    AlarmMonitor after;
    Recorder recorder(after);
    after.Restore(LoadAlarms(dir.path()));
    QCOMPARE(after.Active().size(), 2);
    QCOMPARE(after.Active()[0].raisedAt, kStart);
    judge(after, 60, 90, 50);  // input 1 still high, input 2 back
    QCOMPARE(recorder.changes, QStringList{"low cleared 2 @60"});
    QCOMPARE(AlarmStateName(after.Active()[0].state), QStringLiteral("acknowledged"));
    QCOMPARE(AlarmStateName(after.Active()[1].state), QStringLiteral("cleared-unacknowledged"));
  }

  // The station-wide alarms wait for time alone; stopping clears the no-data one; acknowledging
  // keeps an alarm in the list until it clears.
  void stationWideAlarms() {
    AppSettings s = AlarmSettingsFor(0, 0);
    s.Alarms.NoReply = 30;
    s.Alarms.BrokerDown = 2;
    AlarmMonitor monitor;
    Recorder recorder(monitor);
    monitor.Measuring(true, kStart);
    monitor.Broker(true, false, kStart);
    for (int second : {29, 30, 31, 119, 120}) monitor.Tick(kStart.addSecs(second), s);
    monitor.ReplyAccepted(kStart.addSecs(125));
    monitor.ArchiveWritable(false, kStart.addSecs(126));
    QVERIFY(monitor.AnyUnacknowledged());
    QCOMPARE(monitor.AcknowledgeAll(QStringLiteral("window"), kStart.addSecs(127)), 3);  // no-data too, cleared
    QVERIFY(!monitor.AnyUnacknowledged());
    QCOMPARE(monitor.Active().size(), 2);
    QVERIFY(!monitor.Acknowledge(AlarmKind::ArchiveNotWritten, 0, QStringLiteral("window"), kStart.addSecs(128)));
    monitor.ArchiveWritable(true, kStart.addSecs(130));
    monitor.Broker(true, true, kStart.addSecs(131));
    monitor.Tick(kStart.addSecs(200), s);  // no reply for 75 s
    monitor.Measuring(false, kStart.addSecs(201));
    QCOMPARE(recorder.changes,
             (QStringList{"no-data raised 0 @30", "broker-unreachable raised 0 @120", "no-data cleared 0 @125",
                          "archive-not-written raised 0 @126", "no-data acknowledged 0 @127",
                          "broker-unreachable acknowledged 0 @127",
                          "archive-not-written acknowledged 0 @127", "archive-not-written cleared 0 @130",
                          "broker-unreachable cleared 0 @131", "no-data raised 0 @200", "no-data cleared 0 @201"}));
  }

  // The lines exactly, in the file of their local month, the repeated autumn hour told by its offset.
  void journalLines_data() {
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("line");
    const QTimeZone utc = QTimeZone::utc();
    QTest::newRow("before midnight") << QDateTime(QDate(2026, 11, 30), QTime(23, 59, 59)) << "Events/202611.log"
                                     << "2026-11-30T23:59:59+01:00\talarm-raised\t1\tabove the upper limit";
    QTest::newRow("midnight: the next month") << QDateTime(QDate(2026, 12, 1), QTime(0, 0)) << "Events/202612.log"
                                              << "2026-12-01T00:00:00+01:00\talarm-raised\t1\tabove the upper limit";
    QTest::newRow("autumn hour, first") << QDateTime(QDate(2026, 10, 25), QTime(0, 30), utc).toLocalTime()
                                        << "Events/202610.log"
                                        << "2026-10-25T02:30:00+02:00\talarm-raised\t1\tabove the upper limit";
    QTest::newRow("autumn hour, again") << QDateTime(QDate(2026, 10, 25), QTime(1, 30), utc).toLocalTime()
                                        << "Events/202610.log"
                                        << "2026-10-25T02:30:00+01:00\talarm-raised\t1\tabove the upper limit";
  }
  void journalLines() {
    QFETCH(QDateTime, at);
    QFETCH(QString, file);
    QFETCH(QString, line);
    QTemporaryDir dir;
    const JournalEntry entry{at, QStringLiteral("alarm-raised"), 1, QStringLiteral("above the upper\tlimit")};
    QVERIFY(AppendJournal(dir.path(), JournalFile::Events, entry).IsOk());
    QVERIFY(AppendJournal(dir.path(), JournalFile::Events, entry).IsOk());
    QCOMPARE(ReadFileBytes(dir.filePath(file)), (line + QStringLiteral("\r\n")).toUtf8().repeated(2));
    // Shown in the window, a time the clock shows twice carries its offset, others none.
    const QString offset = line.mid(19, 6);
    const bool twice = at.date() == QDate(2026, 10, 25);
    QCOMPARE(Regional::DateTime(at).endsWith(QLatin1Char(' ') + offset), twice);
    const QList<JournalEntry> read = ReadJournal(dir.path(), JournalFile::Events, at.date());
    QCOMPARE(read.size(), 2);
    QCOMPARE(read[0].at, at);
    QCOMPARE(read[0].text, QStringLiteral("above the upper limit"));
  }

  // An archive folder that cannot take the journal (a file in its place) leaves the entries in the
  // state folder; once it works again they go back into it, in their order, before the next one.
  void journalFallsBackAndReturns() {
    QTemporaryDir dir;
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
    const QString archive = dir.filePath(QStringLiteral("archiv"));
    WriteFileBytes(archive, "a file where the folder was");
    SetJournalFolder(archive);
    const QDateTime at(QDate(2026, 12, 8), QTime(10, 0));
    JournalEvent(QLatin1String(JournalKind::kAlarmRaised), 0, QStringLiteral("archive rows not written"), at);
    const QString fallback = FallbackJournalFolder(archive);
    QCOMPARE(ReadJournal(fallback, JournalFile::Events, at.date()).size(), 1);
    QVERIFY(QFile::remove(archive) && QDir().mkdir(archive));
    JournalEvent(QLatin1String(JournalKind::kAlarmCleared), 0, QStringLiteral("archive rows written again"), at.addSecs(60));
    SetJournalFolder(QString());
    QStringList texts;
    for (const JournalEntry& e : ReadJournal(archive, JournalFile::Events, at.date())) texts << e.text;
    QCOMPARE(texts, (QStringList{"archive rows not written", "archive rows written again"}));
    QVERIFY(ReadJournal(fallback, JournalFile::Events, at.date()).isEmpty());
  }

  // LogMessage stores: errors with their exact text, the exit line as the program's end; a line a
  // crash cut off does not swallow the next one.
  void logMessageLandsInTheJournal() {
    QTemporaryDir dir;
    FixedClock clock(kStart);
    SetJournalFolder(dir.path());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Errors")));
    WriteFileBytes(dir.filePath(QStringLiteral("Errors/202612.log")), "2026-12-08T09:00:00+01:00\terr");
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka Init - bad key"));
    LogMessage(LogKind::Event, QString::fromUtf8(kExitLine));
    SetJournalFolder(QString());
    LogMessage(LogKind::Error, QStringLiteral("not stored"));
    QCOMPARE(ReadFileBytes(dir.filePath(QStringLiteral("Errors/202612.log"))),
             QByteArray("2026-12-08T09:00:00+01:00\terr\r\n2026-12-08T10:00:00+01:00\terror\t\tVyjimka Init - bad key\r\n"));
    QCOMPARE(ReadFileBytes(dir.filePath(QStringLiteral("Events/202612.log"))),
             ("2026-12-08T10:00:00+01:00\tprogram-ended\t\t" + QByteArray(kExitLine) + "\r\n"));
  }

  // A converter that refuses the connection: no data after NoReply; stopping is no fault.
  void refusingConverterIsNoData() {
    QTemporaryDir dir;
    WriteFileBytes(dir.filePath(QStringLiteral("k.ini")),
                   QStringLiteral("[AD4ETH]\r\nIP=127.0.0.1\r\nPort=%1\r\nPerioda=100\r\n[ARCHIVACE]\r\nDatabaseDir=%2\r\n"
                                  "[ALARMS]\r\nNoReply=1\r\n")
                       .arg(ClosedPort())
                       .arg(dir.filePath(QStringLiteral("archiv")))
                       .toUtf8());
    Station station;
    Recorder recorder(station.Alarms());
    station.LoadSettings(dir.filePath(QStringLiteral("k.ini")));
    station.StartMeasuring();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.changes.join(' ').contains("no-data raised 0"), 10000);
    station.StopMeasuring();
    SetJournalFolder(QString());
    QVERIFY(recorder.changes.last().startsWith(QLatin1String("no-data cleared 0")));
  }

  // A mail per raised and per cleared alarm to every recipient; beyond DigestCount within the
  // digest's time, the rest goes out as one digest.
  void mailPerAlarmThenADigest() {
    SmtpServer server;
    AlarmMailer mailer;
    mailer.SetTimings(50, 200, 500);
    mailer.Configure(Mail(server.Port()));
    const auto change = [&](AlarmKind kind, int input, AlarmState state, int step) {  // 10 ms apart
      mailer.Notify({kStart.addMSecs(10 * step), Alarm{kind, input, kStart, state, 85.5, 80, 1, kStart}, {}, {}});
    };
    change(AlarmKind::High, 1, AlarmState::Raised, 0);
    change(AlarmKind::InputError, 4, AlarmState::Raised, 1);
    change(AlarmKind::NoData, 0, AlarmState::Acknowledged, 2);  // no mail
    change(AlarmKind::NoData, 0, AlarmState::Raised, 2);        // the third: the digest begins
    change(AlarmKind::Low, 2, AlarmState::Raised, 3);
    change(AlarmKind::High, 1, AlarmState::Cleared, 4);
    QTRY_COMPARE_WITH_TIMEOUT(server.mails.size(), 3, 10000);
    for (const SmtpServer::Mail& mail : server.mails) {
      QCOMPARE(mail.from, QStringLiteral("<station@example.com>"));
      QCOMPARE(mail.recipients, (QStringList{"<a@example.com>", "<b@example.com>"}));
    }
    QVERIFY(MailSubject(server.mails[0].data).startsWith(QLatin1String("[Kestrilon4 ")));
    QVERIFY(MailSubject(server.mails[0].data).endsWith(QLatin1String("] IN1 above the upper limit: raised")));
    QVERIFY(server.mails[1].data.contains("IN4 input error: raised"));
    const QByteArray digest = server.mails[2].data;
    QVERIFY(MailSubject(digest).endsWith(QLatin1String("] 3 alarm changes")));
    QCOMPARE(digest.count("\r\n2026-12-08T10:00:0"), 3);
    QVERIFY(digest.contains("IN1 cleared: above the upper limit"));
    QTRY_COMPARE(mailer.Sent(), 3);  // the client takes its time to hear the last reply and say QUIT
  }

  // A server that is down: the mail waits and is tried again; the problem is told once, the
  // recovery too, and the mail goes out when the server is back.
  void mailWaitsForTheServer() {
    const quint16 port = ClosedPort();
    AlarmMailer mailer;
    mailer.SetTimings(50, 100, 60000);
    QList<std::pair<bool, QString>> problems;
    connect(&mailer, &AlarmMailer::Problem, this, [&](bool error, const QString& text) { problems.append({error, text}); });
    mailer.Configure(Mail(port));
    mailer.Notify({kStart, Alarm{AlarmKind::High, 1, kStart, AlarmState::Raised, 85.5, 80, 1, kStart}, {}, {}});
    QTRY_COMPARE_WITH_TIMEOUT(problems.size(), 1, 10000);
    QTest::qWait(500);  // several attempts more, told no more
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems[0].first && problems[0].second.contains(QStringLiteral("not sent through 127.0.0.1")));
    QCOMPARE(mailer.Waiting(), 1);
    SmtpServer server(false, port);
    QVERIFY(server.Listening());
    QTRY_COMPARE_WITH_TIMEOUT(server.mails.size(), 1, 10000);
    QTRY_COMPARE(problems.size(), 2);
    QVERIFY(!problems[1].first);
    QCOMPARE(mailer.Waiting(), 0);
  }

  // Mails not yet sent outlive a stop, the digest being gathered too: a server down then gets them
  // after the next start, each once, and the outbox empties.
  void mailsKeptAcrossAStop() {
    QTemporaryDir outbox;
    const quint16 port = ClosedPort();
    {
      AlarmMailer mailer;
      mailer.SetTimings(50, 100, 60000);
      mailer.SetOutbox(outbox.path());
      mailer.Configure(Mail(port));
      for (int input = 1; input <= 4; ++input)  // two alone, two in the digest (DigestCount 2)
        mailer.Notify({kStart.addSecs(input), Alarm{AlarmKind::High, input, kStart, AlarmState::Raised, 85.5, 80, 1, kStart}, {}, {}});
    }
    QCOMPARE(QDir(outbox.path()).entryList(QDir::Files).size(), 3);
    SmtpServer server(false, port);
    QVERIFY(server.Listening());
    AlarmMailer mailer;
    mailer.SetOutbox(outbox.path());
    mailer.Configure(Mail(port));
    QTRY_COMPARE_WITH_TIMEOUT(server.mails.size(), 3, 10000);
    QVERIFY(MailSubject(server.mails[0].data).endsWith(QLatin1String("IN1 above the upper limit: raised")));
    QVERIFY(MailSubject(server.mails[2].data).endsWith(QLatin1String("2 alarm changes")));
    QTRY_VERIFY(QDir(outbox.path()).entryList(QDir::Files).isEmpty());
    QTest::qWait(200);
    QCOMPARE(server.mails.size(), 3);
  }

  // A digest gathers a minute at most, whatever DigestMinutes: a raised alarm is not held longer.
  void digestHoldsAlarmsAMinuteAtMost() {
    SmtpServer server;
    AlarmMailer mailer;
    mailer.SetTimings(50, 100, 600000, 300);  // a ten-minute window, held 300 ms
    mailer.Configure(Mail(server.Port()));
    for (int input = 1; input <= 3; ++input)
      mailer.Notify({kStart.addSecs(input), Alarm{AlarmKind::High, input, kStart, AlarmState::Raised, 85.5, 80, 1, kStart}, {}, {}});
    QTRY_COMPARE_WITH_TIMEOUT(server.mails.size(), 3, 5000);
    QVERIFY(MailSubject(server.mails[2].data).endsWith(QLatin1String("] 1 alarm change")));
    QTRY_COMPARE(mailer.Sent(), 3);  // the last transfer ended (its QUIT needs this thread's server)
  }

  // The wait between attempts doubles up to its longest and stays there: from 20 ms to at most
  // 40 ms, a second and a half holds well over ten attempts (doubling on, it would hold six).
  void mailRetryStopsGrowingAtItsLongest() {
    SmtpServer busy;
    busy.greeting = "421 4.3.2 busy\r\n";
    AlarmMailer mailer;
    mailer.SetTimings(20, 40, 60000);
    mailer.Configure(Mail(busy.Port()));
    mailer.Notify({kStart, Alarm{AlarmKind::High, 1, kStart, AlarmState::Raised, 85.5, 80, 1, kStart}, {}, {}});
    QTest::qWait(1500);
    QVERIFY2(busy.connections >= 10, qPrintable(QString::number(busy.connections)));
  }

  // A subject beyond ASCII goes as encoded words on folded lines of plain ASCII and reads back whole.
  void subjectEncodedForHeaders() {
    const QString subject = QStringLiteral("[Kestrilon4 Kompresorovna č. 2] IN1 nad horní mezí: vyhlášen, "
                                           "žluťoučký kůň úpěl ďábelské ódy");
    const QByteArray message = MailMessage(Mail(25), AlarmMail{subject, QStringLiteral("b"), {}}, kStart);
    QCOMPARE(MailSubject(message), subject);
  }

  // Why a mail did not go is told in the server's own words, and a CA file of [MAIL] is the one
  // the server's certificate is checked against.
  void mailProblemsTold_data() {
    QTest::addColumn<QByteArray>("recipientAnswer");
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("caFile");
    QTest::addColumn<QString>("told");
    QTest::newRow("recipient refused") << QByteArray("550 5.1.1 <a@example.com>: Recipient address rejected\r\n") << 0
                                       << "" << "the server said \"550 5.1.1 <a@example.com>: Recipient address rejected\"";
    QTest::newRow("CA file missing") << QByteArray("250 OK\r\n") << 2 << "/nonexistent/ca.pem" << "CA cert";
  }
  void mailProblemsTold() {
    QFETCH(QByteArray, recipientAnswer);
    QFETCH(int, security);
    QFETCH(QString, caFile);
    QFETCH(QString, told);
    SmtpServer server;
    server.recipientAnswer = recipientAnswer;
    MailSettings m = Mail(server.Port());
    m.Security = security;
    m.CaFile = caFile;
    QString problem;
    std::atomic_bool sent = false;
    std::thread sending([&] {
      problem = SendMail(m, AlarmMail{QStringLiteral("s"), QStringLiteral("b"), {}});
      sent = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(sent, 10000);  // the server answers on this thread
    sending.join();
    QVERIFY2(problem.contains(told), qPrintable(problem));
  }

  // A server that takes the connection and never answers holds neither the rows nor the end.
  void hungMailServerDelaysNoRow() {
    QTemporaryDir dir;
    FakeConverter converter;
    converter.status = {0x80, 0x80, 0x80, 0x01};
    SmtpServer hung(true);
    const QString archive = dir.filePath(QStringLiteral("archiv"));
    WriteFileBytes(dir.filePath(QStringLiteral("k.ini")),
                   QStringLiteral("[AD4ETH]\r\nIP=127.0.0.1\r\nPort=%1\r\nPerioda=100\r\n[ARCHIVACE]\r\nDatabaseDir=%2\r\n"
                                  "RychlaActive=1\r\nRychlaInterval=100\r\n[MAIL]\r\nActive=1\r\nServer=127.0.0.1\r\n"
                                  "Port=%3\r\nSecurity=0\r\nFrom=s@example.com\r\nTo=a@example.com\r\n")
                       .arg(converter.Port())
                       .arg(archive)
                       .arg(hung.Port())
                       .toUtf8());
    QElapsedTimer ended;
    {
      Station station;
      station.LoadSettings(dir.filePath(QStringLiteral("k.ini")));
      station.ApplyNotificationSettings();
      station.StartMeasuring();
      QTRY_VERIFY_WITH_TIMEOUT(!station.Alarms().Active().isEmpty(), 10000);  // input 4: a mail under way
      const auto rows = [&] {
        qsizetype n = 0;
        for (const QString& name : QDir(archive).entryList({QStringLiteral("FA_*.csv")}))
          n += ReadFileBytes(archive + QLatin1Char('/') + name).count('\n') - 1;
        return n;
      };
      const qsizetype before = rows();
      QTest::qWait(1500);
      QVERIFY2(rows() - before >= 10, qPrintable(QString::number(rows() - before)));
      QCOMPARE(station.Mailer().Sent(), 0);
      station.StopMeasuring();
      SetJournalFolder(QString());
      ended.start();
    }
    QVERIFY(ended.elapsed() < 5000);  // the transfer under way was abandoned
  }

  // A station against a converter that misbehaves: each fault is an alarm and the journal tells it.
  void convertersFaultsAreAlarms() {
    QTemporaryDir dir;
    FakeConverter converter;
    converter.status = {0x80, 0x80, 0x80, 0x01};
    const QString archive = dir.filePath(QStringLiteral("archiv"));
    WriteFileBytes(dir.filePath(QStringLiteral("k.ini")),
                   QStringLiteral("[AD4ETH]\r\nIP=127.0.0.1\r\nPort=%1\r\nPerioda=100\r\n[ARCHIVACE]\r\nDatabaseDir=%2\r\n"
                                  "RychlaActive=1\r\nRychlaInterval=100\r\n[ALARMS]\r\nNoReply=1\r\n")
                       .arg(converter.Port())
                       .arg(archive)
                       .toUtf8());
    Station station;
    Recorder recorder(station.Alarms());
    station.LoadSettings(dir.filePath(QStringLiteral("k.ini")));
    station.StartMeasuring();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.changes.join(' ').contains("input-error raised 4"), 10000);
    converter.silent = true;
    QTRY_VERIFY_WITH_TIMEOUT(recorder.changes.join(' ').contains("no-data raised 0"), 10000);
    converter.silent = false;
    QTRY_VERIFY_WITH_TIMEOUT(recorder.changes.join(' ').contains("no-data cleared 0"), 10000);
    // The archive folder gone and a file in its place (read-only for root too): no row is written.
    QVERIFY(QDir().rename(archive, archive + QStringLiteral(".away")));
    WriteFileBytes(archive, "not a folder");
    QTRY_VERIFY_WITH_TIMEOUT(recorder.changes.join(' ').contains("archive-not-written raised 0"), 10000);
    QVERIFY(QFile::remove(archive) && QDir().rename(archive + QStringLiteral(".away"), archive));
    QTRY_VERIFY_WITH_TIMEOUT(recorder.changes.join(' ').contains("archive-not-written cleared 0"), 10000);
    station.StopMeasuring();
    SetJournalFolder(QString());
    QStringList kinds;
    for (const JournalEntry& e : ReadJournal(archive, JournalFile::Events, QDate::currentDate()))
      if (kinds.isEmpty() || kinds.last() != e.kind) kinds << e.kind;
    QCOMPARE(kinds.first(), QStringLiteral("measuring-started"));
    QCOMPARE(kinds.last(), QStringLiteral("measuring-stopped"));
    for (const char* kind : {"alarm-raised", "link-lost", "link-restored", "alarm-cleared"})
      QVERIFY2(kinds.contains(QLatin1String(kind)), qPrintable(kinds.join(' ')));
  }
};

QTEST_GUILESS_MAIN(TestAlarms)
#include "tst_alarms.moc"
