#include "WindowStacking.h"

#include "DesktopServices.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr));
    return reply ? reply->atom : XCB_NONE;
}

std::vector<xcb_atom_t> stateAtoms(xcb_connection_t* c, xcb_window_t window, xcb_atom_t state)
{
    auto cookie = xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32)
        return {};
    const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    return std::vector<xcb_atom_t>(data, data + std::max(0, count));
}

}  // namespace

X11WindowStacking::X11WindowStacking(QObject* parent) : QObject(parent) {}

X11WindowStacking::~X11WindowStacking()
{
    if (watchingRoot_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void X11WindowStacking::setAbove(QWidget* window, bool above)
{
    pinned_.erase(std::remove_if(pinned_.begin(), pinned_.end(),
                                 [window](const QPointer<QWidget>& w) { return !w || w == window; }),
                  pinned_.end());
    if (above)
        pinned_.emplace_back(window);
    xcb_connection_t* c = connection();
    if (!c)
        return;
    const auto native = xcb_window_t(window->winId());
    const xcb_atom_t state = atom(c, "_NET_WM_STATE"), aboveAtom = atom(c, "_NET_WM_STATE_ABOVE");
    const bool manager = DesktopServices::hasWindowManager();
    if (manager && window->isVisible()) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = native;
        event.type = state;
        event.data.data32[0] = above ? 1 : 0;  // add or remove
        event.data.data32[1] = aboveAtom;
        event.data.data32[3] = 1;  // asked by an application
        xcb_send_event(c, 0, rootWindow(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    } else {
        std::vector<xcb_atom_t> atoms = stateAtoms(c, native, state);
        atoms.erase(std::remove(atoms.begin(), atoms.end(), aboveAtom), atoms.end());
        if (above)
            atoms.push_back(aboveAtom);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, native, state, XCB_ATOM_ATOM, 32, uint32_t(atoms.size()),
                            atoms.data());
    }
    if (!manager && above) {
        if (!watchingRoot_) {
            // Our mask on the root window is our own; keep what the toolkit asked for.
            const xcb_window_t root = rootWindow(c);
            std::unique_ptr<xcb_get_window_attributes_reply_t, FreeDeleter> attributes(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr));
            const uint32_t mask =
                (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
            xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
            QCoreApplication::instance()->installNativeEventFilter(this);
            watchingRoot_ = true;
        }
        if (window->isVisible())
            window->raise();
    }
    xcb_flush(c);
}

std::optional<bool> X11WindowStacking::reportedAbove(QWidget* window) const
{
    xcb_connection_t* c = connection();
    if (!c || !window->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    const std::vector<xcb_atom_t> atoms = stateAtoms(c, xcb_window_t(window->winId()), atom(c, "_NET_WM_STATE"));
    return std::find(atoms.begin(), atoms.end(), atom(c, "_NET_WM_STATE_ABOVE")) != atoms.end();
}

bool X11WindowStacking::isPinned(quint32 nativeWindow) const
{
    return std::any_of(pinned_.begin(), pinned_.end(), [nativeWindow](const QPointer<QWidget>& w) {
        return w && w->testAttribute(Qt::WA_WState_Created) && quint32(w->winId()) == nativeWindow;
    });
}

bool X11WindowStacking::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || raiseQueued_ || pinned_.empty())
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    xcb_window_t changed = XCB_NONE;
    switch (event->response_type & 0x7F) {
    case XCB_MAP_NOTIFY:
        changed = reinterpret_cast<const xcb_map_notify_event_t*>(event)->window;
        break;
    case XCB_CONFIGURE_NOTIFY:
        changed = reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window;
        break;
    default:
        return false;
    }
    if (changed != XCB_NONE && !isPinned(changed)) {
        // Several notices in a row raise once.
        raiseQueued_ = true;
        QTimer::singleShot(0, this, [this] { raisePinned(); });
    }
    return false;
}

void X11WindowStacking::raisePinned()
{
    raiseQueued_ = false;
    if (DesktopServices::hasWindowManager())
        return;
    for (const QPointer<QWidget>& w : pinned_)
        if (w && w->isVisible())
            w->raise();
}
