#include "app/program.h"
#include "platform/file_system.h"
#include "platform/reg_file_hive.h"
#include "settings/settings_store.h"
#include "support/test_support.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vorlith {
namespace {

using namespace std::chrono_literals;
using platform::MessageAnswer;

class RestingInput final : public platform::InputState {
public:
    int keyPressesSinceLastQuery() override { return 0; }
    std::optional<platform::CursorPosition> cursorPosition() override {
        return platform::CursorPosition{10, 10};
    }
};

// A whole program on a temporary home, with an empty folder as its only drive.
class WindowLife : public ::testing::Test {
protected:
    WindowLife()
        : userHive(home.folder() / "user.reg", "HKEY_CURRENT_USER"),
          machineHive(home.folder() / "machine.reg", "HKEY_LOCAL_MACHINE"),
          program(ProgramServices{windows, clock, drives, urlCache, starter, userHive, machineHive},
                  options()) {}

    ProgramOptions options() {
        ProgramOptions result;
        result.driveRoots = {home.folder().makeFolder("drive")};
        result.reportFolder = home.folder() / "report";
        result.lockName = "vorlith-window-life-test";
        return result;
    }
    void storeSetting(const std::string& key, const std::string& value) {
        SaveSetting(userHive, kSettingsApplication, kSettingsSection, key, value);
    }

    test::FakeHome home;
    test::FakeWindowSystem windows;
    test::FakeClock clock;
    test::FakeDrives drives;
    test::ListUrlCacheSource urlCache;
    test::FakeStarter starter;
    platform::RegFileHive userHive;
    platform::RegFileHive machineHive;
    Program program;
};

TEST(TrayMouse, LeftClicksShowTheWindowARightReleaseOpensTheMenu) {
    const std::vector<std::pair<TrayMouse, TrayAction>> cases = {
        {TrayMouse::LeftButtonDown, TrayAction::ShowMainWindow},
        {TrayMouse::LeftDoubleClick, TrayAction::ShowMainWindow},
        {TrayMouse::RightButtonUp, TrayAction::OpenMenu},
        {TrayMouse::RightButtonDown, TrayAction::None},
        {TrayMouse::Other, TrayAction::None},
    };
    for (const auto& [event, action] : cases) {
        SCOPED_TRACE(static_cast<int>(event));
        EXPECT_EQ(TrayMouseAction(event), action);
    }
}

TEST(Tray, ChangesApplyOnlyWhileTheIconIsShown) {
    test::FakeWindowSystem windows;
    clsTray tray(windows);
    WindowFrame frame;
    frame.caption = "Vorlith 5.0 - Internet Vorlith ";
    tray.ChangeToolTip(frame, "early");
    EXPECT_EQ(tray.icon().tip, "");
    tray.ShowIcon(frame);
    EXPECT_TRUE(tray.bRunningInTray());
    EXPECT_EQ(windows.trayIcons, 1);
    EXPECT_EQ(tray.icon().tip, "Vorlith 5.0 - Internet Vorlith ");
    tray.ChangeToolTip(frame, "busy");
    EXPECT_EQ(tray.icon().tip, "busy");
    tray.RemoveIcon(frame);
    EXPECT_FALSE(tray.bRunningInTray());
    EXPECT_FALSE(tray.icon().visible);
}

TEST_F(WindowLife, ALogInStartWaitsInTheTrayAndAuditsOnceAfterTwoQuietMinutes) {
    storeSetting("LastAudit", "2026-11-01");
    storeSetting("MinDays", "7");
    ASSERT_EQ(program.Form_Load("/startup"), StartupOutcome::WaitingInTray);
    EXPECT_TRUE(program.tray().bRunningInTray());
    EXPECT_EQ(program.tray().icon().tip, "Vorlith 5.0 - Internet Vorlith ");
    EXPECT_FALSE(program.mainWindow().frame.showInTaskbar);
    EXPECT_TRUE(program.mainWindow().Idle_Timer.enabled);
    EXPECT_LE(program.mainWindow().Idle_Timer.intervalMs, 50);

    RestingInput input;
    auto tick = [&](int seconds) {
        for (int second = 0; second < seconds; ++second) {
            clock.advance(1s);
            program.Idle_Timer_Tick(input);
        }
    };
    tick(100);
    EXPECT_EQ(windows.resultsShown, 0);
    tick(200);
    EXPECT_EQ(windows.resultsShown, 1) << "one audit, then the watch is off";
    EXPECT_FALSE(program.mainWindow().Idle_Timer.enabled);
    EXPECT_TRUE(program.mainWindow().frame.visible);
    EXPECT_EQ(program.mainWindow().frame.state, WindowState::Normal);
    EXPECT_EQ(GetSetting(userHive, kSettingsApplication, kSettingsSection, "LastAudit", ""),
              "2026-12-06");
}

TEST_F(WindowLife, KillBeforeAnyAuditCarriesZeroTracesAndExitClosesSetupWithoutAsking) {
    storeSetting("HARunOnStart", "0");
    ASSERT_EQ(program.Form_Load(""), StartupOutcome::WaitingForCommand);
    program.cmdKill_Click();
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0][1],
              "https://secure.vorlith.example/secure_erazent_audit_clean_2013.php?traces=0");
    program.cmdSetup_Click(); // opens without blocking
    EXPECT_TRUE(program.setupDialog().frame.visible);
    EXPECT_TRUE(program.cmdExit_Click()) << "no audit ran: no question";
    EXPECT_FALSE(program.setupDialog().frame.visible);
    EXPECT_FALSE(program.mainWindow().frame.visible);
    EXPECT_TRUE(windows.messages.empty());
}

