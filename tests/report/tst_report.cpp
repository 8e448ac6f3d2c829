// Reports: their contents from a known archive as a reader of the PDF finds them, the schedule across
// the clock changes, the periods missed, and the mail with both files.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "journal/journal.h"
#include "report/report.h"
#include "report/report_schedule.h"
#include "support/core_fixture.h"
#include "support/smtp_server.h"
#include "support/station_processes.h"

namespace {
const QDate kFirst(2026, 10, 1), kLast(2026, 11, 1);

QDateTime Local(const QString& text) {
  return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The report program with the settings, waited for with the event loop running (a server of the
// test may be its peer).
int RunReport(const QStringList& arguments, QByteArray* err = nullptr) {
  QProcess p;
  p.start(BuiltProgram(QStringLiteral("kestrilon-report")), arguments);
  if (!p.waitForStarted(10000)) return -1;
  QElapsedTimer waited;
  waited.start();
  while (p.state() != QProcess::NotRunning && waited.elapsed() < 60000) QTest::qWait(20);
  if (err) *err = p.readAllStandardError();
  return p.state() == QProcess::NotRunning ? p.exitCode() : -1;
}
}  // namespace

class TestReport : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  AppSettings settings_;

  QString Ini(int language, const QByteArray& more = {}) const {
    const QString path = dir_.filePath(QStringLiteral("k%1.ini").arg(language));
    WriteFileBytes(path, "[AD4ETH]\r\nIP=127.0.0.1\r\n[ARCHIVACE]\r\nDatabaseDir=" + settings_.DatabaseDir.toUtf8() +
                             "\r\n[OSTATNI]\r\nPopisGrafu=Kompresorovna B\r\nLanguage=" + QByteArray::number(language) +
                             "\r\n[LEDGER]\r\nGapFast=900\r\nPrice=0.4\r\n[ANALOG_IN1]\r\nActiv=1\r\n" + more);
    return path;
  }

 private slots:
  // October 2026 and the first of November every 10 minutes, the 25-hour day included; the
  // afternoon of 20 October missing; three alarms in the journal.
  void initTestCase() {
    QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty());  // poppler-utils
    SetDefaultSettings(settings_);
    settings_.DatabaseDir = dir_.filePath(QStringLiteral("archiv"));
    settings_.Channel(1).Activ = true;
    settings_.Ledger.GapFast = 900;
    settings_.Ledger.Price = 0.4;
    const qint64 begin = LocalInstant(kFirst, 0), end = LocalInstant(kLast.addDays(1), 0);
    for (qint64 t = begin; t < end; t += 600) {
      const QDateTime at = QDateTime::fromSecsSinceEpoch(t);
      if (at.date() == QDate(2026, 10, 20) && at.time().hour() >= 12) continue;
      const double flow = 30 + double((t / 600) % 9) * 2.5;
      QVERIFY(AppendArchiveRow(settings_.DatabaseDir, ArchiveKind::Fast, at, QStringLiteral(";"), {flow, 20, 2, 7}).IsOk());
    }
    const auto event = [&](const char* when, const char* kind, int input, const QString& text) {
      QVERIFY(AppendJournal(settings_.DatabaseDir, JournalFile::Events,
                            {Local(QLatin1String(when)), QLatin1String(kind), input, text})
                  .IsOk());
    };
    event("2026-10-25 01:00:00", JournalKind::kAlarmRaised, 1, QStringLiteral("above the upper limit: value 70.0000"));
    event("2026-10-25 04:30:00", JournalKind::kAlarmCleared, 1, QStringLiteral("above the upper limit: value 50.0000"));
    event("2026-10-25 05:00:00", JournalKind::kAlarmRaised, 0, QStringLiteral("no data from the converter"));
    event("2026-10-25 05:02:00", JournalKind::kAlarmCleared, 0, QStringLiteral("no data from the converter"));
    event("2026-10-31 23:00:00", JournalKind::kAlarmRaised, 1, QStringLiteral("above the upper limit: value 70.0000"));
    event("2026-11-01 01:00:00", JournalKind::kAlarmCleared, 1, QStringLiteral("above the upper limit"));
  }

