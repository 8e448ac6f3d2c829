// Renders every window of a station in both languages to PNG files (window_shots DIR), for a look
// at what an operator sees without a display: three days of archive, some minutes of live values.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QtTest>
#include <cmath>

#include "main_window/alarm_window.h"
#include "main_window/report_window.h"
#include "station/clock.h"
#include "main_window/range_chart_page.h"
#include "charts/chart_view.h"
#include "archive/archive_writer.h"
#include "dialogs/about_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "main_window/consumption_page.h"
#include "main_window/main_form.h"
#include "prompts/user_prompt.h"
#include "support/station_fixture.h"

namespace {
std::array<double, 4> Signals(double hours) {
  return {50 + 20 * std::sin(hours / 5), 21 + 4 * std::sin(hours / 24 * 6.28), 60 + 10 * std::cos(hours / 7),
          1.01 + 0.02 * std::sin(hours / 3)};
}

// Two months of rows every two minutes with some noise, six hours missing ten days ago.
void WriteArchive(const QString& folder) {
  const QDateTime start(QDate::currentDate().addDays(-61), QTime(0, 0));
  const QDateTime outage(QDate::currentDate().addDays(-10), QTime(6, 0));
  QRandomGenerator noise(3);
  for (int minute = 0; minute < 62 * 24 * 60; minute += 2) {
    const QDateTime at = start.addSecs(minute * 60);
    if (at >= outage && at < outage.addSecs(6 * 3600)) continue;
    std::array<double, 4> values = Signals(minute / 60.0);
    for (double& v : values) v = std::round((v + v * 0.04 * (noise.generateDouble() - 0.5)) * 1e4) / 1e4;
    AppendArchiveRow(folder, ArchiveKind::Fast, at, QStringLiteral(";"), values);
    if (minute % 10 == 0) AppendArchiveRow(folder, ArchiveKind::Slow, at, QStringLiteral(";"), values);
  }
}

void FeedReplies(TMainForm& f) {
  f.station().Readings().AwaitingFirstReply = true;
  const QDateTime start = QDateTime::currentDateTime().addSecs(-3 * 3600);
  for (int i = 0; i < 600; ++i) {
    FixedClock clock(start.addSecs(i * 18));
    const int flow = 5000 + int(2000 * std::sin(i / 40.0));
    const int humidityStatus = i > 590 ? 0x00 : 0x80;  // a faulty input at the end
    f.station().ProcessReply(
        ReplyText({0x80, 0x80, humidityStatus, 0x80},
                  {flow, 5000 + int(500 * std::sin(i / 90.0)), 6000 + int(1000 * std::cos(i / 60.0)), 5050}));
  }
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("window-shots");
  QDir().mkpath(out);
  QTemporaryDir archive;
  WriteArchive(archive.path());
  const QByteArray ini =
      "[ARCHIVACE]\r\nDatabaseDir=" + archive.path().toUtf8() +
      "\r\n[OSTATNI]\r\nTypDB=1\r\nUkazujSpotrebu=1\r\nDatumOdOffset=29\r\n"
      "[LEDGER]\r\nGapFast=300\r\n"  // rows every two minutes join; the outage breaks the lines
      "[ANALOG_IN1]\r\nBarvaCaryIndex=10\r\nBarvaCary=255\r\nAlarmMIN=10\r\nAlarmMAX=60\r\n"
      "[ANALOG_IN2]\r\n4mA=-20\r\n20mA=60\r\nBarvaCaryIndex=3\r\nBarvaCary=32768\r\n"
      "[ANALOG_IN3]\r\nJednotkaIndex=1\r\nBarvaCaryIndex=13\r\nBarvaCary=16711680\r\n"
      "[ANALOG_IN4]\r\n20mA=2\r\nBarvaCaryIndex=6\r\nBarvaCary=8388736\r\n";
  StationWindows w(ini);
  TMainForm& f = *w.main;
  f.resize(900, 560);
  f.show();
  if (!QTest::qWaitForWindowExposed(&f)) qWarning("window not exposed");
  FeedReplies(f);

  // Alarms to show: input 1 above its limit and an archive not written, that one acknowledged.
  AlarmMonitor& alarms = f.station().Alarms();
  std::array<AlarmInput, kInputCount> inputs{};
  inputs[0] = {true, true, 75.25, 75.25};
  alarms.Inputs(Clock::Now(), f.Settings(), inputs);
  alarms.ArchiveWritable(false, Clock::Now());
  alarms.Acknowledge(AlarmKind::ArchiveNotWritten, 0, QStringLiteral("window"), Clock::Now());

  auto shot = [&](QWidget* window, const QString& name) {
    QTest::qWait(150);
    window->grab().save(out + QLatin1Char('/') + name + QStringLiteral(".png"));
  };
  for (const QString& language : {QStringLiteral("cz"), QStringLiteral("en")}) {
    if (language == QLatin1String("en")) f.SwitchToEnglish();
    for (int page = 0; page < 4; ++page) {
      f.Form().PageControl1->setCurrentIndex(page);
      if (page == 2) {  // the last 30 days against the 30 before, with both cursors, default size and large
        f.RangeChart().CompareBox()->setChecked(true);
        f.RangeChart().GenerujData();
        const QCPRange shown = f.Form().ChartVelky->Plot()->xAxis->range();
        f.Form().ChartVelky->PlaceCursor(0, shown.lower + shown.size() * 0.62);
        f.Form().ChartVelky->PlaceCursor(1, shown.lower + shown.size() * 0.75);
        f.Form().ChartVelky->SavePdf(out + QStringLiteral("/main_page2_") + language + QStringLiteral(".pdf"));
        f.resize(1600, 900);
        shot(&f, QStringLiteral("main_page2_large_") + language);
        f.resize(781, 466);
      }
      if (page == 3) {
        f.Consumption().From()->setDate(QDate::currentDate().addDays(-2));
        f.Consumption().To()->setDate(QDate::currentDate());
        f.Consumption().PeriodBox()->setCurrentIndex(int(LedgerPeriod::Shift));
        f.Consumption().Compute();
      }
      shot(&f, QStringLiteral("main_page%1_%2").arg(page).arg(language));
      if (page == 2) {  // the cursors' box folded by a click
        auto* box = f.Form().ChartVelky->findChild<QLabel*>(QStringLiteral("stKurzory"));
        QTest::mouseClick(box, Qt::LeftButton);
        shot(&f, QStringLiteral("main_page2_folded_") + language);
        QTest::mouseClick(box, Qt::LeftButton);
      }
      f.resize(900, 560);
    }
    w.nastaveni->show();
    auto* tabs = w.nastaveni->findChild<QTabWidget*>();
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      shot(w.nastaveni.get(), QStringLiteral("settings%1_%2").arg(i).arg(language));
    }
    w.nastaveni->hide();
    w.parametry->show();
    shot(w.parametry.get(), QStringLiteral("parameters_") + language);
    w.parametry->hide();
    const auto question = QtUserPrompt::NewQuestionBox(f.Message(QStringLiteral("msgUkonceniAplikaceHeader")),
                                                       f.Message(QStringLiteral("msgUkonceniAplikace")));
    question->show();
    shot(question.get(), QStringLiteral("close_question_") + language);
    question->hide();
    f.ShowAlarmWindow();
    shot(&f.Alarms(), QStringLiteral("alarms_") + language);
    f.Alarms().hide();
    f.findChild<QAction*>(QStringLiteral("miZprava"))->trigger();
    f.Reports().DayEdit()->setDate(QDate::currentDate());
    f.Reports().PeriodBox()->setCurrentIndex(int(ReportPeriod::Week));
    f.Reports().Make();
    shot(&f.Reports(), QStringLiteral("report_") + language);
    f.Reports().hide();
  }
  f.Form().PageControl1->setCurrentIndex(2);
  f.Form().rgParametryGrafu->findChildren<QAbstractButton*>()[1]->click();
  f.Form().edProcento3D->setValue(25);
  shot(&f, QStringLiteral("main_page2_3d"));
  // The consumption page on a large window, by day.
  f.resize(1600, 900);
  f.Form().PageControl1->setCurrentIndex(3);
  f.Consumption().PeriodBox()->setCurrentIndex(int(LedgerPeriod::Day));
  f.Consumption().Compute();
  shot(&f, QStringLiteral("main_page3_large"));
  w.about->show();
  shot(w.about.get(), QStringLiteral("about"));
  w.about->hide();
  w.dataSheet->show();
  shot(w.dataSheet.get(), QStringLiteral("datasheet"));
  return 0;
}
