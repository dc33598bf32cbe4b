#include "report/page_set.h"
#include "settings/settings_store.h"
#include "support/program_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vorlith {
namespace {

using test::SplitCrLf;

const std::vector<PageInfo> kAllPages = {
    pages::kIllegal, pages::kThumbnails, pages::kFirefoxCache, pages::kFirefoxCache2,
    pages::kSummary, pages::kImages,     pages::kGambling,     pages::kSocial,
    pages::kSports,  pages::kNews,       pages::kImages2,      pages::kTeen,
    pages::kVideos,  pages::kHistory,    pages::kCookies,      pages::kGay};

const char kThumbsOff[] =
    "<H3><B>You have the thumbs.db scan and extraction turned OFF in the Vorlith settings!  To "
    "turn this feature on, click SETUP on the Vorlith main screen.</B></H3>";
const char kFirefoxOff[] =
    "<H3><B>You have the Mozilla Firefox scan turned OFF in the Vorlith settings!  To turn this "
    "feature on, click SETUP on the Vorlith main screen.</B></H3>";

// Lines between the head (ending "<P>") and the foot (starting with the warning line).
std::vector<std::string> bodyOf(const std::vector<std::string>& lines) {
    auto start = std::find(lines.begin(), lines.end(), "<P>");
    auto end = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("<BR><BR><TABLE BGCOLOR=#000000>", 0) == 0;
    });
    if (start == lines.end() || end == lines.end() || end < start)
        return {"<no frame>"};
    return {start + 1, end};
}

class AuditRunTest : public ::testing::Test, public test::ProgramFixture {
protected:
    void SetUp() override { store(keys::kHARunOnStart, "0"); }
    void load() { ASSERT_EQ(program().Form_Load(""), StartupOutcome::WaitingForCommand); }
};

TEST_F(AuditRunTest, EmptyMachineGetsEveryPageWithItsFrame) {
    load();
    program().cmdAudit_Click();
    for (const PageInfo& info : kAllPages) {
        SCOPED_TRACE(info.fileName);
        auto lines = SplitCrLf(page(info.fileName));
        ASSERT_GE(lines.size(), 170u);
        EXPECT_EQ(lines[3], std::string("<title>Vorlith.example - Internet Vorlith: ") +
                                info.title + "</title>");
        EXPECT_EQ(lines[132], "<body class=section-" + std::to_string(info.tab) + ">");
        EXPECT_EQ(lines.back(), "</html>");
        // With nothing found, the disk and Firefox passes write only their warning and link
        // lines; the summary, the explicit and teen pages (their totals) and the history and
        // cookie pages (their table heads) carry body lines; every other page is empty.
        const std::string name = info.fileName;
        const bool passPage =
            name == pages::kIllegal.fileName || name == pages::kThumbnails.fileName ||
            name == pages::kFirefoxCache.fileName || name == pages::kFirefoxCache2.fileName;
        const bool totalsPage = name == pages::kSummary.fileName ||
                                name == pages::kImages.fileName || name == pages::kTeen.fileName ||
                                name == pages::kHistory.fileName ||
                                name == pages::kCookies.fileName;
        if (passPage)
            EXPECT_EQ(bodyOf(lines).size(), 2u);
        else
            EXPECT_EQ(bodyOf(lines).empty(), !totalsPage) << bodyOf(lines)[0];
        const bool audioPage = info.number == 10;
        EXPECT_EQ(lines[lines.size() - 7].find("Umbrafile") != std::string::npos, audioPage);
    }
    EXPECT_EQ(setting(keys::kCumlativeTotal), "0");
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
}

TEST_F(AuditRunTest, ButtonsAndLabelsAfterAFinishedRun) {
    load();
    MainWindow& window = program().mainWindow();
    bool sawRunningButtons = false;
    windows.everyYield = [&] {
        sawRunningButtons = !window.cmdAudit.enabled && !window.cmdSetup.enabled &&
                            !window.cmdKill.enabled && !window.cmdExit.visible &&
                            window.cmdCancel.visible;
    };
    windows.whileResultsShown = [&](ResultsWindow& results) {
        EXPECT_EQ(results.lblTotal.caption, "0");
        EXPECT_FALSE(window.cmdAudit.enabled); // the run's states until the window closes
    };
    program().cmdAudit_Click();
    EXPECT_TRUE(sawRunningButtons);
    EXPECT_EQ(window.lblStatus.caption, "Finished!  0 traces found on YOUR Computer!");
    EXPECT_EQ(window.lblCount.caption, "0 files searched.");
    EXPECT_TRUE(window.cmdAudit.enabled);
    EXPECT_TRUE(window.cmdExit.visible);
    EXPECT_FALSE(window.cmdCancel.visible);
    EXPECT_FALSE(window.Timer_Search.enabled);
    EXPECT_FALSE(program().audit().state().Scanning);
    EXPECT_TRUE(program().audit().state().AuditStarted);
    EXPECT_EQ(window.pBar.value, window.pBar.max);
}

