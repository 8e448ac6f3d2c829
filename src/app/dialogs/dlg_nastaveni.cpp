#include "dialogs/dlg_nastaveni.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "measurement/channel_processing.h"
#include "config/settings_file.h"
#include "dialogs/colour_box.h"
#include "dialogs/key_filters.h"
#include "i18n/language_table.h"
#include "measurement/units.h"
#include "station/log_message.h"
#include "station/station.h"
#include "prompts/user_prompt.h"
#include "widgets/fitting_scroll_area.h"
#include "widgets/offered_range.h"

namespace {
// A failure while taking over a value; its message says which text did not convert.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <typename T>
T* Named(QWidget* parent, const QString& name) {
  auto* w = new T(parent);
  w->setObjectName(name);
  return w;
}

QLabel* Label(QWidget* parent, const QString& name, const QString& text) {
  auto* l = Named<QLabel>(parent, name);
  l->setText(text);
  return l;
}

QGroupBox* Group(QWidget* parent, const QString& name, const QString& title) {
  auto* g = Named<QGroupBox>(parent, name);
  g->setTitle(title);
  return g;
}

// A check box; `boxAfterText` puts the box after its caption, as the form's labels stand.
QCheckBox* Check(QWidget* parent, const QString& name, const QString& text, bool boxAfterText) {
  auto* c = Named<QCheckBox>(parent, name);
  c->setText(text);
  if (boxAfterText) c->setLayoutDirection(Qt::RightToLeft);
  return c;
}

QSpinBox* Spin(QWidget* parent, const QString& name, const char* section, const char* key, int scale = 1) {
  auto* s = Named<QSpinBox>(parent, name);
  SetOfferedRange(s, section, key, scale);
  s->setMinimumWidth(70);
  return s;
}

// A control followed by its unit, e.g. "[s]".
QWidget* WithUnit(QWidget* control, QLabel* unit) {
  auto* row = new QWidget(control->parentWidget());
  auto* h = new QHBoxLayout(row);
  h->setContentsMargins(0, 0, 0, 0);
  control->setParent(row);
  unit->setParent(row);
  h->addWidget(control);
  h->addWidget(unit);
  h->addStretch(1);
  return row;
}

// The mask fills a group from its left; once the cursor leaves it, its digits move to its right.
QString AddressWithGroupAligned(const QString& text, int group) {
  QStringList groups = text.split(QLatin1Char('.'));
  if (groups.size() != 4 || group < 0 || group > 3) return text;
  groups[group] = groups[group].trimmed().rightJustified(3, QLatin1Char(' '));
  return groups.join(QLatin1Char('.'));
}

// A dotted address as the mask shows it: each group right-aligned in its three places.
QString MaskedAddress(QString address) {
  for (int group = 0; group < 4; ++group) address = AddressWithGroupAligned(address, group);
  return address;
}

double ToReal(const QString& text) {
  bool ok = false;
  const double value = QLocale().toDouble(text.trimmed(), &ok);
  if (!ok)
    throw StoreError(QStringLiteral("'%1' is not a valid floating point value").arg(text).toStdString());
  return value;
}

QString RealText(double value) {
  return SettingsFile::FormatFloat(value);
}

const char* const kInputNames[] = {" IN1 - Průtok ", " IN2 - Teplota ", " IN3 - Vlhkost ", " IN4 - Tlak "};
}  // namespace

