#include "archive/archive_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "archive/archive_open.h"

QString ArchiveFileName(ArchiveKind kind, const QDateTime& at) {
  return ArchiveFileName(kind, at.date(), at.time().hour());
}

QString ArchiveFileName(ArchiveKind kind, const QDate& day, int hour) {
  const QString date = day.toString(QStringLiteral("yyyyMMdd"));
  return kind == ArchiveKind::Slow
             ? QStringLiteral("SA_%1.csv").arg(date)
             : QStringLiteral("FA_%1_%2.csv").arg(date).arg(hour, 2, 10, QLatin1Char('0'));
}

QString BuildArchiveHeader(const QString& separator) {
  return QStringList{QStringLiteral("DATUM"), QStringLiteral("CAS"), QStringLiteral("IN1"),
                     QStringLiteral("IN2"),   QStringLiteral("IN3"), QStringLiteral("IN4")}
      .join(separator);
}

QString FormatArchiveValue(double value) {
  // Not a number or infinite: an empty field, which readers take as no value (never "inf", which
  // would make the file unreadable).
  if (!std::isfinite(value)) return QString();
  // Past 1e15 the value has no decimals to round (and times 10000 it could overflow).
  const double rounded = std::abs(value) < 1e15 ? std::round(value * 10000.0) / 10000.0 : value;
  // A value that rounds to zero is written without a sign.
  return QString::number(rounded == 0 ? 0.0 : rounded, 'f', 4);
}

QString ArchivePath(const QString& folder, const QString& name) {
  QString base = folder;
  auto isSeparator = [](QChar c) {
#ifdef Q_OS_WIN
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
#else
    return c == QLatin1Char('/');
#endif
  };
  while (!base.isEmpty() && isSeparator(base.back())) base.chop(1);
  return base + QLatin1Char('/') + name;
}

namespace {
// True when the file is non-empty and its last byte is not a line end (a row cut off by a crash).
bool EndsInCutRow(const QString& path) {
  if (!QFileInfo(path).isFile()) return false;
  QFile file(path);
  if (file.size() == 0 || !file.open(QIODevice::ReadOnly)) return false;
  char last = '\n';
  return file.seek(file.size() - 1) && file.getChar(&last) && last != '\n';
}
}  // namespace

IoStatus ArchiveWriter::Append(const QString& folder, ArchiveKind kind, const QDateTime& now,
                               const QString& separator, const ArchiveValues& values) {
  QStringList fields{now.toString(kArchiveDateFormat), now.toString(kArchiveTimeFormat)};
  for (double v : values) fields << FormatArchiveValue(v);

  if (!QFileInfo::exists(folder)) QDir().mkdir(folder);  // the last level only
  const QString path = ArchivePath(folder, ArchiveFileName(kind, now));
  const bool existed = QFileInfo::exists(path);
  // A file this writer created but could not give its header (a full disk) holds nothing else of
  // value: it is written anew, header first.
  const bool headerOwed = existed && headerOwed_.contains(path);

  QByteArray text;
  if (!existed || headerOwed)
    text = BuildArchiveHeader(separator).toLatin1() + "\r\n";
  else if (EndsInCutRow(path))
    text = "\r\n";
  text += fields.join(separator).toLatin1() + "\r\n";

  QFile file;
  if (IoStatus opened = OpenArchiveFile(path, headerOwed ? ArchiveOpen::Truncate : ArchiveOpen::Append, file);
      !opened.IsOk())
    return opened;
  const bool written = file.write(text) == text.size() && file.flush();
  const QString why = file.errorString();
  file.close();
  const bool ok = written && file.error() == QFileDevice::NoError;
  if (ok)
    headerOwed_.remove(path);
  else if (!existed || headerOwed)
    headerOwed_.insert(path);
  return ok ? IoStatus() : IoStatus::Fail(IoStatus::Code::Unwritable, path + QStringLiteral(": ") + why);
}

IoStatus AppendArchiveRow(const QString& folder, ArchiveKind kind, const QDateTime& now,
                          const QString& separator, const ArchiveValues& values) {
  return ArchiveWriter().Append(folder, kind, now, separator, values);
}
