#include "DesktopServices.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace DesktopServices {

namespace {
Display* xDisplay()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

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

bool hasMouseWheel()
{
    Display* display = xDisplay();
    if (!display)
        return false;
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error))
        return false;
    // The toolkit has announced XInput 2.2 on this connection, so the server
    // reports scroll classes; asking for another version here would be refused.
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
    if (!devices)
        return false;
    const std::unique_ptr<XIDeviceInfo, decltype(&XIFreeDeviceInfo)> owned(devices, &XIFreeDeviceInfo);
    for (int i = 0; i < count; ++i) {
        const XIDeviceInfo& device = devices[i];
        if (device.use != XISlavePointer && device.use != XIMasterPointer)
            continue;
        for (int c = 0; c < device.num_classes; ++c)
            if (device.classes[c]->type == XIScrollClass)
                return true;
    }
    return false;
}

void sendPending()
{
    if (xcb_connection_t* c = connection())
        xcb_flush(c);
}

}  // namespace DesktopServices