TDlgNastaveni::TDlgNastaveni(Station& station, const LanguageTable& language, UserPrompt& prompt,
                             QWidget* parent)
    : QDialog(parent), station_(station), language_(language), prompt_(prompt) {
  setObjectName(QStringLiteral("DlgNastaveni"));
  setWindowTitle(QStringLiteral(" Nastavení"));
  auto* tabs = Named<QTabWidget>(this, QStringLiteral("PageControl1"));
  tabs->addTab(BuildSensorsPage(), QStringLiteral("Nastavení čidel"));
  tabs->addTab(BuildCommunicationPage(), QStringLiteral("Komunikace"));
  tabs->addTab(BuildArchivePage(), QStringLiteral("Archivace"));
  tabs->addTab(BuildOtherPage(), QStringLiteral("Ostatní"));
  tabs->addTab(BuildMqttPage(), QStringLiteral("MQTT"));
  tabs->addTab(BuildAlarmsPage(), QStringLiteral("Alarmy"));

  auto* storno = stornoButton_ = Named<QPushButton>(this, QStringLiteral("btStorno"));
  storno->setText(QStringLiteral("Storno"));
  auto* ok = okButton_ = Named<QPushButton>(this, QStringLiteral("btOK"));
  ok->setText(QStringLiteral("Ano"));
  ok->setDefault(true);
  connect(storno, &QPushButton::clicked, this, &QDialog::reject);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(storno);
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  pages_ = new FittingScrollArea(tabs, this);  // scrolls only on a screen too small for the dialog
  layout->addWidget(pages_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed-size dialog
  controls_.Collect(this);
}

QWidget* TDlgNastaveni::BuildSensorsPage() {
  auto* page = Named<QWidget>(nullptr, QStringLiteral("tsNastCidel"));
  auto* grid = new QGridLayout(page);
  for (int n = 1; n <= kInputCount; ++n) {
    auto* group = Named<QGroupBox>(page, QStringLiteral("gbIN%1").arg(n));
    auto* form = new QFormLayout(group);
    auto* active = Named<QCheckBox>(group, QStringLiteral("cbActive_IN%1").arg(n));
    active->setText(QString::fromUtf8(kInputNames[n - 1]));
    QFont bold = active->font();
    bold.setBold(true);
    active->setFont(bold);
    form->addRow(active);
    const QChar decimal = QLocale().decimalPoint().at(0);
    for (const char* key : {"ed4mA_IN", "ed20mA_IN"}) {
      auto* edit = Named<QLineEdit>(group, QString::fromLatin1(key) + QString::number(n));
      new CharFilter(edit, [decimal](const QLineEdit&, QChar c) -> std::optional<QChar> {
        return ScalingKeyAccepted(c, decimal) ? std::optional<QChar>(c) : std::nullopt;
      });
      form->addRow(Label(group, QStringLiteral("la%1%2").arg(QLatin1String(key + 2)).arg(n),
                         key[2] == '4' ? QStringLiteral("4 mA:") : QStringLiteral("20 mA:")),
                   edit);
    }
    form->addRow(Label(group, QStringLiteral("laAlarmMin_IN%1").arg(n), QStringLiteral("Alarm MIN:")),
                 WithUnit(Spin(group, QStringLiteral("sdAlarmMin_IN%1").arg(n), "ANALOG_IN", "AlarmMIN"),
                          Label(group, {}, QStringLiteral("[%]"))));
    form->addRow(Label(group, QStringLiteral("laAlarmMax_IN%1").arg(n), QStringLiteral("Alarm MAX:")),
                 WithUnit(Spin(group, QStringLiteral("sdAlarmMax_IN%1").arg(n), "ANALOG_IN", "AlarmMAX"),
                          Label(group, {}, QStringLiteral("[%]"))));
    auto* units = Named<QComboBox>(group, QStringLiteral("cbJednotka_IN%1").arg(n));
    units->addItems(UnitList(n));
    form->addRow(Label(group, QStringLiteral("laNastJednotkaIN%1").arg(n), QStringLiteral("Jednotka:")),
                 units);
    auto* colour = new ColourBox(prompt_, group);
    colour->setObjectName(QStringLiteral("cbBarvaCaryIN%1").arg(n));
    form->addRow(Label(group, QStringLiteral("laNastBarvaIN%1").arg(n), QStringLiteral("Barva čáry:")),
                 colour);
    grid->addWidget(group, (n - 1) / 2, (n - 1) % 2);
  }
  return page;
}

QWidget* TDlgNastaveni::BuildCommunicationPage() {
  auto* page = Named<QWidget>(nullptr, QStringLiteral("tsNastKomunikace"));
  auto* v = new QVBoxLayout(page);
  auto* converter = Group(page, QStringLiteral("gbNastAD4ETH"), QStringLiteral(" Převodník AD4ETH "));
  auto* form = new QFormLayout(converter);
  medIpAdresa_ = Named<QLineEdit>(converter, QStringLiteral("medIpAdresa"));
  medIpAdresa_->setInputMask(QStringLiteral("000.000.000.000; "));
  medIpAdresa_->installEventFilter(this);
  connect(medIpAdresa_, &QLineEdit::cursorPositionChanged, this, [this](int from, int to) {
    if (from / 4 != to / 4) AlignAddressGroup(from / 4, to);
  });
  form->addRow(Label(converter, QStringLiteral("laNastIP"), QStringLiteral("IP adresa:")), medIpAdresa_);
  auto* port = Named<QLineEdit>(converter, QStringLiteral("edPort"));
  port->setValidator(new PortValidator(port));  // the link connects to this port
  form->addRow(Label(converter, QStringLiteral("laNastPort"), QStringLiteral("Port:")), port);
  auto* autoConnect =
      Check(converter, QStringLiteral("cbAutopripojeni"), QStringLiteral("Připojit po startu:"), true);
  form->addRow(autoConnect);
  v->addWidget(converter);

  auto* sampling = Group(page, QStringLiteral("gbNastVzorkovani"), QStringLiteral(" Vzorkování "));
  auto* sform = new QFormLayout(sampling);
  sform->addRow(Label(sampling, QStringLiteral("laNastVzorkovaniPerioda"), QStringLiteral("Perioda:")),
                WithUnit(Spin(sampling, QStringLiteral("edVzorkovaniPerioda"), "AD4ETH", "Perioda", 1000),
                         Label(sampling, {}, QStringLiteral("[s]"))));
  sform->addRow(Label(sampling, QStringLiteral("laNastPlovPrum"), QStringLiteral("Plovoucí průměr:")),
                WithUnit(Spin(sampling, QStringLiteral("edVzorkovaniPrumer"), "AD4ETH", "PocetVzorkuNaPrumer"),
                         Label(sampling, QStringLiteral("laNastVzorVzorku"), QStringLiteral("[vzorků]"))));
  v->addWidget(sampling);
  v->addStretch(1);
  return page;
}

QWidget* TDlgNastaveni::BuildArchivePage() {
  auto* page = Named<QWidget>(nullptr, QStringLiteral("tsNastArchivace"));
  auto* v = new QVBoxLayout(page);
  auto* database = Group(page, QStringLiteral("gbNastDatabaze"), QStringLiteral(" Databáze "));
  auto* dform = new QFormLayout(database);
  auto* folder = Named<QLineEdit>(database, QStringLiteral("edZdrojDat"));
  folder->setReadOnly(true);
  folder->setMinimumWidth(300);
  auto* choose = Named<QPushButton>(database, QStringLiteral("btZdrojDat"));
  choose->setText(QStringLiteral("..."));
  choose->setFixedWidth(32);
  connect(choose, &QPushButton::clicked, this, &TDlgNastaveni::btZdrojDatClick);
  auto* row = new QWidget(database);
  auto* h = new QHBoxLayout(row);
  h->setContentsMargins(0, 0, 0, 0);
  folder->setParent(row);
  choose->setParent(row);
  h->addWidget(folder, 1);
  h->addWidget(choose);
  dform->addRow(Label(database, QStringLiteral("laNastZdrojDat"), QStringLiteral("Zdroj dat:")), row);
  v->addWidget(database);

  auto* storing = Group(page, QStringLiteral("gbNastUkladani"), QStringLiteral(" Ukládání "));
  auto* grid = new QGridLayout(storing);
  auto* fast =
      Check(storing, QStringLiteral("cbArchivaceRychlaActive"), QStringLiteral("Rychlá 1 hodinová: "), false);
  grid->addWidget(fast, 0, 0);
  grid->addWidget(WithUnit(Spin(storing, QStringLiteral("edArchivaceRychla"), "ARCHIVACE", "RychlaInterval", 1000),
                           Label(storing, {}, QStringLiteral("[s]"))),
                  0, 1);
  auto* slow =
      Check(storing, QStringLiteral("cbArchivacePomalaActive"), QStringLiteral("Pomalá celodenní:"), false);
  grid->addWidget(slow, 1, 0);
  grid->addWidget(WithUnit(Spin(storing, QStringLiteral("edArchivacePomala"), "ARCHIVACE", "PomalaInterval", 60000),
                           Label(storing, {}, QStringLiteral("[min]"))),
                  1, 1);
  v->addWidget(storing);
  v->addStretch(1);
  return page;
}

QWidget* TDlgNastaveni::BuildOtherPage() {
  auto* page = Named<QWidget>(nullptr, QStringLiteral("tsOstatni"));
  auto* v = new QVBoxLayout(page);
  auto* chart = Group(page, QStringLiteral("gbNastGraf"), QStringLiteral(" Graf "));
  auto* form = new QFormLayout(chart);
  form->addRow(Label(chart, QStringLiteral("laNastPosunOd"), QStringLiteral("Posun data Od:")),
               WithUnit(Spin(chart, QStringLiteral("edDatumOdOffset"), "OSTATNI", "DatumOdOffset"),
                        Label(chart, QStringLiteral("laNastPosunJedn"), QStringLiteral("[dny]"))));
  form->addRow(Label(chart, QStringLiteral("laNastTloustka"), QStringLiteral("Tloušťka čáry:")),
               Spin(chart, QStringLiteral("edTloustkaCaryGrafu"), "OSTATNI", "TloustkaCaryGrafu"));
  auto* total =
      Check(chart, QStringLiteral("cbNastUkazujSpotrebu"), QStringLiteral("Ukazuj spotřebu: "), true);
  form->addRow(total);
  auto* label = Named<QLineEdit>(chart, QStringLiteral("edNastPopisGrafu"));
  label->setMinimumWidth(280);
  form->addRow(Label(chart, QStringLiteral("laNastPopisGrafu"), QStringLiteral("Popis grafu:")), label);
  v->addWidget(chart);

  auto* colours = Group(page, QStringLiteral("gbNastBarvy"), QStringLiteral(" Barvy "));
  auto* cform = new QFormLayout(colours);
  auto* error = new ColourBox(prompt_, colours);
  error->setObjectName(QStringLiteral("cbBarvaChyba"));
  cform->addRow(Label(colours, QStringLiteral("laNastChybaIN"), QStringLiteral("Chyba analogu:")), error);
  auto* alarm = new ColourBox(prompt_, colours);
  alarm->setObjectName(QStringLiteral("cbBarvaAlarm"));
  cform->addRow(Label(colours, QStringLiteral("laNastAlarm"), QStringLiteral("Alarm:")), alarm);
  v->addWidget(colours);

  auto* system = Group(page, QStringLiteral("gbNastavSystem"), QStringLiteral(" Systém "));
  auto* sform = new QFormLayout(system);
  auto* win7 = Check(system, QStringLiteral("cbSystemWin7"), QStringLiteral("Windows 7 a novější:"), true);
  sform->addRow(win7);
  v->addWidget(system);
  v->addStretch(1);
  return page;
}

QWidget* TDlgNastaveni::BuildMqttPage() {
  auto* page = Named<QWidget>(nullptr, QStringLiteral("tsNastMqtt"));
  auto* v = new QVBoxLayout(page);
  auto* broker = Group(page, QStringLiteral("gbNastMqtt"), QStringLiteral(" Publikování MQTT "));
  auto* form = new QFormLayout(broker);
  form->addRow(Check(broker, QStringLiteral("cbMqttActive"), QStringLiteral("Publikovat hodnoty:"), true));
  form->addRow(Label(broker, QStringLiteral("laMqttHost"), QStringLiteral("Server (broker):")),
               Named<QLineEdit>(broker, QStringLiteral("edMqttHost")));
  form->addRow(Label(broker, QStringLiteral("laMqttPort"), QStringLiteral("Port:")),
               Spin(broker, QStringLiteral("edMqttPort"), "MQTT", "Port"));
  auto* prefix = Named<QLineEdit>(broker, QStringLiteral("edMqttTopicPrefix"));
  prefix->setMinimumWidth(240);
  form->addRow(Label(broker, QStringLiteral("laMqttTopicPrefix"), QStringLiteral("Předpona témat:")), prefix);
  form->addRow(Label(broker, QStringLiteral("laMqttClientId"), QStringLiteral("ID klienta:")),
               Named<QLineEdit>(broker, QStringLiteral("edMqttClientId")));
  form->addRow(Label(broker, QStringLiteral("laMqttQos"), QStringLiteral("QoS:")),
               Spin(broker, QStringLiteral("edMqttQos"), "MQTT", "Qos"));
  v->addWidget(broker);

  auto* login = Group(page, QStringLiteral("gbNastMqttPrihlaseni"), QStringLiteral(" Přihlášení "));
  auto* lform = new QFormLayout(login);
  lform->addRow(Label(login, QStringLiteral("laMqttUser"), QStringLiteral("Uživatel:")),
                Named<QLineEdit>(login, QStringLiteral("edMqttUser")));
  auto* password = Named<QLineEdit>(login, QStringLiteral("edMqttPassword"));
  password->setEchoMode(QLineEdit::Password);
  lform->addRow(Label(login, QStringLiteral("laMqttPassword"), QStringLiteral("Heslo:")), password);
  auto* tls = Check(login, QStringLiteral("cbMqttTls"), QStringLiteral("Šifrovat (TLS):"), true);
  lform->addRow(tls);
  auto* caFile = Named<QLineEdit>(login, QStringLiteral("edMqttCaFile"));
  lform->addRow(Label(login, QStringLiteral("laMqttCaFile"), QStringLiteral("Certifikát CA:")), caFile);
  connect(tls, &QCheckBox::toggled, caFile, &QWidget::setEnabled);
  v->addWidget(login);
  v->addStretch(1);
  return page;
}

// Per input how long a condition must hold and how far back it must come; for the station how
// long without replies or broker before it is an alarm.
QWidget* TDlgNastaveni::BuildAlarmsPage() {
  auto* page = Named<QWidget>(nullptr, QStringLiteral("tsNastAlarmy"));
  auto* v = new QVBoxLayout(page);
  auto* inputs = Group(page, QStringLiteral("gbNastAlarmyVstupy"), QStringLiteral(" Vstupy "));
  auto* grid = new QGridLayout(inputs);
  grid->addWidget(Label(inputs, QStringLiteral("laAlarmZpozdeni"), QStringLiteral("Zpoždění [s]")), 0, 1);
  grid->addWidget(Label(inputs, QStringLiteral("laAlarmHystereze"), QStringLiteral("Hystereze [% rozsahu]")), 0, 2);
  for (int n = 1; n <= kInputCount; ++n) {
    grid->addWidget(Label(inputs, {}, QStringLiteral("IN%1").arg(n)), n, 0);
    grid->addWidget(Spin(inputs, QStringLiteral("sdAlarmDelay_IN%1").arg(n), "ALARM_IN", "Delay"), n, 1);
    grid->addWidget(Spin(inputs, QStringLiteral("sdAlarmHyst_IN%1").arg(n), "ALARM_IN", "Hysteresis"), n, 2);
  }
  grid->setColumnStretch(3, 1);
  v->addWidget(inputs);
  auto* station = Group(page, QStringLiteral("gbNastAlarmyStanice"), QStringLiteral(" Stanice "));
  auto* form = new QFormLayout(station);
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->addRow(Label(station, QStringLiteral("laAlarmBezOdpovedi"), QStringLiteral("Bez odpovědi převodníku [s]:")),
               Spin(station, QStringLiteral("sdAlarmNoReply"), "ALARMS", "NoReply"));
  form->addRow(Label(station, QStringLiteral("laAlarmBroker"), QStringLiteral("MQTT broker nedostupný [min]:")),
               Spin(station, QStringLiteral("sdAlarmBroker"), "ALARMS", "BrokerDown"));
  v->addWidget(station);
  v->addStretch(1);
  return page;
}

template <typename T>
T* TDlgNastaveni::Find(const QString& prefix, int n) const {
  return controls_.Get<T>(n > 0 ? prefix + QString::number(n) : prefix);
}

void TDlgNastaveni::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
  pages_->FitWindowToScreen();
}

