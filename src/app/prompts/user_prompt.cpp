#include "prompts/user_prompt.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QRegularExpression>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <map>

namespace {
QMessageBox::Icon ToQt(UserPrompt::Icon icon) {
  switch (icon) {
    case UserPrompt::Icon::Information:
      return QMessageBox::Information;
    case UserPrompt::Icon::Warning:
      return QMessageBox::Warning;
    case UserPrompt::Icon::Error:
      return QMessageBox::Critical;
    case UserPrompt::Icon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}
}  // namespace

void QtUserPrompt::Message(Icon icon, const QString& caption, const QString& text) {
  QMessageBox box(ToQt(icon), caption, text, QMessageBox::Ok);
  box.exec();
}

std::unique_ptr<QMessageBox> QtUserPrompt::NewQuestionBox(const QString& caption, const QString& text) {
  return std::make_unique<QMessageBox>(QMessageBox::Question, caption, text,
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

UserPrompt::Answer QtUserPrompt::AskYesNoCancel(const QString& caption, const QString& text) {
  switch (NewQuestionBox(caption, text)->exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

void QtUserPrompt::Notify(Icon icon, const QString& caption, const QString& text) {
  static std::map<QString, QPointer<QMessageBox>> open;
  QPointer<QMessageBox>& box = open[text];
  if (box) return;
  box = new QMessageBox(ToQt(icon), caption, text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void QtUserPrompt::Beep() {
  QApplication::beep();
}

QString QtUserPrompt::ChooseFolder(const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(nullptr, title, start);
}

QString QtUserPrompt::ChooseSaveFile(const QString& proposedName, const QString& filter,
                                     const QString& suffix) {
  QFileDialog dialog(nullptr);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filter.split(QStringLiteral(";;")));
  dialog.setDefaultSuffix(suffix);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch m = pattern.match(chosen);
    if (m.hasMatch()) dialog.setDefaultSuffix(m.captured(1));
  });
  dialog.selectFile(proposedName);
  dialog.setFileMode(QFileDialog::AnyFile);
  return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
             ? dialog.selectedFiles().first()
             : QString();
}

bool QtUserPrompt::SetUpPrinter(QPrinter& printer) {
  QPrintDialog dialog(&printer);
  return dialog.exec() == QDialog::Accepted;
}

std::optional<QColor> QtUserPrompt::ChooseColour(const QColor& initial) {
  const QColor colour = QColorDialog::getColor(initial);
  if (!colour.isValid()) return std::nullopt;
  return colour;
}
