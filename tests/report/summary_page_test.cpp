// The summary page: every total in its order, the galleries with their row breaks and "view
// all" rows, the closing block, and the two suspect totals.

#include "platform/folders.h"
#include "report/summary_page.h"
#include "report/url_cache_page_harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vorlith::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::string P = "You have a total of <FONT COLOR=#FF0000><B>";
const std::string Q = "<BR>You have a total of <FONT COLOR=#FF0000><B>";

std::vector<std::string> ZeroTotals() {
    return {
        "<H3>Erazent Internet Vorlith Summary</H3>",
        "<H3>Total Internet History Traces Found on your Computer: <FONT COLOR=#FF0000><B>0</B>"
        "</FONT></H3>",
        "<FONT SIZE=+1>",
        P + "0</B></FONT> <B>EXPLICIT</B> suspect Internet file traces.<BR>",
        P + "0</B></FONT> <B>GAMBLING</B> suspect Internet file traces.<BR>",
        P + "0</B></FONT> <B>SOCIAL NETWORKING</B> suspect Internet file traces.<BR>",
        P + "0</B></FONT> <B>SPORTS</B> suspect Internet file traces.<BR>",
        P + "0</B></FONT> <B>NEWS</B> suspect Internet file traces.<BR><BR>",
        P + "0</B></FONT> <B>MOZILA FIREFOX</B> Internet image traces.<BR><BR>",
        P + "0</B></FONT> <B>MP3</B> audio files. These are illegal unless you purchased them.<BR>",
        P + "0</B></FONT> <B>WMA</B> audio files. These are illegal unless you purchased them.<BR>",
        P + "0</B></FONT> <B>M4A</B> audio files. These are illegal unless you purchased them.<BR>",
        P + "0</B></FONT> <B>OGG</B> audio files. These are illegal unless you purchased them.<BR>",
        P + "0</B></FONT> <B>DRM-free</B> audio files. These are illegal unless you purchased "
            "them. (<A HREF=Vorlith_illegal.html>View DRM-Free Audio Files</A>)<BR><BR>",
        P + "0</B></FONT> <B>Thumbs.db</B> hidden thumbnail files.<BR>",
        P + "0</B></FONT> <B>Thumbs.db images</B> found inside all your hidden Thumbs.db files! "
            "(<A HREF=Vorlith_thumbnails.html>View Hidden Thumbnails</A>)<BR><BR>",
        P + "0</B></FONT> <B>SUSPECT</B> Internet file traces.<BR><BR>",
        P + "0</B></FONT> potentially <B>ILLEGAL</B> Internet file traces.<BR>",
        Q + "0</B></FONT> website history traces on your computer.<BR>",
        P + "0</B></FONT> <B>SUSPECT</B> website history traces on your computer.<BR>",
        Q + "0</B></FONT> cookie traces found on your computer.<BR>",
        P + "0</B></FONT> <B>SUSPECT</B> cookie traces found on your computer.<BR>",
        "<BR>Your cookies have been read <FONT COLOR=#FF0000><B>0</B></FONT> times by "
        "websites.<BR>",
        "You have visited the sites in your Internet history <FONT COLOR=#FF0000><B>0</B></FONT> "
        "times.<BR>",
        "<BR>Total Internet history traces found on your Computer: <FONT "
        "COLOR=#FF0000><B>0</B></FONT><BR>",
        "Total <B>SUSPECT</B> Internet history traces found on your Computer: <FONT "
        "COLOR=#FF0000><B>0</B></FONT><BR>",
        "<BR>These traces account for <FONT COLOR=#FF0000><B>0</B></FONT> bytes of YOUR hard "
        "drive!</FONT></FONT>",
        std::string("<BR><BR>") + kWarningLine,
        "<A HREF=" + PurchaseLink(0) +
            " TARGET=_BLANK><H3><B>Use Erazent to Securely Delete these Traces Now!</B></H3></a>"
            "<BR>",
        "<H3>Suspect Images located on YOUR Computer:</H3>",
    };
}

