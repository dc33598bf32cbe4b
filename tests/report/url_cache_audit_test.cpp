// The URL-cache audit as a whole: the pages in their order, the totals the results window and
// the summary show, the cancel tests of the history page, and the pages left without feet.

#include "app/program.h"
#include "platform/reg_file_hive.h"
#include "report/page_frame.h"
#include "report/url_cache_audit.h"
#include "report/url_cache_page_harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace vorlith::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

platform::RawUrlCacheEntry Raw(uint32_t type, std::string url, int32_t hitRate = 0,
                               uint64_t size = 0, std::string localFile = "") {
    platform::RawUrlCacheEntry raw;
    raw.type = type;
    raw.sourceUrlName = std::move(url);
    raw.localFileName = std::move(localFile);
    raw.hitRate = hitRate;
    raw.size = size;
    return raw;
}

// Three history entries (one gambling, one other, one left out as a picture), two cookies (one
// social), three cached files that are no pictures, one entry without the normal-entry bit and
// a gambling picture.
std::vector<platform::RawUrlCacheEntry> SmallCache() {
    return {
        Raw(kHistoryEntryType, "Visited: anna@http://poker.example/", 3, 100),
        Raw(kHistoryEntryType, "Visited: anna@http://plain.example/", 4, 200),
        Raw(kHistoryEntryType, "Visited: anna@http://espn.example/logo.gif", 5, 300),
        Raw(kCookieEntryType, "Cookie:anna@myspace.example/", 6, 400, "/c/anna@myspace.txt"),
        Raw(kCookieEntryType, "Cookie:anna@plain.example/", 7, 500, "/c/anna@plain.txt"),
        Raw(0x00000001, "http://plain.example/index.html", 0, 1000, "/cache/index.html"),
        Raw(0x00000041, "http://plain.example/app.js", 0, 2000, "/cache/app.js"),
        Raw(kHistoryEntryType | 0x4, "Visited: anna@http://poker.example/sticky", 0, 4000),
        Raw(0x00100000, "Cookie:anna@skipped.example/", 0, 8000),
        Raw(0x00000001, "http://casino.example/chips.jpg", 0, 50, "/cache/chips.jpg"),
    };
}

