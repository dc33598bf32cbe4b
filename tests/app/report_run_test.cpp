// What an audit does with the report when it cannot finish: a cancel or a failure leaves the
// previous report as it was, a folder that is not the program's is refused, and closing the
// program empties only a thumbs folder the program created.

#include "scan/compound_bytes.h"
#include "support/program_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vorlith {
namespace {

namespace fs = std::filesystem;

class ReportRunTest : public ::testing::Test, public test::ProgramFixture {
protected:
    void finishOneAudit() {
        drive.write("store/Thumbs.db", "store bytes" + test::SmallJpeg(8, 8));
        program().Form_Load("");
        ASSERT_EQ(program().audit().lastEnd(), RunEnd::Finished);
    }
};

TEST_F(ReportRunTest, ACancelledRunKeepsThePreviousReport) {
    finishOneAudit();
    const std::string summary = page("Vorlith_summary.html");
    const std::string picture = test::ReadFile(reportFolder() + "/thumbs/0-1.jpg");
    ASSERT_FALSE(picture.empty());

    // The second run finds more and is cancelled while it walks.
    drive.write("more/song.mp3", "x");
    windows.answers = {platform::MessageAnswer::Yes};
    const int cancelAt = windows.yields + 2;
    windows.everyYield = [&] {
        if (windows.yields == cancelAt)
            program().cmdCancel_Click();
    };
    program().cmdAudit_Click();

    EXPECT_EQ(program().audit().lastEnd(), RunEnd::Canceled);
    EXPECT_EQ(page("Vorlith_summary.html"), summary);
    EXPECT_EQ(test::ReadFile(reportFolder() + "/thumbs/0-1.jpg"), picture);
    for (const auto& entry : fs::directory_iterator(reportFolder()))
        EXPECT_EQ(entry.path().filename().string().find(".vorlith-run-"), std::string::npos);
}

TEST_F(ReportRunTest, AReportThatCannotBeWrittenEndsTheRunWithoutStoringTheAudit) {
    const std::string file = home.folder().write("not-a-folder", "x");
    options.reportFolder = file + "/report";
    store("LastAudit", "2026-11-01");
    program().Form_Load("");

    EXPECT_EQ(program().audit().lastEnd(), RunEnd::ReportFailed);
    ASSERT_FALSE(windows.messages.empty());
    EXPECT_EQ(windows.messages.back().icon, platform::MessageIcon::Critical);
    EXPECT_EQ(windows.resultsShown, 0);
    EXPECT_TRUE(starter.started.empty());
    EXPECT_EQ(setting("LastAudit"), "2026-11-01");
    EXPECT_EQ(program().mainWindow().lblStatus.caption, "Vorlith could not write its report.");
}

TEST_F(ReportRunTest, AFolderHoldingSomeoneElsesFilesIsRefusedAndLeftAlone) {
    const std::string folder = home.folder().makeFolder("documents");
    home.folder().write("documents/Vorlith_summary.html", "mine");
    home.folder().write("documents/thumbs/holiday.jpg", "mine");
    options.reportFolder = folder;
    program().Form_Load("");

    EXPECT_EQ(program().audit().lastEnd(), RunEnd::ReportRefused);
    EXPECT_EQ(test::ReadFile(folder + "/Vorlith_summary.html"), "mine");
    program().cmdExit_Click();
    EXPECT_EQ(test::ReadFile(folder + "/thumbs/holiday.jpg"), "mine");
}

TEST_F(ReportRunTest, ClosingEmptiesOnlyAThumbsFolderTheProgramCreated) {
    finishOneAudit();
    windows.answers = {platform::MessageAnswer::Yes};
    ASSERT_TRUE(program().Form_QueryUnload());
    EXPECT_FALSE(fs::exists(reportFolder() + "/thumbs/0-1.jpg"));
    EXPECT_TRUE(fs::exists(reportFolder() + "/thumbs/.vorlith"));

    // A thumbs folder swapped for a link to someone's pictures is not followed.
    const std::string pictures = home.folder().write("pictures/0-1.jpg", "mine");
    fs::remove_all(reportFolder() + "/thumbs");
    fs::create_directory_symlink(home.folder() / "pictures", reportFolder() + "/thumbs");
    EXPECT_FALSE(EmptyFolder(windows, reportFolder() + "/thumbs"));
    EXPECT_EQ(test::ReadFile(pictures), "mine");
}

TEST_F(ReportRunTest, SettingsThatCannotBeStoredAreReportedOnceAndTheAuditStillCounts) {
    program().LoadUpToChoice("");
    // The settings file's folder becomes a file: nothing can be stored any more.
    fs::remove_all(home.config() + "/vorlith");
    home.folder().write(".config/vorlith", "not a folder");
    const size_t before = windows.messages.size();
    program().cmdAudit_Click();

    EXPECT_EQ(program().audit().lastEnd(), RunEnd::Finished);
    ASSERT_EQ(windows.messages.size(), before + 1);
    EXPECT_NE(windows.messages.back().text.find("could not store its settings"),
              std::string::npos);
}

} // namespace
} // namespace vorlith
