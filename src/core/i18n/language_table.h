#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// One interface language: a column of the text table and an item of each language menu.
struct InterfaceLanguageInfo {
  int code;          // the settings' "Language"
  QString menuText;  // the menu item's text, the same in every language
  QString menuName;  // object names of the items: main menu (name + "_") and tool button pop-up
  QString toolkit;   // the toolkit's translation ("qtbase_" + this); empty: its built-in English
};

// The languages in column order. The first is the windows' designed language.
const QList<InterfaceLanguageInfo>& InterfaceLanguages();
const InterfaceLanguageInfo* FindInterfaceLanguage(int code);  // null for a code with no column

// Key-to-text map of the active language. Every load writes every key, so it replaces every text
// of the previous language; nothing clears the table.
class LanguageTable {
 public:
  // The text under a key; an absent key gives the empty text.
  QString Text(const QString& key) const { return entries_.value(key); }
  // The text under a key, or the designed text while no language has been loaded.
  QString Shown(const QString& key) const;
  void Set(const QString& key, const QString& text) { entries_.insert(key, text); }
  int Size() const { return int(entries_.size()); }
  bool IsEmpty() const { return entries_.isEmpty(); }

 private:
  QMap<QString, QString> entries_;
};

// Loads the column of a language code; a code with no column loads nothing.
void LoadLanguageTable(LanguageTable& table, int code);
void LoadCzechTable(LanguageTable& table);
void LoadEnglishTable(LanguageTable& table);
// The designed text of a key: the first column's.
QString DesignedText(const QString& key);
// The keys in table order: main window, settings dialog, measurement parameters dialog, messages,
// then the station's own keys.
QStringList LanguageKeys();

// The main window's message texts, refreshed from the table by every apply.
QStringList MainWindowMessageKeys();
