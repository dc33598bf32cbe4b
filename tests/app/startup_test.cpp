#include "app/startup.h"
#include "platform/instance_lock.h"
#include "support/program_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace vorlith {
namespace {

namespace fs = std::filesystem;

// Midnights between the stored date and now: one a minute after midnight, over a year's end, a
// leap day, a date in the future; 0 for a text that is no date this program writes.
TEST(DaysSinceAudit, CountsCalendarDayBoundaries) {
    const std::tuple<const char*, DateTime, int> cases[] = {
        {"2026-12-05", {2026, 12, 6, 0, 1, 0}, 1},
        {"2026-12-05", {2026, 12, 6, 23, 59, 59}, 1},
        {"2026-12-06", {2026, 12, 6, 23, 59, 59}, 0},
        {"2025-12-31", {2026, 1, 1, 0, 0, 0}, 1},
        {"2024-02-28", {2024, 3, 1, 0, 0, 0}, 2},
        {"2026-12-08", {2026, 12, 6, 12, 0, 0}, -2},
        {"0", {2026, 12, 6, 12, 0, 0}, 0},
        {"12/05/2026", {2026, 12, 6, 12, 0, 0}, 0},
        {"2026-02-30", {2026, 12, 6, 12, 0, 0}, 0}};
    for (const auto& [lastAudit, now, days] : cases)
        EXPECT_EQ(CountDaysSinceAudit(lastAudit, now), days) << lastAudit;
}

TEST(EmptyFolder, RefusesProtectedFoldersWithAMessage) {
    test::FakeHome fakeHome;
    const std::string home = fakeHome.home();
    for (const std::string& folder : std::vector<std::string>{
             "c:\\windows", "C:\\", "/", "//", "/home/", "/usr", "/etc", home, home + "/", ""})
        EXPECT_TRUE(IsProtectedFolder(folder)) << folder;
    EXPECT_FALSE(IsProtectedFolder("C:\\WINDOWS\\") || IsProtectedFolder(home + "/x"));
    test::FakeWindowSystem windows;
    EXPECT_FALSE(EmptyFolder(windows, home));
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(windows.messages[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(windows.messages[0].text, "Error # 69!  Please report to support@vorlith.example");
}

TEST(EmptyFolder, DeletesFilesAtEveryDepthKeepsTheFoldersAndFollowsNoLink) {
    test::TempFolder folder;
    folder.write("thumbs/.vorlith", "the program's own"); // only such a folder is emptied
    folder.write("thumbs/.hidden", "b");
    folder.write("thumbs/sub/deeper/1-2.jpg", "c");
    folder.write("outside/keep.txt", "keep");
    fs::permissions(folder.write("thumbs/0-1.jpg", "a"), fs::perms::owner_read);
    fs::create_directory_symlink(folder / "outside", folder / "thumbs/link");
    test::FakeWindowSystem windows;
    EXPECT_TRUE(EmptyFolder(windows, folder / "thumbs"));
    std::set<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(folder / "thumbs"))
        left.insert(entry.path().lexically_relative(folder / "thumbs").string());
    EXPECT_EQ(left, (std::set<std::string>{".vorlith", "sub", "sub/deeper"}));
    EXPECT_EQ(test::ReadFile(folder / "outside/keep.txt"), "keep");
    EXPECT_EQ(windows.yields, 7) << "one before each entry";
}

TEST(Startup, OutcomeFollowsTheCommandLineTheSettingsAndTheOtherCopy) {
    using enum StartupOutcome;
    struct Case {
        const char* arguments;
        std::vector<std::pair<const char*, const char*>> stored;
        StartupOutcome outcome;
        int days;
        const char* lastAuditAfter = "2026-12-06";
        const char* winStartAfter = "<absent>"; // the first start stores it
    };
    const Case cases[] = {
        {"/STARTUP", {}, Ended, 0, "2026-12-06", "1"}, // the first start: 7 days to wait
        {"/startup", {{keys::kLastAudit, "2026-11-29"}}, WaitingInTray, 7, "2026-11-29"},
        {"/STARTUP", {{keys::kLastAudit, "2026-12-01"}}, Ended, 5, "2026-12-01"},
        {"/STARTUP", {{keys::kLastAudit, "2026-12-06"}, {keys::kMinDays, "0"}}, WaitingInTray, 0},
        {"", {{keys::kHARunOnStart, "0"}}, WaitingForCommand, 0, "2026-12-06", "1"},
        {"", {{keys::kLastAudit, "2026-12-05"}}, AuditRan, 1},
        {"/uninstall", {}, AuditRan, 0, "2026-12-06", "1"},
        {"/STARTUP /X", {{keys::kLastAudit, "2026-11-29"}}, AuditRan, 7}, // only the whole text
        {"", {}, AnotherCopyRunning, 0, "<absent>"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.arguments << " outcome " << int(c.outcome));
        test::ProgramFixture fixture;
        for (const auto& [key, value] : c.stored)
            fixture.store(key, value);
        fixture.home.folder().write(".local/share/Vorlith/logo.gif", "mine");
        const bool locked = c.outcome == AnotherCopyRunning;
        auto held = locked ? platform::AcquireInstanceLock(fixture.options.lockName) : nullptr;
        Program& program = fixture.program();
        EXPECT_EQ(program.Form_Load(c.arguments), c.outcome);
        EXPECT_EQ(program.startup().DaysSinceAudit, c.days);
        EXPECT_EQ(program.startup().UninstallMode, c.arguments == std::string("/uninstall"));
        EXPECT_EQ(program.startup().StartupMode, c.outcome == Ended || c.outcome == WaitingInTray);
        EXPECT_EQ(fixture.setting(keys::kLastAudit), c.lastAuditAfter);
        EXPECT_EQ(fixture.setting(keys::kWinStart), c.winStartAfter);
        EXPECT_EQ(fs::exists(fixture.reportFolder() + "/video_tab_clickhere.gif"), !locked);
        EXPECT_EQ(test::ReadFile(fixture.reportFolder() + "/logo.gif"), "mine") << "never replaced";
        EXPECT_EQ(fixture.windows.trayIcons, locked ? 0 : 1);
        const MainWindow& window = program.mainWindow();
        EXPECT_EQ(window.Idle_Timer.enabled, c.outcome == WaitingInTray);
        EXPECT_EQ(window.frame.visible, c.outcome == AuditRan || c.outcome == WaitingForCommand);
        EXPECT_EQ(window.frame.state == WindowState::Minimized, c.outcome == WaitingInTray);
        EXPECT_EQ(window.frame.showInTaskbar, locked) << "only in the tray";
        EXPECT_EQ(window.lblStatus.caption == "WAITING FOR A COMMAND...",
                  c.outcome == WaitingForCommand);
        EXPECT_EQ(fixture.windows.resultsShown, c.outcome == AuditRan ? 1 : 0);
    }
}

} // namespace
} // namespace vorlith
