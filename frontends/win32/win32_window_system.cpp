#include "win32_window_system.h"

#include "control_ids.h"
#include "resource_ids.h"

#include <algorithm>

namespace vorlith::win32ui {
namespace {

UINT MessageBoxIcon(platform::MessageIcon icon) {
    switch (icon) {
    case platform::MessageIcon::Critical:
        return MB_ICONERROR;
    case platform::MessageIcon::Question:
        return MB_ICONQUESTION;
    case platform::MessageIcon::Exclamation:
        return MB_ICONWARNING;
    case platform::MessageIcon::Information:
        return MB_ICONINFORMATION;
    case platform::MessageIcon::None:
        break;
    }
    return 0;
}

std::optional<TrayMouse> ToTrayMouse(UINT mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        return TrayMouse::LeftButtonDown;
    case WM_LBUTTONDBLCLK:
        return TrayMouse::LeftDoubleClick;
    case WM_RBUTTONUP:
        return TrayMouse::RightButtonUp;
    case WM_RBUTTONDOWN:
        return TrayMouse::RightButtonDown;
    default:
        return std::nullopt; // the pointer moving over the icon: nothing to do
    }
}

} // namespace

Win32WindowSystem::Win32WindowSystem(Win32Options options) : m_options(std::move(options)) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_TAB_CLASSES |
                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&controls);
}

Win32WindowSystem::~Win32WindowSystem() {
    removeTrayIcon();
    m_setup.reset();
    m_results.reset();
    m_main.reset();
    if (m_trayWindow)
        ::DestroyWindow(m_trayWindow);
    if (m_trayMenu)
        ::DestroyMenu(m_trayMenu);
    if (m_trayIcon)
        ::DestroyIcon(m_trayIcon);
}

void Win32WindowSystem::attach(Program& program) {
    m_program = &program;
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Win32WindowSystem::TrayWindowProcedure;
    windowClass.hInstance = module;
    windowClass.lpszClassName = L"VorlithTray";
    ::RegisterClassExW(&windowClass);
    m_trayWindow = ::CreateWindowExW(0, L"VorlithTray", L"Vorlith", WS_POPUP, 0, 0, 0, 0, nullptr,
                                     nullptr, module, nullptr);
    ::SetWindowLongPtrW(m_trayWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    m_trayIcon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDI_VORLITH), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0));

    const TrayMenu entries;
    m_trayMenu = ::CreatePopupMenu();
    ::AppendMenuW(m_trayMenu, MF_STRING, mnuTrayPopup::mnuShow, Wide(entries.mnuShow).c_str());
    ::AppendMenuW(m_trayMenu, MF_STRING, mnuTrayPopup::mnuExit, Wide(entries.mnuExit).c_str());

    auto afterEvent = [this] { renderAll(); };
    m_main = std::make_unique<MainForm>(
        program, m_trayWindow,
        MainForm::Handlers{afterEvent, [this] { idleTick(); }, [this] { end(); }});
    m_results = std::make_unique<ResultsForm>(program.resultsWindow(), m_main->hwnd(), afterEvent);
    m_setup =
        std::make_unique<SetupForm>(program.setupDialog(), m_main->hwnd(), afterEvent, [this] {
            if (m_main->isVisible())
                ::SetForegroundWindow(m_main->hwnd());
        });
}

