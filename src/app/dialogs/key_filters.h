#pragma once

#include <QLineEdit>
#include <QObject>
#include <QValidator>
#include <functional>
#include <optional>

// The scaling edits: digits, backspace, the decimal separator and "-" anywhere, any number of times.
bool ScalingKeyAccepted(QChar typed, QChar decimalSeparator);

// The pressure edit: digits and backspace pass; "," or "." types the decimal separator once
// (refused when the text already holds either); everything else, "-" included, is refused.
std::optional<QChar> DecimalKey(const QString& currentText, QChar typed, QChar decimalSeparator);

// The converter's TCP port: ASCII digits only, 1 to 65535, no leading zero.
class PortValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& text, int& position) const override;
};

// Applies a character filter to the printable keys typed into a line edit. The filter returns
// the character to insert, or nothing to swallow the key.
class CharFilter : public QObject {
 public:
  using Filter = std::function<std::optional<QChar>(const QLineEdit&, QChar)>;
  CharFilter(QLineEdit* edit, Filter filter);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Filter filter_;
};
