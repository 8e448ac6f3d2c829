#include "archive/archive_prefetch.h"

ArchivePrefetcher::ArchivePrefetcher(QStringList paths, int ahead)
    : paths_(std::move(paths)), ahead_(size_t(qMax(1, ahead))), worker_([this] { Work(); }) {}

ArchivePrefetcher::~ArchivePrefetcher() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void ArchivePrefetcher::Work() {
  for (const QString& path : paths_) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stop_ || ready_.size() < ahead_; });
      if (stop_) return;
    }
    ArchiveFile file = ReadArchiveFile(path);
    {
      std::lock_guard lock(mutex_);
      ready_.emplace_back(path, std::move(file));
    }
    changed_.notify_all();
  }
}

ArchiveFile ArchivePrefetcher::Take(const QString& path, const std::function<void()>& whileWaiting) {
  const qsizetype at = paths_.indexOf(path, next_);
  if (at < 0) return ReadArchiveFile(path);  // not in the list: the folder changed meanwhile
  // Files of the list the caller no longer wants (they vanished meanwhile) are dropped unread.
  std::unique_lock lock(mutex_);
  for (; next_ <= at; ++next_) {
    // A slow file never stops the caller's events: it waits in short slices.
    while (!changed_.wait_for(lock, std::chrono::milliseconds(20), [this] { return !ready_.empty(); })) {
      if (!whileWaiting) continue;
      lock.unlock();
      whileWaiting();
      lock.lock();
    }
    if (next_ == at) {
      ArchiveFile file = std::move(ready_.front().second);
      ready_.pop_front();
      ++next_;
      lock.unlock();
      changed_.notify_all();
      return file;
    }
    ready_.pop_front();
    changed_.notify_all();
  }
  return ReadArchiveFile(path);
}
