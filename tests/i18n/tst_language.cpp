#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "main_window/status_bar.h"
#include "main_window/range_chart_page.h"
#include "charts/chart_view.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "i18n/language_table.h"
#include "main_window/main_form.h"
#include "prompts/user_prompt.h"
#include "support/scripted_prompt.h"
#include "support/station_fixture.h"

namespace {
// Every text a user can read on the three translated windows, by component name.
QMap<QString, QString> VisibleTexts(StationWindows& w) {
  QMap<QString, QString> texts;
  QList<QWidget*> roots{w.main.get(), w.nastaveni.get(), w.parametry.get()};
  for (QWidget* root : roots) {
    texts[root->objectName() + QStringLiteral("#caption")] = root->windowTitle();
    for (QObject* o : root->findChildren<QObject*>()) {
      const QString name = o->objectName();
      if (name.isEmpty()) continue;
      if (auto* l = qobject_cast<QLabel*>(o))
        texts[name] = l->text();
      else if (auto* b = qobject_cast<QAbstractButton*>(o))
        texts[name] = b->text() + QLatin1Char('|') + b->toolTip();
      else if (auto* a = qobject_cast<QAction*>(o))
        texts[name] = a->text();
      else if (auto* g = qobject_cast<QGroupBox*>(o))
        texts[name] = g->title();
      else if (auto* m = qobject_cast<QMenu*>(o))
        texts[name] = m->title();
    }
    for (QTabWidget* tabs : root->findChildren<QTabWidget*>())
      for (int i = 0; i < tabs->count(); ++i)
        texts[tabs->widget(i)->objectName() + QStringLiteral("#tab")] = tabs->tabText(i);
  }
  return texts;
}

QString Tab(TMainForm& f, const char* page) {
  QWidget* w = f.findChild<QWidget*>(QString::fromLatin1(page));
  return f.Form().PageControl1->tabText(f.Form().PageControl1->indexOf(w));
}
}  // namespace

class TestLanguage : public QObject {
  Q_OBJECT
 private slots:
  void tablesHoldEveryKeyInBothLanguages() {
    // The 92 keys of the station's first tables, then the MQTT page's 13, the export's 4 and the
    // from-to chart's note of skipped rows, the settings-not-saved note and the link-lost banner;
    // then the status bar's 7, the from-to chart's 4, the series' 5, the folder choice's title, the
    // colour boxes' 21 entries and the refused pressure; the consumption page's 30; the alarm
    // window's 34 and the settings dialog's alarm page's 7; the alarm state "cleared, unacknowledged".
    QCOMPARE(LanguageKeys().size(), 270);
    QCOMPARE(LanguageKeys().indexOf(QStringLiteral("msgChybaSouboruHeader")), 91);
    QCOMPARE(LanguageKeys().indexOf(QStringLiteral("tsNastMqtt")), 92);
    QCOMPARE(LanguageKeys().removeDuplicates(), 0);
    LanguageTable cz, en;
    LoadCzechTable(cz);
    LoadEnglishTable(en);
    QCOMPARE(LanguageKeys().indexOf(QStringLiteral("btUlozHint")), 105);
    QCOMPARE(cz.Size(), LanguageKeys().size());
    for (const QString& key : LanguageKeys()) {
      QVERIFY2(!cz.Text(key).isEmpty(), qPrintable(key));
      QVERIFY2(!en.Text(key).isEmpty(), qPrintable(key));
    }
    QCOMPARE(
        cz.Text(QStringLiteral("msgUkonceniAplikace")),
        QStringLiteral(
            "Opravdu si přejete aplikaci ukončit?\nAno - ukončení aplikace\nNe - minimalizace aplikace"));
    QCOMPARE(en.Text(QStringLiteral("rgArchivace")), QStringLiteral(" Archiving "));
    QCOMPARE(cz.Text(QStringLiteral("nonexistent")), QString());
  }

  void czechEnglishCzechRestoresEveryText() {
    StationWindows w;
    w.main->LoadSettings();  // Czech from the default "Language" 1
    const QMap<QString, QString> czech = VisibleTexts(w);
    w.main->SwitchToEnglish();
    const QMap<QString, QString> english = VisibleTexts(w);
    QVERIFY(english != czech);
    w.main->SwitchToCzech();
    QCOMPARE(VisibleTexts(w), czech);
  }

