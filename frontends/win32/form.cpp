#include "form.h"

#include "resource_ids.h"

#include <set>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace vorlith::win32ui {
namespace {

constexpr int kDesignDpi = 96;

HINSTANCE ThisModule() {
    return ::GetModuleHandleW(nullptr);
}

// GetDpiForWindow and AdjustWindowRectExForDpi came with Windows 10; the program starts on
// older systems too, where the system's DPI is the only one.
template <typename Function> Function UserFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

int SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

void RegisterFormClass(const wchar_t* className, WNDPROC procedure) {
    static std::set<std::wstring> registered;
    if (!registered.insert(className).second)
        return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ThisModule();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    windowClass.hIcon = static_cast<HICON>(::LoadImageW(ThisModule(), MAKEINTRESOURCEW(IDI_VORLITH),
                                                        IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                                        ::GetSystemMetrics(SM_CYICON), 0));
    windowClass.hIconSm = static_cast<HICON>(
        ::LoadImageW(ThisModule(), MAKEINTRESOURCEW(IDI_VORLITH), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    ::RegisterClassExW(&windowClass);
}

} // namespace

std::wstring Wide(const std::string& text) {
    return platform::win32::Widen(text);
}

int WindowDpi(HWND hwnd) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = UserFunction<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow && hwnd)
        if (const UINT dpi = getDpiForWindow(hwnd); dpi > 0)
            return static_cast<int>(dpi);
    return SystemDpi();
}

// ---- Fonts

Fonts::~Fonts() {
    release();
}

void Fonts::release() {
    for (HFONT font : {m_normal, m_bold, m_status})
        if (font)
            ::DeleteObject(font);
    m_normal = m_bold = m_status = nullptr;
}

void Fonts::create(int dpi) {
    release();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
        // The desktop gives its font at the system's DPI; the window may stand on another.
        font.lfHeight = ::MulDiv(font.lfHeight, dpi, SystemDpi());
    } else {
        font.lfHeight = -::MulDiv(9, dpi, 72);
        font.lfWeight = FW_NORMAL;
        wcscpy(font.lfFaceName, L"Segoe UI");
    }
    m_normal = ::CreateFontIndirectW(&font);
    font.lfWeight = FW_BOLD;
    m_bold = ::CreateFontIndirectW(&font);
    font.lfHeight = font.lfHeight * 5 / 4;
    m_status = ::CreateFontIndirectW(&font);
}

HFONT Fonts::get(FontKind kind) const {
    switch (kind) {
    case FontKind::Bold:
        return m_bold;
    case FontKind::Status:
        return m_status;
    case FontKind::Normal:
        break;
    }
    return m_normal;
}

// ---- Labels and buttons

void LabelView::render(const Label& label) {
    if (label.caption != m_caption) {
        m_caption = label.caption;
        ::SetWindowTextW(m_hwnd, Wide(m_caption).c_str());
    }
    if (label.visible != m_visible) {
        m_visible = label.visible;
        ::ShowWindow(m_hwnd, m_visible ? SW_SHOWNA : SW_HIDE);
    }
    if (label.color != m_color) {
        m_color = label.color;
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
    }
}

COLORREF LabelView::textColor() const {
    if (m_color == kButtonTextColor)
        return ::GetSysColor(COLOR_BTNTEXT);
    if (m_color == 0)
        return ::GetSysColor(COLOR_WINDOWTEXT);
    return RGB((m_color >> 16) & 0xFF, (m_color >> 8) & 0xFF, m_color & 0xFF);
}

void ButtonView::render(const Button& button) {
    if (button.caption != m_caption) {
        m_caption = button.caption;
        // The captions keep their leading blanks as the gap between icon and text.
        ::SetWindowTextW(m_hwnd, Wide(m_caption).c_str());
    }
    m_tooltipTitle = Wide(button.tooltipTitle);
    m_tooltipText = Wide(button.tooltipText);
    if (button.enabled != m_enabled) {
        m_enabled = button.enabled;
        ::EnableWindow(m_hwnd, m_enabled);
    }
    if (button.visible != m_visible) {
        m_visible = button.visible;
        ::ShowWindow(m_hwnd, m_visible ? SW_SHOWNA : SW_HIDE);
    }
}

