// The web-history and web-cookies pages: six coloured passes, the "@" cut and the address filter
// of history rows, unfiltered cookie rows, the counters and the cancel tests.

#include "report/history_pages.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

namespace vorlith::test {
namespace {

const std::string kDateCell =
    "<TR WIDTH=95%><TD WIDTH=12%><FONT SIZE=-1>2026-12-01 09:30:05</FONT></TD>";

// The two lines of a history row: a category pass's colour in bold, or the "Other" pass's.
std::vector<std::string> Row(const std::string& href, const std::string& color,
                             const std::string& text, int hits) {
    const std::string tail = " - Site visited <B>" + std::to_string(hits) + "</B> time(s).";
    return {kDateCell,
            "<TD WIDTH=83%><A HREF=\"" + href + "\" TARGET=_BLANK><FONT " +
                (color.empty()
                     ? "SIZE=-1 COLOR=#0000FF>" + text + "</FONT></A>" + tail + "</FONT></TD></TR>"
                     : "COLOR=" + color + "><B>" + text + "</B></FONT></A>" + tail + "</TD></TR>")};
}
std::vector<std::string> Rows(std::initializer_list<std::vector<std::string>> rows) {
    std::vector<std::string> lines;
    for (const auto& row : rows)
        lines.insert(lines.end(), row.begin(), row.end());
    lines.push_back("</TABLE>");
    return lines;
}

// A page of the two written from the list; `body` is what follows its ten head lines.
struct ListRun {
    PageHarness harness;
    KeywordSearch search;
    UrlCachePageCounts counts;
    PhaseEnd end = PhaseEnd::Finished;
    std::vector<std::string> lines, body;

