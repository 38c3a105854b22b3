#include "DesktopServices.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace DesktopServices {

namespace {
xcb_connection_t* connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

xcb_window_t windowProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t atom)
{
    auto cookie = xcb_get_property(c, 0, window, atom, XCB_ATOM_WINDOW, 0, 1);
    std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || xcb_get_property_value_length(reply.get()) < 4)
        return XCB_NONE;
    return *static_cast<xcb_window_t*>(xcb_get_property_value(reply.get()));
}
}  // namespace

bool isX11() { return connection() != nullptr; }

bool hasWindowManager()
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr));
    if (!atom || atom->atom == XCB_NONE)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_window_t check = windowProperty(c, root, atom->atom);
    // A stale property left by a manager that has gone names a window that no longer points at itself.
    return check != XCB_NONE && windowProperty(c, check, atom->atom) == check;
}

}  // namespace DesktopServices
