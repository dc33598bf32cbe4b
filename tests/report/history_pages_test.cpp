// The web-history and web-cookies pages: six coloured passes, the "@" cut and the address filter
// of history rows, unfiltered cookie rows, the counters and the cancel tests.

#include "report/history_pages.h"
#include "report/url_cache_page_harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vorlith::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const char kDateCell[] =
    "<TR WIDTH=95%><TD WIDTH=12%><FONT SIZE=-1>2026-12-01 09:30:05</FONT></TD>";

std::vector<std::string> TableHead(const std::string& heading, const std::string& legendTitle,
                                   const std::string& columnRow, int64_t traces) {
    return {kWarningLine,
            "<H3><A HREF=" + PurchaseLink(traces) +
                " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a></H3>",
            heading,
            "<TABLE CELLSPACING=0 CELLPADDING=0 WIDTH=95% BORDER=1>",
            "<TR><TD WIDTH=22%><CENTER><B>" + legendTitle +
                "</B></CENTER></TD></TD><TD WIDTH=12% BGCOLOR=#FF0000><FONT "
                "COLOR=#FFFFFF><CENTER><B>Explicit</B></CENTER></FONT></TD><TD WIDTH=12% "
                "BGCOLOR=#FF00FF><FONT COLOR=#FFFFFF><CENTER><B>Gambling<B></CENTER></FONT></TD>",
            "<TD WIDTH=12% BGCOLOR=#800000><FONT COLOR=#FFFFFF><CENTER><B>Dating/Personals</B>"
            "</CENTER></FONT></TD><TD WIDTH=12% BGCOLOR=#808000><FONT COLOR=#FFFFFF><CENTER><B>"
            "Sports</B></CENTER></FONT></TD><TD WIDTH=12% BGCOLOR=#008000><FONT "
            "COLOR=#FFFFFF><CENTER><B>News/Media</B></CENTER></FONT></TD>",
            "<TD WIDTH=13% BGCOLOR=#0000FF><FONT COLOR=#FFFFFF><CENTER><B>Other</B></CENTER>"
            "</FONT></TD></TR>",
            "</TABLE>",
            "<TABLE WIDTH=95% CELLSPACING=0 CELLPADDING=0 BORDER=0>",
            columnRow};
}

std::vector<std::string> HistoryHead(int64_t traces = 0) {
    return TableHead("<H3>Internet History located on YOUR Computer:</H3>",
                     "Internet History - Color Legend:",
                     "<TR><TD><B>Last Visted</B></TD><TD><B>Web Addresses You've Visited - "
                     "Explicit Web Addresses in RED</B></TD></TR>",
                     traces);
}

std::vector<std::string> CookieHead(int64_t traces = 0) {
    return TableHead("<H3>Website Cookies located on YOUR Computer:</H3>",
                     "Internet Cookies - Color Legend:",
                     "<TR><TD><B>Last Accessed</B></TD><TD><B>Cookie File on YOUR Computer - "
                     "Explicit Cookie files in RED</B></TD></TR>",
                     traces);
}

std::string HistoryLink(const std::string& href, const std::string& color, const std::string& text,
                        int hits) {
    return "<TD WIDTH=83%><A HREF=\"" + href + "\" TARGET=_BLANK><FONT COLOR=" + color + "><B>" +
           text + "</B></FONT></A> - Site visited <B>" + std::to_string(hits) +
           "</B> time(s).</TD></TR>";
}

std::string OtherHistoryLink(const std::string& href, const std::string& text, int hits) {
    return "<TD WIDTH=83%><A HREF=\"" + href + "\" TARGET=_BLANK><FONT SIZE=-1 COLOR=#0000FF>" +
           text + "</FONT></A> - Site visited <B>" + std::to_string(hits) +
           "</B> time(s).</FONT></TD></TR>";
}

std::vector<std::string> Body(const std::vector<std::string>& lines, size_t headSize = 10) {
    return {lines.begin() + static_cast<long>(std::min(headSize, lines.size())), lines.end()};
}

