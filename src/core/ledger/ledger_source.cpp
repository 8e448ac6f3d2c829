#include "ledger/ledger_source.h"

#include <QFileInfo>
#include <algorithm>

#include "archive/archive_prefetch.h"

namespace {
QStringList ExistingFiles(const QString& folder, ArchiveKind archive, const QDate& first, const QDate& last) {
  QStringList paths;
  for (QDate day = first; day <= last; day = day.addDays(1))
    for (int hour = 0; hour < (archive == ArchiveKind::Fast ? 24 : 1); ++hour)
      if (const QString path = ArchivePath(folder, ArchiveFileName(archive, day, hour));
          QFileInfo::exists(path))
        paths << path;
  return paths;
}
}  // namespace

LedgerRows ReadLedgerRows(const QString& folder, std::optional<ArchiveKind> archive, const QDate& first,
                          const QDate& last, const LedgerReadHooks& hooks) {
  LedgerRows result;
  QStringList paths;
  if (archive != ArchiveKind::Slow) paths = ExistingFiles(folder, ArchiveKind::Fast, first, last);
  if (archive == ArchiveKind::Slow || (!archive && paths.isEmpty())) {
    result.archive = ArchiveKind::Slow;
    paths = ExistingFiles(folder, ArchiveKind::Slow, first, last);
  }
  ArchivePrefetcher prefetcher(paths);
  int read = 0;
  for (const QString& path : paths) {
    ArchiveFile file = prefetcher.Take(path, hooks.waiting);
    if (hooks.progress) hooks.progress(++read, int(paths.size()));
    if (hooks.cancelled && hooks.cancelled()) {
      result.cancelled = true;
      return result;
    }
    if (!file.status.IsOk()) {
      result.rejected << file.status.text;
      continue;
    }
    result.rows.insert(result.rows.end(), file.rows.begin(), file.rows.end());
  }
  // Files follow each other in time; a row out of place (a clock set back) is put where it belongs.
  auto byTime = [](const ArchiveRow& a, const ArchiveRow& b) { return a.key < b.key; };
  if (!std::is_sorted(result.rows.begin(), result.rows.end(), byTime))
    std::stable_sort(result.rows.begin(), result.rows.end(), byTime);
  return result;
}
