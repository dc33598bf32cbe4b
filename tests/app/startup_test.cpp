#include "app/startup.h"
#include "platform/instance_lock.h"
#include "settings/settings_store.h"
#include "support/program_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vorlith {
namespace {

using test::ProgramFixture;
using test::TempFolder;

TEST(CommandLine, OnlyTheWholeTextCountsWithoutRegardToCase) {
    struct Case {
        const char* text;
        bool startup;
        bool uninstall;
    };
    const Case cases[] = {
        {"/STARTUP", true, false},   {"/startup", true, false},     {"/UNINSTALL", false, true},
        {"/uninstall", false, true}, {"/STARTUP /X", false, false}, {"-STARTUP", false, false},
        {"", false, false},          {" /STARTUP", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        StartupState state;
        ParseCommandLine(c.text, state);
        EXPECT_EQ(state.StartupMode, c.startup);
        EXPECT_EQ(state.UninstallMode, c.uninstall);
    }
}

TEST(DaysSinceAudit, CountsCalendarDayBoundaries) {
    struct Case {
        const char* lastAudit;
        DateTime now;
        int days;
    };
    const Case cases[] = {
        {"2026-12-05", {2026, 12, 6, 0, 1, 0}, 1}, // one minute after midnight
        {"2026-12-05", {2026, 12, 6, 23, 59, 59}, 1},
        {"2026-12-06", {2026, 12, 6, 23, 59, 59}, 0},
        {"2026-11-29", {2026, 12, 6, 8, 0, 0}, 7},
        {"2025-12-31", {2026, 1, 1, 0, 0, 0}, 1},    // over a year's end
        {"2024-02-28", {2024, 3, 1, 0, 0, 0}, 2},    // a leap day between
        {"2026-12-08", {2026, 12, 6, 12, 0, 0}, -2}, // a date in the future
        {"0", {2026, 12, 6, 12, 0, 0}, 0},
        {"12/05/2026", {2026, 12, 6, 12, 0, 0}, 0}, // not a date this program writes
        {"2026-02-30", {2026, 12, 6, 12, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastAudit);
        EXPECT_EQ(CountDaysSinceAudit(c.lastAudit, c.now), c.days);
    }
}

TEST(WinVersion, CodesByFamilyAndVersion) {
    using Family = platform::PlatformVersion::Family;
    struct Case {
        Family family;
        int major, minor;
        int code;
    };
    const Case cases[] = {
        {Family::Windows9x, 4, 0, 0}, {Family::Windows9x, 4, 10, 1}, {Family::Windows9x, 4, 90, 4},
        {Family::Windows9x, 5, 0, 1}, {Family::WindowsNT, 5, 0, 3},  {Family::WindowsNT, 5, 1, 5},
        {Family::WindowsNT, 6, 0, 6}, {Family::WindowsNT, 6, 1, 7},  {Family::WindowsNT, 5, 2, 5},
        {Family::WindowsNT, 6, 2, 5}, {Family::Other, 6, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        EXPECT_EQ(GetWinVersion(platform::PlatformVersion{c.family, c.major, c.minor}), c.code);
    }
    EXPECT_EQ(GetWinVersion(), 0); // this platform is no Windows
}

TEST(SpecialFolders, MapToTheXdgFoldersAndFailWithTheirTexts) {
    test::FakeHome home;
    EXPECT_EQ(GetSpecialFolderPath(platform::kFolderLocalAppData), home.data());
    EXPECT_EQ(GetSpecialFolderPath(platform::kFolderRoamingAppData), home.config());
    EXPECT_EQ(GetSpecialFolderPath(platform::kFolderProfile), home.home());
    EXPECT_EQ(GetSpecialFolderPath(5), "Folder Not Valid on this OS");
    std::filesystem::remove_all(home.data());
    // A missing data folder is created, as a fresh account needs.
    EXPECT_EQ(GetSpecialFolderPath(platform::kFolderLocalAppData), home.data());
    EXPECT_TRUE(std::filesystem::is_directory(home.data()));
}

TEST(ReportFolder, IsCreatedWithItsPicturesWhichAreNeverReplaced) {
    test::FakeHome home;
    const std::string folder = PrepareReportFolder();
    EXPECT_EQ(folder, home.data() + "/Vorlith");
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/logo.gif"));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/video_tab_clickhere.gif"));
    home.folder().write(".local/share/Vorlith/logo.gif", "mine");
    PrepareReportFolder();
    EXPECT_EQ(test::ReadFile(folder + "/logo.gif"), "mine");
}

TEST(ReportFolder, GivenFolderIsCreatedWithItsParents) {
    test::FakeHome home;
    const std::string folder = PrepareReportFolder(home.home() + "/out/report/");
    EXPECT_EQ(folder, home.home() + "/out/report");
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/logo.gif"));
}

TEST(EmptyFolder, RefusesProtectedFolders) {
    test::FakeHome home;
    const std::pair<std::string, bool> cases[] = {
        {"c:\\windows", true},
        {"C:\\WINDOWS\\", false},
        {"C:\\", true},
        {"d:\\program files\\", true},
        {"/", true},
        {"//", true},
        {"/home", true},
        {"/home/", true},
        {"/usr", true},
        {"/etc", true},
        {home.home(), true},
        {home.home() + "/", true},
        {home.home() + "/x", false},
        {"", true},
    };
    for (const auto& [folder, refused] : cases) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(IsProtectedFolder(folder), refused);
    }
    test::FakeWindowSystem windows;
    EXPECT_FALSE(EmptyFolder(windows, home.home()));
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(windows.messages[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(windows.messages[0].text, "Error # 69!  Please report to support@vorlith.example");
}

TEST(EmptyFolder, DeletesFilesAtEveryDepthAndKeepsTheFolders) {
    TempFolder folder;
    folder.write("thumbs/0-1.jpg", "a");
    folder.write("thumbs/.hidden", "b");
    folder.write("thumbs/sub/deeper/1-2.jpg", "c");
    folder.write("outside/keep.txt", "keep");
    std::filesystem::permissions(folder / "thumbs/0-1.jpg", std::filesystem::perms::owner_read);
    // A link to a folder outside is removed itself; what it points at stays.
    std::filesystem::create_directory_symlink(folder / "outside", folder / "thumbs/link");

    test::FakeWindowSystem windows;
    EXPECT_TRUE(EmptyFolder(windows, folder / "thumbs"));
    EXPECT_FALSE(std::filesystem::exists(folder / "thumbs/0-1.jpg"));
    EXPECT_FALSE(std::filesystem::exists(folder / "thumbs/.hidden"));
    EXPECT_FALSE(std::filesystem::exists(folder / "thumbs/sub/deeper/1-2.jpg"));
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "thumbs/link"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "thumbs/sub/deeper"));
    EXPECT_EQ(test::ReadFile(folder / "outside/keep.txt"), "keep");
    EXPECT_GE(windows.yields, 5);
}

class StartupTest : public ::testing::Test, public ProgramFixture {};

TEST_F(StartupTest, FirstRunStoresTodayAndTheDefaults) {
    store(keys::kHARunOnStart, "0");
    EXPECT_EQ(program().Form_Load(""), StartupOutcome::WaitingForCommand);
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
    EXPECT_EQ(setting(keys::kMinDays), "7");
    EXPECT_EQ(setting(keys::kWinStart), "1");
    EXPECT_EQ(program().startup().DaysSinceAudit, 0);
    EXPECT_EQ(program().mainWindow().lblStatus.caption, "WAITING FOR A COMMAND...");
    EXPECT_TRUE(program().mainWindow().frame.visible);
    EXPECT_FALSE(program().mainWindow().frame.showInTaskbar);
    EXPECT_EQ(windows.trayIcons, 1);
    EXPECT_EQ(program().startup().ReportFolder, reportFolder());
}

TEST_F(StartupTest, FirstStartAtLogInEndsAtOnce) {
    EXPECT_EQ(program().Form_Load("/STARTUP"), StartupOutcome::Ended);
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
}

TEST_F(StartupTest, LogInStartWithAnAuditDueWaitsInTheTray) {
    store(keys::kLastAudit, "2026-11-29");
    EXPECT_EQ(program().Form_Load("/startup"), StartupOutcome::WaitingInTray);
    const MainWindow& window = program().mainWindow();
    EXPECT_TRUE(window.Idle_Timer.enabled);
    EXPECT_FALSE(window.frame.visible);
    EXPECT_EQ(window.frame.state, WindowState::Minimized);
    EXPECT_EQ(program().startup().DaysSinceAudit, 7);
}

TEST_F(StartupTest, LogInStartWithARecentAuditEnds) {
    store(keys::kLastAudit, "2026-12-01");
    EXPECT_EQ(program().Form_Load("/STARTUP"), StartupOutcome::Ended);
    EXPECT_FALSE(program().mainWindow().Idle_Timer.enabled);
}

TEST_F(StartupTest, MinDaysZeroAlwaysWaitsForIdleness) {
    store(keys::kLastAudit, "2026-12-06");
    store(keys::kMinDays, "0");
    EXPECT_EQ(program().Form_Load("/STARTUP"), StartupOutcome::WaitingInTray);
}

TEST_F(StartupTest, UninstallStartsNormallyAndAuditsAtOnce) {
    EXPECT_EQ(program().Form_Load("/uninstall"), StartupOutcome::AuditRan);
    EXPECT_TRUE(program().startup().UninstallMode);
    EXPECT_FALSE(program().startup().StartupMode);
    EXPECT_EQ(windows.resultsShown, 1);
}

TEST_F(StartupTest, IdleStartShowsTheWindowAndAuditsOnce) {
    store(keys::kLastAudit, "2026-11-01");
    ASSERT_EQ(program().Form_Load("/STARTUP"), StartupOutcome::WaitingInTray);
    program().IdleAuditStart(121);
    const MainWindow& window = program().mainWindow();
    EXPECT_TRUE(window.frame.visible);
    EXPECT_EQ(window.frame.state, WindowState::Normal);
    EXPECT_FALSE(window.Idle_Timer.enabled);
    EXPECT_EQ(windows.resultsShown, 1);
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
}

TEST_F(StartupTest, SecondCopyEndsWithoutTouchingTheSettings) {
    auto held = platform::AcquireInstanceLock(options.lockName);
    ASSERT_TRUE(held);
    EXPECT_EQ(program().Form_Load(""), StartupOutcome::AnotherCopyRunning);
    EXPECT_EQ(setting(keys::kLastAudit), "<absent>");
    EXPECT_EQ(windows.trayIcons, 0);
    EXPECT_FALSE(std::filesystem::exists(reportFolder()));
}

} // namespace
} // namespace vorlith
