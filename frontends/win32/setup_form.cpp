#include "setup_form.h"

#include "control_ids.h"
#include "resource_ids.h"

namespace vorlith::win32ui {
namespace {
constexpr int kWidth = 444, kHeight = 412, kMargin = 11;

void setText(HWND control, const std::string& text) {
    ::SetWindowTextW(control, Wide(text).c_str());
}
} // namespace

SetupForm::SetupForm(SetupDialog& dialog, HWND owner, std::function<void()> afterEvent,
                     std::function<void()> closed)
    : Form(L"VorlithSetup", owner, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, kWidth, kHeight),
      m_dialog(dialog), m_afterEvent(std::move(afterEvent)), m_closed(std::move(closed)) {
    using namespace frmSetup;
    // Frames first, as in a dialog template: a frame draws only its edge and its caption.
    setText(addControl(WC_BUTTONW, Frame1, BS_GROUPBOX), m_dialog.Frame1.caption);
    setText(addControl(WC_BUTTONW, frmBrowser, BS_GROUPBOX), m_dialog.frmBrowser.caption);
    setText(addControl(WC_BUTTONW, frameSetup, BS_GROUPBOX), m_dialog.frameSetup.caption);
    m_checkBoxes = {{chkNoFirefox, &m_dialog.chkNoFirefox},
                    {chkNoThumbs, &m_dialog.chkNoThumbs},
                    {chkScanNetworkDrives, &m_dialog.chkScanNetworkDrives},
                    {chkRunHAonStart, &m_dialog.chkRunHAonStart},
                    {chkRunStartUp, &m_dialog.chkRunStartUp}};
    for (auto& [id, box] : m_checkBoxes) {
        if (id == chkRunStartUp)
            continue; // made in its frame's turn below, for the tab order
        setText(addControl(WC_BUTTONW, id, BS_AUTOCHECKBOX | WS_TABSTOP), box->caption);
    }
    // The logic decides which option stays selected (a Firefox-only choice asks first), so the
    // options do not select themselves.
    m_options = {{optBoth, &m_dialog.optBoth},
                 {optFirefoxDisk, &m_dialog.optFirefoxDisk},
                 {optFirefoxCache, &m_dialog.optFirefoxCache},
                 {optIE, &m_dialog.optIE}};
    for (auto& [id, option] : m_options)
        setText(addControl(WC_BUTTONW, id,
                           BS_RADIOBUTTON | WS_TABSTOP | (id == optBoth ? WS_GROUP : 0)),
                option->caption);
    setText(addControl(WC_BUTTONW, chkRunStartUp, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP),
            m_dialog.chkRunStartUp.caption);
    m_labels = {{&addLabel(lblDays), &m_dialog.lblDays}};
    HWND days = addControl(WC_EDITW, txtDays, ES_AUTOHSCROLL | WS_TABSTOP, FontKind::Normal,
                           WS_EX_CLIENTEDGE);
    ::SendMessageW(days, EM_SETLIMITTEXT, 5, 0);
    m_labels.push_back({&addLabel(lblDays2), &m_dialog.lblDays2});
    m_buttons = {{&addButton(cmdCancel, IDI_BUTTON_CANCEL), &m_dialog.cmdCancel},
                 {&addButton(cmdDefault, IDI_BUTTON_DEFAULT), &m_dialog.cmdDefault},
                 {&addButton(cmdSave, IDI_BUTTON_SAVE), &m_dialog.cmdSave}};
    finishCreation();
    render();
}

void SetupForm::layout() {
    using namespace frmSetup;
    const int width = kWidth - 2 * kMargin;
    const int inner = kMargin + 12;
    place(Frame1, kMargin, 8, width, 124);
    int top = 30;
    for (int id : {chkNoFirefox, chkNoThumbs, chkScanNetworkDrives, chkRunHAonStart}) {
        place(id, inner, top, width - 24, 22);
        top += 25;
    }
    place(frmBrowser, kMargin, 140, width, 124);
    top = 162;
    for (int id : {optBoth, optFirefoxDisk, optFirefoxCache, optIE}) {
        place(id, inner, top, width - 24, 22);
        top += 25;
    }
    place(frameSetup, kMargin, 272, width, 86);
    place(chkRunStartUp, inner, 294, width - 24, 22);
    place(lblDays, inner, 325, 212, 18);
    place(txtDays, inner + 214, 321, 52, 24);
    place(lblDays2, inner + 272, 325, width - 24 - 272, 18);
    const int buttonTop = kHeight - kMargin - 32;
    place(cmdCancel, kMargin, buttonTop, 90, 32);
    place(cmdDefault, kWidth - kMargin - 110 - 6 - 90, buttonTop, 90, 32);
    place(cmdSave, kWidth - kMargin - 110, buttonTop, 110, 32);
}

void SetupForm::command(int id, int code) {
    using namespace frmSetup;
    if (m_rendering)
        return;
    if (id == IDCANCEL) { // Escape: as the close box
        closeRequested();
        return;
    }
    if (id == txtDays) {
        if (code == EN_CHANGE) {
            wchar_t text[16] = {};
            ::GetWindowTextW(item(txtDays), text, 16);
            m_dialog.txtDays.text = platform::win32::Narrow(text);
            m_shownDays = m_dialog.txtDays.text;
        }
        return;
    }
    if (code != BN_CLICKED)
        return;
    for (auto& [boxId, box] : m_checkBoxes)
        if (boxId == id)
            box->checked = ::SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    switch (id) {
    case optBoth:
        m_dialog.selectOption(m_dialog.optBoth);
        break;
    case optIE:
        m_dialog.selectOption(m_dialog.optIE);
        break;
    case optFirefoxDisk:
        m_dialog.optFirefoxDisk_Click();
        break;
    case optFirefoxCache:
        m_dialog.optFirefoxCache_Click();
        break;
    case cmdCancel:
        m_dialog.cmdCancel_Click();
        break;
    case cmdDefault:
        m_dialog.cmdDefault_Click();
        break;
    case cmdSave:
        m_dialog.cmdSave_Click();
        break;
    default:
        // A check box: its state is kept above, nothing else happens.
        break;
    }
    handled();
}

void SetupForm::handled() {
    m_afterEvent();
    if (m_wasVisible && !m_dialog.frame.visible) {
        m_wasVisible = false;
        m_closed();
    }
}

void SetupForm::closeRequested() {
    if (m_dialog.frame.visible) {
        m_dialog.Form_Unload();
        handled();
    }
}

void SetupForm::render() {
    m_rendering = true;
    renderCaption(m_dialog.frame.caption);
    for (auto& [id, box] : m_checkBoxes)
        ::SendMessageW(item(id), BM_SETCHECK, box->checked ? BST_CHECKED : BST_UNCHECKED, 0);
    for (auto& [id, option] : m_options)
        ::SendMessageW(item(id), BM_SETCHECK, option->selected ? BST_CHECKED : BST_UNCHECKED, 0);
    if (m_dialog.txtDays.text != m_shownDays) {
        m_shownDays = m_dialog.txtDays.text;
        setText(item(frmSetup::txtDays), m_shownDays);
    }
    for (auto& [view, label] : m_labels)
        view->render(*label);
    for (auto& [view, button] : m_buttons)
        view->render(*button);
    m_rendering = false;
    if (m_dialog.frame.visible && !isVisible()) {
        m_wasVisible = true;
        ::ShowWindow(hwnd(), SW_SHOWNORMAL);
        ::SetForegroundWindow(hwnd());
    } else if (!m_dialog.frame.visible && isVisible()) {
        ::ShowWindow(hwnd(), SW_HIDE);
    }
}

} // namespace vorlith::win32ui
