#pragma once

#include <QString>
#include <unordered_map>

#include "archive/archive_writer.h"
#include "io/io_status.h"
#include "ledger/ledger.h"

// Summaries of archive files kept between ledger reads, so that opening a range again reads only
// the files written since. One cache file per archive folder, archive and the options the sums
// depend on (the time zone included), in the user's cache folder. A cache that cannot be read or
// written only costs time: it reads as empty, and a failed save changes nothing.
class LedgerCache {
 public:
  LedgerCache(const QString& archiveFolder, ArchiveKind archive, const LedgerOptions& options);

  // The summary of the file `index` of `files` (the files of this read, in order) when one was kept
  // for the same file, with the same files after it as far as its leakage windows reached, and no
  // row after `now`.
  const LedgerFileSummary* Usable(const QList<LedgerFileKey>& files, qsizetype index, qint64 now) const;
  void Put(LedgerFileSummary summary);
  IoStatus Save();  // when something was put

  QString Path() const { return path_; }

 private:
  void Load();

  QString path_;  // empty: no cache folder on this system
  // Node-based: the summaries handed out by Usable stay where they are while others are put.
  std::unordered_map<QString, LedgerFileSummary> entries_;
  bool changed_ = false;
};

// "kestrilon4" in the platform's cache folder (~/.cache/kestrilon4, XDG_CACHE_HOME honoured).
QString LedgerCacheFolder();
