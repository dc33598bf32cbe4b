#include "report/page_set.h"
#include "settings/settings_store.h"
#include "support/program_fixture.h"

#include <gtest/gtest.h>
#include <set>

namespace vorlith {
namespace {

const char kFinished[] = "Finished!  0 traces found on YOUR Computer!";
const char kFirefoxFinished[] =
    "Finished!  Launching Mozila Firefox to show traces on YOUR Computer!";

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
    windows.whileResultsShown = [&](ResultsWindow&) {
        EXPECT_FALSE(window().cmdAudit.enabled) << "the run's states until the window closes";
    };
    program().cmdAudit_Click();
    EXPECT_TRUE(sawRunningButtons);
    EXPECT_EQ(windows.resultsShown, 1);
    EXPECT_EQ(window().lblStatus.caption, "Finished!  3 traces found on YOUR Computer!");
    EXPECT_TRUE(IsIdle(window()));
    EXPECT_EQ(window().pBar.value, window().pBar.max);
    EXPECT_EQ(setting(keys::kCumlativeTotal), "1003");
    EXPECT_EQ(program().resultsWindow().lblCumTotal.caption, "1003");
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
    program().Timer_Search_Tick();
    EXPECT_EQ(window().lblCount.caption, "0 files searched");
    // The disk pages are closed before the traces are counted: they carry the previous run's.
    program().cmdAudit_Click();
    EXPECT_NE(page("Vorlith_thumbnails.html").find("traces=3 "), std::string::npos);
    EXPECT_EQ(setting(keys::kCumlativeTotal), "1006");
}

// A pass that runs writes its warning and link lines (with the warning table the foot has too);
// a pass turned off writes its one line to the first of its pages instead.
TEST_F(AuditRunTest, SwitchesTurnAPassOffOnlyAtOne) {
    const std::string off = " turned OFF in the Vorlith settings!  To turn this feature on, "
                            "click SETUP on the Vorlith main screen.</B></H3>\r\n";
    load();
    for (int value : {1, 2}) {
        program().settings().NoThumbs = program().settings().NoFirefox = value;
        program().cmdAudit_Click();
        for (const char* name : {"Vorlith_thumbnails.html", "Vorlith_firefox_cache.html",
                                 "Vorlith_firefox_cache2.html"}) {
            const std::string text = page(name);
            size_t tables = 0;
            for (size_t at = 0; (at = text.find("<TABLE BGCOLOR=#000000>", at)) != text.npos; ++at)
                ++tables;
            EXPECT_EQ(tables, value == 1 ? 1u : 2u) << name << " " << value;
        }
        EXPECT_EQ(page("Vorlith_thumbnails.html")
                          .find("<P>\r\n<H3><B>You have the thumbs.db scan "
                                "and extraction" +
                                off) != std::string::npos,
                  value == 1);
        EXPECT_EQ(page("Vorlith_firefox_cache.html")
                          .find("<P>\r\n<H3><B>You have the Mozilla "
                                "Firefox scan" +
                                off) != std::string::npos,
                  value == 1);
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
    windows.everyYield = [&] {
        if (windows.yields == 1)
            program().cmdCancel_Click();
    };
    program().cmdAudit_Click();
    EXPECT_EQ(windows.messages.size(), 1u);
    EXPECT_FALSE(program().audit().state().ScanCanceled);
    EXPECT_EQ(windows.resultsShown, 1);
    EXPECT_EQ(window().lblStatus.caption, kFinished);
}

TEST_F(AuditRunTest, DefaultResultsChooseWhatOpens) {
    const std::string summary = "xdg-open " + reportFolder() + "/Vorlith_summary.html";
    const std::string memory = "firefox about:cache?device=memory";
    const std::tuple<int, std::vector<std::string>, std::vector<std::string>, std::string> cases[] =
        {{1, {"xdg-open", "firefox"}, {summary}, kFinished},
         {0, {"xdg-open", "firefox"}, {memory, summary}, kFinished},
         {2, {"xdg-open", "firefox"}, {memory}, kFirefoxFinished},
         {3, {"xdg-open", "firefox"}, {"firefox about:cache?device=disk"}, kFirefoxFinished},
         // A browser that cannot start: the summary still opens, the results still show.
         {0,
          {"xdg-open"},
          {summary},
          "Finished!  0 traces found, but the web browser could not be "
          "started.  Open " +
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
