#include "report/page_set.h"
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

} // namespace
} // namespace vorlith
