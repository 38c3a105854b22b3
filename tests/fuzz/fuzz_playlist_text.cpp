// The playlist text reader: any bytes give a list of entries, and writing
// that list and reading it back gives the same list. The stored playlist's
// reader, meant for checked UTF-8, also takes any bytes safely, and on
// UTF-8 agrees with Qt's own conversion; so does the strict check.
#include "app/PlaylistEntries.h"
#include "app/PlaylistText.h"
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
    if (strict && text != QString::fromUtf8(bytes))
        std::abort();
    // Strict UTF-8 is exactly what Qt's conversion gives back unchanged.
    if (strict != (QString::fromUtf8(bytes).toUtf8() == bytes))
        std::abort();
    // The entries kept as UTF-8 take any bytes safely; on UTF-8 they split as
    // decode splits and write the text that reads back the same.
    const PlaylistEntries kept = PlaylistEntries::fromUtf8Lines(bytes);
    const QStringList keptList = kept.toStringList();
    if (strict && (keptList != entries || PlaylistText::decode(kept.encoded()) != keptList))
        std::abort();
    return 0;
}
