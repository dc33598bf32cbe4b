#pragma once
// The desktop program's window services: the three Qt windows and the tray icon, rendered from
// the logic's window state, with Qt's events pumped inside the logic's yields.

#include "app/desktop_startup.h"
#include "app/program.h"
#include "main_form.h"
#include "platform/input_state.h"
#include "platform/window_system.h"
#include "results_form.h"
#include "setup_form.h"

#include <QEventLoop>
#include <QMenu>
#include <QSystemTrayIcon>

#include <chrono>
#include <functional>
#include <memory>

namespace vorlith::desktop {

struct DesktopOptions {
    /// A yield pumps Qt's events only when this much time has passed since the last pump: a
    /// yield with nothing due costs one clock reading.
    std::chrono::milliseconds pumpInterval{15};
    /// Runs once when the main window has been unloaded and the program ends.
    std::function<void()> ended;
};

class DesktopWindowSystem : public platform::WindowSystem {
public:
    explicit DesktopWindowSystem(DesktopOptions options);
    ~DesktopWindowSystem() override;

    /// Builds the windows and the tray icon of the program.
    void attach(Program& program);
    /// Feeds the idle watch from input while Idle_Timer is on; the source is closed when the
    /// watch goes off, so that no input events pile up unread. Without one the idle watch never
    /// fires (the caller decides what to do instead).
    void watchInput(std::unique_ptr<platform::InputState> input) {
        m_idleInput.watch(std::move(input));
    }
    bool isWatchingInput() const { return m_idleInput.isWatching(); }
    IdleInputFeed& idleInput() { return m_idleInput; }

    void yield() override;
    /// Renders every window first, so that the window behind the box shows the state the
    /// question or notice is about, then asks.
    platform::MessageAnswer showMessage(const platform::MessageRequest& request) final;
    void showResultsModal(ResultsWindow& window) override;
    void centerWindow(platform::WindowId window) override;
    void raiseWindow(platform::WindowId window) override;
    void showTrayIcon() override;

    /// Shows every window's state; ends the modal loop of a results window the logic closed.
    void renderAll();

    /// True when the desktop has a notification area to put the icon in.
    static bool IsTrayAvailable();

    bool hasEnded() const { return m_ended; }
    long pumps() const { return m_pumps; }
    MainForm& mainForm() { return *m_main; }
    ResultsForm& resultsForm() { return *m_results; }
    SetupForm& setupForm() { return *m_setup; }
    QSystemTrayIcon& trayIcon() { return *m_tray; }
    QMenu& trayMenu() { return *m_trayMenu; }

protected:
    /// Shows the message box and waits for the answer.
    virtual platform::MessageAnswer ask(const platform::MessageRequest& request);

private:
    class RightReleaseWatch;
    void end();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void trayMouse(TrayMouse event);
    QWidget* widgetOf(platform::WindowId window);
    void applyTaskbarHint();
    void idleTick();

    DesktopOptions m_options;
    Program* m_program = nullptr;
    IdleInputFeed m_idleInput;
    std::unique_ptr<MainForm> m_main;
    std::unique_ptr<ResultsForm> m_results;
    std::unique_ptr<SetupForm> m_setup;
    std::unique_ptr<QMenu> m_trayMenu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<RightReleaseWatch> m_rightRelease;
    QEventLoop* m_resultsLoop = nullptr;
    std::chrono::steady_clock::time_point m_lastPump{};
    long m_pumps = 0;
    bool m_ended = false;
    bool m_taskbarHintApplied = false;
};

} // namespace vorlith::desktop
