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
Lines Row(const std::string& href, const std::string& color, int hits, std::string text = "") {
    const std::string tail = "</A> - Site visited <B>" + std::to_string(hits) + "</B> time(s).";
    text = text.empty() ? href : text;
    return {kDateCell,
            "<TD WIDTH=83%><A HREF=\"" + href + "\" TARGET=_BLANK><FONT " +
                (color.empty() ? "SIZE=-1 COLOR=#0000FF>" + text + "</FONT>" + tail + "</FONT>"
                               : "COLOR=" + color + "><B>" + text + "</B></FONT>" + tail) +
                "</TD></TR>"};
}

// A page of the two written from the list; `body` is what follows its ten head lines.
struct ListRun {
    PageHarness harness;
    KeywordSearch search;
    UrlCachePageCounts counts;
    PhaseEnd end = PhaseEnd::Finished;
    Lines lines, body;

    ListRun(PageId id, const UrlCacheList& list, std::string cancelAt = "") : harness{id} {
        harness.totals.TotalTraces = 7;
        harness.run.cancelWhen = [this, cancelAt] { return harness.progress.status() == cancelAt; };
        if (id == PageId::History)
            end = WriteHistoryPage(harness.pageRun, list, search, counts);
        else
            WriteCookiePage(harness.pageRun, list, search, counts);
        lines = harness.lines(id);
        body = Slice(lines, 10, lines.size());
    }
};

// The head: warning, purchase link, heading. Within a pass the entries keep their list order; an
// entry in two categories is listed in both.
TEST(HistoryPage, EachCategoryPassWritesItsColourInPassOrder) {
    const char* sports = "http://news.example/sports/today";
    ListRun run(PageId::History,
                {Entry(std::string("Visited: anna@") + sports, "", 3),
                 Entry("Visited: anna@http://poker.example/", "", 4),
                 Entry("http://myspace.example/", "", 5), Entry("http://foxnews.example/", "", 6),
                 Entry("http://plain.example/", "", 7),
                 Entry("http://teen-poker.example/", "", 8)});
    EXPECT_EQ(Slice(run.lines, 0, 3),
              (Lines{kWarningLine, DeleteTracesLine(7),
                     "<H3>Internet History located on YOUR Computer:</H3>"}));
    EXPECT_EQ(run.body, Joined({Row("http://teen-poker.example/", "#FF0000", 8),
                                Row("http://poker.example/", "#FF00FF", 4),
                                Row("http://teen-poker.example/", "#FF00FF", 8),
                                Row("http://myspace.example/", "#800000", 5),
                                Row(sports, "#808000", 3),
                                Row("http://foxnews.example/", "#008000", 6),
                                Row("http://plain.example/", "", 7),
                                {"</TABLE>"}}));
}

// The address is the part after the first "@"; it must begin with "http" and not end in "gif",
// "jpg" or "zip" (both tests case-sensitive). A long address is linked whole and shown as its
// first hundred characters, a cut that never splits a character; hostile text renders as text.
// Every entry counts its visits and bytes, listed or not.
TEST(HistoryPage, AddressFilterDecidesWhichEntriesAreListedAndHow) {
    const std::string a129 = "http://plain.example/" + std::string(129, 'a');
    const std::string b77 = "http://plain.example/" + std::string(77, 'b');
    const std::string hostile = "http://poker.example/&quot;&gt;&lt;script&gt;'&amp;";
    UrlCacheList history;
    for (const std::string& name :
         {std::string("Visited: a@http://poker.example/a"), std::string("https://poker.example/"),
          std::string("http://poker.example/t.GIF"), std::string("http://poker.example/p.jpg?x=1"),
          std::string("Visited: x@http://poker.example/\"><script>'&"),
          std::string("Visited: a@b@http://poker.example/"), std::string("HTTP://POKER.EXAMPLE/"),
          std::string("http://poker.example/logo.gif"), std::string("http://poker.example/s.zip"),
          a129, b77 + "\xC3\xA9\xC3\xA9tail"})
        history.push_back(Entry(name, "", 2, 1000));
    ListRun run(PageId::History, history);
    // 98 ASCII characters, then two two-byte letters: the cut keeps both.
    EXPECT_EQ(run.body, Joined({Row("http://poker.example/a", "#FF00FF", 2),
                                Row("https://poker.example/", "#FF00FF", 2),
                                Row("http://poker.example/t.GIF", "#FF00FF", 2),
                                Row("http://poker.example/p.jpg?x=1", "#FF00FF", 2),
                                Row(hostile, "#FF00FF", 2),
                                Row(a129, "", 2, a129.substr(0, 100)),
                                Row(b77 + "&#233;&#233;tail", "", 2, b77 + "&#233;&#233;"),
                                {"</TABLE>"}}));
    EXPECT_EQ(run.counts.HistoryHits, 2 * 11);
    EXPECT_EQ(run.counts.CacheSizeTotal, 1000.0 * 11);
}