LRESULT CALLBACK Win32WindowSystem::TrayWindowProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                        LPARAM lParam) {
    auto* self = reinterpret_cast<Win32WindowSystem*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == kTrayMessage) {
        self->trayMouse(static_cast<UINT>(lParam));
        return 0;
    }
    if (self && message == self->m_taskbarCreated && message != 0) {
        // A new task bar has no icons: the icon is put back (or in, if the first try came
        // before there was a task bar).
        self->m_trayIconShown = false;
        self->addTrayIcon();
        self->renderAll();
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void Win32WindowSystem::watchInput(std::unique_ptr<platform::InputState> input) {
    m_input = std::move(input);
}

// The audit the idle watch starts runs inside this tick; ticks that come during its yields are
// not delivered again.
void Win32WindowSystem::idleTick() {
    if (!m_input || m_inIdleTick)
        return;
    m_inIdleTick = true;
    m_program->Idle_Timer_Tick(*m_input);
    m_inIdleTick = false;
    if (!m_program->mainWindow().Idle_Timer.enabled)
        m_input.reset();
}

void Win32WindowSystem::trayMouse(UINT mouseMessage) {
    const std::optional<TrayMouse> event = ToTrayMouse(mouseMessage);
    if (!event || m_ended)
        return;
    const TrayAction action = m_program->Tray_MouseEvent(*event);
    renderAll();
    if (action == TrayAction::ShowMainWindow) {
        m_main->restoreAndRaise();
    } else if (action == TrayAction::OpenMenu) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        // The menu closes when the user clicks elsewhere only if its window is in front.
        ::SetForegroundWindow(m_trayWindow);
        const int chosen =
            ::TrackPopupMenuEx(m_trayMenu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, cursor.x,
                               cursor.y, m_trayWindow, nullptr);
        ::PostMessageW(m_trayWindow, WM_NULL, 0, 0);
        if (chosen != 0)
            trayMenuCommand(chosen);
    }
}

void Win32WindowSystem::trayMenuCommand(int id) {
    if (m_ended)
        return;
    if (id == mnuTrayPopup::mnuShow) {
        m_program->mnuShow_Click();
        renderAll();
        m_main->restoreAndRaise();
    } else if (id == mnuTrayPopup::mnuExit) {
        if (m_program->mnuExit_Click())
            m_main->unload();
        renderAll();
    }
}

NOTIFYICONDATAW Win32WindowSystem::trayIconData(const TrayIcon& icon) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = m_trayWindow;
    data.uID = static_cast<UINT>(icon.iconId);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = m_trayIcon;
    const std::wstring tip = Wide(icon.tip);
    std::copy_n(tip.begin(), std::min<size_t>(tip.size(), std::size(data.szTip) - 1), data.szTip);
    return data;
}

void Win32WindowSystem::showTrayIcon() {
    addTrayIcon();
}

void Win32WindowSystem::addTrayIcon() {
    if (!m_program || m_ended || m_trayIconShown || !m_program->tray().icon().visible)
        return;
    NOTIFYICONDATAW data = trayIconData(m_program->tray().icon());
    m_trayIconShown = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    m_shownTip = data.szTip;
    m_shownIconId = data.uID;
}

void Win32WindowSystem::renderTrayIcon() {
    if (!m_trayIconShown)
        return;
    if (!m_program->tray().icon().visible) {
        removeTrayIcon();
        return;
    }
    NOTIFYICONDATAW data = trayIconData(m_program->tray().icon());
    if (data.szTip == m_shownTip)
        return;
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
    m_shownTip = data.szTip;
}

// Also when the program has gone (the window system outlives it): the icon is named by what
// was shown.
void Win32WindowSystem::removeTrayIcon() {
    if (!m_trayIconShown)
        return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = m_trayWindow;
    data.uID = m_shownIconId;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    m_trayIconShown = false;
}

// The icon is taken away when the program ends, or Explorer would show it until the pointer
// passes over it.
void Win32WindowSystem::end() {
    if (m_ended)
        return;
    m_ended = true;
    removeTrayIcon();
    setModalOwnersEnabled(true);
    ::ShowWindow(m_setup->hwnd(), SW_HIDE);
    ::ShowWindow(m_results->hwnd(), SW_HIDE);
    if (m_options.ended)
        m_options.ended();
}

void Win32WindowSystem::yield() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPump < m_options.pumpInterval)
        return;
    m_lastPump = now;
    ++m_pumps;
    renderAll();
    pumpWaiting();
}

bool Win32WindowSystem::pumpWaiting() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        dispatch(message);
    }
    return true;
}

