// One audit run as the user sees it: the buttons and labels, the settings it stores, the switches
// and drives that steer its phases, a cancel in each phase, what opens when it ends, and the
// results window with its timers and buttons.

#include "app/results_window.h"
#include "support/program_fixture.h"

#include <gtest/gtest.h>
#include <set>

namespace vorlith {
namespace {

// The buttons as Disable_Buttons (running) or Enable_Buttons (idle) set them.
bool ButtonsAre(const MainWindow& window, bool running) {
    return window.cmdAudit.enabled != running && window.cmdSetup.enabled != running &&
           window.cmdKill.enabled != running && window.cmdExit.visible != running &&
           window.cmdCancel.visible == running;
}

class AuditRunTest : public ::testing::Test, public test::ProgramFixture {
protected:
    void SetUp() override { store(keys::kHARunOnStart, "0"); }
    void load() { ASSERT_EQ(program().Form_Load(""), StartupOutcome::WaitingForCommand); }
    MainWindow& window() { return program().mainWindow(); }
};

TEST_F(AuditRunTest, FinishedRunAddsToTheCumulativeTotalAndShowsTheResults) {
    store(keys::kCumlativeTotal, "1000");
    for (uint32_t type : {0x00200001u, 0x00100001u, 0x00000001u, 0x00100000u})
        urlCache.entries.push_back({type, "http://x.example/", {}, {}, {}});
    load();
    bool running = false, waitingForResults = false;
    windows.everyYield = [&] { running = ButtonsAre(window(), true); };
    windows.whileResultsShown = [&](ResultsWindow&) {
        waitingForResults = ButtonsAre(window(), true); // until the window closes
    };
    program().cmdAudit_Click();
    EXPECT_TRUE(running && waitingForResults);
    EXPECT_TRUE(ButtonsAre(window(), false) && !window().Timer_Search.enabled);
    EXPECT_EQ(window().lblStatus.caption, "Finished!  3 traces found on YOUR Computer!");
    EXPECT_EQ(window().pBar.value, window().pBar.max);
    EXPECT_EQ(setting(keys::kCumlativeTotal) + " " + setting(keys::kLastAudit), "1003 2026-12-06");
    EXPECT_EQ(program().resultsWindow().lblCumTotal.caption, "1003");
    program().Timer_Search_Tick();
    EXPECT_EQ(window().lblCount.caption, "0 files searched");
    // The disk pages are closed before the traces are counted: they carry the previous run's.
    program().cmdAudit_Click();
    EXPECT_NE(page("Vorlith_thumbnails.html").find("traces=3 "), std::string::npos);
    EXPECT_EQ(setting(keys::kCumlativeTotal), "1006");
}

// A pass turned off writes its one line after the head of its first page, instead of the
// warning and link lines the pass writes to each of its pages.
TEST_F(AuditRunTest, SwitchesTurnAPassOffOnlyAtOne) {
    const std::string off = " turned OFF in the Vorlith settings!  To turn this feature on, "
                            "click SETUP on the Vorlith main screen.</B></H3>\r\n";
    const std::string warning = "<P>\r\n<TABLE BGCOLOR=#000000>";
    load();
    for (int value : {1, 2}) {
        program().settings().NoThumbs = program().settings().NoFirefox = value;
        program().cmdAudit_Click();
        const std::string thumbs = page("Vorlith_thumbnails.html");
        const std::string firefox = page("Vorlith_firefox_cache.html");
        EXPECT_EQ(thumbs.find("<P>\r\n<H3><B>You have the thumbs.db scan and extraction" + off) !=
                      std::string::npos,
                  value == 1);
        EXPECT_EQ(firefox.find("<P>\r\n<H3><B>You have the Mozilla Firefox scan" + off) !=
                      std::string::npos,
                  value == 1);
        for (const std::string& text : {thumbs, firefox, page("Vorlith_firefox_cache2.html")})
            EXPECT_EQ(text.find(warning) != std::string::npos, value != 1) << value;
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
        {"URL cache", [&] { return program().audit().totals().TotalTraces > 0; }}};
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
        EXPECT_TRUE(program().audit().state().ScanCanceled && !program().audit().state().Scanning);
        EXPECT_EQ(window().lblStatus.caption, "Vorlith scan canceled...");
        EXPECT_EQ(window().lblStatus2.caption,
                  "Your free Vorlith was canceled, it is strongly recommended to finish it!");
        EXPECT_TRUE(ButtonsAre(window(), false) && !window().Timer_Search.enabled);
        EXPECT_EQ(windows.resultsShown + starter.started.size(), 0u);
        EXPECT_EQ(setting(keys::kLastAudit) + " " + setting(keys::kCumlativeTotal),
                  "2026-12-01 40");
    }
}

TEST_F(AuditRunTest, DefaultResultsChooseWhatOpens) {
    const std::string summary = "xdg-open " + reportFolder() + "/Vorlith_summary.html";
    const std::string memory = "firefox about:cache?device=memory";
    const std::string finished = "Finished!  0 traces found on YOUR Computer!";
    const std::string firefoxOnly =
        "Finished!  Launching Mozila Firefox to show traces on YOUR Computer!";
    const std::tuple<int, std::vector<std::string>, std::vector<std::string>, std::string> cases[] =
        {{1, {"xdg-open", "firefox"}, {summary}, finished},
         {0, {"xdg-open", "firefox"}, {memory, summary}, finished},
         {2, {"xdg-open", "firefox"}, {memory}, firefoxOnly},
         {3, {"xdg-open", "firefox"}, {"firefox about:cache?device=disk"}, firefoxOnly},
         // A browser that cannot start: the summary still opens, the results still show.
         {0,
          {"xdg-open"},
          {summary},
          "Finished!  0 traces found, but the web browser could not "
          "be started.  Open " +
              summary.substr(9) + " to see them."}};
    store(keys::kLastAudit, "2026-11-01");
    load();
    for (const auto& [value, available, opened, status] : cases) {
        starter.started.clear();
        starter.available = available;
        program().settings().DefaultResults = value;
        program().cmdAudit_Click();
        std::vector<std::string> got; // the program and its last argument
        for (const auto& command : starter.started)
            got.push_back(command.front() + " " + command.back());
        EXPECT_EQ(got, opened) << value;
        EXPECT_EQ(window().lblStatus.caption, status) << value;
    }
    EXPECT_EQ(windows.resultsShown, 5);
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
}

TEST_F(AuditRunTest, OnlyFixedDrivesAreWalkedUnlessScanNetworkDrivesIsOne) {
    options.driveRoots.clear();
    using enum platform::DriveType;
    for (auto [name, type] : {std::pair{"fixed", Fixed}, {"net", Remote}, {"usb", Removable}}) {
        drive.write(name + std::string("/a.txt"), "");
        drives.drives.emplace_back(drive / name, type);
    }
    load();
    std::set<std::string> statuses;
    windows.everyYield = [&] { statuses.insert(window().lblStatus.caption); };
    for (auto [value, count] :
         {std::pair{0, "1 files searched."}, {2, "1 files searched."}, {1, "3 files searched."}}) {
        program().settings().ScanNetworkDrives = value;
        program().cmdAudit_Click();
        EXPECT_EQ(window().lblCount.caption, count) << value;
    }
    EXPECT_TRUE(
        statuses.contains("Searching " + drive / "fixed" + " for potentially ILLEGAL files..."));
}

class ResultsWindowTest : public ::testing::Test {
protected:
    bool browserButtonsEnabled() const {
        return results.cmdBoth.enabled && results.cmdIE.enabled &&
               results.cmdFireFoxMemory.enabled && results.cmdFireFoxDisk.enabled;
    }

