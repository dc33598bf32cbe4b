#include "scan/id3v1.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vorlith {
namespace {

const std::string kDrive = std::string(VORLITH_FIXTURES_DIR) + "/media/drive/";

// A 128-byte block built field by field as the tag format lays it out.
std::string block(const std::string& title, const std::string& artist = "",
                  const std::string& album = "", const std::string& year = "",
                  const std::string& comment = "", char zero = '\0', char track = 0, char genre = 0,
                  const std::string& magic = "TAG") {
    auto field = [](std::string text, size_t width) {
        text.resize(width, '\0');
        return text;
    };
    std::string bytes = magic + field(title, 30) + field(artist, 30) + field(album, 30) +
                        field(year, 4) + field(comment, 28);
    bytes += zero;
    bytes += track;
    bytes += genre;
    return bytes;
}

struct FixtureTag {
    const char* path;
    bool hasTag;
    const char* title;
    const char* artist;
    const char* album;
    const char* year;
    const char* comment;
    int track;
    int genre;
};

TEST(Id3v1, ReadsTheFixtureFilesAsTheirTagsHoldThem) {
    const FixtureTag cases[] = {
        {"Users/alice/Music/.hidden_track.mp3", true, "Hidden Track", "Secret Artist", "", "2007",
         "", 13, 17},
        {"Users/alice/Music/Long Titles/title30.mp3", true, "Thirty Characters Exactly Here",
         "Pad Test", "NUL Padding", "2010", "", 1, 12},
        {"Users/alice/Music/Misc/tune.mpeg3", true, "Tune In MPEG3", "Ext Tester", "", "2002", "",
         9, 13},
        {"Users/alice/Music/Spaces/blank_artist.mp3", true, "Blanks Around Artist", "Blank Edges",
         "Spaces Test", "2001", "id3v2 -1 (id3lib)", 12, 17},
        {"Users/alice/Music/The Test Tones/Silence Is Golden/03 Morning Light.mp3", true,
         "Morning Light", "The Test Tones", "Silence Is Golden", "2004", "ffmpeg full tag", 3, 26},
        {"Users/alice/Music/Unknown Artist/no_artist.mp3", true, "No Artist Here", "",
         "Untitled Album", "1999", "id3tool, artist empty", 7, 8},
        {"Users/alice/Music/Windows Media/track01.wma", true, "Windows Media Song", "WMA Band",
         "Appended v1", "2003", "", 5, 13},
        {"Users/alice/Music/Ogg/forest.ogg", false, "", "", "", "", "", 0, 255},
        {"Users/alice/Music/notag.mp3", false, "", "", "", "", "", 0, 255},
        {"Users/alice/Music/v2only.mp3", false, "", "", "", "", "", 0, 255},
    };
    cMP3ID3v1 reader; // one reader for all: every file resets what the last one left
    for (const FixtureTag& expected : cases) {
        SCOPED_TRACE(expected.path);
        EXPECT_FALSE(reader.MP3File(kDrive + expected.path).has_value());
        EXPECT_EQ(reader.HasID3v1Tag(), expected.hasTag);
        EXPECT_EQ(reader.Title(), expected.title);
        EXPECT_EQ(reader.Artist(), expected.artist);
        EXPECT_EQ(reader.Album(), expected.album);
        EXPECT_EQ(reader.Year(), expected.year);
        EXPECT_EQ(reader.Comment(), expected.comment);
        EXPECT_EQ(reader.Track(), expected.track);
        EXPECT_EQ(reader.Genre(), expected.genre);
    }
}

TEST(Id3v1, ParsesCraftedBlocks) {
    struct Case {
        const char* what;
        std::string bytes;
        bool hasTag;
        std::string title;
        std::string comment;
        int track;
    };
    const std::string thirtyByteComment = "123456789012345678901234567890";
    const Case cases[] = {
        {"four letters then 26 NULs", block("Abcd"), true, "Abcd", "", 0},
        {"blanks around the title", block("  Spaced Out  "), true, "Spaced Out", "", 0},
        {"NUL inside a field joins both sides", block(std::string("Left\0Right", 10)), true,
         "LeftRight", "", 0},
        {"only blanks and NULs", block(std::string("  \0  \0", 6)), true, "", "", 0},
        {"lower-case tag is no tag", block("Title", "", "", "", "", 0, 0, 0, "tag"), false, "", "",
         0},
        {"mixed-case Tag is no tag", block("Title", "", "", "", "", 0, 0, 0, "Tag"), false, "", "",
         0},
        {"v1.0: 30-byte comment, its 30th byte is the track",
         block("T", "", "", "", thirtyByteComment.substr(0, 28), thirtyByteComment[28],
               thirtyByteComment[29]),
         true, "T", thirtyByteComment.substr(0, 28), '0'},
        {"track whatever byte 125 holds", block("T", "", "", "", "", 'x', 7), true, "T", "", 7},
        {"one byte short", block("T").substr(1), false, "", "", 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        auto fields = ParseId3v1Block(test.bytes);
        ASSERT_EQ(fields.has_value(), test.hasTag);
        if (!fields)
            continue;
        EXPECT_EQ(fields->Title, test.title);
        EXPECT_EQ(fields->Comment, test.comment);
        EXPECT_EQ(fields->Track, test.track);
    }
}

TEST(Id3v1, DecodesTextFromWindows1252) {
    // 0xE9 is e-acute, 0x80 the euro sign, 0x93 and 0x94 curly quotes.
    auto fields = ParseId3v1Block(block("Caf\xE9 \x80 \x93x\x94", "Bj\xF6rk"));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->Title, "Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D");
    EXPECT_EQ(fields->Artist, "Bj\xC3\xB6rk");
}

TEST(Id3v1, ShortFilesAndOpenFailuresLeaveTheFieldsReset) {
    test::TempFolder folder;
    cMP3ID3v1 reader;
    ASSERT_FALSE(reader.MP3File(folder.write("129.mp3", "x" + block("T", "Artist"))));
    ASSERT_EQ(reader.Artist(), "Artist");
    // A file of exactly 128 bytes is too short to hold audio and a tag: it is not read.
    EXPECT_FALSE(reader.MP3File(folder.write("128.mp3", block("Only A Tag", "Other"))));
    EXPECT_FALSE(reader.HasID3v1Tag());
    EXPECT_EQ(reader.Artist(), "");
    EXPECT_EQ(reader.Genre(), 255);

    ASSERT_FALSE(reader.MP3File(folder / "129.mp3"));
    const std::string missing = folder / "missing.mp3";
    TagResult error = reader.MP3File(missing);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->number, 0u);
    EXPECT_FALSE(error->description.empty());
    EXPECT_TRUE(error->source.ends_with(".cMP3ID3v1")) << error->source;
    EXPECT_EQ(reader.MP3File(), missing);
    EXPECT_FALSE(reader.HasID3v1Tag());
    EXPECT_EQ(reader.Artist(), "");
    EXPECT_EQ(reader.Genre(), 255);

