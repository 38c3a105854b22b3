// The playlist text reader: any bytes give a list of entries, and writing
// that list and reading it back gives the same list. The stored playlist's
// reader, meant for checked UTF-8, also takes any bytes safely, and on
// UTF-8 agrees with Qt's own conversion; so does the strict check. Every
// reader of playlist files ends the text at its first NUL and takes no more
// entries than it is allowed.
#include "app/M3uPlaylistReader.h"
#include "app/PlaylistEntries.h"
#include "app/PlaylistReader.h"
#include "app/PlaylistText.h"
#include "app/PlsPlaylistReader.h"
#include "platform/Utf8.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList entries = PlaylistText::decode(bytes);
    if (PlaylistText::decode(PlaylistEntries(entries).encoded()) != entries)
        std::abort();
    const QString text = fromCheckedUtf8(bytes.constData(), bytes.size());
    const bool strict = isStrictUtf8(bytes.constData(), bytes.size());
    // Qt's conversion drops a leading byte-order mark, which the text keeps.
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    if (strict && !mark && text != QString::fromUtf8(bytes))
        std::abort();
    // Strict UTF-8 is exactly what Qt's conversion gives back unchanged.
    if (!mark && strict != (QString::fromUtf8(bytes).toUtf8() == bytes))
        std::abort();
    // The entries kept as UTF-8 take any bytes safely; on UTF-8 they split as
    // decode splits and write the text that reads back the same.
    const PlaylistEntries kept = PlaylistEntries::fromUtf8Lines(bytes);
    const QStringList keptList = kept.toStringList();
    if (strict && (keptList != entries || PlaylistText::decode(kept.encoded()) != keptList))
        std::abort();
    // What the window shows of an entry takes any bytes too, and keeps to
    // its bounds.
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const QString shown = kept.shownAt(i, 2);
        if (kept.fileNameAt(i, 2).size() > 2 || (shown != kept.at(i) && shown.size() != 4))
            std::abort();
    }
    const PlaylistLimits limits{.entries = 8};
    const M3uPlaylistReader m3u;
    const PlsPlaylistReader pls;
    const QxPlaylistReader qx;
    for (const PlaylistReader* reader : {static_cast<const PlaylistReader*>(&m3u), static_cast<const PlaylistReader*>(&pls),
                                         static_cast<const PlaylistReader*>(&qx)}) {
        const PlaylistRead read = reader->read(bytes, QStringLiteral("/f"), limits);
        if (read.entries.size() > limits.entries || (read.cut && read.entries.size() < limits.entries))
            std::abort();
        for (const QString& entry : read.entries.toStringList())
            if (entry.contains(QChar(0)))
                std::abort();
    }
    return 0;
}
