#include "scan/audio_page.h"

#include "report/page_set.h"
#include "support/phase_fixture.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

const std::string kMusic = std::string(VORLITH_FIXTURES_DIR) + "/media/drive/Users/alice/Music/";

const std::string kWarningLine =
    "<TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>WARNING:</B></FONT> <FONT "
    "SIZE=+1 COLOR=#FFFFFF CLASS=textalert><B>The below DRM-Free audio files are potentially <A "
    "HREF=\"http://news.example/news/story/7380412/riaa_will_keep_on_suing\" "
    "TARGET=_BLANK>ILLEGAL</A> if you did not purchase them!</B></FONT></TD></TR></TABLE>";

std::string umbrafileLine(int count) {
    return "<H3><A HREF=https://secure.vorlith.example/secure_umf_audit_clean_2013.php?umftraces=" +
           std::to_string(count) +
           " TARGET=_BLANK><B>Use Umbrafile to Securely HIDE the below Files Now!</B></a></H3>";
}

// The link line of a path that needs no escaping.
std::string link(const std::string& path) {
    return "<A HREF=\"file://" + path + "\" TARGET=_BLANK>" + path + "</A><BR><BR>";
}

// Both sections of the audio pass, written to the page opened without its head.
struct AudioPass {
    test::PhaseFixture phase;
    DiskScanCounts counts;
    AudioPass() { phase.open(pages::kIllegal); }
    void add(const std::string& path) { phase.window.lists.lstResult.AddToList(path); }
    void run() {
        WriteAudioFirstSection(phase.context, counts);
        WriteAudioSecondSection(phase.context);
    }
    std::vector<std::string> lines() { return phase.lines(pages::kIllegal); }
};

TEST(AudioPage, FileTitles) {
    const std::pair<const char*, const char*> cases[] = {{"/Music/Band - Song.mp3", "Band - Song"},
                                                         {"/Music/My.Song.mp3", "My"},
                                                         {"/Music/.hidden.ogg", ""},
                                                         {"/Music/No Dot", "No Dot"},
                                                         {"plain.ogg", "plain"},
                                                         {"/Music/Folder.mp3/", ""},
                                                         {"/Old.Folder/track.wma", "track"}};
    for (const auto& [path, title] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(FileTitleFromPath(path), title);
    }
}

TEST(AudioPage, KindsByPathEnding) {
    const std::pair<const char*, AudioKind> cases[] = {
        {"/a/song.mp3", AudioKind::Mp3},    {"/a/SONG.MP3", AudioKind::Mp3},
        {"/a/tune.mpeg3", AudioKind::Mp3},  {"/a/t.WMA", AudioKind::Wma},
        {"/a/p.m4a", AudioKind::M4a},       {"/a/f.Ogg", AudioKind::Ogg},
        {"/a/Music.mp3/", AudioKind::None}, {"/a/song.mp3.bak", AudioKind::None},
        {"/a/movie.mpeg", AudioKind::None}, {"/a/mp3", AudioKind::None}};
    for (const auto& [path, kind] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(AudioKindOf(path), kind);
    }
}

