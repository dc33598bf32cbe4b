#pragma once
// One audit run, from the click on the audit button to the closed results window.

#include "app/browser_launch.h"
#include "app/main_window/main_window.h"
#include "app/main_window/window_progress.h"
#include "app/results_window.h"
#include "base/run_control.h"
#include "platform/clock.h"
#include "platform/drives.h"
#include "platform/settings_hive.h"
#include "platform/url_cache.h"
#include "platform/window_system.h"
#include "report/export.h"
#include "report/page_file.h"
#include "report/page_frame.h"
#include "report/page_run.h"
#include "report/report_folder.h"
#include "scan/audio_tag_reader.h"
#include "scan/scan_counts.h"
#include "settings/program_settings.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlith {

/// How the last run ended.
enum class RunEnd {
    None,          // no run yet
    Finished,      // the report was written and shown
    Canceled,      // the user cancelled: the previous report stands
    ReportFailed,  // a page could not be written: the previous report stands
    ReportRefused, // the report folder is not the program's: nothing was written
};

struct RunState {
    bool ScanCanceled = false; // the run's cancel flag
    bool Scanning = false;     // a run is under way (a close request asks the cancel question)
    bool AuditStarted = false; // an audit was started since the program was loaded
};

/// What a run takes from the platform.
struct AuditServices {
    platform::WindowSystem& windows;
    platform::DriveSource& drives;
    platform::UrlCacheSource& urlCache;
    const platform::Clock& clock;
    platform::SettingsHive& userHive;
    BrowserLauncher& browsers;
};

/// The program state a run reads and updates, owned by the program.
struct AuditState {
    MainWindow& window;
    ProgramSettings& settings;
    ResultsWindow& results;
    const std::string& ReportFolder;
    const ReportFolderState& reportState;  // as start-up prepared the folder
    const std::string& reportFolderProblem; // why it is not ready
    bool UninstallMode = false;
    /// Roots to walk instead of the drives the settings choose (empty: the drives).
    std::vector<std::string> driveRoots;
    /// Where a finished run also writes every finding (".json") or the browser traces
    /// (".csv"); "" for no export.
    std::string exportFile{};
};

class AuditRun final : public RunControl {
public:
    AuditRun(AuditServices services, AuditState state);

    /// The audit button: runs a whole audit inside this call.
    void cmdAudit_Click();
    /// The Cancel button: asks whether to cancel.
    void cmdCancel_Click();
    /// The progress timer's tick.
    void Timer_Search_Tick();

    // RunControl
    void yield() override;
    bool isCanceled() const override { return m_run.ScanCanceled; }

    /// Ends the run's visible state and raises the cancel flag; safe to call several times. The
    /// Cancel button calls it, and the run once when a phase stopped for a cancel.
    void Do_Cancel();

    RunState& state() { return m_run; }
    const RunState& state() const { return m_run; }
    /// How the last run ended, and why it could not write its report.
    RunEnd lastEnd() const { return m_lastEnd; }
    const std::string& reportProblem() const { return m_reportProblem; }
    const TraceTotals& totals() const { return m_totals; }
    const DiskScanCounts& diskCounts() const { return m_diskCounts; }
    const WalkProgress& walkProgress() const { return m_walk; }
    AuditState& audit() { return m_state; }

private:
    void SearchDrivesDRMfree();
    /// The walk of every root; Stopped when the run was cancelled or a page failed.
    PhaseEnd walkDrives();
    PhaseEnd writeDiskPages();
    PhaseEnd runUrlCacheAudit();
    void Finish_Audit();
    PurchaseCounts purchaseCounts() const;
    PageRun pageRun() { return {*this, m_progress, m_pages, m_totals}; }
    /// Ends the run because its report cannot be written: the status line and a message say
    /// why; the previous report stands.
    void failReport(RunEnd end, const std::string& problem);
    /// True (after failReport) when a page could not be written.
    bool pagesFailed();
    /// The thumbs folder as the pages name it (the report folder's, not the staging one's).
    std::string shownThumbsFolder() const;
    /// Opens the run's export when one was asked for; false (after failReport) when it is
    /// refused or cannot be created.
    bool beginExport();

    AuditServices m_services;
    AuditState m_state;
    RunState m_run;
    RunEnd m_lastEnd = RunEnd::None;
    std::string m_reportProblem;
    MainWindowProgress m_progress;
    std::unique_ptr<ReportStaging> m_staging; // the run's pages and pictures until committed
    std::unique_ptr<AuditExport> m_export;    // the run's export until it is put in place
    ReportPages m_pages;
    TraceTotals m_totals;
    DiskScanCounts m_diskCounts;
    int64_t m_firefoxImageCount = 0; // pictures on the Firefox cache pages
    WalkProgress m_walk;
    std::vector<std::string> m_walkedRoots; // the roots this run's walk went through
    // Reads the audio files' tags while the walk lists folders; until the disk pages take them.
    std::unique_ptr<AudioTagReader> m_tagReader;
};

/// The question the Cancel button and a close request during a run ask.
platform::MessageRequest CancelScanQuestion();

} // namespace vorlith
