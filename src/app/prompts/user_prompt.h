#pragma once

#include <QColor>
#include <QString>
#include <memory>
#include <optional>

class QMessageBox;
class QPrinter;

// Every box, question, beep and file, folder, colour or print dialog of the station goes through
// this interface, so tests answer them without a person and nothing can block a test.
class UserPrompt {
 public:
  enum class Icon { Information, Warning, Error, Question };
  enum class Answer { Yes, No, Cancel };

  virtual ~UserPrompt() = default;
  // A modal box without owner window and an OK button.
  virtual void Message(Icon icon, const QString& caption, const QString& text) = 0;
  virtual Answer AskYesNoCancel(const QString& caption, const QString& text) = 0;
  // A box that does not wait; while one with the same text is still open no second one appears.
  virtual void Notify(Icon icon, const QString& caption, const QString& text) = 0;
  virtual void Beep() = 0;
  // Empty text: cancelled.
  virtual QString ChooseFolder(const QString& title, const QString& start) = 0;
  // `filter`: one or more name filters joined by ";;", the first preselected; the default suffix
  // is `suffix` for the first and follows the filter chosen ("PNG (*.png)" gives "png").
  virtual QString ChooseSaveFile(const QString& proposedName, const QString& filter,
                                 const QString& suffix) = 0;
  virtual bool SetUpPrinter(QPrinter& printer) = 0;
  virtual std::optional<QColor> ChooseColour(const QColor& initial) = 0;
};

// The real dialogs of the desktop.
class QtUserPrompt : public UserPrompt {
 public:
  void Message(Icon icon, const QString& caption, const QString& text) override;
  Answer AskYesNoCancel(const QString& caption, const QString& text) override;
  void Notify(Icon icon, const QString& caption, const QString& text) override;
  void Beep() override;
  QString ChooseFolder(const QString& title, const QString& start) override;
  QString ChooseSaveFile(const QString& proposedName, const QString& filter, const QString& suffix) override;
  bool SetUpPrinter(QPrinter& printer) override;
  std::optional<QColor> ChooseColour(const QColor& initial) override;

  // The close question's box, its buttons in the toolkit's current language.
  static std::unique_ptr<QMessageBox> NewQuestionBox(const QString& caption, const QString& text);
};
