#pragma once

#include <QDialog>
#include <functional>

#include "widgets/named_controls.h"

class ColourBox;
class FittingScrollArea;
class LanguageTable;
class QLineEdit;
class QPushButton;
class Station;
class UserPrompt;

// The settings dialog: copies the settings in memory into its controls when shown, and back with
// validation when accepted (StoreSettings). It never touches the settings file.
class TDlgNastaveni : public QDialog {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<void()> archiveFolderChanged;  // SetArchiveConnection
    std::function<void()> chartSettingsChanged;  // ApplyChartSettings
  };
  TDlgNastaveni(Station& station, const LanguageTable& language, UserPrompt& prompt,
                QWidget* parent = nullptr);
  void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

  void FormShow();
  bool KontrolaIP();  // true when the address was accepted
  void StoreSettings();
  QString AcceptedAddress() const { return acceptedAddress_; }
  QString FallbackAddress() const { return fallbackAddress_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildSensorsPage();
  QWidget* BuildCommunicationPage();
  QWidget* BuildArchivePage();
  QWidget* BuildOtherPage();
  QWidget* BuildMqttPage();
  QWidget* BuildAlarmsPage();
  template <typename T>
  T* Find(const QString& prefix, int n = 0) const;
  void btZdrojDatClick();
  // True when the address field lost the focus to another control of this dialog.
  bool FocusMovedWithinDialog(Qt::FocusReason reason) const;
  void AlignAddressGroup(int group, int cursor);  // a short group's blanks to its left
  void ReportStoreFailure(const QString& what);

  Station& station_;
  const LanguageTable& language_;
  UserPrompt& prompt_;
  Hooks hooks_;
  NamedControls controls_;
  QLineEdit* medIpAdresa_ = nullptr;
  FittingScrollArea* pages_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* stornoButton_ = nullptr;
  QString fallbackAddress_;
  QString acceptedAddress_;
};
