#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QtTest>
#include <unistd.h>
#include <QElapsedTimer>
#include <QProcess>
#include <functional>

#include "config/cp1250.h"
#include "config/settings_schema.h"
#include "config/station_paths.h"
#include "main_window/main_form.h"
#include "station/settings_check.h"
#include "station/station.h"
#include "support/scripted_prompt.h"
#include "support/station_fixture.h"

class TestSettings : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void defaultsWithoutFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kestrilon4.ini"));
    Station station;
    SettingsFile file(path);
    AppSettings& s = station.Settings();
    const WindowGeometry g = SettingsSchema::ReadAll(file, s, station);

    QCOMPARE(std::make_tuple(g.Top, g.Left, g.Height, g.Width), std::make_tuple(10, 20, 466, 781));
    for (int n = 1; n <= 4; ++n) {
      const ChannelSettings& c = s.Channel(n);
      QVERIFY(c.Activ);
      QCOMPARE(c.Value4mA, 0.0);
      QCOMPARE(c.Value20mA, 100.0);
      QCOMPARE(c.AlarmMinLimit, 0.0);
      QCOMPARE(c.AlarmMaxLimit, 100.0);
      QCOMPARE(c.JednotkaIndex, 0);
      QCOMPARE(c.BarvaCary, 0);
    }
    QCOMPARE(s.Port, QStringLiteral("10001"));
    QVERIFY(!s.IP.isEmpty());
    QVERIFY(!s.Autopripojeni);
    QCOMPARE(station.MeasuringPeriod(), 2000);
    QCOMPARE(station.Link().ReplyTimer().interval(), 2000);
    QCOMPARE(s.PocetVzorkuNaPrumer, 10);
    QCOMPARE(station.SlowArchiveInterval(), 300000);
    QCOMPARE(station.FastArchiveInterval(), 2000);
    QVERIFY(!s.PomalaActive && !s.RychlaActive);
#ifndef Q_OS_WIN
    QVERIFY(s.DatabaseDir.endsWith(QStringLiteral("/archiv")));
