#pragma once
// The colour of the screen pixel under the mouse pointer, read from the X
// server directly. Asked ten times a second for as long as the program runs,
// each read sends the questions for the next one (where the pointer is, and
// the pixel where it was), so that their answers are waiting when it comes:
// a pointer at rest costs no wait for the server at all, one that moved a
// round trip. The colour is the one the screen showed at the previous read.
// On a connection of its own, the answers wake no other thread (Qt's screen
// grab costs five round trips, each waking two threads).
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
    void askNext();

    struct Disconnect {
        void operator()(xcb_connection_t* c) const;
    };

    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    std::unique_ptr<Format> format_;
    int lastX_ = -1;
    int lastY_ = -1;
    // The questions sent for the next read, when there are any.
    bool asked_ = false;
    unsigned int pointerAsked_ = 0;
    unsigned int pixelAsked_ = 0;
};
