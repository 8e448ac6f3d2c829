#include "ledger/ledger_source.h"

#include <QFileInfo>

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

ArchiveLedger BuildArchiveLedger(const AppSettings& settings, std::optional<ArchiveKind> archive,
                                 LedgerPeriod period, const QDate& first, const QDate& last, qint64 now,
                                 const LedgerReadHooks& hooks) {
  ArchiveLedger result;
  QStringList paths;
  if (archive != ArchiveKind::Slow)
    paths = ExistingFiles(settings.DatabaseDir, ArchiveKind::Fast, first, last);
  if (archive == ArchiveKind::Slow || (!archive && paths.isEmpty())) {
    result.archive = ArchiveKind::Slow;
    paths = ExistingFiles(settings.DatabaseDir, ArchiveKind::Slow, first, last);
  }
  LedgerOptions options;
  if (!LedgerOptionsOf(settings, result.archive, &options, &result.settingsProblem)) return result;
  LedgerBuilder builder(options, period, first, last, now);
  ArchivePrefetcher prefetcher(paths);
  int read = 0;
  for (const QString& path : paths) {
    const ArchiveFile file = prefetcher.Take(path, hooks.waiting);
    if (hooks.progress) hooks.progress(++read, int(paths.size()));
    if (hooks.cancelled && hooks.cancelled()) return result;
    if (!file.status.IsOk()) {
      result.rejected << file.status.text;
      continue;
    }
    for (const ArchiveRow& row : file.rows) builder.Add(row);
  }
  result.ledger = builder.Finish();
  return result;
}