bool TDlgNastaveni::eventFilter(QObject* watched, QEvent* event) {
  if (watched == medIpAdresa_ && event->type() == QEvent::FocusOut) {
    AlignAddressGroup(medIpAdresa_->cursorPosition() / 4, medIpAdresa_->cursorPosition());
    if (FocusMovedWithinDialog(static_cast<QFocusEvent*>(event)->reason())) KontrolaIP();  // medIpAdresaExit
  }
  return QDialog::eventFilter(watched, event);
}

void TDlgNastaveni::AlignAddressGroup(int group, int cursor) {
  const QString aligned = AddressWithGroupAligned(medIpAdresa_->displayText(), group);
  if (aligned == medIpAdresa_->displayText()) return;
  const QSignalBlocker quiet(medIpAdresa_);  // no second alignment from the text's own cursor move
  medIpAdresa_->setText(aligned);
  medIpAdresa_->setCursorPosition(cursor);
}

bool TDlgNastaveni::FocusMovedWithinDialog(Qt::FocusReason reason) const {
  // A pop-up menu or another window taking the focus is no exit of the field.
  if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return false;
  // The focus widget is already the new one while the old one loses it. OK checks the address in
  // the store anyway and Storno leaves it unused: neither shows a box of the field's own.
  const QWidget* next = QApplication::focusWidget();
  return next && next != medIpAdresa_ && next->window() == this && next != okButton_ && next != stornoButton_ &&
         isVisible();
}

