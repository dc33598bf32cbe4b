// The summary page: every total in its line, the two suspect totals, the galleries with their row
// breaks and "view all" rows, and the closing block.

#include "platform/folders.h"
#include "report/summary_page.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <regex>

namespace vorlith::test {
namespace {

const char kViewAll[] = "<CENTER><H2><A HREF=Vorlith_teen.html TARGET=_BLANK>View All Suspect "
                        "Images On Your Computer</A></H2></CENTER><BR>";

struct SummaryRun {
    PageHarness harness{PageId::Summary};
    UrlCacheLists lists;
    UrlCachePageCounts counts;
    DiskScanCounts disk;
    KeywordSearch search;
    std::vector<std::string> lines;

    void write(int64_t firefoxImages = 0) {
        KeywordMemo keywords(lists.CacheContentList.size());
        WriteSummaryPage(harness.pageRun,
                         SummaryInput{lists, keywords, counts, disk, firefoxImages}, search,
                         harness.totals);
        lines = harness.lines(PageId::Summary);
    }
    // The lines after the thirty lines of totals.
    std::vector<std::string> afterTotals() const { return Slice(lines, 30, lines.size()); }
};

// Every counter has a value of its own, so the red numbers of the totals show in their order
// which counter each line printed.
TEST(SummaryPage, EveryTotalStandsInItsLineAndSuspectTotalsAreComputed) {
    SummaryRun run;
    run.harness.totals.TotalTraces = 31;
    run.harness.totals.SuspectTraces = 999; // the previous audit's value
    run.counts = {.ExplicitImageCount = 2,
                  .TeenImageCount = 7,
                  .GamblingImageCount = 3,
                  .PersonalsImageCount = 4,
                  .SportsImageCount = 5,
                  .NewsImageCount = 6,
                  .GayImageCount = 0,
                  .SuspectHistory = 16,
                  .SuspectCookies = 18,
                  .HistoryHits = 21,
                  .CookieReads = 19,
                  .CacheSizeTotal = 512.4};
    run.disk = DiskScanCounts{9, 10, 11, 12, 13, 14};
    run.lists.CacheHistoryList.resize(15);
    run.lists.CacheCookieList.resize(17);
    run.write(8);
    EXPECT_EQ(run.harness.totals.SuspectFiles, 2 + 3 + 4 + 5 + 6); // the teen pictures left out
    EXPECT_EQ(run.harness.totals.SuspectTraces, 20 + 16 + 18);

    ASSERT_GE(run.lines.size(), 30u);
    std::vector<int> numbers;
    const std::regex red("<FONT COLOR=#FF0000><B>([0-9]+)</B>");
    for (size_t i = 0; i < 27; ++i)
        for (std::sregex_iterator it(run.lines[i].begin(), run.lines[i].end(), red), end; it != end;
             ++it)
            numbers.push_back(std::stoi((*it)[1]));
    EXPECT_EQ(numbers, (std::vector<int>{31, 2,  3, 4,  5,  6,  8,  9,  10, 11, 12, 42, 13,
                                         14, 20, 7, 15, 16, 17, 18, 19, 21, 31, 54, 512}));
    EXPECT_EQ(run.lines[27], std::string("<BR><BR>") + kWarningLine);
    EXPECT_EQ(run.lines[28], "<A HREF=" + PurchaseLink(31) +
                                 " TARGET=_BLANK><H3><B>Use Erazent to Securely Delete these "
                                 "Traces Now!</B></H3></a><BR>");
    EXPECT_EQ(run.lines[29], "<H3>Suspect Images located on YOUR Computer:</H3>");
}

// Totals are grouped in thousands; the teen count of the closing block is not. Up to ten teen
// pictures give the link to all suspect images, more the warning.
TEST(SummaryPage, ClosingBlockDependsOnTheTeenCount) {
    std::string separator = platform::ThousandsSeparator();
    if (separator.empty())
        separator = ","; // the grouping where the locale defines none
    for (int teen : {0, 10, 11, 1234}) {
        SCOPED_TRACE(teen);
        const std::vector<std::string> closing =
            teen <= 10 ? std::vector<std::string>{"</TR></TABLE>", kViewAll}
                       : std::vector<std::string>{
                             "</TR></TABLE>",
                             "<BR><CENTER><FONT SIZE=+2><FONT COLOR=#FF0000><B>WARNING: </B></FONT>"
                             "<A HREF=Vorlith_teen.html><B>" +
                                 std::to_string(teen) +
                                 " potentially ILLEGAL Image Files Found on YOUR Computer!</B>"
                                 "</FONT><BR>",
                             "<B>Click Here To View all the potentially ILLEGAL files on your "
                             "computer!</B></A></CENTER><BR><BR>"};
        SummaryRun run;
        run.harness.totals.TotalTraces = 1234;
        run.counts.TeenImageCount = teen; // the teen gallery walks an empty list
        run.write();
        EXPECT_NE(run.lines[1].find("<B>1" + separator + "234</B>"), std::string::npos);
        EXPECT_EQ(Slice(run.lines, run.lines.size() - closing.size(), closing.size()), closing);
    }
}

// The lines of one gallery: its opening and title, the cells with a row break after the tenth
// and twentieth, the "view all" row when thirty were shown, and its closing line.
std::vector<std::string> Gallery(const std::string& title, const std::vector<std::string>& files,
                                 const std::string& viewAllPage = "") {
    std::vector<std::string> lines{
        "<TABLE WIDTH=95% CELLSPACING=0 CELLPADDING=0 BORDER=0><TR><TD COLSPAN=10><CENTER><TABLE "
        "CELLSPACING=0 CELLPADDING=0 WIDTH=100% BORDER=1><TR><TD><CENTER><B>",
        "SUSPECT " + title +
            " IMAGES (showing only up to "
            "30)</B></CENTER></TD></TR></TABLE></CENTER></TD></TR><TR>"};
    for (size_t i = 0; i < files.size(); ++i) {
        lines.push_back("<TD WIDTH=10%><A HREF=\"" + files[i] + "\" TARGET=_BLANK><IMG SRC=\"" +
                        files[i] + "\" WIDTH=90 HEIGHT=120 VSPACE=5 BORDER=1></A></TD>");
        if (i == 9 || i == 19)
            lines.push_back("</TR><TR>");
    }
    if (!viewAllPage.empty())
        lines.push_back("<TR><TH COLSPAN=10><CENTER><B><A HREF=" + viewAllPage +
                        " TARGET=_BLANK>CLICK HERE TO VIEW ALL</A></B></CENTER><BR></TH></TR>");
    lines.push_back("</TR></TABLE>");
    return lines;
}

// The walk stops at the thirtieth picture: pictures 31 to 40 are not looked at.
TEST(SummaryPage, GalleryBreaksRowsAfterTenAndTwentyAndStopsAtThirty) {
    const std::tuple<int, const char*, int64_t UrlCachePageCounts::*, const char*, const char*>
        cases[] = {{25, "gay", &UrlCachePageCounts::ExplicitImageCount, "ADULT", ""},
                   {40, "casino", &UrlCachePageCounts::GamblingImageCount, "GAMBLING",
                    "Vorlith_gambling.html"}};
    for (const auto& [count, host, counter, title, viewAllPage] : cases) {
        SCOPED_TRACE(count);
        SummaryRun run;
        run.counts.*counter = count;
        std::vector<std::string> files;
        for (int i = 1; i <= count; ++i) {
            const std::string file = "/c/" + std::to_string(i);
            run.lists.CacheContentList.push_back(Entry(
                std::string("http://") + host + ".example/" + std::to_string(i) + ".jpg", file));
            if (i <= 30)
                files.push_back("file://" + file);
        }
        run.write();
        EXPECT_EQ(run.afterTotals(),
                  Joined({Gallery(title, files, viewAllPage), {"</TR></TABLE>", kViewAll}}));
        EXPECT_EQ(run.harness.progress.value, std::min(count, 30));
        EXPECT_EQ(run.harness.progress.status(), "Locating Suspect Images on YOUR Computer...");
    }
}

// Only addresses ending in "jpg" in any case qualify; the local path is linked through its file
// address, escaped for the attribute.
TEST(SummaryPage, OnlyAddressesEndingInJpgQualifyForAGallery) {
    const std::pair<const char*, bool> cases[] = {{"http://espn.example/a.JPG", true},
                                                  {"http://espn.example/notajpg", true},
                                                  {"http://espn.example/a.jpeg", false},
                                                  {"http://espn.example/a.jpg?x=1", false},
                                                  {"http://plain.example/a.jpg", false}};
    for (const auto& [address, shown] : cases) {
        SummaryRun run;
        run.counts.SportsImageCount = 1;
        run.lists.CacheContentList.push_back(Entry(address, "/c/\"><b>#?.jpg"));
        run.write();
        const std::vector<std::string> files = {"file:///c/&quot;&gt;&lt;b&gt;%23%3F.jpg"};
        EXPECT_EQ(run.afterTotals(),
                  Joined({Gallery("SPORTS", shown ? files : std::vector<std::string>{}),
                          {"</TR></TABLE>", kViewAll}}))
            << address;
    }
}

// The last (news) gallery is closed by the closing block; a picture in two lists is in both
// galleries, in gallery order; the gay list gets no gallery, even with a count left standing.
TEST(SummaryPage, GalleriesStandInTheirOrder) {
    SummaryRun news;
    news.counts.NewsImageCount = 1;
    news.counts.GayImageCount = 3;
    news.lists.CacheContentList = {Entry("http://msnbc.example/n.jpg", "/n"),
                                   Entry("http://gay.example/g.jpg", "/g")};
    news.write();
    EXPECT_EQ(news.afterTotals(), Joined({Gallery("NEWS", {"file:///n"}), {kViewAll}}));

    SummaryRun both;
    both.counts.TeenImageCount = 1;
    both.counts.ExplicitImageCount = 1;
    both.counts.PersonalsImageCount = 1;
    both.lists.CacheContentList.push_back(Entry("http://teen.example/t.jpg", "/t"));
    both.write();
    EXPECT_EQ(both.afterTotals(), Joined({Gallery("ILLEGAL (TEEN)", {"file:///t"}),
                                          Gallery("ADULT", {"file:///t"}),
                                          Gallery("MYSPACE/SOCIAL SITE", {}),
                                          {"</TR></TABLE>", kViewAll}}));
}

} // namespace
} // namespace vorlith::test
