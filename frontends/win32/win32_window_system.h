#pragma once
// The Windows desktop program's window services: the three windows and the tray icon, rendered
// from the logic's window state, with the window messages handled inside the logic's yields.

#include "app/program.h"
#include "main_form.h"
#include "platform/input_state.h"
#include "platform/window_system.h"
#include "results_form.h"
#include "setup_form.h"

#include <shellapi.h>

#include <chrono>
#include <functional>
#include <memory>

namespace vorlith::win32ui {

struct Win32Options {
    /// A yield handles the waiting messages only when this much time has passed since it last
    /// did: a yield with nothing due costs one clock reading.
    std::chrono::milliseconds pumpInterval{15};
    /// Runs once when the main window has been unloaded and the program ends.
    std::function<void()> ended;
};

class Win32WindowSystem : public platform::WindowSystem {
public:
    explicit Win32WindowSystem(Win32Options options);
    ~Win32WindowSystem() override;

    /// Makes the windows, the program's hidden window (the tray icon's and the owner of the
    /// main window, which keeps the program off the task bar) and the tray menu.
    void attach(Program& program);
    /// Feeds the idle watch from input while Idle_Timer is on; the source is dropped when the
    /// watch goes off. Without one the idle watch never fires.
    void watchInput(std::unique_ptr<platform::InputState> input);
    bool isWatchingInput() const { return m_input != nullptr; }

    void yield() override;
    /// Renders every window first, so that the window behind the box shows the state the
    /// question or notice is about, then asks.
    platform::MessageAnswer showMessage(const platform::MessageRequest& request) final;
    /// Shows the results window over the main window, which takes no input meanwhile, and
    /// handles messages until the window is closed.
    void showResultsModal(ResultsWindow& window) override;
    /// Centres the window on the work area (the screen less the task bar) of the main window's
    /// monitor.
    void centerWindow(platform::WindowId window) override;
    void raiseWindow(platform::WindowId window) override;
    /// Adds the icon to the notification area; added again when the task bar is made anew
    /// (Explorer restarted, or not yet running at log-in).
    void showTrayIcon() override;

    /// Shows every window's state.
    void renderAll();
    /// Handles messages until the program ends.
    void run();
    /// Handles one message as the program's loops do (dialog keys in its windows).
    void dispatch(MSG& message);
    /// Handles every waiting message. False when the program was asked to quit (the request is
    /// kept for the outer loop).
    bool pumpWaiting();
    /// The tray menu's entry chosen (mnuTrayPopup identifiers).
    void trayMenuCommand(int id);

    bool hasEnded() const { return m_ended; }
    bool isTrayIconShown() const { return m_trayIconShown; }
    long pumps() const { return m_pumps; }
    MainForm& mainForm() { return *m_main; }
    ResultsForm& resultsForm() { return *m_results; }
    SetupForm& setupForm() { return *m_setup; }
    /// The hidden window that owns the tray icon (its identifier is the icon's).
    HWND trayWindow() const { return m_trayWindow; }
    HMENU trayMenu() const { return m_trayMenu; }

    /// The message the tray icon's mouse events arrive with at trayWindow().
    static constexpr UINT kTrayMessage = WM_APP + 1;

protected:
    /// Shows the message box and waits for the answer.
    virtual platform::MessageAnswer ask(const platform::MessageRequest& request);

private:
    static LRESULT CALLBACK TrayWindowProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                LPARAM lParam);
    void trayMouse(UINT mouseMessage);
    NOTIFYICONDATAW trayIconData(const TrayIcon& icon) const;
    void addTrayIcon();
    void renderTrayIcon();
    void removeTrayIcon();
    void end();
    void idleTick();
    void setModalOwnersEnabled(bool enabled);
    HWND windowOf(platform::WindowId window) const;

    Win32Options m_options;
    Program* m_program = nullptr;
    std::unique_ptr<platform::InputState> m_input;
    HWND m_trayWindow = nullptr;
    HMENU m_trayMenu = nullptr;
    HICON m_trayIcon = nullptr;
    UINT m_taskbarCreated = 0;
    std::unique_ptr<MainForm> m_main;
    std::unique_ptr<ResultsForm> m_results;
    std::unique_ptr<SetupForm> m_setup;
    std::wstring m_shownTip;
    UINT m_shownIconId = 0;
    std::chrono::steady_clock::time_point m_lastPump{};
    long m_pumps = 0;
    bool m_trayIconShown = false;
    bool m_resultsModal = false;
    bool m_ended = false;
    bool m_inIdleTick = false;
};

} // namespace vorlith::win32ui
