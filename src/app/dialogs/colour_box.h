#pragma once

#include <QComboBox>

class LanguageTable;
class UserPrompt;

// A colour list: entry 0 is the custom colour, then the 16 standard colours (black, maroon, green,
// olive, navy, purple, teal, gray, silver, red, lime, yellow, blue, fuchsia, aqua, white) and the
// extended ones (money green, sky blue, cream, medium gray). The order is the one stored in settings
// files: index 10 is red, 12 yellow.
class ColourBox : public QComboBox {
  Q_OBJECT
 public:
  ColourBox(UserPrompt& prompt, QWidget* parent = nullptr);

  void SetSelected(int index, int colourRef);  // the colour matters for entry 0 only
  int SelectedIndex() const { return currentIndex(); }
  int SelectedColour() const;  // 0x00BBGGRR

  static int StandardColour(int index);  // index >= 1
  // The colour names are not part of the language tables; they follow the interface language.
  // The entries' names from the table (the designed ones while it is empty).
  void SetTexts(const LanguageTable& language);

 private:
  void SetCustom(int colourRef);
  void OnActivated(int index);

  UserPrompt& prompt_;
  int custom_ = 0;
};
