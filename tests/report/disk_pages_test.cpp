// The pages of the disk passes, written from findings made here: the audio page's two sections,
// the thumbnail page, and the two Firefox pages with their 300-picture split.

#include "report/audio_page.h"
#include "report/disk_pages.h"
#include "report/html_text.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vorlith::test {
namespace {

// The link line of a path that needs no escaping.
std::string LinkLine(const std::string& path) {
    return "<A HREF=\"file://" + path + "\" TARGET=_BLANK>" + path + "</A><BR><BR>";
}

struct AudioRun : PageHarness {
    FoundFileList audio;
    AudioFindings findings;

    AudioRun() : PageHarness{PageId::Illegal} {}
    void add(const std::string& path, AudioKind kind, int32_t tag = -1) {
        audio.AddToList(path);
        findings.files.push_back(AudioFile{kind, tag});
    }
    void write() {
        WriteAudioFirstSection(pageRun, audio, findings);
        WriteAudioSecondSection(pageRun, audio, findings);
    }
};

// The warning and Umbrafile lines, the files whose tag names an artist, then the other audio
// files under their file titles, each in list order; an entry of no kind is not listed.
TEST(AudioPage, TaggedFilesFirstThenTheOthersUnderTheirTitles) {
    AudioRun run;
    run.findings.tags = {{"Bj\xC3\xB6rk <3", "J\xC3\xB3ga", "", ""},
                         {"WMA Band", "Windows Media Song", "Appended v1", "2003"}};
    run.add("/m/a.mp3", AudioKind::Mp3, 0);
    run.add("/m/untagged.MP3", AudioKind::Mp3);
    run.add("/m/Music.mp3/", AudioKind::None);
    run.add("/m/t.wma", AudioKind::Wma, 1);
    run.add("/m/My.podcast.m4a", AudioKind::M4a);
    run.add("/m/a&b #1.ogg", AudioKind::Ogg);
    run.write();
    EXPECT_EQ(
        run.lines(PageId::Illegal),
        (Lines{"<TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>WARNING:</B>"
               "</FONT> <FONT SIZE=+1 COLOR=#FFFFFF CLASS=textalert><B>The below DRM-Free audio "
               "files are potentially <A HREF=\"http://news.example/news/story/7380412/"
               "riaa_will_keep_on_suing\" TARGET=_BLANK>ILLEGAL</A> if you did not purchase "
               "them!</B></FONT></TD></TR></TABLE>",
               "<H3><A HREF=https://secure.vorlith.example/secure_umf_audit_clean_2013.php?"
               "umftraces=6 TARGET=_BLANK><B>Use Umbrafile to Securely HIDE the below Files "
               "Now!</B></a></H3>",
               "<B>Bj&#246;rk &lt;3</B> - J&#243;ga |  - <BR>", LinkLine("/m/a.mp3"),
               "<B>WMA Band</B> - Windows Media Song | Appended v1 - 2003<BR>",
               LinkLine("/m/t.wma"), "<B>untagged</B><BR>", LinkLine("/m/untagged.MP3"),
               "<B>My</B><BR>", LinkLine("/m/My.podcast.m4a"), "<B>a&amp;b #1</B><BR>",
               "<A HREF=\"file:///m/a&amp;b %231.ogg\" TARGET=_BLANK>/m/a&amp;b #1.ogg</A>"
               "<BR><BR>"}));
}

// More entries than a 16-bit index reaches are all listed; the second section shows the index
// and yields at every multiple of 20.
TEST(AudioPage, SecondSectionListsEveryEntryOfALongListAndYieldsEvery20) {
    AudioRun run;
    for (int i = 0; i < 33000; ++i)
        run.add("/n/" + std::to_string(i) + ".ogg", AudioKind::Ogg);
    std::vector<int64_t> valuesAtYield;
    run.run.onYield = [&](int) { valuesAtYield.push_back(run.progress.value); };
    run.write();
    ASSERT_EQ(valuesAtYield.size(), 1650u);
    EXPECT_EQ(valuesAtYield.back(), 32980);
    EXPECT_EQ(run.progress.value, 32999);
    EXPECT_EQ(run.progress.maximum, 33000);
    EXPECT_EQ(run.progress.status(), "Creating results for DRM-free Music files w/o ID3 tags...");
    const auto lines = run.lines(PageId::Illegal);
    ASSERT_EQ(lines.size(), 2u + 2u * 33000);
    EXPECT_EQ(lines.back(), LinkLine("/n/32999.ogg"));
}

// A store without pictures still gets its caption; names and paths are escaped. Pictures of
// the report's thumbs folder are linked relatively, titled with their original's name and time,
// and listed under the store's line when the store names them; the desktop's previews follow,
// folder by folder, a deleted original marked.
TEST(ThumbnailPage, EachStoreGetsItsPicturesItsCaptionAndTheNamesItKnows) {
    PageHarness harness{PageId::Thumbnails};
    harness.totals.TotalTraces = 7;
    harness.pages.setShownFolder("/r #1");
    const FileTime time = (uint64_t{1262402706} + kSecondsFrom1601To1970) * 10000000;
    ThumbFindings stores{
        {{"/d/thumbs.db", {{"0-1.jpg", "zoo<1>.jpg", time}, {"0-2.png", "", {}}}, {}},
         {"/d/<b>&/x_thumbcache_99", {}, {}}},
        2};
    DesktopThumbFindings previews;
    for (const char* original : {"/h/kept.jpg", "/h/gone & lost.jpg"}) {
        FreedesktopPreview preview;
        preview.folder = "/h/.cache/thumbnails/normal";
        preview.originalPath = original;
        preview.originalTime = 1600000000;
        preview.original =
            previews.previews.empty() ? OriginalState::Exists : OriginalState::Missing;
        previews.previews.push_back(
            {preview, "desktop-" + std::to_string(previews.previews.size() + 1) + ".png"});
    }
    const FakeClock clock;
    WriteThumbnailPage(harness.pageRun, {stores, previews, "/r #1/thumbs", clock});
    const std::string head = "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=3><TR><TH>Original "
                             "file</TH><TH>Time</TH><TH>Picture</TH></TR>";
    const auto row = [](const std::string& original, const std::string& picture) {
        return "<TR><TD>" + original + "</TD><TD>" +
               (picture[0] == '0' ? "2010-01-02 03:25:06" : "2020-09-13 12:26:40") +
               "</TD><TD><A HREF=\"thumbs/" + picture + "\" TARGET=_BLANK>" + picture +
               "</A></TD></TR>";
    };
    EXPECT_EQ(
        harness.lines(PageId::Thumbnails),
        (Lines{kWarningLine, DeleteTracesLine(7),
               "<IMG SRC=\"thumbs/0-1.jpg\" TITLE=\"zoo&lt;1&gt;.jpg, 2010-01-02 03:25:06\">",
               "<IMG SRC=\"thumbs/0-2.png\">",
               "<BR>The above thumbnails were extracted from your hidden thumbnail file located "
               "at: <B>/d/thumbs.db</B><BR><HR><BR>",
               head, row("zoo&lt;1&gt;.jpg", "0-1.jpg"), "</TABLE><BR><HR><BR>",
               "<BR>The above thumbnails were extracted from your hidden thumbnail file located "
               "at: <B>/d/&lt;b&gt;&amp;/x_thumbcache_99</B><BR><HR><BR>",
               "<IMG SRC=\"thumbs/desktop-1.png\" TITLE=\"/h/kept.jpg, 2020-09-13 12:26:40\">",
               "<IMG SRC=\"thumbs/desktop-2.png\" TITLE=\"/h/gone &amp; lost.jpg, 2020-09-13 "
               "12:26:40, original deleted\">",
               "<BR>The above thumbnails were found in your hidden desktop thumbnail folder "
               "located at: <B>/h/.cache/thumbnails/normal</B><BR><HR><BR>",
               head, row("/h/kept.jpg", "desktop-1.png"),
               row("/h/gone &amp; lost.jpg <FONT COLOR=#FF0000><B>original deleted</B></FONT>",
                   "desktop-2.png"),
               "</TABLE><BR><HR><BR>"}));
}

// Only a file directly in the report's thumbs folder is linked relatively, whatever separator.
TEST(ThumbnailPage, OnlyPicturesOfTheReportsThumbsFolderAreLinkedRelatively) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"/r/thumbs/cache-2-#a b?.jpg", "/r/", "thumbs/cache-2-%23a b%3F.jpg"},
        {"C:\\R\\thumbs\\x&y.png", "C:\\R", "thumbs/x&amp;y.png"},
        {"/r/thumbs/sub/0-1.jpg", "/r", "file:///r/thumbs/sub/0-1.jpg"},
        {"/rr/thumbsx/0-1.jpg", "/r", "file:///rr/thumbsx/0-1.jpg"},
        {"/r/thumbs/0-1.jpg", "", "file:///r/thumbs/0-1.jpg"},
    };
    for (const auto& [path, report, url] : cases)
        EXPECT_EQ(LocalFileUrl(path, report), url) << path << " from " << report;
}

