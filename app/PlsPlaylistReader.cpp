#include "PlsPlaylistReader.h"

#include <map>

void PlsPlaylistReader::collect(const QByteArray& bytes, const QString& folder, PlaylistRead& out) const
{
    // Numbered keys may come in any order and with gaps; a number given
    // twice keeps its last value. A full list takes no new numbers.
    std::map<qint64, QString> files;
    bool inPlaylist = false;
    TextLines lines(bytes);
    for (QString line; lines.next(line);) {
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
        if (!ok || value.isEmpty())
            continue;
        if (qsizetype(files.size()) >= out.maxEntries && !files.contains(number)) {
            out.cut = true;
            break;
        }
        files[number] = resolveEntry(value, folder);
    }
    for (const auto& [number, entry] : files)
        out.add(entry);
}
