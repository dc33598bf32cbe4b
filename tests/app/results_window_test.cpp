#include "app/results_window.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

class ResultsWindowTest : public ::testing::Test {
protected:
    ResultsWindowTest() : browsers(starter), results(mainWindow, browsers, windows) {}

    bool browserButtonsEnabled() const {
        return results.cmdBoth.enabled && results.cmdIE.enabled &&
               results.cmdFireFoxMemory.enabled && results.cmdFireFoxDisk.enabled;
    }

    test::FakeStarter starter;
    test::FakeWindowSystem windows;
    MainWindow mainWindow;
    BrowserLauncher browsers;
    ResultsWindow results;
};

TEST_F(ResultsWindowTest, LabelsShowTheTotalsOrTheFirefoxOnlyNotice) {
    const std::string none = kDataNotAvailable;
    const std::tuple<ResultsChoice, double, std::string, std::string, std::string> cases[] = {
        {ResultsChoice::DefaultBrowser, 120, "37", "120", "5"},
        {ResultsChoice::Both, 120, "37", "120", "5"},
        {ResultsChoice::FirefoxDisk, 120, none, "120", none},
        {ResultsChoice::FirefoxMemory, 0, none, none, none}};
    for (const auto& [choice, cumulative, total, cumulativeText, suspect] : cases) {
        SCOPED_TRACE(static_cast<int>(choice));
        results.Form_Load({37, cumulative, 5, choice, "/tmp/report"});
        EXPECT_EQ(results.lblTotal.caption, total);
        EXPECT_EQ(results.lblCumTotal.caption, cumulativeText);
        EXPECT_EQ(results.lblSuspectTotal.caption, suspect);
    }
}

TEST_F(ResultsWindowTest, TheLaunchNoticeBlinksEndsAfterSevenSecondsAndClosingStopsIt) {
    Disable_Buttons(mainWindow);
    results.Form_Load({37, 120, 5, ResultsChoice::DefaultBrowser, "/tmp/report"});
    EXPECT_TRUE(results.frame.visible);
    EXPECT_EQ(windows.centered, std::vector{platform::WindowId::Results});
    EXPECT_EQ(results.Timer1.intervalMs * results.Timer1.enabled, 7000);
    EXPECT_EQ(results.Timer2.intervalMs * results.Timer2.enabled, 750);
    EXPECT_EQ(results.lblResults.caption, "Launching web browser with your detailed results...");
    EXPECT_FALSE(results.lblRelaunch.visible || browserButtonsEnabled());
    EXPECT_TRUE(results.cmdKillTraces.enabled);

    std::vector<uint32_t> colors;
    for (int tick = 0; tick < 3; ++tick) {
        results.Timer2_Tick();
        colors.push_back(results.lblResults.color);
    }
    results.Timer1_Tick(); // the blinking goes on from the plain colour
    colors.push_back(results.lblResults.color);
    results.Timer2_Tick();
    colors.push_back(results.lblResults.color);
    EXPECT_EQ(colors,
              (std::vector<uint32_t>{kRed, kButtonTextColor, kRed, kButtonTextColor, kRed}));
    EXPECT_FALSE(results.Timer1.enabled);
    EXPECT_EQ(results.lblResults.caption, "Vorlith results launched in a browser window!");
    EXPECT_TRUE(results.lblRelaunch.visible && browserButtonsEnabled());

    results.Form_Unload();
    EXPECT_FALSE(results.frame.visible || results.Timer2.enabled);
    EXPECT_TRUE(mainWindow.cmdAudit.enabled && mainWindow.cmdKill.enabled);
    EXPECT_TRUE(mainWindow.cmdExit.visible && !mainWindow.cmdCancel.visible);
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
