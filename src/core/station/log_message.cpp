#include "station/log_message.h"

#include <QLoggingCategory>

#include "journal/journal.h"

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
  if (kind == LogKind::Error)
    JournalError(text);
  else
    JournalEvent(QLatin1String(text == QString::fromUtf8(kExitLine) ? JournalKind::kProgramEnded : JournalKind::kMessage), 0,
                 text);
  if (Observer()) Observer()(kind, text);
}

void SetLogObserver(std::function<void(LogKind, const QString&)> observer) {
  Observer() = std::move(observer);
}
