#include "prompts/user_prompt.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
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

// A box at least as wide as its caption with the title bar's buttons, so that a window manager never
// cuts the caption ("Ukončení apl…") of a box with a short text.
void FitCaption(QMessageBox& box) {
  QFont titleFont = box.font();
  titleFont.setBold(true);
  const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 160;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}
}  // namespace

void QtUserPrompt::Message(Icon icon, const QString& caption, const QString& text) {
  QMessageBox box(ToQt(icon), caption, text, QMessageBox::Ok);
  FitCaption(box);
  box.exec();
}

std::unique_ptr<QMessageBox> QtUserPrompt::NewQuestionBox(const QString& caption, const QString& text) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Question, caption, text,
                                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  // A stray Enter hides the window (measuring goes on) rather than ending the recording; Esc cancels.
  box->setDefaultButton(QMessageBox::No);
  box->setEscapeButton(QMessageBox::Cancel);
  FitCaption(*box);
  return box;
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
  FitCaption(*box);
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
