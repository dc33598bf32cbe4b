// The task-list hint through the window manager protocol: a _NET_WM_STATE client message to the
// root window, which the window manager applies to the window at once.

#include "platform/desktop_window_hints.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace vorlith::platform {

bool SetTaskbarEntry(uintptr_t nativeWindow, TaskbarEntry entry) {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom skipTaskbar = XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(nativeWindow);
    event.xclient.message_type = state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = entry == TaskbarEntry::Skipped ? 1 : 0; // add : remove
    event.xclient.data.l[1] = static_cast<long>(skipTaskbar);
    event.xclient.data.l[2] = 0;
    event.xclient.data.l[3] = 1; // the request comes from an application
    const Status sent = XSendEvent(display, DefaultRootWindow(display), False,
                                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XCloseDisplay(display);
    return sent != 0;
}

} // namespace vorlith::platform
