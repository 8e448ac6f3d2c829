#pragma once

#include <QFile>
#include <QString>

enum class ArchiveOpen { Append, Truncate };

// Opens an archive file for writing, creating it when missing, without ever blocking: only a
// regular file is opened (a FIFO or a device with the file's name would hold the writer for good).
// False when the file is no regular file or cannot be opened.
bool OpenArchiveFile(const QString& path, ArchiveOpen mode, QFile& file);
