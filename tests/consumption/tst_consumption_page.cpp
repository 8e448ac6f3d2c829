// The consumption page: what the program writes, shown and saved; its texts in both languages.
#include <QComboBox>
#include <QDateEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include "archive/archive_writer.h"
#include "main_window/consumption_page.h"
#include "main_window/main_form.h"
#include "support/scripted_prompt.h"
#include "support/station_fixture.h"

class TestConsumptionPage : public QObject {
  Q_OBJECT

 private slots:
  // F9 on the page computes the ledger of its range; the CSV it saves is the program's, byte for byte.
  void pageAndProgramAgree_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("total");
    QTest::newRow("Czech") << "miCestina"
                           << "Spotřeba"
                           << "Celkem";
    QTest::newRow("English") << "miEnglish"
                             << "Consumption"
                             << "Total";
  }
  void pageAndProgramAgree() {
    QFETCH(QString, language);
    QFETCH(QString, tab);
    QFETCH(QString, total);
    StationWindows w;
    const QString archive = w.Path(QStringLiteral("archiv"));
    WriteFileBytes(w.IniPath(), "[AD4ETH]\r\nIP=127.0.0.1\r\n[ARCHIVACE]\r\nDatabaseDir=" + archive.toUtf8() +
                                    "\r\n[LEDGER]\r\nPrice=0.5\r\n");
    const QDate day(2026, 12, 8);
    for (int minute = 0; minute < 180; ++minute)
      AppendArchiveRow(archive, ArchiveKind::Fast, QDateTime(day, QTime(0, 0).addSecs(60 * minute)),
                       QStringLiteral(";"), {36, 20, 2, 7});
    TMainForm& f = *w.main;
    f.LoadSettings();
    f.show();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.findChild<QAction*>(language)->trigger();
    ConsumptionPage& page = f.Consumption();
    QCOMPARE(f.Form().PageControl1->indexOf(page.Page()), 3);
    QCOMPARE(f.Form().PageControl1->tabText(3), tab);
    f.Form().PageControl1->setCurrentIndex(3);
    page.From()->setDate(day);
    page.To()->setDate(day);
    page.PeriodBox()->setCurrentIndex(int(LedgerPeriod::Hour));
    QTest::keyClick(page.From(), Qt::Key_F9);  // the window sees the key before the picker
    QVERIFY(page.Current().has_value());
    QCOMPARE(page.Table()->rowCount(), 25);
    QCOMPARE(page.Table()->item(24, 0)->text(), total);

    w.prompt->saveFile = w.Path(QStringLiteral("page.csv"));
    page.SaveCsv();
    QProcess report;
    report.start(qEnvironmentVariable("KESTRILON_BINARY_DIR") + QStringLiteral("/kestrilon-report"),
                 {QStringLiteral("ledger"), QStringLiteral("--from"), QStringLiteral("2026-12-08"),
                  QStringLiteral("--to"), QStringLiteral("2026-12-08"), QStringLiteral("--period"),
                  QStringLiteral("hour"), QStringLiteral("--settings"), w.IniPath()});
    QVERIFY(report.waitForFinished(30000));
    const QByteArray program = report.readAllStandardOutput();
    // 179 minutes between the first row and the last at 36 Nm³/h, half a crown each.
    QVERIFY2(program.contains("\r\nTOTAL;;107.4000;Nm³;53.7000;Kč;"), program.constData());
    QCOMPARE(ReadFileBytes(w.Path(QStringLiteral("page.csv"))), program);
  }

  // Esc while the files are read stops the computation: nothing shown, the page free again.
  void escCancels() {
    StationWindows w;
    const QString archive = w.Path(QStringLiteral("archiv"));
    WriteFileBytes(w.IniPath(),
                   "[AD4ETH]\r\nIP=127.0.0.1\r\n[ARCHIVACE]\r\nDatabaseDir=" + archive.toUtf8() + "\r\n");
    const QDate day(2026, 12, 8);
    for (int hour = 0; hour < 3; ++hour)
      AppendArchiveRow(archive, ArchiveKind::Fast, QDateTime(day, QTime(hour, 0)), QStringLiteral(";"),
                       {36, 20, 2, 7});
    TMainForm& f = *w.main;
    f.LoadSettings();
    ConsumptionPage& page = f.Consumption();
    page.From()->setDate(day);
    page.To()->setDate(day);
    QTimer::singleShot(0, &f, [&] { page.RequestCancel(); });  // runs while the first file is handed over
    page.Compute();
    QVERIFY(!page.Current().has_value());
    QVERIFY(!page.Computing());
    page.Compute();  // the next one runs to its end
    QVERIFY(page.Current().has_value());
  }
};

QTEST_MAIN(TestConsumptionPage)
#include "tst_consumption_page.moc"
