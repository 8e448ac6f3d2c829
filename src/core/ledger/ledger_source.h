#pragma once

#include <QDate>
#include <QStringList>
#include <functional>
#include <optional>

#include "archive/archive_writer.h"
#include "ledger/ledger.h"

// The ledger of the archive files of [first 0:00, the day after last 0:00), read as the from-to
// chart reads them: every file once, in time order, handed file by file to the builder. A file the
// reader rejects is left out whole and its time is missing time. A file whose summary the ledger
// cache kept from an earlier read is not read again.
struct ArchiveLedger {
  std::optional<Ledger> ledger;  // none when cancelled or when the settings do not read
  ArchiveKind archive = ArchiveKind::Fast;
  QStringList rejected;     // "<file>, line n: <why>" for each file left out
  QString settingsProblem;  // a ledger setting that does not read, or a range over 100 years
  QStringList missing;      // the archive's files of the range whose time has begun, not found
  int filesRead = 0;        // files read row by row
  int filesSummed = 0;      // files taken from the summaries of an earlier read
};

// Long reads report and can stop: `waiting` every 10 ms while a file is read, `progress` after
// each file, `cancelled` asked after each file.
struct LedgerReadHooks {
  std::function<void()> waiting;
  std::function<void(int read, int total)> progress;
  std::function<bool()> cancelled;
};

// The fast archive unless `archive` asks for the slow one or the range holds no fast file; the
// options from the settings for that archive.
ArchiveLedger BuildArchiveLedger(const AppSettings& settings, std::optional<ArchiveKind> archive,
                                 LedgerPeriod period, const QDate& first, const QDate& last, qint64 now,
                                 const LedgerReadHooks& hooks = {});
