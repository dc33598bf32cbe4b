#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "support/program_fixture.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using platform::MessageAnswer;

class WindowLife : public ::testing::Test, public test::ProgramFixture {};

TEST_F(WindowLife, TrayLeftClicksShowTheWindowARightReleaseOpensTheMenu) {
    store(keys::kLastAudit, "2026-11-01");
    ASSERT_EQ(program().Form_Load("/startup"), StartupOutcome::WaitingInTray);
    EXPECT_EQ(program().tray().icon().tip, "Vorlith 5.0 - Internet Vorlith ");
    using enum TrayMouse;
    const TrayAction expected[] = {TrayAction::ShowMainWindow, TrayAction::ShowMainWindow,
                                   TrayAction::OpenMenu, TrayAction::None, TrayAction::None};
    for (TrayMouse event :
         {LeftButtonDown, LeftDoubleClick, RightButtonUp, RightButtonDown, Other}) {
        program().mainWindow().frame.visible = false;
        EXPECT_EQ(program().Tray_MouseEvent(event), expected[int(event)]) << int(event);
        EXPECT_EQ(program().mainWindow().frame.visible,
                  expected[int(event)] == TrayAction::ShowMainWindow);
    }
}

TEST_F(WindowLife, KillBeforeAnyAuditCarriesZeroTracesAndExitClosesSetupWithoutAsking) {
    store(keys::kHARunOnStart, "0");
    ASSERT_EQ(program().Form_Load(""), StartupOutcome::WaitingForCommand);
    program().cmdKill_Click();
    EXPECT_EQ(starter.started, (std::vector<std::vector<std::string>>{
                                   {"xdg-open", "https://secure.vorlith.example/"
                                                "secure_erazent_audit_clean_2013.php?traces=0"}}));
    program().cmdSetup_Click(); // opens without blocking
    EXPECT_TRUE(program().cmdExit_Click());
    EXPECT_FALSE(program().setupDialog().frame.visible || program().mainWindow().frame.visible);
    EXPECT_TRUE(windows.messages.empty());
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
