#include "app/program.h"

#include "report/links.h"
#include "settings/settings_store.h"
#include "settings/startup_entry.h"

namespace vorlith {

Program::Program(ProgramServices services, ProgramOptions options)
    : m_services(services), m_options(std::move(options)),
      m_browsers(services.starter, m_options.browsers),
      m_results(m_window, m_browsers, services.windows),
      m_audit(AuditServices{services.windows, services.drives, services.urlCache, services.clock,
                            services.userHive, m_browsers},
              AuditState{m_window, m_settings, m_results, m_startup.ReportFolder,
                         m_startup.ReportState, m_startup.ReportProblem, false,
                         m_options.driveRoots, m_options.exportFile}),
      m_tray(services.windows),
      m_setup(SetupServices{services.userHive, services.machineHive, services.windows}, m_settings,
              StartupProgramPath()) {
    m_window.Idle_Timer.intervalMs = kIdlePollIntervalMs;
}

bool Program::LoadUpToChoice(const std::string& argumentText) {
    m_lock = platform::AcquireInstanceLock(m_options.lockName);
    if (!m_lock)
        return false;

    m_startup = StartupState{};
    m_audit.state() = RunState{};
    m_settings.DefaultResults = 1;
    m_settings.CumlativeTotal = 0;

    ParseCommandLine(argumentText, m_startup);
    m_audit.audit().UninstallMode = m_startup.UninstallMode;

    platform::SettingsHive& hive = m_services.userHive;
    ReadProgramSettings(hive, m_settings);

    if (m_settings.LastAudit.size() < 3) {
        m_settings.LastAudit = FormatIsoDate(m_services.clock.localNow());
        SaveSetting(hive, kSettingsApplication, kSettingsSection, keys::kLastAudit,
                    m_settings.LastAudit);
        SaveSetting(hive, kSettingsApplication, kSettingsSection, keys::kMinDays, "7");
        SaveSetting(hive, kSettingsApplication, kSettingsSection, keys::kWinStart, "1");
    }
    m_startup.DaysSinceAudit =
        CountDaysSinceAudit(m_settings.LastAudit, m_services.clock.localNow());

    PreparedReportFolder report = PrepareReportFolder(m_options.reportFolder);
    m_startup.ReportFolder = report.path;
    m_startup.ReportState = report.state;
    m_startup.ReportProblem = report.problem;
    m_window.frame.showInTaskbar = false;
    m_tray.ShowIcon(m_window.frame);
    return true;
}

StartupOutcome Program::Form_Load(const std::string& argumentText) {
    if (!LoadUpToChoice(argumentText)) {
        m_window.frame.visible = false;
        return StartupOutcome::AnotherCopyRunning;
    }
    if (m_startup.StartupMode) {
        if (m_startup.DaysSinceAudit >= m_settings.MinDays) {
            m_window.Idle_Timer.enabled = true;
            m_window.frame.visible = false;
            m_window.frame.state = WindowState::Minimized;
            return StartupOutcome::WaitingInTray;
        }
        return StartupOutcome::Ended;
    }
    m_services.windows.centerWindow(platform::WindowId::Main);
    m_window.frame.visible = true;
    m_window.lblStatus.caption = "WAITING FOR A COMMAND...";
    if (m_settings.HARunOnStart == 1) {
        m_window.lblStatus.caption = "LOADING...";
        m_services.windows.yield();
        cmdAudit_Click();
        return StartupOutcome::AuditRan;
    }
    return StartupOutcome::WaitingForCommand;
}

void Program::IdleAuditStart(int) {
    m_window.frame.state = WindowState::Normal;
    m_services.windows.centerWindow(platform::WindowId::Main);
    m_window.frame.visible = true;
    m_window.lblStatus.caption = "LOADING...";
    m_services.windows.yield();
    m_window.Idle_Timer.enabled = false;
    cmdAudit_Click();
}

void Program::Idle_Timer_Tick(platform::InputState& input) {
    if (!m_window.Idle_Timer.enabled)
        return;
    const int idleSeconds = IdleTick(m_idle, input, m_services.clock);
    if (idleSeconds >= 0)
        IdleAuditStart(idleSeconds);
}

void Program::cmdKill_Click() {
    // A browser that cannot be started shows nothing; the program goes on.
    m_browsers.OpenInInternetExplorer(ErazentPurchaseLink(m_audit.totals().TotalTraces));
}

void Program::cmdSetup_Click() {
    // Loading again would read the stored settings over what the user has changed meanwhile.
    if (m_setup.frame.visible) {
        m_services.windows.raiseWindow(platform::WindowId::Setup);
        return;
    }
    m_setup.Form_Load();
}

bool Program::Form_QueryUnload() {
    const CloseDecision decision = vorlith::Form_QueryUnload(
        m_audit.state(), m_window.frame, m_services.windows, m_startup.ReportFolder);
    if (decision == CloseDecision::Refuse)
        return false;
    m_window.frame.visible = false;
    m_window.Idle_Timer.enabled = false;
    m_window.Timer_Search.enabled = false;
    return true;
}

bool Program::cmdExit_Click() {
    if (m_setup.frame.visible)
        m_setup.Form_Unload();
    if (m_results.frame.visible)
        m_results.Form_Unload();
    return Form_QueryUnload();
}

void Program::mnuShow_Click() {
    ShowMainWindow(m_window.frame);
}

bool Program::mnuExit_Click() {
    const bool closed = Form_QueryUnload();
    if (m_results.frame.visible)
        m_results.Form_Unload();
    if (m_setup.frame.visible)
        m_setup.Form_Unload();
    return closed;
}

TrayAction Program::Tray_MouseEvent(TrayMouse event) {
    const TrayAction action = TrayMouseAction(event);
    if (action == TrayAction::ShowMainWindow)
        ShowMainWindow(m_window.frame);
    return action;
}

} // namespace vorlith
