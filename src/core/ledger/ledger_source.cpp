#include "ledger/ledger_source.h"

#include <filesystem>

#include "archive/archive_prefetch.h"
#include "ledger/ledger_cache.h"

namespace {
struct ArchiveFiles {
  QStringList paths;
  QList<LedgerFileKey> keys;
  QStringList missing;  // names of files whose time has begun, not found
};

ArchiveFiles ExistingFiles(const QString& folder, ArchiveKind archive, const QDate& first, const QDate& last,
                           qint64 now) {
  ArchiveFiles files;
  for (QDate day = first; day <= last; day = day.addDays(1))
    for (int hour = 0; hour < (archive == ArchiveKind::Fast ? 24 : 1); ++hour) {
      const QString name = ArchiveFileName(archive, day, hour);
      const QString path = ArchivePath(folder, name);
      // std::filesystem: QFileInfo's times pass through the local time zone, a lookup per file.
      const std::filesystem::path native(path.toStdU16String());
      std::error_code error;
      const auto modified = std::filesystem::last_write_time(native, error);
      if (error) {
        // The hour spring skips has no file to miss.
        const QDateTime begins(day, QTime(hour, 0));
        if (begins.time().hour() == hour && begins.toSecsSinceEpoch() < now) files.missing << name;
        continue;
      }
      const auto size = std::filesystem::file_size(native, error);
      files.paths << path;
      files.keys << LedgerFileKey{name, error ? -1 : qint64(size), qint64(modified.time_since_epoch().count())};
    }
  return files;
}
}  // namespace

ArchiveLedger BuildArchiveLedger(const AppSettings& settings, std::optional<ArchiveKind> archive,
                                 LedgerPeriod period, const QDate& first, const QDate& last, qint64 now,
                                 const LedgerReadHooks& hooks) {
  ArchiveLedger result;
  // Every hour of the range is laid out before a file is read: ten thousand years would not fit.
  constexpr qint64 kLongestRangeDays = 100 * 366;
  if (first.daysTo(last) > kLongestRangeDays) {
    result.settingsProblem = QStringLiteral("the range is longer than 100 years");
    return result;
  }
  ArchiveFiles files;
  if (archive != ArchiveKind::Slow) files = ExistingFiles(settings.DatabaseDir, ArchiveKind::Fast, first, last, now);
  if (archive == ArchiveKind::Slow || (!archive && files.paths.isEmpty())) {
    result.archive = ArchiveKind::Slow;
    files = ExistingFiles(settings.DatabaseDir, ArchiveKind::Slow, first, last, now);
  }
  result.missing = files.missing;
  LedgerOptions options;
  if (!LedgerOptionsOf(settings, result.archive, &options, &result.settingsProblem)) return result;
  LedgerBuilder builder(options, period, first, last, now);
  LedgerCache cache(settings.DatabaseDir, result.archive, options);
  const qsizetype count = files.paths.size();
  std::vector<const LedgerFileSummary*> kept(size_t(count), nullptr);
  for (qsizetype i = 0; i < count; ++i) kept[size_t(i)] = cache.Usable(files.keys, i, now);
  // The files to read: those without a summary, and the two after each (the leakage windows of a
  // file read need their rows).
  QStringList toRead;
  std::vector<qsizetype> readAt(size_t(count), -1);  // a file's place in toRead
  for (qsizetype i = 0; i < count; ++i)
    if (!kept[size_t(i)] || (i > 0 && !kept[size_t(i - 1)]) || (i > 1 && !kept[size_t(i - 2)])) {
      readAt[size_t(i)] = toRead.size();
      toRead << files.paths[i];
    }
  // The readers also sum each file's grains: that work overlaps with the reading and the windows.
  std::vector<std::optional<LedgerBuilder::FileGrains>> sums(size_t(toRead.size()));
  ArchivePrefetcher prefetcher(toRead, 32, [&](qsizetype index, const ArchiveFile& file) {
    if (file.status.IsOk()) sums[size_t(index)] = builder.SumFile(file.rows);
  });
  const auto keepFinished = [&] {
    for (LedgerFileSummary& summary : builder.TakeFinished())
      if (summary.cacheable) cache.Put(std::move(summary));
  };
  for (qsizetype i = 0; i < count; ++i) {
    if (kept[size_t(i)]) {
      if (builder.WaitingForRows()) {  // the windows of the file before end in its rows
        const ArchiveFile file = prefetcher.Take(files.paths[i], hooks.waiting);
        builder.AddSummary(*kept[size_t(i)], file.status.IsOk() ? file.rows : std::vector<ArchiveRow>{});
        ++result.filesRead;
      } else {
        builder.AddSummary(*kept[size_t(i)]);
      }
      ++result.filesSummed;
    } else {
      const ArchiveFile file = prefetcher.Take(files.paths[i], hooks.waiting);
      builder.BeginFile(files.keys[i]);
      if (file.status.IsOk()) {
        std::optional<LedgerBuilder::FileGrains>& summed = sums[size_t(readAt[size_t(i)])];
        builder.AddFile(file.rows, summed ? std::move(*summed) : builder.SumFile(file.rows));
      } else
        result.rejected << file.status.text;
      builder.EndFile(file.status.IsOk());
      ++result.filesRead;
    }
    keepFinished();
    if (hooks.progress) hooks.progress(int(i + 1), int(count));
    if (hooks.cancelled && hooks.cancelled()) {
      cache.Save();
      return result;
    }
  }
  result.ledger = builder.Finish();
  keepFinished();
  cache.Save();
  return result;
}
