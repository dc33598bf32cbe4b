#include "app/startup.h"
#include "platform/instance_lock.h"
#include "settings/settings_store.h"
#include "support/program_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vorlith {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, OnlyTheWholeTextCountsWithoutRegardToCase) {
    const std::tuple<const char*, bool, bool> cases[] = {
        {"/STARTUP", true, false},   {"/startup", true, false},     {"/UNINSTALL", false, true},
        {"/uninstall", false, true}, {"/STARTUP /X", false, false}, {"-STARTUP", false, false},
        {"", false, false},          {" /STARTUP", false, false}};
    for (const auto& [text, startup, uninstall] : cases) {
        SCOPED_TRACE(text);
        StartupState state;
        ParseCommandLine(text, state);
        EXPECT_EQ(state.StartupMode, startup);
        EXPECT_EQ(state.UninstallMode, uninstall);
    }
}

TEST(DaysSinceAudit, CountsCalendarDayBoundaries) {
    const std::tuple<const char*, DateTime, int> cases[] = {
        {"2026-12-05", {2026, 12, 6, 0, 1, 0}, 1}, // one minute after midnight
        {"2026-12-05", {2026, 12, 6, 23, 59, 59}, 1},
        {"2026-12-06", {2026, 12, 6, 23, 59, 59}, 0},
        {"2025-12-31", {2026, 1, 1, 0, 0, 0}, 1},    // over a year's end
        {"2024-02-28", {2024, 3, 1, 0, 0, 0}, 2},    // a leap day between
        {"2026-12-08", {2026, 12, 6, 12, 0, 0}, -2}, // a date in the future
        {"0", {2026, 12, 6, 12, 0, 0}, 0},
        {"12/05/2026", {2026, 12, 6, 12, 0, 0}, 0}, // not a date this program writes
        {"2026-02-30", {2026, 12, 6, 12, 0, 0}, 0}};
    for (const auto& [lastAudit, now, days] : cases) {
        SCOPED_TRACE(lastAudit);
        EXPECT_EQ(CountDaysSinceAudit(lastAudit, now), days);
    }
}

TEST(WinVersion, CodesByFamilyAndVersion) {
    using enum platform::PlatformVersion::Family;
    const std::tuple<platform::PlatformVersion::Family, int, int, int> cases[] = {
        {Windows9x, 4, 0, 0}, {Windows9x, 4, 10, 1}, {Windows9x, 4, 90, 4},
        {WindowsNT, 5, 0, 3}, {WindowsNT, 5, 1, 5},  {WindowsNT, 6, 0, 6},
        {WindowsNT, 6, 1, 7}, {WindowsNT, 6, 2, 5},  {Other, 6, 1, 0}};
    for (const auto& [family, major, minor, code] : cases)
        EXPECT_EQ(GetWinVersion({family, major, minor}), code) << major << "." << minor;
    EXPECT_EQ(GetWinVersion(), 0); // this platform is no Windows
}

TEST(ReportFolder, IsCreatedWithItsPicturesWhichAreNeverReplaced) {
    test::FakeHome home;
    fs::remove_all(home.data()); // a fresh account has none yet
    const std::string folder = PrepareReportFolder();
    EXPECT_EQ(folder, home.data() + "/Vorlith");
    EXPECT_TRUE(fs::is_regular_file(folder + "/video_tab_clickhere.gif"));
    home.folder().write(".local/share/Vorlith/logo.gif", "mine");
    PrepareReportFolder();
    EXPECT_EQ(test::ReadFile(folder + "/logo.gif"), "mine");
    EXPECT_EQ(PrepareReportFolder(home.home() + "/out/report/"), home.home() + "/out/report");
    EXPECT_TRUE(fs::is_regular_file(home.home() + "/out/report/logo.gif"));
}