TEST_F(WindowLife, SetupClickedWhileTheDialogIsOpenBringsItToTheFrontWithItsEdits) {
    storeSetting("HARunOnStart", "0");
    ASSERT_EQ(program.Form_Load(""), StartupOutcome::WaitingForCommand);
    program.cmdSetup_Click();
    SetupDialog& setup = program.setupDialog();
    ASSERT_TRUE(setup.frame.visible);
    setup.txtDays.text = "12";
    setup.chkNoThumbs.checked = true;
    program.cmdSetup_Click();
    EXPECT_EQ(setup.txtDays.text, "12");
    EXPECT_TRUE(setup.chkNoThumbs.checked);
    EXPECT_EQ(windows.raised, std::vector<platform::WindowId>{platform::WindowId::Setup});
    EXPECT_EQ(
        std::count(windows.centered.begin(), windows.centered.end(), platform::WindowId::Setup), 1)
        << "placed once, when it opened";
}

TEST_F(WindowLife, TrayExitAfterAnAuditAsksAndKeepsTheProgramOnNo) {
    const std::string picture = home.folder().write("report/thumbs/a/1.jpg", "jpeg");
    ASSERT_EQ(program.Form_Load(""), StartupOutcome::AuditRan);
    program.cmdSetup_Click();
    windows.answers = {MessageAnswer::No};
    EXPECT_FALSE(program.mnuExit_Click());
    EXPECT_TRUE(program.mainWindow().frame.visible);
    EXPECT_FALSE(program.setupDialog().frame.visible) << "the other windows are unloaded";
    EXPECT_TRUE(platform::FileExists(picture));
    program.mainWindow().frame.visible = false;
    program.mnuShow_Click();
    EXPECT_TRUE(program.mainWindow().frame.visible);

    windows.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(program.mnuExit_Click());
    EXPECT_FALSE(platform::FileExists(picture));
    EXPECT_EQ(windows.messages.back().title, "Vorlith - Are you done viewing results?");
}

TEST_F(WindowLife, ClosingDuringARunWithNoLeavesItGoingAndYesCancelsIt) {
    home.folder().write("drive/a/b/c.txt", "x");
    home.folder().write("drive/a/d.txt", "x");
    bool firstClose = true;
    windows.everyYield = [&] {
        if (!program.audit().state().Scanning || !firstClose)
            return;
        firstClose = false;
        windows.answers = {MessageAnswer::No};
        EXPECT_FALSE(program.Form_QueryUnload());
        EXPECT_TRUE(program.audit().state().Scanning);
        windows.answers = {MessageAnswer::Yes};
        EXPECT_FALSE(program.Form_QueryUnload());
    };
    program.Form_Load("");
    EXPECT_TRUE(program.audit().state().ScanCanceled);
    EXPECT_EQ(windows.resultsShown, 0);
    EXPECT_EQ(program.mainWindow().lblStatus.caption, "Vorlith scan canceled...");
    EXPECT_TRUE(program.Form_QueryUnload()) << "after the cancel the close goes on";
}

} // namespace
} // namespace vorlith
