// The idle watch's input state on X11. Key and mouse-button presses come as XInput2 raw events
// selected on the root window: the server queues every press, so a tap or click that starts and
// ends between two polls is still counted, and no window of ours needs the focus. Where the server
// lacks XInput2, the screen saver extension's idle time tells whether any input came since the
// previous poll.

#include "platform/desktop_input.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/scrnsaver.h>

#include <chrono>
#include <set>

namespace vorlith::platform {
namespace {

class X11InputState final : public InputState {
public:
    explicit X11InputState(Display* display) : m_display(display) {
        m_root = DefaultRootWindow(m_display);
        int event = 0, error = 0;
        if (XQueryExtension(m_display, "XInputExtension", &m_xiOpcode, &event, &error)) {
            int major = 2, minor = 0;
            if (XIQueryVersion(m_display, &major, &minor) == Success)
                m_useRawEvents = selectRawPresses();
        }
        if (!m_useRawEvents) {
            int ssEvent = 0, ssError = 0;
            m_useIdleTime = XScreenSaverQueryExtension(m_display, &ssEvent, &ssError);
            m_lastQuery = std::chrono::steady_clock::now();
        }
    }
    ~X11InputState() override { XCloseDisplay(m_display); }
    X11InputState(const X11InputState&) = delete;
    X11InputState& operator=(const X11InputState&) = delete;

    int keyPressesSinceLastQuery() override {
        if (m_useRawEvents)
            return drainRawPresses();
        if (m_useIdleTime)
            return inputSinceLastQuery() ? 1 : 0;
        return 0;
    }

    std::optional<CursorPosition> cursorPosition() override {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        unsigned int buttons = 0;
        if (!XQueryPointer(m_display, m_root, &root, &child, &rootX, &rootY, &windowX, &windowY,
                           &buttons))
            return std::nullopt;
        return CursorPosition{rootX, rootY};
    }

private:
    bool selectRawPresses() {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
        // A user who only clicks (reading, choosing with the mouse) is not idle either.
        XISetMask(bits, XI_RawButtonPress);
        XISetMask(bits, XI_RawButtonRelease);
        XIEventMask mask;
        mask.deviceid = XIAllMasterDevices;
        mask.mask_len = sizeof bits;
        mask.mask = bits;
        if (XISelectEvents(m_display, m_root, &mask, 1) != Success)
            return false;
        XSync(m_display, False);
        return true;
    }

    // A key or button counts when it goes down; a key's auto-repeats (more presses without a
    // release) do not, so a key resting on the keyboard is no activity. A wheel step is a
    // button's press and release.
    int drainRawPresses() {
        int presses = 0;
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            XGenericEventCookie& cookie = event.xcookie;
            if (cookie.type != GenericEvent || cookie.extension != m_xiOpcode ||
                !XGetEventData(m_display, &cookie))
                continue;
            const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
            if (cookie.evtype == XI_RawKeyPress) {
                if (!(raw->flags & XIKeyRepeat) && m_keysDown.insert(raw->detail).second)
                    ++presses;
            } else if (cookie.evtype == XI_RawKeyRelease) {
                m_keysDown.erase(raw->detail);
            } else if (cookie.evtype == XI_RawButtonPress) {
                if (m_buttonsDown.insert(raw->detail).second)
                    ++presses;
            } else if (cookie.evtype == XI_RawButtonRelease) {
                m_buttonsDown.erase(raw->detail);
            }
            XFreeEventData(m_display, &cookie);
        }
        return presses;
    }

    bool inputSinceLastQuery() {
        const auto now = std::chrono::steady_clock::now();
        const auto sincePrevious =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - m_lastQuery).count();
        m_lastQuery = now;
        XScreenSaverInfo info{};
        if (!XScreenSaverQueryInfo(m_display, m_root, &info))
            return false;
        return static_cast<long long>(info.idle) < sincePrevious;
    }

    Display* m_display;
    Window m_root = 0;
    int m_xiOpcode = -1;
    bool m_useRawEvents = false;
    bool m_useIdleTime = false;
    std::set<int> m_keysDown;    // key codes seen going down and not yet up
    std::set<int> m_buttonsDown; // mouse buttons seen going down and not yet up
    std::chrono::steady_clock::time_point m_lastQuery;
};

} // namespace

std::unique_ptr<InputState> OpenDesktopInputState(std::string& reason) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        reason = "no X display to watch for keyboard and mouse input (DISPLAY is not set or the "
                 "session has no X server)";
        return nullptr;
    }
    return std::make_unique<X11InputState>(display);
}

} // namespace vorlith::platform
