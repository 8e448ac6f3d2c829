#include "archive/archive_prefetch.h"

#include <algorithm>

ArchivePrefetcher::ArchivePrefetcher(QStringList paths, int ahead, Prepare prepare)
    : paths_(std::move(paths)), ahead_(size_t(qMax(1, ahead))), prepare_(std::move(prepare)),
      ready_(size_t(paths_.size())) {
  const size_t cores = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
  const size_t count = std::min(cores, size_t(paths_.size()));
  for (size_t i = 0; i < count; ++i) workers_.emplace_back([this] { Work(); });
}

ArchivePrefetcher::~ArchivePrefetcher() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void ArchivePrefetcher::Work() {
  for (;;) {
    size_t index = 0;
    {
      std::unique_lock lock(mutex_);
      // No further than `ahead` files beyond the one the caller waits for.
      changed_.wait(lock, [this] {
        return stop_ || claimed_ >= ready_.size() || claimed_ < size_t(next_) + ahead_;
      });
      if (stop_ || claimed_ >= ready_.size()) return;
      index = claimed_++;
    }
    ArchiveFile file = ReadArchiveFile(paths_[qsizetype(index)]);
    if (prepare_) prepare_(qsizetype(index), file);
    {
      std::lock_guard lock(mutex_);
      ready_[index] = std::move(file);
    }
    changed_.notify_all();
  }
}

ArchiveFile ArchivePrefetcher::Take(const QString& path, const std::function<void()>& whileWaiting) {
  const qsizetype at = paths_.indexOf(path, next_);
  if (at < 0) return ReadArchiveFile(path);  // not in the list: the folder changed meanwhile
  // Files of the list the caller no longer wants (they vanished meanwhile) are dropped.
  std::unique_lock lock(mutex_);
  for (; next_ <= at; ++next_) {
    std::optional<ArchiveFile>& slot = ready_[size_t(next_)];
    // A slow file never stops the caller's events: it waits in short slices.
    while (!changed_.wait_for(lock, std::chrono::milliseconds(10), [&slot] { return slot.has_value(); })) {
      if (!whileWaiting) continue;
      lock.unlock();
      whileWaiting();
      lock.lock();
    }
    if (next_ == at) {
      ArchiveFile file = std::move(*slot);
      slot.reset();
      ++next_;
      lock.unlock();
      changed_.notify_all();
      return file;
    }
    slot.reset();
    changed_.notify_all();
  }
  return ReadArchiveFile(path);
}
