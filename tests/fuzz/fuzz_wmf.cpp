// The WMF player: any bytes either play to a picture or fail with the
// picture error.
#include "pictures/WmfPlayer.h"

#include "FuzzGui.h"
#include "platform/Errors.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ensureGuiApplication();
    try {
        playWmf(imagedecode::Bytes(data, size));
    } catch (const EInvalidGraphic&) {
    } catch (const imagedecode::DecodeError&) {
    }
    return 0;
}