const char kViewAllSuspectImages[] = "<CENTER><H2><A HREF=Vorlith_teen.html TARGET=_BLANK>View "
                                     "All Suspect Images On Your Computer</A></H2></CENTER><BR>";
const char kGalleryOpening[] =
    "<TABLE WIDTH=95% CELLSPACING=0 CELLPADDING=0 BORDER=0><TR><TD COLSPAN=10><CENTER><TABLE "
    "CELLSPACING=0 CELLPADDING=0 WIDTH=100% BORDER=1><TR><TD><CENTER><B>";
const char kTitleTail[] = "</B></CENTER></TD></TR></TABLE></CENTER></TD></TR><TR>";

std::string Cell(const std::string& fileUrl) {
    return "<TD WIDTH=10%><A HREF=\"" + fileUrl + "\" TARGET=_BLANK><IMG SRC=\"" + fileUrl +
           "\" WIDTH=90 HEIGHT=120 VSPACE=5 BORDER=1></A></TD>";
}

struct SummaryRun {
    PageHarness harness{pages::kSummary};
    UrlCacheLists lists;
    UrlCachePageCounts counts;
    DiskScanCounts disk;
    KeywordSearch search;
    std::vector<std::string> lines;

    void write() {
        KeywordMemo keywords(lists.CacheContentList.size());
        WriteSummaryPage(harness.context, SummaryInput{lists, keywords, counts, disk}, search,
                         harness.totals);
        lines = harness.lines(pages::kSummary);
    }
    // The lines after the thirty lines of totals.
    std::vector<std::string> afterTotals() const {
        return {lines.begin() + std::min<long>(30, static_cast<long>(lines.size())), lines.end()};
    }
};

TEST(SummaryPage, NothingFoundGivesEveryTotalAsZeroAndTheViewAllLink) {
    SummaryRun run;
    run.write();
    std::vector<std::string> expected = ZeroTotals();
    expected.push_back("</TR></TABLE>");
    expected.push_back(kViewAllSuspectImages);
    EXPECT_THAT(run.lines, ElementsAreArray(expected));
    EXPECT_EQ(run.harness.window.lblStatus.caption, "Locating Suspect Images on YOUR Computer...");
}