struct HistoryRun {
    PageHarness harness{pages::kHistory};
    KeywordSearch search;
    UrlCachePageCounts counts;
    bool finished = false;
    std::vector<std::string> lines;

    explicit HistoryRun(const std::vector<UrlCacheEntry>& history, int64_t traces = 0) {
        harness.totals.TotalTraces = traces;
        finished = WriteHistoryPage(harness.context, history, search, counts);
        lines = harness.lines(pages::kHistory);
    }
};

TEST(HistoryPage, EachCategoryPassWritesItsColourInPassOrder) {
    // Listed in list order within a pass, passes in their fixed order.
    HistoryRun run({Entry("Visited: anna@http://news.example/sports/today", "", 3),
                    Entry("Visited: anna@http://poker.example/", "", 4),
                    Entry("http://myspace.example/profile", "", 5),
                    Entry("http://foxnews.example/", "", 6), Entry("http://plain.example/", "", 7),
                    Entry("http://teen.example/page", "", 8)});
    EXPECT_THAT(
        Body(run.lines),
        ElementsAre(
            kDateCell,
            HistoryLink("http://teen.example/page", "#FF0000", "http://teen.example/page", 8),
            kDateCell, HistoryLink("http://poker.example/", "#FF00FF", "http://poker.example/", 4),
            kDateCell,
            HistoryLink("http://myspace.example/profile", "#800000",
                        "http://myspace.example/profile", 5),
            kDateCell,
            HistoryLink("http://news.example/sports/today", "#808000",
                        "http://news.example/sports/today", 3),
            kDateCell,
            HistoryLink("http://foxnews.example/", "#008000", "http://foxnews.example/", 6),
            kDateCell, OtherHistoryLink("http://plain.example/", "http://plain.example/", 7),
            "</TABLE>"));
    EXPECT_EQ(run.counts.SuspectHistory, 5);
    EXPECT_EQ(run.counts.HistoryHits, 3 + 4 + 5 + 6 + 7 + 8);
}