// A cancel seen at the start of a pass stops the page there: no more rows, no closing table, no
// further status.
TEST(HistoryPage, CancelIsSeenAtTheStartOfEachPassAndNowhereElse) {
    const char* passes[] = {"Explicit", "Gambling", "Personals", "Sports", "News", "Other"};
    // One entry per pass, so the rows written tell how far the page got.
    UrlCacheList history;
    for (const char* host : {"teen", "poker", "dating", "espn", "msnbc", "plain"})
        history.push_back(Entry(std::string("http://") + host + ".example/", "", 1, 10));
    for (int pass = 0; pass < 6; ++pass) {
        const std::string status =
            std::string("Locating ") + passes[pass] + " History on YOUR Computer...";
        SCOPED_TRACE(status);
        ListRun run(PageId::History, history, status);
        EXPECT_EQ(run.end, PhaseEnd::Stopped);
        EXPECT_EQ(run.harness.run.cancelTests, pass + 1);
        EXPECT_EQ(run.harness.progress.status(), status);
        EXPECT_EQ(run.body.size(), 2u * static_cast<size_t>(pass));
    }
}

// Cookie rows link the cookie file, show the whole name escaped, and pass no address filter; the
// page has no cancel test.
TEST(CookiePage, RowsAreUnfilteredShowTheWholeEscapedNameAndLinkTheCookieFile) {
    const std::string longName = "Cookie:a@plain.example/" + std::string(120, 'c');
    ListRun run(PageId::Cookies,
                {Entry("Cookie:a@poker.example/\"<b>", "/c/a@poker[1] \"#.txt", 9, 300),
                 Entry("Cookie:a@ads.example/banner.gif", "/c/a.txt", 4, 200),
                 Entry(longName, "", 1, 0)});
    const auto row = [](const std::string& file, const std::string& font, int reads) {
        return Lines{kDateCell, "<TD WIDTH=83%><A HREF=\"" + file + "\" TARGET=_BLANK><FONT " +
                                    font + "</FONT></A> - Cookie read <B>" + std::to_string(reads) +
                                    "</B> time(s).</TD></TR>"};
    };
    EXPECT_EQ(run.lines[2], "<H3>Website Cookies located on YOUR Computer:</H3>");
    EXPECT_EQ(
        run.body,
        Joined({row("file:///c/a@poker[1] &quot;%23.txt",
                    "COLOR=#FF00FF><B>Cookie:a@poker.example/&quot;&lt;b&gt;</B>", 9),
                row("file:///c/a.txt", "SIZE=-1 COLOR=#0000FF>Cookie:a@ads.example/banner.gif", 4),
                row("file://", "SIZE=-1 COLOR=#0000FF>" + longName, 1),
                {"</TABLE>"}}));
    EXPECT_EQ(run.counts.SuspectCookies, 1);
    EXPECT_EQ(run.counts.CookieReads, 14);
    EXPECT_EQ(run.counts.CacheSizeTotal, 500.0);
    EXPECT_EQ(run.harness.run.cancelTests, 0);
}

} // namespace
} // namespace vorlith::test
