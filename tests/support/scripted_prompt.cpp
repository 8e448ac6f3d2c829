#include "support/scripted_prompt.h"

#include <QPrinter>

void ScriptedPrompt::Message(Icon icon, const QString& caption, const QString& text) {
  messages.append({icon, caption, text});
  if (duringMessage) duringMessage();
}

UserPrompt::Answer ScriptedPrompt::AskYesNoCancel(const QString& caption, const QString& text) {
  questions.append({Icon::Question, caption, text});
  return answer;
}

void ScriptedPrompt::Notify(Icon icon, const QString& caption, const QString& text) {
  ++notices;
  messages.append({icon, caption, text});
}

QString ScriptedPrompt::ChooseFolder(const QString&, const QString& start) {
  lastFolderStart = start;
  return folder;
}

QString ScriptedPrompt::ChooseSaveFile(const QString& proposedName, const QString& filter, const QString&) {
  lastProposedName = proposedName;
  lastFilter = filter;
  return saveFile;
}

bool ScriptedPrompt::SetUpPrinter(QPrinter& printer) {
  if (printToPdf.isEmpty()) return false;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(printToPdf);
  return true;
}

std::optional<QColor> ScriptedPrompt::ChooseColour(const QColor&) {
  return colour;
}
