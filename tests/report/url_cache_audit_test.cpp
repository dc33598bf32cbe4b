// The twelve pages of the URL-cache phase as a whole: opened with their heads, written in their
// order, closed with their feet; and a cancel that stops the writing at once.

#include "report/url_cache_audit.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

namespace vorlith::test {
namespace {

constexpr size_t kHeadLines = 164;

// History: a gambling site and another one. Cookies: a social one. Cached files: a page of more
// than 4 GiB and a gambling picture.
struct UrlCachePhase : PageHarness {
    UrlCacheLists lists{{Entry("http://plain.example/", "/c/index.html", 0, 5'000'000'000),
                         Entry("http://casino.example/chips.jpg", "/c/chips.jpg", 0, 50)},
                        {Entry("Visited: a@http://poker.example/", "", 3, 100),
                         Entry("Visited: a@http://plain.example/", "", 4, 200)},
                        {Entry("Cookie:a@myspace.example/", "/c/a@myspace.txt", 6, 400)}};
    DiskScanCounts disk;
    UrlCachePageCounts counts;

    PhaseEnd write() {
        OpenUrlCachePages(pages);
        totals.TotalTraces = lists.total();
        return WriteUrlCachePages(pageRun, UrlCachePagesInput{lists, disk, 0, true}, totals,
                                  counts);
    }
};

TEST(UrlCachePages, WholePhaseFillsThePagesAndSetsTheTotals) {
    UrlCachePhase phase;
    phase.pages.open(PageId::Gay).writeLine("left open by a cancelled run");
    phase.counts.SuspectHistory = 99; // the counters start again at 0
    ASSERT_EQ(phase.write(), PhaseEnd::Finished);
    CloseUrlCachePages(phase.pages, PurchaseCounts{5, 0});

    EXPECT_EQ(phase.counts.SuspectHistory, 1);
    EXPECT_EQ(phase.counts.CacheSizeTotal, 5'000'000'750.0); // files, history, cookies alike
    EXPECT_EQ(phase.totals.SuspectFiles, 1);                 // the gambling picture
    EXPECT_EQ(phase.totals.SuspectTraces, 3); // with the gambling site and the social cookie
    // The summary opens with the uninstall notice, then the totals.
    const auto summary = phase.lines(PageId::Summary);
    ASSERT_GT(summary.size(), kHeadLines + 4);
    EXPECT_EQ(summary[kHeadLines],
              "<H1><FONT COLOR=#FF0000>*** Are you sure you want to Uninstall Erazent? ***</H1><H2>"
              "Shown below are the Internet traces STILL on your computer!</FONT></H2>");
    EXPECT_EQ(summary[kHeadLines + 3], "<H3>Erazent Internet Vorlith Summary</H3>");
    // Every page has its head and its foot; the gay page nothing between them.
    for (PageId id : kUrlCachePages) {
        const auto lines = phase.lines(id);
        ASSERT_GE(lines.size(), kHeadLines + 8) << InfoOf(id).fileName;
        EXPECT_EQ(lines[kHeadLines - 1], "<P>") << InfoOf(id).fileName;
        EXPECT_EQ(lines[lines.size() - 7], DeleteTracesLine(5)) << InfoOf(id).fileName;
    }
    EXPECT_EQ(phase.lines(PageId::Gay).size(), kHeadLines + 8);
}

// The phase returns at the cancel test that sees the flag, with nothing more written or shown.
TEST(UrlCachePages, CancelStopsThePhaseAtOnce) {
    // The status at the cancel test that sees the flag, the tests made, whether the history
    // page was begun (and the uninstall notice written).
    const std::tuple<const char*, int, bool> cases[] = {
        {"Searching for Explicit Files on YOUR Computer...", 1, false}, // after the pre-counts
        {"Locating Sports History on YOUR Computer...", 10, true}};     // 6 image, 4 history tests
    for (const auto& [cancelAt, cancelTests, begun] : cases) {
        SCOPED_TRACE(cancelAt);
        UrlCachePhase phase;
        phase.run.cancelWhen = [&] { return phase.progress.status() == cancelAt; };
        phase.totals.SuspectTraces = 77; // the previous audit's
        EXPECT_EQ(phase.write(), PhaseEnd::Stopped);
        EXPECT_EQ(phase.run.cancelTests, cancelTests);
        EXPECT_EQ(phase.progress.status(), cancelAt);
        EXPECT_EQ(phase.totals.SuspectTraces, 77);
        EXPECT_EQ(phase.lines(PageId::Summary).size(), kHeadLines + (begun ? 3 : 0));
        EXPECT_EQ(phase.lines(PageId::History).size(), kHeadLines + (begun ? 12 : 0));
        EXPECT_EQ(phase.lines(PageId::Cookies).size(), kHeadLines);
    }
}

} // namespace
} // namespace vorlith::test
