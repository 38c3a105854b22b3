// The settings store's text reader: any bytes either parse or are refused,
// and whatever parses is written back to a text that reads to the same store.
#include "platform/RegistryText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    RegKey root(QString::fromLatin1(RegistryText::rootName));
    if (!RegistryText::read(text, root))
        return 0;
    const QByteArray written = RegistryText::write(root);
    RegKey again(QString::fromLatin1(RegistryText::rootName));
    if (!RegistryText::read(written, again) || RegistryText::write(again) != written)
        std::abort();
    return 0;
}
