#pragma once
// frmResults on Qt: the totals of the finished audit, the blinking launch notice and the
// buttons that open the results again.

#include "app/results_window.h"
#include "themed_button.h"

#include <QDialog>
#include <QLabel>
#include <QTimer>

#include <functional>

namespace vorlith::desktop {

class ResultsForm final : public QDialog {
public:
    ResultsForm(ResultsWindow& window, std::function<void()> afterEvent);

    /// Shows the window's state (and hides the window when the logic unloaded it).
    void render();

    QLabel *lblVer, *lblStatus, *lblTotal, *Label1, *lblCumTotal, *Label2, *lblSuspectTotal,
        *lblResults, *lblRelaunch;
    ThemedButton *cmdBoth, *cmdIE, *cmdFireFoxMemory, *cmdFireFoxDisk, *cmdKillTraces;
    QTimer *Timer1, *Timer2;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override; // Escape closes the window like its close box

private:
    void clicked(ThemedButton* button, std::function<void()> action);

    ResultsWindow& m_window;
    std::function<void()> m_afterEvent;
};

} // namespace vorlith::desktop
