#include "report/page_set.h"
#include "settings/settings_store.h"
#include "support/program_fixture.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

const char kFinished[] = "Finished!  0 traces found on YOUR Computer!";
const char kFirefoxFinished[] =
    "Finished!  Launching Mozila Firefox to show traces on YOUR Computer!";

// Lines between the head (ending "<P>") and the foot (starting with the warning table).
std::vector<std::string> BodyOf(const std::string& page) {
    const auto lines = test::SplitCrLf(page);
    auto start = std::find(lines.begin(), lines.end(), "<P>");
    auto end = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("<BR><BR><TABLE BGCOLOR=#000000>");
    });
    return start < end && end != lines.end() ? std::vector(start + 1, end)
                                             : std::vector<std::string>{"<no frame>"};
}

bool IsIdle(const MainWindow& window) {
    return window.cmdAudit.enabled && window.cmdSetup.enabled && window.cmdKill.enabled &&
           window.cmdExit.visible && !window.cmdCancel.visible && !window.Timer_Search.enabled;
}

class AuditRunTest : public ::testing::Test, public test::ProgramFixture {
protected:
    void SetUp() override { store(keys::kHARunOnStart, "0"); }
    void load() { ASSERT_EQ(program().Form_Load(""), StartupOutcome::WaitingForCommand); }
    MainWindow& window() { return program().mainWindow(); }
};

TEST_F(AuditRunTest, FinishedRunSetsTheButtonsAddsToTheCumulativeTotalAndShowsTheResults) {
    store(keys::kCumlativeTotal, "1000");
    for (uint32_t type : {0x00200001u, 0x00100001u, 0x00000001u, 0x00100000u})
        urlCache.entries.push_back({type, "http://x.example/", {}, {}, {}});
    load();
    bool sawRunningButtons = false;
    windows.everyYield = [&] {
        sawRunningButtons = !window().cmdAudit.enabled && !window().cmdSetup.enabled &&
                            !window().cmdKill.enabled && !window().cmdExit.visible &&
                            window().cmdCancel.visible;
    };
    windows.whileResultsShown = [&](ResultsWindow& results) {
        EXPECT_EQ(results.lblCumTotal.caption, "1003");
        EXPECT_FALSE(window().cmdAudit.enabled) << "the run's states until the window closes";
    };
    program().cmdAudit_Click();
    EXPECT_TRUE(sawRunningButtons);
    EXPECT_EQ(windows.resultsShown, 1);
    EXPECT_EQ(window().lblStatus.caption, "Finished!  3 traces found on YOUR Computer!");
    EXPECT_EQ(window().lblCount.caption, "0 files searched.");
    EXPECT_TRUE(IsIdle(window()));
    EXPECT_EQ(window().pBar.value, window().pBar.max);
    EXPECT_EQ(setting(keys::kCumlativeTotal), "1003");
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
    program().Timer_Search_Tick();
    EXPECT_EQ(window().lblCount.caption, "0 files searched");
    // The disk pages are closed before the traces are counted: they carry the previous run's.
    program().cmdAudit_Click();
    EXPECT_NE(page("Vorlith_thumbnails.html").find("traces=3 "), std::string::npos);
    EXPECT_EQ(setting(keys::kCumlativeTotal), "1006");
}

TEST_F(AuditRunTest, SwitchesTurnAPassOffOnlyAtOne) {
    const std::string off = " turned OFF in the Vorlith settings!  To turn this feature on, "
                            "click SETUP on the Vorlith main screen.</B></H3>";
    load();
    for (int value : {1, 2, -1}) {
        SCOPED_TRACE(value);
        program().settings().NoThumbs = value;
        program().settings().NoFirefox = value;
        program().cmdAudit_Click();
        const auto thumbs = BodyOf(page("Vorlith_thumbnails.html"));
        const auto firefox = BodyOf(page("Vorlith_firefox_cache.html"));
        if (value == 1) {
            EXPECT_EQ(thumbs,
                      std::vector{"<H3><B>You have the thumbs.db scan and extraction" + off});
            EXPECT_EQ(firefox, std::vector{"<H3><B>You have the Mozilla Firefox scan" + off});
            EXPECT_TRUE(BodyOf(page("Vorlith_firefox_cache2.html")).empty());
        } else { // the passes ran: their warning and link lines
            EXPECT_EQ(thumbs.size(), 2u);
            EXPECT_EQ(firefox.size(), 2u);
        }
    }
}

