#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "support/core_fixture.h"

class TMainForm;
class TDlgNastaveni;
class TDlgParametryMereni;
class TAboutBox;
class TfrmDataSheet;
class ScriptedPrompt;

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
