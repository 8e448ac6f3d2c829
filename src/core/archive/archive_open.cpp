#include "archive/archive_open.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
bool OpenArchiveFile(const QString& path, ArchiveOpen mode, QFile& file) {
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) return false;
  file.setFileName(path);
  return file.open(QIODevice::WriteOnly | (mode == ArchiveOpen::Truncate ? QIODevice::Truncate : QIODevice::Append));
}
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool OpenArchiveFile(const QString& path, ArchiveOpen mode, QFile& file) {
  // O_NONBLOCK: opening a FIFO without a reader fails at once instead of waiting for one.
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY |
                    (mode == ArchiveOpen::Truncate ? O_TRUNC : O_APPEND);
  const int fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
  if (fd < 0) return false;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return false;
  }
  // Back to blocking writes for the regular file (a full disk is an error, not a retry).
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return file.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle);
}
#endif
