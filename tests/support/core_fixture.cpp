#include "support/core_fixture.h"

#include <QFile>
#include <QProcess>
#include <algorithm>

#include "config/settings_schema.h"
#include "station/clock.h"
#include "support/fake_converter.h"

QByteArray ReadFileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString MailSubject(const QByteArray& message) {
  const qsizetype begin = message.indexOf("\r\nSubject: ");
  if (begin < 0) return {};
  QString subject;
  qsizetype at = begin + 11;
  for (bool first = true;; first = false) {
    const qsizetype end = message.indexOf("\r\n", at);
    const QByteArray line = message.mid(at, end - at);
    const bool encoded = line.startsWith("=?UTF-8?B?") && line.endsWith("?=");
    if ((encoded && (first ? 9 : 1) + line.size() > 76) ||
        std::any_of(line.begin(), line.end(), [](char c) { return uchar(c) < 0x20 || uchar(c) > 0x7e; }))
      return {};
    if (encoded)
      subject += QString::fromUtf8(QByteArray::fromBase64(line.mid(10, line.size() - 12)));
    else
      subject += QString::fromLatin1(line);
    if (message.mid(end + 2, 1) != " ") return subject;
    at = end + 3;
  }
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

void SetDefaultSettings(AppSettings& settings) {
  PlainIntervals timers;
  SettingsSchema::ReadAll(SettingsFile(QStringLiteral("/nonexistent/kestrilon-test.ini")), settings, timers);
}

QString ReplyText(const std::array<int, 4>& status, const std::array<int, 4>& raw) {
  return QString::fromLatin1(FakeConverter::Reply(status, raw).toHex().toUpper());
}

LogRecorder::LogRecorder() {
  SetLogObserver([this](LogKind kind, const QString& text) { entries.append({kind, text}); });
}
LogRecorder::~LogRecorder() {
  SetLogObserver({});
}

QStringList LogRecorder::Texts() const {
  QStringList texts;
  for (const auto& e : entries) texts << e.second;
  return texts;
}

FixedClock::FixedClock(const QDateTime& at) : now_(std::make_shared<QDateTime>(at)) {
  Clock::SetSource([now = now_] { return *now; });
}
FixedClock::~FixedClock() {
  Clock::SetSource({});
}


QString PdfText(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!p.waitForFinished(30000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}
