#include "M3uPlaylistReader.h"

void M3uPlaylistReader::collect(const QByteArray& bytes, const QString& folder, PlaylistRead& out) const
{
    TextLines lines(bytes);
    for (QString line; lines.next(line);) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (!out.add(resolveEntry(line, folder)))
            break;
    }
}
