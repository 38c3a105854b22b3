#pragma once
// The colour of the screen pixel under the mouse pointer, read from the X
// server directly. Asked ten times a second for as long as the program runs,
// it asks for the pointer and for the pixel where the pointer was last time
// together, so a pointer at rest costs one round trip; on a connection of its
// own, that wakes no other thread (Qt's screen grab costs five round trips,
// each waking two threads).
#include <QRgb>

#include <memory>
#include <optional>

struct xcb_connection_t;

class PointerPixel {
public:
    PointerPixel();
    ~PointerPixel();
    PointerPixel(const PointerPixel&) = delete;
    PointerPixel& operator=(const PointerPixel&) = delete;

    // Whether this works here: the program runs on an X server whose root
    // window we can decode.
    bool available() const;

    // Empty when the pixel cannot be read (the pointer on another X screen).
    std::optional<QRgb> read();

    struct Format;

private:
    struct Disconnect {
        void operator()(xcb_connection_t* c) const;
    };

    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    std::unique_ptr<Format> format_;
    int lastX_ = -1;
    int lastY_ = -1;
};
