#include "report/image_pages.h"

#include "report/page_set.h"
#include "report/url_cache_page_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace vorlith {
namespace {

using test::ReadFile;
using test::SplitCrLf;

const PageInfo kAllPages[] = {pages::kSummary, pages::kImages,  pages::kGambling, pages::kSocial,
                              pages::kSports,  pages::kNews,    pages::kImages2,  pages::kTeen,
                              pages::kVideos,  pages::kHistory, pages::kCookies,  pages::kGay};

// The twelve pages open without heads, so that a page's lines are exactly its body. The run is
// cancelled at a numbered yield; the status at every cancel test and the progress bar's maximum
// at every yield are recorded.
struct Harness : test::PageHarness {
    int cancelAtYield = 0; // 0: never
    std::vector<std::string> statusAtCancelTests;
    std::vector<int64_t> maximumAtYields;
    std::vector<UrlCacheEntry> cache;
    UrlCachePageCounts counts;
    int uninstallNotices = 0;
    std::map<int, std::vector<std::string>> bodies;

    Harness() {
        run.cancelWhen = [this] { return cancelAtYield != 0 && run.yields >= cancelAtYield; };
        run.onYield = [this] { maximumAtYields.push_back(window.pBar.max); };
        run.onCancelTest = [this] { statusAtCancelTests.push_back(window.lblStatus.caption); };
        totals.TotalTraces = 7;
        for (const PageInfo& info : kAllPages)
            pages.open(info.number, info.fileName);
    }

    void add(std::string address, std::string localFile = "C:\\Cache\\file.jpg", int64_t size = 0) {
        cache.push_back(test::Entry(std::move(address), std::move(localFile), 0, size));
    }

    bool write(bool withNotice = false) {
        KeywordMemo memo(cache.size());
        ImagePagesInput input{cache, memo, nullptr};
        if (withNotice)
            input.writeUninstallNotice = [this] { ++uninstallNotices; };
        const bool completed = WriteImagePages(context, input, counts);
        pages.closeAll();
        for (const PageInfo& info : kAllPages)
            bodies[info.number] = SplitCrLf(ReadFile(folder / info.fileName));
        return completed;
    }

