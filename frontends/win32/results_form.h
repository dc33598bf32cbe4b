#pragma once
// frmResults on Win32: the totals of the finished audit, the blinking launch notice and the
// buttons that open the results again. Shown modally over the main window.

#include "app/results_window.h"
#include "form.h"

#include <functional>

namespace vorlith::win32ui {

class ResultsForm final : public Form {
public:
    /// owner is the main window, which the window stays in front of.
    ResultsForm(ResultsWindow& window, HWND owner, std::function<void()> afterEvent);

    /// Shows the window's state (and hides the window when the logic unloaded it).
    void render();

private:
    void layout() override;
    void command(int id, int code) override;
    void timer(int id) override;
    void closeRequested() override;

    ResultsWindow& m_window;
    std::function<void()> m_afterEvent;
    std::vector<std::pair<LabelView*, const Label*>> m_labels;
    std::vector<std::pair<ButtonView*, const Button*>> m_buttons;
};

} // namespace vorlith::win32ui