void TDlgNastaveni::FormShow() {
  const AppSettings& s = station_.Settings();
  for (int n = 1; n <= kInputCount; ++n) {
    const ChannelSettings& c = s.Channel(n);
    if (auto* w = Find<QCheckBox>(QStringLiteral("cbActive_IN"), n)) w->setChecked(c.Activ);
    if (auto* w = Find<QLineEdit>(QStringLiteral("ed4mA_IN"), n)) w->setText(RealText(c.Value4mA));
    if (auto* w = Find<QLineEdit>(QStringLiteral("ed20mA_IN"), n)) w->setText(RealText(c.Value20mA));
    if (auto* w = Find<QSpinBox>(QStringLiteral("sdAlarmMin_IN"), n)) w->setValue(c.AlarmMIN);
    if (auto* w = Find<QSpinBox>(QStringLiteral("sdAlarmMax_IN"), n)) w->setValue(c.AlarmMAX);
    if (auto* w = Find<QComboBox>(QStringLiteral("cbJednotka_IN"), n)) w->setCurrentIndex(c.JednotkaIndex);
    if (auto* w = Find<ColourBox>(QStringLiteral("cbBarvaCaryIN"), n))
      w->SetSelected(c.BarvaCaryIndex, c.BarvaCary);
    // Events run after each input's controls are filled; the settings are only read here.
    QCoreApplication::processEvents();
  }
  fallbackAddress_ = medIpAdresa_->displayText();
  medIpAdresa_->setInputMask(QStringLiteral("000.000.000.000; "));
  medIpAdresa_->setText(MaskedAddress(s.IP));
  Find<QLineEdit>(QStringLiteral("edPort"))->setText(s.Port);
  Find<QCheckBox>(QStringLiteral("cbAutopripojeni"))->setChecked(s.Autopripojeni);
  Find<QSpinBox>(QStringLiteral("edVzorkovaniPerioda"))->setValue(station_.MeasuringPeriod() / 1000);
  Find<QSpinBox>(QStringLiteral("edVzorkovaniPrumer"))->setValue(s.PocetVzorkuNaPrumer);
  Find<QLineEdit>(QStringLiteral("edZdrojDat"))->setText(s.DatabaseDir);
  Find<QCheckBox>(QStringLiteral("cbArchivacePomalaActive"))->setChecked(s.PomalaActive);
  Find<QSpinBox>(QStringLiteral("edArchivacePomala"))->setValue(station_.SlowArchiveInterval() / 60000);
  Find<QCheckBox>(QStringLiteral("cbArchivaceRychlaActive"))->setChecked(s.RychlaActive);
  Find<QSpinBox>(QStringLiteral("edArchivaceRychla"))->setValue(station_.FastArchiveInterval() / 1000);
  Find<QSpinBox>(QStringLiteral("edDatumOdOffset"))->setValue(s.DatumOdOffset);
  Find<QSpinBox>(QStringLiteral("edTloustkaCaryGrafu"))->setValue(s.TloustkaCaryGrafu);
  Find<QCheckBox>(QStringLiteral("cbNastUkazujSpotrebu"))->setChecked(s.UkazujSpotrebu);
  Find<QLineEdit>(QStringLiteral("edNastPopisGrafu"))->setText(s.PopisGrafu);
  Find<QCheckBox>(QStringLiteral("cbSystemWin7"))->setChecked(s.Windows7);
  Find<ColourBox>(QStringLiteral("cbBarvaChyba"))->SetSelected(s.BarvaChybaIndex, s.BarvaChyba);
  Find<ColourBox>(QStringLiteral("cbBarvaAlarm"))->SetSelected(s.BarvaAlarmIndex, s.BarvaAlarm);
  const MqttSettings& m = s.Mqtt;
  Find<QCheckBox>(QStringLiteral("cbMqttActive"))->setChecked(m.Active);
  Find<QLineEdit>(QStringLiteral("edMqttHost"))->setText(m.Host);
  Find<QSpinBox>(QStringLiteral("edMqttPort"))->setValue(m.Port);
  Find<QLineEdit>(QStringLiteral("edMqttTopicPrefix"))->setText(m.TopicPrefix);
  Find<QLineEdit>(QStringLiteral("edMqttClientId"))->setText(m.ClientId);
  Find<QSpinBox>(QStringLiteral("edMqttQos"))->setValue(m.Qos);
  Find<QLineEdit>(QStringLiteral("edMqttUser"))->setText(m.User);
  Find<QLineEdit>(QStringLiteral("edMqttPassword"))->setText(m.Password);
  Find<QCheckBox>(QStringLiteral("cbMqttTls"))->setChecked(m.Tls);
  Find<QLineEdit>(QStringLiteral("edMqttCaFile"))->setText(m.CaFile);
  Find<QLineEdit>(QStringLiteral("edMqttCaFile"))->setEnabled(m.Tls);
  for (int n = 1; n <= kInputCount; ++n) {
    Find<QSpinBox>(QStringLiteral("sdAlarmDelay_IN"), n)->setValue(s.Channel(n).AlarmDelay);
    Find<QSpinBox>(QStringLiteral("sdAlarmHyst_IN"), n)->setValue(s.Channel(n).AlarmHysteresis);
  }
  Find<QSpinBox>(QStringLiteral("sdAlarmNoReply"))->setValue(s.Alarms.NoReply);
  Find<QSpinBox>(QStringLiteral("sdAlarmBroker"))->setValue(s.Alarms.BrokerDown);
}

