#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "support/program_fixture.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using namespace std::chrono_literals;
using platform::MessageAnswer;

TEST(Tray, MouseEventsAndTipChangesOnlyWhileTheIconIsShown) {
    using enum TrayAction;
    for (auto [event, action] : {std::pair{TrayMouse::LeftButtonDown, ShowMainWindow},
                                 {TrayMouse::LeftDoubleClick, ShowMainWindow},
                                 {TrayMouse::RightButtonUp, OpenMenu},
                                 {TrayMouse::RightButtonDown, None},
                                 {TrayMouse::Other, None}})
        EXPECT_EQ(TrayMouseAction(event), action) << static_cast<int>(event);

    test::FakeWindowSystem windows;
    clsTray tray(windows);
    WindowFrame frame;
    frame.caption = "Vorlith 5.0 - Internet Vorlith ";
    tray.ChangeToolTip(frame, "early");
    EXPECT_EQ(tray.icon().tip, "");
    tray.ShowIcon(frame);
    EXPECT_EQ(tray.icon().tip, "Vorlith 5.0 - Internet Vorlith ");
    tray.ChangeToolTip(frame, "busy");
    EXPECT_EQ(tray.icon().tip, "busy");
    tray.RemoveIcon(frame);
    EXPECT_FALSE(tray.bRunningInTray() || tray.icon().visible);
}

class WindowLife : public ::testing::Test, public test::ProgramFixture {};

TEST_F(WindowLife, ALogInStartAuditsOnceAfterTwoQuietMinutes) {
    class RestingInput final : public platform::InputState {
        int keyPressesSinceLastQuery() override { return 0; }
        std::optional<platform::CursorPosition> cursorPosition() override { return {{10, 10}}; }
    } input;
    store(keys::kLastAudit, "2026-11-01");
    ASSERT_EQ(program().Form_Load("/startup"), StartupOutcome::WaitingInTray);
    EXPECT_TRUE(program().tray().bRunningInTray());
    EXPECT_LE(program().mainWindow().Idle_Timer.intervalMs, 50);
    for (int second = 0; second < 300; ++second) {
        clock.advance(1s);
        program().Idle_Timer_Tick(input);
        EXPECT_EQ(windows.resultsShown, second <= 120 ? 0 : 1) << second;
    }
    EXPECT_FALSE(program().mainWindow().Idle_Timer.enabled);
    EXPECT_TRUE(program().mainWindow().frame.visible);
    EXPECT_EQ(program().mainWindow().frame.state, WindowState::Normal);
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
}

TEST_F(WindowLife, KillBeforeAnyAuditCarriesZeroTracesAndExitClosesSetupWithoutAsking) {
    store(keys::kHARunOnStart, "0");
    ASSERT_EQ(program().Form_Load(""), StartupOutcome::WaitingForCommand);
    program().cmdKill_Click();
    EXPECT_EQ(starter.started, (std::vector<std::vector<std::string>>{
                                   {"xdg-open", "https://secure.vorlith.example/"
                                                "secure_erazent_audit_clean_2013.php?traces=0"}}));
    program().cmdSetup_Click(); // opens without blocking
    EXPECT_TRUE(program().setupDialog().frame.visible);
    EXPECT_TRUE(program().cmdExit_Click());
    EXPECT_FALSE(program().setupDialog().frame.visible || program().mainWindow().frame.visible);
    EXPECT_TRUE(windows.messages.empty());
}

TEST_F(WindowLife, TrayExitAfterAnAuditAsksAndKeepsTheProgramOnNo) {
    const std::string picture = home.folder().write(".local/share/Vorlith/thumbs/a/1.jpg", "jpeg");
    ASSERT_EQ(program().Form_Load(""), StartupOutcome::AuditRan);
    program().cmdSetup_Click();
    windows.answers = {MessageAnswer::No};
    EXPECT_FALSE(program().mnuExit_Click());
    EXPECT_TRUE(program().mainWindow().frame.visible);
    EXPECT_FALSE(program().setupDialog().frame.visible) << "the other windows are unloaded";
    EXPECT_TRUE(platform::FileExists(picture));
    program().mainWindow().frame.visible = false;
    program().mnuShow_Click();
    EXPECT_TRUE(program().mainWindow().frame.visible);
    windows.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(program().mnuExit_Click());
    EXPECT_FALSE(platform::FileExists(picture));
}

TEST_F(WindowLife, ClosingDuringARunWithNoLeavesItGoingAndYesCancelsIt) {
    drive.write("a/b/c.txt", "x");
    bool asked = false;
    windows.everyYield = [&] {
        if (!program().audit().state().Scanning || std::exchange(asked, true))
            return;
        windows.answers = {MessageAnswer::No, MessageAnswer::Yes};
        EXPECT_FALSE(program().Form_QueryUnload());
        EXPECT_TRUE(program().audit().state().Scanning);
        EXPECT_FALSE(program().Form_QueryUnload());
    };
    program().Form_Load("");
    EXPECT_TRUE(program().audit().state().ScanCanceled);
    EXPECT_EQ(windows.resultsShown, 0);
    EXPECT_EQ(program().mainWindow().lblStatus.caption, "Vorlith scan canceled...");
    EXPECT_TRUE(program().Form_QueryUnload()) << "after the cancel the close goes on";
}

} // namespace
} // namespace vorlith
