#include "app/results_window.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

const char kNotAvailable[] = "Data not available.  Enable IE results in Setup.";

class ResultsWindowTest : public ::testing::Test {
protected:
    ResultsWindowTest() : browsers(starter), results(mainWindow, browsers, windows) {}

    std::vector<Button*> browserButtons() {
        return {&results.cmdBoth, &results.cmdIE, &results.cmdFireFoxMemory,
                &results.cmdFireFoxDisk};
    }

    test::FakeStarter starter;
    test::FakeWindowSystem windows;
    MainWindow mainWindow;
    BrowserLauncher browsers;
    ResultsWindow results;
};

struct LabelCase {
    int defaultResults;
    double cumulative;
    std::string total, cumulativeText, suspect;
};

TEST_F(ResultsWindowTest, LabelsShowTheTotalsOrTheFirefoxOnlyNotice) {
    const std::vector<LabelCase> cases = {
        {1, 120, "37", "120", "5"},
        {0, 120, "37", "120", "5"},
        {3, 120, kNotAvailable, "120", kNotAvailable},
        {2, 0, kNotAvailable, kNotAvailable, kNotAvailable},
        {7, 0, "37", "0", "5"},
    };
    for (const LabelCase& test : cases) {
        SCOPED_TRACE("DefaultResults " + std::to_string(test.defaultResults));
        results.Form_Load({37, test.cumulative, 5, test.defaultResults, "/tmp/report"});
        EXPECT_EQ(results.lblTotal.caption, test.total);
        EXPECT_EQ(results.lblCumTotal.caption, test.cumulativeText);
        EXPECT_EQ(results.lblSuspectTotal.caption, test.suspect);
    }
}

TEST_F(ResultsWindowTest, TheLaunchNoticeBlinksEndsAfterSevenSecondsAndClosingStopsIt) {
    EXPECT_EQ(results.Label1.caption, "Cumlative total traces:");
    EXPECT_EQ(results.lblRelaunch.caption,
              "To Re-Launch Vorlith results click your prefered browser below:");
    Disable_Buttons(mainWindow);
    results.Form_Load({37, 120, 5, 1, "/tmp/report"});
    EXPECT_TRUE(results.frame.visible);
    EXPECT_EQ(windows.centered, std::vector<platform::WindowId>{platform::WindowId::Results});
    EXPECT_TRUE(results.Timer1.enabled && results.Timer2.enabled);
    EXPECT_EQ(results.Timer1.intervalMs, 7000);
    EXPECT_EQ(results.Timer2.intervalMs, 750);
    EXPECT_EQ(results.lblResults.caption, "Launching web browser with your detailed results...");
    EXPECT_FALSE(results.lblRelaunch.visible);
    for (Button* button : browserButtons())
        EXPECT_FALSE(button->enabled);
    EXPECT_TRUE(results.cmdKillTraces.enabled);

    results.Timer2_Tick();
    EXPECT_EQ(results.lblResults.color, kRed);
    results.Timer2_Tick();
    EXPECT_EQ(results.lblResults.color, kButtonTextColor);
    results.Timer2_Tick();
    results.Timer1_Tick();
    EXPECT_FALSE(results.Timer1.enabled);
    EXPECT_TRUE(results.Timer2.enabled) << "the blinking goes on";
    EXPECT_EQ(results.lblResults.color, kButtonTextColor);
    EXPECT_EQ(results.lblResults.caption, "Vorlith results launched in a browser window!");
    EXPECT_TRUE(results.lblRelaunch.visible);
    for (Button* button : browserButtons())
        EXPECT_TRUE(button->enabled);
    results.Timer2_Tick();
    EXPECT_EQ(results.lblResults.color, kRed);

    results.Form_Unload();
    EXPECT_FALSE(results.frame.visible);
    EXPECT_FALSE(results.Timer2.enabled);
    EXPECT_TRUE(mainWindow.cmdAudit.enabled);
    EXPECT_TRUE(mainWindow.cmdKill.enabled);
    EXPECT_TRUE(mainWindow.cmdExit.visible);
    EXPECT_FALSE(mainWindow.cmdCancel.visible);
}

TEST_F(ResultsWindowTest, ButtonsOpenTheirBrowsersInOrder) {
    results.Form_Load({42, 120, 5, 1, "/tmp/report"});
    results.cmdBoth_Click();
    results.cmdIE_Click();
    results.cmdFireFoxMemory_Click();
    results.cmdFireFoxDisk_Click();
    results.cmdKillTraces_Click();
    const std::vector<std::vector<std::string>> expected = {
        {"firefox", "-new-window", "about:cache"},
        {"xdg-open", "/tmp/report/Vorlith_summary.html"},
        {"xdg-open", "/tmp/report/Vorlith_summary.html"},
        {"firefox", "-new-window", "about:cache?device=memory"},
        {"firefox", "-new-window", "about:cache?device=disk"},
        {"xdg-open", "https://secure.vorlith.example/secure_erazent_audit_clean.php?traces=42"},
    };
    EXPECT_EQ(starter.started, expected);

    starter.available.clear(); // a missing browser shows nothing and the window goes on
    results.cmdBoth_Click();
    EXPECT_TRUE(windows.messages.empty());
    EXPECT_TRUE(results.frame.visible);
}

} // namespace
} // namespace vorlith
