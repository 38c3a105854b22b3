#include "PlaylistReader.h"
#include "M3uPlaylistReader.h"
#include "NamedFiles.h"
#include "PlsPlaylistReader.h"
#include "Playlist.h"
#include "PlaylistText.h"
#include "platform/Utf8.h"
#include "platform/Windows1251.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

std::unique_ptr<PlaylistReader> PlaylistReader::forFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"m3u" || suffix == u"m3u8")
        return std::make_unique<M3uPlaylistReader>();
    if (suffix == u"pls")
        return std::make_unique<PlsPlaylistReader>();
    return std::make_unique<QxPlaylistReader>();
}

QStringList PlaylistReader::textLines(const QByteArray& bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    const QString text = isStrictUtf8(data.constData(), data.size()) ? QString::fromUtf8(data)
                                                                      : fromWindows1251(data.constData(), data.size());
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (QString& line : lines)
        line = line.trimmed();
    return lines;
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

QStringList QxPlaylistReader::read(const QByteArray& bytes, const QString&) const
{
    return PlaylistText::decode(bytes);
}