// Runs the phase on the small cache in the harness's pages.
void RunAudit(PageHarness& harness, std::vector<platform::RawUrlCacheEntry> entries,
              bool uninstall) {
    ListUrlCacheSource cache;
    cache.entries = std::move(entries);
    FakeClock clock;
    DiskScanCounts disk;
    RunUrlCacheAudit(harness.context, UrlCacheAuditInput{cache, clock, disk, uninstall},
                     harness.totals);
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(UrlCacheAudit, WholeAuditCountsTracesAndPrintsTheTotals) {
    FakeHome home;
    TempFolder report;
    FakeWindowSystem windows;
    FakeClock clock;
    FakeDrives drives;
    FakeStarter starter;
    ListUrlCacheSource cache;
    cache.entries = SmallCache();
    platform::RegFileHive userHive(home.config() + "/user.reg", "HKEY_CURRENT_USER");
    platform::RegFileHive machineHive(home.config() + "/machine.reg", "HKEY_LOCAL_MACHINE");
    ProgramOptions options;
    options.driveRoots = {report.makeFolder("empty-drive")};
    options.reportFolder = report / "pages";
    options.browsers = BrowserMode::Suppressed;
    options.lockName = "vorlith-url-cache-audit-test";
    Program program(ProgramServices{windows, clock, drives, cache, starter, userHive, machineHive},
                    options);
    ASSERT_TRUE(program.LoadUpToChoice(""));
    program.cmdAudit_Click();

    ASSERT_FALSE(program.audit().state().ScanCanceled);
    // Nine entries have the normal-entry bit: four cached files, three history entries, two
    // cookies.
    EXPECT_EQ(program.audit().totals().TotalTraces, 9);
    // One gambling picture, one gambling history row and one social cookie row.
    EXPECT_EQ(program.audit().totals().SuspectFiles, 1);
    EXPECT_EQ(program.audit().totals().SuspectTraces, 3);
    EXPECT_EQ(windows.resultsShown, 1);

    const std::string folder = program.startup().ReportFolder;
    const auto summary = SplitCrLf(ReadFile(folder + "/Vorlith_summary.html"));
    const std::string P = "You have a total of <FONT COLOR=#FF0000><B>";
    const std::string Q = "<BR>You have a total of <FONT COLOR=#FF0000><B>";
    for (const std::string& line : std::vector<std::string>{
             "<H3>Total Internet History Traces Found on your Computer: <FONT "
             "COLOR=#FF0000><B>9</B>"
             "</FONT></H3>",
             P + "1</B></FONT> <B>GAMBLING</B> suspect Internet file traces.<BR>",
             Q + "3</B></FONT> website history traces on your computer.<BR>",
             P + "1</B></FONT> <B>SUSPECT</B> website history traces on your computer.<BR>",
             Q + "2</B></FONT> cookie traces found on your computer.<BR>",
             P + "1</B></FONT> <B>SUSPECT</B> cookie traces found on your computer.<BR>",
             std::string("<BR>Your cookies have been read <FONT COLOR=#FF0000><B>13</B></FONT> "
                         "times by websites.<BR>"),
             std::string("You have visited the sites in your Internet history <FONT "
                         "COLOR=#FF0000><B>12</B></FONT> times.<BR>"),
             std::string("Total <B>SUSPECT</B> Internet history traces found on your Computer: "
                         "<FONT COLOR=#FF0000><B>3</B></FONT><BR>"),
             std::string("<TD WIDTH=10%><A HREF=\"file:///cache/chips.jpg\" TARGET=_BLANK><IMG "
                         "SRC=\"file:///cache/chips.jpg\" WIDTH=90 HEIGHT=120 VSPACE=5 "
                         "BORDER=1></A></TD>")})
        EXPECT_TRUE(HasLine(summary, line)) << line;
    // Bytes of every entry of the three lists: cached files, history and cookies alike.
    EXPECT_TRUE(HasLine(summary, "<BR>These traces account for <FONT COLOR=#FF0000><B>8" +
                                     std::string(platform::ThousandsSeparator().empty()
                                                     ? ","
                                                     : platform::ThousandsSeparator()) +
                                     "550</B></FONT> bytes of YOUR hard drive!</FONT></FONT>"));
    EXPECT_THAT(ReadFile(folder + "/Vorlith_history.html"),
                HasSubstr("<A HREF=\"http://poker.example/\" TARGET=_BLANK><FONT COLOR=#FF00FF>"));
    EXPECT_THAT(ReadFile(folder + "/Vorlith_cookies.html"),
                HasSubstr("<A HREF=\"file:///c/anna@myspace.txt\" TARGET=_BLANK><FONT "
                          "COLOR=#800000>"));
    // Every page of the phase got its foot.
    for (const PageInfo& info : UrlCachePages()) {
        SCOPED_TRACE(info.fileName);
        EXPECT_THAT(ReadFile(platform::JoinPath(folder, info.fileName)),
                    HasSubstr("All rights reserved."));
    }
}

TEST(UrlCacheAudit, GayPageKeepsOnlyItsHeadAndFoot) {
    PageHarness harness;
    auto entries = SmallCache();
    entries.push_back(Raw(1, "http://gay.example/g.jpg", 0, 10, "/cache/g.jpg"));
    RunAudit(harness, entries, false);

    // The same page written with nothing between head and foot.
    ReportPages reference(harness.folder.path() + "/reference");
    platform::CreateFolder(reference.folder());
    OpenPageWithHeader(reference, pages::kGay);
    WritePageFooter(reference, "14",
                    PurchaseCounts{harness.totals.TotalTraces,
                                   static_cast<int64_t>(harness.window.lists.lstResult.size())});
    EXPECT_EQ(ReadFile(harness.folder / pages::kGay.fileName),
              ReadFile(reference.folder() + "/" + pages::kGay.fileName));
}

TEST(UrlCacheAudit, CancelAtAHistoryPassEndsTheAuditWithoutFeet) {
    PageHarness harness;
    harness.run.cancelWhen = [&] {
        return harness.window.lblStatus.caption == "Locating Sports History on YOUR Computer...";
    };
    harness.totals.SuspectTraces = 77; // the previous audit's
    RunAudit(harness, SmallCache(), true);

    EXPECT_EQ(harness.run.cancels, 1);
    EXPECT_EQ(harness.totals.TotalTraces, 9);
    EXPECT_EQ(harness.totals.SuspectTraces, 77);
    harness.pages.closeAll(); // a cancelled phase leaves its pages open
    const std::string history = ReadFile(harness.folder / pages::kHistory.fileName);
    EXPECT_THAT(history, HasSubstr("http://poker.example/"));
    EXPECT_THAT(history, Not(HasSubstr("http://plain.example/")));
    // The cookie page and the summary got nothing after their heads (the summary its notice).
    EXPECT_THAT(ReadFile(harness.folder / pages::kCookies.fileName),
                Not(HasSubstr("Website Cookies located")));
    const auto summary = SplitCrLf(ReadFile(harness.folder / pages::kSummary.fileName));
    EXPECT_THAT(summary, Not(Contains("<H3>Erazent Internet Vorlith Summary</H3>")));
    for (const PageInfo& info : UrlCachePages()) {
        SCOPED_TRACE(info.fileName);
        EXPECT_THAT(ReadFile(harness.folder / info.fileName), Not(HasSubstr("All rights")));
    }
}

TEST(UrlCacheAudit, CancelAfterThePreCountsLeavesOutTheUninstallNotice) {
    PageHarness harness;
    harness.run.cancelWhen = [] { return true; };
    RunAudit(harness, SmallCache(), true);
    harness.pages.closeAll();
    EXPECT_EQ(harness.run.cancelTests, 1);
    EXPECT_EQ(harness.run.cancels, 1);
    EXPECT_THAT(ReadFile(harness.folder / pages::kSummary.fileName), Not(HasSubstr("Uninstall")));
    EXPECT_THAT(ReadFile(harness.folder / pages::kHistory.fileName),
                Not(HasSubstr("Internet History located")));
}

TEST(UrlCacheAudit, UninstallNoticeOpensTheSummaryBody) {
    PageHarness harness;
    RunAudit(harness, {}, true);
    const auto lines = SplitCrLf(ReadFile(harness.folder / pages::kSummary.fileName));
    const auto notice = std::find(lines.begin(), lines.end(),
                                  "<H1><FONT COLOR=#FF0000>*** Are you sure you want to Uninstall "
                                  "Erazent? ***</H1><H2>Shown below are the Internet traces STILL "
                                  "on your computer!</FONT></H2>");
    const auto totals =
        std::find(lines.begin(), lines.end(), "<H3>Erazent Internet Vorlith Summary</H3>");
    ASSERT_NE(notice, lines.end());
    ASSERT_NE(totals, lines.end());
    EXPECT_EQ(totals - notice, 3);
}

} // namespace
} // namespace vorlith::test
