#include "app/audit_run.h"

#include "platform/file_system.h"
#include "report/page_set.h"
#include "report/url_cache_audit.h"
#include "scan/disk_pages.h"
#include "scan/walker.h"
#include "settings/settings_store.h"
#include "sources/firefox_cache.h"

namespace vorlith {

platform::MessageRequest CancelScanQuestion() {
    return {platform::MessageButtons::YesNo, platform::MessageIcon::Question,
            "Vorlith - Cancel Scan",
            "Are you sure you want to cancel Vorlith Scan?\r\n\r\nThe scan will take less than 5 "
            "minutes and is essential for knowing what traces are on your computer!"};
}

AuditRun::AuditRun(AuditServices services, AuditState state)
    : m_services(services), m_state(std::move(state)) {}

void AuditRun::yield() {
    m_services.windows.yield();
}

PurchaseCounts AuditRun::purchaseCounts() const {
    return {m_totals.TotalTraces, static_cast<int64_t>(m_state.window.lists.lstResult.size())};
}

void AuditRun::cmdAudit_Click() {
    MainWindow& window = m_state.window;
    Disable_Buttons(window);
    m_run.ScanCanceled = false;
    m_run.Scanning = true;
    m_run.AuditStarted = true;
    window.lblStatus.caption = "LOADING...";
    window.lists.clear();
    yield();
    window.pBar.visible = true;
    window.Timer_Search.enabled = false;
    window.lblStatus2.visible = false;
    window.lblArrow2.visible = false;

    m_pages.setFolder(m_state.ReportFolder);
    SearchDrivesDRMfree();

    if (!m_run.ScanCanceled) {
        window.pBar.value = window.pBar.max;
        window.lblStatus.caption = "Done!  Launching results in a browser window now.";
        Finish_Audit();
    }
    m_run.Scanning = false;
    Enable_Buttons(window);
}

void AuditRun::SearchDrivesDRMfree() {
    MainWindow& window = m_state.window;
    const ProgramSettings& settings = m_state.settings;
    PhaseContext context{*this, window, m_pages, m_state.ReportFolder, m_totals};

    m_run.Scanning = true;
    OpenPageWithHeader(m_pages, pages::kIllegal);
    OpenPageWithHeader(m_pages, pages::kThumbnails);

    window.Timer_Search.enabled = true;
    window.pBar.visible = false;
    window.lblStatus2.visible = true;
    window.lblArrow2.visible = true;
    window.lblCount.visible = true;

    m_walk = WalkProgress{};
    m_diskCounts = DiskScanCounts{};
    window.lists.lstResult.clear();

    const bool useGivenRoots = !m_state.driveRoots.empty();
    const std::vector<std::string> roots =
        useGivenRoots ? m_state.driveRoots : m_services.drives.roots();
    for (const std::string& root : roots) {
        window.lblStatus.caption = "Searching " + root + " for potentially ILLEGAL files...";
        if (useGivenRoots || settings.ScanNetworkDrives == 1 ||
            GetDriveTypeName(m_services.drives, root) == "Fixed")
            FindFiles(*this, window.lists, m_walk, root);
    }

    window.lblCount.caption = std::to_string(m_walk.FilesSearched) + " files searched.";
    window.pBar.visible = true;
    if (m_run.ScanCanceled)
        return Do_Cancel();

    WriteAudioFirstSection(context, m_diskCounts);
    if (m_run.ScanCanceled)
        return Do_Cancel();
    WriteAudioSecondSection(context);
    WritePageFooter(m_pages, "10", purchaseCounts());
    window.Timer_Search.enabled = false;

    if (settings.NoThumbs != 1)
        ProcessThumbStores(context, m_diskCounts);
    else
        m_pages.page(pages::kThumbnails.number)
            .writeLine("<H3><B>You have the thumbs.db scan and extraction turned OFF in the "
                       "Vorlith settings!  To turn this feature on, click SETUP on the Vorlith "
                       "main screen.</B></H3>");
    if (m_run.ScanCanceled)
        return Do_Cancel();
    WritePageFooter(m_pages, "14", purchaseCounts());

    OpenPageWithHeader(m_pages, pages::kFirefoxCache);
    OpenPageWithHeader(m_pages, pages::kFirefoxCache2);
    if (settings.NoFirefox != 1)
        Find_Firefox_Cache_Click(context, m_diskCounts);
    else
        m_pages.page(pages::kFirefoxCache.number)
            .writeLine("<H3><B>You have the Mozilla Firefox scan turned OFF in the Vorlith "
                       "settings!  To turn this feature on, click SETUP on the Vorlith main "
                       "screen.</B></H3>");
    WritePageFooter(m_pages, "15", purchaseCounts());
    WritePageFooter(m_pages, "16", purchaseCounts());

    const UrlCacheAuditInput input{m_services.urlCache, m_services.clock, m_diskCounts,
                                   m_state.UninstallMode};
    RunUrlCacheAudit(context, input, m_totals);
}

void AuditRun::cmdCancel_Click() {
    if (m_services.windows.showMessage(CancelScanQuestion()) == platform::MessageAnswer::Yes)
        Do_Cancel();
    else
        m_run.ScanCanceled = false;
}

void AuditRun::Do_Cancel() {
    MainWindow& window = m_state.window;
    m_run.ScanCanceled = true;
    window.Timer_Search.enabled = false;
    m_run.Scanning = false;
    window.lblStatus.caption = "Vorlith scan canceled...";
    window.lblStatus2.caption =
        "Your free Vorlith was canceled, it is strongly recommended to finish it!";
    Enable_Buttons(window);
}

void AuditRun::Timer_Search_Tick() {
    MainWindow& window = m_state.window;
    window.lblCount.caption = std::to_string(m_walk.FilesSearched) + " files searched";
    window.lblStatus2.caption = m_walk.CurrentFolder;
}

void AuditRun::Finish_Audit() {
    MainWindow& window = m_state.window;
    ProgramSettings& settings = m_state.settings;
    window.lblStatus.caption =
        "Finished!  " + std::to_string(m_totals.TotalTraces) + " traces found on YOUR Computer!";
    settings.CumlativeTotal += static_cast<double>(m_totals.TotalTraces);
    SaveSetting(m_services.userHive, kSettingsApplication, kSettingsSection, keys::kCumlativeTotal,
                FormatPlainNumber(settings.CumlativeTotal));

    // A browser that cannot be started does not end the finishing step: the user is told, the
    // results window still shows and the audit still counts as done.
    BrowserLauncher& browsers = m_services.browsers;
    const std::string summary = platform::JoinPath(m_state.ReportFolder, pages::kSummary.fileName);
    bool started = true;
    switch (settings.DefaultResults) {
    case 1:
        started = browsers.OpenInInternetExplorer(summary);
        break;
    case 2:
        started = browsers.OpenInFirefox("about:cache?device=memory");
        break;
    case 3:
        started = browsers.OpenInFirefox("about:cache?device=disk");
        break;
    default:
        started = browsers.OpenInFirefox("about:cache?device=memory");
        started = browsers.OpenInInternetExplorer(summary) && started;
        break;
    }
    if (settings.DefaultResults == 2 || settings.DefaultResults == 3)
        window.lblStatus.caption =
            "Finished!  Launching Mozila Firefox to show traces on YOUR Computer!";
    if (!started)
        window.lblStatus.caption = "Finished!  " + std::to_string(m_totals.TotalTraces) +
                                   " traces found, but the web browser could not be started.  "
                                   "Open " +
                                   summary + " to see them.";

    ResultsInputs inputs;
    inputs.TotalTraces = m_totals.TotalTraces;
    inputs.CumlativeTotal = settings.CumlativeTotal;
    inputs.SuspectTraces = m_totals.SuspectTraces;
    inputs.DefaultResults = settings.DefaultResults;
    inputs.ReportFolder = m_state.ReportFolder;
    m_state.results.Form_Load(inputs);
    m_services.windows.showResultsModal(m_state.results);
    m_state.results.Form_Unload();

    const std::string today = FormatIsoDate(m_services.clock.localNow());
    settings.LastAudit = today;
    SaveSetting(m_services.userHive, kSettingsApplication, kSettingsSection, keys::kLastAudit,
                today);
}

} // namespace vorlith
