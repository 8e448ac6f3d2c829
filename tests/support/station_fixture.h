#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "config/app_settings.h"
#include "station/log_message.h"

class TMainForm;
class TDlgNastaveni;
class TDlgParametryMereni;
class TAboutBox;
class TfrmDataSheet;
class ScriptedPrompt;

// Whole files as bytes (an unreadable file reads as empty).
QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// The settings every input gets when a test sets up the station by hand: defaults of the file.
void SetDefaultSettings(AppSettings& settings);

// The reply text of a reply built from statuses and raw values.
QString ReplyText(const std::array<int, 4>& status, const std::array<int, 4>& raw);

// Records LogMessage calls while alive.
class LogRecorder {
 public:
  LogRecorder();
  ~LogRecorder();
  QList<std::pair<LogKind, QString>> entries;
  QStringList Texts() const;
};

// Replaces the clock while alive.
class FixedClock {
 public:
  explicit FixedClock(const QDateTime& at);
  ~FixedClock();
  void Set(const QDateTime& at) { *now_ = at; }

 private:
  std::shared_ptr<QDateTime> now_;
};

// The real windows of the station in a temporary folder, answered by a scripted prompt.
class StationWindows {
 public:
  // `iniText` (may be empty: no file) is written as the settings file before anything is created.
  explicit StationWindows(const QByteArray& iniText = {});
  ~StationWindows();
  QString Path(const QString& name) const;
  QString IniPath() const { return Path(QStringLiteral("kestrilon4.ini")); }
  QByteArray IniBytes() const;

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<ScriptedPrompt> prompt;
  std::unique_ptr<TMainForm> main;
  std::unique_ptr<TDlgNastaveni> nastaveni;
  std::unique_ptr<TAboutBox> about;
  std::unique_ptr<TfrmDataSheet> dataSheet;
  std::unique_ptr<TDlgParametryMereni> parametry;
};