void Win32WindowSystem::dispatch(MSG& message) {
    HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && m_main) {
        for (HWND form : {m_main->hwnd(), m_results->hwnd(), m_setup->hwnd()})
            if (root == form && ::IsDialogMessageW(form, &message))
                return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void Win32WindowSystem::run() {
    MSG message;
    while (!m_ended && ::GetMessageW(&message, nullptr, 0, 0) > 0)
        dispatch(message);
}

void Win32WindowSystem::renderAll() {
    if (!m_program)
        return;
    // The main window takes input again before the results window goes, so that Windows gives
    // it the focus rather than another program's window.
    if (m_resultsModal && !m_program->resultsWindow().frame.visible)
        setModalOwnersEnabled(true);
    const bool taskbarButton = m_program->mainWindow().frame.showInTaskbar || !m_trayIconShown;
    m_main->render(taskbarButton);
    m_results->render();
    m_setup->render();
    renderTrayIcon();
}

void Win32WindowSystem::setModalOwnersEnabled(bool enabled) {
    for (Form* owner : {static_cast<Form*>(m_main.get()), static_cast<Form*>(m_setup.get())})
        if (owner)
            ::EnableWindow(owner->hwnd(), enabled);
}

platform::MessageAnswer Win32WindowSystem::showMessage(const platform::MessageRequest& request) {
    // A handler changes its window's state and then asks (the day count is put back to 30 before
    // the refusal): the box must not stand in front of the old state.
    renderAll();
    return ask(request);
}

platform::MessageAnswer Win32WindowSystem::ask(const platform::MessageRequest& request) {
    const bool yesNo = request.buttons == platform::MessageButtons::YesNo;
    HWND owner = nullptr;
    for (Form* form : {static_cast<Form*>(m_results.get()), static_cast<Form*>(m_setup.get()),
                       static_cast<Form*>(m_main.get())})
        if (!owner && form && form->isVisible())
            owner = form->hwnd();
    UINT type = (yesNo ? MB_YESNO : MB_OK) | MessageBoxIcon(request.icon);
    // A box asked while every window is in the tray must not open behind other programs.
    if (!owner)
        type |= MB_SETFOREGROUND;
    const int answer =
        ::MessageBoxW(owner, Wide(request.text).c_str(), Wide(request.title).c_str(), type);
    renderAll();
    if (!yesNo)
        return platform::MessageAnswer::Ok;
    return answer == IDYES ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
}

void Win32WindowSystem::showResultsModal(ResultsWindow& window) {
    if (m_ended)
        return;
    renderAll();
    centerWindow(platform::WindowId::Results);
    HWND results = m_results->hwnd();
    ::ShowWindow(results, SW_SHOWNORMAL);
    ::SetForegroundWindow(results);
    setModalOwnersEnabled(false);
    m_resultsModal = true;
    MSG message;
    while (window.frame.visible && !m_ended) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0)
            break;
        dispatch(message);
    }
    setModalOwnersEnabled(true);
    m_resultsModal = false;
    renderAll();
}

HWND Win32WindowSystem::windowOf(platform::WindowId window) const {
    switch (window) {
    case platform::WindowId::Main:
        return m_main->hwnd();
    case platform::WindowId::Results:
        return m_results->hwnd();
    case platform::WindowId::Setup:
        break;
    }
    return m_setup->hwnd();
}

void Win32WindowSystem::centerWindow(platform::WindowId window) {
    if (!m_main)
        return;
    HWND hwnd = windowOf(window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_main->hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    RECT frame{};
    ::GetWindowRect(hwnd, &frame);
    const RECT& area = monitor.rcWork;
    const int left = area.left + (area.right - area.left - (frame.right - frame.left)) / 2;
    const int top = area.top + (area.bottom - area.top - (frame.bottom - frame.top)) / 2;
    ::SetWindowPos(hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowSystem::raiseWindow(platform::WindowId window) {
    HWND hwnd = windowOf(window);
    if (!::IsWindowVisible(hwnd))
        return;
    if (::IsIconic(hwnd))
        ::ShowWindow(hwnd, SW_RESTORE);
    ::SetForegroundWindow(hwnd);
}

} // namespace vorlith::win32ui
