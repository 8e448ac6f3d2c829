#include <QApplication>
#include <QTabWidget>
#include <QtTest>
#include <QDir>
#include "archive/archive_writer.h"
#include "charts/chart_view.h"
#include "dialogs/about_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "shell/main_form.h"
#include "support/scripted_prompt.h"
#include "support/station_fixture.h"
#include <cmath>

// Renders the windows of a station with three days of archive and a few minutes of live values.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("window-shots");
  QDir().mkpath(out);
  QTemporaryDir arch;
  QDateTime t(QDate::currentDate().addDays(-2), QTime(0,0));
  for (int i = 0; i < 3*24*60; ++i) {
    QDateTime at = t.addSecs(i*60);
    double h = i/60.0;
    AppendArchiveRow(arch.path(), ArchiveKind::Fast, at, ";", {50+20*std::sin(h/5), 21+4*std::sin(h/24*6.28), 60+10*std::cos(h/7), 1.01+0.02*std::sin(h/3)});
    if (i % 5 == 0) AppendArchiveRow(arch.path(), ArchiveKind::Slow, at, ";", {50+20*std::sin(h/5), 21+4*std::sin(h/24*6.28), 60+10*std::cos(h/7), 1.01+0.02*std::sin(h/3)});
  }
  QByteArray ini = "[ARCHIVACE]\r\nDatabaseDir=" + arch.path().toUtf8() + "\r\n[OSTATNI]\r\nTypDB=1\r\nUkazujSpotrebu=1\r\nDatumOdOffset=2\r\n"
     "[ANALOG_IN1]\r\nBarvaCaryIndex=10\r\nBarvaCary=255\r\nAlarmMIN=10\r\nAlarmMAX=60\r\n[ANALOG_IN2]\r\n4mA=-20\r\n20mA=60\r\nBarvaCaryIndex=3\r\nBarvaCary=32768\r\n"
     "[ANALOG_IN3]\r\nJednotkaIndex=1\r\nBarvaCaryIndex=13\r\nBarvaCary=16711680\r\n[ANALOG_IN4]\r\n20mA=2\r\nBarvaCaryIndex=6\r\nBarvaCary=8388736\r\n";
  StationWindows w(ini);
  TMainForm& f = *w.main;
  f.resize(900, 560);
  f.show();
  QTest::qWaitForWindowExposed(&f);
  f.station().Readings().AwaitingFirstReply = true;
  QDateTime now = QDateTime::currentDateTime().addSecs(-3600*3);
  for (int i = 0; i < 600; ++i) {
    FixedClock c(now.addSecs(i*18));
    int r1 = 5000 + int(2000*std::sin(i/40.0)), r2 = 5000+int(500*std::sin(i/90.0)), r3 = 6000+int(1000*std::cos(i/60.0)), r4=5050;
    f.station().ProcessReply(ReplyText({0x80, 0x80, i>590?0x00:0x80, 0x80}, {r1, r2, r3, r4}));
  }
  auto shot = [&](QWidget* wd, const QString& name) { QTest::qWait(150); wd->grab().save(out + "/" + name + ".png"); };
  for (int lang : {1, 2}) {
    if (lang == 2) f.SwitchToEnglish();
    QString sfx = lang == 1 ? "cz" : "en";
    f.Form().PageControl1->setCurrentIndex(0); shot(&f, "main_overview_" + sfx);
    f.Form().PageControl1->setCurrentIndex(1); shot(&f, "main_daily_" + sfx);
    f.Form().PageControl1->setCurrentIndex(2);
    f.GenerujData();
    shot(&f, "main_range_" + sfx);
    w.nastaveni->show();
    auto* tabs = w.nastaveni->findChild<QTabWidget*>();
    for (int i = 0; i < 4; ++i) { tabs->setCurrentIndex(i); shot(w.nastaveni.get(), QString("settings_%1_%2").arg(i).arg(sfx)); }
    w.nastaveni->hide();
    w.parametry->show(); shot(w.parametry.get(), "params_" + sfx); w.parametry->hide();
  }
  f.Form().rgParametryGrafu->findChildren<QAbstractButton*>()[1]->click();
  f.Form().edProcento3D->setValue(25);
  shot(&f, "main_range_3d");
  w.about->show(); shot(w.about.get(), "about"); w.about->hide();
  w.dataSheet->show(); shot(w.dataSheet.get(), "datasheet");
  return 0;
}