TEST_F(AuditRunTest, SwitchedOffPassesWriteTheirOneLine) {
    store(keys::kNoThumbs, "1");
    store(keys::kNoFirefox, "1");
    load();
    program().cmdAudit_Click();
    EXPECT_EQ(bodyOf(SplitCrLf(page("Vorlith_thumbnails.html"))),
              std::vector<std::string>{kThumbsOff});
    EXPECT_EQ(bodyOf(SplitCrLf(page("Vorlith_firefox_cache.html"))),
              std::vector<std::string>{kFirefoxOff});
    EXPECT_TRUE(bodyOf(SplitCrLf(page("Vorlith_firefox_cache2.html"))).empty());
}

TEST_F(AuditRunTest, SwitchesCountOnlyAtOne) {
    store(keys::kNoThumbs, "2");
    store(keys::kNoFirefox, "-1");
    load();
    program().cmdAudit_Click();
    // Both passes ran: their warning and link lines, not the "turned OFF" line.
    EXPECT_EQ(bodyOf(SplitCrLf(page("Vorlith_thumbnails.html"))).size(), 2u);
    EXPECT_EQ(bodyOf(SplitCrLf(page("Vorlith_firefox_cache.html"))).size(), 2u);
}

TEST_F(AuditRunTest, CancelAnsweredYesStopsTheRunAndKeepsTheSettings) {
    store(keys::kLastAudit, "2026-12-01");
    store(keys::kCumlativeTotal, "40");
    urlCache.entries.push_back({0x00200001, "Visited: me@http://a.example/", {}, {}, {}});
    load();
    windows.onYield[1] = [&] { program().cmdCancel_Click(); };
    program().cmdAudit_Click();

    const MainWindow& window = program().mainWindow();
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(windows.messages[0].title, "Vorlith - Cancel Scan");
    EXPECT_EQ(windows.messages[0].text,
              "Are you sure you want to cancel Vorlith Scan?\r\n\r\nThe scan will take less than "
              "5 minutes and is essential for knowing what traces are on your computer!");
    EXPECT_EQ(windows.messages[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(windows.messages[0].icon, platform::MessageIcon::Question);
    EXPECT_TRUE(program().audit().state().ScanCanceled);
    EXPECT_EQ(window.lblStatus.caption, "Vorlith scan canceled...");
    EXPECT_EQ(window.lblStatus2.caption,
              "Your free Vorlith was canceled, it is strongly recommended to finish it!");
    EXPECT_TRUE(window.cmdAudit.enabled);
    EXPECT_FALSE(window.cmdCancel.visible);
    EXPECT_EQ(windows.resultsShown, 0);
    EXPECT_TRUE(starter.started.empty());
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-01");
    EXPECT_EQ(setting(keys::kCumlativeTotal), "40");
    EXPECT_FALSE(std::filesystem::exists(reportFolder() + "/Vorlith_summary.html"));
}

TEST_F(AuditRunTest, CancelAnsweredNoLetsTheRunFinish) {
    load();
    windows.answers.push_back(platform::MessageAnswer::No);
    windows.onYield[1] = [&] { program().cmdCancel_Click(); };
    program().cmdAudit_Click();
    EXPECT_FALSE(program().audit().state().ScanCanceled);
    EXPECT_EQ(windows.resultsShown, 1);
    EXPECT_EQ(program().mainWindow().lblStatus.caption,
              "Finished!  0 traces found on YOUR Computer!");
}

TEST_F(AuditRunTest, CumulativeTotalGrowsByTheTraces) {
    store(keys::kCumlativeTotal, "1000");
    for (uint32_t type : {0x00200001u, 0x00100001u, 0x00000001u, 0x00100000u})
        urlCache.entries.push_back({type, "http://x.example/", {}, {}, {}});
    load();
    program().cmdAudit_Click();
    EXPECT_EQ(program().audit().totals().TotalTraces, 3);
    EXPECT_EQ(setting(keys::kCumlativeTotal), "1003");
    EXPECT_EQ(program().resultsWindow().lblCumTotal.caption, "1003");
    // The next run's disk-scan pages carry the previous total in their purchase links.
    program().cmdAudit_Click();
    EXPECT_NE(page("Vorlith_illegal.html").find("umftraces=0"), std::string::npos);
    EXPECT_NE(page("Vorlith_thumbnails.html").find("traces=3 "), std::string::npos);
    EXPECT_EQ(setting(keys::kCumlativeTotal), "1006");
}

TEST_F(AuditRunTest, DefaultResultsChooseWhatOpens) {
    const std::string summary = reportFolder() + "/Vorlith_summary.html";
    struct Case {
        const char* value;
        std::vector<std::vector<std::string>> started;
        const char* status;
    };
    const Case cases[] = {
        {"1", {{"xdg-open", summary}}, "Finished!  0 traces found on YOUR Computer!"},
        {"0",
         {{"firefox", "-new-window", "about:cache?device=memory"}, {"xdg-open", summary}},
         "Finished!  0 traces found on YOUR Computer!"},
        {"5",
         {{"firefox", "-new-window", "about:cache?device=memory"}, {"xdg-open", summary}},
         "Finished!  0 traces found on YOUR Computer!"},
        {"2",
         {{"firefox", "-new-window", "about:cache?device=memory"}},
         "Finished!  Launching Mozila Firefox to show traces on YOUR Computer!"},
        {"3",
         {{"firefox", "-new-window", "about:cache?device=disk"}},
         "Finished!  Launching Mozila Firefox to show traces on YOUR Computer!"},
    };
    load();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        starter.started.clear();
        program().settings().DefaultResults = std::stoi(c.value);
        program().cmdAudit_Click();
        EXPECT_EQ(starter.started, c.started);
        EXPECT_EQ(program().mainWindow().lblStatus.caption, c.status);
    }
}

TEST_F(AuditRunTest, FirefoxEsrIsUsedWhereThatIsTheInstalledName) {
    starter.available = {"xdg-open", "firefox-esr"};
    store(keys::kDefaultResults, "3");
    load();
    program().cmdAudit_Click();
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0][0], "firefox-esr");
}

