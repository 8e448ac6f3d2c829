#pragma once

#include <QString>
#include <memory>

inline constexpr char InstanceMutexName[] = "QX_VARNOLD_Technology-mereni";

// Admits one running station per machine, keyed by the name alone: Windows' named mutex, Linux's
// abstract-namespace socket (never a file in a temporary folder, which TMPDIR or a service's
// private /tmp would make per process). Held from Acquire() until destruction or process end; a
// killed holder's guard never blocks the next start.
class SingleInstanceGuard {
 public:
  explicit SingleInstanceGuard(const QString& name = QString::fromLatin1(InstanceMutexName));
  ~SingleInstanceGuard();
  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // True when this process now holds the guard; false when another live process holds it.
  bool Acquire();
  void Release();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
