#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>

// A failure to read or write the settings file; its message names the file and the cause.
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The INI settings file, edited key by key: names matched without regard to case, CR LF line ends,
// Windows-1250 text. Writing a key replaces only its line and keeps every other byte of the file;
// a missing section or key is appended. The first read takes the whole file in once (one load, one
// reading); a write reads it anew. Writes go to a temporary file renamed over the old one, so a
// crash never leaves a cut file. A leading UTF-8 byte-order mark is skipped and kept.
class SettingsFile {
 public:
  explicit SettingsFile(QString path) : path_(std::move(path)) {}

  const QString& Path() const { return path_; }

  // A missing file (or an empty path), section or key reads as the default. Throws SettingsError
  // when the file exists but cannot be read.
  QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
  int ReadInteger(const QString& section, const QString& key, int fallback) const;
  bool ReadBool(const QString& section, const QString& key, bool fallback) const;
  // Accepts "," and "." as the decimal separator, so a file moved between locales keeps its values.
  double ReadFloat(const QString& section, const QString& key, double fallback) const;

  // The text of a key as it stands, or nothing when the file, section or key is missing.
  std::optional<QString> Value(const QString& section, const QString& key) const;

  // One write routine's keys in one replacement of the file: between BeginEdit and CommitEdit the
  // writes change the file's text in memory (the same bytes key-by-key writing would give), and
  // CommitEdit replaces the file at once through a temporary file renamed over it, so a crash
  // leaves the old file or the new one. Without BeginEdit each write replaces the file by itself.
  void BeginEdit();
  void CommitEdit();
  // A temporary file a killed write left beside `path`; removed by the next load of the station.
  static QString TemporaryPath(const QString& path);
  static void RemoveLeftovers(const QString& path);

  // Throw SettingsError when the file cannot be written.
  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, int value);
  void WriteBool(const QString& section, const QString& key, bool value);
  // Shortest form with up to 15 significant digits and the locale's decimal separator.
  void WriteFloat(const QString& section, const QString& key, double value);

  static QString FormatFloat(double value);
  static bool ParseFloat(const QString& text, double* value);

 private:
  void Load() const;
  bool Find(const QString& section, const QString& key, QString* value) const;
  struct Edit;
  QString path_;
  std::shared_ptr<Edit> edit_;  // the text being edited between BeginEdit and CommitEdit
  // Section and key (lower case, joined by a line feed) to value, read at the first look-up.
  mutable std::optional<QHash<QString, QString>> values_;
};
