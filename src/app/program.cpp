#include "app/program.h"

#include "settings/settings_store.h"

namespace vorlith {

Program::Program(ProgramServices services, ProgramOptions options)
    : m_services(services), m_options(std::move(options)),
      m_browsers(services.starter, m_options.browsers),
      m_results(m_window, m_browsers, services.windows),
      m_audit(AuditServices{services.windows, services.drives, services.urlCache, services.clock,
                            services.userHive, m_browsers},
              AuditState{m_window, m_settings, m_results, m_startup.ReportFolder, false,
                         m_options.driveRoots}) {}

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

    m_startup.ReportFolder = PrepareReportFolder(m_options.reportFolder);
    m_window.frame.showInTaskbar = false;
    m_services.windows.showTrayIcon();
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

} // namespace vorlith
