#include "archive/archive_open.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
IoStatus OpenArchiveFile(const QString& path, ArchiveOpen mode, QFile& file) {
  const QFileInfo info(path);
  if (info.exists() && !info.isFile())
    return IoStatus::Fail(IoStatus::Code::NotRegular, path + QStringLiteral(": not a regular file"));
  file.setFileName(path);
  if (!file.open(QIODevice::WriteOnly |
                 (mode == ArchiveOpen::Truncate ? QIODevice::Truncate : QIODevice::Append)))
    return IoStatus::Fail(IoStatus::Code::Unwritable, path + QStringLiteral(": ") + file.errorString());
  return {};
}
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

IoStatus OpenArchiveFile(const QString& path, ArchiveOpen mode, QFile& file) {
  // O_NONBLOCK: opening a FIFO without a reader fails at once instead of waiting for one.
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY |
                    (mode == ArchiveOpen::Truncate ? O_TRUNC : O_APPEND);
  const int fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
  if (fd < 0) {
    const QString why = QString::fromLocal8Bit(std::strerror(errno));
    const QFileInfo info(path);  // a FIFO without a reader refuses the open itself
    return info.exists() && !info.isFile()
               ? IoStatus::Fail(IoStatus::Code::NotRegular, path + QStringLiteral(": not a regular file"))
               : IoStatus::Fail(IoStatus::Code::Unwritable, path + QStringLiteral(": ") + why);
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return IoStatus::Fail(IoStatus::Code::NotRegular, path + QStringLiteral(": not a regular file"));
  }
  // Back to blocking writes for the regular file (a full disk is an error, not a retry).
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle))
    return IoStatus::Fail(IoStatus::Code::Unwritable, path + QStringLiteral(": ") + file.errorString());
  return {};
}
#endif
