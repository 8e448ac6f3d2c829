#pragma once

#include <QDate>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"

// The rows of the archive files of [first 0:00, the day after last 0:00) as the from-to chart
// reads them: every file once, in real-time order. A file the reader rejects is left out whole.
struct LedgerRows {
  ArchiveKind archive = ArchiveKind::Fast;
  std::vector<ArchiveRow> rows;
  QStringList rejected;  // "<file>: <why>" for each file left out
  bool cancelled = false;
};

// Long reads report and can stop: `waiting` every 10 ms while a file is read, `progress` after
// each file, `cancelled` asked after each file.
struct LedgerReadHooks {
  std::function<void()> waiting;
  std::function<void(int read, int total)> progress;
  std::function<bool()> cancelled;
};

// The fast archive unless `archive` asks for the slow one or the range holds no fast file.
LedgerRows ReadLedgerRows(const QString& folder, std::optional<ArchiveKind> archive, const QDate& first,
                          const QDate& last, const LedgerReadHooks& hooks = {});
