// The consumption page: what the program writes, shown and saved; its texts in both languages.
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include "archive/archive_writer.h"
#include "main_window/consumption_page.h"
#include "main_window/main_form.h"
#include "main_window/report_window.h"
#include "support/scripted_prompt.h"
#include "support/station_fixture.h"

class TestConsumptionPage : public QObject {
  Q_OBJECT

  // 8 December 2026 0:00-2:59 a row a minute at 36 Nm³/h, and settings with these sections besides.
  static QDate ThreeHoursRecorded(StationWindows& w, const QByteArray& sections) {
    const QString archive = w.Path(QStringLiteral("archiv"));
    WriteFileBytes(w.IniPath(), "[AD4ETH]\r\nIP=127.0.0.1\r\n[ARCHIVACE]\r\nDatabaseDir=" + archive.toUtf8() +
                                    "\r\n" + sections);
    const QDate day(2026, 12, 8);
    for (int minute = 0; minute < 180; ++minute)
      AppendArchiveRow(archive, ArchiveKind::Fast, QDateTime(day, QTime(0, 0).addSecs(60 * minute)),
                       QStringLiteral(";"), {36, 20, 2, 7});
    return day;
  }

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
    const QDate day = ThreeHoursRecorded(w, "[LEDGER]\r\nPrice=0.5\r\n");
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

  // "Zpráva…" in "Soubor": the report of a day, previewed and saved as the program writes it.
  void reportWindowSavesWhatTheProgramWrites_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QByteArray>("code");  // the same language for the program, from the file
    QTest::newRow("Czech") << "miCestina" << "Zpráva…" << "Denní zpráva: 8.12.2026" << QByteArray("1");
    QTest::newRow("English") << "miEnglish" << "Report…" << "Daily report: 8.12.2026" << QByteArray("2");
  }
  void reportWindowSavesWhatTheProgramWrites() {
    QFETCH(QString, language);
    QFETCH(QString, item);
    QFETCH(QString, heading);
    QFETCH(QByteArray, code);
    StationWindows w;
    const QDate day = ThreeHoursRecorded(w, "[ANALOG_IN1]\r\nActiv=1\r\n[OSTATNI]\r\nLanguage=" + code + "\r\n");
    TMainForm& f = *w.main;
    f.LoadSettings();
    f.findChild<QAction*>(language)->trigger();
    QAction* open = f.findChild<QAction*>(QStringLiteral("miZprava"));
    QCOMPARE(open->text(), item);
    open->trigger();
    ReportWindow& window = f.Reports();
    QVERIFY(window.isVisible());
    window.PeriodBox()->setCurrentIndex(int(ReportPeriod::Day));
    window.DayEdit()->setDate(day);
    window.Make();
    QVERIFY(window.Shown() && !window.Preview()->pixmap().isNull());
    w.prompt->saveFile = w.Path(QStringLiteral("window.pdf"));
    window.SaveButton()->click();
    QVERIFY(PdfText(w.prompt->saveFile).contains(heading));
    QProcess report;
    report.start(qEnvironmentVariable("KESTRILON_BINARY_DIR") + QStringLiteral("/kestrilon-report"),
                 {QStringLiteral("pdf"), QStringLiteral("--period"), QStringLiteral("day"), QStringLiteral("--date"),
                  QStringLiteral("2026-12-08"), QStringLiteral("--settings"), w.IniPath(), QStringLiteral("--out"),
                  w.Path(QStringLiteral("program.pdf"))});
    QVERIFY(report.waitForFinished(30000));
    QCOMPARE(report.exitCode(), 0);
    QCOMPARE(ReadFileBytes(w.Path(QStringLiteral("window.csv"))), ReadFileBytes(w.Path(QStringLiteral("program.csv"))));
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
