#pragma once

#include <QStringList>
#include <functional>
#include <optional>

#include "prompts/user_prompt.h"

// Answers every question of the station from a script and records what it was shown.
class ScriptedPrompt : public UserPrompt {
 public:
  struct Shown {
    Icon icon;
    QString caption;
    QString text;
  };

  void Message(Icon icon, const QString& caption, const QString& text) override;
  Answer AskYesNoCancel(const QString& caption, const QString& text) override;
  void Notify(Icon icon, const QString& caption, const QString& text) override;
  void Beep() override { ++beeps; }
  QString ChooseFolder(const QString& title, const QString& start) override;
  QString ChooseSaveFile(const QString& proposedName, const QString& filter, const QString& suffix) override;
  bool SetUpPrinter(QPrinter& printer) override;
  std::optional<QColor> ChooseColour(const QColor& initial) override;

  QList<Shown> messages;  // modal boxes and notices, in order
  QList<Shown> questions;
  int notices = 0;
  int beeps = 0;
  Answer answer = Answer::Cancel;
  std::function<void()> duringMessage;  // runs while a modal box would be open
  QString folder;                       // empty: cancelled
  QString lastFolderStart;
  QString saveFile;  // empty: cancelled
  QString lastProposedName;
  QString lastFilter;
  QString printToPdf;  // empty: print dialog cancelled
  std::optional<QColor> colour;
};
