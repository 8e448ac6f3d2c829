// The station's texts, one row per key in table order and one column per language (the order of
// InterfaceLanguages()). Leading and trailing blanks are part of the texts (they frame group, radio
// group and check box captions). "\n" is a line break inside a message; %1.. are filled in.
#include <array>

#include "config/app_settings.h"
#include "i18n/language_table.h"

namespace {
constexpr int kLanguageColumns = 2;

struct Entry {
  const char* key;
  std::array<const char*, kLanguageColumns> texts;
};

constexpr Entry kEntries[] = {
    // Main window
    {"miSoubor", {"Soubor", "File"}},
    {"miStartMereni", {"Start měření", "Start measuring"}},
    {"miStopMereni", {"Stop měření", "Stop measuring"}},
    {"miNastaveni", {"Nastavení", "Options"}},
    {"miParametryMereni", {"Parametry měření", "Metering options"}},
    {"miKonec", {"Konec", "Exit"}},
    {"miNapoveda", {"Nápověda", "Help"}},
    {"miOprogramu", {"O programu...", "About..."}},
    {"miTisk", {"Tisk", "Print"}},
    {"tbMereni", {"Start/Stop měření", "Start/Stop measuring"}},
    {"tbNastaveni", {"Nastavení", "Options"}},
    {"tbParametryMereni", {"Parametry měření", "Metering options"}},
    {"tbExit", {"Konec", "Exit"}},
    {"tbTisk", {"Tisk", "Print"}},
    {"tsHlavni", {"Hlavní přehled", "Overview"}},
    {"tsGrafDenni", {"Denní graf", "Daily chart"}},
    {"tsGrafy", {"Graf Od-Do", "Chart From-To"}},
    {"laVelicinaIN1", {"Průtok:", "Flow:"}},
    {"laVelicinaIN2", {"Teplota:", "Temper.:"}},
    {"laVelicinaIN3", {"Vlhkost:", "Humid.:"}},
    {"laVelicinaIN4", {"Tlak:", "Press.:"}},
    {"laGrafVyberDatumu", {"Výběr období:", "Period:"}},
    {"laGrafDatumOd", {"Od:", "From:"}},
    {"laGrafDatumDo", {"Do:", "To:"}},
    {"rgArchivace", {" Archivace ", " Archiving "}},
    {"rgArchivaceItem_0", {"Pomalá", "Slow"}},
    {"rgArchivaceItem_1", {"Rychlá", "Quick"}},
    {"rgParametryGrafu", {" Parametry grafu ", " Chart options "}},
    {"btGeneruj", {"Generuj (F9)", "Generate (F9)"}},
    {"btTisk", {"Tisk", "Print"}},
    {"btSmazatGraf", {"Smazat", "Clear"}},
    // Settings dialog
    {"DlgNastaveni", {" Nastavení", " Options"}},
    {"cbActive_IN1", {" IN1 - Průtok ", " IN1 - Flow "}},
    {"cbActive_IN2", {" IN2 - Teplota ", " IN2 - Temperature "}},
    {"cbActive_IN3", {" IN3 - Vlhkost ", " IN3 - Humidity "}},
    {"cbActive_IN4", {" IN4 - Tlak ", " IN4 - Pressure "}},
    {"laNastJednotkaIN1", {"Jednotka:", "Unit:"}},
    {"laNastJednotkaIN2", {"Jednotka:", "Unit:"}},
    {"laNastJednotkaIN3", {"Jednotka:", "Unit:"}},
    {"laNastJednotkaIN4", {"Jednotka:", "Unit:"}},
    {"laNastBarvaIN1", {"Barva čáry:", "Line colour:"}},
    {"laNastBarvaIN2", {"Barva čáry:", "Line colour:"}},
    {"laNastBarvaIN3", {"Barva čáry:", "Line colour:"}},
    {"laNastBarvaIN4", {"Barva čáry:", "Line colour:"}},
    {"gbNastAD4ETH", {" Převodník AD4ETH ", " Converter AD4ETH "}},
    {"gbNastVzorkovani", {" Vzorkování ", " Data lock-out "}},
    {"laNastIP", {"IP adresa:", "IP address:"}},
    {"cbAutopripojeni", {"Připojit po startu:", "Connect at start:"}},
    {"laNastVzorkovaniPerioda", {"Perioda:", "Period:"}},
    {"laNastPlovPrum", {"Plovoucí průměr:", "Moving average:"}},
    {"laNastVzorVzorku", {"[vzorků]", "[period]"}},
    {"gbNastDatabaze", {" Databáze ", " Database "}},
    {"gbNastUkladani", {" Ukládání ", " Storing "}},
    {"laNastZdrojDat", {"Zdroj dat:", "Data source:"}},
    {"cbArchivaceRychlaActive", {"Rychlá 1 hodinová: ", "Quick (1 hour): "}},
    {"cbArchivacePomalaActive", {"Pomalá celodenní:", "Slow (1 day):"}},
    {"gbNastGraf", {" Graf ", " Chart "}},
    {"gbNastBarvy", {" Barvy ", " Colours "}},
    {"laNastPosunOd", {"Posun data Od:", "Shift of From:"}},
    {"laNastTloustka", {"Tloušťka čáry:", "Line width:"}},
    {"cbNastUkazujSpotrebu", {"Ukazuj spotřebu: ", "Show total flow:"}},
    {"laNastPopisGrafu", {"Popis grafu:", "Chart label:"}},
    {"laNastPosunJedn", {"[dny]", "[days]"}},
    {"laNastChybaIN", {"Chyba analogu:", "Error of INs:"}},
    {"gbNastavSystem", {" Systém ", " System "}},
    {"cbSystemWin7", {"Windows 7 a novější: ", "Windows 7 and later: "}},
    {"btStorno", {"Storno", "Storno"}},
    {"btOK", {"Ano", "OK"}},
    {"tsNastCidel", {"Nastavení čidel", "Measuring unit"}},
    {"tsNastKomunikace", {"Komunikace", "Communication"}},
    {"tsNastArchivace", {"Archivace", "Archiving"}},
    {"tsOstatni", {"Ostatní", "Others"}},
    // Measurement parameters dialog
    {"DlgParametryMereni", {" Parametry měření", " Metering options"}},
    {"gbParamVstup", {" Vstupní parametry ", " Input parameters "}},
    {"cbJeTeplotniCidlo", {"Teplota vzduchu z čidla:", "Air temperature sensor:"}},
    {"laParamTeplota", {"Teplota vzduchu:", "Air temperature:"}},
    {"laParamAtmTlak", {"Atmosferický tlak:", "Atmospheric pressure:"}},
    {"btNormaloveHodnoty", {"Normálové hodnoty", "Normal values"}},
    // Messages
    {"msgUkonceniAplikace",
     {"Opravdu si přejete aplikaci ukončit?\nAno - ukončení aplikace\nNe - minimalizace aplikace",
      "Do you really want to terminate programme?\nYes - program termination\nNo - minimize to try icon"}},
    {"msgUkonceniAplikaceHeader", {"Ukončení aplikace", "Program termination"}},
    {"msgCybaPriUkladani",
     {"Pozor! Některá data nebyla zadána správně a nebyla uložena.", "Attention. Data stacking error."}},
    {"msgCybaPriUkladaniHeader", {"Chyba při ukládání dat", "Data stacking"}},
    {"msgChybaTisku", {"Tisk se nezdařil.", "Print error."}},
    {"msgChybaTiskuHeader", {"Tisk", "Print"}},
    {"msgMereniZapnuto", {"Měření zapnuto", "Measuring ON"}},
    {"msgMereniVypnuto", {"Měření vypnuto", "Measuring OFF"}},
    {"msgSpatneIP", {"Nesprávně zadaná IP adresa.", "Odd IP address."}},
    {"msgSpatneIPHeader", {"IP adresa", "IP address"}},
    {"msgKontrolaIPVyjimka", {"Chyba při konrole IP adresy.", "Odd IP address."}},
    {"msgChybaZadaniScailingu",
     {"Špatně zadaná hodnota linearizace. Hodnota pro 4mA >= 20mA u IN",
      "Scailing error. Value for 4mA >= 20mA in IN"}},
    {"msgChybaSouboru", {"Chybný formát dat v databázovém souboru.", "Error in database file."}},
    {"msgChybaSouboruHeader", {"Zdroj dat", "Data source"}},
    // Settings dialog, page "MQTT"
    {"tsNastMqtt", {"MQTT", "MQTT"}},
    {"gbNastMqtt", {" Publikování MQTT ", " MQTT publishing "}},
    {"cbMqttActive", {"Publikovat hodnoty:", "Publish readings:"}},
    {"laMqttHost", {"Server (broker):", "Broker:"}},
    {"laMqttPort", {"Port:", "Port:"}},
    {"laMqttTopicPrefix", {"Předpona témat:", "Topic prefix:"}},
    {"laMqttClientId", {"ID klienta:", "Client ID:"}},
    {"laMqttQos", {"QoS:", "QoS:"}},
    {"gbNastMqttPrihlaseni", {" Přihlášení ", " Authentication "}},
    {"laMqttUser", {"Uživatel:", "User:"}},
    {"laMqttPassword", {"Heslo:", "Password:"}},
    {"cbMqttTls", {"Šifrovat (TLS):", "Encrypt (TLS):"}},
    {"laMqttCaFile", {"Certifikát CA:", "CA certificate:"}},
    // Export of the from-to chart
    {"btUlozHint",
     {"Uložit graf jako obrázek (BMP, PNG) nebo PDF", "Save the chart as a picture (BMP, PNG) or PDF"}},
    {"btUlozCsvHint", {"Uložit vygenerované řádky do souboru CSV", "Save the generated rows to a CSV file"}},
    {"msgChybaExportuHeader", {"Uložení souboru", "Saving a file"}},
    {"msgChybaExportu", {"Soubor se nepodařilo uložit:", "The file could not be saved:"}},
    // Overview: the banner while the converter does not answer
    {"msgSpojeniPreruseno", {"Spojení s převodníkem přerušeno", "Converter link lost"}},
    // Status bar: the settings file could not be written (%1 its path)
    {"msgNastaveniNeulozeno", {"Nastavení nelze uložit do %1", "Settings cannot be saved to %1"}},
    // From-to chart: rows a crash or a full disk cut short (%1 file, %2 line, %3 how many)
    {"msgPreskoceneRadky",
     {"Přeskočeny nedokončené řádky archivu (%3), první: %1, řádek %2",
      "Unfinished archive rows skipped (%3), the first: %1, line %2"}},
    // Status bar: the archive cannot be written; the MQTT link's state (after "MQTT: ")
    {"msgArchivNezapisuje", {"Archiv se nezapisuje!", "Archive not written!"}},
    {"msgMqttPripojovani", {"připojování", "connecting"}},
    {"msgMqttPripojeno", {"připojeno", "connected"}},
    {"msgMqttOdmitnuto", {"odmítnuto", "refused"}},
    {"msgMqttOdpojeno", {"odpojeno", "disconnected"}},
    {"msgMqttCaNecitelny", {"soubor CA nečitelný", "CA file unreadable"}},
    {"msgMqttChybaTls", {"chyba TLS", "TLS failed"}},
    // From-to chart: reading progress (%1 files read, %2 of them); the cancel box and the 3D
    // percentage's box read the same in every language
    {"msgCteniArchivu", {"Čtení archivu %1 / %2 (Esc přeruší)", "Reading archive %1 / %2 (Esc cancels)"}},
    {"msgGenerovaniPreruseno",
     {"Generování grafu bylo ukončeno stiskem klávesy ESC.",
      "Generování grafu bylo ukončeno stiskem klávesy ESC."}},
    {"msgGenerovaniPrerusenoHeader", {"Generování grafu", "Generování grafu"}},
    {"msgSpatneCislo", {"Špatně zadané číslo!", "Špatně zadané číslo!"}},
    // Chart series: the inputs' quantities and the consumption of input 1
    {"SeriesIN1", {"Průtok", "Flow"}},
    {"SeriesIN2", {"Teplota", "Temperature"}},
    {"SeriesIN3", {"Vlhkost", "Humidity"}},
    {"SeriesIN4", {"Tlak", "Pressure"}},
    {"SeriesSpotreba", {"Spotřeba IN1", "Flow total IN1"}},
    // Settings dialog: the folder choice's title reads the same in every language
    {"msgVyberAdresare", {"Výběr adresáře zdroje dat", "Výběr adresáře zdroje dat"}},
    // Colour boxes: the custom entry, then the named colours in list order
    {"cbBarvaItem_0", {"Vlastní...", "Custom..."}},
    {"cbBarvaItem_1", {"Černá", "Black"}},
    {"cbBarvaItem_2", {"Kaštanová", "Maroon"}},
    {"cbBarvaItem_3", {"Zelená", "Green"}},
    {"cbBarvaItem_4", {"Olivová", "Olive"}},
    {"cbBarvaItem_5", {"Námořní modrá", "Navy"}},
    {"cbBarvaItem_6", {"Purpurová", "Purple"}},
    {"cbBarvaItem_7", {"Modrozelená", "Teal"}},
    {"cbBarvaItem_8", {"Šedá", "Gray"}},
    {"cbBarvaItem_9", {"Stříbrná", "Silver"}},
    {"cbBarvaItem_10", {"Červená", "Red"}},
    {"cbBarvaItem_11", {"Limetková", "Lime"}},
    {"cbBarvaItem_12", {"Žlutá", "Yellow"}},
    {"cbBarvaItem_13", {"Modrá", "Blue"}},
    {"cbBarvaItem_14", {"Fuchsiová", "Fuchsia"}},
    {"cbBarvaItem_15", {"Azurová", "Aqua"}},
    {"cbBarvaItem_16", {"Bílá", "White"}},
    {"cbBarvaItem_17", {"Mátově zelená", "Money green"}},
    {"cbBarvaItem_18", {"Nebeská modrá", "Sky blue"}},
    {"cbBarvaItem_19", {"Krémová", "Cream"}},
    {"cbBarvaItem_20", {"Středně šedá", "Medium gray"}},
    // Measurement parameters dialog: a pressure of 0 refused
    {"msgTlakNula",
     {"Atmosferický tlak musí být větší než 0 kPa. Ponechána předchozí hodnota.",
      "The atmospheric pressure must be greater than 0 kPa. The previous value is kept."}},
    // Consumption page (tab index 3): the ledger of input 1 per period
    {"tsSpotreba", {"Spotřeba", "Consumption"}},
    {"laSpotrebaOd", {"Od:", "From:"}},
    {"laSpotrebaDo", {"Do:", "To:"}},
    {"laSpotrebaObdobi", {"Období:", "Period:"}},
    {"laSpotrebaArchiv", {"Archiv:", "Archive:"}},
    {"cbSpotrebaObdobiItem_0", {"hodina", "hour"}},
    {"cbSpotrebaObdobiItem_1", {"směna", "shift"}},
    {"cbSpotrebaObdobiItem_2", {"den", "day"}},
    {"cbSpotrebaObdobiItem_3", {"týden", "week"}},
    {"cbSpotrebaObdobiItem_4", {"měsíc", "month"}},
    {"cbSpotrebaObdobiItem_5", {"rok", "year"}},
    {"cbSpotrebaArchivItem_0", {"rychlý", "fast"}},
    {"cbSpotrebaArchivItem_1", {"pomalý", "slow"}},
    {"btSpotrebaGeneruj", {"Spočítat (F9)", "Compute (F9)"}},
    {"btSpotrebaCsv", {"Uložit CSV", "Save CSV"}},
    {"btSpotrebaTisk", {"Tisk", "Print"}},
    {"hdSpotrebaOd", {"Od", "From"}},
    {"hdSpotrebaDo", {"Do", "To"}},
    {"hdSpotreba", {"Spotřeba", "Consumption"}},
    {"hdNaklady", {"Náklady", "Cost"}},
    {"hdUnik", {"Únik", "Leakage"}},
    {"hdPodilUniku", {"Únik %", "Leakage %"}},
    {"hdNakladyUniku", {"Náklady úniku", "Leakage cost"}},
    {"hdPokryti", {"Pokrytí %", "Coverage %"}},
    {"hdPrumer", {"Průměr", "Mean"}},
    {"hdRosnyBodNad", {"Rosný bod nad třídou %", "Dew point above class %"}},
    {"hdRosnyBodMax", {"Rosný bod max", "Dew point max"}},
    {"hdCelkem", {"Celkem", "Total"}},
    // Consumption page: files left out (%1 how many, %2 the first) and settings that do not read (%1)
    {"msgSpotrebaVynechano", {"Vynechané soubory (%1), první: %2", "Files left out (%1), the first: %2"}},
    {"msgSpotrebaNastaveni", {"Nastavení spotřeby nelze použít: %1", "The ledger settings cannot be used: %1"}},
    // Alarms: the menu item, the window, its list and journal
    {"miAlarmy", {"Alarmy a deník...", "Alarms and journal..."}},
    {"frmAlarmy", {"Alarmy a deník", "Alarms and journal"}},
    {"laAktivniAlarmy", {"Aktivní alarmy", "Active alarms"}},
    {"btPotvrdit", {"Potvrdit", "Acknowledge"}},
    {"laDenik", {"Deník", "Journal"}},
    {"laDenikMesic", {"Měsíc:", "Month:"}},
    {"laDenikDruh", {"Druh:", "Kind:"}},
    {"laDenikVstup", {"Vstup:", "Input:"}},
    {"laDenikHledat", {"Hledat:", "Find:"}},
    {"hdCas", {"Čas", "Time"}},
    {"hdVstup", {"Vstup", "Input"}},
    {"hdAlarm", {"Alarm", "Alarm"}},
    {"hdHodnota", {"Hodnota", "Value"}},
    {"hdMez", {"Mez", "Limit"}},
    {"hdStav", {"Stav", "State"}},
    {"hdDruh", {"Druh", "Kind"}},
    {"hdText", {"Text", "Text"}},
    {"alarm_high", {"nad horní mezí", "above the upper limit"}},
    {"alarm_low", {"pod dolní mezí", "below the lower limit"}},
    {"alarm_input-error", {"chyba vstupu", "input error"}},
    {"alarm_dew-point", {"rosný bod nad třídou", "dew point above its class"}},
    {"alarm_no-data", {"žádná data z převodníku", "no data from the converter"}},
    {"alarm_archive-not-written", {"archiv se nezapisuje", "archive rows not written"}},
    {"alarm_broker-unreachable", {"MQTT broker nedostupný", "MQTT broker unreachable"}},
    {"stav_raised", {"vyhlášen", "raised"}},
    {"stav_acknowledged", {"potvrzen", "acknowledged"}},
    {"stav_cleared", {"odezněl", "cleared"}},
    {"stav_cleared-unacknowledged", {"odezněl, nepotvrzen", "cleared, unacknowledged"}},
    {"fltVse", {"vše", "all"}},
    {"fltStanice", {"stanice", "station"}},
    {"fltAlarmy", {"alarmy", "alarms"}},
    {"fltChyby", {"chyby", "errors"}},
    {"fltOstatni", {"ostatní události", "other events"}},
    // Status bar and tray while alarms are active (%1 how many); the tray's message title
    {"msgAlarmy", {"Alarmy: %1", "Alarms: %1"}},
    {"msgNovyAlarm", {"Nový alarm", "New alarm"}},
    // The settings dialog's alarm page
    {"tsNastAlarmy", {"Alarmy", "Alarms"}},
    {"gbNastAlarmyVstupy", {" Vstupy ", " Inputs "}},
    {"laAlarmZpozdeni", {"Zpoždění [s]", "Delay [s]"}},
    {"laAlarmHystereze", {"Hystereze [% rozsahu]", "Hysteresis [% of span]"}},
    {"gbNastAlarmyStanice", {" Stanice ", " Station "}},
    {"laAlarmBezOdpovedi", {"Bez odpovědi převodníku [s]:", "No reply from the converter [s]:"}},
    {"laAlarmBroker", {"MQTT broker nedostupný [min]:", "MQTT broker unreachable [min]:"}},
    // Reports: the menu item and dialog, the page's headings, tables and footer
    {"miZprava", {"Zpráva…", "Report…"}},
    {"frmZprava", {"Zpráva", "Report"}},
    {"laZpravaDatum", {"Den:", "Day:"}},
    {"btZpravaVytvorit", {"Vytvořit", "Make"}},
    {"btZpravaUlozit", {"Uložit PDF a CSV…", "Save PDF and CSV…"}},
    {"rpZprava_day", {"Denní zpráva", "Daily report"}},
    {"rpZprava_week", {"Týdenní zpráva", "Weekly report"}},
    {"rpZprava_month", {"Měsíční zpráva", "Monthly report"}},
    {"rpSouhrn", {"Souhrn", "Summary"}},
    {"rpPodle_0", {"Po hodinách", "By hour"}},
    {"rpPodle_1", {"Po směnách", "By shift"}},
    {"rpPodle_2", {"Po dnech", "By day"}},
    {"rpVstupy", {"Vstupy", "Inputs"}},
    {"hdMinimum", {"Minimum", "Minimum"}},
    {"hdMaximum", {"Maximum", "Maximum"}},
    {"rpRosnyBod", {"Rosný bod: třída %1, mez %2 °C tp", "Dew point: class %1, limit %2 °C tp"}},
    {"rpNadTridou", {"Doba nad třídou", "Time above class"}},
    {"rpNejvyssi", {"Nejvyšší hodnota", "Highest value"}},
    {"rpAlarmy", {"Alarmy", "Alarms"}},
    {"rpZadneAlarmy", {"Žádné alarmy.", "No alarms."}},
    {"rpNejdelsi", {"Nejdelší alarmy", "Longest alarms"}},
    {"hdVyhlasen", {"Vyhlášen", "Raised"}},
    {"hdZrusen", {"Zrušen", "Cleared"}},
    {"hdTrvani", {"Trvání", "Duration"}},
    {"rpTrva", {"trvá", "lasting"}},
    {"rpUplnost", {"Úplnost dat", "Data completeness"}},
    {"rpChybi", {"Chybějící soubory archivu (%1): %2", "Archive files missing (%1): %2"}},
    {"rpNicNechybi", {"Žádný soubor archivu nechybí.", "No archive file is missing."}},
    {"rpPata", {"Kestrilon4 %1, vytvořeno %2", "Kestrilon4 %1, made %2"}},
    {"rpStrana", {"Strana %1 z %2", "Page %1 of %2"}},
    {"rpUnikZ", {"z toho únik", "of which leakage"}},
    {"msgZpravaNeulozena", {"Zprávu nelze uložit:", "The report cannot be saved:"}},
    // The from-to chart's presets (item 0 the combo's caption) and its steps back and forward
    {"cbPredvolbaItem_0", {"Předvolby…", "Presets…"}},
    {"cbPredvolbaItem_1", {"dnes", "today"}},
    {"cbPredvolbaItem_2", {"včera", "yesterday"}},
    {"cbPredvolbaItem_3", {"tento týden", "this week"}},
    {"cbPredvolbaItem_4", {"minulý týden", "last week"}},
    {"cbPredvolbaItem_5", {"tento měsíc", "this month"}},
    {"cbPredvolbaItem_6", {"minulý měsíc", "last month"}},
    {"cbPredvolbaItem_7", {"posledních 7 dní", "last 7 days"}},
    {"cbPredvolbaItem_8", {"posledních 30 dní", "last 30 days"}},
    {"btObdobiZpet", {"Předchozí období", "Previous period"}},
    {"btObdobiVpred", {"Další období", "Next period"}},
    // The history charts' choice of an axis per quantity
    {"cbOsaProVelicinu", {"Osa pro každou veličinu", "Axis per quantity"}},
    {"cbOsaProVelicinuDenni", {"Osa pro každou veličinu", "Axis per quantity"}},
    // The from-to chart's comparison with the period before, and its lines' title
    {"cbPorovnat", {"Porovnat s předchozím obdobím", "Compare with previous period"}},
    {"rpPredchozi", {"předchozí období", "previous period"}},
};
}  // namespace

