#include "app/audit_run.h"

#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/output_folder.h"
#include "report/audio_page.h"
#include "report/disk_pages.h"
#include "report/page_set.h"
#include "report/url_cache_audit.h"
#include "scan/audio_files.h"
#include "scan/thumb_stores.h"
#include "scan/walker.h"
#include "settings/settings_store.h"
#include "sources/firefox_cache.h"
#include "sources/freedesktop_thumbnails.h"
#include "sources/url_cache.h"

#include <cstdio>

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
    m_lastEnd = RunEnd::None;
    m_reportProblem.clear();

    // The run writes into a staging folder of its own; only a run that finishes replaces the
    // report, so a cancelled or failed one leaves the last report as it was.
    std::string problem = m_state.reportFolderProblem;
    if (m_state.reportState == ReportFolderState::Ready)
        m_staging = ReportStaging::Begin(m_state.ReportFolder, &problem);
    if (!m_staging) {
        failReport(m_state.reportState == ReportFolderState::NotOurs ? RunEnd::ReportRefused
                                                                     : RunEnd::ReportFailed,
                   problem);
    } else {
        m_pages = ReportPages(m_staging->path());
        m_pages.setShownFolder(m_state.ReportFolder);
        if (beginExport())
            SearchDrivesDRMfree();
        m_pages.closeAll();
        if (!m_run.ScanCanceled && m_lastEnd == RunEnd::None && !m_staging->commit(&problem))
            failReport(RunEnd::ReportFailed, problem);
        // The export takes its name only after the pages; a run that did not get so far
        // leaves none (its temporary file goes with it).
        if (m_export && !m_run.ScanCanceled && m_lastEnd == RunEnd::None &&
            !m_export->finish(&problem))
            failReport(RunEnd::ReportFailed, problem + " The report pages were written.");
        m_export.reset();
        m_staging.reset();
    }

    if (!m_run.ScanCanceled && m_lastEnd == RunEnd::None) {
        window.pBar.value = window.pBar.max;
        window.lblStatus.caption = "Done!  Launching results in a browser window now.";
        Finish_Audit();
        m_lastEnd = RunEnd::Finished;
    }
    m_run.Scanning = false;
    Enable_Buttons(window);
}

// The phases in their order. A phase that stops for a cancel ends the run here, once; one that
// stops because a page failed has ended it already.
void AuditRun::SearchDrivesDRMfree() {
    m_run.Scanning = true;
    if (walkDrives() == PhaseEnd::Stopped || writeDiskPages() == PhaseEnd::Stopped ||
        runUrlCacheAudit() == PhaseEnd::Stopped) {
        if (m_lastEnd == RunEnd::None) {
            Do_Cancel();
            m_lastEnd = RunEnd::Canceled;
        }
    }
}

void AuditRun::failReport(RunEnd end, const std::string& problem) {
    MainWindow& window = m_state.window;
    m_lastEnd = end;
    m_reportProblem = problem;
    m_run.ScanCanceled = true; // no later phase starts and the finishing step is skipped
    window.Timer_Search.enabled = false;
    window.lblStatus.caption = "Vorlith could not write its report.";
    window.lblStatus2.caption = problem;
    window.lblStatus2.visible = true;
    window.lblArrow2.visible = true;
    m_services.windows.showMessage({platform::MessageButtons::Ok, platform::MessageIcon::Critical,
                                    "Vorlith - Report", problem});
}

bool AuditRun::pagesFailed() {
    if (m_pages.failure().empty())
        return false;
    if (m_lastEnd == RunEnd::None)
        failReport(RunEnd::ReportFailed,
                   "The report page " + m_pages.failure() + ". The previous report is kept.");
    return true;
}

std::string AuditRun::shownThumbsFolder() const {
    return platform::JoinPath(m_state.ReportFolder, kThumbsFolderName);
}

bool AuditRun::beginExport() {
    m_export.reset();
    if (m_state.exportFile.empty())
        return true;
    std::string problem = CheckExportTarget(m_state.exportFile);
    if (!problem.empty()) {
        failReport(RunEnd::ReportRefused, "The export was not written: " + problem + ".");
        return false;
    }
    m_export = AuditExport::Begin(m_state.exportFile, m_services.clock.localNow(), &problem);
    if (!m_export) {
        failReport(RunEnd::ReportFailed, problem);
        return false;
    }
    return true;
}

PhaseEnd AuditRun::walkDrives() {
    MainWindow& window = m_state.window;
    OpenPageWithHeader(m_pages, PageId::Illegal);
    OpenPageWithHeader(m_pages, PageId::Thumbnails);
    if (pagesFailed())
        return PhaseEnd::Stopped;

    window.Timer_Search.enabled = true;
    window.pBar.visible = false;
    window.lblStatus2.visible = true;
    window.lblArrow2.visible = true;
    window.lblCount.visible = true;

    m_walk = WalkProgress{};
    m_diskCounts = DiskScanCounts{};
    m_firefoxImageCount = 0;
    window.lists.lstResult.clear();
    m_tagReader = std::make_unique<AudioTagReader>();

    const bool useGivenRoots = !m_state.driveRoots.empty();
    const std::vector<std::string> roots =
        useGivenRoots ? m_state.driveRoots : m_services.drives.roots();
    m_walkedRoots.clear();
    PhaseEnd end = PhaseEnd::Finished;
    for (const std::string& root : roots) {
        window.lblStatus.caption = "Searching " + root + " for potentially ILLEGAL files...";
        if (useGivenRoots || m_state.settings.ScanNetworkDrives == 1 ||
            m_services.drives.typeOf(root) == platform::DriveType::Fixed) {
            m_walkedRoots.push_back(root);
            end = FindFiles(*this, window.lists, m_walk, root, m_tagReader.get());
        }
        if (end == PhaseEnd::Stopped)
            break;
    }

    window.lblCount.caption = std::to_string(m_walk.FilesSearched) + " files searched.";
    if (m_walk.FoldersUnreadable > 0)
        window.lblCount.caption +=
            "  " + std::to_string(m_walk.FoldersUnreadable) + " folders could not be read.";
    window.pBar.visible = true;
    return m_run.ScanCanceled ? PhaseEnd::Stopped : PhaseEnd::Finished;
}