    // A folder named like a song is not a file; a device behind a link is never opened.
    EXPECT_TRUE(reader.MP3File(folder.makeFolder("Music.mp3")).has_value());
    std::filesystem::create_symlink("/dev/zero", folder / "zero.mp3");
    EXPECT_TRUE(reader.MP3File(folder / "zero.mp3").has_value());
}

TEST(Id3v1, UpdateAppendsABlockToAFileWithoutOne) {
    test::TempFolder folder;
    const std::string audio(500, '\xAA');
    const std::string path = folder.write("song.mp3", audio);
    cMP3ID3v1 tag;
    ASSERT_FALSE(tag.MP3File(path).has_value());
    tag.Title("New Title");
    tag.Artist("Caf\xC3\xA9 Band"); // UTF-8 in memory, one Windows-1252 byte on disk
    tag.Album("An Album Whose Name Is Longer Than Thirty Bytes");
    tag.Year("2026");
    tag.Comment("c");
    tag.Track(4);
    tag.Genre(17);
    ASSERT_FALSE(tag.Update().has_value());

    auto pad = [](std::string text, size_t width) {
        text.resize(width, ' ');
        return text;
    };
    const std::string expected = audio + "TAG" + pad("New Title", 30) + pad("Caf\xE9 Band", 30) +
                                 "An Album Whose Name Is Longer" + " " + "2026" + pad("c", 28) +
                                 std::string("\0\x04\x11", 3);
    EXPECT_EQ(test::ReadFile(path), expected);

    cMP3ID3v1 again;
    ASSERT_FALSE(again.MP3File(path).has_value());
    EXPECT_EQ(again.Artist(), "Caf\xC3\xA9 Band");
    EXPECT_EQ(again.Album(), "An Album Whose Name Is Longer");
    EXPECT_EQ(again.Track(), 4);
    EXPECT_EQ(again.Genre(), 17);
}

