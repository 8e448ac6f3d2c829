#pragma once

#include <QColor>

// Colours are stored as 0x00BBGGRR integers in the settings file.
inline QColor ColourFromRef(int ref) {
  return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}
inline int RefFromColour(const QColor& c) {
  return c.red() | (c.green() << 8) | (c.blue() << 16);
}