TEST(SummaryPage, EveryTotalStandsInItsLineAndSuspectTotalsAreComputed) {
    SummaryRun run;
    run.harness.totals.TotalTraces = 31;
    run.harness.totals.SuspectTraces = 999; // the previous audit's value
    run.counts.ExplicitImageCount = 0;      // no galleries: guards stay at 0 where it matters
    run.counts.CacheSizeTotal = 512.4;
    run.counts.SuspectHistory = 5;
    run.counts.SuspectCookies = 6;
    run.counts.HistoryHits = 17;
    run.counts.CookieReads = 19;
    run.disk = DiskScanCounts{1, 2, 3, 4, 5, 6, 7};
    run.lists.CacheHistoryList.resize(8);
    run.lists.CacheCookieList.resize(9);
    run.write();
    ASSERT_GE(run.lines.size(), 30u);
    EXPECT_EQ(run.lines[1], "<H3>Total Internet History Traces Found on your Computer: <FONT "
                            "COLOR=#FF0000><B>31</B></FONT></H3>");
    EXPECT_EQ(run.lines[8],
              P + "7</B></FONT> <B>MOZILA FIREFOX</B> Internet image traces.<BR><BR>");
    EXPECT_EQ(run.lines[9], P + "1</B></FONT> <B>MP3</B> audio files. These are illegal unless "
                                "you purchased them.<BR>");
    EXPECT_EQ(run.lines[12], P + "4</B></FONT> <B>OGG</B> audio files. These are illegal unless "
                                 "you purchased them.<BR>");
    EXPECT_TRUE(run.lines[13].starts_with(P + "10</B></FONT> <B>DRM-free</B>"));
    EXPECT_TRUE(run.lines[14].starts_with(P + "5</B></FONT> <B>Thumbs.db</B>"));
    EXPECT_TRUE(run.lines[15].starts_with(P + "6</B></FONT> <B>Thumbs.db images</B>"));
    EXPECT_EQ(run.lines[18], Q + "8</B></FONT> website history traces on your computer.<BR>");
    EXPECT_EQ(run.lines[19], P + "5</B></FONT> <B>SUSPECT</B> website history traces on your "
                                 "computer.<BR>");
    EXPECT_EQ(run.lines[20], Q + "9</B></FONT> cookie traces found on your computer.<BR>");
    EXPECT_EQ(run.lines[21], P + "6</B></FONT> <B>SUSPECT</B> cookie traces found on your "
                                 "computer.<BR>");
    EXPECT_EQ(run.lines[22], "<BR>Your cookies have been read <FONT COLOR=#FF0000><B>19</B>"
                             "</FONT> times by websites.<BR>");
    EXPECT_EQ(run.lines[23], "You have visited the sites in your Internet history <FONT "
                             "COLOR=#FF0000><B>17</B></FONT> times.<BR>");
    EXPECT_EQ(run.lines[25], "Total <B>SUSPECT</B> Internet history traces found on your "
                             "Computer: <FONT COLOR=#FF0000><B>11</B></FONT><BR>");
    EXPECT_EQ(run.lines[26], "<BR>These traces account for <FONT COLOR=#FF0000><B>512</B></FONT> "
                             "bytes of YOUR hard drive!</FONT></FONT>");
    EXPECT_EQ(run.lines[28], "<A HREF=" + PurchaseLink(31) +
                                 " TARGET=_BLANK><H3><B>Use Erazent to Securely Delete these "
                                 "Traces Now!</B></H3></a><BR>");
    EXPECT_EQ(run.harness.totals.SuspectFiles, 0);
    EXPECT_EQ(run.harness.totals.SuspectTraces, 11);
}

TEST(SummaryPage, SuspectFilesLeavesTheTeenPicturesOut) {
    SummaryRun run;
    run.counts.ExplicitImageCount = 1;
    run.counts.GamblingImageCount = 2;
    run.counts.PersonalsImageCount = 3;
    run.counts.SportsImageCount = 4;
    run.counts.NewsImageCount = 5;
    run.counts.TeenImageCount = 100;
    run.counts.SuspectHistory = 10;
    run.counts.SuspectCookies = 20;
    run.write();
    EXPECT_EQ(run.harness.totals.SuspectFiles, 15);
    EXPECT_EQ(run.harness.totals.SuspectTraces, 45);
    EXPECT_EQ(run.lines[16], P + "15</B></FONT> <B>SUSPECT</B> Internet file traces.<BR><BR>");
    EXPECT_EQ(run.lines[17], P + "100</B></FONT> potentially <B>ILLEGAL</B> Internet file "
                                 "traces.<BR>");
}

TEST(SummaryPage, LargeTotalsAreGroupedButTheClosingTeenCountIsNot) {
    SummaryRun run;
    run.harness.totals.TotalTraces = 1234;
    run.counts.TeenImageCount = 1234; // the teen gallery walks an empty list
    run.write();
    std::string separator = platform::ThousandsSeparator();
    if (separator.empty())
        separator = ","; // the grouping where the locale defines none
    EXPECT_EQ(run.lines[1], "<H3>Total Internet History Traces Found on your Computer: <FONT "
                            "COLOR=#FF0000><B>1" +
                                separator + "234</B></FONT></H3>");
    EXPECT_THAT(run.afterTotals(),
                ElementsAre(kGalleryOpening,
                            std::string("SUSPECT ILLEGAL (TEEN) IMAGES (showing only up to 30)") +
                                kTitleTail,
                            "</TR></TABLE>", "</TR></TABLE>",
                            "<BR><CENTER><FONT SIZE=+2><FONT COLOR=#FF0000><B>WARNING: </B></FONT>"
                            "<A HREF=Vorlith_teen.html><B>1234 potentially ILLEGAL Image Files "
                            "Found on YOUR Computer!</B></FONT><BR>",
                            "<B>Click Here To View all the potentially ILLEGAL files on your "
                            "computer!</B></A></CENTER><BR><BR>"));
}