  // What a reader finds in the PDF: the title, the ledger's totals, the alarms; the CSV holds the
  // ledger's own tables.
  void contents_data() {
    QTest::addColumn<QString>("period");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QStringList>("alarms");  // kind text and count, longest first
    QTest::addColumn<int>("pages");
    QTest::newRow("25-hour day, Czech") << "day" << QDate(2026, 10, 25) << int(kCzech) << "Denní zpráva: 25.10.2026"
                                        << QStringList{"nad horní mezí: 1", "žádná data z převodníku: 1"} << 1;
    QTest::newRow("week, English") << "week" << QDate(2026, 10, 21) << int(kEnglish)
                                   << "Weekly report: 19.10.2026 – 25.10.2026"
                                   << QStringList{"above the upper limit: 1", "no data from the converter: 1"} << 1;
    QTest::newRow("month, Czech") << "month" << QDate(2026, 10, 9) << int(kCzech) << "Měsíční zpráva: říjen 2026"
                                  << QStringList{"nad horní mezí: 2", "žádná data z převodníku: 1"} << 1;
  }
  void contents() {
    QFETCH(QString, period);
    QFETCH(QDate, day);
    QFETCH(int, language);
    QFETCH(QString, heading);
    QFETCH(QStringList, alarms);
    QFETCH(int, pages);
    const QString pdf = dir_.filePath(QStringLiteral("out/%1-%2.pdf").arg(period).arg(language));
    QByteArray err;
    const int code = RunReport({QStringLiteral("pdf"), QStringLiteral("--period"), period, QStringLiteral("--date"),
                                day.toString(Qt::ISODate), QStringLiteral("--settings"), Ini(language),
                                QStringLiteral("--out"), pdf},
                               &err);
    QVERIFY2(code == 0, err.constData());
    settings_.Language = language;
    const ReportResult built = BuildReport(settings_, *ReportPeriodNamed(period), day, QDateTime::currentSecsSinceEpoch());
    QVERIFY(built.report);
    const Report& r = *built.report;
    const QString text = PdfText(pdf);
    QCOMPARE(text.count(QLatin1Char('\f')), pages);
    const QString flat = text.simplified();
    QVERIFY2(flat.contains(QStringLiteral("Kompresorovna B")) && flat.contains(heading), qPrintable(flat.left(300)));
    const LedgerFields total = FieldsOf(r.byDay, r.byDay.total);
    QVERIFY(total.consumption && *total.consumption > 0 && total.cost);
    for (const QString& figure : {ReportNumber(r, *total.consumption, 1), ReportNumber(r, *total.cost, 2),
                                  ReportNumber(r, *total.coverage, 1)})
      QVERIFY2(flat.contains(QLatin1Char(' ') + figure + QLatin1Char(' ')), qPrintable(figure));
    for (const QString& alarm : alarms) QVERIFY2(flat.contains(alarm), qPrintable(alarm));
    // Every row of the first table is in the PDF with its consumption.
    const ReportTable first = ReportTables(r).first();
    for (const LedgerLine& line : first.ledger->lines)
      QVERIFY(flat.contains(ReportNumber(r, line.consumption, 1)));

    // The CSV: each table as the ledger computes it, then the alarms.
    QString csvPath = pdf;
    csvPath.replace(QStringLiteral(".pdf"), QStringLiteral(".csv"));
    const QByteArray csv = ReadFileBytes(csvPath);
    QCOMPARE(csv, ReportCsv(r));
    for (const ReportTable& t : ReportTables(r)) {
      const ArchiveLedger ledger = BuildArchiveLedger(settings_, std::nullopt, t.period, r.days.first, r.days.last,
                                                      QDateTime::currentSecsSinceEpoch());
      QVERIFY(csv.contains("\r\n" + LedgerCsv(*ledger.ledger) + "\r\n"));
    }
    QVERIFY(csv.contains(QStringLiteral("high;%1\r\n").arg(alarms.first().section(QLatin1Char(' '), -1)).toUtf8()));
  }

  // Hours and minutes from the journal: the longest first, one raised in the month cleared after it.
  void alarmsOfThePeriod() {
    const ReportAlarms a = JournalAlarms(settings_.DatabaseDir, LocalInstant(kFirst, 0),
                                         LocalInstant(QDate(2026, 11, 1), 0), LocalInstant(QDate(2026, 12, 1), 0));
    QCOMPARE(a.longest.size(), 3);
    QCOMPARE(a.longest[0].seconds, 4 * 3600 + 1800);  // 1:00 +02:00 to 4:30 +01:00 across the change
    QCOMPARE(a.longest[1].seconds, 2 * 3600);         // into November
    QCOMPARE(a.longest[2].seconds, 120);
    QCOMPARE(a.longest[2].input, 0);
  }

