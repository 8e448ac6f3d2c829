// The alarm list, its acknowledgement and the journal as the window shows them, in both languages.
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

#include "main_window/alarm_window.h"
#include "main_window/main_form.h"
#include "main_window/status_bar.h"
#include "station/clock.h"
#include "support/station_fixture.h"

class TestAlarmWindow : public QObject {
  Q_OBJECT

 private slots:
  void listAcknowledgementAndJournal_data() {
    QTest::addColumn<QString>("language");
    // status bar, input error, raised, acknowledged, cleared unacknowledged
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("Czech") << "miCestina"
                           << QStringList{"Alarmy: 2", "chyba vstupu", "vyhlášen", "potvrzen", "odezněl, nepotvrzen"};
    QTest::newRow("English") << "miEnglish"
                             << QStringList{"Alarms: 2", "input error", "raised", "acknowledged", "cleared, unacknowledged"};
  }
  void listAcknowledgementAndJournal() {
    QFETCH(QString, language);
    QFETCH(QStringList, texts);
    StationWindows w;
    const QString archive = w.Path(QStringLiteral("archiv"));
    WriteFileBytes(w.IniPath(), "[AD4ETH]\r\nIP=127.0.0.1\r\n[ARCHIVACE]\r\nDatabaseDir=" + archive.toUtf8() + "\r\n");
    TMainForm& f = *w.main;
    f.LoadSettings();
    f.show();
    f.findChild<QAction*>(language)->trigger();
    AlarmMonitor& alarms = f.station().Alarms();
    std::array<AlarmInput, kInputCount> inputs{};
    inputs[3] = {true, false, 50, 50};  // input 4 faulty
    alarms.Inputs(Clock::Now(), f.Settings(), inputs);
    alarms.ArchiveWritable(false, Clock::Now());

    QToolButton* button = f.StatusBar().AlarmButton();
    QVERIFY(button->isVisible());
    QCOMPARE(button->text(), texts[0]);
    QVERIFY(f.StatusBar().AlarmBlinking());
    f.findChild<QAction*>(QStringLiteral("miAlarmy"))->trigger();
    AlarmWindow& window = f.Alarms();
    QVERIFY(window.isVisible());
    QTableWidget* list = window.AlarmTable();
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->item(0, 1)->text(), QStringLiteral("IN4"));
    QCOMPARE(list->item(0, 2)->text(), texts[1]);
    QCOMPARE(list->item(0, 5)->text(), texts[2]);
    // Over before anyone saw it: still listed, told apart, the button blinking; a repeat is counted
    // on the same row.
    inputs[3] = {true, true, 50, 50};
    alarms.Inputs(Clock::Now(), f.Settings(), inputs);
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->item(0, 5)->text(), texts[4]);
    QVERIFY(f.StatusBar().AlarmBlinking());
    inputs[3] = {true, false, 50, 50};
    alarms.Inputs(Clock::Now(), f.Settings(), inputs);
    QCOMPARE(list->rowCount(), 2);
    const QString twice = QStringLiteral(" (2×)");
    QCOMPARE(list->item(0, 5)->text(), texts[2] + twice);

    // The chosen one first, then (nothing chosen) the rest: the blinking stops with the last.
    list->selectRow(1);
    QTest::mouseClick(window.AcknowledgeButton(), Qt::LeftButton);
    QCOMPARE(list->item(1, 5)->text(), texts[3]);
    QCOMPARE(list->item(0, 5)->text(), texts[2] + twice);
    QVERIFY(f.StatusBar().AlarmBlinking());
    list->clearSelection();
    QTest::mouseClick(window.AcknowledgeButton(), Qt::LeftButton);
    QCOMPARE(list->item(0, 5)->text(), texts[3] + twice);
    QVERIFY(!f.StatusBar().AlarmBlinking());
    QVERIFY(!window.AcknowledgeButton()->isEnabled());

    // The journal, newest first; the text to find narrows it.
    QTableWidget* journal = window.JournalTable();
    QTRY_VERIFY(journal->rowCount() >= 4);
    QCOMPARE(journal->item(0, 1)->text(), QStringLiteral("alarm-acknowledged"));
    window.FindEdit()->setText(QStringLiteral("archive rows"));
    QCOMPARE(journal->rowCount(), 2);
    QCOMPARE(journal->item(1, 1)->text(), QStringLiteral("alarm-raised"));
  }
};

QTEST_MAIN(TestAlarmWindow)
#include "tst_alarm_window.moc"
