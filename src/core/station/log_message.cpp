#include "station/log_message.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcStation, "kestrilon")
std::function<void(LogKind, const QString&)>& Observer() {
  static std::function<void(LogKind, const QString&)> observer;
  return observer;
}
}  // namespace

void LogMessage(LogKind kind, const QString& text) {
  if (kind == LogKind::Error)
    qCWarning(lcStation).noquote() << text;
  else
    qCInfo(lcStation).noquote() << text;
  if (Observer()) Observer()(kind, text);
}

void SetLogObserver(std::function<void(LogKind, const QString&)> observer) {
  Observer() = std::move(observer);
}
