#include "PlsPlaylistReader.h"

#include <map>

QStringList PlsPlaylistReader::read(const QByteArray& bytes, const QString& folder) const
{
    // Numbered keys may come in any order and with gaps; a number given
    // twice keeps its last value.
    std::map<qint64, QString> files;
    bool inPlaylist = false;
    for (const QString& line : textLines(bytes)) {
        if (line.startsWith(u'[')) {
            inPlaylist = line.compare(QStringLiteral("[playlist]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inPlaylist || !line.startsWith(QStringLiteral("file"), Qt::CaseInsensitive))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        bool ok = false;
        const qint64 number = line.mid(4, eq - 4).trimmed().toLongLong(&ok);
        const QString value = line.mid(eq + 1).trimmed();
        if (ok && !value.isEmpty())
            files[number] = resolveEntry(value, folder);
    }
    QStringList entries;
    for (const auto& [number, entry] : files)
        entries.append(entry);
    return entries;
}
