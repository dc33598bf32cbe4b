#include "app/results_window.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

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
