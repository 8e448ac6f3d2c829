#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Key-to-text map of the active language. Both loaders write the same keys, so every load replaces
// every text of the previous language; nothing clears the table.
class LanguageTable {
 public:
  // The text under a key; an absent key gives the empty text.
  QString Text(const QString& key) const { return entries_.value(key); }
  void Set(const QString& key, const QString& text) { entries_.insert(key, text); }
  int Size() const { return int(entries_.size()); }
  bool IsEmpty() const { return entries_.isEmpty(); }

 private:
  QMap<QString, QString> entries_;
};

void LoadCzechTable(LanguageTable& table);
void LoadEnglishTable(LanguageTable& table);
// The keys in table order: main window, settings dialog, measurement parameters dialog, messages.
QStringList LanguageKeys();

// The main window's message texts, refreshed from the table by every apply.
QStringList MainWindowMessageKeys();
