#include "station/single_instance.h"

#include <QDir>

#ifdef Q_OS_WIN
#include <windows.h>

struct SingleInstanceGuard::Impl {
  QByteArray name;
  HANDLE handle = nullptr;
};

SingleInstanceGuard::SingleInstanceGuard(const QString& name) : impl_(std::make_unique<Impl>()) {
  impl_->name = name.toLocal8Bit();
}
SingleInstanceGuard::~SingleInstanceGuard() {
  Release();
}

bool SingleInstanceGuard::Acquire() {
  if (impl_->handle) return true;
  HANDLE h = CreateMutexA(nullptr, TRUE, impl_->name.constData());
  if (h && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(h);
    return false;
  }
  impl_->handle = h;
  return h != nullptr;
}

void SingleInstanceGuard::Release() {
  if (!impl_->handle) return;
  ReleaseMutex(impl_->handle);
  CloseHandle(impl_->handle);
  impl_->handle = nullptr;
}

QString SingleInstanceGuard::LockFilePath(const QString& name) {
  return name;
}

#else
#include <QLockFile>

struct SingleInstanceGuard::Impl {
  explicit Impl(const QString& path) : lock(path) {
    // A live holder stays valid however long it runs; only a dead holder's lock is stale.
    lock.setStaleLockTime(0);
  }
  QLockFile lock;
};

SingleInstanceGuard::SingleInstanceGuard(const QString& name)
    : impl_(std::make_unique<Impl>(LockFilePath(name))) {}
SingleInstanceGuard::~SingleInstanceGuard() {
  Release();
}

bool SingleInstanceGuard::Acquire() {
  return impl_->lock.isLocked() || impl_->lock.tryLock(0);
}

void SingleInstanceGuard::Release() {
  if (impl_->lock.isLocked()) impl_->lock.unlock();
}

QString SingleInstanceGuard::LockFilePath(const QString& name) {
  return QDir(QDir::tempPath()).filePath(name + QStringLiteral(".lock"));
}
#endif
