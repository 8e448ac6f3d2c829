#pragma once

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "archive/archive_reader.h"

// Reads and parses a known list of archive files on worker threads (one per core, up to four), a
// few files ahead of the caller, and hands them over in list order, so that reading and parsing
// overlap with each other and with whatever the caller does with the rows.
class ArchivePrefetcher {
 public:
  // `prepare`, when given, runs on the worker for each file it has read (its index in `paths`), so
  // that work of the caller's on the rows overlaps with reading too.
  using Prepare = std::function<void(qsizetype index, const ArchiveFile& file)>;
  explicit ArchivePrefetcher(QStringList paths, int ahead = 8, Prepare prepare = {});
  ~ArchivePrefetcher();  // stops the worker and waits for it
  ArchivePrefetcher(const ArchivePrefetcher&) = delete;
  ArchivePrefetcher& operator=(const ArchivePrefetcher&) = delete;

  // The file at `path`: the prefetched one when it is the next in the list, else read now. While
  // the worker is still reading, `whileWaiting` runs every 10 ms.
  ArchiveFile Take(const QString& path, const std::function<void()>& whileWaiting = {});

 private:
  void Work();

  const QStringList paths_;
  const size_t ahead_;
  const Prepare prepare_;
  qsizetype next_ = 0;  // index of the next path the caller is expected to take
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t claimed_ = 0;                             // the next index a worker reads
  std::vector<std::optional<ArchiveFile>> ready_;  // per index, read and not yet taken
  bool stop_ = false;
  std::vector<std::thread> workers_;
};
