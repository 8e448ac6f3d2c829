#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include "config/settings_file.h"
#include "main_window/range_chart_page.h"
#include "dialogs/about_box.h"
#include "dialogs/colour_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "dialogs/key_filters.h"
#include "main_window/main_form.h"
#include "main_window/status_bar.h"
#include "support/mqtt_broker.h"
#include "support/scripted_prompt.h"
#include "support/station_fixture.h"

namespace {
template <typename T>
T* Child(QWidget* w, const QString& name) {
  T* c = w->findChild<T*>(name);
  if (!c) qFatal("no control %s", qPrintable(name));
  return c;
}

// Stands for the settings command: show (fills), then the store when accepted.
void AcceptSettings(StationWindows& w, const std::function<void()>& edit = {}) {
  w.nastaveni->FormShow();
  if (edit) edit();
  w.nastaveni->StoreSettings();
  w.main->SaveDialogSettings();
}
// Runs `act` once the dialog runs modally (its own event loop has started).
void WhenModal(QDialog* dialog, std::function<void()> act) {
  auto* poll = new QTimer(dialog);
  QObject::connect(poll, &QTimer::timeout, dialog, [poll, dialog, act] {
    if (QApplication::activeModalWidget() != dialog) return;
    poll->stop();
    poll->deleteLater();
    act();
  });
  poll->start(10);
}
}  // namespace

