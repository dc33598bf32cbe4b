// The report folder the program keeps for itself: which folders it takes, which it refuses, and
// that a run's pages only replace the last report once the run is done, never through a link.

#include "report/report_folder.h"

#include "report/page_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace vorlith {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

struct Folders {
    test::TempFolder root;
    std::string assets = root.makeFolder("assets");
    std::string report = root / "report";
    Folders() {
        root.write("assets/logo.gif", "GIF89a-logo");
        root.write("assets/video_tab_clickhere.gif", "GIF89a-tab");
    }
    PreparedReportFolder prepare() { return PrepareReportFolderAt(report, assets); }
};

TEST(ReportFolder, TakesANewEmptyOrPreviousReportFolderAndMarksIt) {
    Folders f;
    const PreparedReportFolder fresh = f.prepare();
    ASSERT_EQ(fresh.state, ReportFolderState::Ready) << fresh.problem;
    EXPECT_EQ(ModeOf(f.report), 0700u);
    EXPECT_EQ(ModeOf(f.report + "/.vorlith"), 0600u);
    EXPECT_EQ(test::ReadFile(f.report + "/logo.gif"), "GIF89a-logo");

    // A report an earlier version wrote, without the marker: its pages and pictures only.
    Folders earlier;
    earlier.root.write("report/Vorlith_summary.html", "old");
    earlier.root.write("report/thumbs/0-1.jpg", "jpeg");
    earlier.root.write("report/thumbs/cache-1-0123456789abcdef.png", "png");
    EXPECT_EQ(earlier.prepare().state, ReportFolderState::Ready);
    EXPECT_TRUE(fs::exists(earlier.report + "/thumbs/.vorlith"));
}

TEST(ReportFolder, RefusesAFolderHoldingWhatTheProgramDidNotWrite) {
    struct Case {
        const char* name;
        std::function<void(Folders&)> make;
    } cases[] = {
        {"a home with a summary of its own",
         [](Folders& f) {
             f.root.write("report/notes.txt", "mine");
             f.root.write("report/Vorlith_summary.html", "mine");
         }},
        {"thumbs linking to a folder of pictures",
         [](Folders& f) {
             f.root.write("pictures/0-1.jpg", "mine");
             f.root.makeFolder("report");
             fs::create_directory_symlink(f.root / "pictures", f.report + "/thumbs");
         }},
        {"thumbs holding other pictures",
         [](Folders& f) { f.root.write("report/thumbs/holiday.jpg", "mine"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folders f;
        c.make(f);
        const auto before = f.root / "report";
        const PreparedReportFolder prepared = f.prepare();
        EXPECT_EQ(prepared.state, ReportFolderState::NotOurs);
        EXPECT_FALSE(prepared.problem.empty());
        EXPECT_FALSE(fs::exists(before + "/.vorlith"));
        EXPECT_FALSE(fs::exists(before + "/logo.gif"));
        std::string problem;
        EXPECT_FALSE(ReportStaging::Begin(f.report, &problem));
    }
    // Nothing the user had was changed.
    Folders f;
    f.root.write("pictures/0-1.jpg", "mine");
    f.root.makeFolder("report");
    fs::create_directory_symlink(f.root / "pictures", f.report + "/thumbs");
    f.prepare();
    EXPECT_EQ(test::ReadFile(f.root / "pictures/0-1.jpg"), "mine");
}

TEST(ReportFolder, AFolderThatCannotBeCreatedCannotBeWritten) {
    test::TempFolder root;
    const std::string file = root.write("a-file", "x");
    for (const std::string& path : {std::string("/proc/vorlith-nope"), file + "/report"}) {
        SCOPED_TRACE(path);
        const PreparedReportFolder prepared = PrepareReportFolderAt(path, root.path());
        EXPECT_EQ(prepared.state, ReportFolderState::CannotWrite);
        EXPECT_NE(prepared.problem.find(path), std::string::npos);
    }
}

TEST(ReportStaging, OnlyACommittedRunReplacesTheReportAndLinksAreReplacedNotFollowed) {
    Folders f;
    ASSERT_EQ(f.prepare().state, ReportFolderState::Ready);
    const std::string outside = f.root.write("outside.txt", "keep me");
    fs::create_symlink(outside, f.report + "/Vorlith_history.html");
    f.root.write("report/Vorlith_summary.html", "previous summary");
    f.root.write("report/thumbs/0-1.jpg", "previous picture");

    auto writeRun = [&](ReportStaging& staging) {
        PageFile page;
        ASSERT_TRUE(page.open(staging.path() + "/Vorlith_summary.html"));
        page.writeLine("new summary");
        ASSERT_TRUE(page.close());
        ASSERT_TRUE(page.open(staging.path() + "/Vorlith_history.html"));
        page.writeLine("new history");
        ASSERT_TRUE(page.close());
        auto thumbs = platform::OpenOutputFolder(staging.thumbsPath());
        auto picture = thumbs->createFile("0-1.jpg");
        picture->write("new picture");
        ASSERT_TRUE(picture->close());
    };

    std::string problem;
    {
        auto cancelled = ReportStaging::Begin(f.report, &problem);
        ASSERT_TRUE(cancelled) << problem;
        writeRun(*cancelled);
    } // not committed: discarded
    EXPECT_EQ(test::ReadFile(f.report + "/Vorlith_summary.html"), "previous summary");
    EXPECT_EQ(test::ReadFile(f.report + "/thumbs/0-1.jpg"), "previous picture");

    {
        auto run = ReportStaging::Begin(f.report, &problem);
        ASSERT_TRUE(run) << problem;
        writeRun(*run);
        ASSERT_TRUE(run->commit(&problem)) << problem;
    }
    EXPECT_EQ(test::ReadFile(f.report + "/Vorlith_summary.html"), "new summary\r\n");
    EXPECT_EQ(test::ReadFile(f.report + "/thumbs/0-1.jpg"), "new picture");
    EXPECT_EQ(test::ReadFile(outside), "keep me");
    EXPECT_FALSE(fs::is_symlink(f.report + "/Vorlith_history.html"));
    EXPECT_EQ(ModeOf(f.report + "/Vorlith_history.html"), 0600u);
    // Nothing of either run is left beside the report.
    for (const auto& entry : fs::directory_iterator(f.report))
        EXPECT_EQ(entry.path().filename().string().find(".vorlith-run-"), std::string::npos);
}

TEST(ReportStaging, ARunKilledMidwayLeavesNothingTheNextRunKeeps) {
    Folders f;
    ASSERT_EQ(f.prepare().state, ReportFolderState::Ready);
    f.root.write("report/.vorlith-run-Ab12Cd/Vorlith_summary.html", "half");
    std::string problem;
    auto run = ReportStaging::Begin(f.report, &problem);
    ASSERT_TRUE(run) << problem;
    EXPECT_FALSE(fs::exists(f.report + "/.vorlith-run-Ab12Cd"));
}

} // namespace
} // namespace vorlith
