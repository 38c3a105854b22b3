#pragma once
// What the program asks of the X11 desktop it runs on.
#include <QString>

namespace DesktopServices {

// True when the display is an X server (the program's windows place themselves there).
bool isX11();

// True when a window manager that follows the desktop conventions runs on
// the X server (it announces itself with _NET_SUPPORTING_WM_CHECK).
bool hasWindowManager();

// True when the X server reports a pointer device with scroll axes (a mouse
// wheel or its like). Nothing else tells whether a wheel is there.
bool hasMouseWheel();

// Sends the requests queued for the X server now. Qt sends them when it next
// handles something from the server; a last change with nothing after it
// (a window's opacity at the end of a fade) would otherwise wait unseen.
void sendPending();

}  // namespace DesktopServices
