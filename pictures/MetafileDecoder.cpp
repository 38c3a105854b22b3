#include "pictures/MetafileDecoder.h"

#include "pictures/PngDecoder.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <QByteArray>

#include <memory>

namespace {

struct ApiDeleter {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};
using ApiPtr = std::unique_ptr<wmfAPI, ApiDeleter>;

// The rasteriser hands its image over as PNG bytes: the only way out of it
// that leaves no image behind for us to free with functions it does not export.
int collectPng(void* context, char* buffer, int length)
{
    try {
        static_cast<QByteArray*>(context)->append(buffer, length);
        return length;
    } catch (...) {
        return 0;  // called from C: report a short write rather than unwind
    }
}

void check(wmf_error_t status, const char* step)
{
    if (status != wmf_E_None)
        pictureFailure(QStringLiteral("Broken metafile: %1 failed (libwmf error %2)")
                           .arg(QLatin1String(step))
                           .arg(int(status)));
}

}  // namespace

QImage decodeMetafile(PictureBytes data, bool enhanced)
{
    if (enhanced)
        pictureFailure(QStringLiteral("Enhanced metafiles are not supported"));

    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    wmfAPI* created = nullptr;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    // A failed setup has already released what it made.
    check(wmf_api_create(&created, flags, &options), "setup");
    ApiPtr api(created);

    // The player only reads the buffer it is given.
    check(wmf_mem_open(api.get(), const_cast<unsigned char*>(data.data()), long(data.size())), "open");
    wmfD_Rect bounds{};
    check(wmf_scan(api.get(), 0, &bounds), "scan");
    unsigned width = 0, height = 0;
    check(wmf_display_size(api.get(), &width, &height, 96, 96), "size");
    checkPictureSize(width, height);

    QByteArray png;
    wmf_gd_t* device = WMF_GD_GetData(api.get());
    if (!(device->flags & WMF_GD_SUPPORTS_PNG))
        pictureFailure(QStringLiteral("The metafile player cannot produce pictures"));
    device->type = wmf_gd_png;
    device->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    device->sink.context = &png;
    device->sink.function = collectPng;
    device->bbox = bounds;
    device->width = width;
    device->height = height;
    check(wmf_play(api.get(), 0, &bounds), "play");
    if (png.isEmpty())
        pictureFailure(QStringLiteral("The metafile produced no picture"));
    return decodePng(PictureBytes(reinterpret_cast<const std::uint8_t*>(png.constData()), std::size_t(png.size())));
}
