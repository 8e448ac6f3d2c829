#include "dialogs/colour_box.h"

#include <QPainter>

#include "widgets/colour_ref.h"
#include "prompts/user_prompt.h"

namespace {
struct NamedColour {
  int ref;  // 0x00BBGGRR
  const char* czech;
  const char* english;
};
const NamedColour kColours[] = {
    {0x000000, "Černá", "Black"},
    {0x000080, "Kaštanová", "Maroon"},
    {0x008000, "Zelená", "Green"},
    {0x008080, "Olivová", "Olive"},
    {0x800000, "Námořní modrá", "Navy"},
    {0x800080, "Purpurová", "Purple"},
    {0x808000, "Modrozelená", "Teal"},
    {0x808080, "Šedá", "Gray"},
    {0xC0C0C0, "Stříbrná", "Silver"},
    {0x0000FF, "Červená", "Red"},
    {0x00FF00, "Limetková", "Lime"},
    {0x00FFFF, "Žlutá", "Yellow"},
    {0xFF0000, "Modrá", "Blue"},
    {0xFF00FF, "Fuchsiová", "Fuchsia"},
    {0xFFFF00, "Azurová", "Aqua"},
    {0xFFFFFF, "Bílá", "White"},
    {0xC0DCC0, "Mátově zelená", "Money green"},
    {0xF0CAA6, "Nebeská modrá", "Sky blue"},
    {0xF0FBFF, "Krémová", "Cream"},
    {0xA4A0A0, "Středně šedá", "Medium gray"},
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
  addItem(Swatch(0), QString());
  for (const NamedColour& c : kColours) addItem(Swatch(c.ref), QString());
  SetEnglish(false);
  connect(this, &QComboBox::activated, this, &ColourBox::OnActivated);
}

void ColourBox::SetEnglish(bool english) {
  setItemText(0, english ? QStringLiteral("Custom...") : QStringLiteral("Vlastní..."));
  for (int i = 0; i < int(std::size(kColours)); ++i)
    setItemText(i + 1, QString::fromUtf8(english ? kColours[i].english : kColours[i].czech));
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
