#pragma once

#include <QFile>
#include <QString>

#include "io/io_status.h"

enum class ArchiveOpen { Append, Truncate };

// Opens an archive file for writing, creating it when missing, without ever blocking: only a
// regular file is opened (a FIFO or a device with the file's name would hold the writer for good).
// NotRegular for a file of another kind, Unwritable when it cannot be opened.
IoStatus OpenArchiveFile(const QString& path, ArchiveOpen mode, QFile& file);
