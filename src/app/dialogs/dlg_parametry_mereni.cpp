#include "dialogs/dlg_parametry_mereni.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include "config/app_settings.h"
#include "config/settings_file.h"
#include "dialogs/key_filters.h"
#include "station/log_message.h"
#include "i18n/language_table.h"
#include "prompts/user_prompt.h"
#include "widgets/offered_range.h"

namespace {
constexpr int kNormalTemperature = 20;       // °C
constexpr double kNormalPressure = 101.325;  // kPa

QLabel* Label(QWidget* parent, const QString& name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

bool ParsePressure(const QString& text, double* value) {
  bool ok = false;
  *value = QLocale().toDouble(text.trimmed(), &ok);
  return ok;
}
}  // namespace

TDlgParametryMereni::TDlgParametryMereni(AppSettings& settings, const LanguageTable& language, UserPrompt& prompt,
                                         QWidget* parent)
    : QDialog(parent), settings_(settings), language_(language), prompt_(prompt) {
  setObjectName(QStringLiteral("DlgParametryMereni"));
  setWindowTitle(QStringLiteral(" Parametry měření"));
  auto* group = new QGroupBox(QStringLiteral(" Vstupní parametry "), this);
  group->setObjectName(QStringLiteral("gbParamVstup"));
  auto* grid = new QGridLayout(group);
  cbJeTeplotniCidlo_ = new QCheckBox(QStringLiteral("Teplota vzduchu z čidla: "), group);
  cbJeTeplotniCidlo_->setObjectName(QStringLiteral("cbJeTeplotniCidlo"));
  cbJeTeplotniCidlo_->setLayoutDirection(Qt::RightToLeft);
  grid->addWidget(cbJeTeplotniCidlo_, 0, 0, 1, 3, Qt::AlignLeft);
  laParamTeplota_ = Label(group, QStringLiteral("laParamTeplota"), QStringLiteral("Teplota vzduchu:"));
  edParamTeplotaVzduchu_ = new QSpinBox(group);
  edParamTeplotaVzduchu_->setObjectName(QStringLiteral("edParamTeplotaVzduchu"));
  SetOfferedRange(edParamTeplotaVzduchu_, "PARAMETRY_MERENI", "Teplota");
  laJedenotkaTeploty_ = Label(group, QStringLiteral("laJedenotkaTeploty"), QStringLiteral("[°C]"));
  grid->addWidget(laParamTeplota_, 1, 0);
  grid->addWidget(edParamTeplotaVzduchu_, 1, 1);
  grid->addWidget(laJedenotkaTeploty_, 1, 2);
  edParamAtmTlak_ = new QLineEdit(group);
  edParamAtmTlak_->setObjectName(QStringLiteral("edParamAtmTlak"));
  const QChar decimal = QLocale().decimalPoint().at(0);
  new CharFilter(edParamAtmTlak_,
                 [decimal](const QLineEdit& edit, QChar c) { return DecimalKey(edit.text(), c, decimal); });
  auto* hint = Label(group, QStringLiteral("imTlakInfo"), QString());
  hint->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));
  hint->setToolTip(QStringLiteral("1kPa = 0.01 Bar = 10 hPa"));
  auto* pressureUnit = new QWidget(group);
  auto* h = new QHBoxLayout(pressureUnit);
  h->setContentsMargins(0, 0, 0, 0);
  h->addWidget(Label(pressureUnit, QStringLiteral("laJednotkaTlaku"), QStringLiteral("[kPa]")));
  h->addWidget(hint);
  grid->addWidget(Label(group, QStringLiteral("laParamAtmTlak"), QStringLiteral("Atmosferický tlak:")), 2, 0);
  grid->addWidget(edParamAtmTlak_, 2, 1);
  grid->addWidget(pressureUnit, 2, 2);

  auto* normal = new QPushButton(QStringLiteral("Normálové hodnoty"), this);
  normal->setObjectName(QStringLiteral("btNormaloveHodnoty"));
  auto* storno = new QPushButton(QStringLiteral("Storno"), this);
  storno->setObjectName(QStringLiteral("btStorno"));
  auto* ok = new QPushButton(QStringLiteral("Ano"), this);
  ok->setObjectName(QStringLiteral("btOK"));
  ok->setDefault(true);
  connect(normal, &QPushButton::clicked, this, &TDlgParametryMereni::btNormaloveHodnotyClick);
  connect(cbJeTeplotniCidlo_, &QCheckBox::clicked, this, &TDlgParametryMereni::cbJeTeplotniCidloClick);
  connect(storno, &QPushButton::clicked, this, &QDialog::reject);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(normal);
  buttons->addStretch(1);
  buttons->addWidget(storno);
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TDlgParametryMereni::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

void TDlgParametryMereni::FormShow() {
  edParamTeplotaVzduchu_->setValue(settings_.Teplota);
  edParamAtmTlak_->setText(SettingsFile::FormatFloat(settings_.AtmosferickyTlak));
  cbJeTeplotniCidlo_->setChecked(settings_.CidloTeploty);
  cbJeTeplotniCidloClick();
}

void TDlgParametryMereni::btNormaloveHodnotyClick() {
  edParamTeplotaVzduchu_->setValue(kNormalTemperature);
  edParamAtmTlak_->setText(SettingsFile::FormatFloat(kNormalPressure));
}

void TDlgParametryMereni::cbJeTeplotniCidloClick() {
  const bool typed = !cbJeTeplotniCidlo_->isChecked();
  edParamTeplotaVzduchu_->setEnabled(typed);
  laParamTeplota_->setEnabled(typed);
  laJedenotkaTeploty_->setEnabled(typed);
}

void TDlgParametryMereni::accept() {
  // A pressure of 0 would make every reply fail in the correction: refuse it and keep the old one.
  double pressure = 0;
  if (ParsePressure(edParamAtmTlak_->text(), &pressure) && pressure == 0) {
    prompt_.Message(UserPrompt::Icon::Warning, windowTitle().trimmed(), language_.Shown(QStringLiteral("msgTlakNula")));
    edParamAtmTlak_->setText(SettingsFile::FormatFloat(settings_.AtmosferickyTlak));
    return;
  }
  QDialog::accept();
}

void TDlgParametryMereni::SetParameters() {
  settings_.Teplota = edParamTeplotaVzduchu_->value();
  double pressure = 0;
  if (!ParsePressure(edParamAtmTlak_->text(), &pressure)) {
    LogMessage(LogKind::Error,
               QStringLiteral(
                   "Vyjimka Parametry Měření - SetParameters() - '%1' is not a valid floating point value")
                   .arg(edParamAtmTlak_->text()));
    return;
  }
  settings_.AtmosferickyTlak = pressure;
  settings_.CidloTeploty = cbJeTeplotniCidlo_->isChecked();
}
