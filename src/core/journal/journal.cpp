#include "journal/journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>

#include "archive/archive_open.h"
#include "station/clock.h"

namespace {
QMutex& Lock() {
  static QMutex mutex;
  return mutex;
}
QString& Folder() {
  static QString folder;
  return folder;
}

QString Flat(QString text) {
  for (QChar& c : text)
    if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) c = QLatin1Char(' ');
  return text;
}

// A file whose last line a crash cut off: the next entry starts on a line of its own.
bool EndsInCutLine(const QString& path) {
  QFile file(path);
  char last = '\n';
  return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) && file.size() > 0 &&
         file.seek(file.size() - 1) && file.getChar(&last) && last != '\n';
}

void Write(JournalFile file, const QString& kind, int input, const QString& text, const QDateTime& at) {
  QMutexLocker locker(&Lock());
  if (Folder().isEmpty()) return;
  AppendJournal(Folder(), file, {at.isValid() ? at : Clock::Now(), kind, input, text});
}
}  // namespace

QString JournalLine(const JournalEntry& e) {
  return Clock::IsoSeconds(e.at) + QLatin1Char('\t') + Flat(e.kind) +
         QLatin1Char('\t') + (e.input > 0 ? QString::number(e.input) : QString()) + QLatin1Char('\t') +
         Flat(e.text);
}

std::optional<JournalEntry> ParseJournalLine(const QString& line) {
  const QStringList fields = line.split(QLatin1Char('\t'));
  if (fields.size() != 4) return std::nullopt;
  JournalEntry e;
  e.at = QDateTime::fromString(fields[0], Qt::ISODate);
  bool ok = true;
  e.input = fields[2].isEmpty() ? 0 : fields[2].toInt(&ok);
  if (!e.at.isValid() || !ok || fields[1].isEmpty()) return std::nullopt;
  e.at = e.at.toLocalTime();
  e.kind = fields[1];
  e.text = fields[3];
  return e;
}

QString JournalPath(const QString& archiveFolder, JournalFile file, const QDate& month) {
  return QDir(archiveFolder).filePath(QLatin1String(file == JournalFile::Events ? "Events" : "Errors")) +
         QLatin1Char('/') + month.toString(QStringLiteral("yyyyMM")) + QStringLiteral(".log");
}

IoStatus AppendJournal(const QString& archiveFolder, JournalFile which, const JournalEntry& entry) {
  const QString path = JournalPath(archiveFolder, which, entry.at.toLocalTime().date());
  if (!QFileInfo::exists(archiveFolder)) QDir().mkdir(archiveFolder);  // the last level only, as the archive
  QDir().mkdir(QFileInfo(path).absolutePath());
  QByteArray text = JournalLine(entry).toUtf8() + "\r\n";
  if (EndsInCutLine(path)) text.prepend("\r\n");
  QFile file;
  if (IoStatus opened = OpenArchiveFile(path, ArchiveOpen::Append, file); !opened.IsOk()) return opened;
  const bool ok = file.write(text) == text.size() && file.flush();
  const QString why = file.errorString();
  file.close();
  return ok ? IoStatus() : IoStatus::Fail(IoStatus::Code::Unwritable, path + QStringLiteral(": ") + why);
}

QList<JournalEntry> ReadJournal(const QString& archiveFolder, JournalFile which, const QDate& month) {
  QFile file(JournalPath(archiveFolder, which, month));
  QList<JournalEntry> entries;
  if (!QFileInfo(file.fileName()).isFile() || !file.open(QIODevice::ReadOnly)) return entries;
  for (const QByteArray& line : file.readAll().split('\n'))
    if (const auto entry = ParseJournalLine(QString::fromUtf8(line).remove(QLatin1Char('\r'))))
      entries << *entry;
  return entries;
}

void SetJournalFolder(const QString& archiveFolder) {
  QMutexLocker locker(&Lock());
  Folder() = archiveFolder;
}

void JournalEvent(const QString& kind, int input, const QString& text, const QDateTime& at) {
  Write(JournalFile::Events, kind, input, text, at);
}

void JournalError(const QString& text) {
  Write(JournalFile::Errors, QLatin1String(JournalKind::kError), 0, text, {});
}
