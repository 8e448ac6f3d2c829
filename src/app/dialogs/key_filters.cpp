#include "dialogs/key_filters.h"

#include <QKeyEvent>

namespace {
// "0" to "9" only: other scripts' digits would pass QChar::isDigit but not the number conversion.
bool IsAsciiDigit(QChar c) {
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
}  // namespace

bool ScalingKeyAccepted(QChar typed, QChar decimalSeparator) {
  return IsAsciiDigit(typed) || typed == QChar(8) || typed == decimalSeparator || typed == QLatin1Char('-');
}

QValidator::State PortValidator::validate(QString& text, int&) const {
  if (text.isEmpty()) return Intermediate;
  if (text.front() == QLatin1Char('0') || text.size() > 5) return Invalid;
  for (QChar c : text)
    if (!IsAsciiDigit(c)) return Invalid;
  return text.toInt() <= 65535 ? Acceptable : Invalid;
}

std::optional<QChar> DecimalKey(const QString& currentText, QChar typed, QChar decimalSeparator) {
  if (IsAsciiDigit(typed) || typed == QChar(8)) return typed;
  if (typed == QLatin1Char(',') || typed == QLatin1Char('.')) {
    if (currentText.contains(QLatin1Char(',')) || currentText.contains(QLatin1Char('.'))) return std::nullopt;
    return decimalSeparator;
  }
  return std::nullopt;
}

CharFilter::CharFilter(QLineEdit* edit, Filter filter) : QObject(edit), filter_(std::move(filter)) {
  edit->installEventFilter(this);
}

bool CharFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const QString text = key->text();
  // Navigation, deletion and shortcuts carry no printable character and pass unchanged.
  if (text.size() != 1 || !text[0].isPrint()) return false;
  auto* edit = static_cast<QLineEdit*>(watched);
  const std::optional<QChar> accepted = filter_(*edit, text[0]);
  if (!accepted) return true;
  if (*accepted == text[0]) return false;
  edit->insert(QString(*accepted));  // the key types another character (the decimal separator)
  return true;
}
