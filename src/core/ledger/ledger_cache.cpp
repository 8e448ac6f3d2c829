#include "ledger/ledger_cache.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimeZone>

namespace {
// Raised whenever the summaries or the way they are made change: an old cache is then not read.
constexpr quint32 kFormat = 1;
constexpr char kMagic[] = "K4LEDGER";

// The options a summary depends on (price and currency only change how it is shown).
QByteArray Digest(const QString& folder, ArchiveKind archive, const LedgerOptions& o) {
  QByteArray text;
  QDataStream out(&text, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << kFormat << QDir(folder).absolutePath() << int(archive) << QTimeZone::systemTimeZoneId();
  for (bool active : o.active) out << active;
  out << o.perSecond.has_value() << o.perSecond.value_or(0) << o.gap;
  out << o.dewPointLimit.has_value() << o.dewPointLimit.value_or(0);
  out << o.shiftStarts << o.productionDays << o.productionHours.first << o.productionHours.second;
  return QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex();
}

QDataStream& operator<<(QDataStream& out, const LedgerFileKey& key) {
  return out << key.name << key.size << key.modified;
}
QDataStream& operator>>(QDataStream& in, LedgerFileKey& key) {
  return in >> key.name >> key.size >> key.modified;
}

QDataStream& operator<<(QDataStream& out, const std::optional<ArchiveRow>& row) {
  out << row.has_value();
  if (row) {
    out << row->key << qint32(row->timeOfDay);
    for (double v : row->values) out << v;
  }
  return out;
}
QDataStream& operator>>(QDataStream& in, std::optional<ArchiveRow>& row) {
  bool present = false;
  in >> present;
  row.reset();
  if (!present) return in;
  ArchiveRow r;
  qint32 timeOfDay = 0;
  in >> r.key >> timeOfDay;
  r.timeOfDay = timeOfDay;
  for (double& v : r.values) in >> v;
  row = r;
  return in;
}

QDataStream& operator<<(QDataStream& out, const LedgerLine& grain) {
  out << grain.span.begin << grain.span.end << grain.consumption << grain.covered << grain.dewPointAbove
      << grain.dewPointMax.has_value() << grain.dewPointMax.value_or(0);
  for (const InputStatistics& s : grain.statistics) out << s.min << s.max << s.sum << s.count;
  return out;
}
QDataStream& operator>>(QDataStream& in, LedgerLine& grain) {
  bool hasMax = false;
  double max = 0;
  in >> grain.span.begin >> grain.span.end >> grain.consumption >> grain.covered >> grain.dewPointAbove >>
      hasMax >> max;
  if (hasMax) grain.dewPointMax = max;
  for (InputStatistics& s : grain.statistics) in >> s.min >> s.max >> s.sum >> s.count;
  return in;
}

// A count read from the cache, refused when the rest of the file could not hold that many items
// of at least `itemBytes` each (a damaged file never makes us allocate gigabytes).
bool ReadCount(QDataStream& in, qint64 itemBytes, quint32* count) {
  in >> *count;
  const qint64 left = in.device()->bytesAvailable();
  if (in.status() != QDataStream::Ok || qint64(*count) * itemBytes > left) {
    in.setStatus(QDataStream::ReadCorruptData);
    return false;
  }
  return true;
}

template <typename T>
bool ReadList(QDataStream& in, qint64 itemBytes, QList<T>* list) {
  quint32 count = 0;
  if (!ReadCount(in, itemBytes, &count)) return false;
  list->clear();
  list->reserve(count);
  for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
    T item;
    in >> item;
    list->append(item);
  }
  return in.status() == QDataStream::Ok;
}

bool ReadSummary(QDataStream& in, LedgerFileSummary* s) {
  in >> s->file >> s->first >> s->last >> s->open;
  return ReadList(in, 8, &s->grains) && ReadList(in, 16, &s->baselines) && ReadList(in, 20, &s->consulted);
}

void WriteSummary(QDataStream& out, const LedgerFileSummary& s) {
  out << s.file << s.first << s.last << s.open;
  out << quint32(s.grains.size());
  for (const LedgerLine& grain : s.grains) out << grain;
  out << quint32(s.baselines.size());
  for (const auto& [day, mean] : s.baselines) out << day << mean;
  out << quint32(s.consulted.size());
  for (const LedgerFileKey& key : s.consulted) out << key;
}
}  // namespace

QString LedgerCacheFolder() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  return base.isEmpty() ? QString() : base + QStringLiteral("/kestrilon4");
}

LedgerCache::LedgerCache(const QString& archiveFolder, ArchiveKind archive, const LedgerOptions& options) {
  if (const QString folder = LedgerCacheFolder(); !folder.isEmpty())
    path_ = folder + QStringLiteral("/ledger-") + QString::fromLatin1(Digest(archiveFolder, archive, options)) +
            QStringLiteral(".cache");
  Load();
}

void LedgerCache::Load() {
  QFile file(path_);
  if (path_.isEmpty() || !file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.readAll();  // at once: a stream on the file reads in small pieces
  QDataStream in(bytes);
  in.setVersion(QDataStream::Qt_6_0);
  QByteArray magic(sizeof kMagic - 1, '\0');
  quint32 format = 0;
  if (in.readRawData(magic.data(), int(magic.size())) != magic.size() || magic != kMagic) return;
  in >> format;
  quint32 count = 0;
  if (format != kFormat || !ReadCount(in, 20, &count)) return;
  for (quint32 i = 0; i < count; ++i) {
    LedgerFileSummary summary;
    if (!ReadSummary(in, &summary)) {
      entries_.clear();  // damaged: as if there were none
      return;
    }
    const QString name = summary.file.name;
    entries_.emplace(name, std::move(summary));
  }
}

const LedgerFileSummary* LedgerCache::Usable(const QList<LedgerFileKey>& files, qsizetype index,
                                             qint64 now) const {
  const auto found = entries_.find(files[index].name);
  if (found == entries_.cend()) return nullptr;
  const LedgerFileSummary& s = found->second;
  const qsizetype after = files.size() - 1 - index;
  if (!(s.file == files[index]) || s.consulted.size() > after || (s.open && s.consulted.size() != after) ||
      (s.last && s.last->key > double(now)))
    return nullptr;
  for (qsizetype k = 0; k < s.consulted.size(); ++k)
    if (!(s.consulted[k] == files[index + 1 + k])) return nullptr;
  return &s;
}

void LedgerCache::Put(LedgerFileSummary summary) {
  const QString name = summary.file.name;
  entries_.insert_or_assign(name, std::move(summary));
  changed_ = true;
}

IoStatus LedgerCache::Save() {
  if (!changed_ || path_.isEmpty()) return {};
  QDir().mkpath(QFileInfo(path_).absolutePath());
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return IoStatus::Fail(IoStatus::Code::Unwritable, file.errorString());
  QDataStream out(&file);
  out.setVersion(QDataStream::Qt_6_0);
  out.writeRawData(kMagic, int(sizeof kMagic - 1));
  out << kFormat << quint32(entries_.size());
  for (const auto& [name, summary] : entries_) WriteSummary(out, summary);
  if (out.status() != QDataStream::Ok || !file.commit())
    return IoStatus::Fail(IoStatus::Code::Unwritable, file.errorString());
  changed_ = false;
  return {};
}
