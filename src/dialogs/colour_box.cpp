#include "dialogs/colour_box.h"

#include <QPainter>

#include "shell/colour_ref.h"
#include "shell/user_prompt.h"

namespace {
struct NamedColour {
  int ref;  // 0x00BBGGRR
  const char* name;
};
const NamedColour kColours[] = {
    {0x000000, "Černá"},          {0x000080, "Kaštanová"},      {0x008000, "Zelená"},    {0x008080, "Olivová"},
    {0x800000, "Námořní modrá"},  {0x800080, "Purpurová"},      {0x808000, "Modrozelená"}, {0x808080, "Šedá"},
    {0xC0C0C0, "Stříbrná"},       {0x0000FF, "Červená"},        {0x00FF00, "Limetková"}, {0x00FFFF, "Žlutá"},
    {0xFF0000, "Modrá"},          {0xFF00FF, "Fuchsiová"},      {0xFFFF00, "Azurová"},   {0xFFFFFF, "Bílá"},
    {0xC0DCC0, "Mátově zelená"},  {0xF0CAA6, "Nebeská modrá"},  {0xF0FBFF, "Krémová"},   {0xA4A0A0, "Středně šedá"},
};

QIcon Swatch(int ref) {
  QPixmap p(16, 12);
  p.fill(ColourFromRef(ref));
  QPainter g(&p);
  g.setPen(Qt::darkGray);
  g.drawRect(0, 0, 15, 11);
  return QIcon(p);
}
}  // namespace

ColourBox::ColourBox(UserPrompt& prompt, QWidget* parent) : QComboBox(parent), prompt_(prompt) {
  addItem(Swatch(0), QStringLiteral("Vlastní..."));
  for (const NamedColour& c : kColours) addItem(Swatch(c.ref), QString::fromUtf8(c.name));
  connect(this, &QComboBox::activated, this, &ColourBox::OnActivated);
}

int ColourBox::StandardColour(int index) {
  return index >= 1 && index <= int(std::size(kColours)) ? kColours[index - 1].ref : 0;
}

void ColourBox::SetCustom(int colourRef) {
  custom_ = colourRef;
  setItemIcon(0, Swatch(colourRef));
}

void ColourBox::SetSelected(int index, int colourRef) {
  if (index == 0) SetCustom(colourRef);
  setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

int ColourBox::SelectedColour() const {
  const int index = currentIndex();
  return index == 0 ? custom_ : StandardColour(index);
}

void ColourBox::OnActivated(int index) {
  if (index != 0) return;
  if (const auto colour = prompt_.ChooseColour(ColourFromRef(custom_))) SetCustom(RefFromColour(*colour));
}