TEST(AudioPage, MixedListGivesTaggedFilesFirstThenTheOthersInListOrder) {
    AudioPass pass;
    test::PhaseFixture& phase = pass.phase;
    const std::string gone = phase.folder / "Gone.MP3";
    const std::string special = phase.folder / "a&b #1.ogg";
    std::string tag = "TAG";
    auto field = [&](std::string text, size_t width) {
        text.resize(width, '\0');
        tag += text;
    };
    field("J\xF3ga", 30);
    field("Bj\xF6rk <3", 30);
    field("", 30);
    field("", 4);
    field("", 28);
    tag += std::string("\0\0\x0D", 3);
    const std::string accented = phase.folder.write("bjork.mp3", std::string(200, 'x') + tag);

    for (const char* below :
         {"Music.mp3/", ".hidden_track.mp3", "Backup/song.mp3.bak", "Misc/tune.mpeg3",
          "Ogg/forest.ogg", "Spaces/blank_artist.mp3", "Unknown Artist/no_artist.mp3",
          "Windows Media/track01.wma", "iTunes/podcast.m4a", "notag.mp3"})
        pass.add(kMusic + below);
    for (const std::string& path : {gone, special, accented})
        pass.add(path);

    WriteAudioFirstSection(phase.context, pass.counts);
    EXPECT_EQ(phase.window.lblStatus.caption,
              "Creating results for DRM-free Music files w/o ID3 tags...");
    EXPECT_EQ(phase.window.pBar.max, 13);
    WriteAudioSecondSection(phase.context);

    EXPECT_EQ(pass.counts.Mp3Count, 7);
    EXPECT_EQ(pass.counts.WmaCount, 1);
    EXPECT_EQ(pass.counts.M4aCount, 1);
    EXPECT_EQ(pass.counts.OggCount, 2);

    const std::vector<std::string> expected = {
        kWarningLine,
        umbrafileLine(13),
        "<B>Secret Artist</B> - Hidden Track |  - 2007<BR>",
        link(kMusic + ".hidden_track.mp3"),
        "<B>Ext Tester</B> - Tune In MPEG3 |  - 2002<BR>",
        link(kMusic + "Misc/tune.mpeg3"),
        "<B>Blank Edges</B> - Blanks Around Artist | Spaces Test - 2001<BR>",
        link(kMusic + "Spaces/blank_artist.mp3"),
        "<B>WMA Band</B> - Windows Media Song | Appended v1 - 2003<BR>",
        link(kMusic + "Windows Media/track01.wma"),
        "<B>Bj&#246;rk &lt;3</B> - J&#243;ga |  - <BR>",
        link(accented),
        "<B>forest</B><BR>",
        link(kMusic + "Ogg/forest.ogg"),
        "<B>no_artist</B><BR>",
        link(kMusic + "Unknown Artist/no_artist.mp3"),
        "<B>podcast</B><BR>",
        link(kMusic + "iTunes/podcast.m4a"),
        "<B>notag</B><BR>",
        link(kMusic + "notag.mp3"),
        "<B>Gone</B><BR>",
        link(gone),
        "<B>a&amp;b #1</B><BR>",
        "<A HREF=\"file://" + phase.folder.path() + "/a&amp;b %231.ogg\" TARGET=_BLANK>" +
            phase.folder.path() + "/a&amp;b #1.ogg</A><BR><BR>",
    };
    EXPECT_EQ(pass.lines(), expected);
}

TEST(AudioPage, EmptyListGivesOnlyTheWarningAndUmbrafileLines) {
    AudioPass pass;
    pass.run();
    EXPECT_EQ(pass.lines(), (std::vector<std::string>{kWarningLine, umbrafileLine(0)}));
    EXPECT_EQ(pass.phase.run.yields, 0);
}

TEST(AudioPage, YieldsEveryTwentyEntriesInEachSection) {
    AudioPass pass;
    test::PhaseFixture& phase = pass.phase;
    for (int i = 0; i < 45; ++i)
        pass.add("/nowhere/" + std::to_string(i) + ".m4a");
    std::vector<int64_t> valuesAtYield;
    phase.run.onYield = [&](int) { valuesAtYield.push_back(phase.window.pBar.value); };

    WriteAudioFirstSection(phase.context, pass.counts);
    EXPECT_EQ(valuesAtYield, (std::vector<int64_t>{0, 20, 40}));
    EXPECT_EQ(phase.window.pBar.value, 44);
    EXPECT_EQ(phase.window.pBar.max, 45);
    WriteAudioSecondSection(phase.context);
    EXPECT_EQ(valuesAtYield, (std::vector<int64_t>{0, 20, 40, 0, 20, 40}));
    EXPECT_EQ(phase.window.pBar.value, 44);
}

TEST(AudioPage, CountsAndListsEveryEntryOfALongList) {
    AudioPass pass;
    // More entries than a 16-bit index reaches: every one is counted and listed.
    constexpr int kEntries = 33000;
    for (int i = 0; i < kEntries; ++i)
        pass.add("/nowhere/t" + std::to_string(i) + ".ogg");
    pass.run();
    EXPECT_EQ(pass.counts.OggCount, kEntries);
    const std::vector<std::string> lines = pass.lines();
    ASSERT_EQ(lines.size(), 2u + 2u * kEntries);
    EXPECT_EQ(lines.back(), link("/nowhere/t32999.ogg"));
}

} // namespace
} // namespace vorlith
