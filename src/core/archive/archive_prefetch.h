#pragma once

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "archive/archive_reader.h"

// Reads and parses a known list of archive files in order on a worker thread, a few files ahead
// of the caller, so that reading overlaps with whatever the caller does with the rows.
class ArchivePrefetcher {
 public:
  explicit ArchivePrefetcher(QStringList paths, int ahead = 8);
  ~ArchivePrefetcher();  // stops the worker and waits for it
  ArchivePrefetcher(const ArchivePrefetcher&) = delete;
  ArchivePrefetcher& operator=(const ArchivePrefetcher&) = delete;

  // The file at `path`: the prefetched one when it is the next in the list, else read now. While
  // the worker is still reading, `whileWaiting` runs every 20 ms.
  ArchiveFile Take(const QString& path, const std::function<void()>& whileWaiting = {});

 private:
  void Work();

  const QStringList paths_;
  const size_t ahead_;
  qsizetype next_ = 0;  // index of the next path the caller is expected to take
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<QString, ArchiveFile>> ready_;
  bool stop_ = false;
  std::thread worker_;
};
