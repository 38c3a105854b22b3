#include "PointerPixel.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

}  // namespace

// The root window's true-colour visual and how its pixels are laid out.
struct PointerPixel::Format {
    xcb_window_t root = 0;
    std::uint32_t masks[3] = {};
    int bytesPerPixel = 0;
    bool lsbFirst = true;
};

namespace {

using RootFormat = PointerPixel::Format;

bool rootFormat(xcb_connection_t* c, RootFormat& format)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    if (!screen)
        return false;
    format.root = screen->root;
    format.lsbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == screen->root_depth)
            format.bytesPerPixel = f.data->bits_per_pixel / 8;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen->root_visual && v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR) {
                format.masks[0] = v.data->red_mask;
                format.masks[1] = v.data->green_mask;
                format.masks[2] = v.data->blue_mask;
            }
    return format.masks[0] != 0 && (format.bytesPerPixel == 4 || format.bytesPerPixel == 3);
}

int channel(std::uint32_t pixel, std::uint32_t mask)
{
    int shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    const std::uint32_t max = mask >> shift;
    return int((((pixel & mask) >> shift) * 255 + max / 2) / max);
}

std::optional<QRgb> decode(const RootFormat& format, xcb_get_image_reply_t* image)
{
    if (!image || xcb_get_image_data_length(image) < format.bytesPerPixel)
        return std::nullopt;
    const std::uint8_t* data = xcb_get_image_data(image);
    std::uint32_t pixel = 0;
    for (int i = 0; i < format.bytesPerPixel; ++i) {
        const int byte = format.lsbFirst ? i : format.bytesPerPixel - 1 - i;
        pixel |= std::uint32_t(data[byte]) << (8 * i);
    }
    return qRgb(channel(pixel, format.masks[0]), channel(pixel, format.masks[1]), channel(pixel, format.masks[2]));
}

xcb_get_image_cookie_t askPixel(xcb_connection_t* c, const RootFormat& format, int x, int y)
{
    return xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, format.root, std::int16_t(x), std::int16_t(y), 1, 1,
                         ~std::uint32_t(0));
}

Reply<xcb_get_image_reply_t> pixelReply(xcb_connection_t* c, xcb_get_image_cookie_t cookie)
{
    xcb_generic_error_t* error = nullptr;
    Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(c, cookie, &error));
    std::free(error);
    return reply;
}

}  // namespace

void PointerPixel::Disconnect::operator()(xcb_connection_t* c) const { xcb_disconnect(c); }

PointerPixel::PointerPixel()
{
    // The same X server as the windows, on a connection of our own.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    connection_.reset(xcb_connect(nullptr, nullptr));
    auto format = std::make_unique<Format>();
    if (xcb_connection_has_error(connection_.get()) || !rootFormat(connection_.get(), *format)) {
        connection_.reset();
        return;
    }
    format_ = std::move(format);
}

PointerPixel::~PointerPixel() = default;

bool PointerPixel::available() const { return format_ != nullptr; }

// Sends where the pointer is and, when it was somewhere, the pixel there.
void PointerPixel::askNext()
{
    xcb_connection_t* c = connection_.get();
    pointerAsked_ = xcb_query_pointer(c, format_->root).sequence;
    if (lastX_ >= 0)
        pixelAsked_ = askPixel(c, *format_, lastX_, lastY_).sequence;
    xcb_flush(c);
    asked_ = true;
}

std::optional<QRgb> PointerPixel::read()
{
    if (!format_)
        return std::nullopt;
    xcb_connection_t* c = connection_.get();
    const RootFormat& format = *format_;
    if (!asked_)
        askNext();
    const bool guessed = lastX_ >= 0;
    xcb_get_image_cookie_t imageCookie{pixelAsked_};
    xcb_generic_error_t* error = nullptr;
    const Reply<xcb_query_pointer_reply_t> pointer(xcb_query_pointer_reply(c, {pointerAsked_}, &error));
    std::free(error);
    asked_ = false;
    std::optional<QRgb> colour;
    if (!pointer || !pointer->same_screen) {
        if (guessed)
            xcb_discard_reply(c, imageCookie.sequence);
        lastX_ = lastY_ = -1;
    } else {
        if (!guessed || pointer->root_x != lastX_ || pointer->root_y != lastY_) {
            if (guessed)
                xcb_discard_reply(c, imageCookie.sequence);
            lastX_ = pointer->root_x;
            lastY_ = pointer->root_y;
            imageCookie = askPixel(c, format, lastX_, lastY_);
        }
        colour = decode(format, pixelReply(c, imageCookie).get());
    }
    askNext();
    return colour;
}