bool TDlgNastaveni::KontrolaIP() {
  const QString text = medIpAdresa_->displayText().leftJustified(15, QLatin1Char(' '));
  try {
    int parts[4];
    for (int i = 0; i < 4; ++i) {
      const QString field = text.mid(i * 4, 3).trimmed();
      bool ok = false;
      parts[i] = field.toInt(&ok);
      if (!ok) throw StoreError(QStringLiteral("'%1' is not a valid integer value").arg(field).toStdString());
    }
    for (int part : parts) {
      if (part < 0 || part > 255) {
        prompt_.Beep();
        prompt_.Message(UserPrompt::Icon::Warning, language_.Text(QStringLiteral("msgSpatneIPHeader")),
                        language_.Text(QStringLiteral("msgSpatneIP")));
        medIpAdresa_->setText(fallbackAddress_);
        return false;
      }
    }
    acceptedAddress_ = QStringLiteral("%1.%2.%3.%4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
    return true;
  } catch (const std::exception& e) {
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka KontrolaIP - ") + QString::fromStdString(e.what()));
    prompt_.Message(UserPrompt::Icon::Warning, language_.Text(QStringLiteral("msgSpatneIPHeader")),
                    language_.Text(QStringLiteral("msgKontrolaIPVyjimka")));
    return false;
  }
}

void TDlgNastaveni::ReportStoreFailure(const QString& what) {
  LogMessage(LogKind::Error, QStringLiteral("Vyjimka KontrolaIP - ") + what);
  prompt_.Message(UserPrompt::Icon::Warning, language_.Text(QStringLiteral("msgCybaPriUkladaniHeader")),
                  language_.Text(QStringLiteral("msgCybaPriUkladani")));
}

void TDlgNastaveni::StoreSettings() {
  KontrolaIP();
  AppSettings& s = station_.Settings();
  try {
    for (int n = 1; n <= kInputCount; ++n) {
      ChannelSettings& c = s.Channel(n);
      if (auto* w = Find<QCheckBox>(QStringLiteral("cbActive_IN"), n)) c.Activ = w->isChecked();
      if (auto* w = Find<QLineEdit>(QStringLiteral("ed4mA_IN"), n)) c.Value4mA = ToReal(w->text());
      if (auto* w = Find<QLineEdit>(QStringLiteral("ed20mA_IN"), n)) c.Value20mA = ToReal(w->text());
      // Points so far apart that values overflow and cannot be archived are refused like a bad number.
      if (ScalingSpanTooLarge(c.Value4mA, c.Value20mA))
        throw StoreError(QStringLiteral("the scaling of IN%1 spans more than a value can hold").arg(n).toStdString());
      if (auto* w = Find<QSpinBox>(QStringLiteral("sdAlarmMin_IN"), n)) c.AlarmMIN = w->value();
      if (auto* w = Find<QSpinBox>(QStringLiteral("sdAlarmMax_IN"), n)) c.AlarmMAX = w->value();
      if (auto* w = Find<QComboBox>(QStringLiteral("cbJednotka_IN"), n)) c.JednotkaIndex = w->currentIndex();
      if (auto* w = Find<ColourBox>(QStringLiteral("cbBarvaCaryIN"), n)) {
        c.BarvaCaryIndex = w->SelectedIndex();
        c.BarvaCary = w->SelectedColour();
      }
      c.UpdateAlarmLimits();
      if (c.Value4mA >= c.Value20mA)
        prompt_.Message(UserPrompt::Icon::Warning, QStringLiteral("Scailing"),
                        language_.Text(QStringLiteral("msgChybaZadaniScailingu")) + QString::number(n) +
                            QLatin1Char('.'));
      // Events run after each input is stored: inputs up to n hold their new values, later ones
      // still the old, each with its alarm limits recomputed.
      QCoreApplication::processEvents();
    }
  } catch (const StoreError& e) {
    ReportStoreFailure(QString::fromStdString(e.what()));
    return;
  }
  // No address check has succeeded since start: keep the converter address rather than blank it.
  if (!acceptedAddress_.isEmpty()) s.IP = acceptedAddress_;
  s.Port = Find<QLineEdit>(QStringLiteral("edPort"))->text();
  s.Autopripojeni = Find<QCheckBox>(QStringLiteral("cbAutopripojeni"))->isChecked();
  station_.SetMeasuringPeriod(Find<QSpinBox>(QStringLiteral("edVzorkovaniPerioda"))->value() * 1000);
  s.PocetVzorkuNaPrumer = Find<QSpinBox>(QStringLiteral("edVzorkovaniPrumer"))->value();
  s.DatabaseDir = Find<QLineEdit>(QStringLiteral("edZdrojDat"))->text();
  s.PomalaActive = Find<QCheckBox>(QStringLiteral("cbArchivacePomalaActive"))->isChecked();
  station_.SetSlowArchiveInterval(Find<QSpinBox>(QStringLiteral("edArchivacePomala"))->value() * 60000);
  s.RychlaActive = Find<QCheckBox>(QStringLiteral("cbArchivaceRychlaActive"))->isChecked();
  station_.SetFastArchiveInterval(Find<QSpinBox>(QStringLiteral("edArchivaceRychla"))->value() * 1000);
  if (hooks_.archiveFolderChanged) hooks_.archiveFolderChanged();
  s.DatumOdOffset = Find<QSpinBox>(QStringLiteral("edDatumOdOffset"))->value();
  s.TloustkaCaryGrafu = Find<QSpinBox>(QStringLiteral("edTloustkaCaryGrafu"))->value();
  s.UkazujSpotrebu = Find<QCheckBox>(QStringLiteral("cbNastUkazujSpotrebu"))->isChecked();
  s.PopisGrafu = Find<QLineEdit>(QStringLiteral("edNastPopisGrafu"))->text();
  s.Windows7 = Find<QCheckBox>(QStringLiteral("cbSystemWin7"))->isChecked();
  s.UpdateArchiveSeparator();
  const auto* error = Find<ColourBox>(QStringLiteral("cbBarvaChyba"));
  s.BarvaChybaIndex = error->SelectedIndex();
  s.BarvaChyba = error->SelectedColour();
  const auto* alarm = Find<ColourBox>(QStringLiteral("cbBarvaAlarm"));
  s.BarvaAlarmIndex = alarm->SelectedIndex();
  s.BarvaAlarm = alarm->SelectedColour();
  MqttSettings& m = s.Mqtt;
  m.Active = Find<QCheckBox>(QStringLiteral("cbMqttActive"))->isChecked();
  m.Host = Find<QLineEdit>(QStringLiteral("edMqttHost"))->text().trimmed();
  m.Port = Find<QSpinBox>(QStringLiteral("edMqttPort"))->value();
  m.TopicPrefix = Find<QLineEdit>(QStringLiteral("edMqttTopicPrefix"))->text().trimmed();
  m.ClientId = Find<QLineEdit>(QStringLiteral("edMqttClientId"))->text().trimmed();
  m.Qos = Find<QSpinBox>(QStringLiteral("edMqttQos"))->value();
  m.User = Find<QLineEdit>(QStringLiteral("edMqttUser"))->text();
  m.Password = Find<QLineEdit>(QStringLiteral("edMqttPassword"))->text();
  m.Tls = Find<QCheckBox>(QStringLiteral("cbMqttTls"))->isChecked();
  m.CaFile = Find<QLineEdit>(QStringLiteral("edMqttCaFile"))->text().trimmed();
  for (int n = 1; n <= kInputCount; ++n) {
    s.Channel(n).AlarmDelay = Find<QSpinBox>(QStringLiteral("sdAlarmDelay_IN"), n)->value();
    s.Channel(n).AlarmHysteresis = Find<QSpinBox>(QStringLiteral("sdAlarmHyst_IN"), n)->value();
  }
  s.Alarms.NoReply = Find<QSpinBox>(QStringLiteral("sdAlarmNoReply"))->value();
  s.Alarms.BrokerDown = Find<QSpinBox>(QStringLiteral("sdAlarmBroker"))->value();
  station_.ApplyArchiveSwitches();
  if (hooks_.chartSettingsChanged) hooks_.chartSettingsChanged();
}

void TDlgNastaveni::btZdrojDatClick() {
  const QString folder =
      prompt_.ChooseFolder(language_.Shown(QStringLiteral("msgVyberAdresare")), station_.Settings().DatabaseDir);
  if (!folder.isEmpty()) Find<QLineEdit>(QStringLiteral("edZdrojDat"))->setText(folder);
}
