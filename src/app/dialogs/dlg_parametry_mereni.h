#pragma once

#include <QDialog>

struct AppSettings;
class LanguageTable;
class UserPrompt;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// The ambient conditions of the flow and humidity correction: air temperature, atmospheric pressure,
// and whether the temperature comes from input 2.
class TDlgParametryMereni : public QDialog {
  Q_OBJECT
 public:
  TDlgParametryMereni(AppSettings& settings, const LanguageTable& language, UserPrompt& prompt,
                      QWidget* parent = nullptr);

  void FormShow();
  void SetParameters();
  void btNormaloveHodnotyClick();
  void cbJeTeplotniCidloClick();

 protected:
  void showEvent(QShowEvent* event) override;

 public slots:
  void accept() override;

 private:
  AppSettings& settings_;
  const LanguageTable& language_;
  UserPrompt& prompt_;
  QCheckBox* cbJeTeplotniCidlo_;
  QSpinBox* edParamTeplotaVzduchu_;
  QLabel* laParamTeplota_;
  QLabel* laJedenotkaTeploty_;
  QLineEdit* edParamAtmTlak_;
};
