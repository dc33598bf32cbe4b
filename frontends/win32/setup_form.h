#pragma once
// frmSetup on Win32: the settings a user changes, shown beside the main window (not modal).

#include "app/setup_dialog.h"
#include "form.h"

#include <functional>

namespace vorlith::win32ui {

class SetupForm final : public Form {
public:
    /// closed runs when the dialog has closed (the focus goes back to the main window).
    SetupForm(SetupDialog& dialog, HWND owner, std::function<void()> afterEvent,
              std::function<void()> closed);

    void render();

private:
    void layout() override;
    void command(int id, int code) override;
    void closeRequested() override;
    void handled();

    SetupDialog& m_dialog;
    std::function<void()> m_afterEvent;
    std::function<void()> m_closed;
    std::vector<std::pair<int, CheckBox*>> m_checkBoxes;
    std::vector<std::pair<int, OptionButton*>> m_options;
    std::vector<std::pair<LabelView*, const Label*>> m_labels;
    std::vector<std::pair<ButtonView*, const Button*>> m_buttons;
    std::string m_shownDays;
    bool m_rendering = false; // the controls are being set from the dialog's state
    bool m_wasVisible = false;
};

} // namespace vorlith::win32ui