    ListRun(PageId id, const std::vector<UrlCacheEntry>& list, const char* cancelAtStatus = "")
        : harness{id} {
        harness.totals.TotalTraces = 7;
        harness.run.cancelWhen = [this, cancelAtStatus] {
            return harness.progress.status() == cancelAtStatus;
        };
        if (id == PageId::History)
            end = WriteHistoryPage(harness.pageRun, list, search, counts);
        else
            WriteCookiePage(harness.pageRun, list, search, counts);
        lines = harness.lines(id);
        body.assign(lines.begin() + std::min<long>(10, std::ssize(lines)), lines.end());
    }
};

// The head: warning, purchase link, heading, the colour legend naming the six passes in their
// order. An empty list adds only the closing "</TABLE>".
TEST(HistoryAndCookiePages, EmptyListGivesTheHeadAndTheClosingTable) {
    for (PageId id : {PageId::History, PageId::Cookies}) {
        ListRun run(id, {});
        ASSERT_EQ(run.lines.size(), 11u);
        EXPECT_EQ(
            Slice(run.lines, 0, 3),
            (std::vector<std::string>{kWarningLine, DeleteTracesLine(7),
                                      id == PageId::History
                                          ? "<H3>Internet History located on YOUR Computer:</H3>"
                                          : "<H3>Website Cookies located on YOUR Computer:</H3>"}));
        const std::string legend = run.lines[4] + run.lines[5] + run.lines[6];
        size_t at = 0;
        for (const char* name : {">Explicit<", ">Gambling<", ">Dating/Personals<", ">Sports<",
                                 ">News/Media<", ">Other<"})
            EXPECT_NE(at = legend.find(name, at), std::string::npos) << name;
        EXPECT_EQ(run.lines[10], "</TABLE>");
    }
}

// Within a pass the entries keep their list order; an entry in two categories is listed in both.
TEST(HistoryPage, EachCategoryPassWritesItsColourInPassOrder) {
    const char* sports = "http://news.example/sports/today";
    ListRun run(PageId::History,
                {Entry(std::string("Visited: anna@") + sports, "", 3),
                 Entry("Visited: anna@http://poker.example/", "", 4),
                 Entry("http://myspace.example/", "", 5), Entry("http://foxnews.example/", "", 6),
                 Entry("http://plain.example/", "", 7),
                 Entry("http://teen-poker.example/", "", 8)});
    const auto row = [](const char* address, const char* color, int hits) {
        return Row(address, color, address, hits);
    };
    EXPECT_EQ(
        run.body,
        Rows({row("http://teen-poker.example/", "#FF0000", 8),
              row("http://poker.example/", "#FF00FF", 4),
              row("http://teen-poker.example/", "#FF00FF", 8),
              row("http://myspace.example/", "#800000", 5), row(sports, "#808000", 3),
              row("http://foxnews.example/", "#008000", 6), row("http://plain.example/", "", 7)}));
    EXPECT_EQ(run.counts.SuspectHistory, 6);
    EXPECT_EQ(run.counts.HistoryHits, 3 + 4 + 5 + 6 + 7 + 8);
}

// The address is the part after the first "@"; it must begin with "http" and not end in "gif",
// "jpg" or "zip" (both tests case-sensitive). Every entry counts its visits and bytes.
TEST(HistoryPage, AddressFilterDecidesWhichEntriesAreListed) {
    const std::pair<const char*, const char*> cases[] = {
        {"Visited: anna@http://poker.example/a", "http://poker.example/a"},
        {"https://poker.example/", "https://poker.example/"},
        {"http://poker.example/table.GIF", "http://poker.example/table.GIF"},
        {"http://poker.example/photo.jpg?x=1", "http://poker.example/photo.jpg?x=1"},
        {"Visited: a@b@http://poker.example/", nullptr},
        {"HTTP://POKER.EXAMPLE/", nullptr},
        {"ftp://poker.example/", nullptr},
        {"http://poker.example/logo.gif", nullptr},
        {"http://poker.example/photo.jpg", nullptr},
        {"http://poker.example/setup.zip", nullptr},
        {"Visited: anna@poker.example", nullptr}};
    for (const auto& [name, listed] : cases) {
        ListRun run(PageId::History, {Entry(name, "", 2, 1000)});
        EXPECT_EQ(run.body, listed ? Rows({Row(listed, "#FF00FF", listed, 2)}) : Rows({})) << name;
        EXPECT_EQ(run.counts.SuspectHistory, listed ? 1 : 0) << name;
        EXPECT_EQ(run.counts.HistoryHits, 2) << name;
        EXPECT_EQ(run.counts.CacheSizeTotal, 1000.0) << name;
    }
}

// A long address is linked whole and shown as its first hundred characters, a cut that never
// splits a character; hostile text renders as text and stays inside its attribute.
TEST(HistoryPage, AddressIsShortenedAndEscapedForDisplay) {
    const std::string a129 = "http://plain.example/" + std::string(129, 'a');
    const std::string b77 = "http://plain.example/" + std::string(77, 'b');
    const std::string hostile = "http://poker.example/&quot;&gt;&lt;script&gt;'&amp;";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {a129, Row(a129, "", a129.substr(0, 100), 0)},
        // 98 ASCII characters, then two two-byte letters: the cut keeps both.
        {b77 + "\xC3\xA9\xC3\xA9tail", Row(b77 + "&#233;&#233;tail", "", b77 + "&#233;&#233;", 0)},
        {"Visited: x@http://poker.example/\"><script>'&", Row(hostile, "#FF00FF", hostile, 0)}};
    for (const auto& [name, row] : cases)
        EXPECT_EQ(ListRun(PageId::History, {Entry(name)}).body, Rows({row})) << name;
}

// A cancel seen at the start of a pass stops the page there: no more rows, no closing table, no
// further status.
TEST(HistoryPage, CancelIsSeenAtTheStartOfEachPassAndNowhereElse) {
    const char* passes[] = {"Explicit", "Gambling", "Personals", "Sports", "News", "Other"};
    // One entry per pass, so the rows written tell how far the page got.
    std::vector<UrlCacheEntry> history;
    for (const char* host : {"teen", "poker", "dating", "espn", "msnbc", "plain"})
        history.push_back(Entry(std::string("http://") + host + ".example/", "", 1, 10));
    for (int pass = 0; pass < 6; ++pass) {
        const std::string status =
            std::string("Locating ") + passes[pass] + " History on YOUR Computer...";
        SCOPED_TRACE(status);
        ListRun run(PageId::History, history, status.c_str());
        EXPECT_EQ(run.end, PhaseEnd::Stopped);
        EXPECT_EQ(run.harness.run.cancelTests, pass + 1);
        EXPECT_EQ(run.harness.progress.status(), status);
        EXPECT_EQ(run.body.size(), 2u * static_cast<size_t>(pass));
        EXPECT_EQ(run.counts.SuspectHistory, pass);
        EXPECT_EQ(run.counts.HistoryHits, pass == 0 ? 0 : 6);
    }
}

// Cookie rows link the cookie file, show the whole name escaped, and pass no address filter.
TEST(CookiePage, RowsAreUnfilteredShowTheWholeEscapedNameAndLinkTheCookieFile) {
    const std::string longName = "Cookie:a@plain.example/" + std::string(120, 'c');
    ListRun run(PageId::Cookies,
                {Entry("Cookie:a@poker.example/\"<b>", "/c/a@poker[1] \"#.txt", 9, 300),
                 Entry("Cookie:a@ads.example/banner.gif", "/c/a.txt", 4, 200),
                 Entry(longName, "", 1, 0)});
    const auto row = [](const std::string& file, const std::string& font, int reads) {
        return std::vector<std::string>{
            kDateCell, "<TD WIDTH=83%><A HREF=\"" + file + "\" TARGET=_BLANK><FONT " + font +
                           "</FONT></A> - Cookie read <B>" + std::to_string(reads) +
                           "</B> time(s).</TD></TR>"};
    };
    EXPECT_EQ(run.body, Rows({row("file:///c/a@poker[1] &quot;%23.txt",
                                  "COLOR=#FF00FF><B>Cookie:a@poker.example/&quot;&lt;b&gt;</B>", 9),
                              row("file:///c/a.txt",
                                  "SIZE=-1 COLOR=#0000FF>Cookie:a@ads.example/banner.gif", 4),
                              row("file://", "SIZE=-1 COLOR=#0000FF>" + longName, 1)}));
    EXPECT_EQ(run.counts.SuspectCookies, 1);
    EXPECT_EQ(run.counts.CookieReads, 14);
    EXPECT_EQ(run.counts.CacheSizeTotal, 500.0);
    EXPECT_EQ(run.harness.run.cancelTests, 0);
}

} // namespace
} // namespace vorlith::test