#endif
    QCOMPARE(s.TloustkaCaryGrafu, 1);
    QVERIFY(!s.PopisGrafu.isEmpty());
    QCOMPARE(s.BarvaChybaIndex, 10);
    QCOMPARE(s.BarvaChyba, 255);
    QCOMPARE(s.BarvaAlarmIndex, 12);
    QCOMPARE(s.BarvaAlarm, 65535);
    QVERIFY(s.PrednabizetGraf2D);
    QCOMPARE(s.Chart3DPercent, 15);
    QCOMPARE(s.Language, 1);
    QCOMPARE(s.Teplota, 20);
    QCOMPARE(s.AtmosferickyTlak, 101.325);
    QVERIFY(!s.CidloTeploty);
    QVERIFY2(!QFile::exists(path), "loading must not create the settings file");
  }

  void alarmLimitsFromPercentages() {
    ChannelSettings c;
    c.Value4mA = -10;
    c.Value20mA = 40;
    c.AlarmMIN = 20;
    c.AlarmMAX = 80;
    c.UpdateAlarmLimits();
    QCOMPARE(c.AlarmMinLimit, 0.0);
    QCOMPARE(c.AlarmMaxLimit, 30.0);
  }

  void floatsReadWithEitherSeparator_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("comma") << QByteArray("101,325") << 101.325;
    QTest::newRow("point") << QByteArray("101.325") << 101.325;
    QTest::newRow("negative") << QByteArray("-2,5") << -2.5;
    QTest::newRow("spaces") << QByteArray("  7.25  ") << 7.25;
    QTest::newRow("empty gives default") << QByteArray("") << 101.325;
    QTest::newRow("garbage gives default") << QByteArray("abc") << 101.325;
    QTest::newRow("trailing garbage gives default") << QByteArray("1.5x") << 101.325;
  }
  void floatsReadWithEitherSeparator() {
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    WriteFileBytes(path, "[PARAMETRY_MERENI]\r\nAtmosferickyTlak=" + text + "\r\n");
    QCOMPARE(SettingsFile(path).ReadFloat(QStringLiteral("PARAMETRY_MERENI"),
                                          QStringLiteral("AtmosferickyTlak"), 101.325),
             expected);
  }

  void integersAndBooleans_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("integer");
    QTest::addColumn<bool>("boolean");
    QTest::newRow("one") << QByteArray("1") << 1 << true;
    QTest::newRow("zero") << QByteArray("0") << 0 << false;
    QTest::newRow("other integer is true") << QByteArray("7") << 7 << true;
    QTest::newRow("unparsable gives default") << QByteArray("yes") << 42 << true;
  }
  void integersAndBooleans() {
    QFETCH(QByteArray, text);
    QFETCH(int, integer);
    QFETCH(bool, boolean);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    WriteFileBytes(path, "[X]\r\nk=" + text + "\r\n");
    SettingsFile file(path);
    QCOMPARE(file.ReadInteger(QStringLiteral("X"), QStringLiteral("k"), 42), integer);
    QCOMPARE(file.ReadBool(QStringLiteral("X"), QStringLiteral("k"), true), boolean);
  }

  void floatsWrittenWithLocaleSeparator() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    SettingsFile(path).WriteFloat(QStringLiteral("P"), QStringLiteral("v"), 101.325);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(ReadFileBytes(path), QByteArray("[P]\r\nv=101,325\r\n"));
    QCOMPARE(SettingsFile(path).ReadFloat(QStringLiteral("P"), QStringLiteral("v"), 0), 101.325);
  }

  void unknownLinesKeptByteForByte() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    const QByteArray before =
        "; comment line\r\n[Other]\r\nfoo = bar "
        "baz\r\n\r\n[ad4eth]\r\nIP=127.0.0.4\r\nZzz=keep\r\n\r\n[Tail]\nlf=only\n";
    WriteFileBytes(path, before);
    SettingsFile file(path);
    file.WriteString(QStringLiteral("AD4ETH"), QStringLiteral("ip"), QStringLiteral("127.0.0.11"));
    file.WriteString(QStringLiteral("AD4ETH"), QStringLiteral("Port"), QStringLiteral("10001"));
    file.WriteString(QStringLiteral("New"), QStringLiteral("Key"), QStringLiteral("v"));
    QCOMPARE(
        ReadFileBytes(path),
        QByteArray("; comment line\r\n[Other]\r\nfoo = bar baz\r\n\r\n[ad4eth]\r\nip=127.0.0.11\r\nZzz=keep\r\n"
                   "Port=10001\r\n\r\n[Tail]\nlf=only\n[New]\r\nKey=v\r\n"));
    QCOMPARE(file.ReadString(QStringLiteral("OTHER"), QStringLiteral("FOO"), QString()),
             QStringLiteral("bar baz"));
  }

  void windows1250Text() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    const QString czech = QStringLiteral("Měření průtoku – Žluťoučký kůň ďábelsky úpěl");
    SettingsFile(path).WriteString(QStringLiteral("OSTATNI"), QStringLiteral("PopisGrafu"), czech);
    const QByteArray bytes = ReadFileBytes(path);
    QVERIFY(bytes.contains("M\xEC\xF8\x65n\xED"));  // "Měření" in Windows-1250
    QCOMPARE(
        SettingsFile(path).ReadString(QStringLiteral("ostatni"), QStringLiteral("popisgrafu"), QString()),
        czech);
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    QCOMPARE(Cp1250::Encode(Cp1250::Decode(all)), all);
  }

  // A file an editor saved as UTF-8 (with or without its mark) reads as UTF-8; one that is no valid
  // UTF-8 is Windows-1250, as the station writes it.
  void textInTheFilesEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QString czech = QStringLiteral("Kompresorovna č. 2 – průtok");
    QTest::newRow("Windows-1250") << QByteArray("[OSTATNI]\r\nPopisGrafu=") + Cp1250::Encode(czech) + "\r\n";
    QTest::newRow("UTF-8") << QByteArray("[OSTATNI]\r\nPopisGrafu=") + czech.toUtf8() + "\r\n";
    QTest::newRow("UTF-8 with its mark") << QByteArray("\xEF\xBB\xBF[OSTATNI]\r\nPopisGrafu=") + czech.toUtf8() + "\r\n";
  }
  void textInTheFilesEncoding() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    WriteFileBytes(path, bytes);
    QCOMPARE(SettingsFile(path).ReadString(QStringLiteral("OSTATNI"), QStringLiteral("PopisGrafu"), QString()),
             QStringLiteral("Kompresorovna č. 2 – průtok"));
    // A key the station writes goes in the file's own encoding: both read back, the file unmixed.
    SettingsFile(path).WriteString(QStringLiteral("OSTATNI"), QStringLiteral("Popis2"), QStringLiteral("Žluťoučký kůň"));
    const SettingsFile again(path);
    QCOMPARE(again.ReadString(QStringLiteral("OSTATNI"), QStringLiteral("Popis2"), QString()), QStringLiteral("Žluťoučký kůň"));
    QCOMPARE(again.ReadString(QStringLiteral("OSTATNI"), QStringLiteral("PopisGrafu"), QString()),
             QStringLiteral("Kompresorovna č. 2 – průtok"));
  }

  void writeFailureReported() {
    QTemporaryDir dir;
    // A folder where the file should be: neither readable as a file nor replaceable.
    const QString path = dir.filePath(QStringLiteral("kestrilon4.ini"));
    QVERIFY(QDir().mkdir(path));
    SettingsFile file(path);
    QVERIFY_THROWS_EXCEPTION(SettingsError, file.WriteInteger(QStringLiteral("A"), QStringLiteral("b"), 1));
    QVERIFY_THROWS_EXCEPTION(SettingsError, file.ReadInteger(QStringLiteral("A"), QStringLiteral("b"), 1));
  }

  // Each write routine gives exactly the bytes of the committed reference files: from no file (the
  // defaults) and from a hand-edited file with comments, other sections and other spellings.
  void writesMatchReferenceFiles_data() {
    QTest::addColumn<QString>("start");  // empty: no file
    QTest::addColumn<QString>("prefix");
    QTest::newRow("from no file") << QString() << QStringLiteral("default");
    QTest::newRow("from an edited file") << QStringLiteral("start.ini") << QStringLiteral("edited");
  }
  // A settings file that holds a password is readable by its owner only, once written.
  void fileWithAPasswordIsPrivate_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("othersRead");
    QTest::newRow("no password") << "" << true;
    QTest::newRow("a password") << "secret" << false;
  }
  void fileWithAPasswordIsPrivate() {
    QFETCH(QString, password);
    QFETCH(bool, othersRead);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kestrilon4.ini"));
    WriteFileBytes(path, "[AD4ETH]\r\nIP=127.0.0.1\r\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ReadOther);
    Station station;
    station.LoadSettings(path);
    station.Settings().Mqtt.Password = password;
    station.SaveDialogSettings(path);
    QCOMPARE(bool(QFile::permissions(path) & QFileDevice::ReadOther), othersRead);
    QVERIFY(QFile::permissions(path) & QFileDevice::ReadOwner);
  }

  void writesMatchReferenceFiles() {
    QFETCH(QString, start);
    QFETCH(QString, prefix);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kestrilon4.ini"));
    if (!start.isEmpty()) QVERIFY(QFile::copy(QFINDTESTDATA(QStringLiteral("reference/") + start), path));
    Station station;
    station.LoadSettings(path);
    // The two defaults that depend on the machine (program folder, host name) are fixed here.
    if (start.isEmpty()) {
      station.Settings().DatabaseDir = QStringLiteral("/var/lib/kestrilon4/archiv");
      station.Settings().Mqtt.TopicPrefix = QStringLiteral("plant/k4");
    }
    const std::pair<QString, std::function<void()>> steps[] = {
        {QStringLiteral("after-dialog"), [&] { station.SaveDialogSettings(path); }},
        {QStringLiteral("after-parameters"), [&] { station.SaveMeasurementParameters(path); }},
        {QStringLiteral("after-exit"), [&] { station.SaveExitSettings(path, {30, 40, 500, 900}); }},
    };
    for (const auto& [name, write] : steps) {
      write();
      const QString reference = QFINDTESTDATA(QStringLiteral("reference/%1-%2.ini").arg(prefix, name));
      QVERIFY2(!reference.isEmpty(), qPrintable(prefix + QLatin1Char('-') + name));
      if (qEnvironmentVariableIsSet("KESTRILON_UPDATE_DOCS")) WriteFileBytes(reference, ReadFileBytes(path));
      QCOMPARE(ReadFileBytes(path), ReadFileBytes(reference));
    }
  }

  // A settings file kept private (it may hold a password) stays private when the station writes it.
  void writeKeepsTheFilesMode() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kestrilon4.ini"));
    WriteFileBytes(path, "[MQTT]\r\nPassword=secret\r\n");
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QVERIFY(QFile::setPermissions(path, owner));
    Station station;
    station.LoadSettings(path);
    station.SaveDialogSettings(path);
    QVERIFY(ReadFileBytes(path).contains("Perioda="));
    QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), owner);
  }

  // A write killed at any moment leaves the old file or the new one, never a mix; the temporary file
  // it may leave is cleared by the next load.
  void killedWriteLeavesOldOrNewFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kestrilon4.ini"));
    // Unknown keys the writes keep make each write long enough to be cut.
    QByteArray padding = "[Historie]\r\n";
    for (int i = 0; i < 20000; ++i) padding += "Radek" + QByteArray::number(i) + "=0123456789abcdef\r\n";
    WriteFileBytes(path, padding);
    // The two versions the writer alternates: the routine's first key and its last differ.
    Station station;
    station.LoadSettings(path);
    auto written = [&](bool second) {
      station.Settings().Channel(1).Activ = second;
      station.Settings().Mqtt.Qos = second ? 1 : 0;
      station.SaveDialogSettings(path);
      return ReadFileBytes(path);
    };
    const QByteArray a = written(false), b = written(true);
    QList<QByteArray> seen;
    for (int round = 0; round < 10; ++round) {
      QProcess writer;
      writer.start(qEnvironmentVariable("KESTRILON_BINARY_DIR") + QStringLiteral("/tests/settings_writer"), {path});
      // The time one routine takes, then a kill a quarter routine later each round: before, inside
      // and after the following writes.
      QVERIFY(writer.waitForReadyRead(20000));
      QElapsedTimer routine;
      routine.start();
      writer.readAll();
      QVERIFY(writer.waitForReadyRead(20000));
      QTest::qSleep(int(routine.elapsed() * round / 4));
      writer.kill();
      writer.waitForFinished();
      const QByteArray now = ReadFileBytes(path);
      QVERIFY2(now == a || now == b, qPrintable(QStringLiteral("round %1: a mix of two writes").arg(round)));
      if (!seen.contains(now)) seen << now;
      Station next;
      next.LoadSettings(path);
      QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("kestrilon4.ini")});
    }
    QCOMPARE(seen.size(), 2);  // the kills landed at different points of the writing
  }

  // The whole load and the three write routines through the real main window.
  void roundTripOfEveryKey() {
    StationWindows w;
    w.main->LoadSettings();
    AppSettings& s = w.main->Settings();
    for (int n = 1; n <= 4; ++n) {
      ChannelSettings& c = s.Channel(n);
      c.Activ = n != 2;
      c.Value4mA = -1.5 * n;
      c.Value20mA = 123.25 * n;
      c.AlarmMIN = 5 + n;
      c.AlarmMAX = 90 - n;
      c.JednotkaIndex = n % 2;
      c.BarvaCaryIndex = n;
      c.BarvaCary = 0x010203 * n;
    }
    s.IP = QStringLiteral("127.0.0.9");
    s.Port = QStringLiteral("10002");
    s.Autopripojeni = false;
    w.main->station().SetMeasuringPeriod(5000);
    s.PocetVzorkuNaPrumer = 7;
    s.DatabaseDir = w.Path(QStringLiteral("archiv"));
    s.PomalaActive = true;
    w.main->station().SetSlowArchiveInterval(900000);
    s.RychlaActive = true;
    w.main->station().SetFastArchiveInterval(3000);
    s.DatumOdOffset = 3;
    s.TloustkaCaryGrafu = 2;
    s.UkazujSpotrebu = true;
    s.PopisGrafu = QStringLiteral("Měření kotelny");
    s.Windows7 = true;
    s.BarvaChybaIndex = 0;
    s.BarvaChyba = 0x123456;
    s.BarvaAlarmIndex = 11;
    s.BarvaAlarm = 0x00FF00;
    s.PrednabizetGraf2D = false;
    s.TypDB = 1;
    s.Chart3DPercent = 40;
    s.Teplota = 25;
    s.AtmosferickyTlak = 98.5;
    s.CidloTeploty = true;
    w.main->SaveDialogSettings();
    w.main->SaveMeasurementParameters();
    w.main->SaveExitSettings();  // also writes "Language" 1 from the load

    StationWindows again(w.IniBytes());
    again.main->LoadSettings();
    const AppSettings& r = again.main->Settings();
    for (int n = 1; n <= 4; ++n) {
      const ChannelSettings &a = s.Channel(n), &b = r.Channel(n);
      QCOMPARE(b.Activ, a.Activ);
      QCOMPARE(b.Value4mA, a.Value4mA);
      QCOMPARE(b.Value20mA, a.Value20mA);
      QCOMPARE(b.AlarmMIN, a.AlarmMIN);
      QCOMPARE(b.AlarmMAX, a.AlarmMAX);
      QCOMPARE(b.JednotkaIndex, a.JednotkaIndex);
      QCOMPARE(b.BarvaCaryIndex, a.BarvaCaryIndex);
      QCOMPARE(b.BarvaCary, a.BarvaCary);
    }
    QCOMPARE(r.IP, s.IP);
    QCOMPARE(r.Port, s.Port);
    QCOMPARE(again.main->station().MeasuringPeriod(), 5000);
    QCOMPARE(r.PocetVzorkuNaPrumer, 7);
    QCOMPARE(r.DatabaseDir, s.DatabaseDir);
    QCOMPARE(again.main->station().SlowArchiveInterval(), 900000);
    QCOMPARE(again.main->station().FastArchiveInterval(), 3000);
    QVERIFY(r.PomalaActive && r.RychlaActive && r.UkazujSpotrebu && r.Windows7 && r.CidloTeploty);
    QCOMPARE(r.ArchiveSeparator, QStringLiteral(","));
    QCOMPARE(r.DatumOdOffset, 3);
    QCOMPARE(r.TloustkaCaryGrafu, 2);
    QCOMPARE(r.PopisGrafu, s.PopisGrafu);
    QCOMPARE(std::make_tuple(r.BarvaChybaIndex, r.BarvaChyba, r.BarvaAlarmIndex, r.BarvaAlarm),
             std::make_tuple(0, 0x123456, 11, 0x00FF00));
    QCOMPARE(std::make_tuple(r.PrednabizetGraf2D, r.TypDB, r.Chart3DPercent, r.Language),
             std::make_tuple(false, 1, 40, 1));
    QCOMPARE(std::make_tuple(r.Teplota, r.AtmosferickyTlak), std::make_tuple(25, 98.5));
  }

  // Every key of the table, MQTT included, goes through its write routine and the load unchanged;
  // a key set by hand is read and never written.
  void everyKeyOfTheTableRoundTrips() {
    using namespace SettingsSchema;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.ini"));
    const auto changed = [](const Key& k, int n) -> Value {
      const Value d = k.fallback();
      switch (k.type) {
        case KeyType::Bool:
          return !std::get<bool>(d);
        case KeyType::Integer:
          if (const auto o = k.OfferedFor(n)) return int(std::get<int>(d) == int(o->max) ? o->min : o->max);
          return std::get<int>(d) + 7 * (n + 1);
        case KeyType::Float:
          return std::get<double>(d) + 1.25 * (n + 1);
        case KeyType::Text:
          return QStringLiteral("%1 č. %2").arg(k.name).arg(n);
      }
      return d;
    };
    Station written;
    WindowGeometry window;
    Target into{written.Settings(), written, window};
    QList<std::pair<const Key*, int>> byHand;
    for (const Group& group : Groups())
      for (int n : group.Inputs())
        for (const Key* k : group.keys) {
          k->set(into, n, changed(*k, n));
          if (k->writer == Writer::ByHand) byHand.append({k, n});
        }
    written.SaveDialogSettings(path);
    written.SaveMeasurementParameters(path);
    written.SaveExitSettings(path, window);
    const QString asWritten = path + QStringLiteral(".written");
    QVERIFY(QFile::copy(path, asWritten));
    const SettingsFile asWrittenFile(asWritten);
    SettingsFile edited(path);
    for (const auto& [k, n] : byHand) edited.WriteString(k->SectionOf(n), k->name, ValueText(changed(*k, n)));

    Station read;
    const WindowGeometry readWindow = read.LoadSettings(path);
    const Source from{read.Settings(), read, readWindow};
    for (const Group& group : Groups())
      for (int n : group.Inputs())
        for (const Key* k : group.keys) {
          const QString where = k->SectionOf(n) + QLatin1Char('/') + k->name;
          QVERIFY2(k->get(from, n) == changed(*k, n), qPrintable(where));
          const QString absent = QStringLiteral("\x01");
          QCOMPARE(asWrittenFile.ReadString(k->SectionOf(n), k->name, absent) != absent, k->writer != Writer::ByHand);
        }
  }

  // The check judges each value by the table: a value recording cannot use is unusable, one outside
  // what the dialogs offer (or a bad value of a key recording does not use) only unusual.
  void checkJudgesValuesByTheTable_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("kind");  // -1: no problem
    QTest::addColumn<QString>("text");
    const int unusable = int(SettingsProblem::Kind::Unusable), unusual = int(SettingsProblem::Kind::Unusual);
    QTest::newRow("period offered") << QByteArray("[AD4ETH]\r\nPerioda=5000") << -1 << QString();
    QTest::newRow("short period") << QByteArray("[AD4ETH]\r\nPerioda=100") << unusual
                                  << "[AD4ETH] Perioda=100: outside the settings dialogs' 1000..999000";
    QTest::newRow("no period") << QByteArray("[AD4ETH]\r\nPerioda=0") << unusable
                               << "[AD4ETH] Perioda=0: outside 1..2147483647";
    QTest::newRow("long average") << QByteArray("[AD4ETH]\r\nPocetVzorkuNaPrumer=61") << unusual
                                  << "[AD4ETH] PocetVzorkuNaPrumer=61: outside the settings dialogs' 0..60";
    QTest::newRow("huge average") << QByteArray("[AD4ETH]\r\nPocetVzorkuNaPrumer=2000000") << unusable
                                  << "[AD4ETH] PocetVzorkuNaPrumer=2000000: outside 0..1000000";
    QTest::newRow("cold air") << QByteArray("[PARAMETRY_MERENI]\r\nTeplota=-31") << unusual
                              << "[PARAMETRY_MERENI] Teplota=-31: outside the settings dialogs' -30..85";
    QTest::newRow("below absolute zero") << QByteArray("[PARAMETRY_MERENI]\r\nTeplota=-300") << unusable
                                         << "[PARAMETRY_MERENI] Teplota=-300: outside -273..10000";
    QTest::newRow("flow unit kg/h") << QByteArray("[ANALOG_IN1]\r\nJednotkaIndex=3") << -1 << QString();
    QTest::newRow("pressure unit 3") << QByteArray("[ANALOG_IN4]\r\nJednotkaIndex=3") << unusable
                                     << "[ANALOG_IN4] JednotkaIndex=3: outside 0..1";
    QTest::newRow("line width word") << QByteArray("[OSTATNI]\r\nTloustkaCaryGrafu=thick") << unusual
                                     << "[OSTATNI] TloustkaCaryGrafu=thick: not a whole number";
    QTest::newRow("language 3") << QByteArray("[OSTATNI]\r\nLanguage=3") << unusual
                                << "[OSTATNI] Language=3: outside the settings dialogs' 1..2";
    QTest::newRow("3D depth 0") << QByteArray("[OSTATNI]\r\nChart3DPercent=0") << unusual
                                << "[OSTATNI] Chart3DPercent=0: outside the settings dialogs' 1..100";
  }
  void checkJudgesValuesByTheTable() {
    QFETCH(QByteArray, ini);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.ini"));
    WriteFileBytes(path, "[ARCHIVACE]\r\nRychlaActive=1\r\n" + ini + "\r\n");
    const QList<SettingsProblem> expected =
        kind < 0 ? QList<SettingsProblem>() : QList<SettingsProblem>{{SettingsProblem::Kind(kind), text}};
    QCOMPARE(CheckSettingsFile(path), expected);
  }

  // The glossary's settings table is the key table's: regenerate it with KESTRILON_UPDATE_DOCS=1.
  void glossaryListsTheKeyTable() {
    using namespace SettingsSchema;
    const auto writerName = [](Writer w) {
      switch (w) {
        case Writer::Exit:
          return QStringLiteral("exit");
        case Writer::Dialog:
          return QStringLiteral("settings dialog");
        case Writer::MeasurementParameters:
          return QStringLiteral("parameters dialog");
        case Writer::ByHand:
          return QStringLiteral("by hand (never written)");
      }
      return QString();
    };
    QString table = QStringLiteral("| Section | Key | Meaning | Type, unit | Default | Offered | Written at |\n"
                                   "|---|---|---|---|---|---|---|\n");
    for (const Key& k : Keys()) {
      const auto offered = k.unitIndex ? std::optional<Limits>() : k.offered;
      table += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 |\n")
                   .arg(k.PerInput() ? k.section + QStringLiteral("1..4") : k.section, k.name, k.meaning,
                        TypeName(k.type) + (k.unit.isEmpty() || k.type == KeyType::Bool ? QString() : QStringLiteral(", ") + k.unit),
                        !k.fallbackShown.isEmpty()          ? k.fallbackShown
                        : ValueText(k.fallback()).isEmpty() ? QStringLiteral("empty")
                                                            : QStringLiteral("`%1`").arg(ValueText(k.fallback())),
                        offered ? QStringLiteral("%1..%2").arg(qint64(offered->min)).arg(qint64(offered->max))
                                : k.unitIndex ? QStringLiteral("the input's units") : QString(),
                        writerName(k.writer));
    }
    const QString glossaryPath = QFINDTESTDATA("../../docs/GLOSSARY.md");
    QVERIFY(!glossaryPath.isEmpty());
    QString glossary = QString::fromUtf8(ReadFileBytes(glossaryPath));
    const QString begin = QStringLiteral("<!-- settings keys: begin -->\n"), end = QStringLiteral("<!-- settings keys: end -->");
    const qsizetype from = glossary.indexOf(begin), to = glossary.indexOf(end);
    QVERIFY(from >= 0 && to > from);
    const QString stored = glossary.mid(from + begin.size(), to - from - begin.size());
    if (stored != table && qEnvironmentVariableIsSet("KESTRILON_UPDATE_DOCS")) {
      WriteFileBytes(glossaryPath, glossary.replace(from + begin.size(), stored.size(), table).toUtf8());
      return;
    }
    QCOMPARE(stored, table);
  }

  // Beside the executable while its folder takes files; the user's XDG folders for an installed one.
  void stationPathsFollowTheProgramFolder_data() {
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("archive");
    QTest::newRow("build folder") << true << "/opt/k4/kestrilon4.ini" << "/opt/k4/archiv";
    QTest::newRow("installed") << false << "/home/op/.config/kestrilon4/kestrilon4.ini"
                               << "/home/op/.local/share/kestrilon4/archiv";
  }
  void stationPathsFollowTheProgramFolder() {
    QFETCH(bool, writable);
    QFETCH(QString, settings);
    QFETCH(QString, archive);
    const StationPaths paths = ChooseStationPaths(QStringLiteral("/opt/k4"), QStringLiteral("kestrilon4.ini"), writable,
                                                  QStringLiteral("/home/op/.config"),
                                                  QStringLiteral("/home/op/.local/share"));
    QCOMPARE(paths.settingsFile, settings);
    QCOMPARE(paths.defaultArchiveDir, archive);
  }

  // A settings file beside the program is the one used, its extension in any case.
  void settingsFileBesideTheProgramFound_data() {
    QTest::addColumn<QString>("present");
    QTest::addColumn<QString>("found");
    QTest::newRow("lower case") << "kestrilon4.ini" << "kestrilon4.ini";
    QTest::newRow("upper case") << "kestrilon4.INI" << "kestrilon4.INI";
    QTest::newRow("mixed case") << "kestrilon4.Ini" << "kestrilon4.Ini";
    QTest::newRow("another name") << "kestrilon4.ini.bak" << "";
    QTest::newRow("none") << "" << "";
  }
  void settingsFileBesideTheProgramFound() {
    QFETCH(QString, present);
    QFETCH(QString, found);
    QTemporaryDir dir;
    if (!present.isEmpty()) WriteFileBytes(dir.filePath(present), "[AD4ETH]\r\n");
    QCOMPARE(ExistingSettingsFile(dir.path(), QStringLiteral("kestrilon4.ini")),
             found.isEmpty() ? QString() : dir.filePath(found));
  }

  void programFolderHoldsFiles_data() {
    QTest::addColumn<QString>("dir");
    QTest::addColumn<bool>("holds");
    QTest::newRow("/usr/bin") << "/usr/bin" << false;  // even for root, who could write there
    QTest::newRow("/usr/local/bin") << "/usr/local/bin" << false;
    QTest::newRow("/bin") << "/bin" << false;
    QTest::newRow("/usrlocal (not /usr)") << "/usrlocal-missing" << false;  // missing: no folder
    QTest::newRow("temporary folder") << QDir::tempPath() << true;
  }
  void programFolderHoldsFiles() {
    QFETCH(QString, dir);
    QFETCH(bool, holds);
    QCOMPARE(ProgramFolderHoldsFiles(dir), holds);
  }

  void programFolderReadOnly() {
    if (geteuid() == 0) {
      // Root writes anywhere: the system folders above stand for the read-only case.
      QVERIFY(!ProgramFolderHoldsFiles(QStringLiteral("/usr/lib")));
      return;
    }
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QVERIFY(!ProgramFolderHoldsFiles(dir.path()));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }

  void writeRoutinesWriteTheirKeysInOrder() {
    StationWindows w;
    w.main->LoadSettings();
    w.main->SaveDialogSettings();
    QStringList keys;
    for (const QByteArray& line : w.IniBytes().split('\n')) {
      const QByteArray t = line.trimmed();
      if (!t.isEmpty()) keys << QString::fromLatin1(t.startsWith('[') ? t : t.left(t.indexOf('=')));
    }
    QStringList expected;
    for (int n = 1; n <= 4; ++n)
      expected << QStringLiteral("[ANALOG_IN%1]").arg(n) << QStringLiteral("Activ") << QStringLiteral("4mA")
               << QStringLiteral("20mA") << QStringLiteral("AlarmMIN") << QStringLiteral("AlarmMAX")
               << QStringLiteral("JednotkaIndex") << QStringLiteral("BarvaCaryIndex")
               << QStringLiteral("BarvaCary");
    expected << QStringLiteral("[AD4ETH]") << QStringLiteral("IP") << QStringLiteral("Port")
             << QStringLiteral("Autopripojeni") << QStringLiteral("Perioda")
             << QStringLiteral("PocetVzorkuNaPrumer") << QStringLiteral("[ARCHIVACE]")
             << QStringLiteral("DatabaseDir") << QStringLiteral("PomalaActive")
             << QStringLiteral("PomalaInterval") << QStringLiteral("RychlaActive")
             << QStringLiteral("RychlaInterval") << QStringLiteral("[OSTATNI]")
             << QStringLiteral("DatumOdOffset") << QStringLiteral("TloustkaCaryGrafu")
             << QStringLiteral("UkazujSpotrebu") << QStringLiteral("PopisGrafu") << QStringLiteral("Windows7")
             << QStringLiteral("BarvaChybaIndex") << QStringLiteral("BarvaChyba")
             << QStringLiteral("BarvaAlarmIndex") << QStringLiteral("BarvaAlarm");
    expected << QStringLiteral("[MQTT]") << QStringLiteral("Active") << QStringLiteral("Host")
             << QStringLiteral("Port") << QStringLiteral("TopicPrefix") << QStringLiteral("ClientId")
             << QStringLiteral("User") << QStringLiteral("Password") << QStringLiteral("Tls")
             << QStringLiteral("CaFile") << QStringLiteral("Qos");
    for (int n = 1; n <= 4; ++n)
      expected << QStringLiteral("[ALARM_IN%1]").arg(n) << QStringLiteral("Delay") << QStringLiteral("Hysteresis");
    expected << QStringLiteral("[ALARMS]") << QStringLiteral("NoReply") << QStringLiteral("BrokerDown");
    QCOMPARE(keys, expected);
    // The dialog's keys leave the window, run-time and parameter keys alone.
    QVERIFY(!w.IniBytes().contains("[OKNO]"));
    QVERIFY(!w.IniBytes().contains("Language"));
    QVERIFY(!w.IniBytes().contains("PARAMETRY_MERENI"));
  }

  void languageThreeWrittenBackUnchanged() {
    StationWindows w("[OSTATNI]\r\nLanguage=3\r\n");
    w.main->LoadSettings();
    QVERIFY(w.main->Language().IsEmpty());
    w.main->SaveExitSettings();
    QVERIFY(w.IniBytes().contains("Language=3\r\n"));
  }

  void loadFailureLoggedAndStartGoesOn() {
    StationWindows w("[AD4ETH]\r\nAutopripojeni=1\r\nIP=127.0.0.1\r\n");
    QFile::remove(w.IniPath());
    QVERIFY(QDir().mkdir(w.IniPath()));  // unreadable as a file
    LogRecorder log;
    w.main->Form().edFyzPrumer1->setText(QStringLiteral("12,34"));
    w.main->LoadSettings();
    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(log.entries[0].first, LogKind::Error);
    QVERIFY(log.entries[0].second.startsWith(QStringLiteral("Vyjimka Init - ")));
    QCOMPARE(w.main->Form().edFyzPrumer1->text(), QStringLiteral("---"));  // step 11 ran
    // Every key not read takes its default: no empty address, no archive in the root, no zero pressure.
    const AppSettings& s = w.main->Settings();
    QCOMPARE(s.IP, QStringLiteral("127.0.0.1"));  // never an address of somebody's network
    QCOMPARE(s.Port, QStringLiteral("10001"));
    QCOMPARE(s.DatabaseDir, SettingsSchema::DefaultDatabaseDir());
    QCOMPARE(s.AtmosferickyTlak, 101.325);
    QCOMPARE(s.PopisGrafu, SettingsSchema::DefaultPopisGrafu());
    QCOMPARE(s.Channel(1).Value20mA, 100.0);
    QVERIFY(s.Channel(4).Activ);
    QCOMPARE(w.main->station().MeasuringPeriod(), 2000);
    QCOMPARE(s.ArchiveSeparator, QStringLiteral(";"));
    QVERIFY(!w.main->station().MeasuringOn());
    QCOMPARE(w.main->size(), QSize(781, 466));
  }

  void writeFailuresLoggedAndExitStillStops() {
    StationWindows w;
    w.main->LoadSettings();
    w.main->Settings().IP = QStringLiteral("127.0.0.1");
    w.main->station().StartMeasuring();
    QVERIFY(w.main->station().MeasuringOn());
    QVERIFY(QDir().mkdir(w.IniPath()));
    LogRecorder log;
    w.main->SaveDialogSettings();
    w.main->SaveMeasurementParameters();
    w.main->SaveExitSettings();
    QCOMPARE(log.entries.size(), 3);
    QVERIFY(log.entries[0].second.startsWith(QStringLiteral("Vyjimka SaveIniFile - ")));
    QVERIFY(log.entries[1].second.startsWith(QStringLiteral("Vyjimka SaveIniFile - ")));
    QVERIFY(log.entries[2].second.startsWith(QStringLiteral("Vyjimka Exit - ")));
    // The user is told once, on the status bar.
    QCOMPARE(w.main->findChild<QStatusBar*>()->currentMessage(),
             QStringLiteral("Nastavení nelze uložit do ") + w.IniPath());
    QVERIFY(!w.main->station().MeasuringOn());
    QVERIFY(!w.main->station().Link().IsOpen());
  }

  void timerIntervalZeroLeavesTimersStopped() {
    StationWindows w(
        "[AD4ETH]\r\nPerioda=0\r\nIP=127.0.0.1\r\n[ARCHIVACE]\r\nRychlaActive=1\r\nRychlaInterval=-5\r\n");
    w.main->LoadSettings();
    w.main->station().StartMeasuring();
    QVERIFY(!w.main->station().Link().PollTimer().isActive());
    QVERIFY(!w.main->station().FastArchiveTimer().isActive());
  }

  // An editor's UTF-8 byte-order mark does not hide the first section, and stays when a key is written.
  void byteOrderMarkSkippedAndKept() {
    StationWindows w("\xEF\xBB\xBF[AD4ETH]\r\nIP=127.0.0.5\r\nAutopripojeni=0\r\n");
    w.main->LoadSettings();
    QCOMPARE(w.main->Settings().IP, QStringLiteral("127.0.0.5"));
    SettingsFile file(w.IniPath());
    file.WriteString(QStringLiteral("AD4ETH"), QStringLiteral("IP"), QStringLiteral("127.0.0.6"));
    QCOMPARE(w.IniBytes(), QByteArray("\xEF\xBB\xBF[AD4ETH]\r\nIP=127.0.0.6\r\nAutopripojeni=0\r\n"));
  }

  // One load reads the file once: later look-ups of the same object do not read it again.
  void oneReadingPerLoad() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.ini"));
    WriteFileBytes(path, "[A]\r\nx=1\r\ny=2\r\n");
    const SettingsFile file(path);
    QCOMPARE(file.ReadInteger(QStringLiteral("A"), QStringLiteral("x"), 0), 1);
    WriteFileBytes(path, "[A]\r\nx=5\r\ny=6\r\n");
    QCOMPARE(file.ReadInteger(QStringLiteral("a"), QStringLiteral("Y"), 0), 2);
    QCOMPARE(SettingsFile(path).ReadInteger(QStringLiteral("A"), QStringLiteral("y"), 0), 6);
  }

  // An absurd stored size is clamped to the desktop when applied, and so written back.
  void absurdGeometryClamped() {
    StationWindows w("[OKNO]\r\nTop=-99999\r\nLeft=999999\r\nWidth=999999999\r\nHeight=999999999\r\n");
    w.main->LoadSettings();
    const QRect desktop = QGuiApplication::primaryScreen()->availableVirtualGeometry();
    QVERIFY(w.main->width() <= desktop.width() && w.main->height() <= desktop.height());
    QVERIFY(desktop.contains(QRect(w.main->pos(), w.main->size())));
    w.main->SaveExitSettings();
    QVERIFY(!w.IniBytes().contains("Width=999999999"));
  }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
