#pragma once
// Reading a whole small file that anyone may have placed: only a regular
// file is read (a named pipe would block the reader for ever), only when it
// is no larger than the caller can hold, and without a zero-filled buffer.
#include <QByteArray>

#include <optional>

// name is opened relative to the open folder folderFd (AT_FDCWD: the current
// folder, or an absolute name); with followLinks off, a name that is a
// symbolic link is refused.
std::optional<QByteArray> readRegularFile(int folderFd, const QByteArray& name, qint64 maxBytes, bool followLinks);
