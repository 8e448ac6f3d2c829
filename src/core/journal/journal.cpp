#include "journal/journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCryptographicHash>
#include <QMutex>
#include <QRegularExpression>

#include "archive/archive_open.h"
#include "config/station_paths.h"
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

constexpr JournalFile kFiles[] = {JournalFile::Events, JournalFile::Errors};

// Moves the entries that waited in the fallback back into the folder, in their order; what could
// not be moved stays. True when nothing is left.
bool MoveBack(const QString& folder) {
  const QString fallback = FallbackJournalFolder(folder);
  bool all = true;
  for (const JournalFile which : kFiles) {
    const QFileInfo any(JournalPath(fallback, which, QDate(2000, 1, 1)));
    const QDir dir(any.absolutePath());
    for (const QString& name : dir.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name)) {
      const QString path = dir.filePath(name);
      QList<JournalEntry> left;
      for (const JournalEntry& e : ReadJournal(fallback, which, QDate::fromString(name.left(6), QStringLiteral("yyyyMM"))))
        if (!left.isEmpty() || !AppendJournal(folder, which, e).IsOk()) left << e;
      QFile::remove(path);
      for (const JournalEntry& e : left) AppendJournal(fallback, which, e);
      all = all && left.isEmpty();
    }
  }
  return all;
}

void Write(JournalFile file, const QString& kind, int input, const QString& text, const QDateTime& at) {
  QMutexLocker locker(&Lock());
  if (Folder().isEmpty()) return;
  const JournalEntry entry{at.isValid() ? at : Clock::Now(), kind, input, text};
  // Entries of a time the folder failed (of this run or an earlier one) go back before this one.
  if (QFileInfo::exists(FallbackJournalFolder(Folder()))) MoveBack(Folder());
  if (AppendJournal(Folder(), file, entry).IsOk()) return;
  const QString fallback = FallbackJournalFolder(Folder());
  QDir().mkpath(fallback);
  AppendJournal(fallback, file, entry);
}
}  // namespace

QString FallbackJournalFolder(const QString& archiveFolder) {
  // One folder per archive folder: its entries go back to that one only.
  const QByteArray id = QCryptographicHash::hash(QDir::cleanPath(QFileInfo(archiveFolder).absoluteFilePath()).toUtf8(),
                                                 QCryptographicHash::Sha1)
                            .toHex()
                            .left(16);
  return StationStateFolder() + QStringLiteral("/journal/") + QString::fromLatin1(id);
}

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