class TestDialogs : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic)); }
  void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

  void addressCheck_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<bool>("rejected");
    QTest::addColumn<QString>("shown");  // groups the cursor has left show their blanks at their left
    QTest::newRow("leading zeros") << QStringLiteral("010.001.000.255") << QStringLiteral("10.1.0.255")
                                   << false << QStringLiteral("010.001.000.255");
    QTest::newRow("short groups") << QStringLiteral("10.1.0.25") << QStringLiteral("10.1.0.25") << false
                                  << QStringLiteral(" 10.  1.  0.25 ");
    QTest::newRow("out of range") << QStringLiteral("256.1.1.1") << QString() << true
                                  << QStringLiteral("256.  1.  1.1  ");
  }
  void addressCheck() {
    QFETCH(QString, typed);
    QFETCH(QString, accepted);
    QFETCH(bool, rejected);
    QFETCH(QString, shown);
    StationWindows w;
    w.main->LoadSettings();
    w.nastaveni->FormShow();
    const QString fallback = w.nastaveni->FallbackAddress();
    auto* edit = Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("medIpAdresa"));
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->displayText(), shown);
    QCOMPARE(w.nastaveni->KontrolaIP(), !rejected);
    QCOMPARE(w.nastaveni->AcceptedAddress(), accepted);
    QCOMPARE(w.prompt->beeps, rejected ? 1 : 0);
    if (rejected) {
      QCOMPARE(w.prompt->messages.last().text, QStringLiteral("Nesprávně zadaná IP adresa."));
      QCOMPARE(w.prompt->messages.last().caption, QStringLiteral("IP adresa"));
      QCOMPARE(edit->displayText(), fallback);
    }
  }

  void storedAddressShownRightAligned() {
    StationWindows w("[AD4ETH]\r\nIP=192.168.1.7\r\n");
    w.main->LoadSettings();
    w.nastaveni->FormShow();
    QCOMPARE(Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("medIpAdresa"))->displayText(),
             QStringLiteral("192.168.  1.  7"));
    QVERIFY(w.nastaveni->KontrolaIP());
    QCOMPARE(w.nastaveni->AcceptedAddress(), QStringLiteral("192.168.1.7"));
  }

  void unconvertibleAddressLogged() {
    StationWindows w;
    w.main->LoadSettings();
    w.nastaveni->FormShow();
    Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("medIpAdresa"))->clear();
    LogRecorder log;
    QVERIFY(!w.nastaveni->KontrolaIP());
    QVERIFY(log.Texts().value(0).startsWith(QStringLiteral("Vyjimka KontrolaIP - ")));
    QCOMPARE(w.prompt->messages.last().text, QStringLiteral("Chyba při konrole IP adresy."));
  }

  // Accepting without touching anything writes the same values back.
  void acceptUnchangedStoresTheSame() {
    StationWindows w(
        "[AD4ETH]\r\nIP=192.168.010.020\r\nPerioda=3000\r\n[ANALOG_IN2]\r\n4mA=-20,5\r\n20mA=60\r\n"
        "BarvaCaryIndex=0\r\nBarvaCary=1193046\r\n[OSTATNI]\r\nPopisGrafu=Kotelna\r\n");
    w.main->LoadSettings();
    AcceptSettings(w);
    w.main->SaveDialogSettings();
    StationWindows again(w.IniBytes());
    again.main->LoadSettings();
    const AppSettings& a = w.main->Settings();
    const AppSettings& b = again.main->Settings();
    QCOMPARE(b.IP, QStringLiteral("192.168.10.20"));
    QCOMPARE(b.Channel(2).Value4mA, -20.5);
    QCOMPARE(b.Channel(2).BarvaCary, 1193046);
    QCOMPARE(b.Channel(2).BarvaCaryIndex, 0);
    QCOMPARE(again.main->station().MeasuringPeriod(), 3000);
    QCOMPARE(b.PopisGrafu, a.PopisGrafu);
    QCOMPARE(b.BarvaAlarm, 65535);
    QCOMPARE(b.BarvaChybaIndex, 10);
    QVERIFY(w.prompt->messages.isEmpty());
  }

  // With no address check succeeded since start, the converter address is kept, not blanked.
  void emptyAcceptedAddressKeepsTheOldOne() {
    StationWindows w("[AD4ETH]\r\nIP=10.0.0.7\r\n");
    w.main->LoadSettings();
    w.nastaveni->FormShow();
    Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("medIpAdresa"))->clear();
    w.nastaveni->StoreSettings();
    QCOMPARE(w.main->Settings().IP, QStringLiteral("10.0.0.7"));
  }

  void scalingWarningsAndLimits() {
    StationWindows w;
    w.main->LoadSettings();
    AcceptSettings(w, [&] {
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed4mA_IN2"))->setText(QStringLiteral("10"));
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed20mA_IN2"))->setText(QStringLiteral("10"));
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed20mA_IN1"))->setText(QStringLiteral("200"));
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("sdAlarmMin_IN1"))->setValue(10);
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("sdAlarmMax_IN1"))->setValue(90);
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed4mA_IN4"))->setText(QStringLiteral("200"));
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed20mA_IN4"))->setText(QStringLiteral("0"));
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("sdAlarmMin_IN4"))->setValue(10);
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("sdAlarmMax_IN4"))->setValue(90);
    });
    const AppSettings& s = w.main->Settings();
    QCOMPARE(w.prompt->messages.size(), 2);
    QCOMPARE(w.prompt->messages[0].caption, QStringLiteral("Scailing"));
    QVERIFY(w.prompt->messages[0].text.endsWith(QStringLiteral("u IN2.")));
    QVERIFY(w.prompt->messages[1].text.endsWith(QStringLiteral("u IN4.")));
    QCOMPARE(s.Channel(2).Value4mA, 10.0);
    QCOMPARE(std::make_pair(s.Channel(1).AlarmMinLimit, s.Channel(1).AlarmMaxLimit),
             std::make_pair(20.0, 180.0));
    QCOMPARE(std::make_pair(s.Channel(4).AlarmMinLimit, s.Channel(4).AlarmMaxLimit),
             std::make_pair(180.0, 20.0));
  }

  // The alarm page: shown from the settings, confirmed into them and into the file.
  void alarmPageStoresItsKeys() {
    StationWindows w("[ALARM_IN2]\r\nDelay=7\r\n[ALARMS]\r\nBrokerDown=9\r\n");
    w.main->LoadSettings();
    AcceptSettings(w, [&] {
      QCOMPARE(Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("sdAlarmDelay_IN2"))->value(), 7);
      QCOMPARE(Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("sdAlarmBroker"))->value(), 9);
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("sdAlarmHyst_IN3"))->setValue(5);
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("sdAlarmNoReply"))->setValue(60);
    });
    const AppSettings& s = w.main->Settings();
    QCOMPARE((std::array{s.Channel(2).AlarmDelay, s.Channel(3).AlarmHysteresis, s.Alarms.NoReply, s.Alarms.BrokerDown}),
             (std::array{7, 5, 60, 9}));
    const SettingsFile file(w.IniPath());
    QCOMPARE((std::array{file.ReadInteger(QStringLiteral("ALARM_IN3"), QStringLiteral("Hysteresis"), 0),
                         file.ReadInteger(QStringLiteral("ALARMS"), QStringLiteral("NoReply"), 0)}),
             (std::array{5, 60}));
  }

  void scalingKeyFilter() {
    StationWindows w;
    w.main->LoadSettings();
    w.nastaveni->FormShow();
    auto* edit = Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed4mA_IN1"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("1a+e 2,-3,"));
    QCOMPARE(edit->text(), QStringLiteral("12,-3,"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("12,-3"));
    QVERIFY(!ScalingKeyAccepted(QLatin1Char('.'), QLatin1Char(',')));
    QVERIFY(ScalingKeyAccepted(QLatin1Char('.'), QLatin1Char('.')));
    QVERIFY(!ScalingKeyAccepted(QChar(0x0663), QLatin1Char(',')));  // an Arabic-Indic three
  }

  // The converter's port is edited (the link uses it): ASCII digits, 1 to 65535.
  void portEditAcceptsPortsOnly_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    QTest::newRow("10001") << "10001" << int(QValidator::Acceptable);
    QTest::newRow("1") << "1" << int(QValidator::Acceptable);
    QTest::newRow("65535") << "65535" << int(QValidator::Acceptable);
    QTest::newRow("65536") << "65536" << int(QValidator::Invalid);
    QTest::newRow("0") << "0" << int(QValidator::Invalid);
    QTest::newRow("leading zero") << "0801" << int(QValidator::Invalid);
    QTest::newRow("empty while typing") << "" << int(QValidator::Intermediate);
    QTest::newRow("sign") << "-1" << int(QValidator::Invalid);
    QTest::newRow("other digits") << QString(QChar(0x0663)) << int(QValidator::Invalid);
  }
  void portEditAcceptsPortsOnly() {
    QFETCH(QString, text);
    QFETCH(int, state);
    StationWindows w;
    auto* port = Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("edPort"));
    QVERIFY(port->isEnabled());
    int position = 0;
    QCOMPARE(int(port->validator()->validate(text, position)), state);
  }

  void timersFromTheDialog() {
    StationWindows w;
    w.main->LoadSettings();
    AcceptSettings(w, [&] {
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("edVzorkovaniPerioda"))->setValue(5);
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("edArchivacePomala"))->setValue(15);
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("edArchivaceRychla"))->setValue(7);
      Child<QCheckBox>(w.nastaveni.get(), QStringLiteral("cbArchivaceRychlaActive"))->setChecked(true);
      Child<QCheckBox>(w.nastaveni.get(), QStringLiteral("cbSystemWin7"))->setChecked(true);
    });
    Station& st = w.main->station();
    QCOMPARE(st.MeasuringPeriod(), 5000);
    QCOMPARE(st.Link().ReplyTimer().interval(), 5000);
    QCOMPARE(st.SlowArchiveInterval(), 900000);
    QCOMPARE(st.FastArchiveInterval(), 7000);
    QCOMPARE(w.main->Settings().ArchiveSeparator, QStringLiteral(","));
    QVERIFY(!st.FastArchiveTimer().isActive());  // not measuring: timers stay as they are
    w.main->Settings().IP = QStringLiteral("127.0.0.1");
    st.StartMeasuring();
    AcceptSettings(w, [&] {
      Child<QCheckBox>(w.nastaveni.get(), QStringLiteral("cbArchivaceRychlaActive"))->setChecked(false);
      Child<QCheckBox>(w.nastaveni.get(), QStringLiteral("cbArchivacePomalaActive"))->setChecked(true);
      Child<QCheckBox>(w.nastaveni.get(), QStringLiteral("cbSystemWin7"))->setChecked(false);
    });
    QVERIFY(!st.FastArchiveTimer().isActive());
    QVERIFY(st.SlowArchiveTimer().isActive());
    QCOMPARE(w.main->Settings().ArchiveSeparator, QStringLiteral(";"));
  }

  void customColourComesBack() {
    StationWindows w;
    w.main->LoadSettings();
    w.nastaveni->FormShow();
    auto* box = Child<ColourBox>(w.nastaveni.get(), QStringLiteral("cbBarvaCaryIN3"));
    w.prompt->colour = QColor(0x12, 0x34, 0x56);
    box->setCurrentIndex(0);
    emit box->activated(0);
    w.nastaveni->StoreSettings();
    QCOMPARE(w.main->Settings().Channel(3).BarvaCaryIndex, 0);
    QCOMPARE(w.main->Settings().Channel(3).BarvaCary, 0x563412);
    box->setCurrentIndex(5);
    w.nastaveni->FormShow();
    QCOMPARE(box->SelectedIndex(), 0);
    QCOMPARE(box->SelectedColour(), 0x563412);
    QCOMPARE(ColourBox::StandardColour(10), 255);
    QCOMPARE(ColourBox::StandardColour(12), 65535);
  }

  void nonNumericScalingEndsTheStore() {
    StationWindows w;
    w.main->LoadSettings();
    LogRecorder log;
    AcceptSettings(w, [&] {
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed20mA_IN1"))->setText(QStringLiteral("50"));
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed4mA_IN2"))->setText(QStringLiteral("7"));
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed20mA_IN2"))->setText(QStringLiteral("1,,2"));
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed20mA_IN3"))->setText(QStringLiteral("33"));
      Child<QSpinBox>(w.nastaveni.get(), QStringLiteral("edVzorkovaniPerioda"))->setValue(9);
    });
    const AppSettings& s = w.main->Settings();
    QCOMPARE(s.Channel(1).Value20mA, 50.0);  // earlier input stored
    QCOMPARE(s.Channel(2).Value4mA, 7.0);    // the failing input's earlier field stored
    QCOMPARE(s.Channel(2).Value20mA, 100.0);
    QCOMPARE(s.Channel(3).Value20mA, 100.0);  // nothing after the failure
    QCOMPARE(w.main->station().MeasuringPeriod(), 2000);
    QCOMPARE(w.prompt->messages.last().text,
             QStringLiteral("Pozor! Některá data nebyla zadána správně a nebyla uložena."));
    QVERIFY(log.Texts().value(0).startsWith(QStringLiteral("Vyjimka KontrolaIP - ")));
    QVERIFY(w.IniBytes().contains("[ANALOG_IN1]"));  // the command still writes
  }

  void archiveConnectionFollowsTheFolder() {
    StationWindows w;
    w.main->LoadSettings();
    w.prompt->folder = QStringLiteral("/data/new");
    AcceptSettings(w, [&] { Child<QPushButton>(w.nastaveni.get(), QStringLiteral("btZdrojDat"))->click(); });
    QCOMPARE(w.main->Settings().DatabaseDir, QStringLiteral("/data/new"));
    QCOMPARE(w.main->RangeChart().ArchiveConnectionString(),
             QStringLiteral("Driver={Microsoft Text Driver (*.txt; *.csv)};Dbq=/data/new;"));
  }

  // The MQTT page shows the section's values, stores the edited ones key by key, and the station
  // connects to the new target at once (here a port nobody listens on: the status bar says so).
  void mqttPageEditsTheSection() {
    StationWindows w("[MQTT]\r\nActive=0\r\nHost=broker.plant\r\nPort=1884\r\nTopicPrefix=site/k4\r\n"
                     "User=op\r\nPassword=secret\r\nQos=0\r\n");
    w.main->LoadSettings();
    QVERIFY(w.main->StatusBar().MqttText().isEmpty());  // publishing off: nothing shown
    AcceptSettings(w, [&] {
      auto* d = w.nastaveni.get();
      QCOMPARE(Child<QLineEdit>(d, QStringLiteral("edMqttHost"))->text(), QStringLiteral("broker.plant"));
      QCOMPARE(Child<QSpinBox>(d, QStringLiteral("edMqttPort"))->value(), 1884);
      QCOMPARE(Child<QLineEdit>(d, QStringLiteral("edMqttTopicPrefix"))->text(), QStringLiteral("site/k4"));
      QCOMPARE(Child<QLineEdit>(d, QStringLiteral("edMqttPassword"))->echoMode(), QLineEdit::Password);
      QCOMPARE(Child<QSpinBox>(d, QStringLiteral("edMqttQos"))->value(), 0);
      QVERIFY(!Child<QLineEdit>(d, QStringLiteral("edMqttCaFile"))->isEnabled());
      Child<QCheckBox>(d, QStringLiteral("cbMqttActive"))->setChecked(true);
      Child<QLineEdit>(d, QStringLiteral("edMqttHost"))->setText(QStringLiteral("127.0.0.1"));
      Child<QSpinBox>(d, QStringLiteral("edMqttPort"))->setValue(FreeLocalPort());
      Child<QSpinBox>(d, QStringLiteral("edMqttQos"))->setValue(1);
    });
    const MqttSettings& m = w.main->Settings().Mqtt;
    QCOMPARE(std::make_tuple(m.Active, m.Host, m.User, m.Password, m.Qos),
             std::make_tuple(true, QStringLiteral("127.0.0.1"), QStringLiteral("op"), QStringLiteral("secret"), 1));
    const QByteArray ini = w.IniBytes();
    QVERIFY(ini.contains("[MQTT]\r\nActive=1\r\nHost=127.0.0.1\r\nPort="));
    // Keys in place where they stood; the missing ones added to the section.
    QVERIFY(ini.contains("TopicPrefix=site/k4\r\nUser=op\r\nPassword=secret\r\nQos=1\r\n"));
    QVERIFY(ini.contains("ClientId=\r\n") && ini.contains("Tls=0\r\n") && ini.contains("CaFile=\r\n"));
    QTRY_COMPARE(w.main->StatusBar().MqttText(), QStringLiteral("MQTT: odpojeno"));
    w.main->SwitchToEnglish();
    QCOMPARE(Child<QLabel>(w.nastaveni.get(), QStringLiteral("laMqttTopicPrefix"))->text(), QStringLiteral("Topic prefix:"));
  }

  void folderChoiceStartsAtTheStoredFolder() {
    StationWindows w("[ARCHIVACE]\r\nDatabaseDir=/data/stored\r\n");
    w.main->LoadSettings();
    w.nastaveni->FormShow();
    Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("edZdrojDat"))->setText(QStringLiteral("/typed"));
    w.prompt->folder = QStringLiteral("/data/chosen");
    Child<QPushButton>(w.nastaveni.get(), QStringLiteral("btZdrojDat"))->click();
    QCOMPARE(w.prompt->lastFolderStart, QStringLiteral("/data/stored"));
    QCOMPARE(Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("edZdrojDat"))->text(),
             QStringLiteral("/data/chosen"));
  }

  void stornoStoresNothing() {
    StationWindows w;
    w.main->LoadSettings();
    WhenModal(w.nastaveni.get(), [&] {
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed20mA_IN1"))->setText(QStringLiteral("999"));
      Child<QPushButton>(w.nastaveni.get(), QStringLiteral("btStorno"))->click();
    });
    w.main->findChild<QToolButton*>(QStringLiteral("tbNastaveni"))->click();
    QCOMPARE(w.main->Settings().Channel(1).Value20mA, 100.0);
    QVERIFY(!QFile::exists(w.IniPath()));
    WhenModal(w.nastaveni.get(), [&] {
      Child<QLineEdit>(w.nastaveni.get(), QStringLiteral("ed20mA_IN1"))->setText(QStringLiteral("999"));
      Child<QPushButton>(w.nastaveni.get(), QStringLiteral("btOK"))->click();
    });
    w.main->findChild<QToolButton*>(QStringLiteral("tbNastaveni"))->click();
    QCOMPARE(w.main->Settings().Channel(1).Value20mA, 999.0);
    QVERIFY(w.IniBytes().contains("20mA=999\r\n"));
  }

  // The address field checks itself only when the focus moves to another control of the dialog:
  // never on Esc or Storno, once on OK (the store's check), never for pop-ups or other windows.
  void addressCheckOnRealFocusMoves_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("boxes");
    QTest::newRow("Tab") << "tab" << 1;
    QTest::newRow("click on another control") << "click" << 1;
    QTest::newRow("Esc") << "esc" << 0;
    QTest::newRow("Storno") << "storno" << 0;
    QTest::newRow("Enter") << "enter" << 1;
    QTest::newRow("OK") << "ok" << 1;
    QTest::newRow("another window activated") << "window" << 0;
    QTest::newRow("pop-up menu") << "popup" << 0;
  }
  void addressCheckOnRealFocusMoves() {
    QFETCH(QString, action);
    QFETCH(int, boxes);
    StationWindows w;
    w.main->LoadSettings();
    TDlgNastaveni* dialog = w.nastaveni.get();
    auto* edit = Child<QLineEdit>(dialog, QStringLiteral("medIpAdresa"));
    bool acted = false;
    WhenModal(dialog, [&] {
      // Whatever fails below, the dialog closes and the test goes on.
      const auto close = qScopeGuard([dialog] {
        if (dialog->isVisible()) dialog->reject();
      });
      QVERIFY(QTest::qWaitForWindowActive(dialog));
      Child<QTabWidget>(dialog, QStringLiteral("PageControl1"))->setCurrentIndex(1);
      edit->setFocus(Qt::OtherFocusReason);
      QTRY_VERIFY(edit->hasFocus());
      edit->setText(QStringLiteral("256.001.001.001"));
      // As the platform delivers a click: the press moves the focus first.
      auto clickThroughWindow = [dialog](QWidget* target) {
        QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {}, target->mapTo(dialog, target->rect().center()));
      };
      QWidget other;
      QMenu menu(dialog);
      menu.addAction(QStringLiteral("x"));
      if (action == QLatin1String("tab")) {
        QTest::keyClick(edit, Qt::Key_Tab);
      } else if (action == QLatin1String("click")) {
        auto* box = Child<QCheckBox>(dialog, QStringLiteral("cbAutopripojeni"));
        clickThroughWindow(box);
        QTRY_VERIFY(box->hasFocus());
      } else if (action == QLatin1String("esc")) {
        QTest::keyClick(edit, Qt::Key_Escape);
      } else if (action == QLatin1String("storno")) {
        clickThroughWindow(Child<QPushButton>(dialog, QStringLiteral("btStorno")));
      } else if (action == QLatin1String("enter")) {
        QTest::keyClick(edit, Qt::Key_Return);
      } else if (action == QLatin1String("ok")) {
        clickThroughWindow(Child<QPushButton>(dialog, QStringLiteral("btOK")));
      } else if (action == QLatin1String("window")) {
        other.show();
        QApplication::setActiveWindow(&other);
        QTRY_VERIFY(!edit->hasFocus());
        QApplication::setActiveWindow(dialog);
      } else if (action == QLatin1String("popup")) {
        menu.popup(edit->mapToGlobal(QPoint(0, 0)));
        QTRY_VERIFY(menu.isVisible());
        menu.close();
      }
      acted = true;
    });
    w.main->findChild<QToolButton*>(QStringLiteral("tbNastaveni"))->click();
    QVERIFY(acted);
    int shown = 0;
    for (const auto& m : w.prompt->messages) shown += m.text == QStringLiteral("Nesprávně zadaná IP adresa.");
    QCOMPARE(shown, boxes);
    QCOMPARE(w.prompt->messages.size(), boxes);
  }

  void pressureKeyFilter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("point becomes the separator") << QStringLiteral("101.3") << QStringLiteral("101,3");
    QTest::newRow("second separator refused") << QStringLiteral("1.0,5.") << QStringLiteral("1,05");
    QTest::newRow("minus refused") << QStringLiteral("-5") << QStringLiteral("5");
    QTest::newRow("letters refused") << QStringLiteral("9a8e") << QStringLiteral("98");
  }
  void pressureKeyFilter() {
    QFETCH(QString, typed);
    QFETCH(QString, text);
    StationWindows w;
    auto* edit = Child<QLineEdit>(w.parametry.get(), QStringLiteral("edParamAtmTlak"));
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), text);
  }

  void parametersDialog() {
    StationWindows w("[PARAMETRY_MERENI]\r\nTeplota=30\r\nCidloTeploty=1\r\n");
    w.main->LoadSettings();
    TDlgParametryMereni& d = *w.parametry;
    d.FormShow();
    auto* temperature = Child<QSpinBox>(&d, QStringLiteral("edParamTeplotaVzduchu"));
    QVERIFY(!temperature->isEnabled());
    QVERIFY(!Child<QLabel>(&d, QStringLiteral("laParamTeplota"))->isEnabled());
    Child<QCheckBox>(&d, QStringLiteral("cbJeTeplotniCidlo"))->click();
    QVERIFY(temperature->isEnabled());
    Child<QPushButton>(&d, QStringLiteral("btNormaloveHodnoty"))->click();
    QCOMPARE(temperature->value(), 20);
    QCOMPARE(Child<QLineEdit>(&d, QStringLiteral("edParamAtmTlak"))->text(), QStringLiteral("101,325"));
    QCOMPARE(w.main->Settings().Teplota, 30);  // nothing stored before acceptance
    d.SetParameters();
    w.main->SaveMeasurementParameters();
    QCOMPARE(w.main->Settings().Teplota, 20);
    QVERIFY(!w.main->Settings().CidloTeploty);
    // Existing keys keep their lines; the missing one joins the section.
    QCOMPARE(
        w.IniBytes(),
        QByteArray("[PARAMETRY_MERENI]\r\nTeplota=20\r\nCidloTeploty=0\r\nAtmosferickyTlak=101,325\r\n"));
  }

  void unconvertiblePressureKeepsPressureAndFlag() {
    StationWindows w;
    w.main->LoadSettings();
    w.parametry->FormShow();
    Child<QSpinBox>(w.parametry.get(), QStringLiteral("edParamTeplotaVzduchu"))->setValue(5);
    Child<QLineEdit>(w.parametry.get(), QStringLiteral("edParamAtmTlak"))->setText(QStringLiteral(","));
    Child<QCheckBox>(w.parametry.get(), QStringLiteral("cbJeTeplotniCidlo"))->setChecked(true);
    LogRecorder log;
    w.parametry->SetParameters();
    QCOMPARE(w.main->Settings().Teplota, 5);
    QCOMPARE(w.main->Settings().AtmosferickyTlak, 101.325);
    QVERIFY(!w.main->Settings().CidloTeploty);
    QVERIFY(log.Texts().value(0).startsWith(QStringLiteral("Vyjimka Parametry Měření - SetParameters() - ")));
    QVERIFY(w.prompt->messages.isEmpty());
  }

  // A pressure of 0 would fail every reply: refused on acceptance, the old value kept.
  // Enter presses the button that has the focus; the default button ("Ano") only when none has it.
  void enterPressesTheFocusedButton_data() {
    QTest::addColumn<bool>("parameters");  // the measurement parameters dialog, else the settings
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("result");
    QTest::newRow("settings, Storno") << false << "btStorno" << int(QDialog::Rejected);
    QTest::newRow("settings, Ano") << false << "btOK" << int(QDialog::Accepted);
    QTest::newRow("settings, an edit") << false << "edPort" << int(QDialog::Accepted);
    QTest::newRow("parameters, Storno") << true << "btStorno" << int(QDialog::Rejected);
    QTest::newRow("parameters, Normálové hodnoty") << true << "btNormaloveHodnoty" << -1;
    QTest::newRow("parameters, an edit") << true << "edParamAtmTlak" << int(QDialog::Accepted);
  }
  void enterPressesTheFocusedButton() {
    QFETCH(bool, parameters);
    QFETCH(QString, focused);
    QFETCH(int, result);
    StationWindows w;
    w.main->LoadSettings();
    QDialog* dialog = parameters ? static_cast<QDialog*>(w.parametry.get()) : static_cast<QDialog*>(w.nastaveni.get());
    bool stillOpen = false;
    WhenModal(dialog, [&] {
      if (parameters) Child<QLineEdit>(dialog, QStringLiteral("edParamAtmTlak"))->setText(QStringLiteral("99"));
      QWidget* target = Child<QWidget>(dialog, focused);
      target->setFocus();
      QTest::keyClick(target, Qt::Key_Return);
      stillOpen = dialog->isVisible();
      if (stillOpen) Child<QPushButton>(dialog, QStringLiteral("btStorno"))->click();
    });
    const int answer = dialog->exec();
    if (result < 0) {  // the button did its work and the dialog stayed open
      QVERIFY(stillOpen);
      QCOMPARE(Child<QLineEdit>(dialog, QStringLiteral("edParamAtmTlak"))->text(), QStringLiteral("101,325"));
    } else {
      QVERIFY(!stillOpen);
      QCOMPARE(answer, result);
    }
  }

  void zeroPressureRefused() {
    StationWindows w;
    w.main->LoadSettings();
    WhenModal(w.parametry.get(), [&] {
      Child<QLineEdit>(w.parametry.get(), QStringLiteral("edParamAtmTlak"))->setText(QStringLiteral("0"));
      Child<QPushButton>(w.parametry.get(), QStringLiteral("btOK"))->click();
      QVERIFY(w.parametry->isVisible());
      QCOMPARE(Child<QLineEdit>(w.parametry.get(), QStringLiteral("edParamAtmTlak"))->text(),
               QStringLiteral("101,325"));
      Child<QPushButton>(w.parametry.get(), QStringLiteral("btStorno"))->click();
    });
    w.main->findChild<QToolButton*>(QStringLiteral("tbParametryMereni"))->click();
    QCOMPARE(w.prompt->messages.size(), 1);
    QCOMPARE(w.main->Settings().AtmosferickyTlak, 101.325);
    QVERIFY(!QFile::exists(w.IniPath()));
  }

  void aboutBox() {
    StationWindows w;
    QCOMPARE(w.about->windowTitle(), QStringLiteral("O programu"));
    QCOMPARE(Child<QLabel>(w.about.get(), QStringLiteral("ProductName"))->text(),
             QStringLiteral("Kestrilon - s vlhkostí"));
    QCOMPARE(Child<QLabel>(w.about.get(), QStringLiteral("Version"))->text(), QStringLiteral("verze 1.1"));
    QCOMPARE(Child<QPushButton>(w.about.get(), QStringLiteral("OKButton"))->text(), QStringLiteral("OK"));
  }

  void dataSheetResizeRule() {
    StationWindows w;
    TfrmDataSheet& d = *w.dataSheet;
    QCOMPARE(d.windowTitle(), QStringLiteral(" Data sheet - Kestrilon4"));
    QCOMPARE(DataSheetPicture().size(), QSize(600, 855));
    d.resize(606, 880);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const QSize reference = d.ReferenceSize();
    d.resize(reference.width() - 100, reference.height() + 50);  // narrower but taller
    QCOMPARE(d.Image()->size(), reference);
    d.resize(reference.width() + 200, reference.height() + 100);  // larger: the picture follows
    QVERIFY(d.Image()->width() > reference.width());
    d.hide();
    d.show();  // the enlarged size is the new reference
    QCOMPARE(d.ReferenceSize(), d.size());
  }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