  void textsOfBothLanguages() {
    StationWindows w;
    TMainForm& f = *w.main;
    f.LoadSettings();
    auto check = [&](const char* caption, const char* nastaveniOk, const char* tab, const char* laIN2,
                     const char* tbHint) {
      QCOMPARE(w.nastaveni->windowTitle(), QString::fromUtf8(caption));
      QCOMPARE(w.nastaveni->findChild<QPushButton*>(QStringLiteral("btOK"))->text(),
               QString::fromUtf8(nastaveniOk));
      QCOMPARE(w.parametry->findChild<QPushButton*>(QStringLiteral("btOK"))->text(),
               QString::fromUtf8(nastaveniOk));
      QCOMPARE(w.nastaveni->findChild<QPushButton*>(QStringLiteral("btStorno"))->text(),
               QStringLiteral("Storno"));
      QCOMPARE(w.parametry->findChild<QPushButton*>(QStringLiteral("btStorno"))->text(),
               QStringLiteral("Storno"));
      QCOMPARE(Tab(f, "tsGrafy"), QString::fromUtf8(tab));
      QCOMPARE(f.findChild<QLabel*>(QStringLiteral("laVelicinaIN2"))->text(), QString::fromUtf8(laIN2));
      QCOMPARE(f.findChild<QToolButton*>(QStringLiteral("tbMereni"))->toolTip(), QString::fromUtf8(tbHint));
    };
    check(" Nastavení", "Ano", "Graf Od-Do", "Teplota:", "Start/Stop měření");
    QCOMPARE(w.parametry->windowTitle(), QStringLiteral(" Parametry měření"));
    f.SwitchToEnglish();
    check(" Options", "OK", "Chart From-To", "Temper.:", "Start/Stop measuring");
    QCOMPARE(w.parametry->windowTitle(), QStringLiteral(" Metering options"));
    QCOMPARE(f.Form().ChartVelky->Title(f.RangeChart().InputSeries(1)), QStringLiteral("Flow [Nm³/h]"));
    QCOMPARE(f.StatusBar().Text(1), QStringLiteral("Measuring OFF"));
    // Components without a key keep their designed texts.
    QCOMPARE(f.Form().miDataSheet->text(), QStringLiteral("Data sheet"));
    QCOMPARE(f.findChild<QAction*>(QStringLiteral("miTIOtevrit"))->text(), QStringLiteral("Otevřít"));
    QCOMPARE(f.findChild<QAction*>(QStringLiteral("miTIKonec"))->text(), QStringLiteral("Konec"));
    QCOMPARE(f.Form().BitBtn1->text(), QStringLiteral("Tisk"));
    QCOMPARE(f.Form().btTisk->text(), QStringLiteral("Print"));
    QCOMPARE(f.Form().btUloz->text(), QStringLiteral("BMP"));
    QCOMPARE(w.nastaveni->findChild<QLabel*>(QStringLiteral("la4mA_IN1"))->text(), QStringLiteral("4 mA:"));
    QCOMPARE(w.nastaveni->findChild<QLabel*>(QStringLiteral("laAlarmMin_IN1"))->text(),
             QStringLiteral("Alarm MIN:"));
    QCOMPARE(f.findChild<QToolButton*>(QStringLiteral("tbJazyk"))->toolTip(),
             QStringLiteral("Change language"));
    QCOMPARE(f.findChild<QMenu*>(QStringLiteral("Language1"))->title(), QStringLiteral("Language"));
    QCOMPARE(w.nastaveni->findChild<QComboBox*>(QStringLiteral("cbBarvaChyba"))->itemText(10),
             QStringLiteral("Red"));
    f.SwitchToCzech();
    f.SwitchToCzech();
    f.SwitchToEnglish();
    QCOMPARE(w.nastaveni->windowTitle(), QStringLiteral(" Options"));
  }