    const std::vector<std::string>& body(const PageInfo& info) { return bodies[info.number]; }
};

const std::string kDeleteImage =
    "<A HREF=" + test::PurchaseLink(7) +
    " TARGET=_BLANK><B>Use Erazent to Securely Delete this Image Now!</B></a>";

std::string totalTracesLine(const std::string& number) {
    return "<H2>Total Internet History Traces Found on your Computer: <FONT COLOR=#FF0000><B>" +
           number + "</B></FONT></H2>";
}
std::string explicitTotalLine(const std::string& number) {
    return "<H2>Total Explicit Traces Found on your Computer: <FONT COLOR=#FF0000><B>" + number +
           "</B></FONT></H2>";
}
std::string teenTotalLine(const std::string& number) {
    return "<H2>Total potential ILLEGAL Traces Found on your Computer: <FONT COLOR=#FF0000><B>" +
           number + "</B></FONT></H2><BR>";
}
std::string pictureLine(const std::string& url) {
    return "<IMG SRC=\"" + url + "\"><BR CLEAR=LEFT>";
}
std::string sourceLine(const std::string& before, const std::string& match,
                       const std::string& after) {
    return "<B>Where YOU Downloaded the Image: </B><I>" + before + "<FONT COLOR=#FF0000><B>" +
           match + "</B></FONT>" + after + "</I><BR>";
}
std::string explicitLocation(const std::string& path, const std::string& ending) {
    return "<B>Location on YOUR Computer: </B><I>" + path + "</I><BR>" + kDeleteImage + ending;
}
std::string categoryLocation(const std::string& path, const std::string& ending) {
    return "<B>Location on Your Computer: </B><I>" + path + "</I><BR>" + kDeleteImage + ending;
}

const std::string kPage2Bar =
    "<B>View other Suspect Images on Your Computer:<BR>[Explicit] - [<A "
    "HREF=Vorlith_gambling.html>Gambling</A>] - [<A HREF=Vorlith_social.html>Dating/Personals</A>] "
    "- [<A HREF=Vorlith_sports.html>Sports</A>] - [<A HREF=Vorlith_news.html>News/Media</a>]</B>"
    "<BR><BR>";
const std::string kPage7Bar =
    "<B>View other Suspect Images on Your Computer:<BR>[<A HREF=Vorlith_images.html>Explicit</A>] "
    "- [<A HREF=Vorlith_gambling.html>Gambling</A>] - [<A "
    "HREF=Vorlith_social.html>Dating/Personals</A>] - [<A HREF=Vorlith_sports.html>Sports</A>] - "
    "[<A HREF=Vorlith_news.html>News/Media</a>]</B><BR><BR>";
const std::string kGamblingBar =
    "<B>View other Suspect Images on Your Computer:<BR>[<A HREF=Vorlith_images.html>Explicit</A>] "
    "- [Gambling] - [<A HREF=Vorlith_social.html>Dating/Personals</A>] - [<A "
    "HREF=Vorlith_sports.html>Sports</A>] - [<A HREF=Vorlith_news.html>News/Media</a>]</B><BR><BR>";
const std::string kGotoPage2 = "<H2><A HREF=Vorlith_images2.html>Goto Page 2!</A></H2>";
const std::string kWide = "<BR><HR WIDTH=95% ALIGN=LEFT><BR>";
const std::string kNarrow = "<BR><HR><BR>";

TEST(ImagePages, EmptyCacheLeavesOnlyTheTotals) {
    Harness h;
    EXPECT_TRUE(h.write());
    EXPECT_EQ(h.body(pages::kImages),
              (std::vector<std::string>{totalTracesLine("7"), explicitTotalLine("0") + "<BR>"}));
    EXPECT_EQ(h.body(pages::kTeen),
              (std::vector<std::string>{totalTracesLine("7"), explicitTotalLine("0"),
                                        teenTotalLine("0")}));
    for (const PageInfo& info :
         {pages::kSummary, pages::kGambling, pages::kSocial, pages::kSports, pages::kNews,
          pages::kImages2, pages::kVideos, pages::kHistory, pages::kCookies, pages::kGay}) {
        SCOPED_TRACE(info.fileName);
        EXPECT_TRUE(h.body(info).empty());
    }
}

std::vector<std::string> pictureLines(const std::string& address, const std::string& match,
                                      const std::string& after, const std::string& location) {
    return {pictureLine("file://C:\\Cache\\file.jpg"), sourceLine(address, match, after), location};
}

// Pictures numbered 1..count on the explicit pages; where each lands and where the bars stand.
TEST(ImagePages, ExplicitPagesSplitAfter499Pictures) {
    for (int count : {24, 25, 499, 500, 525}) {
        SCOPED_TRACE(count);
        Harness h;
        for (int n = 1; n <= count; ++n)
            h.add("http://porn.example/" + std::to_string(n) + ".jpg");
        EXPECT_TRUE(h.write());
        EXPECT_EQ(h.counts.ExplicitImageCount, count);

        std::vector<std::string> first = {totalTracesLine("7"),
                                          explicitTotalLine(std::to_string(count)) + "<BR>"};
        std::vector<std::string> second;
        for (int n = 1; n <= count; ++n) {
            auto lines =
                pictureLines("http://", "porn", ".example/" + std::to_string(n) + ".jpg",
                             explicitLocation("C:\\Cache\\file.jpg", n < 500 ? kWide : kNarrow));
            if (n < 500) {
                first.insert(first.end(), lines.begin(), lines.end());
                if (n % 25 == 0)
                    first.push_back(kPage2Bar);
                if (n == 499)
                    first.push_back(kGotoPage2);
            } else {
                if (n % 25 == 0)
                    second.push_back(kPage7Bar);
                second.insert(second.end(), lines.begin(), lines.end());
            }
        }
        EXPECT_EQ(h.body(pages::kImages), first);
        EXPECT_EQ(h.body(pages::kImages2), second);
    }
}

TEST(ImagePages, CategoryBarStandsBeforeEvery25thPicture) {
    for (int count : {24, 25, 50}) {
        SCOPED_TRACE(count);
        Harness h;
        for (int n = 1; n <= count; ++n)
            h.add("http://casino.example/" + std::to_string(n) + ".jpeg");
        EXPECT_TRUE(h.write());
        std::vector<std::string> expected;
        for (int n = 1; n <= count; ++n) {
            if (n % 25 == 0)
                expected.push_back(kGamblingBar);
            auto lines =
                pictureLines("http://", "casino", ".example/" + std::to_string(n) + ".jpeg",
                             categoryLocation("C:\\Cache\\file.jpg", kWide));
            expected.insert(expected.end(), lines.begin(), lines.end());
        }
        EXPECT_EQ(h.body(pages::kGambling), expected);
        EXPECT_EQ(h.counts.GamblingImageCount, count);
    }
}

// Gambling pictures are covered by the bar test above.
TEST(ImagePages, EachCategoryPageHasItsOwnEndingsAndCounter) {
    struct Case {
        const char* address;
        PageInfo page;
        std::string match;
        std::string ending;
        int64_t UrlCachePageCounts::*counter;
    };
    const Case cases[] = {
        {"http://dating.example/a.jpg", pages::kSocial, "dating", kNarrow,
         &UrlCachePageCounts::PersonalsImageCount},
        {"http://sports.example/a.jpg", pages::kSports, "sports", kNarrow,
         &UrlCachePageCounts::SportsImageCount},
        {"http://msnbc.example/a.jpg", pages::kNews, "msnbc", kNarrow,
         &UrlCachePageCounts::NewsImageCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        Harness h;
        h.add(c.address);
        EXPECT_TRUE(h.write());
        EXPECT_EQ(h.body(c.page), pictureLines("http://", c.match, ".example/a.jpg",
                                               categoryLocation("C:\\Cache\\file.jpg", c.ending)));
        EXPECT_EQ(h.counts.*c.counter, 1);
    }
}

TEST(ImagePages, PictureInTwoCategoriesIsOnBothPages) {
    Harness h;
    h.add("http://poker.espn.example/x.jpg");
    EXPECT_TRUE(h.write());
    EXPECT_EQ(h.body(pages::kGambling),
              pictureLines("http://", "poker", ".espn.example/x.jpg",
                           categoryLocation("C:\\Cache\\file.jpg", kWide)));
    EXPECT_EQ(h.body(pages::kSports),
              pictureLines("http://poker.", "espn", ".example/x.jpg",
                           categoryLocation("C:\\Cache\\file.jpg", kNarrow)));
    EXPECT_EQ(h.counts.GamblingImageCount, 1);
    EXPECT_EQ(h.counts.SportsImageCount, 1);
    EXPECT_TRUE(h.body(pages::kSocial).empty());
}

TEST(ImagePages, TeenPageTakesPngButItsTotalDoesNot) {
    Harness h;
    h.add("http://teen.example/a.PNG", "C:\\Cache\\a.png");
    h.add("http://Teen.example/b.jpg", "C:\\Cache\\b.jpg");
    EXPECT_TRUE(h.write());
    const std::string warning =
        "<FONT COLOR=#FF0000><B>Potentially ILLEGAL teen image file detected on YOUR Computer!  If "
        "there is a nude person in this image not over 18, this image is ILLEGAL!</B></FONT><P>";
    EXPECT_EQ(
        h.body(pages::kTeen),
        (std::vector<std::string>{
            totalTracesLine("7"), explicitTotalLine("1"), teenTotalLine("1"), warning,
            pictureLine("file://C:\\Cache\\a.png"), sourceLine("http://", "teen", ".example/a.PNG"),
            "<B>Location on YOUR Computer: </B><I>C:\\Cache\\a.png</I><BR>", kDeleteImage + kNarrow,
            warning, pictureLine("file://C:\\Cache\\b.jpg"),
            sourceLine("http://", "Teen", ".example/b.jpg"),
            "<B>Location on YOUR Computer: </B><I>C:\\Cache\\b.jpg</I><BR>",
            kDeleteImage + kNarrow}));
    EXPECT_EQ(h.counts.TeenImageCount, 2);
    // "teen" is also an explicit word: the jpg is on page 2, the png is not a picture there.
    EXPECT_EQ(h.counts.ExplicitImageCount, 1);
    EXPECT_TRUE(h.body(pages::kVideos).empty());
}

TEST(ImagePages, PictureTestLooksAtTheAddressEnd) {
    struct Case {
        const char* address;
        bool picture;
        bool teenPicture;
    };
    const Case cases[] = {
        {"http://a.example/p.jpg", true, true},
        {"http://a.example/p.JPG", true, true},
        {"http://a.example/p.Jpeg", true, true},
        {"http://a.example/notajpg", true, true},
        {"http://a.example/p.jpg?x=1", false, false},
        {"http://a.example/p.png", false, true},
        {"http://a.example/p.gif", false, false},
        {"jpg", true, true},
        {"pg", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(IsPicture(c.address), c.picture);
        EXPECT_EQ(IsTeenPicture(c.address), c.teenPicture);
    }

    Harness h;
    h.add("http://casino.example/p.jpg?x=1");
    h.add("http://casino.example/notajpg");
    h.add("http://casino.example/P.JPG");
    EXPECT_TRUE(h.write());
    EXPECT_EQ(h.counts.GamblingImageCount, 2);
    EXPECT_EQ(h.body(pages::kGambling).size(), 6u);
}

TEST(ImagePages, GayOnlyPictureIsOnTheExplicitPagesWithItsMatchHighlighted) {
    Harness h;
    h.add("http://my-LGBT-site.example/lgbt.jpg");
    h.add("http://gay.example/nude.jpg"); // the explicit list decides its highlight
    EXPECT_TRUE(h.write());
    // The pre-count total counts explicit-list matches only.
    std::vector<std::string> expected = {totalTracesLine("7"), explicitTotalLine("1") + "<BR>"};
    for (const auto& lines : {pictureLines("http://my-", "LGBT", "-site.example/lgbt.jpg",
                                           explicitLocation("C:\\Cache\\file.jpg", kWide)),
                              pictureLines("http://gay.example/", "nude", ".jpg",
                                           explicitLocation("C:\\Cache\\file.jpg", kWide))})
        expected.insert(expected.end(), lines.begin(), lines.end());
    EXPECT_EQ(h.body(pages::kImages), expected);
    EXPECT_EQ(h.counts.ExplicitImageCount, 2);
    EXPECT_EQ(h.counts.GayImageCount, 0);
    EXPECT_TRUE(h.body(pages::kGay).empty());
}

TEST(ImagePages, SizesOfEveryCachedFileAreAddedWhole) {
    Harness h;
    h.add("http://a.example/movie.wmv", "C:\\m.wmv", 3'000'000'000); // above 2 GiB
    h.add("http://a.example/plain.jpg", "C:\\p.jpg", 5'000'000'000); // a picture, no match
    h.add("http://a.example/page.html", "C:\\p.html", 7);
    EXPECT_TRUE(h.write());
    EXPECT_EQ(h.counts.CacheSizeTotal, 8'000'000'007.0);
}

// An address or path holding quotes, angle brackets, ampersands or non-ASCII letters shows as
// text; the highlight stays on the raw address's match.
TEST(ImagePages, HostileTextIsEscaped) {
    Harness h;
    h.add("http://x.example/\"><script>alert(1)</script>&caf\xC3\xA9/Poker<b>.jpg",
          "C:\\Cache\\\"><img src=x onerror=alert(1)> 50% #1?.jpg");
    EXPECT_TRUE(h.write());
    const auto lines = h.body(pages::kGambling);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "<IMG SRC=\"file://C:\\Cache\\&quot;&gt;&lt;img src=x "
                        "onerror=alert(1)&gt; 50%25 %231%3F.jpg\"><BR CLEAR=LEFT>");
    EXPECT_EQ(lines[1],
              sourceLine("http://x.example/&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;&amp;"
                         "caf&#233;/",
                         "Poker", "&lt;b&gt;.jpg"));
    EXPECT_EQ(lines[2], categoryLocation("C:\\Cache\\&quot;&gt;&lt;img src=x onerror=alert(1)&gt; "
                                         "50% #1?.jpg",
                                         kWide));
    for (const auto& [number, body] : h.bodies)
        for (const std::string& line : body)
            EXPECT_EQ(line.find("<script"), std::string::npos) << line;
}

TEST(ImagePages, SourceLineCutsPastTheEnd) {
    EXPECT_EQ(SourceLine("abc", KeywordHit{3, 5}), sourceLine("ab", "c", ""));
    EXPECT_EQ(SourceLine("abc", KeywordHit{9, 2}), sourceLine("abc", "", ""));
    EXPECT_EQ(SourceLine("a<c", KeywordHit{0, 0}), sourceLine("a&lt;c", "", ""));
    EXPECT_EQ(SourceLine("", KeywordHit{1, 3}), sourceLine("", "", ""));
}

TEST(ImagePages, ProgressYieldsEvery20EntriesAndTheTeenPassCountsTo100000) {
    Harness h;
    for (int n = 1; n <= 45; ++n)
        h.add("http://a.example/" + std::to_string(n) + ".html");
    EXPECT_TRUE(h.write());
    // Thirteen passes of 45 entries: yields after entries 20 and 40 of each.
    ASSERT_EQ(h.run.yields, 26);
    for (int yield = 0; yield < 26; ++yield) {
        SCOPED_TRACE(yield);
        EXPECT_EQ(h.maximumAtYields[static_cast<size_t>(yield)], yield / 2 == 7 ? 100000 : 45);
    }
    EXPECT_EQ(h.window.pBar.value, 45);
    EXPECT_EQ(h.window.lblStatus.caption, "Locating News Files on YOUR Computer...");
}

TEST(ImagePages, UninstallNoticeComesBetweenThePreCountsAndThePages) {
    Harness h;
    h.add("http://lgbt.example/a.jpg");
    int64_t gayCountAtNotice = -1;
    std::string statusAtNotice;
    KeywordMemo memo(h.cache.size());
    ImagePagesInput input{h.cache, memo, [&] {
                              gayCountAtNotice = h.counts.GayImageCount;
                              statusAtNotice = h.window.lblStatus.caption;
                          }};
    EXPECT_TRUE(WriteImagePages(h.context, input, h.counts));
    EXPECT_EQ(gayCountAtNotice, 1); // still the pre-count: it is set back to 0 afterwards
    EXPECT_EQ(statusAtNotice, "Searching for Explicit Files on YOUR Computer...");
    EXPECT_EQ(h.counts.GayImageCount, 0);
    EXPECT_EQ(memo.searchedCount(), 1u); // one search of the address for thirteen passes
}

// With 20 cached files each pass yields once: yields 1 to 7 are the pre-counts, 8 the teen page,
// 9 the explicit pages, 10 to 13 the gambling, social, sports and news pages. A cancel raised
// inside a pass is honoured only at the next cancel point.
TEST(ImagePages, CancelIsHonouredOnlyAtItsPoints) {
    const std::vector<std::string> kTestedAt = {
        "Searching for Explicit Files on YOUR Computer...",
        "Locating Potential ILLEGAL Files on YOUR Computer...",
        "Locating Gambling Files on YOUR Computer...",
        "Locating Personals Files on YOUR Computer...",
        "Locating Sports Files on YOUR Computer...",
        "Locating News Files on YOUR Computer..."};
    struct Case {
        int cancelAtYield;
        size_t cancelTests; // cancel tests reached
        bool teenWritten, explicitWritten;
        int categoriesWritten;
    };
    const Case cases[] = {
        {0, 6, true, true, 4},  {3, 1, false, false, 0}, {7, 1, false, false, 0},
        {8, 2, true, false, 0}, {9, 3, true, true, 0},   {10, 4, true, true, 1},
        {11, 5, true, true, 2}, {12, 6, true, true, 3},  {13, 6, true, true, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cancelAtYield);
        Harness h;
        h.cancelAtYield = c.cancelAtYield;
        // One picture for every page, the last entry of the list, so that a pass that ran
        // has written it.
        for (int n = 1; n < 20; ++n)
            h.add("http://a.example/" + std::to_string(n) + ".flv", "C:\\v.flv");
        h.add("http://teen-poker-dating-espn-cnn.com.example/a.jpg");
        const bool completed = h.write(true);

        const bool cancelled = c.cancelAtYield != 0 && c.cancelAtYield < 13;
        EXPECT_EQ(completed, !cancelled);
        EXPECT_EQ(h.run.cancels, cancelled ? 1 : 0);
        EXPECT_EQ(
            h.statusAtCancelTests,
            std::vector<std::string>(kTestedAt.begin(),
                                     kTestedAt.begin() + static_cast<ptrdiff_t>(c.cancelTests)));
        EXPECT_EQ(h.uninstallNotices, c.cancelAtYield == 0 || c.cancelAtYield > 7 ? 1 : 0);
        // Pre-count totals stand on pages 2 and 8 whatever happens.
        EXPECT_EQ(h.body(pages::kTeen).size(), c.teenWritten ? 8u : 3u);
        EXPECT_EQ(h.body(pages::kImages).size(), c.explicitWritten ? 5u : 2u);
        EXPECT_EQ(h.body(pages::kVideos).size(), c.explicitWritten ? 19u * 6 : 0u);
        const PageInfo categories[] = {pages::kGambling, pages::kSocial, pages::kSports,
                                       pages::kNews};
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(h.body(categories[k]).size(), k < c.categoriesWritten ? 3u : 0u) << k;
    }
}

} // namespace
} // namespace vorlith