TEST(Id3v1, UpdateOverwritesAnExistingBlockInPlace) {
    test::TempFolder folder;
    const std::string path = folder.write("copy.mp3", test::ReadFile(kDrive + "Users/alice/Music/"
                                                                              ".hidden_track.mp3"));
    const std::string before = test::ReadFile(path);
    ASSERT_EQ(before.size(), 2288u);

    cMP3ID3v1 tag;
    ASSERT_FALSE(tag.MP3File(path).has_value());
    tag.Artist("Someone Else");
    ASSERT_FALSE(tag.Update().has_value());

    const std::string after = test::ReadFile(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, 2288 - 128), before.substr(0, 2288 - 128));
    // Title, artist and the rest are written back blank-padded, not NUL-padded.
    EXPECT_EQ(after.substr(2160, 33), "TAG" + std::string("Hidden Track") + std::string(18, ' '));
    EXPECT_EQ(after.substr(2193, 30), "Someone Else" + std::string(18, ' '));
    EXPECT_EQ(after.substr(2223, 30), std::string(30, ' '));
    EXPECT_EQ(after.substr(2253, 4), "2007");
    EXPECT_EQ(after.substr(2285), std::string("\0\x0D\x11", 3));
}

TEST(Id3v1, UpdateRefusesAnEmptyFileAndLeavesShortOnesAlone) {
    test::TempFolder folder;
    cMP3ID3v1 tag;
    const std::string empty = folder.write("empty.mp3", "");
    ASSERT_FALSE(tag.MP3File(empty).has_value());
    TagResult error = tag.Update();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number, 0x80041001u);
    EXPECT_EQ(error->description, empty + " is not a valid MP3 file.");
    EXPECT_EQ(test::ReadFile(empty), "");

    const std::string shortFile = folder.write("short.mp3", std::string(128, 'x'));
    ASSERT_FALSE(tag.MP3File(shortFile).has_value());
    tag.Artist("Ignored");
    EXPECT_FALSE(tag.Update().has_value());
    EXPECT_EQ(test::ReadFile(shortFile), std::string(128, 'x'));

    // Update never creates the file it was given.
    EXPECT_TRUE(tag.MP3File(folder / "gone.mp3").has_value());
    EXPECT_TRUE(tag.Update().has_value());
    EXPECT_FALSE(std::filesystem::exists(folder / "gone.mp3"));
}

TEST(Id3v1, GenreNames) {
    const std::pair<int, const char*> cases[] = {
        {0, "Blues"},          {78, "Rock 'n'Roll"}, {122, "Drum Solo"}, {123, ""},
        {124, "Euro - House"}, {147, "Synth Pop"},   {148, ""},          {255, ""}};
    for (const auto& [genre, name] : cases) {
        SCOPED_TRACE(genre);
        EXPECT_EQ(GenreName(genre), name);
        EXPECT_EQ(cMP3ID3v1::GenreName(static_cast<uint8_t>(genre)), name);
    }
}

} // namespace
} // namespace vorlith