void ButtonView::loadIcon(int dpi) {
    const int size = ::MulDiv(16, dpi, kDesignDpi);
    HICON icon = static_cast<HICON>(::LoadImageW(ThisModule(), MAKEINTRESOURCEW(m_iconId),
                                                 IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    ::SendMessageW(m_hwnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    if (m_icon)
        ::DestroyIcon(m_icon);
    m_icon = icon;
}

int ButtonView::naturalWidth(HFONT font, int dpi) const {
    SIZE text{};
    if (HDC dc = ::GetDC(m_hwnd)) {
        HGDIOBJ previous = ::SelectObject(dc, font);
        const std::wstring caption = Wide(m_caption);
        ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
        ::SelectObject(dc, previous);
        ::ReleaseDC(m_hwnd, dc);
    }
    // Icon, the gap after it and the button's own margins.
    return ::MulDiv(text.cx, kDesignDpi, dpi) + 16 + 4 + 24;
}

// ---- Form

Form::Form(const wchar_t* className, HWND owner, DWORD style, int designWidth, int designHeight)
    : m_designSize{designWidth, designHeight} {
    RegisterFormClass(className, &Form::WindowProcedure);
    ::CreateWindowExW(WS_EX_CONTROLPARENT, className, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                      designWidth, designHeight, owner, nullptr, ThisModule(), this);
    m_dpi = WindowDpi(m_hwnd);
    m_fonts.create(m_dpi);
    m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | TTS_BALLOON, 0, 0, 0, 0,
                                  m_hwnd, nullptr, ThisModule(), nullptr);
    ::SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, scaled(320));
    m_logo = static_cast<HBITMAP>(::LoadImageW(ThisModule(), MAKEINTRESOURCEW(IDB_LOGO),
                                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    const RECT frame = windowRectFor(m_designSize);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Form::~Form() {
    if (m_hwnd) {
        ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hwnd);
    }
    if (m_logo)
        ::DeleteObject(m_logo);
}

LRESULT CALLBACK Form::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // Until the form's own constructor has made its controls (and from its destruction on) the
    // window gets only the default handling: the form's handlers are not there yet.
    if (!form || !form->m_ready)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return form->handle(message, wParam, lParam);
}

void Form::finishCreation() {
    m_ready = true;
    layout();
}

LRESULT Form::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_TIMER:
        timer(static_cast<int>(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == m_tooltip && header.code == TTN_GETDISPINFOW) {
            auto& info = *reinterpret_cast<NMTTDISPINFOW*>(lParam);
            for (const auto& button : m_buttons)
                if (reinterpret_cast<UINT_PTR>(button->hwnd()) == header.idFrom) {
                    info.lpszText = button->tooltipText().data();
                    ::SendMessageW(m_tooltip, TTM_SETTITLEW, TTI_INFO,
                                   reinterpret_cast<LPARAM>(button->tooltipTitle().c_str()));
                }
            return 0;
        }
        return notify(header);
    }
    case WM_CTLCOLORSTATIC:
        return controlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        drawLogo(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CLOSE:
        closeRequested();
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            layout();
        return 0;
    case WM_GETMINMAXINFO: {
        const RECT smallest = windowRectFor(minimumDesignSize());
        auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
        limits.ptMinTrackSize = {smallest.right - smallest.left, smallest.bottom - smallest.top};
        return 0;
    }
    case WM_DPICHANGED: {
        applyDpi(LOWORD(wParam));
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top,
                       suggested.right - suggested.left, suggested.bottom - suggested.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        layout();
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void Form::applyDpi(int dpi) {
    m_dpi = dpi;
    m_fonts.create(dpi);
    for (const auto& [control, font] : m_controlFonts)
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts.get(font)), TRUE);
    for (const auto& button : m_buttons)
        button->loadIcon(dpi);
    ::SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, scaled(320));
}

LRESULT Form::controlColor(HDC dc, HWND control) {
    COLORREF color = ::GetSysColor(COLOR_WINDOWTEXT);
    for (const auto& label : m_labels)
        if (label->hwnd() == control)
            color = label->textColor();
    ::SetTextColor(dc, color);
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

RECT Form::windowRectFor(SIZE designClient) const {
    RECT rect{0, 0, scaled(designClient.cx), scaled(designClient.cy)};
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(m_hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE));
    using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = UserFunction<AdjustFunction>("AdjustWindowRectExForDpi");
    if (adjustForDpi)
        adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(m_dpi));
    else
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return rect;
}

HWND Form::addControl(const wchar_t* windowClass, int id, DWORD style, FontKind font,
                      DWORD exStyle) {
    HWND control =
        ::CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                          m_hwnd, reinterpret_cast<HMENU>(INT_PTR(id)), ThisModule(), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts.get(font)), FALSE);
    m_controlFonts[control] = font;
    return control;
}

LabelView& Form::addLabel(int id, DWORD style, FontKind font) {
    HWND control = addControl(WC_STATICW, id, SS_NOPREFIX | style, font);
    return *m_labels.emplace_back(std::make_unique<LabelView>(control, font));
}

ButtonView& Form::addButton(int id, int iconId) {
    HWND control = addControl(WC_BUTTONW, id, BS_PUSHBUTTON | WS_TABSTOP);
    auto& button = *m_buttons.emplace_back(std::make_unique<ButtonView>(control, iconId));
    button.loadIcon(m_dpi);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return button;
}

void Form::place(int id, int x, int y, int width, int height) {
    ::SetWindowPos(item(id), nullptr, scaled(x), scaled(y), scaled(width), scaled(height),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::scaled(int designPixels) const {
    return ::MulDiv(designPixels, m_dpi, kDesignDpi);
}

SIZE Form::designClientSize() const {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    return {::MulDiv(client.right, kDesignDpi, m_dpi), ::MulDiv(client.bottom, kDesignDpi, m_dpi)};
}

void Form::renderCaption(const std::string& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    ::SetWindowTextW(m_hwnd, Wide(caption).c_str());
}

void Form::syncTimer(int id, const Timer& timer) {
    ShownTimer& shown = m_timers[id];
    const int interval = timer.intervalMs > 0 ? timer.intervalMs : 1;
    if (timer.enabled == shown.enabled && interval == shown.intervalMs)
        return;
    shown = {timer.enabled, interval};
    if (timer.enabled)
        ::SetTimer(m_hwnd, static_cast<UINT_PTR>(id), static_cast<UINT>(interval), nullptr);
    else
        ::KillTimer(m_hwnd, static_cast<UINT_PTR>(id));
}

void Form::drawLogo(const DRAWITEMSTRUCT& item) {
    if (!m_logo)
        return;
    BITMAP picture{};
    ::GetObjectW(m_logo, sizeof picture, &picture);
    HDC source = ::CreateCompatibleDC(item.hDC);
    HGDIOBJ previous = ::SelectObject(source, m_logo);
    ::SetStretchBltMode(item.hDC, HALFTONE);
    const RECT& area = item.rcItem;
    ::StretchBlt(item.hDC, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 source, 0, 0, picture.bmWidth, picture.bmHeight, SRCCOPY);
    ::SelectObject(source, previous);
    ::DeleteDC(source);
}

} // namespace vorlith::win32ui
