#include "app/audit_run.h"

#include "platform/file_system.h"
#include "platform/folders.h"
#include "report/audio_page.h"
#include "report/disk_pages.h"
#include "report/page_set.h"
#include "report/url_cache_audit.h"
#include "scan/audio_files.h"
#include "scan/thumb_stores.h"
#include "scan/walker.h"
#include "settings/settings_store.h"
#include "sources/firefox_cache.h"
#include "sources/url_cache.h"

namespace vorlith {

platform::MessageRequest CancelScanQuestion() {
    return {platform::MessageButtons::YesNo, platform::MessageIcon::Question,
            "Vorlith - Cancel Scan",
            "Are you sure you want to cancel Vorlith Scan?\r\n\r\nThe scan will take less than 5 "
            "minutes and is essential for knowing what traces are on your computer!"};
}

AuditRun::AuditRun(AuditServices services, AuditState state)
    : m_services(services), m_state(std::move(state)), m_progress(m_state.window) {}

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

// The phases in their order. A phase that stops for a cancel ends the run here, once.
void AuditRun::SearchDrivesDRMfree() {
    m_run.Scanning = true;
    if (walkDrives() == PhaseEnd::Stopped || writeDiskPages() == PhaseEnd::Stopped ||
        runUrlCacheAudit() == PhaseEnd::Stopped)
        Do_Cancel();
}

PhaseEnd AuditRun::walkDrives() {
    MainWindow& window = m_state.window;
    OpenPageWithHeader(m_pages, PageId::Illegal);
    OpenPageWithHeader(m_pages, PageId::Thumbnails);

    window.Timer_Search.enabled = true;
    window.pBar.visible = false;
    window.lblStatus2.visible = true;
    window.lblArrow2.visible = true;
    window.lblCount.visible = true;

    m_walk = WalkProgress{};
    m_diskCounts = DiskScanCounts{};
    m_firefoxImageCount = 0;
    window.lists.lstResult.clear();

    const bool useGivenRoots = !m_state.driveRoots.empty();
    const std::vector<std::string> roots =
        useGivenRoots ? m_state.driveRoots : m_services.drives.roots();
    PhaseEnd end = PhaseEnd::Finished;
    for (const std::string& root : roots) {
        window.lblStatus.caption = "Searching " + root + " for potentially ILLEGAL files...";
        if (useGivenRoots || m_state.settings.ScanNetworkDrives == 1 ||
            m_services.drives.typeOf(root) == platform::DriveType::Fixed)
            end = FindFiles(*this, window.lists, m_walk, root);
        if (end == PhaseEnd::Stopped)
            break;
    }

    window.lblCount.caption = std::to_string(m_walk.FilesSearched) + " files searched.";
    window.pBar.visible = true;
    return m_run.ScanCanceled ? PhaseEnd::Stopped : PhaseEnd::Finished;
}

PhaseEnd AuditRun::writeDiskPages() {
    MainWindow& window = m_state.window;
    const ProgramSettings& settings = m_state.settings;
    PageRun run = pageRun();

    const FoundFileList& audio = window.lists.lstResult;
    const AudioFindings audioFindings = ReadAudioTags(*this, m_progress, audio);
    m_diskCounts = audioFindings.counts;
    WriteAudioFirstSection(run, audio, audioFindings);
    if (m_run.ScanCanceled)
        return PhaseEnd::Stopped;
    WriteAudioSecondSection(run, audio, audioFindings);
    WritePageFooter(m_pages, PageId::Illegal, purchaseCounts());
    window.Timer_Search.enabled = false;

    if (settings.NoThumbs != 1) {
        ThumbFindings thumbs;
        const std::string thumbsFolder = platform::JoinPath(m_state.ReportFolder, "thumbs");
        if (ProcessThumbStores(*this, m_progress, window.lists.lstThumbs, thumbsFolder, thumbs) ==
            PhaseEnd::Stopped)
            return PhaseEnd::Stopped;
        m_diskCounts.ThumbStoreCount = static_cast<int64_t>(thumbs.stores.size());
        m_diskCounts.ThumbImageCount = thumbs.pictureCount;
        WriteThumbnailPage(run, thumbs, thumbsFolder);
        window.lblStatus.bold = true;
    } else {
        WriteThumbnailsTurnedOff(m_pages);
    }
    if (m_run.ScanCanceled)
        return PhaseEnd::Stopped;
    WritePageFooter(m_pages, PageId::Thumbnails, purchaseCounts());

    OpenPageWithHeader(m_pages, PageId::FirefoxCache);
    OpenPageWithHeader(m_pages, PageId::FirefoxCache2);
    if (settings.NoFirefox != 1) {
        const FirefoxCacheFindings firefox =
            FindFirefoxCachePictures(*this, m_progress, platform::LookupFirefoxFolders());
        for (const std::string& file : firefox.files)
            window.lists.lstFirefox.AddToList(file);
        m_firefoxImageCount = static_cast<int64_t>(firefox.pictures.size());
        WriteFirefoxCachePages(run, firefox);
    } else {
        WriteFirefoxTurnedOff(m_pages);
    }
    WritePageFooter(m_pages, PageId::FirefoxCache, purchaseCounts());
    WritePageFooter(m_pages, PageId::FirefoxCache2, purchaseCounts());
    return PhaseEnd::Finished;
}

PhaseEnd AuditRun::runUrlCacheAudit() {
    m_totals.TotalTraces = 0;
    m_totals.SuspectFiles = 0;
    OpenUrlCachePages(m_pages);

    UrlCacheLists lists;
    m_services.urlCache.setExtractFolder(platform::JoinPath(m_state.ReportFolder, "thumbs"));
    EnumerateUrlCache(m_services.urlCache, m_services.clock, lists);
    m_totals.TotalTraces = lists.total();

    PageRun run = pageRun();
    UrlCachePageCounts counts;
    const UrlCachePagesInput input{lists, m_diskCounts, m_firefoxImageCount,
                                   m_state.UninstallMode};
    if (WriteUrlCachePages(run, input, m_totals, counts) == PhaseEnd::Stopped)
        return PhaseEnd::Stopped;
    CloseUrlCachePages(m_pages, purchaseCounts());
    return PhaseEnd::Finished;
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
    const std::string summary =
        platform::JoinPath(m_state.ReportFolder, InfoOf(PageId::Summary).fileName);
    const ResultsChoice choice = ResultsChoiceOf(settings.DefaultResults);
    bool started = true;
    switch (choice) {
    case ResultsChoice::DefaultBrowser:
        started = browsers.OpenInInternetExplorer(summary);
        break;
    case ResultsChoice::FirefoxMemory:
        started = browsers.OpenInFirefox("about:cache?device=memory");
        break;
    case ResultsChoice::FirefoxDisk:
        started = browsers.OpenInFirefox("about:cache?device=disk");
        break;
    case ResultsChoice::Both:
        started = browsers.OpenInFirefox("about:cache?device=memory");
        started = browsers.OpenInInternetExplorer(summary) && started;
        break;
    }
    if (IsFirefoxOnly(choice))
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
    inputs.results = choice;
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
