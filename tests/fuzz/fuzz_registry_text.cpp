// The settings store's text reader: any bytes either parse or are refused,
// and whatever parses is written back to a text that reads to the same store,
// also when every value is copied from the text it was read from.
#include "platform/RegistryText.h"

#include <cstdint>
#include <cstdlib>

namespace {

void elideAll(RegKey& key)
{
    for (RegValue v : key.values()) {
        v.data.clear();
        v.elided = true;
        key.setValue(std::move(v));
    }
    for (const auto& sub : key.subKeys())
        elideAll(*sub);
}

}  // namespace

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
    const auto copied = root.clone();
    elideAll(*copied);
    const auto rewritten = RegistryText::rewrite(*copied, text);
    RegKey fromCopies(QString::fromLatin1(RegistryText::rootName));
    if (!rewritten || !RegistryText::read(*rewritten, fromCopies) || RegistryText::write(fromCopies) != written)
        std::abort();
    return 0;
}
