// Puts the active language table into effect on the main window and the two dialogs.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QTranslator>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "dialogs/colour_box.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "station/log_message.h"
#include "main_window/alarm_window.h"
#include "main_window/report_window.h"
#include "main_window/consumption_page.h"
#include "main_window/main_form.h"
#include "main_window/status_bar.h"
#include "widgets/radio_group.h"

namespace {
// Sets the caption of a tab page, which its tab widget holds.
void SetTabCaption(QWidget* page, const QString& text) {
  for (QWidget* w = page->parentWidget(); w; w = w->parentWidget())
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      const int index = tabs->indexOf(page);
      if (index >= 0) tabs->setTabText(index, text);
      return;
    }
}

bool IsTabPage(const QWidget* w) {
  const QWidget* stack = w->parentWidget();
  return stack && qobject_cast<const QTabWidget*>(stack->parentWidget());
}

// Captions of a dialog's labels, group boxes, check boxes, buttons and tab pages.
void ApplyToDialog(QDialog* dialog, const QString& captionKey, const LanguageTable& table, bool withTabs) {
  if (!dialog) return;
  const QString caption = table.Text(captionKey);
  if (!caption.isEmpty()) dialog->setWindowTitle(caption);
  for (QWidget* w : dialog->findChildren<QWidget*>()) {
    const QString text = table.Text(w->objectName());
    if (text.isEmpty()) continue;
    if (auto* label = qobject_cast<QLabel*>(w))
      label->setText(text);
    else if (auto* box = qobject_cast<QCheckBox*>(w))
      box->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
      group->setTitle(text);
    else if (auto* button = qobject_cast<QPushButton*>(w))
      button->setText(text);
    else if (withTabs && IsTabPage(w))
      SetTabCaption(w, text);
  }
}
}  // namespace

namespace {
// The toolkit's own texts (standard buttons; file, folder, colour and print dialogs) follow the
// interface language: from the toolkit's translation ("qtbase_cs"), or its built-in English.
void UseToolkitLanguage(const QString& translation) {
  static QTranslator translator;
  static QString loaded;
  QCoreApplication::removeTranslator(&translator);
  if (translation.isEmpty()) return;
  if (loaded != translation) {
    if (!translator.load(QStringLiteral("qtbase_") + translation, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      LogMessage(LogKind::Error, QStringLiteral("texts of the toolkit not found (qtbase_%1.qm)").arg(translation));
      return;
    }
    loaded = translation;
  }
  QCoreApplication::installTranslator(&translator);
}
}  // namespace

void TMainForm::SwitchToCzech() {
  SwitchToLanguage(kCzech);
}

void TMainForm::SwitchToEnglish() {
  SwitchToLanguage(kEnglish);
}

void TMainForm::SwitchToLanguage(int code) {
  const InterfaceLanguageInfo* language = FindInterfaceLanguage(code);
  if (!language) return;
  LoadLanguageTable(languageTable_, code);
  Settings().Language = code;
  UseToolkitLanguage(language->toolkit);
  ApplyLanguage();
}

void TMainForm::ApplyLanguage() {
  const LanguageTable& table = languageTable_;
  // Main window: labels, tool buttons (their hint), menu items, buttons, radio groups, tab pages.
  for (QObject* o : findChildren<QObject*>()) {
    // "<name>Hint": the control's tool tip.
    if (auto* w = qobject_cast<QWidget*>(o); w && !w->objectName().isEmpty())
      if (const QString hint = table.Text(w->objectName() + QStringLiteral("Hint")); !hint.isEmpty()) w->setToolTip(hint);
    const QString text = table.Text(o->objectName());
    if (text.isEmpty()) continue;
    if (auto* label = qobject_cast<QLabel*>(o)) {
      label->setText(text);
    } else if (auto* tool = qobject_cast<QToolButton*>(o)) {
      tool->setToolTip(text);
    } else if (auto* action = qobject_cast<QAction*>(o)) {
      action->setText(text);
    } else if (auto* menu = qobject_cast<QMenu*>(o)) {
      menu->setTitle(text);
    } else if (auto* button = qobject_cast<QPushButton*>(o)) {
      button->setText(text);
    } else if (auto* box = qobject_cast<QCheckBox*>(o)) {
      box->setText(text);
    } else if (auto* group = qobject_cast<RadioGroup*>(o)) {
      group->setTitle(text);
      const int selected = group->ItemIndex();
      for (int i = 0; i < group->ItemCount(); ++i) {
        const QString item = table.Text(o->objectName() + QStringLiteral("Item_") + QString::number(i));
        if (!item.isEmpty()) group->SetItem(i, item);
      }
      group->SetItemIndex(selected);
    } else if (auto* w = qobject_cast<QWidget*>(o); w && IsTabPage(w)) {
      SetTabCaption(w, text);
    }
  }
  // Events run between the main window and the dialogs: the main window's texts are complete, the
  // dialogs still show the previous language.
  QCoreApplication::processEvents();
  ApplyToDialog(dlgNastaveni_, QStringLiteral("DlgNastaveni"), table, true);
  ApplyToDialog(dlgParametry_, QStringLiteral("DlgParametryMereni"), table, false);
  if (dlgNastaveni_)
    for (ColourBox* box : dlgNastaveni_->findChildren<ColourBox*>()) box->SetTexts(table);
  for (const QString& key : MainWindowMessageKeys()) messages_[key] = table.Text(key);
  ApplyChartSettings();
  UpdateMeasuringStatus();
  statusBar_->Relabel();
  consumption_->Relabel();
  alarmWindow_->Relabel();
  reportWindow_->Relabel();
}
