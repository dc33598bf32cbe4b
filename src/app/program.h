#pragma once
// The program as loaded: the main window with its start-up, its audit run and its results
// window. Front-ends create one, deliver events to it and render its windows' state.

#include "app/audit_run.h"
#include "app/browser_launch.h"
#include "app/idle_watch.h"
#include "app/main_window/close_request.h"
#include "app/main_window/main_window.h"
#include "app/results_window.h"
#include "app/startup.h"
#include "app/tray.h"
#include "platform/input_state.h"
#include "platform/instance_lock.h"
#include "platform/program_start.h"
#include "settings/program_settings.h"
#include "app/setup_dialog.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlith {

/// What the program takes from the platform; front-ends pass the system's, tests their own.
struct ProgramServices {
    platform::WindowSystem& windows;
    const platform::Clock& clock;
    platform::DriveSource& drives;
    platform::UrlCacheSource& urlCache;
    platform::ProgramStarter& starter;
    platform::SettingsHive& userHive;
    platform::SettingsHive& machineHive;
};

/// Choices a front-end's command line may make.
struct ProgramOptions {
    std::vector<std::string> driveRoots; // walk these instead of the drives the settings choose
    std::string reportFolder;            // write the pages here instead of the report folder
    BrowserMode browsers = BrowserMode::Open;
    std::string lockName = "vorlith"; // the one-copy lock
    std::string exportFile{};         // also write the findings here (".json", ".csv"); "": none
};

enum class StartupOutcome {
    AnotherCopyRunning, // ended at once, silently
    Ended,              // a log-in start with a recent audit: ended at once
    WaitingInTray,      // a log-in start with an audit due: the idle watch is on
    WaitingForCommand,  // the main window is shown
    AuditRan,           // the main window is shown and an audit has run
};

class Program {
public:
    Program(ProgramServices services, ProgramOptions options);

    /// The whole start-up sequence of the main window's loading.
    StartupOutcome Form_Load(const std::string& argumentText);

    /// Start-up up to the choice of how to go on: the one-copy lock, the command line, the
    /// settings, the first run, the day count, the report folder, the tray icon. False when
    /// another copy holds the lock.
    bool LoadUpToChoice(const std::string& argumentText);

    /// The idle watch found the user idle long enough: show the window and audit.
    void IdleAuditStart(int idleSeconds);

    // Events of the main window.
    void cmdAudit_Click() { m_audit.cmdAudit_Click(); }
    void cmdCancel_Click() { m_audit.cmdCancel_Click(); }
    void Timer_Search_Tick() { m_audit.Timer_Search_Tick(); }
    /// The idle watch's tick: starts the audit (IdleAuditStart) once the user has been idle
    /// long enough. Does nothing while Idle_Timer is off.
    void Idle_Timer_Tick(platform::InputState& input);
    /// Opens the purchase page of Erazent with the last audit's trace count. The front-end then
    /// gives cmdAudit the focus.
    void cmdKill_Click();
    /// Shows the setup dialog, not modally; a dialog already open is only brought to the front,
    /// with the user's unsaved edits.
    void cmdSetup_Click();
    /// Closes the setup dialog, the results window, then asks the main window to close. True
    /// when the main window closed (the program ends).
    bool cmdExit_Click();
    /// A request to close the main window (its close box, the desktop). True when it closed.
    bool Form_QueryUnload();
    /// The tray menu: show the main window; unload the main window, the results window and the
    /// setup dialog in that order. mnuExit_Click is true when the main window closed.
    void mnuShow_Click();
    bool mnuExit_Click();
    /// A mouse event on the tray icon: what the front-end does (show the window is done here).
    TrayAction Tray_MouseEvent(TrayMouse event);

    MainWindow& mainWindow() { return m_window; }
    ResultsWindow& resultsWindow() { return m_results; }
    ProgramSettings& settings() { return m_settings; }
    const StartupState& startup() const { return m_startup; }
    AuditRun& audit() { return m_audit; }
    BrowserLauncher& browsers() { return m_browsers; }
    SetupDialog& setupDialog() { return m_setup; }
    clsTray& tray() { return m_tray; }
    IdleState& idleState() { return m_idle; }
    ProgramServices& services() { return m_services; }

private:
    ProgramServices m_services;
    ProgramOptions m_options;
    std::unique_ptr<platform::InstanceLock> m_lock;
    StartupState m_startup;
    ProgramSettings m_settings;
    MainWindow m_window;
    BrowserLauncher m_browsers;
    ResultsWindow m_results;
    AuditRun m_audit;
    clsTray m_tray;
    IdleState m_idle;
    SetupDialog m_setup;
};

} // namespace vorlith
