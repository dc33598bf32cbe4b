#pragma once
// What the three windows share on Win32: a top-level window of its own class whose controls
// are laid out in 96-dpi pixels and scaled to the window's DPI (the program is per-monitor DPI
// aware), the fonts, the labels and themed buttons rendered from the core's control states,
// the buttons' balloon tooltips, and the window's timers.

#include "app/main_window/controls.h"
#include "platform/windows/win32.h"

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vorlith::win32ui {

std::wstring Wide(const std::string& text);

enum class FontKind { Normal, Bold, Status };

/// The fonts of one window at its DPI: the desktop's message font, bold, and the larger bold
/// one of the main status line.
class Fonts {
public:
    Fonts() = default;
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    void create(int dpi);
    HFONT get(FontKind kind) const;

private:
    void release();
    HFONT m_normal = nullptr, m_bold = nullptr, m_status = nullptr;
};

/// A static text control showing a Label: text, visibility, colour and weight.
class LabelView {
public:
    LabelView(HWND hwnd, FontKind font) : m_hwnd(hwnd), m_font(font) {}
    void render(const Label& label);
    HWND hwnd() const { return m_hwnd; }
    FontKind font() const { return m_font; }
    COLORREF textColor() const;

private:
    HWND m_hwnd;
    FontKind m_font;
    std::string m_caption;
    bool m_visible = true;
    uint32_t m_color = 0;
};

/// A push button showing a themed Button: caption with an icon, tooltip, enabled and visible.
class ButtonView {
public:
    ButtonView(HWND hwnd, int iconId) : m_hwnd(hwnd), m_iconId(iconId) {}
    void render(const Button& button);
    /// The icon at the size for this DPI.
    void loadIcon(int dpi);
    HWND hwnd() const { return m_hwnd; }
    const std::wstring& tooltipTitle() const { return m_tooltipTitle; }
    std::wstring& tooltipText() { return m_tooltipText; }
    bool visible() const { return m_visible; }
    /// The width the caption and icon need, in 96-dpi pixels.
    int naturalWidth(HFONT font, int dpi) const;

private:
    HWND m_hwnd;
    int m_iconId;
    HICON m_icon = nullptr;
    std::string m_caption;
    std::wstring m_tooltipTitle, m_tooltipText;
    bool m_enabled = true;
    bool m_visible = true;
};

class Form {
public:
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND hwnd() const { return m_hwnd; }
    /// The control of that identifier (control_ids.h).
    HWND item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    bool isVisible() const { return ::IsWindowVisible(m_hwnd) != FALSE; }
    int dpi() const { return m_dpi; }

protected:
    /// className must be unique per form; the window is made at once, hidden, with a client
    /// area of designWidth x designHeight 96-dpi pixels.
    Form(const wchar_t* className, HWND owner, DWORD style, int designWidth, int designHeight);

    HWND addControl(const wchar_t* windowClass, int id, DWORD style,
                    FontKind font = FontKind::Normal, DWORD exStyle = 0);
    LabelView& addLabel(int id, DWORD style = 0, FontKind font = FontKind::Normal);
    ButtonView& addButton(int id, int iconId);
    /// The logo picture, drawn at the window's scale.
    void addLogo(int id) { addControl(WC_STATICW, id, SS_OWNERDRAW); }
    /// Called at the end of the form's constructor: from now on the window's messages reach
    /// the form's handlers; lays the controls out.
    void finishCreation();
    /// Moves a control, the rectangle in 96-dpi pixels.
    void place(int id, int x, int y, int width, int height);
    int scaled(int designPixels) const;
    /// The client area in 96-dpi pixels.
    SIZE designClientSize() const;
    /// Shows the window's caption, changed only when it differs.
    void renderCaption(const std::string& caption);
    /// Starts or stops the window's timer id as the core's timer says.
    void syncTimer(int id, const Timer& timer);
    const Fonts& fonts() const { return m_fonts; }

    virtual void layout() = 0;
    virtual void command(int /*id*/, int /*code*/) {}
    virtual void timer(int /*id*/) {}
    virtual void closeRequested() = 0;
    virtual LRESULT notify(const NMHDR& /*header*/) { return 0; }
    /// The smallest client area, in 96-dpi pixels (resizable windows).
    virtual SIZE minimumDesignSize() const { return m_designSize; }
    /// Draws the logo into the owner-drawn picture control.
    void drawLogo(const DRAWITEMSTRUCT& item);

private:
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void applyDpi(int dpi);
    LRESULT controlColor(HDC dc, HWND control);
    RECT windowRectFor(SIZE designClient) const;

    HWND m_hwnd = nullptr;
    bool m_ready = false;
    std::string m_caption;
    HWND m_tooltip = nullptr;
    HBITMAP m_logo = nullptr;
    int m_dpi = 96;
    SIZE m_designSize{};
    Fonts m_fonts;
    std::map<HWND, FontKind> m_controlFonts;
    std::vector<std::unique_ptr<LabelView>> m_labels;
    std::vector<std::unique_ptr<ButtonView>> m_buttons;
    struct ShownTimer {
        bool enabled = false;
        int intervalMs = 0;
    };
    std::map<int, ShownTimer> m_timers;
};

/// The DPI a window is shown at (the system's when the per-window question is not available).
int WindowDpi(HWND hwnd);

} // namespace vorlith::win32ui