const QList<InterfaceLanguageInfo>& InterfaceLanguages() {
  static const QList<InterfaceLanguageInfo> languages{
      {kCzech, QStringLiteral("Česky"), QStringLiteral("miCestina"), QStringLiteral("cs")},
      {kEnglish, QStringLiteral("English"), QStringLiteral("miEnglish"), QString()},
  };
  Q_ASSERT(languages.size() == kLanguageColumns);
  return languages;
}

const InterfaceLanguageInfo* FindInterfaceLanguage(int code) {
  for (const InterfaceLanguageInfo& language : InterfaceLanguages())
    if (language.code == code) return &language;
  return nullptr;
}

void LoadLanguageTable(LanguageTable& table, int code) {
  const InterfaceLanguageInfo* language = FindInterfaceLanguage(code);
  if (!language) return;
  const auto column = size_t(language - InterfaceLanguages().data());
  for (const Entry& e : kEntries) table.Set(QString::fromLatin1(e.key), QString::fromUtf8(e.texts[column]));
}

void LoadCzechTable(LanguageTable& table) {
  LoadLanguageTable(table, kCzech);
}

void LoadEnglishTable(LanguageTable& table) {
  LoadLanguageTable(table, kEnglish);
}

QString DesignedText(const QString& key) {
  for (const Entry& e : kEntries)
    if (key == QLatin1String(e.key)) return QString::fromUtf8(e.texts[0]);
  return {};
}

QString LanguageTable::Shown(const QString& key) const {
  return IsEmpty() ? DesignedText(key) : Text(key);
}

QStringList LanguageKeys() {
  QStringList keys;
  for (const Entry& e : kEntries) keys << QString::fromLatin1(e.key);
  return keys;
}

QStringList MainWindowMessageKeys() {
  return {QStringLiteral("msgCybaPriUkladani"),   QStringLiteral("msgCybaPriUkladaniHeader"),
          QStringLiteral("msgUkonceniAplikace"),  QStringLiteral("msgUkonceniAplikaceHeader"),
          QStringLiteral("msgChybaTisku"),        QStringLiteral("msgChybaTiskuHeader"),
          QStringLiteral("msgMereniZapnuto"),     QStringLiteral("msgMereniVypnuto"),
          QStringLiteral("msgSpatneIP"),          QStringLiteral("msgSpatneIPHeader"),
          QStringLiteral("msgKontrolaIPVyjimka"), QStringLiteral("msgChybaZadaniScailingu")};
}
