// The idle watch's input state on Windows: the system's time of the last input, read once per
// question, and the cursor's position.

#include "platform/desktop_input.h"
#include "platform/windows/win32.h"

#include <bitset>

namespace vorlith::platform {
namespace {

using KeySet = std::bitset<256>;

std::optional<DWORD> lastInputTick() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    if (!::GetLastInputInfo(&info))
        return std::nullopt;
    return info.dwTime;
}

KeySet keysDown() {
    KeySet down;
    for (int key = 1; key < 255; ++key)
        if (::GetAsyncKeyState(key) & 0x8000)
            down.set(static_cast<size_t>(key));
    return down;
}

class WindowsInputState final : public InputState {
public:
    explicit WindowsInputState(DWORD lastInput) : m_lastInput(lastInput), m_held(keysDown()) {}

    // The system's last-input time moves with every key, button, wheel and mouse movement, and
    // with every repeat and release of a held key. So the keys are read only when it has moved
    // (reading the 254 key states on every tick instead would cost far more for nothing): a key
    // down now that was not before is a press; input with no key down before or after is a
    // press and release between two questions (or the wheel, or the mouse, which moves the
    // cursor anyway); input while keys were held that brings no new one only repeats or releases
    // them.
    int keyPressesSinceLastQuery() override {
        const std::optional<DWORD> tick = lastInputTick();
        if (!tick || *tick == m_lastInput)
            return 0;
        m_lastInput = *tick;
        const KeySet down = keysDown();
        const bool newKey = (down & ~m_held).any();
        const bool pressedBetween = down.none() && m_held.none();
        m_held = down;
        return newKey || pressedBetween ? 1 : 0;
    }

    std::optional<CursorPosition> cursorPosition() override {
        POINT point{};
        // Fails while the desktop is not the input desktop (locked, a secure prompt).
        if (!::GetCursorPos(&point))
            return std::nullopt;
        return CursorPosition{point.x, point.y};
    }

private:
    DWORD m_lastInput;
    KeySet m_held;
};

} // namespace

std::unique_ptr<InputState> OpenDesktopInputState(std::string& reason) {
    const std::optional<DWORD> tick = lastInputTick();
    if (!tick) {
        reason = "the time of the last input cannot be read (" +
                 win32::ErrorText(::GetLastError()) + ")";
        return nullptr;
    }
    return std::make_unique<WindowsInputState>(*tick);
}

} // namespace vorlith::platform