TEST(SummaryPage, TeenCountOfTenGivesTheLinkAndElevenTheWarning) {
    for (int count : {10, 11}) {
        SCOPED_TRACE(count);
        SummaryRun run;
        run.counts.TeenImageCount = count;
        run.write();
        ASSERT_GE(run.lines.size(), 34u);
        if (count == 10)
            EXPECT_EQ(run.lines.back(), kViewAllSuspectImages);
        else
            EXPECT_EQ(run.lines[run.lines.size() - 2],
                      "<BR><CENTER><FONT SIZE=+2><FONT COLOR=#FF0000><B>WARNING: </B></FONT><A "
                      "HREF=Vorlith_teen.html><B>11 potentially ILLEGAL Image Files Found on "
                      "YOUR Computer!</B></FONT><BR>");
    }
}

// The lines of one gallery: its opening and title, the cells with a row break after the tenth
// and twentieth, and the "view all" row when the walk stopped at thirty.
std::vector<std::string> Gallery(const std::string& title, const std::vector<std::string>& cells,
                                 const std::string& viewAllPage = "") {
    std::vector<std::string> lines{
        kGalleryOpening, "SUSPECT " + title + " IMAGES (showing only up to 30)" + kTitleTail};
    for (size_t i = 0; i < cells.size(); ++i) {
        lines.push_back(cells[i]);
        if (i == 9 || i == 19)
            lines.push_back("</TR><TR>");
    }
    if (!viewAllPage.empty())
        lines.push_back("<TR><TH COLSPAN=10><CENTER><B><A HREF=" + viewAllPage +
                        " TARGET=_BLANK>CLICK HERE TO VIEW ALL</A></B></CENTER><BR></TH></TR>");
    lines.push_back("</TR></TABLE>");
    return lines;
}

