#include <QAction>
#include <QDateTimeEdit>
#include <QLabel>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <csignal>

#include "main_window/status_bar.h"
#include "main_window/daily_chart_page.h"
#include "main_window/range_chart_page.h"
#include "charts/chart_view.h"
#include "main_window/main_form.h"
#include "station/single_instance.h"
#include "support/fake_converter.h"
#include "support/mqtt_broker.h"
#include "support/scripted_prompt.h"
#include "support/station_processes.h"
#include "support/station_fixture.h"

namespace {
QString TestGuardName() {
  return QStringLiteral("kestrilon-test-guard-%1").arg(QCoreApplication::applicationPid());
}

}  // namespace

class TestShell : public QObject {
  Q_OBJECT
 private slots:
  void singleInstanceWithLiveHolder() {
    SingleInstanceGuard first(TestGuardName());
    SingleInstanceGuard second(TestGuardName());
    QVERIFY(first.Acquire());
    QVERIFY(!second.Acquire());
    first.Release();
    QVERIFY(second.Acquire());
  }

  // "No" with a notification area: hidden to the tray, still measuring; restored, the settings are
  // loaded again and measuring goes on (auto-connect starts it again).
  void hideToTrayAndRestore() {
    FakeConverter converter;
    StationWindows w("[AD4ETH]\r\nAutopripojeni=1\r\nIP=127.0.0.1\r\nPort=" +
                     QByteArray::number(converter.Port()) + "\r\nPerioda=100\r\n");
    TMainForm& f = *w.main;
    f.SetTrayAvailability([] { return true; });
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(f.station().MeasuringOn());
    QTRY_VERIFY(converter.requests >= 2);

    w.prompt->answer = UserPrompt::Answer::No;
    f.close();
    QVERIFY(!f.isVisible());
    QVERIFY(f.TrayIcon()->isVisible());
    QVERIFY(f.station().MeasuringOn());
    const int requests = converter.requests;
    QTRY_VERIFY(converter.requests > requests + 2);  // polling goes on while hidden

    // Edited while hidden: the restore reads the file again.
    WriteFileBytes(w.IniPath(), "[AD4ETH]\r\nAutopripojeni=1\r\nIP=127.0.0.1\r\nPort=" +
                                    QByteArray::number(converter.Port()) + "\r\nPerioda=100\r\n[OSTATNI]\r\n"
                                    "PopisGrafu=Po obnoveni\r\n");
    f.RestoreFromTray();
    QVERIFY(f.isVisible());
    QVERIFY(!f.TrayIcon()->isVisible());
    QCOMPARE(f.Settings().PopisGrafu, QStringLiteral("Po obnoveni"));
    QVERIFY(f.station().MeasuringOn());
    QVERIFY(f.station().Link().IsOpen());
    const int after = converter.requests;
    QTRY_VERIFY(converter.requests > after + 2);
    f.station().StopMeasuring();
  }

  void closeQuestionAnswers() {
    StationWindows w;
    TMainForm& f = *w.main;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QSignalSpy exit(&f, &TMainForm::ExitConfirmed);

    w.prompt->answer = UserPrompt::Answer::Cancel;
    f.close();
    QVERIFY(f.isVisible());
    QVERIFY(!QFile::exists(w.IniPath()));
    QCOMPARE(w.prompt->questions.last().text, f.Message(QStringLiteral("msgUkonceniAplikace")));
    QCOMPARE(w.prompt->questions.last().caption, QStringLiteral("Ukončení aplikace"));

    f.Settings().IP = QStringLiteral("127.0.0.1");
    f.station().StartMeasuring();
    w.prompt->answer = UserPrompt::Answer::No;
    f.close();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
      QVERIFY(!f.isVisible());
      QVERIFY(f.TrayIcon()->isVisible());
    } else {
      QTRY_VERIFY(f.isMinimized());  // no tray to come back from: minimised instead
    }
    QVERIFY(f.station().MeasuringOn());
    QVERIFY(!QFile::exists(w.IniPath()));

    f.RestoreFromTray();
    QVERIFY(f.isVisible());
    QVERIFY(!f.TrayIcon()->isVisible());

