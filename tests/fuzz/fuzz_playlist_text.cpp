// The playlist text reader: any bytes give a list of entries, and writing
// that list and reading it back gives the same list.
#include "app/PlaylistText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList entries = PlaylistText::decode(bytes);
    if (PlaylistText::decode(PlaylistText::encode(entries)) != entries)
        std::abort();
    return 0;
}