TEST(HistoryPage, AddressFilterDecidesWhichEntriesAreListed) {
    struct Case {
        const char* name;
        const char* listedAddress; // nullptr: never listed
    };
    const Case cases[] = {
        {"Visited: anna@http://poker.example/a", "http://poker.example/a"},
        {"http://poker.example/a", "http://poker.example/a"},
        {"Visited: a@b@http://poker.example/", nullptr}, // cut at the first "@" only
        {"https://poker.example/", "https://poker.example/"},
        {"http://poker.example/table.GIF", "http://poker.example/table.GIF"},
        {"http://poker.example/photo.jpg?x=1", "http://poker.example/photo.jpg?x=1"},
        {"HTTP://POKER.EXAMPLE/", nullptr},
        {"Visited: anna@HTTP://poker.example/", nullptr},
        {"ftp://poker.example/", nullptr},
        {"file:///home/poker.html", nullptr},
        {"http://poker.example/logo.gif", nullptr},
        {"http://poker.example/photo.jpg", nullptr},
        {"http://poker.example/setup.zip", nullptr},
        {"Visited: anna@poker.example", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HistoryRun run({Entry(c.name, "", 2, 1000)});
        if (c.listedAddress) {
            EXPECT_THAT(Body(run.lines),
                        ElementsAre(kDateCell,
                                    HistoryLink(c.listedAddress, "#FF00FF", c.listedAddress, 2),
                                    "</TABLE>"));
            EXPECT_EQ(run.counts.SuspectHistory, 1);
        } else {
            EXPECT_THAT(Body(run.lines), ElementsAre("</TABLE>"));
            EXPECT_EQ(run.counts.SuspectHistory, 0);
        }
        // Every entry counts its visits and bytes, listed or not.
        EXPECT_EQ(run.counts.HistoryHits, 2);
        EXPECT_EQ(run.counts.CacheSizeTotal, 1000.0);
    }
}

TEST(HistoryPage, EntryInTwoCategoriesIsListedTwiceAndCountedTwice) {
    HistoryRun run({Entry("http://teen-poker.example/", "", 1)});
    EXPECT_THAT(Body(run.lines), ElementsAre(kDateCell,
                                             HistoryLink("http://teen-poker.example/", "#FF0000",
                                                         "http://teen-poker.example/", 1),
                                             kDateCell,
                                             HistoryLink("http://teen-poker.example/", "#FF00FF",
                                                         "http://teen-poker.example/", 1),
                                             "</TABLE>"));
    EXPECT_EQ(run.counts.SuspectHistory, 2);
}

// A long address is linked whole and shown as its first hundred characters, a cut that never
// splits a character; hostile text renders as text and stays inside its attribute.
TEST(HistoryPage, AddressIsShortenedAndEscapedForDisplay) {
    const std::string a129 = "http://plain.example/" + std::string(129, 'a');
    const std::string b77 = "http://plain.example/" + std::string(77, 'b');
    const std::string hostile =
        "http://poker.example/&quot;&gt;&lt;script&gt;alert('&amp;')&lt;/script&gt;";
    struct Case {
        std::string name;
        std::string line;
    };
    const Case cases[] = {
        {a129, OtherHistoryLink(a129, a129.substr(0, 100), 0)},
        // 98 ASCII characters, then two two-byte letters: the cut keeps both.
        {b77 + "\xC3\xA9\xC3\xA9tail",
         OtherHistoryLink(b77 + "&#233;&#233;tail", b77 + "&#233;&#233;", 0)},
        {"Visited: x@http://poker.example/\"><script>alert('&')</script>",
         HistoryLink(hostile, "#FF00FF", hostile, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HistoryRun run({Entry(c.name)});
        EXPECT_THAT(Body(run.lines), ElementsAre(kDateCell, c.line, "</TABLE>"));
    }
}

TEST(HistoryPage, CancelIsHonouredAtTheStartOfEachPassAndNowhereElse) {
    const char* statuses[] = {
        "Locating Explicit History on YOUR Computer...",
        "Locating Gambling History on YOUR Computer...",
        "Locating Personals History on YOUR Computer...",
        "Locating Sports History on YOUR Computer...",
        "Locating News History on YOUR Computer...",
        "Locating Other History on YOUR Computer...",
    };
    // One entry per pass, so the rows written tell how far the page got.
    const std::vector<UrlCacheEntry> history = {
        Entry("http://teen.example/", "", 1, 10),   Entry("http://poker.example/", "", 1, 10),
        Entry("http://dating.example/", "", 1, 10), Entry("http://espn.example/", "", 1, 10),
        Entry("http://msnbc.example/", "", 1, 10),  Entry("http://plain.example/", "", 1, 10)};
    for (int pass = 0; pass < 6; ++pass) {
        SCOPED_TRACE(statuses[pass]);
        PageHarness harness{pages::kHistory};
        harness.run.cancelWhen = [&] { return harness.window.lblStatus.caption == statuses[pass]; };
        KeywordSearch search;
        UrlCachePageCounts counts;
        EXPECT_FALSE(WriteHistoryPage(harness.context, history, search, counts));
        EXPECT_EQ(harness.run.cancelTests, pass + 1);
        EXPECT_EQ(harness.run.cancels, 1);
        const auto lines = harness.lines(pages::kHistory);
        // Two lines for each pass before the cancelled one, and no closing "</TABLE>".
        EXPECT_EQ(lines.size(), 10u + 2u * static_cast<size_t>(pass));
        EXPECT_EQ(counts.SuspectHistory, pass);
        EXPECT_EQ(counts.HistoryHits, pass == 0 ? 0 : 6);
        EXPECT_EQ(counts.CacheSizeTotal, pass == 0 ? 0.0 : 60.0);
    }
}

struct CookieRun {
    PageHarness harness{pages::kCookies};
    KeywordSearch search;
    UrlCachePageCounts counts;
    std::vector<std::string> lines;

    explicit CookieRun(const std::vector<UrlCacheEntry>& cookies, int64_t traces = 0) {
        harness.totals.TotalTraces = traces;
        WriteCookiePage(harness.context, cookies, search, counts);
        lines = harness.lines(pages::kCookies);
    }
};

TEST(HistoryAndCookiePages, EmptyListGivesHeadLegendColumnRowAndClosingTable) {
    HistoryRun history({}, 7);
    std::vector<std::string> expected = HistoryHead(7);
    expected.push_back("</TABLE>");
    EXPECT_TRUE(history.finished);
    EXPECT_THAT(history.lines, ElementsAreArray(expected));
    EXPECT_EQ(history.harness.window.lblStatus.caption,
              "Locating Other History on YOUR Computer...");
    CookieRun cookies({}, 12);
    expected = CookieHead(12);
    expected.push_back("</TABLE>");
    EXPECT_THAT(cookies.lines, ElementsAreArray(expected));
}

TEST(CookiePage, RowsAreUnfilteredShowTheWholeEscapedNameAndLinkTheCookieFile) {
    const std::string longName = "Cookie:anna@plain.example/" + std::string(120, 'c');
    CookieRun run(
        {Entry("Cookie:anna@poker.example/", "/home/anna/cookies/anna@poker[1].txt", 9, 300),
         Entry("Cookie:anna@ads.example/banner.gif", "/home/anna/c#2 x.txt", 4, 200),
         Entry(longName, "", 1, 0),
         Entry("Cookie:<b>@poker.example/\"onmouseover=x", "/tmp/\"a\".txt")});
    EXPECT_THAT(
        Body(run.lines),
        ElementsAre(kDateCell,
                    "<TD WIDTH=83%><A HREF=\"file:///home/anna/cookies/anna@poker[1].txt\" "
                    "TARGET=_BLANK><FONT COLOR=#FF00FF><B>Cookie:anna@poker.example/</B></FONT>"
                    "</A> - Cookie read <B>9</B> time(s).</TD></TR>",
                    kDateCell,
                    "<TD WIDTH=83%><A HREF=\"file:///tmp/&quot;a&quot;.txt\" "
                    "TARGET=_BLANK><FONT COLOR=#FF00FF><B>Cookie:&lt;b&gt;@poker.example/"
                    "&quot;onmouseover=x</B></FONT></A> - Cookie read <B>0</B> "
                    "time(s).</TD></TR>",
                    kDateCell,
                    "<TD WIDTH=83%><A HREF=\"file:///home/anna/c%232 x.txt\" TARGET=_BLANK><FONT "
                    "SIZE=-1 COLOR=#0000FF>Cookie:anna@ads.example/banner.gif</FONT></A> - Cookie "
                    "read <B>4</B> time(s).</TD></TR>",
                    kDateCell,
                    "<TD WIDTH=83%><A HREF=\"file://\" TARGET=_BLANK><FONT SIZE=-1 "
                    "COLOR=#0000FF>" +
                        longName + "</FONT></A> - Cookie read <B>1</B> time(s).</TD></TR>",
                    "</TABLE>"));
    EXPECT_EQ(run.counts.SuspectCookies, 2);
    EXPECT_EQ(run.counts.CookieReads, 14);
    EXPECT_EQ(run.counts.CacheSizeTotal, 500.0);
    EXPECT_EQ(run.harness.run.cancelTests, 0);
}

TEST(GeneralDate, ShowsLocalDateAndTimeWithFixedWidths) {
    EXPECT_EQ(FormatGeneralDate(DateTime{}), "1601-01-01 00:00:00");
    EXPECT_EQ(FormatGeneralDate(DateTime{2026, 2, 3, 4, 5, 6}), "2026-02-03 04:05:06");
    EXPECT_EQ(FormatGeneralDate(DateTime{99, 12, 31, 23, 59, 59}), "0099-12-31 23:59:59");
}

} // namespace
} // namespace vorlith::test