    LogRecorder log;
    w.prompt->answer = UserPrompt::Answer::Yes;
    f.close();
    QCOMPARE(exit.count(), 1);
    QVERIFY(!f.station().MeasuringOn());
    QVERIFY(w.IniBytes().contains("[OKNO]\r\nTop="));
    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(log.entries.last().first, LogKind::Event);
    QCOMPARE(log.entries.last().second, QStringLiteral("----------- UKONČENÍ APLIKACE ---------"));
  }

  void everyWayOfClosingAsks() {
    StationWindows w;
    TMainForm& f = *w.main;
    f.show();
    w.prompt->answer = UserPrompt::Answer::Cancel;
    f.Form().miKonec->trigger();
    f.findChild<QToolButton*>(QStringLiteral("tbExit"))->click();
    f.findChild<QAction*>(QStringLiteral("miTIKonec"))->trigger();
    f.close();
    QCOMPARE(w.prompt->questions.size(), 4);
    QVERIFY(f.isVisible());
  }

  void statusBarAndTrayHint() {
    StationWindows w;
    TMainForm& f = *w.main;
    f.LoadSettings();
    QCOMPARE(f.StatusBar().LinkImageShown(), 1);
    f.station().Link().SetIndicatorHold(100);
    f.Settings().IP = QStringLiteral("127.0.0.1");
    f.Settings().Port = QString::number(FreeLocalPort());
    f.station().StartMeasuring();
    QCOMPARE(f.StatusBar().LinkImageShown(), 0);
    QCOMPARE(f.StatusBar().Text(1), QStringLiteral("Měření zapnuto"));
    QCOMPARE(f.TrayIcon()->toolTip(), QStringLiteral("Kestrilon4\nMěření zapnuto"));
    QVERIFY(!f.Form().miStartMereni->isEnabled());
    QVERIFY(f.Form().miStopMereni->isEnabled());
    f.station().Link().TcpClientReceive(QByteArray("noise"));
    QCOMPARE(f.StatusBar().LinkImageShown(), 6);
    QTRY_COMPARE(f.StatusBar().LinkImageShown(), 0);
    f.station().Link().DropLink();
    QCOMPARE(f.StatusBar().LinkImageShown(), 3);
    f.Form().miStopMereni->trigger();
    QCOMPARE(f.StatusBar().LinkImageShown(), 1);
    QCOMPARE(f.StatusBar().Text(1), QStringLiteral("Měření vypnuto"));
    QVERIFY(f.Form().miStartMereni->isEnabled());
    QVERIFY(!f.findChild<QToolButton*>(QStringLiteral("tbMereni"))->isChecked());
  }

  void dailyChartClearedAtDayChange() {
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 58)));
    StationWindows w;
    TMainForm& f = *w.main;
    ChartView* daily = f.Form().ChartDenni;
    auto addPoint = [&] { daily->AddPoint(f.DailyChart().Series(1), 1, 1); };
    addPoint();
    f.StatusBar().timStatusRefreshTimer();
    QCOMPARE(daily->PointCount(f.DailyChart().Series(1)), 0);  // the first tick clears, whatever the time
    addPoint();
    f.StatusBar().timStatusRefreshTimer();
    f.RestoreFromTray();
    f.StatusBar().timStatusRefreshTimer();
    QCOMPARE(daily->PointCount(f.DailyChart().Series(1)), 1);
    clock.Set(QDateTime(QDate(2026, 12, 9), QTime(0, 0, 1)));
    f.StatusBar().timStatusRefreshTimer();
    QCOMPARE(daily->PointCount(f.DailyChart().Series(1)), 0);
    QVERIFY(f.StatusBar().Text(3).endsWith(QStringLiteral("      ")));  // one blank, then five more
    QVERIFY(!f.StatusBar().Text(3).endsWith(QStringLiteral("       ")));
  }

  void keysRoutedByPage() {
    StationWindows w;
    TMainForm& f = *w.main;
    f.LoadSettings();
    f.ApplyChartSettings();
    f.show();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    const QTime before = f.Form().dtpDo->time();
    f.Form().PageControl1->setCurrentIndex(0);
    QTest::keyClick(&f, Qt::Key_F9);
    QCOMPARE(f.Form().dtpDo->time(), before);  // no generation on the overview
    f.Form().PageControl1->setCurrentIndex(2);
    f.Form().dtpOd->setFocus();
    QTest::keyClick(f.Form().dtpOd, Qt::Key_F9);  // the window sees the key before the picker
    QCOMPARE(f.Form().dtpDo->time(), QTime(23, 59, 59, 59));
    QVERIFY(!f.RangeChart().Generating());
    QTest::keyClick(f.Form().dtpOd, Qt::Key_Escape);
    QVERIFY(!f.RangeChart().CancelRequested());  // Esc only while generating
  }

  void noticeNotRepeatedWhileOpen() {
    QtUserPrompt prompt;
    auto openBoxes = [] {
      int n = 0;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w) && w->isVisible()) ++n;
      return n;
    };
    prompt.Notify(UserPrompt::Icon::Error, QStringLiteral("c"), QStringLiteral("GetValueJednorazoveMereni"));
    prompt.Notify(UserPrompt::Icon::Error, QStringLiteral("c"), QStringLiteral("GetValueJednorazoveMereni"));
    QCOMPARE(openBoxes(), 1);
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w)) box->close();
    QTRY_COMPARE(openBoxes(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    prompt.Notify(UserPrompt::Icon::Error, QStringLiteral("c"), QStringLiteral("GetValueJednorazoveMereni"));
    QCOMPARE(openBoxes(), 1);
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w)) box->close();
  }

  // The real binary, offscreen, against the converter simulator: the hourly archive carries the
  // values the scaling and correction predict.
  void endToEndRecording() {
    QVERIFY2(!qEnvironmentVariableIsEmpty("KESTRILON_BINARY_DIR"), "KESTRILON_BINARY_DIR names the build folder");
    QTemporaryDir dir;
    SimulatorProcess simulator;
    QVERIFY(simulator.Listening());
    const quint16 port = simulator.port;
    QFile ini(dir.filePath(QStringLiteral("kestrilon4.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[AD4ETH]\r\nIP=127.0.0.1\r\nPort=%1\r\nAutopripojeni=1\r\nPerioda=100\r\n"
                             "[ARCHIVACE]\r\nDatabaseDir=%2\r\nRychlaActive=1\r\nRychlaInterval=150\r\n"
                             "[ANALOG_IN1]\r\nJednotkaIndex=2\r\n[PARAMETRY_MERENI]\r\nTeplota=40\r\n")
                  .arg(port)
                  .arg(dir.filePath(QStringLiteral("archiv")))
                  .toUtf8());
    ini.close();

    QProcess kestrilon;
    QVERIFY(StartWindowIn(dir.path(), kestrilon));
    const QDir archive(dir.filePath(QStringLiteral("archiv")));
    auto rows = [&] {
      QStringList lines;
      for (const QString& name : archive.entryList({QStringLiteral("FA_*.csv")}, QDir::Files, QDir::Name)) {
        QFile f(archive.filePath(name));
        if (f.open(QIODevice::ReadOnly))
          lines << QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
      }
      return lines;
    };
    QTRY_VERIFY_WITH_TIMEOUT(rows().size() >= 4, 30000);
    kestrilon.kill();
    kestrilon.waitForFinished();

    const QStringList lines = rows();
    QCOMPARE(lines.first(), QStringLiteral("DATUM;CAS;IN1;IN2;IN3;IN4"));
    const double factor = 313.15 * 0.3456421627153335 / 101.325;
    const QString expected =
        QStringLiteral("%1;25.0000;%2;100.0000")
            .arg(QString::number(50.0 * factor * 100 / 6, 'f', 4), QString::number(75.0 * factor, 'f', 4));
    QVERIFY2(lines[1].endsWith(expected), qPrintable(lines[1] + QStringLiteral(" vs ") + expected));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{1,2}\\.\\d{1,2}\\.\\d{4};\\d{1,2}:\\d{2}:\\d{2};"))
                .match(lines[1])
                .hasMatch());
  }

  // A logout or a service stop (SIGTERM, SIGHUP) ends the window as a confirmed exit does, without
  // the question: settings written, measuring stopped, the exit line logged.
  void signalsEndTheWindowAsAConfirmedExit_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
  }
  void signalsEndTheWindowAsAConfirmedExit() {
    QFETCH(int, signal);
    QTemporaryDir dir;
    SimulatorProcess simulator;
    QVERIFY(simulator.Listening());
    const QString archive = dir.filePath(QStringLiteral("archiv"));
    WriteFileBytes(dir.filePath(QStringLiteral("kestrilon4.ini")),
                   QStringLiteral("[AD4ETH]\r\nIP=127.0.0.1\r\nPort=%1\r\nAutopripojeni=1\r\nPerioda=100\r\n"
                                  "[ARCHIVACE]\r\nDatabaseDir=%2\r\nRychlaActive=1\r\nRychlaInterval=150\r\n")
                       .arg(simulator.port)
                       .arg(archive)
                       .toUtf8());
    QProcess window;
    QVERIFY(StartWindowIn(dir.path(), window));
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(archive).entryList(QDir::Files).isEmpty(), 30000);  // measuring
    ::kill(pid_t(window.processId()), signal);
    QVERIFY(window.waitForFinished(15000));
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QCOMPARE(window.exitCode(), 0);
    const QByteArray ini = ReadFileBytes(dir.filePath(QStringLiteral("kestrilon4.ini")));
    QVERIFY2(ini.contains("[OKNO]\r\nTop=") && ini.contains("Language=1"), ini.constData());
    QVERIFY(QString::fromUtf8(window.readAllStandardError()).contains(QStringLiteral("UKONČENÍ APLIKACE")));
  }

  // The stored size is applied and kept: an inactive input never widens the window, before or
  // after the settings dialog changes which inputs are active.
  void geometryKeptWithInactiveInputs_data() {
    QTest::addColumn<int>("inactive");
    QTest::addColumn<QSize>("stored");
    for (int n = 0; n <= 4; ++n) {
      QTest::addRow("input %d off, default size", n) << n << QSize(781, 466);
      QTest::addRow("input %d off, 700x400", n) << n << QSize(700, 400);
    }
  }
  void geometryKeptWithInactiveInputs() {
    QFETCH(int, inactive);
    QFETCH(QSize, stored);
    QByteArray ini = "[OKNO]\r\nTop=30\r\nLeft=10\r\nWidth=" + QByteArray::number(stored.width()) +
                     "\r\nHeight=" + QByteArray::number(stored.height()) + "\r\n";
    if (inactive > 0) ini += "[ANALOG_IN" + QByteArray::number(inactive) + "]\r\nActiv=0\r\n";
    StationWindows w(ini);
    TMainForm& f = *w.main;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCoreApplication::processEvents();
    // Top/Left/Width/Height are the outer frame's, applied and saved alike.
    QVERIFY(f.frameGeometry() != f.geometry());
    QCOMPARE(f.frameGeometry(), QRect(QPoint(10, 30), stored));
    QVERIFY(f.minimumSizeHint().width() < 781 && f.minimumSizeHint().height() < 466);

    // The settings dialog switches another input off and the first one on again.
    const int other = inactive == 4 ? 1 : inactive + 1;
    f.Settings().Channel(other).Activ = false;
    if (inactive > 0) f.Settings().Channel(inactive).Activ = true;
    f.ApplyChannelSettings();
    f.ApplyChartSettings();
    QCoreApplication::processEvents();
    QCOMPARE(f.frameGeometry().size(), stored);

    w.prompt->answer = UserPrompt::Answer::Yes;
    f.close();
    const QByteArray saved = w.IniBytes();
    QVERIFY2(saved.contains("Width=" + QByteArray::number(stored.width()) + "\r\n"), saved.constData());
    QVERIFY(saved.contains("Height=" + QByteArray::number(stored.height()) + "\r\n"));
    QVERIFY2(saved.startsWith("[OKNO]\r\nTop=30\r\nLeft=10\r\n"), saved.constData());
  }

  // At the default size, in both languages, no text of any page or of the status bar is clipped.
  // The archive and MQTT texts of the status bar follow a language switch.
  void statusTextsFollowTheLanguage() {
    StationWindows w;
    TMainForm& f = *w.main;
    f.SwitchToCzech();
    f.ShowArchiveWritable(false, QStringLiteral("/archiv"));
    f.ShowMqttState(MqttState::Disconnected);
    f.SwitchToEnglish();
    QCOMPARE(f.findChild<QLabel*>(QStringLiteral("laArchiveProblem"))->text(), QStringLiteral("Archive not written!"));
    QCOMPARE(f.StatusBar().MqttText(), QStringLiteral("MQTT: disconnected"));
    f.SwitchToCzech();
    QCOMPARE(f.StatusBar().MqttText(), QStringLiteral("MQTT: odpojeno"));
  }

  void nothingClippedAtDefaultSize_data() {
    QTest::addColumn<bool>("english");
    QTest::newRow("Czech") << false;
    QTest::newRow("English") << true;
  }
  void nothingClippedAtDefaultSize() {
    QFETCH(bool, english);
    StationWindows w;
    TMainForm& f = *w.main;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    if (english) f.SwitchToEnglish();
    f.Form().dtpOd->setDate(QDate(2026, 12, 28));
    f.Form().dtpDo->setDate(QDate(2026, 12, 28));
    // The status bar at its fullest: measuring, the archive not written, the broker away.
    f.StatusBar().SetMeasuringText(f.Message(QStringLiteral("msgMereniZapnuto")));
    f.StatusBar().ShowArchiveWritable(false, QStringLiteral("/archiv"));
    f.StatusBar().ShowMqttState(MqttState::Disconnected);
    // ... and a generation showing its progress, the clock still whole.
    f.StatusBar().ShowGeneration(true);
    f.StatusBar().SetGenerationProgress(1200, 8760, english ? QStringLiteral("Reading archive 1200 / 8760 (Esc cancels)")
                                                           : QStringLiteral("Čtení archivu 1200 / 8760 (Esc přeruší)"));
    QCoreApplication::processEvents();
    QCOMPARE(f.frameGeometry().size(), QSize(781, 466));
    for (int page = 0; page < f.Form().PageControl1->count(); ++page) {
      f.Form().PageControl1->setCurrentIndex(page);
      QCoreApplication::processEvents();
      QList<QWidget*> shown = f.Form().PageControl1->currentWidget()->findChildren<QWidget*>();
      for (QLabel* label : f.Form().StatusBar1->findChildren<QLabel*>()) shown << label;
      int checked = 0;
      for (QWidget* c : shown) {
        if (!c->isVisibleTo(&f) || !(qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) ||
                                     qobject_cast<QDateTimeEdit*>(c)))
          continue;
        if (auto* label = qobject_cast<QLabel*>(c); label && label->text().isEmpty()) continue;
        ++checked;
        // Fully inside its page (or the status bar), which is inside the window.
        QWidget* area = f.Form().StatusBar1->isAncestorOf(c) ? static_cast<QWidget*>(f.Form().StatusBar1)
                                                             : f.Form().PageControl1->currentWidget();
        const QRect inArea(c->mapTo(area, QPoint(0, 0)), c->size());
        QVERIFY2(area->rect().contains(inArea) && f.rect().contains(QRect(area->mapTo(&f, QPoint(0, 0)), area->size())),
                 qPrintable(QStringLiteral("page %1: %2 lies outside the visible area").arg(page).arg(c->objectName())));
        QVERIFY2(c->width() >= c->sizeHint().width() && c->height() >= c->minimumSizeHint().height(),
                 qPrintable(QStringLiteral("page %1: %2 is %3 wide, needs %4")
                                .arg(page)
                                .arg(c->objectName().isEmpty() ? QString::fromLatin1(c->metaObject()->className())
                                                               : c->objectName())
                                .arg(c->width())
                                .arg(c->sizeHint().width())));
      }
      QVERIFY(checked >= 3);
    }
  }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
