#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

#include "i18n/language_table.h"

// A widget with its object name (the name tests and the language table know it by).
template <typename T>
T* Named(QWidget* parent, const char* name) {
  auto* w = new T(parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// A label whose text is the language table's text of its name.
inline QLabel* Label(QWidget* parent, const char* name, const LanguageTable& language) {
  auto* label = Named<QLabel>(parent, name);
  label->setText(language.Shown(QString::fromLatin1(name)));
  return label;
}