TEST(EmptyFolder, RefusesProtectedFolders) {
    test::FakeHome fakeHome;
    const std::string home = fakeHome.home();
    for (const std::string& folder : std::vector<std::string>{
             "c:\\windows", "C:\\", "/", "//", "/home/", "/usr", "/etc", home, home + "/", ""}) {
        EXPECT_TRUE(IsProtectedFolder(folder)) << folder;
    }
    EXPECT_FALSE(IsProtectedFolder("C:\\WINDOWS\\")); // only the names as listed
    EXPECT_FALSE(IsProtectedFolder(home + "/x"));
    test::FakeWindowSystem windows;
    EXPECT_FALSE(EmptyFolder(windows, home));
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(windows.messages[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(windows.messages[0].text, "Error # 69!  Please report to support@vorlith.example");
}

TEST(EmptyFolder, DeletesFilesAtEveryDepthKeepsTheFoldersAndFollowsNoLink) {
    test::TempFolder folder;
    folder.write("thumbs/.hidden", "b");
    folder.write("thumbs/sub/deeper/1-2.jpg", "c");
    folder.write("outside/keep.txt", "keep");
    fs::permissions(folder.write("thumbs/0-1.jpg", "a"), fs::perms::owner_read);
    fs::create_directory_symlink(folder / "outside", folder / "thumbs/link");
    test::FakeWindowSystem windows;
    EXPECT_TRUE(EmptyFolder(windows, folder / "thumbs"));
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(folder / "thumbs"))
        left.push_back(entry.path().lexically_relative(folder / "thumbs").string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"sub", "sub/deeper"}));
    EXPECT_EQ(test::ReadFile(folder / "outside/keep.txt"), "keep");
    EXPECT_EQ(windows.yields, 6) << "one before each entry";
}

TEST(Startup, OutcomeFollowsTheCommandLineTheSettingsAndTheOtherCopy) {
    using enum StartupOutcome;
    struct Case {
        const char* arguments;
        std::vector<std::pair<const char*, const char*>> stored;
        StartupOutcome outcome;
        int days;
        const char* lastAuditAfter = "2026-12-06";
    };
    const Case cases[] = {
        {"/STARTUP", {}, Ended, 0}, // the first start: today is stored, 7 days to wait
        {"/startup", {{keys::kLastAudit, "2026-11-29"}}, WaitingInTray, 7, "2026-11-29"},
        {"/STARTUP", {{keys::kLastAudit, "2026-12-01"}}, Ended, 5, "2026-12-01"},
        {"/STARTUP", {{keys::kLastAudit, "2026-12-06"}, {keys::kMinDays, "0"}}, WaitingInTray, 0},
        {"", {{keys::kHARunOnStart, "0"}}, WaitingForCommand, 0},
        {"", {{keys::kLastAudit, "2026-12-05"}}, AuditRan, 1},
        {"/uninstall", {}, AuditRan, 0},
        {"", {}, AnotherCopyRunning, 0, "<absent>"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.arguments << " outcome " << static_cast<int>(c.outcome));
        test::ProgramFixture fixture;
        for (const auto& [key, value] : c.stored)
            fixture.store(key, value);
        const bool locked = c.outcome == AnotherCopyRunning;
        auto held = locked ? platform::AcquireInstanceLock(fixture.options.lockName) : nullptr;
        Program& program = fixture.program();
        EXPECT_EQ(program.Form_Load(c.arguments), c.outcome);
        EXPECT_EQ(program.startup().DaysSinceAudit, c.days);
        EXPECT_EQ(program.startup().UninstallMode, c.arguments == std::string("/uninstall"));
        const bool firstRun = c.stored.empty() || c.stored[0].first != keys::kLastAudit;
        const std::string today = c.outcome == AuditRan || firstRun ? "2026-12-06" : "";
        EXPECT_EQ(fixture.setting(keys::kLastAudit), locked ? "<absent>"
                                                     : firstRun || today != ""
                                                         ? today
                                                         : c.stored[0].second);
        EXPECT_EQ(fixture.setting(keys::kWinStart), firstRun && !locked ? "1" : "<absent>");
        EXPECT_EQ(fs::exists(fixture.reportFolder() + "/logo.gif"), !locked);
        EXPECT_EQ(fixture.windows.trayIcons, locked ? 0 : 1);
        const MainWindow& window = program.mainWindow();
        EXPECT_EQ(window.Idle_Timer.enabled, c.outcome == WaitingInTray);
        EXPECT_EQ(window.frame.visible, c.outcome == AuditRan || c.outcome == WaitingForCommand);
        EXPECT_EQ(window.frame.state == WindowState::Minimized, c.outcome == WaitingInTray);
        EXPECT_EQ(window.lblStatus.caption == "WAITING FOR A COMMAND...",
                  c.outcome == WaitingForCommand);
        EXPECT_EQ(fixture.windows.resultsShown, c.outcome == AuditRan ? 1 : 0);
        EXPECT_EQ(window.frame.showInTaskbar, locked) << "only in the tray";
    }
}

} // namespace
} // namespace vorlith
