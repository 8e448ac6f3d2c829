#include "support/core_fixture.h"

#include <QFile>

#include "config/settings_schema.h"
#include "station/clock.h"
#include "support/fake_converter.h"

namespace {
class NoTimers : public TimerIntervals {
 public:
  int MeasuringPeriod() const override { return 0; }
  void SetMeasuringPeriod(int) override {}
  int SlowArchiveInterval() const override { return 0; }
  void SetSlowArchiveInterval(int) override {}
  int FastArchiveInterval() const override { return 0; }
  void SetFastArchiveInterval(int) override {}
};
}  // namespace

QByteArray ReadFileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

void SetDefaultSettings(AppSettings& settings) {
  const SettingsFile none(QStringLiteral("/nonexistent/kestrilon-test.ini"));
  NoTimers timers;
  for (int n = 1; n <= 4; ++n) SettingsSchema::ReadChannel(none, n, settings.Channel(n));
  SettingsSchema::ReadConverter(none, settings, timers);
  SettingsSchema::ReadArchive(none, settings, timers);
  SettingsSchema::ReadOther(none, settings);
  SettingsSchema::ReadMeasurementParameters(none, settings);
  settings.UpdateArchiveSeparator();
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

