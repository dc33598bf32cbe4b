// The category image pages and the video page filled on the way: where each picture lands, its
// three lines, the navigation bars, the counters, the progress and the cancel points; the video
// page's lines for each kind of video.

#include "report/image_pages.h"
#include "report/video_page.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace vorlith::test {
namespace {

// The pages open without heads, so that a page's lines are exactly its body. Every cached file
// has a name that needs escaping, in the file address and in the text.
struct ImageRun : PageHarness {
    UrlCacheList cache;
    UrlCachePageCounts counts;
    PhaseEnd end = PhaseEnd::Stopped;
    std::vector<int64_t> maximumAtYields;

    ImageRun()
        : PageHarness{PageId::Images, PageId::Images2, PageId::Teen, PageId::Gambling,
                      PageId::Social, PageId::Sports,  PageId::News, PageId::Videos} {
        totals.TotalTraces = 7;
        run.onYield = [this](int) { maximumAtYields.push_back(progress.maximum); };
    }
    void add(std::string address, int count = 1) {
        while (count-- > 0)
            cache.push_back(Entry(address, "C:\\\"<f> #.jpg"));
    }
    void write() {
        const CachedFileClasses classes(cache);
        end = WriteImagePages(pageRun, ImagePagesInput{cache, classes, nullptr}, counts);
    }
};

const std::string kDeleteImage =
    "<A HREF=" + PurchaseLink(7) +
    " TARGET=_BLANK><B>Use Erazent to Securely Delete this Image Now!</B></a>";
const std::string kWide = "<BR><HR WIDTH=95% ALIGN=LEFT><BR>";
const std::string kBar = "<B>View other Suspect Images on Your Computer:<BR>";
const std::string kPicture = "<IMG SRC=\"file://C:\\&quot;&lt;f&gt; %23.jpg\"><BR CLEAR=LEFT>";
const std::string kLocation = " Computer: </B><I>C:\\&quot;&lt;f&gt; #.jpg</I><BR>";

std::string Total(const std::string& what, int number) {
    return "<H2>Total " + what + " Found on your Computer: <FONT COLOR=#FF0000><B>" +
           std::to_string(number) + "</B></FONT></H2>";
}
std::string Source(const std::string& before, const std::string& match, const std::string& after) {
    return "<B>Where YOU Downloaded the Image: </B><I>" + before + "<FONT COLOR=#FF0000><B>" +
           match + "</B></FONT>" + after + "</I><BR>";
}
// The three lines of a picture whose address has the match at its first occurrence.
Lines Picture(const std::string& address, const std::string& match, const std::string& ending,
              const std::string& your = "YOUR") {
    const size_t at = address.find(match);
    return {kPicture, Source(address.substr(0, at), match, address.substr(at + match.size())),
            "<B>Location on " + your + kLocation + kDeleteImage + ending};
}

// Explicit page 1 takes pictures 1 to 499 with the bar after every 25th and ends with the link
// to page 2, which takes the rest with the bar (every item linked) before every 25th. A picture
// in several categories stands on each of their pages with that list's match, the bar (its own
// item not linked) before its 25th picture.
TEST(ImagePages, PicturesLandOnTheirPagesWithTheirBars) {
    const std::string several = "http://poker.espn.dating.msnbc.example/x.jpeg";
    ImageRun run;
    run.add("http://porn.example/a.jpg", 525);
    run.add(several, 25);
    run.write();
    const auto first = run.lines(PageId::Images);
    ASSERT_EQ(first.size(), 2u + 499u * 3 + 19 + 1);
    EXPECT_EQ(Slice(first, 2, 3), Picture("http://porn.example/a.jpg", "porn", kWide));
    EXPECT_EQ(first[2 + 25 * 3],
              kBar + "[Explicit] - [<A HREF=Vorlith_gambling.html>Gambling</A>] - [<A "
                     "HREF=Vorlith_social.html>Dating/Personals</A>] - [<A "
                     "HREF=Vorlith_sports.html>Sports</A>] - [<A "
                     "HREF=Vorlith_news.html>News/Media</a>]</B><BR><BR>");
    EXPECT_EQ(first.back(), "<H2><A HREF=Vorlith_images2.html>Goto Page 2!</A></H2>");
    const auto second = run.lines(PageId::Images2);
    ASSERT_EQ(second.size(), 26u * 3 + 2);
    for (size_t bar : {0, 1 + 25 * 3})
        EXPECT_TRUE(second[bar].starts_with(kBar + "[<A HREF=Vorlith_images.html>Explicit</A>]"));
    EXPECT_EQ(Slice(second, 1, 3), Picture("http://porn.example/a.jpg", "porn", "<BR><HR><BR>"));

    const std::tuple<PageId, const char*, const char*, int64_t> cases[] = {
        {PageId::Gambling, "poker", "[Gambling]", run.counts.GamblingImageCount},
        {PageId::Sports, "espn", "[Sports]", run.counts.SportsImageCount},
        {PageId::Social, "dating", "[Dating/Personals]", run.counts.PersonalsImageCount},
        {PageId::News, "msnbc", "[News/Media]", run.counts.NewsImageCount}};
    for (const auto& [page, match, ownItem, count] : cases) {
        const auto lines = run.lines(page);
        ASSERT_EQ(lines.size(), 25u * 3 + 1) << match;
        EXPECT_EQ(
            Slice(lines, 0, 3),
            Picture(several, match, page == PageId::Gambling ? kWide : "<BR><HR><BR>", "Your"));
        EXPECT_TRUE(lines[24 * 3].starts_with(kBar) &&
                    lines[24 * 3].find(ownItem) != std::string::npos)
            << lines[24 * 3];
        EXPECT_EQ(count, 25) << match;
    }
}

// The teen page also takes "png"; its total does not. A picture is an address ending in "jpg"
// or "jpeg" in any case, nothing after it. A picture that only the gay list matches is on the
// explicit pages with that list's match but not in their pre-counted total.
TEST(ImagePages, TeenAndExplicitPagesTakeTheirOwnPictures) {
    ImageRun run;
    for (const char* address :
         {"http://teen.example/a.PNG", "http://Teen.example/b.jpg", "http://porn.example/notajpg",
          "http://porn.example/p.jpg?x=1", "http://my-LGBT-site.example/lgbt.jpg",
          "http://gay.example/nude.jpg"})
        run.add(address);
    run.write();
    const std::string traces = Total("Internet History Traces", 7);
    const std::string warning =
        "<FONT COLOR=#FF0000><B>Potentially ILLEGAL teen image file detected on YOUR Computer!  If "
        "there is a nude person in this image not over 18, this image is ILLEGAL!</B></FONT><P>";
    const auto teen = run.lines(PageId::Teen);
    ASSERT_EQ(teen.size(), 3u + 2 * 5);
    EXPECT_EQ(
        Slice(teen, 0, 8),
        (Lines{traces, Total("Explicit Traces", 3), Total("potential ILLEGAL Traces", 1) + "<BR>",
               warning, kPicture, Source("http://", "teen", ".example/a.PNG"),
               "<B>Location on YOUR" + kLocation, kDeleteImage + "<BR><HR><BR>"}));
    EXPECT_EQ(run.lines(PageId::Images),
              Joined({{traces, Total("Explicit Traces", 3) + "<BR>"},
                      Picture("http://Teen.example/b.jpg", "Teen", kWide),
                      Picture("http://porn.example/notajpg", "porn", kWide),
                      Picture("http://my-LGBT-site.example/lgbt.jpg", "LGBT", kWide),
                      Picture("http://gay.example/nude.jpg", "nude", kWide)}));
    EXPECT_EQ(run.counts.TeenImageCount, 2);
    EXPECT_EQ(run.counts.GayImageCount, 0);
}

// The address is cut where the search matched, then each piece is escaped; a match past the end
// of the address cuts nothing.
// Pictures and videos are told by the end of the address, in any case, and by nothing else.
TEST(ImagePages, PicturesAndVideosAreToldByTheirEndingsInAnyCase) {
    const std::tuple<std::string, bool, VideoKind> cases[] = {
        {"http://a/b.JPG", true, VideoKind::None},
        {"http://a/b.jpeg", true, VideoKind::None},
        {"jpg", true, VideoKind::None},
        {"http://a/b.jpg?w=1", false, VideoKind::None},
        {"http://a/b.png", false, VideoKind::None},
        {"http://a/b.g", false, VideoKind::None},
        {"", false, VideoKind::None},
        {"http://a/b.fLv", false, VideoKind::Flash},
        {"x.WMV", false, VideoKind::WindowsMedia},
        {"x.mpg", false, VideoKind::Mpeg},
        {"x.MPEG", false, VideoKind::Mpeg},
        {"mov", false, VideoKind::QuickTime},
        {"http://a/mov.v", false, VideoKind::None},
        {"http://a/b.avi", false, VideoKind::None},
    };
    for (const auto& [address, picture, video] : cases) {
        EXPECT_EQ(IsPicture(address), picture) << address;
        EXPECT_EQ(VideoKindOf(address), video) << address;
    }
}

// The passes visit the files of a bit set while asking for later files' records ahead: every
// set bit once, in order, for lists around a word and a record chunk long, with no bit, one bit,
// sparse bits and every bit set, and for files without texts.
TEST(ImagePages, FilePassesVisitEverySetBitOnceInOrder) {
    std::mt19937_64 random(11);
    for (const size_t count : {0, 1, 7, 63, 64, 65, 200, 1023, 1025, 3000}) {
        UrlCacheList files;
        for (size_t i = 0; i < count; ++i)
            files.push_back(Entry("http://a/" + std::to_string(i) + ".jpg", "C:\\f.jpg"));
        const size_t words = (count + 63) / 64;
        for (const int density : {0, 1, 2, 3}) {
            std::vector<uint64_t> bits(words, 0);
            std::vector<size_t> expected;
            for (size_t i = 0; i < count; ++i) {
                const bool set = density == 3   ? true
                                 : density == 2 ? random() % 23 == 0
                                 : density == 1 ? i == count / 2
                                                : false;
                if (!set)
                    continue;
                bits[i / 64] |= uint64_t{1} << (i % 64);
                expected.push_back(i);
            }
            std::vector<size_t> visited;
            ForEachFile(
                files, [&bits](size_t word) { return bits[word]; },
                [&visited](size_t index) { visited.push_back(index); });
            EXPECT_EQ(visited, expected) << count << " files, density " << density;
        }
    }
    // Entries without any text: the texts asked for ahead are nowhere.
    UrlCacheList empty;
    for (int i = 0; i < 20; ++i)
        empty.push_back(UrlCacheEntry{});
    size_t visits = 0;
    ForEachFile(
        empty, [](size_t) { return uint64_t{0xFFFFF}; }, [&visits](size_t) { ++visits; });
    EXPECT_EQ(visits, 20u);
}

TEST(ImagePages, SourceLineCutsTheRawAddressThenEscapes) {
    EXPECT_EQ(SourceLine("a\"<b>Poker&", KeywordHit{6, 5}),
              Source("a&quot;&lt;b&gt;", "Poker", "&amp;"));
    EXPECT_EQ(SourceLine("abc", KeywordHit{3, 5}), Source("ab", "c", ""));
    EXPECT_EQ(SourceLine("a<c", KeywordHit{9, 2}), Source("a&lt;c", "", ""));
}

// With 20 cached files each pass yields once, after its 20th entry: yields 1 to 7 are the
// pre-counts, 8 the teen page (whose bar counts to 100000), 9 the explicit pages, 10 to 13 the
// category pages. A cancel raised inside a pass is seen at the next cancel point (after the
// pre-counts, after the teen page, as each category page begins); the pages stop there with no
// further status shown and nothing more written.
TEST(ImagePages, CancelIsSeenOnlyAtItsPointsAndStopsThePagesThere) {
    // The yield the cancel comes at (0: none), the cancel points reached, the status texts shown,
    // the pages written of teen, explicit, gambling, social, sports and news.
    const std::tuple<int, int, size_t, int> cases[] = {
        {0, 6, 13, 6}, {3, 1, 7, 0}, {8, 2, 8, 1}, {9, 3, 10, 2}, {12, 6, 13, 5}, {13, 6, 13, 6}};
    for (const auto& [cancelAtYield, cancelTests, statuses, pagesWritten] : cases) {
        SCOPED_TRACE(cancelAtYield);
        ImageRun run;
        run.run.cancelWhen = [&] { return cancelAtYield != 0 && run.run.yields >= cancelAtYield; };
        // The last entry is a picture for every page, so that a pass that ran has written it.
        run.add("http://a.example/v.flv", 19);
        run.add("http://teen-poker-dating-espn-cnn.com.example/a.jpg");
        run.write();

        const bool stopped = cancelAtYield != 0 && cancelAtYield < 13;
        EXPECT_EQ(run.end, stopped ? PhaseEnd::Stopped : PhaseEnd::Finished);
        EXPECT_EQ(run.run.cancelTests, cancelTests);
        EXPECT_EQ(run.run.yields, stopped ? std::max(cancelAtYield, 7) : 13);
        EXPECT_EQ(run.progress.statuses.size(), statuses);
        std::vector<int64_t> maximums(run.maximumAtYields.size(), 20);
        if (maximums.size() > 7)
            maximums[7] = 100000;
        EXPECT_EQ(run.maximumAtYields, maximums);
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

// The Flash player's path has its blanks encoded while the location shown keeps them; quotes,
// angle brackets and letters outside ASCII stay text inside their attributes.
TEST(VideoPage, EachKindWritesItsLines) {
    const std::string tail = "</A><BR><BR><A HREF=" + PurchaseLink(3) +
                             " TARGET=_BLANK><B>Use Erazent to Securely Delete this Video "
                             "Now!</B></a><BR><HR WIDTH=95% ALIGN=LEFT><BR><BR>";
    const std::string click = "Click the below location of the video on your computer to view ";
    const Lines mpeg = {click + "MPEG Video:<BR>",
                        "<A HREF=\"file://C:\\v.x\" TARGET=_BLANK>\"C:\\v.x\"" + tail};
    const std::tuple<const char*, std::string, Lines> cases[] = {
        {"http://a.example/clip.FLV",
         "C:\\Temp Files\\v #1.flv",
         {"<BR>",
          "<object type=application/x-shockwave-flash width=320 height=290 wmode=transparent "
          "data=\"flvplayer.swf?file=file://C:\\Temp%20Files\\v%20%231.flv\">",
          "<param name=movie value=\"flvplayer.swf?file=file://C:\\Temp%20Files\\v%20%231.flv\">",
          "<param name=wmode value=transparent>", "</object>",
          "<BR><B>Location on YOUR Computer: </B><I>C:\\Temp Files\\v #1.flv</I><BR>" +
              tail.substr(12)}},
        {"http://a.example/clip.wmv",
         "C:\\\"><script>\\caf\xC3\xA9 100%.wmv",
         {click + "Windows Media Video (WMV):<BR>",
          "<A HREF=\"file://C:\\&quot;&gt;&lt;script&gt;\\caf%C3%A9 100%25.wmv\">\"C:\\&quot;&gt;"
          "&lt;script&gt;\\caf&#233; 100%.wmv\"" +
              tail}},
        {"http://a.example/clip.mpg", "C:\\v.x", mpeg},
        {"http://a.example/clipmpeg", "C:\\v.x", mpeg},
        {"http://a.example/clip.Mov",
         "C:\\v.x",
         {click + "QuickTime Video:<BR>",
          "<BR><A HREF=\"file://C:\\v.x\" TARGET=_BLANK>\"C:\\v.x\"" + tail}},
        {"http://a.example/clip.flv?start=0", "C:\\v.x", {}},
        {"http://a.example/clip.mpeg4", "C:\\v.x", {}}};
    for (const auto& [address, localFile, lines] : cases) {
        PageHarness harness{PageId::Videos};
        WriteVideoItem(harness.pages.page(PageId::Videos), address, localFile, PurchaseLink(3));
        EXPECT_EQ(harness.lines(PageId::Videos), lines) << address;
    }
}

} // namespace
} // namespace vorlith::test