PhaseEnd AuditRun::writeDiskPages() {
    MainWindow& window = m_state.window;
    const ProgramSettings& settings = m_state.settings;
    PageRun run = pageRun();

    const FoundFileList& audio = window.lists.lstResult;
    TagsReadAhead ahead = m_tagReader ? m_tagReader->finish() : TagsReadAhead{};
    m_tagReader.reset();
    const AudioFindings audioFindings = ReadAudioTags(*this, m_progress, audio, std::move(ahead));
    m_diskCounts = audioFindings.counts;
    if (m_export) {
        m_export->addAudioFiles(audio, audioFindings);
        m_export->addVideoFiles(window.lists.lstVideos);
    }
    WriteAudioFirstSection(run, audio, audioFindings);
    if (m_run.ScanCanceled)
        return PhaseEnd::Stopped;
    WriteAudioSecondSection(run, audio, audioFindings);
    WritePageFooter(m_pages, PageId::Illegal, purchaseCounts());
    window.Timer_Search.enabled = false;
    if (pagesFailed())
        return PhaseEnd::Stopped;

    if (settings.NoThumbs != 1) {
        ThumbFindings thumbs;
        if (ProcessThumbStores(*this, m_progress, window.lists.lstThumbs, m_staging->thumbsPath(),
                               thumbs) == PhaseEnd::Stopped)
            return PhaseEnd::Stopped;
        // What was wrong with a store goes to standard error, after the store's path.
        for (const ThumbStore& store : thumbs.stores)
            for (const std::string& note : store.notes)
                std::fprintf(stderr, "vorlith: %s: %s\n", store.path.c_str(), note.c_str());
        // The desktop's own previews, of this user and of the homes on the walked drives.
        auto thumbsFolder = platform::CreateOutputFolder(m_staging->thumbsPath());
        const DesktopThumbFindings previews =
            CopyFreedesktopPreviews(m_walkedRoots, thumbsFolder.get(), *this, m_progress);
        if (previews.end == PhaseEnd::Stopped)
            return PhaseEnd::Stopped;
        m_diskCounts.ThumbStoreCount = static_cast<int64_t>(thumbs.stores.size());
        m_diskCounts.ThumbImageCount = thumbs.pictureCount;
        m_diskCounts.DesktopThumbCount = static_cast<int64_t>(previews.previews.size());
        m_diskCounts.DeletedDesktopThumbCount = previews.deletedCount;
        WriteThumbnailPage(run, {thumbs, previews, shownThumbsFolder(), m_services.clock});
        if (m_export)
            m_export->addThumbStores(thumbs, previews, shownThumbsFolder());
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
        if (m_export)
            m_export->addFirefoxPictures(firefox);
    } else {
        WriteFirefoxTurnedOff(m_pages);
    }
    WritePageFooter(m_pages, PageId::FirefoxCache, purchaseCounts());
    WritePageFooter(m_pages, PageId::FirefoxCache2, purchaseCounts());
    return pagesFailed() ? PhaseEnd::Stopped : PhaseEnd::Finished;
}

PhaseEnd AuditRun::runUrlCacheAudit() {
    m_totals.TotalTraces = 0;
    m_totals.SuspectFiles = 0;
    OpenUrlCachePages(m_pages);
    if (pagesFailed())
        return PhaseEnd::Stopped;

    UrlCacheLists lists;
    // Bodies a browser keeps inside larger files are copied beside the run's pictures; the
    // pages name them where they will stand once the run is done.
    m_services.urlCache.setExtractFolder(m_staging->thumbsPath(), shownThumbsFolder());
    if (EnumerateUrlCache(m_services.urlCache, m_services.clock, lists, *this, m_progress) ==
        PhaseEnd::Stopped)
        return PhaseEnd::Stopped;
    m_totals.TotalTraces = lists.total();

    PageRun run = pageRun();
    UrlCachePageCounts counts;
    const UrlCachePagesInput input{lists, m_diskCounts, m_firefoxImageCount, m_state.UninstallMode};
    if (WriteUrlCachePages(run, input, m_totals, counts) == PhaseEnd::Stopped)
        return PhaseEnd::Stopped;
    if (m_export) {
        m_export->addBrowserTraces(lists);
        m_export->addTotals(
            ExportTotals{lists, m_totals, counts, m_diskCounts, m_firefoxImageCount});
    }
    CloseUrlCachePages(m_pages, purchaseCounts());
    return pagesFailed() ? PhaseEnd::Stopped : PhaseEnd::Finished;
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
    if (m_tagReader)
        m_tagReader->stop(); // the files not read yet are left
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
    bool stored = SaveSetting(m_services.userHive, kSettingsApplication, kSettingsSection,
                              keys::kCumlativeTotal, FormatPlainNumber(settings.CumlativeTotal));

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
    stored = SaveSetting(m_services.userHive, kSettingsApplication, kSettingsSection,
                         keys::kLastAudit, today) &&
             stored;
    // The audit itself is done; the user only needs to know that it will not be remembered.
    if (!stored)
        m_services.windows.showMessage(
            {platform::MessageButtons::Ok, platform::MessageIcon::Exclamation, "Vorlith - Settings",
             "Vorlith could not store its settings, so the date of this audit and the total of "
             "traces are not remembered."});
}

} // namespace vorlith
