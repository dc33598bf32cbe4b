#include "results_form.h"

#include "control_ids.h"
#include "resource_ids.h"

namespace vorlith::win32ui {
namespace {
constexpr int kWidth = 420, kHeight = 326, kMargin = 11;
} // namespace

ResultsForm::ResultsForm(ResultsWindow& window, HWND owner, std::function<void()> afterEvent)
    : Form(L"VorlithResults", owner, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, kWidth, kHeight),
      m_window(window), m_afterEvent(std::move(afterEvent)) {
    using namespace frmResults;
    addLogo(imgLogo);
    m_labels = {
        {&addLabel(lblVer, SS_RIGHT), &m_window.lblVer},
        {&addLabel(lblStatus), &m_window.lblStatus},
        {&addLabel(lblTotal, 0, FontKind::Bold), &m_window.lblTotal},
        {&addLabel(Label1), &m_window.Label1},
        {&addLabel(lblCumTotal, 0, FontKind::Bold), &m_window.lblCumTotal},
        {&addLabel(Label2), &m_window.Label2},
        {&addLabel(lblSuspectTotal, 0, FontKind::Bold), &m_window.lblSuspectTotal},
        {&addLabel(lblResults, 0, FontKind::Bold), &m_window.lblResults},
        {&addLabel(lblRelaunch), &m_window.lblRelaunch},
    };
    m_buttons = {
        {&addButton(cmdBoth, IDI_BUTTON_BOTH), &m_window.cmdBoth},
        {&addButton(cmdIE, IDI_BUTTON_BROWSER), &m_window.cmdIE},
        {&addButton(cmdFireFoxMemory, IDI_BUTTON_MEMORY), &m_window.cmdFireFoxMemory},
        {&addButton(cmdFireFoxDisk, IDI_BUTTON_DISK), &m_window.cmdFireFoxDisk},
        {&addButton(cmdKillTraces, IDI_BUTTON_KILL), &m_window.cmdKillTraces},
    };
    finishCreation();
    render();
}

void ResultsForm::layout() {
    using namespace frmResults;
    const int width = kWidth - 2 * kMargin;
    place(imgLogo, kMargin, kMargin, 253, 74);
    place(lblVer, kWidth - kMargin - 60, kMargin, 60, 18);
    const int rows[][2] = {{lblStatus, lblTotal}, {Label1, lblCumTotal}, {Label2, lblSuspectTotal}};
    int top = 93;
    for (const auto& [name, value] : rows) {
        place(name, kMargin, top, 150, 18);
        place(value, kMargin + 166, top, width - 166, 18);
        top += 20;
    }
    place(lblResults, kMargin, 161, width, 18);
    place(lblRelaunch, kMargin, 181, width, 18);
    const int half = (width - 8) / 2;
    place(cmdBoth, kMargin, 203, half, 32);
    place(cmdIE, kMargin + half + 8, 203, half, 32);
    place(cmdFireFoxMemory, kMargin, 241, half, 32);
    place(cmdFireFoxDisk, kMargin + half + 8, 241, half, 32);
    place(cmdKillTraces, kMargin, kHeight - kMargin - 32, width, 32);
}

void ResultsForm::command(int id, int code) {
    using namespace frmResults;
    if (id == IDCANCEL) { // Escape: as the close box
        closeRequested();
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case cmdBoth:
        m_window.cmdBoth_Click();
        break;
    case cmdIE:
        m_window.cmdIE_Click();
        break;
    case cmdFireFoxMemory:
        m_window.cmdFireFoxMemory_Click();
        break;
    case cmdFireFoxDisk:
        m_window.cmdFireFoxDisk_Click();
        break;
    case cmdKillTraces:
        m_window.cmdKillTraces_Click();
        break;
    default:
        return;
    }
    m_afterEvent();
}

void ResultsForm::timer(int id) {
    if (id == frmResults::Timer1)
        m_window.Timer1_Tick();
    else if (id == frmResults::Timer2)
        m_window.Timer2_Tick();
    else
        return;
    m_afterEvent();
}

void ResultsForm::closeRequested() {
    if (m_window.frame.visible)
        m_window.Form_Unload();
    m_afterEvent();
}

void ResultsForm::render() {
    renderCaption(m_window.frame.caption);
    for (auto& [view, label] : m_labels)
        view->render(*label);
    for (auto& [view, button] : m_buttons)
        view->render(*button);
    syncTimer(frmResults::Timer1, m_window.Timer1);
    syncTimer(frmResults::Timer2, m_window.Timer2);
    if (!m_window.frame.visible && isVisible())
        ::ShowWindow(hwnd(), SW_HIDE);
}

} // namespace vorlith::win32ui
