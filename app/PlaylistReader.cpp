#include "PlaylistReader.h"
#include "M3uPlaylistReader.h"
#include "NamedFiles.h"
#include "PlsPlaylistReader.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool PlaylistRead::add(const QString& entry)
{
    if (entries.size() >= maxEntries) {
        cut = true;
        return false;
    }
    entries.append(entry);
    return true;
}

PlaylistRead PlaylistReader::read(const QByteArray& bytes, const QString& folder, const PlaylistLimits& limits) const
{
    PlaylistRead out;
    out.maxEntries = limits.entries;
    collect(bytes, folder, out);
    return out;
}

std::unique_ptr<PlaylistReader> PlaylistReader::forFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"m3u" || suffix == u"m3u8")
        return std::make_unique<M3uPlaylistReader>();
    if (suffix == u"pls")
        return std::make_unique<PlsPlaylistReader>();
    return std::make_unique<QxPlaylistReader>();
}

bool PlaylistReader::isPlaylistFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"qx" || suffix == u"m3u" || suffix == u"m3u8" || suffix == u"pls";
}

PlaylistReader::TextLines::TextLines(const QByteArray& bytes)
    : text_(bytes.startsWith("\xEF\xBB\xBF") ? QByteArray::fromRawData(bytes.constData() + 3, bytes.size() - 3) : bytes),
      lines_(text_)
{
}

bool PlaylistReader::TextLines::next(QString& line)
{
    if (!lines_.next(line))
        return false;
    line = line.trimmed();
    return true;
}

QString PlaylistReader::resolveEntry(const QString& entry, const QString& folder)
{
    if (const QString path = filePathFromUri(entry); !path.isEmpty())
        return path;
    // Any other scheme ("http://…") is kept as written.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    if (entry.startsWith(u'/') || scheme.match(entry).hasMatch())
        return entry;
    // A drive path of a list written on another system cannot be resolved here.
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    if (drive.match(entry).hasMatch())
        return entry;
    QString relative = entry;
    relative.replace(u'\\', u'/');
    return QDir::cleanPath(QDir(folder).absoluteFilePath(relative));
}

void QxPlaylistReader::collect(const QByteArray& bytes, const QString&, PlaylistRead& out) const
{
    PlaylistText::Lines lines(bytes);
    QString line;
    while (lines.next(line) && out.add(line)) {
    }
}

namespace {

// The bytes of a playlist file up to its first NUL, at most limit + 1 of them
// (one more tells that the file is longer).
QByteArray readTextBytes(const QString& path, qsizetype limit)
{
    const auto cannotOpen = [&] {
        return EFOpenError(Exception::format(QStringLiteral("Cannot open file %s"), path));
    };
    // Only a regular file (links followed) is read: opening a named pipe or a
    // device would block until another program writes to it. Opened without
    // blocking and checked on the open handle, so nothing can be swapped in
    // between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw cannotOpen();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw cannotOpen();
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw cannotOpen();
    }
    // The text ends at its first NUL: reading stops there, so a large binary
    // file chosen by mistake is not read whole.
    constexpr qsizetype chunk = 1 << 20;
    QByteArray bytes;
    bytes.reserve(std::min<qsizetype>(qsizetype(st.st_size), limit) + 1);
    while (bytes.size() <= limit) {
        const qsizetype old = bytes.size();
        const qsizetype want = std::min(chunk, limit + 1 - old);
        bytes.resize(old + want);
        const qint64 got = file.read(bytes.data() + old, want);
        if (got < 0)
            throw cannotOpen();
        bytes.resize(old + qsizetype(got));
        if (got == 0)
            break;
        if (const void* nul = std::memchr(bytes.constData() + old, '\0', size_t(got))) {
            bytes.truncate(static_cast<const char*>(nul) - bytes.constData());
            break;
        }
    }
    return bytes;
}

}  // namespace

PlaylistRead readPlaylistFile(const QString& path, const PlaylistLimits& limits)
{
    QByteArray bytes = readTextBytes(path, limits.fileBytes);
    const bool tooLong = bytes.size() > limits.fileBytes;
    if (tooLong)
        bytes.truncate(limits.fileBytes);
    if (const qsizetype line = PlaylistText::firstLineLongerThan(bytes, limits.lineBytes))
        throw EFOpenError(QStringLiteral("Плей-лист не загружен:\r%1\rСтрока %2 длиннее %3 байт: это не путь к файлу.")
                                 .arg(path)
                                 .arg(line)
                                 .arg(limits.lineBytes));
    // Only whole lines are taken: the one the limit cuts is left out.
    if (tooLong)
        bytes.truncate(std::max(bytes.lastIndexOf('\r'), bytes.lastIndexOf('\n')) + 1);
    PlaylistRead read = PlaylistReader::forFile(path)->read(bytes, QFileInfo(path).absolutePath(), limits);
    read.cut = read.cut || tooLong;
    return read;
}

QString playlistCutMessage(const QString& path, qsizetype entries)
{
    return QStringLiteral("Плей-лист загружен не весь:\r%1\rЗагружены первые %2 файл(ов): больше за один раз не "
                          "загружается.")
        .arg(path)
        .arg(entries);
}