// One cancel answered Yes in each phase that yields: the click's first yield, the walk and the
// URL-cache pages. The run stops there; the window shows the cancel texts and idle buttons.
TEST_F(AuditRunTest, CancelInAnyPhaseEndsTheRunWithTheCancelTexts) {
    for (int index = 0; index < 30; ++index)
        drive.write("folder" + std::to_string(index % 3) + "/" + std::to_string(index), "");
    for (int index = 0; index < 25; ++index)
        urlCache.entries.push_back({1, "http://a.example/" + std::to_string(index), {}, {}, {}});
    store(keys::kLastAudit, "2026-12-01");
    store(keys::kCumlativeTotal, "40");
    load();
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"loading", [&] { return window().lblStatus.caption == "LOADING..."; }},
        {"walk", [&] { return program().audit().walkProgress().FilesSearched > 3; }},
        {"URL cache", [&] { return program().audit().totals().TotalTraces > 0; }},
    };
    for (const auto& [phase, reached] : cases) {
        SCOPED_TRACE(phase);
        int64_t searchedAtCancel = -1;
        windows.messages.clear();
        windows.everyYield = [&] {
            if (searchedAtCancel < 0 && reached()) {
                searchedAtCancel = program().audit().walkProgress().FilesSearched;
                program().cmdCancel_Click();
            }
        };
        program().cmdAudit_Click();
        ASSERT_EQ(windows.messages.size(), 1u);
        EXPECT_EQ(windows.messages[0].title, "Vorlith - Cancel Scan");
        EXPECT_EQ(program().audit().walkProgress().FilesSearched, searchedAtCancel);
        EXPECT_TRUE(program().audit().state().ScanCanceled);
        EXPECT_FALSE(program().audit().state().Scanning);
        EXPECT_EQ(window().lblStatus.caption, "Vorlith scan canceled...");
        EXPECT_EQ(window().lblStatus2.caption,
                  "Your free Vorlith was canceled, it is strongly recommended to finish it!");
        EXPECT_TRUE(IsIdle(window()));
        EXPECT_EQ(windows.resultsShown, 0);
        EXPECT_TRUE(starter.started.empty());
        EXPECT_EQ(setting(keys::kLastAudit) + setting(keys::kCumlativeTotal), "2026-12-0140");
    }
    // The next run writes every page afresh, those the cancel left open included.
    windows.everyYield = nullptr;
    program().cmdAudit_Click();
    EXPECT_FALSE(program().audit().state().ScanCanceled);
    for (PageId id : kAllPages) {
        const std::string text = page(InfoOf(id).fileName);
        EXPECT_EQ(text.find("<!DOCTYPE"), text.rfind("<!DOCTYPE")) << InfoOf(id).fileName;
        EXPECT_TRUE(text.ends_with("</html>\r\n")) << InfoOf(id).fileName;
    }
}

TEST_F(AuditRunTest, CancelAnsweredNoLetsTheRunFinish) {
    load();
    windows.answers.push_back(platform::MessageAnswer::No);
    windows.onYield[1] = [&] { program().cmdCancel_Click(); };
    program().cmdAudit_Click();
    EXPECT_EQ(windows.messages.size(), 1u);
    EXPECT_FALSE(program().audit().state().ScanCanceled);
    EXPECT_EQ(windows.resultsShown, 1);
    EXPECT_EQ(window().lblStatus.caption, kFinished);
}

TEST_F(AuditRunTest, DefaultResultsChooseWhatOpens) {
    const std::string summary = reportFolder() + "/Vorlith_summary.html";
    const std::vector<std::string> memory = {"firefox", "-new-window", "about:cache?device=memory"};
    const std::vector<std::string> all = {"xdg-open", "firefox"};
    struct Case {
        int value;
        std::vector<std::string> available;
        std::vector<std::vector<std::string>> started;
        std::string status;
    };
    const Case cases[] = {
        {1, all, {{"xdg-open", summary}}, kFinished},
        {0, all, {memory, {"xdg-open", summary}}, kFinished},
        {5, all, {memory, {"xdg-open", summary}}, kFinished},
        {2, all, {memory}, kFirefoxFinished},
        {3,
         {"firefox-esr"},
         {{"firefox-esr", "-new-window", "about:cache?device=disk"}},
         kFirefoxFinished},
        // A browser that cannot start: the summary still opens, the results still show.
        {0,
         {"xdg-open"},
         {{"xdg-open", summary}},
         "Finished!  0 traces found, but the web browser could not be started.  Open " + summary +
             " to see them."},
    };
    store(keys::kLastAudit, "2026-11-01");
    load();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        starter.started.clear();
        starter.available = c.available;
        program().settings().DefaultResults = c.value;
        program().cmdAudit_Click();
        EXPECT_EQ(starter.started, c.started);
        EXPECT_EQ(window().lblStatus.caption, c.status);
    }
    EXPECT_EQ(windows.resultsShown, 6);
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
}

TEST_F(AuditRunTest, OnlyFixedDrivesAreWalkedUnlessScanNetworkDrivesIsOne) {
    options.driveRoots.clear();
    test::TempFolder fixed, network, removable;
    int file = 0;
    for (const auto* folder : {&fixed, &fixed, &network, &removable})
        folder->write(std::to_string(file++) + ".txt", "");
    drives.drives = {{fixed.path(), platform::DriveType::Fixed},
                     {network.path(), platform::DriveType::Remote},
                     {removable.path(), platform::DriveType::Removable}};
    load();
    bool sawStatus = false;
    windows.everyYield = [&] {
        sawStatus =
            sawStatus || window().lblStatus.caption ==
                             "Searching " + fixed.path() + " for potentially ILLEGAL files...";
    };
    for (auto [scanNetworkDrives, count] : {std::pair{0, "2 files searched."},
                                            {2, "2 files searched."},
                                            {-1, "2 files searched."},
                                            {1, "4 files searched."}}) {
        SCOPED_TRACE(scanNetworkDrives);
        program().settings().ScanNetworkDrives = scanNetworkDrives;
        program().cmdAudit_Click();
        EXPECT_EQ(window().lblCount.caption, count);
    }
    EXPECT_TRUE(sawStatus);
}

} // namespace
} // namespace vorlith
