#include "main_form.h"

#include "control_ids.h"
#include "resource_ids.h"

namespace vorlith::win32ui {
namespace {
// The bar shows whole per mille: the control is touched only when that shown value changes.
constexpr int kProgressSteps = 1000;
constexpr int kMargin = 11;
constexpr int kButtonHeight = 32;
constexpr int kLists[] = {frmMain::lstResult, frmMain::lstVideos, frmMain::lstThumbs,
                          frmMain::lstFirefox};
constexpr const wchar_t* kListTabs[] = {L"Audio files", L"Videos", L"Thumbnail stores",
                                        L"Firefox cache"};

int shownProgress(const ProgressBar& bar) {
    if (bar.max <= 0)
        return 0;
    const int64_t value = bar.value < 0 ? 0 : bar.value > bar.max ? bar.max : bar.value;
    return static_cast<int>(value * kProgressSteps / bar.max);
}
} // namespace

MainForm::MainForm(Program& program, HWND owner, Handlers handlers)
    : Form(L"VorlithMain", owner, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 680, 500),
      m_program(program), m_handlers(std::move(handlers)) {
    using namespace frmMain;
    addLogo(imgLogo);
    m_lblVer = &addLabel(lblVer, SS_RIGHT);
    m_lblStatus = &addLabel(lblStatus, SS_ENDELLIPSIS, FontKind::Status);
    m_lblArrow2 = &addLabel(lblArrow2);
    // A long folder path is shortened in the middle rather than cut at the end.
    m_lblStatus2 = &addLabel(lblStatus2, SS_PATHELLIPSIS);
    m_lblCount = &addLabel(lblCount);
    HWND bar = addControl(PROGRESS_CLASSW, pBar, 0);
    ::SendMessageW(bar, PBM_SETRANGE32, 0, kProgressSteps);

    HWND tabs = addControl(WC_TABCONTROLW, tabLists, WS_TABSTOP | WS_CLIPSIBLINGS);
    for (int index = 0; index < 4; ++index) {
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<wchar_t*>(kListTabs[index]);
        ::SendMessageW(tabs, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&tab));
    }
    for (int id : kLists) {
        HWND list =
            addControl(WC_LISTBOXW, id, WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT,
                       FontKind::Normal, WS_EX_CLIENTEDGE);
        // The lists lie on the tab control's page: above it.
        ::SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    showList(0);

    m_cmdAudit = &addButton(cmdAudit, IDI_BUTTON_RUN);
    m_cmdSetup = &addButton(cmdSetup, IDI_BUTTON_SETUP);
    m_cmdKill = &addButton(cmdKill, IDI_BUTTON_KILL);
    m_cmdCancel = &addButton(cmdCancel, IDI_BUTTON_CANCEL);
    m_cmdExit = &addButton(cmdExit, IDI_BUTTON_EXIT);
    finishCreation();
    render(false);
}

void MainForm::layout() {
    using namespace frmMain;
    const SIZE client = designClientSize();
    const int width = client.cx - 2 * kMargin;
    place(imgLogo, kMargin, kMargin, 253, 74);
    place(lblVer, client.cx - kMargin - 60, kMargin, 60, 18);
    place(lblStatus, kMargin, 93, width, 24);
    place(lblArrow2, kMargin, 121, 14, 18);
    place(lblStatus2, kMargin + 16, 121, width - 16, 18);
    place(lblCount, kMargin, 141, width, 18);
    place(pBar, kMargin, 163, width, 18);
    const int buttonTop = client.cy - kMargin - kButtonHeight;
    place(tabLists, kMargin, 189, width, buttonTop - 10 - 189);

    // The page of the tab control, in the window's pixels.
    RECT page{};
    ::GetClientRect(item(tabLists), &page);
    ::SendMessageW(item(tabLists), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    ::MapWindowPoints(item(tabLists), hwnd(), reinterpret_cast<POINT*>(&page), 2);
    for (int id : kLists)
        ::SetWindowPos(item(id), nullptr, page.left, page.top, page.right - page.left,
                       page.bottom - page.top, SWP_NOZORDER | SWP_NOACTIVATE);

    HFONT font = fonts().get(FontKind::Normal);
    int left = kMargin;
    for (ButtonView* button : {m_cmdAudit, m_cmdSetup, m_cmdKill}) {
        const int buttonWidth = button->naturalWidth(font, dpi());
        place(::GetDlgCtrlID(button->hwnd()), left, buttonTop, buttonWidth, kButtonHeight);
        left += buttonWidth + 6;
    }
    // Exit stands at the right edge; Cancel, shown during a run instead, takes its place.
    int right = client.cx - kMargin;
    for (ButtonView* button : {m_cmdExit, m_cmdCancel}) {
        const int buttonWidth = std::max(button->naturalWidth(font, dpi()), 80);
        place(::GetDlgCtrlID(button->hwnd()), right - buttonWidth, buttonTop, buttonWidth,
              kButtonHeight);
        if (button->visible())
            right -= buttonWidth + 6;
    }
}

void MainForm::command(int id, int code) {
    if (code != BN_CLICKED || m_unloaded)
        return;
    switch (id) {
    case frmMain::cmdAudit:
        m_program.cmdAudit_Click();
        break;
    case frmMain::cmdCancel:
        m_program.cmdCancel_Click();
        break;
    case frmMain::cmdSetup:
        m_program.cmdSetup_Click();
        break;
    case frmMain::cmdKill:
        m_program.cmdKill_Click();
        ::SetFocus(item(frmMain::cmdAudit));
        break;
    case frmMain::cmdExit:
        if (m_program.cmdExit_Click())
            unload();
        break;
    default:
        return;
    }
    m_handlers.afterEvent();
}

void MainForm::timer(int id) {
    if (id == frmMain::Timer_Search)
        m_program.Timer_Search_Tick();
    else if (id == frmMain::Idle_Timer)
        m_handlers.idleTick();
    else
        return;
    m_handlers.afterEvent();
}

void MainForm::closeRequested() {
    if (m_unloaded)
        return;
    if (m_program.Form_QueryUnload())
        unload();
    m_handlers.afterEvent();
}

LRESULT MainForm::notify(const NMHDR& header) {
    if (header.idFrom == frmMain::tabLists && header.code == TCN_SELCHANGE)
        showList(static_cast<int>(::SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
    return 0;
}

void MainForm::showList(int index) {
    for (int shown = 0; shown < 4; ++shown)
        ::ShowWindow(item(kLists[shown]), shown == index ? SW_SHOWNA : SW_HIDE);
}

void MainForm::unload() {
    m_unloaded = true;
    ::ShowWindow(hwnd(), SW_HIDE);
    for (int id : {frmMain::Timer_Search, frmMain::Idle_Timer})
        syncTimer(id, Timer{});
    m_handlers.ended();
}

void MainForm::restoreAndRaise() {
    if (!isVisible())
        return;
    if (::IsIconic(hwnd()))
        ::ShowWindow(hwnd(), SW_RESTORE);
    // While the results window is up the main window takes no input: the results window comes
    // to the front instead.
    ::SetForegroundWindow(::GetLastActivePopup(hwnd()));
}

void MainForm::renderFrame(bool taskbarButton) {
    const WindowFrame& frame = m_program.mainWindow().frame;
    renderCaption(frame.caption);
    const auto exStyle = ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
    if (((exStyle & WS_EX_APPWINDOW) != 0) != taskbarButton) {
        // The task bar reads the style when the window is shown.
        const bool wasVisible = isVisible();
        if (wasVisible)
            ::ShowWindow(hwnd(), SW_HIDE);
        ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, exStyle ^ WS_EX_APPWINDOW);
        if (wasVisible)
            ::ShowWindow(hwnd(), SW_SHOWNA);
    }
    if (!frame.visible || m_unloaded) {
        if (isVisible())
            ::ShowWindow(hwnd(), SW_HIDE);
        return;
    }
    // The state is applied when the logic changes it, so that a window the user minimised
    // stays so until the logic asks for it again.
    const bool minimized = frame.state == WindowState::Minimized;
    if (!isVisible()) {
        ::ShowWindow(hwnd(), minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
        if (!minimized)
            ::SetForegroundWindow(hwnd());
    } else if (frame.state != m_shownState) {
        if (minimized)
            ::ShowWindow(hwnd(), SW_MINIMIZE);
        else
            restoreAndRaise();
    }
    m_shownState = frame.state;
}

void MainForm::renderList(int id, const FoundFileList& list, ShownList& shown) {
    HWND control = item(id);
    const bool restarted = list.size() < shown.count || (shown.count > 0 && list[0] != shown.first);
    if (restarted) {
        ::SendMessageW(control, LB_RESETCONTENT, 0, 0);
        ::SendMessageW(control, LB_SETHORIZONTALEXTENT, 0, 0);
        shown = {};
    }
    if (list.size() == shown.count)
        return;
    ::SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    HDC dc = ::GetDC(control);
    HGDIOBJ previous = ::SelectObject(dc, fonts().get(FontKind::Normal));
    for (size_t index = shown.count; index < list.size(); ++index) {
        const std::wstring text = Wide(list[index]);
        ::SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        shown.widest = std::max<int>(shown.widest, extent.cx + scaled(8));
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    ::SendMessageW(control, LB_SETHORIZONTALEXTENT, shown.widest, 0);
    ::SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(control, nullptr, TRUE);
    shown.count = list.size();
    shown.first = list[0];
}

void MainForm::render(bool taskbarButton) {
    MainWindow& window = m_program.mainWindow();
    renderFrame(taskbarButton);
    const bool cancelShown = m_cmdCancel->visible(), exitShown = m_cmdExit->visible();
    m_cmdAudit->render(window.cmdAudit);
    m_cmdSetup->render(window.cmdSetup);
    m_cmdKill->render(window.cmdKill);
    m_cmdCancel->render(window.cmdCancel);
    m_cmdExit->render(window.cmdExit);
    if (cancelShown != m_cmdCancel->visible() || exitShown != m_cmdExit->visible())
        layout();
    m_lblVer->render(window.lblVer);
    m_lblStatus->render(window.lblStatus);
    m_lblStatus2->render(window.lblStatus2);
    m_lblCount->render(window.lblCount);
    m_lblArrow2->render(window.lblArrow2);

    HWND bar = item(frmMain::pBar);
    if (window.pBar.visible != m_barVisible) {
        m_barVisible = window.pBar.visible;
        ::ShowWindow(bar, m_barVisible ? SW_SHOWNA : SW_HIDE);
    }
    if (const int progress = shownProgress(window.pBar); progress != m_shownProgress) {
        m_shownProgress = progress;
        ::SendMessageW(bar, PBM_SETPOS, progress, 0);
    }
    renderList(frmMain::lstResult, window.lists.lstResult, m_shownLists[0]);
    renderList(frmMain::lstVideos, window.lists.lstVideos, m_shownLists[1]);
    renderList(frmMain::lstThumbs, window.lists.lstThumbs, m_shownLists[2]);
    renderList(frmMain::lstFirefox, window.lists.lstFirefox, m_shownLists[3]);
    syncTimer(frmMain::Timer_Search, window.Timer_Search);
    syncTimer(frmMain::Idle_Timer, window.Idle_Timer);
}

} // namespace vorlith::win32ui
