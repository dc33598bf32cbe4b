#include "app/tray.h"

namespace vorlith {

void clsTray::ShowIcon(const WindowFrame& sysTrayForm) {
    m_icon.tip = sysTrayForm.caption;
    m_icon.visible = true;
    m_windows.showTrayIcon();
    m_runningInTray = true;
}

void clsTray::RemoveIcon(const WindowFrame&) {
    m_icon.tip.clear();
    m_icon.visible = false;
    m_runningInTray = false;
}

void clsTray::ChangeIcon(const WindowFrame&, const std::string& picNewIcon) {
    if (m_runningInTray)
        m_icon.iconName = picNewIcon;
}

void clsTray::ChangeToolTip(const WindowFrame&, const std::string& strNewTip) {
    if (m_runningInTray)
        m_icon.tip = strNewTip;
}

TrayAction TrayMouseAction(TrayMouse event) {
    switch (event) {
    case TrayMouse::LeftButtonDown:
    case TrayMouse::LeftDoubleClick:
        return TrayAction::ShowMainWindow;
    case TrayMouse::RightButtonUp:
        return TrayAction::OpenMenu;
    default:
        return TrayAction::None;
    }
}

void ShowMainWindow(WindowFrame& mainWindow) {
    mainWindow.state = WindowState::Normal;
    mainWindow.visible = true;
}

} // namespace vorlith
