#include "station/single_instance.h"

#include <QDir>
#include <algorithm>
#include <cstddef>

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

#elif defined(Q_OS_LINUX)
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// A socket bound to the name in the abstract namespace: one per machine (network namespace),
// whatever the user, TMPDIR or mount namespace, and released by the kernel when the holder dies.
struct SingleInstanceGuard::Impl {
  QByteArray name;
  int socket = -1;
};

SingleInstanceGuard::SingleInstanceGuard(const QString& name) : impl_(std::make_unique<Impl>()) {
  impl_->name = name.toLocal8Bit();
}
SingleInstanceGuard::~SingleInstanceGuard() {
  Release();
}

bool SingleInstanceGuard::Acquire() {
  if (impl_->socket >= 0) return true;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // sun_path[0] stays 0: the abstract namespace, no file anywhere.
  const size_t length = std::min(size_t(impl_->name.size()), sizeof(address.sun_path) - 1);
  std::memcpy(address.sun_path + 1, impl_->name.constData(), length);
  const auto size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + length);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
    ::close(fd);
    return false;  // EADDRINUSE: a live station holds it
  }
  impl_->socket = fd;
  return true;
}

void SingleInstanceGuard::Release() {
  if (impl_->socket < 0) return;
  ::close(impl_->socket);
  impl_->socket = -1;
}

#else
#include <QLockFile>

namespace {
// Other systems: a lock file in the machine's /tmp, never TMPDIR's folder.
QString LockFilePath(const QString& name) {
  return QDir(QStringLiteral("/tmp")).filePath(name + QStringLiteral(".lock"));
}
}  // namespace

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
#endif
