#pragma once

#include <QString>
#include <memory>

inline constexpr char InstanceMutexName[] = "QX_VARNOLD_Technology-mereni";

// Admits one running station per machine. Held from Acquire() until destruction or process end;
// a guard left behind by a killed process never blocks the next start.
class SingleInstanceGuard {
 public:
  explicit SingleInstanceGuard(const QString& name = QString::fromLatin1(InstanceMutexName));
  ~SingleInstanceGuard();
  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // True when this process now holds the guard; false when another live process holds it.
  bool Acquire();
  void Release();

  // Where the lock lives on platforms without named mutexes (tests plant stale locks there).
  static QString LockFilePath(const QString& name);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
