#include "support/core_fixture.h"

#include <QFile>
#include <QProcess>

#include "config/settings_schema.h"
#include "station/clock.h"
#include "support/fake_converter.h"

QByteArray ReadFileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
