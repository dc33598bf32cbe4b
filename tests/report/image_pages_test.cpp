// The category image pages and the video page filled on the way: where each picture lands, its
// three lines, the navigation bars, the counters, the progress and the cancel points.

#include "report/image_pages.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

namespace vorlith::test {
namespace {

// The pages open without heads, so that a page's lines are exactly its body.
struct ImageRun : PageHarness {
    std::vector<UrlCacheEntry> cache;
    UrlCachePageCounts counts;
    std::vector<int64_t> maximumAtYields;
    PhaseEnd end = PhaseEnd::Stopped;

    ImageRun()
        : PageHarness{PageId::Images, PageId::Images2, PageId::Teen, PageId::Gambling,
                      PageId::Social, PageId::Sports,  PageId::News, PageId::Videos} {
        totals.TotalTraces = 7;
        run.onYield = [this](int) { maximumAtYields.push_back(progress.maximum); };
    }
    void add(std::string address, std::string localFile = "C:\\f.jpg", int64_t size = 0) {
        cache.push_back(Entry(std::move(address), std::move(localFile), 0, size));
    }
    void write(std::function<void()> notice = nullptr) {
        KeywordMemo memo(cache.size());
        end = WriteImagePages(pageRun, ImagePagesInput{cache, memo, std::move(notice)}, counts);
    }
};

const std::string kDeleteImage =
    "<A HREF=" + PurchaseLink(7) +
    " TARGET=_BLANK><B>Use Erazent to Securely Delete this Image Now!</B></a>";
const std::string kWide = "<BR><HR WIDTH=95% ALIGN=LEFT><BR>";
const std::string kNarrow = "<BR><HR><BR>";
const std::string kExplicitBar =
    "<B>View other Suspect Images on Your Computer:<BR>[Explicit] - [<A "
    "HREF=Vorlith_gambling.html>Gambling</A>] - [<A HREF=Vorlith_social.html>Dating/Personals</A>] "
    "- [<A HREF=Vorlith_sports.html>Sports</A>] - [<A HREF=Vorlith_news.html>News/Media</a>]</B>"
    "<BR><BR>";

std::string TotalLine(const std::string& what, int number) {
    return "<H2>Total " + what + " Found on your Computer: <FONT COLOR=#FF0000><B>" +
           std::to_string(number) + "</B></FONT></H2>";
}
std::string Source(const std::string& before, const std::string& match, const std::string& after) {
    return "<B>Where YOU Downloaded the Image: </B><I>" + before + "<FONT COLOR=#FF0000><B>" +
           match + "</B></FONT>" + after + "</I><BR>";
}
// The three lines of a picture of C:\f.jpg on the explicit pages ("YOUR") or a category page.
std::vector<std::string> Picture(const std::string& before, const std::string& match,
                                 const std::string& after, const std::string& ending,
                                 const char* your = "YOUR") {
    return {"<IMG SRC=\"file://C:\\f.jpg\"><BR CLEAR=LEFT>", Source(before, match, after),
            std::string("<B>Location on ") + your + " Computer: </B><I>C:\\f.jpg</I><BR>" +
                kDeleteImage + ending};
}

// Page 1 takes pictures 1 to 499 with the bar after every 25th and ends with the link to page 2;
// page 2 takes the rest with the bar (every item linked) before every 25th.
TEST(ImagePages, ExplicitPagesSplitAfter499Pictures) {
    ImageRun run;
    for (int n = 1; n <= 525; ++n)
        run.add("http://porn.example/" + std::to_string(n) + ".jpg");
    run.write();
    EXPECT_EQ(run.counts.ExplicitImageCount, 525);
    const auto first = run.lines(PageId::Images);
    ASSERT_EQ(first.size(), 2u + 499u * 3 + 19 + 1);
    EXPECT_EQ(first[1], TotalLine("Explicit Traces", 525) + "<BR>");
    EXPECT_EQ(Slice(first, 2, 3), Picture("http://", "porn", ".example/1.jpg", kWide));
    EXPECT_EQ(first[2 + 25 * 3], kExplicitBar);
    EXPECT_EQ(Slice(first, 3 + 25 * 3, 3), Picture("http://", "porn", ".example/26.jpg", kWide));
    EXPECT_EQ(first.back(), "<H2><A HREF=Vorlith_images2.html>Goto Page 2!</A></H2>");

    const auto second = run.lines(PageId::Images2);
    ASSERT_EQ(second.size(), 26u * 3 + 2);
    const std::string linkedBar = "<B>View other Suspect Images on Your Computer:<BR>[<A "
                                  "HREF=Vorlith_images.html>Explicit</A>]" +
                                  kExplicitBar.substr(kExplicitBar.find("] - ") + 1);
    EXPECT_EQ(second[0], linkedBar);
    EXPECT_EQ(Slice(second, 1, 3), Picture("http://", "porn", ".example/500.jpg", kNarrow));
    EXPECT_EQ(second[1 + 25 * 3], linkedBar);
}

// A picture in two categories stands on both pages, each with its own match highlighted; a
// category's bar stands before its 25th picture.
TEST(ImagePages, CategoryPagesHaveTheirOwnEndingsCountersAndBars) {
    const std::tuple<const char*, PageId, const char*, const char*, const char*, std::string,
                     int64_t UrlCachePageCounts::*>
        cases[] = {{"http://poker.espn.example/x.jpeg", PageId::Gambling, "http://", "poker",
                    ".espn.example/x.jpeg", kWide, &UrlCachePageCounts::GamblingImageCount},
                   {"http://poker.espn.example/x.jpeg", PageId::Sports, "http://poker.", "espn",
                    ".example/x.jpeg", kNarrow, &UrlCachePageCounts::SportsImageCount},
                   {"http://dating.example/x.jpg", PageId::Social, "http://", "dating",
                    ".example/x.jpg", kNarrow, &UrlCachePageCounts::PersonalsImageCount},
                   {"http://msnbc.example/x.jpg", PageId::News, "http://", "msnbc",
                    ".example/x.jpg", kNarrow, &UrlCachePageCounts::NewsImageCount}};
    for (const auto& [address, page, before, match, after, ending, counter] : cases) {
        SCOPED_TRACE(InfoOf(page).fileName);
        ImageRun run;
        for (int n = 1; n <= 25; ++n)
            run.add(address);
        run.write();
        const auto lines = run.lines(page);
        ASSERT_EQ(lines.size(), 25u * 3 + 1);
        EXPECT_EQ(Slice(lines, 0, 3), Picture(before, match, after, ending, "Your"));
        EXPECT_TRUE(lines[24 * 3].starts_with("<B>View other Suspect Images on Your Computer:"));
        EXPECT_EQ(run.counts.*counter, 25);
    }
}

// The teen page also takes "png"; its total does not. A picture that only the gay list matches
// is on the explicit pages with that list's match but not in their pre-counted total.
TEST(ImagePages, TeenAndExplicitPagesTakeTheirOwnPictures) {
    ImageRun run;
    run.add("http://teen.example/a.PNG");
    run.add("http://Teen.example/b.jpg"); // "teen" is also an explicit word
    run.add("http://my-LGBT-site.example/lgbt.jpg");
    run.add("http://gay.example/nude.jpg"); // the explicit list decides its highlight
    run.write();
    const auto teenPicture = [](const char* match, const char* after) {
        return std::vector<std::string>{
            "<FONT COLOR=#FF0000><B>Potentially ILLEGAL teen image file detected on YOUR "
            "Computer!  If there is a nude person in this image not over 18, this image is "
            "ILLEGAL!</B></FONT><P>",
            "<IMG SRC=\"file://C:\\f.jpg\"><BR CLEAR=LEFT>", Source("http://", match, after),
            "<B>Location on YOUR Computer: </B><I>C:\\f.jpg</I><BR>", kDeleteImage + kNarrow};
    };
    EXPECT_EQ(run.lines(PageId::Teen),
              Joined({{TotalLine("Internet History Traces", 7), TotalLine("Explicit Traces", 2),
                       TotalLine("potential ILLEGAL Traces", 1) + "<BR>"},
                      teenPicture("teen", ".example/a.PNG"),
                      teenPicture("Teen", ".example/b.jpg")}));
    EXPECT_EQ(
        run.lines(PageId::Images),
        Joined({{TotalLine("Internet History Traces", 7), TotalLine("Explicit Traces", 2) + "<BR>"},
                Picture("http://", "Teen", ".example/b.jpg", kWide),
                Picture("http://my-", "LGBT", "-site.example/lgbt.jpg", kWide),
                Picture("http://gay.example/", "nude", ".jpg", kWide)}));
    EXPECT_EQ(run.counts.TeenImageCount, 2);
    EXPECT_EQ(run.counts.ExplicitImageCount, 3);
    EXPECT_EQ(run.counts.GayImageCount, 0);
}

TEST(ImagePages, PictureTestLooksAtTheAddressEnd) {
    const std::tuple<const char*, bool, bool> cases[] = {
        {"http://a.example/p.JPG", true, true},       {"http://a.example/p.Jpeg", true, true},
        {"http://a.example/notajpg", true, true},     {"jpg", true, true},
        {"http://a.example/p.jpg?x=1", false, false}, {"http://a.example/p.png", false, true},
        {"http://a.example/p.gif", false, false},     {"pg", false, false}};
    for (const auto& [address, picture, teenPicture] : cases) {
        EXPECT_EQ(IsPicture(address), picture) << address;
        EXPECT_EQ(IsTeenPicture(address), teenPicture) << address;
    }
}

// Quotes, angle brackets, ampersands and letters outside ASCII show as text; the highlight stays
// on the raw address's match.
TEST(ImagePages, HostileTextIsEscaped) {
    ImageRun run;
    run.add("http://x.example/\"><script>&caf\xC3\xA9/Poker<b>.jpg", "C:\\\"><img> 50% #1?.jpg");
    run.write();
    EXPECT_EQ(
        run.lines(PageId::Gambling),
        (std::vector<std::string>{
            "<IMG SRC=\"file://C:\\&quot;&gt;&lt;img&gt; 50%25 %231%3F.jpg\"><BR CLEAR=LEFT>",
            Source("http://x.example/&quot;&gt;&lt;script&gt;&amp;caf&#233;/", "Poker",
                   "&lt;b&gt;.jpg"),
            "<B>Location on Your Computer: </B><I>C:\\&quot;&gt;&lt;img&gt; 50% #1?.jpg</I><BR>" +
                kDeleteImage + kWide}));
    EXPECT_EQ(SourceLine("abc", KeywordHit{3, 5}), Source("ab", "c", "")); // cut past the end
    EXPECT_EQ(SourceLine("abc", KeywordHit{9, 2}), Source("abc", "", ""));
    EXPECT_EQ(SourceLine("a<c", KeywordHit{0, 0}), Source("a&lt;c", "", ""));
}

// Thirteen passes (seven pre-counts, the teen page, the explicit pages, four category pages)
// yield after entries 20 and 40 of 45; the teen pass's bar counts to 100000. Sizes of every
// cached file are added whole.
TEST(ImagePages, ProgressYieldsEvery20EntriesAndSizesAreAddedWhole) {
    ImageRun run;
    for (int n = 1; n <= 45; ++n)
        run.add("http://a.example/" + std::to_string(n) + ".html", "C:\\p", 3'000'000'000);
    run.write();
    std::vector<int64_t> expected(26, 45);
    expected[14] = expected[15] = 100000;
    EXPECT_EQ(run.maximumAtYields, expected);
    EXPECT_EQ(run.progress.value, 45);
    EXPECT_EQ(run.progress.status(), "Locating News Files on YOUR Computer...");
    EXPECT_EQ(run.counts.CacheSizeTotal, 45 * 3e9);
}

// With 20 cached files each pass yields once: yields 1 to 7 are the pre-counts, 8 the teen page,
// 9 the explicit pages, 10 to 13 the category pages. A cancel raised inside a pass is seen at the
// next cancel point, and the pages stop there with nothing more shown or written. The uninstall
// notice comes after the first cancel point, before the teen page.
TEST(ImagePages, CancelIsSeenOnlyAtItsPointsAndStopsThePagesThere) {
    const std::vector<std::string> kPoints = {
        "Searching for Explicit Files on YOUR Computer...",
        "Locating Potential ILLEGAL Files on YOUR Computer...",
        "Locating Gambling Files on YOUR Computer...",
        "Locating Personals Files on YOUR Computer...",
        "Locating Sports Files on YOUR Computer...",
        "Locating News Files on YOUR Computer..."};
    // The yield the cancel comes at (0: none), the cancel points reached, the pages written of
    // teen, explicit, gambling, social, sports and news.
    const std::tuple<int, int, int> cases[] = {{0, 6, 6}, {3, 1, 0},  {8, 2, 1},
                                               {9, 3, 2}, {12, 6, 5}, {13, 6, 6}};
    for (const auto& [cancelAtYield, cancelTests, pagesWritten] : cases) {
        SCOPED_TRACE(cancelAtYield);
        ImageRun run;
        run.run.cancelWhen = [&] { return cancelAtYield != 0 && run.run.yields >= cancelAtYield; };
        // The last entry is a picture for every page, so that a pass that ran has written it.
        for (int n = 1; n < 20; ++n)
            run.add("http://a.example/" + std::to_string(n) + ".flv", "C:\\v.flv");
        run.add("http://teen-poker-dating-espn-cnn.com.example/a.jpg");
        std::vector<int> noticeAtCancelTests;
        run.write([&] { noticeAtCancelTests.push_back(run.run.cancelTests); });

        const bool stopped = cancelAtYield != 0 && cancelAtYield < 13;
        EXPECT_EQ(run.end, stopped ? PhaseEnd::Stopped : PhaseEnd::Finished);
        EXPECT_EQ(run.run.cancelTests, cancelTests);
        EXPECT_EQ(run.run.yields, stopped ? std::max(cancelAtYield, 7) : 13);
        EXPECT_EQ(run.progress.status(), kPoints[static_cast<size_t>(cancelTests) - 1]);
        EXPECT_EQ(noticeAtCancelTests, cancelTests > 1 ? std::vector<int>{1} : std::vector<int>{});
        // Teen, explicit (seen on the video page) and category pages: the lines each gets when
        // written, over the totals that stand on the teen page whatever happens.
        const std::tuple<PageId, size_t, size_t> bodies[] = {
            {PageId::Teen, 3, 5},   {PageId::Videos, 0, 19 * 6}, {PageId::Gambling, 0, 3},
            {PageId::Social, 0, 3}, {PageId::Sports, 0, 3},      {PageId::News, 0, 3}};
        for (int k = 0; k < 6; ++k) {
            const auto& [page, base, written] = bodies[k];
            EXPECT_EQ(run.lines(page).size(), base + (k < pagesWritten ? written : 0)) << k;
        }
    }
}

} // namespace
} // namespace vorlith::test
