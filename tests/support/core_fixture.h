#pragma once
// Helpers for tests of the logic without windows: files, default settings, replies, the log and
// the clock.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

#include "config/app_settings.h"
#include "station/log_message.h"

// Whole files as bytes (an unreadable file reads as empty).
QByteArray ReadFileBytes(const QString& path);
// The text of a PDF as pdftotext lays it out (empty when it cannot be read).
QString PdfText(const QString& pdf);
// A mail's Subject as a reader sees it: folded lines joined, RFC 2047 words ("=?UTF-8?B?...?=")
// decoded. Empty when a header line is not plain ASCII or an encoded one is longer than 76.
QString MailSubject(const QByteArray& message);
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// The settings every input gets when a test sets up the station by hand: defaults of the file.
void SetDefaultSettings(AppSettings& settings);

// The reply text of a reply built from statuses and raw values.
QString ReplyText(const std::array<int, 4>& status, const std::array<int, 4>& raw);

// Records LogMessage calls while alive.
class LogRecorder {
 public:
  LogRecorder();
  ~LogRecorder();
  QList<std::pair<LogKind, QString>> entries;
  QStringList Texts() const;
};

// Replaces the clock while alive.
class FixedClock {
 public:
  explicit FixedClock(const QDateTime& at);
  ~FixedClock();
  void Set(const QDateTime& at) { *now_ = at; }

 private:
  std::shared_ptr<QDateTime> now_;
};

