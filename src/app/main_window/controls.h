#pragma once
// Window state as plain values: what a front-end renders and what the logic changes. Nothing
// here knows a toolkit.

#include <cstdint>
#include <string>

namespace vorlith {

/// A themed button: caption, icon and a two-part tooltip.
struct Button {
    std::string caption;
    std::string tooltipTitle;
    std::string tooltipText;
    bool enabled = true;
    bool visible = true;
};

struct Label {
    std::string caption;
    bool visible = true;
    bool bold = false;
    uint32_t color = 0; // 0xRRGGBB; kButtonTextColor stands for the desktop's button-text colour
};

inline constexpr uint32_t kButtonTextColor = 0xFFFFFFFF;
inline constexpr uint32_t kRed = 0xFF0000;

struct ProgressBar {
    int64_t max = 100;
    int64_t value = 0;
    bool visible = true;
};

/// A timer of a window: on or off, and its interval. The front-end delivers the ticks.
struct Timer {
    bool enabled = false;
    int intervalMs = 0;
};

enum class WindowState { Normal, Minimized };

/// What a window shows of itself.
struct WindowFrame {
    std::string caption;
    bool visible = false;
    WindowState state = WindowState::Normal;
    bool showInTaskbar = true;
};

} // namespace vorlith
