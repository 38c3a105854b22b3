#pragma once
// Readers of the small text files the system describes itself in. The
// texts are untrusted: any content gives an answer or nothing, never more
// than the text holds.
#include "SystemQueries.h"

#include <QByteArray>
#include <QString>

namespace SystemTextFiles {

// Text files of the system are small; a larger one is read only this far.
constexpr qint64 kMaxTextFile = 1 << 20;
QByteArray read(const QString& path);

// /proc/meminfo: MemTotal and MemAvailable are needed; the virtual figures
// are the commit limit and what is left of it.
std::optional<MemoryFigures> parseMeminfo(const QByteArray& text);

// The first "key: value" line of the text's first block (/proc/cpuinfo).
QString colonField(const QByteArray& text, const QString& key);

// KEY=value of os-release, quotes and backslash escapes removed.
QString osReleaseField(const QByteArray& text, const QByteArray& key);

// XDG_<NAME>_DIR of user-dirs.dirs with $HOME expanded; empty when unset or
// set to the home folder itself (the convention for a switched-off folder).
QString userDirectory(const QByteArray& text, const QByteArray& name, const QString& home);

// The Exec line of a desktop entry's [Desktop Entry] group.
QString desktopEntryExec(const QByteArray& text);

}  // namespace SystemTextFiles