  // The toolkit's own buttons follow the interface language: the close question reads Ano/Ne.
  void closeQuestionButtonsInBothLanguages() {
    StationWindows w;
    auto buttonTexts = [&w] {
      const auto box = QtUserPrompt::NewQuestionBox(w.main->Message(QStringLiteral("msgUkonceniAplikaceHeader")),
                                                    w.main->Message(QStringLiteral("msgUkonceniAplikace")));
      QStringList texts;
      for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        texts << box->button(button)->text().remove(QLatin1Char('&'));
      // Enter hides to the tray, Esc cancels; the caption stands whole, without the program's name.
      if (box->defaultButton() != box->button(QMessageBox::No)) texts << QStringLiteral("default not No");
      if (box->escapeButton() != box->button(QMessageBox::Cancel)) texts << QStringLiteral("Esc not Cancel");
      if (box->windowTitle() != w.main->Message(QStringLiteral("msgUkonceniAplikaceHeader")))
        texts << box->windowTitle();
      if (box->sizeHint().width() < box->fontMetrics().horizontalAdvance(box->windowTitle()) + 100)
        texts << QStringLiteral("narrower than its caption");
      return texts;
    };
    w.main->SwitchToCzech();
    QCOMPARE(buttonTexts(), (QStringList{QStringLiteral("Ano"), QStringLiteral("Ne"), QStringLiteral("Zrušit")}));
    w.main->SwitchToEnglish();
    QCOMPARE(buttonTexts(), (QStringList{QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Cancel")}));
    w.main->SwitchToCzech();
    QCOMPARE(buttonTexts().first(), QStringLiteral("Ano"));
  }

  // Every fixed text of both tables, exactly: the telling captions and the complete message table.
  void fixedTextsExactly_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("czech");
    QTest::addColumn<QString>("english");
    QTest::newRow("miOprogramu") << QStringLiteral("miOprogramu") << QStringLiteral("O programu...") << QStringLiteral("About...");
    QTest::newRow("tbMereni") << QStringLiteral("tbMereni") << QStringLiteral("Start/Stop měření") << QStringLiteral("Start/Stop measuring");
    QTest::newRow("tsHlavni") << QStringLiteral("tsHlavni") << QStringLiteral("Hlavní přehled") << QStringLiteral("Overview");
    QTest::newRow("tsGrafy") << QStringLiteral("tsGrafy") << QStringLiteral("Graf Od-Do") << QStringLiteral("Chart From-To");
    QTest::newRow("laVelicinaIN1") << QStringLiteral("laVelicinaIN1") << QStringLiteral("Průtok:") << QStringLiteral("Flow:");
    QTest::newRow("laVelicinaIN2") << QStringLiteral("laVelicinaIN2") << QStringLiteral("Teplota:") << QStringLiteral("Temper.:");
    QTest::newRow("laVelicinaIN3") << QStringLiteral("laVelicinaIN3") << QStringLiteral("Vlhkost:") << QStringLiteral("Humid.:");
    QTest::newRow("laVelicinaIN4") << QStringLiteral("laVelicinaIN4") << QStringLiteral("Tlak:") << QStringLiteral("Press.:");
    QTest::newRow("rgArchivace") << QStringLiteral("rgArchivace") << QStringLiteral(" Archivace ") << QStringLiteral(" Archiving ");
    QTest::newRow("rgArchivaceItem_0") << QStringLiteral("rgArchivaceItem_0") << QStringLiteral("Pomalá") << QStringLiteral("Slow");
    QTest::newRow("rgArchivaceItem_1") << QStringLiteral("rgArchivaceItem_1") << QStringLiteral("Rychlá") << QStringLiteral("Quick");
    QTest::newRow("btGeneruj") << QStringLiteral("btGeneruj") << QStringLiteral("Generuj (F9)") << QStringLiteral("Generate (F9)");
    QTest::newRow("DlgNastaveni") << QStringLiteral("DlgNastaveni") << QStringLiteral(" Nastavení") << QStringLiteral(" Options");
    QTest::newRow("cbActive_IN1") << QStringLiteral("cbActive_IN1") << QStringLiteral(" IN1 - Průtok ") << QStringLiteral(" IN1 - Flow ");
    QTest::newRow("cbActive_IN4") << QStringLiteral("cbActive_IN4") << QStringLiteral(" IN4 - Tlak ") << QStringLiteral(" IN4 - Pressure ");
    QTest::newRow("gbNastAD4ETH") << QStringLiteral("gbNastAD4ETH") << QStringLiteral(" Převodník AD4ETH ") << QStringLiteral(" Converter AD4ETH ");
    QTest::newRow("gbNastVzorkovani") << QStringLiteral("gbNastVzorkovani") << QStringLiteral(" Vzorkování ") << QStringLiteral(" Data lock-out ");
    QTest::newRow("laNastVzorVzorku") << QStringLiteral("laNastVzorVzorku") << QStringLiteral("[vzorků]") << QStringLiteral("[period]");
    QTest::newRow("cbArchivaceRychlaActive") << QStringLiteral("cbArchivaceRychlaActive") << QStringLiteral("Rychlá 1 hodinová: ") << QStringLiteral("Quick (1 hour): ");
    QTest::newRow("cbArchivacePomalaActive") << QStringLiteral("cbArchivacePomalaActive") << QStringLiteral("Pomalá celodenní:") << QStringLiteral("Slow (1 day):");
    QTest::newRow("cbNastUkazujSpotrebu") << QStringLiteral("cbNastUkazujSpotrebu") << QStringLiteral("Ukazuj spotřebu: ") << QStringLiteral("Show total flow:");
    QTest::newRow("laNastChybaIN") << QStringLiteral("laNastChybaIN") << QStringLiteral("Chyba analogu:") << QStringLiteral("Error of INs:");
    QTest::newRow("cbSystemWin7") << QStringLiteral("cbSystemWin7") << QStringLiteral("Windows 7 a novější: ") << QStringLiteral("Windows 7 and later: ");
    QTest::newRow("btOK") << QStringLiteral("btOK") << QStringLiteral("Ano") << QStringLiteral("OK");
    QTest::newRow("btStorno") << QStringLiteral("btStorno") << QStringLiteral("Storno") << QStringLiteral("Storno");
    QTest::newRow("tsNastCidel") << QStringLiteral("tsNastCidel") << QStringLiteral("Nastavení čidel") << QStringLiteral("Measuring unit");
    QTest::newRow("DlgParametryMereni") << QStringLiteral("DlgParametryMereni") << QStringLiteral(" Parametry měření") << QStringLiteral(" Metering options");
    QTest::newRow("cbJeTeplotniCidlo") << QStringLiteral("cbJeTeplotniCidlo") << QStringLiteral("Teplota vzduchu z čidla:") << QStringLiteral("Air temperature sensor:");
    QTest::newRow("btNormaloveHodnoty") << QStringLiteral("btNormaloveHodnoty") << QStringLiteral("Normálové hodnoty") << QStringLiteral("Normal values");
    QTest::newRow("msgUkonceniAplikace") << QStringLiteral("msgUkonceniAplikace") << QStringLiteral("Opravdu si přejete aplikaci ukončit?\nAno - ukončení aplikace\nNe - minimalizace aplikace") << QStringLiteral("Do you really want to terminate programme?\nYes - program termination\nNo - minimize to try icon");
    QTest::newRow("msgUkonceniAplikaceHeader") << QStringLiteral("msgUkonceniAplikaceHeader") << QStringLiteral("Ukončení aplikace") << QStringLiteral("Program termination");
    QTest::newRow("msgCybaPriUkladani") << QStringLiteral("msgCybaPriUkladani") << QStringLiteral("Pozor! Některá data nebyla zadána správně a nebyla uložena.") << QStringLiteral("Attention. Data stacking error.");
    QTest::newRow("msgCybaPriUkladaniHeader") << QStringLiteral("msgCybaPriUkladaniHeader") << QStringLiteral("Chyba při ukládání dat") << QStringLiteral("Data stacking");
    QTest::newRow("msgChybaTisku") << QStringLiteral("msgChybaTisku") << QStringLiteral("Tisk se nezdařil.") << QStringLiteral("Print error.");
    QTest::newRow("msgChybaTiskuHeader") << QStringLiteral("msgChybaTiskuHeader") << QStringLiteral("Tisk") << QStringLiteral("Print");
    QTest::newRow("msgMereniZapnuto") << QStringLiteral("msgMereniZapnuto") << QStringLiteral("Měření zapnuto") << QStringLiteral("Measuring ON");
    QTest::newRow("msgMereniVypnuto") << QStringLiteral("msgMereniVypnuto") << QStringLiteral("Měření vypnuto") << QStringLiteral("Measuring OFF");
    QTest::newRow("msgSpatneIP") << QStringLiteral("msgSpatneIP") << QStringLiteral("Nesprávně zadaná IP adresa.") << QStringLiteral("Odd IP address.");
    QTest::newRow("msgSpatneIPHeader") << QStringLiteral("msgSpatneIPHeader") << QStringLiteral("IP adresa") << QStringLiteral("IP address");
    QTest::newRow("msgKontrolaIPVyjimka") << QStringLiteral("msgKontrolaIPVyjimka") << QStringLiteral("Chyba při konrole IP adresy.") << QStringLiteral("Odd IP address.");
    QTest::newRow("msgChybaZadaniScailingu") << QStringLiteral("msgChybaZadaniScailingu") << QStringLiteral("Špatně zadaná hodnota linearizace. Hodnota pro 4mA >= 20mA u IN") << QStringLiteral("Scailing error. Value for 4mA >= 20mA in IN");
    QTest::newRow("msgChybaSouboru") << QStringLiteral("msgChybaSouboru") << QStringLiteral("Chybný formát dat v databázovém souboru.") << QStringLiteral("Error in database file.");
    QTest::newRow("msgChybaSouboruHeader") << QStringLiteral("msgChybaSouboruHeader") << QStringLiteral("Zdroj dat") << QStringLiteral("Data source");
  }
  void fixedTextsExactly() {
    QFETCH(QString, key);
    QFETCH(QString, czech);
    QFETCH(QString, english);
    LanguageTable table;
    LoadCzechTable(table);
    QCOMPARE(table.Text(key), czech);
    LoadEnglishTable(table);
    QCOMPARE(table.Text(key), english);
  }

  void radioGroupKeepsItsSelection() {
    StationWindows w;
    TMainForm& f = *w.main;
    f.LoadSettings();
    f.ApplyChartSettings();
    f.Form().rgArchivace->SetItemIndex(0);
    f.SwitchToEnglish();
    QCOMPARE(f.Form().rgArchivace->Item(0), QStringLiteral("Slow"));
    QCOMPARE(f.Form().rgArchivace->ItemIndex(), 0);
    QCOMPARE(f.Form().rgArchivace->title(), QStringLiteral(" Archiving "));
    QCOMPARE(f.Form().rgParametryGrafu->Item(1), QStringLiteral("3D"));  // no item keys: untouched
  }

  void itemsUntouchedWhenCaptionKeyIsEmpty() {
    StationWindows w;
    TMainForm& f = *w.main;
    f.Form().rgArchivace->setObjectName(QStringLiteral("rgUnknown"));
    f.SwitchToEnglish();
    QCOMPARE(f.Form().rgArchivace->Item(0), QStringLiteral("Pomalá"));
  }

  void scalingMessageInEnglish() {
    StationWindows w;
    w.main->LoadSettings();
    w.main->SwitchToEnglish();
    w.nastaveni->FormShow();
    w.nastaveni->findChild<QLineEdit*>(QStringLiteral("ed4mA_IN3"))->setText(QStringLiteral("50"));
    w.nastaveni->findChild<QLineEdit*>(QStringLiteral("ed20mA_IN3"))->setText(QStringLiteral("10"));
    w.nastaveni->StoreSettings();
    QCOMPARE(w.prompt->messages.last().caption, QStringLiteral("Scailing"));
    QCOMPARE(w.prompt->messages.last().text, QStringLiteral("Scailing error. Value for 4mA >= 20mA in IN3."));
  }

  // The station's own texts (series, colour names, status bar) follow the language chosen from the
  // main menu's item, each from its column; before any choice they are the designed ones.
  void ownTextsFollowTheLanguage_data() {
    QTest::addColumn<QString>("item");  // empty: none chosen
    QTest::addColumn<QString>("series");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("mqtt");
    QTest::newRow("designed") << QString() << "Průtok [Nm³/h]" << "Černá" << "MQTT: připojování";
    QTest::newRow("Czech") << "miCestina_" << "Průtok [Nm³/h]" << "Černá" << "MQTT: připojování";
    QTest::newRow("English") << "miEnglish_" << "Flow [Nm³/h]" << "Black" << "MQTT: connecting";
  }
  void ownTextsFollowTheLanguage() {
    QFETCH(QString, item);
    QFETCH(QString, series);
    QFETCH(QString, colour);
    QFETCH(QString, mqtt);
    StationWindows w("[OSTATNI]\r\nLanguage=0\r\n");
    TMainForm& f = *w.main;
    f.LoadSettings();
    if (!item.isEmpty()) f.findChild<QAction*>(item)->trigger();
    f.ApplyChartSettings();
    f.StatusBar().ShowMqttState(MqttState::Connecting);
    QCOMPARE(f.Form().ChartVelky->Title(f.RangeChart().InputSeries(1)), series);
    QCOMPARE(w.nastaveni->findChild<QComboBox*>(QStringLiteral("cbBarvaChyba"))->itemText(1), colour);
    QCOMPARE(f.StatusBar().MqttText(), mqtt);
  }

  void languageZeroLoadsNothingAndEnglishIsStoredAtExit() {
    StationWindows w("[OSTATNI]\r\nLanguage=0\r\n");
    w.main->LoadSettings();
    QVERIFY(w.main->Language().IsEmpty());
    QCOMPARE(Tab(*w.main, "tsGrafy"), QStringLiteral("Graf Od - Do"));  // the designed text
    QVERIFY(w.main->Message(QStringLiteral("msgMereniZapnuto")).isEmpty());
    w.main->findChild<QAction*>(QStringLiteral("miEnglish"))->trigger();
    QCOMPARE(Tab(*w.main, "tsGrafy"), QStringLiteral("Chart From-To"));
    QVERIFY(w.IniBytes().contains("Language=0\r\n"));  // not written until exit
    w.main->SaveExitSettings();
    QVERIFY(w.IniBytes().contains("Language=2\r\n"));
  }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