TEST(SummaryPage, GalleryBreaksRowsAfterTenAndTwentyAndStopsAtThirty) {
    struct Case {
        int count;
        const char* host;
        int64_t UrlCachePageCounts::*counter;
        const char* title;
        const char* viewAllPage; // after thirty pictures
    };
    const Case cases[] = {
        {25, "gay", &UrlCachePageCounts::ExplicitImageCount, "ADULT", ""},
        {40, "casino", &UrlCachePageCounts::GamblingImageCount, "GAMBLING",
         "Vorlith_gambling.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        SummaryRun run;
        run.counts.*c.counter = c.count;
        std::vector<std::string> cells;
        for (int i = 1; i <= c.count; ++i) {
            const std::string file = "/cache/p" + std::to_string(i) + ".jpg";
            run.lists.CacheContentList.push_back(Entry(
                std::string("http://") + c.host + ".example/p" + std::to_string(i) + ".jpg", file));
            if (i <= 30)
                cells.push_back(Cell("file://" + file));
        }
        run.write();
        std::vector<std::string> expected = Gallery(c.title, cells, c.viewAllPage);
        expected.push_back("</TR></TABLE>");
        expected.push_back(kViewAllSuspectImages);
        EXPECT_THAT(run.afterTotals(), ElementsAreArray(expected));
        // The walk stops at the thirtieth picture: pictures 31 to 40 are not examined.
        EXPECT_EQ(run.harness.window.pBar.value, std::min(c.count, 30));
    }
}

TEST(SummaryPage, OnlyAddressesEndingInJpgQualifyForAGallery) {
    struct Case {
        const char* address;
        bool shown;
    };
    const Case cases[] = {
        {"http://espn.example/a.jpg", true},   {"http://espn.example/a.JPG", true},
        {"http://espn.example/notajpg", true}, {"http://espn.example/a.jpeg", false},
        {"http://espn.example/a.png", false},  {"http://espn.example/a.jpg?x=1", false},
        {"http://plain.example/a.jpg", false}, {"jpg", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        SummaryRun run;
        run.counts.SportsImageCount = 1;
        run.lists.CacheContentList.push_back(Entry(c.address, "/cache/x"));
        run.write();
        std::vector<std::string> expected = Gallery(
            "SPORTS", c.shown ? std::vector{Cell("file:///cache/x")} : std::vector<std::string>{});
        expected.push_back("</TR></TABLE>");
        expected.push_back(kViewAllSuspectImages);
        EXPECT_THAT(run.afterTotals(), ElementsAreArray(expected));
    }
}

// The last (news) gallery is closed by the closing block; a picture in two lists is in both
// galleries, in gallery order.
TEST(SummaryPage, GalleriesStandInTheirOrder) {
    SummaryRun news;
    news.counts.NewsImageCount = 1;
    news.lists.CacheContentList.push_back(Entry("http://msnbc.example/n.jpg", "/cache/n"));
    news.write();
    std::vector<std::string> expected = Gallery("NEWS", {Cell("file:///cache/n")});
    expected.push_back(kViewAllSuspectImages);
    EXPECT_THAT(news.afterTotals(), ElementsAreArray(expected));

    SummaryRun both;
    both.counts.TeenImageCount = 1;
    both.counts.ExplicitImageCount = 1;
    both.counts.PersonalsImageCount = 1;
    both.lists.CacheContentList.push_back(Entry("http://teen.example/t.jpg", "/cache/t"));
    both.write();
    expected = Gallery("ILLEGAL (TEEN)", {Cell("file:///cache/t")});
    for (const auto& lines :
         {Gallery("ADULT", {Cell("file:///cache/t")}), Gallery("MYSPACE/SOCIAL SITE", {}),
          std::vector<std::string>{"</TR></TABLE>", kViewAllSuspectImages}})
        expected.insert(expected.end(), lines.begin(), lines.end());
    EXPECT_THAT(both.afterTotals(), ElementsAreArray(expected));
}

TEST(SummaryPage, GayGalleryIsNotOffered) {
    SummaryRun run;
    run.counts.GayImageCount = 3; // even a count left standing shows no gallery
    run.lists.CacheContentList.push_back(Entry("http://gay.example/g.jpg", "/cache/g"));
    run.write();
    EXPECT_THAT(run.afterTotals(), ElementsAre("</TR></TABLE>", kViewAllSuspectImages));
}

TEST(SummaryPage, HostileLocalPathStaysInsideItsAttributes) {
    SummaryRun run;
    run.counts.SportsImageCount = 1;
    run.lists.CacheContentList.push_back(
        Entry("http://espn.example/a.jpg", "/cache/\"><script>x</script>#?%.jpg"));
    run.write();
    const std::string url = "file:///cache/&quot;&gt;&lt;script&gt;x&lt;/script&gt;%23%3F%25.jpg";
    EXPECT_EQ(run.afterTotals().at(2), Cell(url));
}

TEST(UninstallNotice, WritesItsThreeLines) {
    PageHarness harness{pages::kSummary};
    harness.totals.TotalTraces = 4;
    WriteUninstallNotice(harness.context);
    EXPECT_THAT(harness.lines(pages::kSummary),
                ElementsAre("<H1><FONT COLOR=#FF0000>*** Are you sure you want to Uninstall "
                            "Erazent? ***</H1><H2>Shown below are the Internet traces STILL on "
                            "your computer!</FONT></H2>",
                            "<H2><A HREF=" + PurchaseLink(4) +
                                " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces "
                                "Now!</B></a></H2>",
                            kWarningLine));
}

} // namespace
} // namespace vorlith::test
