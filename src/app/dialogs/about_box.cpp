#include "dialogs/about_box.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "widgets/pictures.h"

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("O programu"));
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  icon->setPixmap(Pictures::Icon(Pictures::ToolIcon::Station).pixmap(64, 64));
  auto* product = new QLabel(QStringLiteral("Kestrilon - s vlhkostí"), this);
  product->setObjectName(QStringLiteral("ProductName"));
  QFont big = product->font();
  big.setPointSize(big.pointSize() + 6);
  big.setBold(true);
  product->setFont(big);
  auto* version = new QLabel(QStringLiteral("verze 1.1"), this);
  version->setObjectName(QStringLiteral("Version"));

  auto* maker = new QVBoxLayout;
  const char* const lines[][2] = {{"Copyright", "Kestrilon s.r.o."}, {"Street", "Průmyslová 1174/12"},
                                  {"Town", "612 00 Brno"},           {"Web", "www.kestrilon.cz"},
                                  {"Email", "podpora@kestrilon.cz"}, {"Phone", "tel. +420 541 000 000"}};
  for (const auto& line : lines) {
    auto* l = new QLabel(QString::fromUtf8(line[1]), this);
    l->setObjectName(QString::fromLatin1(line[0]));
    maker->addWidget(l);
  }
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(18);
  grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  grid->addWidget(product, 0, 1);
  grid->addWidget(version, 1, 1);
  grid->addLayout(maker, 2, 1);
  grid->addWidget(ok, 3, 0, 1, 2, Qt::AlignHCenter);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}