// Both pages get the warning and link lines; pictures 1 to 300 go to the first page, which then
// links to the second, the rest to the second.
TEST(FirefoxPages, ThreeHundredPicturesFillTheFirstPageAndEndItWithTheLinkToTheSecond) {
    const Lines opening = {kWarningLine, DeleteTracesLine(7)};
    for (size_t pictures : {299u, 300u, 301u}) {
        PageHarness harness{PageId::FirefoxCache, PageId::FirefoxCache2};
        harness.totals.TotalTraces = 7;
        FirefoxCacheFindings findings;
        for (size_t i = 1; i <= pictures; ++i)
            findings.pictures.push_back("/c/#" + std::to_string(i));
        WriteFirefoxCachePages(harness.pageRun, findings);
        const auto first = harness.lines(PageId::FirefoxCache);
        const size_t onFirst = std::min<size_t>(pictures, 300);
        EXPECT_EQ(first.size(), 2 + 2 * onFirst + (pictures >= 300 ? 1 : 0)) << pictures;
        EXPECT_EQ(first.back() == "<H1><A HREF=Vorlith_firefox_cache2.html>Vorlith Results: "
                                  "FIREFOX CACHE - PAGE 2</A></H1>",
                  pictures >= 300);
        EXPECT_EQ(Slice(first, 0, 3),
                  Joined({opening,
                          {"<IMG SRC=\"file:///c/%231\"><BR><BR><B>Location on YOUR "
                           "Computer:</B> /c/#1<BR>"}}));
        EXPECT_EQ(
            Slice(harness.lines(PageId::FirefoxCache2), 0, 3),
            Joined({opening, pictures > 300 ? Lines{"<IMG SRC=\"file:///c/%23301\"><BR><BR>"
                                                    "<B>Location on YOUR Computer:</B> /c/#301<BR>"}
                                            : Lines{}}));
    }
}

} // namespace
} // namespace vorlith::test
