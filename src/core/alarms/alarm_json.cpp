#include "alarms/alarm_json.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include "station/clock.h"

namespace {
QJsonValue Number(const std::optional<double>& v) {
  // Four decimals, as the archive and the readings have them.
  return v ? QJsonValue(QString::number(*v, 'f', 4).toDouble()) : QJsonValue();
}
std::optional<double> NumberOf(const QJsonValue& v) {
  return v.isDouble() ? std::optional<double>(v.toDouble()) : std::nullopt;
}
}  // namespace

QJsonObject AlarmJson(const Alarm& a, const QDateTime& at) {
  return {{QStringLiteral("time"), Clock::IsoMillis(at)},
          {QStringLiteral("input"), a.input > 0 ? QJsonValue(a.input) : QJsonValue()},
          {QStringLiteral("kind"), AlarmKindName(a.kind)},
          {QStringLiteral("state"), AlarmStateName(a.state)},
          {QStringLiteral("value"), Number(a.value)},
          {QStringLiteral("limit"), Number(a.limit)},
          {QStringLiteral("count"), a.count},
          {QStringLiteral("raised"), Clock::IsoMillis(a.raisedAt)},
          {QStringLiteral("last"), Clock::IsoMillis(a.lastRaised.isValid() ? a.lastRaised : a.raisedAt)}};
}

std::optional<Alarm> AlarmFromJson(const QJsonObject& o) {
  const std::optional<AlarmKind> kind = AlarmKindNamed(o.value(QStringLiteral("kind")).toString());
  const std::optional<AlarmState> state = AlarmStateNamed(o.value(QStringLiteral("state")).toString());
  const QDateTime raised = QDateTime::fromString(o.value(QStringLiteral("raised")).toString(), Qt::ISODateWithMs);
  if (!kind || !state || !raised.isValid()) return std::nullopt;
  Alarm a{*kind, o.value(QStringLiteral("input")).toInt(0), raised.toLocalTime(), *state,
          NumberOf(o.value(QStringLiteral("value"))), NumberOf(o.value(QStringLiteral("limit"))),
          std::max(1, o.value(QStringLiteral("count")).toInt(1)),
          QDateTime::fromString(o.value(QStringLiteral("last")).toString(), Qt::ISODateWithMs).toLocalTime()};
  return a;
}

QString SavedAlarmsPath(const QString& archiveFolder) {
  return QDir(archiveFolder).filePath(QStringLiteral("Events/alarms.json"));
}

bool SaveAlarms(const QString& archiveFolder, const QList<Alarm>& alarms) {
  QJsonArray list;
  for (const Alarm& a : alarms) list.append(AlarmJson(a, a.raisedAt));
  const QString path = SavedAlarmsPath(archiveFolder);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(list).toJson()) >= 0 && file.commit();
}

QList<Alarm> LoadAlarms(const QString& archiveFolder) {
  QFile file(SavedAlarmsPath(archiveFolder));
  QList<Alarm> alarms;
  if (!file.open(QIODevice::ReadOnly)) return alarms;
  for (const QJsonValue& v : QJsonDocument::fromJson(file.readAll()).array())
    if (const std::optional<Alarm> a = AlarmFromJson(v.toObject())) alarms << *a;
  return alarms;
}
