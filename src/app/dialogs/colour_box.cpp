#include "dialogs/colour_box.h"

#include <QPainter>

#include "i18n/language_table.h"
#include "render/colour_ref.h"
#include "prompts/user_prompt.h"

namespace {
// The named colours (0x00BBGGRR) after the custom entry; their names are the language table's
// "cbBarvaItem_1".. in this order.
const int kColours[] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
                        0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF,
                        0xFFFF00, 0xFFFFFF, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0};

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
  for (int ref : kColours) addItem(Swatch(ref), QString());
  SetTexts(LanguageTable());
  connect(this, &QComboBox::activated, this, &ColourBox::OnActivated);
}

void ColourBox::SetTexts(const LanguageTable& language) {
  for (int i = 0; i < count(); ++i) setItemText(i, language.Shown(QStringLiteral("cbBarvaItem_%1").arg(i)));
}

int ColourBox::StandardColour(int index) {
  return index >= 1 && index <= int(std::size(kColours)) ? kColours[index - 1] : 0;
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