TEST_F(AuditRunTest, BrowserThatCannotStartStillShowsResultsAndStoresTheDate) {
    starter.available = {"xdg-open"}; // no Firefox on this machine
    store(keys::kDefaultResults, "0");
    store(keys::kLastAudit, "2026-11-01");
    load();
    program().cmdAudit_Click();
    EXPECT_EQ(windows.resultsShown, 1);
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
    EXPECT_NE(program().mainWindow().lblStatus.caption.find("could not be started"),
              std::string::npos);
    // The summary page is still opened in the default browser.
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0][0], "xdg-open");
}

TEST_F(AuditRunTest, DrivesOfTheMachineAreWalkedByTheirType) {
    options.driveRoots.clear();
    test::TempFolder fixed, network, removable;
    fixed.write("a.txt", "");
    fixed.write("b.txt", "");
    network.write("c.txt", "");
    removable.write("d.txt", "");
    drives.drives = {{fixed.path(), platform::DriveType::Fixed},
                     {network.path(), platform::DriveType::Remote},
                     {removable.path(), platform::DriveType::Removable}};
    load();
    std::vector<std::string> statuses;
    windows.everyYield = [&] {
        const std::string& status = program().mainWindow().lblStatus.caption;
        if (statuses.empty() || statuses.back() != status)
            statuses.push_back(status);
    };
    struct Case {
        int scanNetworkDrives;
        const char* count;
    };
    for (const Case& c : {Case{0, "2 files searched."}, Case{2, "2 files searched."},
                          Case{-1, "2 files searched."}, Case{1, "4 files searched."}}) {
        SCOPED_TRACE(c.scanNetworkDrives);
        program().settings().ScanNetworkDrives = c.scanNetworkDrives;
        program().cmdAudit_Click();
        EXPECT_EQ(program().mainWindow().lblCount.caption, c.count);
    }
    // Every root gets its status line, whether or not it is then walked.
    EXPECT_NE(std::find(statuses.begin(), statuses.end(),
                        "Searching " + fixed.path() + " for potentially ILLEGAL files..."),
              statuses.end());
}

TEST_F(AuditRunTest, PagesLeftOpenByACancelledRunAreWrittenAfreshNextTime) {
    load();
    windows.onYield[1] = [&] { program().cmdCancel_Click(); };
    program().cmdAudit_Click();
    ASSERT_TRUE(program().audit().state().ScanCanceled);
    program().cmdAudit_Click();
    EXPECT_FALSE(program().audit().state().ScanCanceled);
    for (const PageInfo& info : kAllPages) {
        SCOPED_TRACE(info.fileName);
        auto text = page(info.fileName);
        EXPECT_EQ(text.find("<!DOCTYPE"), text.rfind("<!DOCTYPE")); // one head only
        EXPECT_EQ(SplitCrLf(text).back(), "</html>");
    }
}

TEST_F(AuditRunTest, ProgressTimerShowsCountAndFolder) {
    load();
    program().cmdAudit_Click();
    program().Timer_Search_Tick();
    EXPECT_EQ(program().mainWindow().lblCount.caption, "0 files searched");
    EXPECT_EQ(program().mainWindow().lblStatus2.caption, "");
}

} // namespace
} // namespace vorlith
