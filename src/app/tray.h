#pragma once
// clsTray: the program's icon in the desktop's notification area, and what its mouse events and
// menu do.

#include "app/main_window/controls.h"
#include "platform/window_system.h"

#include <string>

namespace vorlith {

/// What the front-end shows in the tray: the icon's tip and whether it is there.
struct TrayIcon {
    int iconId = 1;
    std::string tip; // the main window's caption
    bool visible = false;
    std::string iconName = "main"; // which picture: the main window's icon unless changed
};

class clsTray {
public:
    explicit clsTray(platform::WindowSystem& windows) : m_windows(windows) {}

    /// Adds the icon with the window's caption as its tip.
    void ShowIcon(const WindowFrame& sysTrayForm);
    /// Removes the icon.
    void RemoveIcon(const WindowFrame& sysTrayForm);
    /// Only while the icon is shown: another picture.
    void ChangeIcon(const WindowFrame& sysTrayForm, const std::string& picNewIcon);
    /// Only while the icon is shown: another tip.
    void ChangeToolTip(const WindowFrame& sysTrayForm, const std::string& strNewTip);

    bool bRunningInTray() const { return m_runningInTray; }
    const TrayIcon& icon() const { return m_icon; }

private:
    platform::WindowSystem& m_windows;
    TrayIcon m_icon;
    bool m_runningInTray = false;
};

/// Mouse events on the tray icon, named after the platform messages they stand for.
enum class TrayMouse {
    LeftButtonDown,  // 513
    LeftDoubleClick, // 515
    RightButtonUp,   // 517
    RightButtonDown, // any other message: nothing happens
    Other,
};

/// What a tray mouse event asks of the front-end.
enum class TrayAction { None, ShowMainWindow, OpenMenu };

/// The tray's mouse handling: a left press or double click shows the main window, a right
/// release opens mnuTrayPopup at the cursor; everything else does nothing.
TrayAction TrayMouseAction(TrayMouse event);

/// The tray menu mnuTrayPopup: its entries in order.
struct TrayMenu {
    std::string mnuShow = "Show Vorlith";
    std::string mnuExit = "Exit Vorlith";
};

/// Shows the main window in its normal state (mnuShow and the left clicks).
void ShowMainWindow(WindowFrame& mainWindow);

} // namespace vorlith
