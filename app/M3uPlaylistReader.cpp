#include "M3uPlaylistReader.h"

QStringList M3uPlaylistReader::read(const QByteArray& bytes, const QString& folder) const
{
    QStringList entries;
    for (const QString& line : textLines(bytes)) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        entries.append(resolveEntry(line, folder));
    }
    return entries;
}