    test::FakeStarter starter;
    test::FakeWindowSystem windows;
    MainWindow mainWindow;
    BrowserLauncher browsers{starter};
    ResultsWindow results{mainWindow, browsers, windows};
};

TEST_F(ResultsWindowTest, LabelsShowTheTotalsOrTheFirefoxOnlyNotice) {
    const std::string none = kDataNotAvailable;
    const std::tuple<ResultsChoice, double, std::string, std::string, std::string> cases[] = {
        {ResultsChoice::DefaultBrowser, 120, "37", "120", "5"},
        {ResultsChoice::Both, 120, "37", "120", "5"},
        {ResultsChoice::FirefoxDisk, 120, none, "120", none},
        {ResultsChoice::FirefoxMemory, 0, none, none, none}};
    for (const auto& [choice, cumulative, total, cumulativeText, suspect] : cases) {
        results.Form_Load({37, cumulative, 5, choice, "/tmp/report"});
        EXPECT_EQ(std::tuple(results.lblTotal.caption, results.lblCumTotal.caption,
                             results.lblSuspectTotal.caption),
                  std::tuple(total, cumulativeText, suspect))
            << static_cast<int>(choice);
    }
}

// The notice blinks every 750 ms; after 7 s it changes, in the plain colour, and the browser
// buttons become usable. Closing the window stops the blinking and frees the main window.
TEST_F(ResultsWindowTest, TheLaunchNoticeBlinksAndEndsAfterSevenSeconds) {
    Disable_Buttons(mainWindow);
    results.Form_Load({37, 120, 5, ResultsChoice::DefaultBrowser, "/tmp/report"});
    EXPECT_EQ(std::pair(results.Timer1.intervalMs, results.Timer2.intervalMs),
              std::pair(7000, 750));
    EXPECT_EQ(results.lblResults.caption, "Launching web browser with your detailed results...");
    EXPECT_FALSE(results.lblRelaunch.visible || browserButtonsEnabled());
    std::vector<uint32_t> colors;
    for (auto tick : {&ResultsWindow::Timer2_Tick, &ResultsWindow::Timer2_Tick,
                      &ResultsWindow::Timer1_Tick, &ResultsWindow::Timer2_Tick}) {
        (results.*tick)();
        colors.push_back(results.lblResults.color);
    }
    EXPECT_EQ(colors, (std::vector<uint32_t>{kRed, kButtonTextColor, kButtonTextColor, kRed}));
    EXPECT_EQ(results.lblResults.caption, "Vorlith results launched in a browser window!");
    EXPECT_TRUE(!results.Timer1.enabled && results.lblRelaunch.visible && browserButtonsEnabled());
    results.Form_Unload();
    EXPECT_FALSE(results.frame.visible || results.Timer2.enabled);
    EXPECT_TRUE(mainWindow.cmdAudit.enabled && mainWindow.cmdExit.visible);
}

TEST_F(ResultsWindowTest, ButtonsOpenTheirBrowsers) {
    results.Form_Load({42, 120, 5, ResultsChoice::DefaultBrowser, "/tmp/report"});
    results.cmdBoth_Click();
    results.cmdIE_Click();
    results.cmdFireFoxMemory_Click();
    starter.available = {"xdg-open", "firefox-esr"};
    results.cmdFireFoxDisk_Click();
    results.cmdKillTraces_Click();
    const std::vector<std::vector<std::string>> expected = {
        {"firefox", "-new-window", "about:cache"},
        {"xdg-open", "/tmp/report/Vorlith_summary.html"},
        {"xdg-open", "/tmp/report/Vorlith_summary.html"},
        {"firefox", "-new-window", "about:cache?device=memory"},
        {"firefox-esr", "-new-window", "about:cache?device=disk"},
        {"xdg-open", "https://secure.vorlith.example/secure_erazent_audit_clean.php?traces=42"}};
    EXPECT_EQ(starter.started, expected);

    starter.available.clear(); // a missing browser shows nothing and the window goes on
    results.cmdBoth_Click();
    EXPECT_TRUE(windows.messages.empty());
    EXPECT_TRUE(results.frame.visible);
}

} // namespace
} // namespace vorlith