  // Each report becomes due once, at the first full minute after its period, also after a 23- or
  // 25-hour day; nothing is due before.
  void schedule_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("expected");  // report @ local time it became due
    QTest::newRow("autumn") << "2026-10-24 23:30:00" << "2026-11-01 00:30:00"
                            << QStringList{"day-2026-10-24 @ 2026-10-25 00:01",  "day-2026-10-25 @ 2026-10-26 00:01",
                                           "week-2026-10-19 @ 2026-10-26 00:01", "day-2026-10-26 @ 2026-10-27 00:01",
                                           "day-2026-10-27 @ 2026-10-28 00:01",  "day-2026-10-28 @ 2026-10-29 00:01",
                                           "day-2026-10-29 @ 2026-10-30 00:01",  "day-2026-10-30 @ 2026-10-31 00:01",
                                           "day-2026-10-31 @ 2026-11-01 00:01",  "month-2026-10 @ 2026-11-01 00:01"};
    QTest::newRow("spring") << "2026-03-28 23:30:00" << "2026-03-30 00:30:00"
                            << QStringList{"day-2026-03-28 @ 2026-03-29 00:01", "day-2026-03-29 @ 2026-03-30 00:01",
                                           "week-2026-03-23 @ 2026-03-30 00:01"};
  }
  void schedule() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QStringList, expected);
    const ReportSettings every{true, true, true, {}, false};
    QSet<QString> written;
    const auto isWritten = [&](const DueReport& r) { return written.contains(ReportBaseName(r.period, r.first)); };
    const auto always = [](const DueReport&) { return true; };
    const qint64 start = Local(from).toSecsSinceEpoch(), stop = Local(to).toSecsSinceEpoch();
    for (const DueReport& r : DueReports(every, start, isWritten, always)) written << ReportBaseName(r.period, r.first);
    QStringList seen;
    for (qint64 t = start; t <= stop; t += 30)
      for (const DueReport& r : DueReports(every, t, isWritten, always)) {
        written << ReportBaseName(r.period, r.first);
        seen << ReportBaseName(r.period, r.first) + QStringLiteral(" @ ") +
                    QDateTime::fromSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
      }
    QCOMPARE(seen, expected);
  }

  // A recorder that was stopped writes the periods since the last report at its start, oldest
  // first, leaving out periods without an archive file, at most kCatchUpPeriods back.
  void missedPeriods_data() {
    QTest::addColumn<QString>("lastWritten");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("since the last") << "day-2026-12-03"
                                    << QStringList{"day-2026-12-04", "day-2026-12-06", "day-2026-12-07", "day-2026-12-08"};
    QTest::newRow("never written")
        << "" << QStringList{"day-2026-12-02", "day-2026-12-03", "day-2026-12-04", "day-2026-12-06", "day-2026-12-07", "day-2026-12-08"};
  }
  void missedPeriods() {
    QFETCH(QString, lastWritten);
    QFETCH(QStringList, expected);
    const auto written = [&](const DueReport& r) { return ReportBaseName(r.period, r.first) == lastWritten; };
    const auto recorded = [](const DueReport& r) { return r.first != QDate(2026, 12, 5); };
    QStringList due;
    for (const DueReport& r : DueReports({true, false, false, {}, false}, Local(QStringLiteral("2026-12-09 10:00:00")).toSecsSinceEpoch(),
                                         written, recorded))
      due << ReportBaseName(r.period, r.first);
    QCOMPARE(due, expected);
  }

  // --mail: one mail to each recipient with the PDF and the CSV attached.
  void mailCarriesBothFiles() {
    SmtpServer smtp;
    QVERIFY(smtp.Listening());
    const QString ini = Ini(kCzech, QStringLiteral("[MAIL]\r\nServer=127.0.0.1\r\nPort=%1\r\nSecurity=0\r\n"
                                                   "From=station@example.org\r\nTo=energy@example.org, shift@example.org\r\n")
                                        .arg(smtp.Port())
                                        .toUtf8());
    const QString pdf = dir_.filePath(QStringLiteral("mailed/day-2026-10-25.pdf"));
    QCOMPARE(RunReport({QStringLiteral("pdf"), QStringLiteral("--period"), QStringLiteral("day"), QStringLiteral("--date"),
                        QStringLiteral("2026-10-25"), QStringLiteral("--settings"), ini, QStringLiteral("--out"), pdf,
                        QStringLiteral("--mail")}),
             0);
    QCOMPARE(smtp.mails.size(), 1);
    QCOMPARE(smtp.mails[0].recipients.size(), 2);
    const QByteArray data = smtp.mails[0].data;
    QVERIFY(MailSubject(data).startsWith(QLatin1String("[Kestrilon4 ")));
    QVERIFY(MailSubject(data).endsWith(QStringLiteral("] Denní zpráva: 25.10.2026")));
    const QRegularExpression part(QStringLiteral("filename=\"(day-2026-10-25\\.(pdf|csv))\"\r\n\r\n([A-Za-z0-9+/=\r\n]+)"));
    QStringList names;
    for (const auto& m : part.globalMatch(QString::fromUtf8(data))) {
      names << m.captured(1);
      const QByteArray file = QByteArray::fromBase64(m.captured(3).toLatin1().replace("\r\n", ""));
      QCOMPARE(file, ReadFileBytes(dir_.filePath(QStringLiteral("mailed/") + m.captured(1))));
    }
    QCOMPARE(names, (QStringList{"day-2026-10-25.pdf", "day-2026-10-25.csv"}));
  }
};

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
