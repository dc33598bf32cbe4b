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
    Lines lines;

    void write(int64_t firefoxImages = 0) {
        const CachedFileClasses classes(lists.CacheContentList);
        WriteSummaryPage(harness.pageRun, SummaryInput{lists, classes, counts, disk, firefoxImages},
                         search, harness.totals);
        lines = harness.lines(PageId::Summary);
    }
    // The lines after the thirty lines of totals.
    Lines afterTotals() const { return Slice(lines, 30, lines.size()); }
};

// Every counter has a value of its own, so the red numbers of the totals show in their order
// which counter each line printed. The desktop's previews get their line only when there are any
// (the other tests have none: thirty lines of totals).
TEST(SummaryPage, EveryTotalStandsInItsLineAndSuspectTotalsAreComputed) {
    SummaryRun run;
    run.harness.totals.TotalTraces = 31;
    run.harness.totals.SuspectTraces = 999; // the previous audit's value
    // Explicit, teen, gambling, personals, sports, news, gay pictures; suspect history and cookie
    // rows; visits, cookie reads; bytes.
    run.counts = {2, 7, 3, 4, 5, 6, 0, 16, 18, 21, 19, 512.4};
    run.disk = DiskScanCounts{9, 10, 11, 12, 13, 14, 22, 3};
    for (int i = 0; i < 15; ++i)
        run.lists.CacheHistoryList.push_back({});
    for (int i = 0; i < 17; ++i)
        run.lists.CacheCookieList.push_back({});
    run.write(8);
    EXPECT_EQ(run.harness.totals.SuspectFiles, 2 + 3 + 4 + 5 + 6); // the teen pictures left out
    EXPECT_EQ(run.harness.totals.SuspectTraces, 20 + 16 + 18);

    ASSERT_GE(run.lines.size(), 30u);
    std::vector<int> numbers;
    const std::regex red("<FONT COLOR=#FF0000><B>([0-9]+)</B>");
    for (size_t i = 0; i < 28; ++i)
        for (std::sregex_iterator it(run.lines[i].begin(), run.lines[i].end(), red), end; it != end;
             ++it)
            numbers.push_back(std::stoi((*it)[1]));
    EXPECT_EQ(numbers, (std::vector<int>{31, 2,  3,  4, 5,  6,  8,  9,  10, 11, 12, 42, 13,
                                         14, 22, 20, 7, 15, 16, 17, 18, 19, 21, 31, 54, 512}));
    EXPECT_EQ(run.lines[16], "You have a total of <FONT COLOR=#FF0000><B>22</B></FONT> <A "
                             "HREF=Vorlith_thumbnails.html>hidden desktop thumbnail images</A> (3 "
                             "of deleted files)<BR><BR>");
    EXPECT_EQ(run.lines[29], "<A HREF=" + PurchaseLink(31) +
                                 " TARGET=_BLANK><H3><B>Use Erazent to Securely Delete these "
                                 "Traces Now!</B></H3></a><BR>");
}

// Totals are grouped in thousands; the teen count of the closing block is not. Up to ten teen
// pictures give the link to all suspect images, more the warning.
TEST(SummaryPage, ClosingBlockDependsOnTheTeenCount) {
    const std::string locale = platform::ThousandsSeparator();
    const std::string separator = locale.empty() ? "," : locale; // where the locale has none
    for (int teen : {0, 10, 11, 1234}) {
        SummaryRun run;
        run.harness.totals.TotalTraces = 1234;
        run.counts.TeenImageCount = teen; // the teen gallery walks an empty list
        run.write();
        EXPECT_NE(run.lines[1].find("<B>1" + separator + "234</B>"), std::string::npos);
        if (teen <= 10)
            EXPECT_EQ(run.lines.back(), kViewAll) << teen;
        else
            EXPECT_EQ(
                run.lines[run.lines.size() - 2],
                "<BR><CENTER><FONT SIZE=+2><FONT COLOR=#FF0000><B>WARNING: </B></FONT><A "
                "HREF=Vorlith_teen.html><B>" +
                    std::to_string(teen) +
                    " potentially ILLEGAL Image Files Found on YOUR Computer!</B></FONT><BR>");
    }
}

// The lines of one gallery: its opening and title, the cells with a row break after the tenth
// and twentieth, the "view all" row when thirty were shown, and its closing line.
Lines Gallery(const std::string& title, const Lines& files, const std::string& viewAllPage = "") {
    Lines lines{
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
    SummaryRun run;
    run.counts.GamblingImageCount = 40;
    Lines files;
    for (int i = 1; i <= 40; ++i) {
        run.lists.CacheContentList.push_back(
            Entry("http://casino.example/p.jpg", "/" + std::to_string(i)));
        if (i <= 30)
            files.push_back("file:///" + std::to_string(i));
    }
    run.write();
    EXPECT_EQ(run.afterTotals(), Joined({Gallery("GAMBLING", files, "Vorlith_gambling.html"),
                                         {"</TR></TABLE>", kViewAll}}));
    EXPECT_EQ(run.harness.progress.value, 30);
    EXPECT_EQ(run.harness.progress.status(), "Locating Suspect Images on YOUR Computer...");
}

// Only addresses ending in "jpg" in any case qualify, each linked through its file address; the
// last (news) gallery is closed by the closing block; the gay list gets no gallery, even with a
// count left standing. A picture in two lists is in both galleries, in gallery order.
TEST(SummaryPage, GalleriesStandInTheirOrderWithTheirJpgPictures) {
    SummaryRun news;
    news.counts.NewsImageCount = 1;
    news.counts.GayImageCount = 3;
    news.lists.CacheContentList = {Entry("http://msnbc.example/a.JPG", "/c/\"><b>#?.jpg"),
                                   Entry("http://msnbc.example/notajpg", "/2"),
                                   Entry("http://msnbc.example/a.jpeg", "/3"),
                                   Entry("http://msnbc.example/a.jpg?x=1", "/4"),
                                   Entry("http://plain.example/a.jpg", "/5"),
                                   Entry("http://gay.example/g.jpg", "/6")};
    news.write();
    EXPECT_EQ(news.afterTotals(),
              Joined({Gallery("NEWS", {"file:///c/&quot;&gt;&lt;b&gt;%23%3F.jpg", "file:///2"}),
                      {kViewAll}}));

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
