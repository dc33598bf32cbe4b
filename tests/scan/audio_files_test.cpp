// The audio pass: kinds and titles of the found files, and their ID3v1 tags read (and written
// back) by cMP3ID3v1.

#include "scan/audio_files.h"
#include "scan/audio_tag_reader.h"
#include "scan/id3v1.h"
#include "scan/walker.h"

#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace vorlith {
namespace {

const std::string kMusic = std::string(VORLITH_FIXTURES_DIR) + "/media/drive/Users/alice/Music/";

// A 128-byte block built field by field as the tag format lays it out (album and year empty,
// genre 17).
std::string Block(const std::string& title, const std::string& artist = "",
                  const std::string& comment = "", char zero = '\0', char track = 0,
                  const std::string& magic = "TAG") {
    auto field = [](std::string text, size_t width) {
        text.resize(width, '\0');
        return text;
    };
    return magic + field(title, 30) + field(artist, 30) + field("", 34) + field(comment, 28) +
           zero + track + '\x11';
}

// "title|artist|album|year|comment|track|genre"
std::string Describe(const cMP3ID3v1& r) {
    return r.Title() + "|" + r.Artist() + "|" + r.Album() + "|" + r.Year() + "|" + r.Comment() +
           "|" + std::to_string(r.Track()) + "|" + std::to_string(r.Genre());
}
const std::string kNoTag = "|||||0|255";

TEST(AudioFiles, FileTitles) {
    const std::pair<const char*, const char*> cases[] = {
        {"/Music/My.Song.mp3", "My"}, {"/Music/.hidden.ogg", ""},
        {"/Music/No Dot", "No Dot"},  {"plain.ogg", "plain"},
        {"/Music/Folder.mp3/", ""},   {"/Old.Folder/track.wma", "track"}};
    for (const auto& [path, title] : cases)
        EXPECT_EQ(FileTitleFromPath(path), title) << path;
}

TEST(AudioFiles, CountsEveryKindAndKeepsTheTagsOfMp3AndWmaFilesThatNameAnArtist) {
    test::TempFolder folder;
    const std::string tagged = std::string(200, 'x') + Block("Song", "Tagged");
    const std::pair<std::string, std::string> cases[] = {
        // path, "artist|title|album|year" of the tag kept, "" for none
        {kMusic + "Music.mp3/", ""},
        {kMusic + ".hidden_track.mp3", "Secret Artist|Hidden Track||2007"},
        {kMusic + "Backup/song.mp3.bak", ""}, // tagged, but no audio kind
        {kMusic + "Misc/tune.mpeg3", "Ext Tester|Tune In MPEG3||2002"},
        {kMusic + "Unknown Artist/no_artist.mp3", ""},
        {kMusic + "Windows Media/track01.wma", "WMA Band|Windows Media Song|Appended v1|2003"},
        {folder / "Gone.MP3", ""},
        {folder.write("tagged.ogg", tagged), ""},
        {folder.write("tagged.m4a", tagged), ""},
        {folder.write("tagged.WMA", tagged), "Tagged|Song||"},
    };
    FoundFileList audio;
    for (const auto& item : cases)
        audio.AddToList(item.first);
    for (int i = 0; i < 35; ++i)
        audio.AddToList("/nowhere/" + std::to_string(i) + ".ogg");
    test::ScriptedRun run;
    test::RecordingProgress progress;
    std::vector<int64_t> valuesAtYield;
    run.onYield = [&](int) { valuesAtYield.push_back(progress.value); };
    const AudioFindings findings = ReadAudioTags(run, progress, audio);
    ASSERT_EQ(findings.files.size(), std::size(cases) + 35);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].first);
        const AudioTagText* tag = findings.tagOf(i);
        EXPECT_EQ(tag ? tag->Artist + "|" + tag->Title + "|" + tag->Album + "|" + tag->Year : "",
                  cases[i].second);
    }
    EXPECT_EQ(findings.tags.size(), 4u);
    const DiskScanCounts& counts = findings.counts;
    EXPECT_EQ(
        std::vector<int64_t>({counts.Mp3Count, counts.WmaCount, counts.M4aCount, counts.OggCount}),
        std::vector<int64_t>({4, 2, 1, 36}));
    EXPECT_EQ(progress.statuses,
              std::vector<std::string>{"Creating results for DRM-free Music files w/ ID3 tags..."});
    // Each entry shows on the bar; a yield every 20 entries, and no cancel test.
    EXPECT_EQ(valuesAtYield, (std::vector<int64_t>{0, 20, 40}));
    EXPECT_EQ(progress.value, 44);
    EXPECT_EQ(progress.maximum, 45);
    EXPECT_EQ(run.cancelTests, 0);
}

// Tags read during the walk are the tags the audio pass reads on its own: a link, a pipe and a
// file of 128 bytes are not read; nor is anything after a stop.
TEST(AudioFiles, TagsReadDuringTheWalkAreTheOnesReadAfterIt) {
    test::TempFolder folder;
    const std::string tagged = std::string(200, 'x') + Block("Song", "Tagged");
    folder.write("a/tagged.mp3", tagged);
    folder.write("a/plain.wma", std::string(300, 'y'));
    folder.write("a/only.mp3", Block("Block", "Alone")); // 128 bytes: never read
    folder.write("a/tagged.ogg", tagged);
    folder.write("b/c/deep.MP3", std::string(10, 'z') + Block("Deep", "Below"));
    std::filesystem::create_symlink(folder / "a/tagged.mp3", folder / "a/link.mp3");
    ASSERT_EQ(::mkfifo((folder / "b/pipe.mp3").c_str(), 0600), 0);
    const auto describe = [](const AudioFindings& findings) {
        std::vector<std::string> tags;
        for (size_t i = 0; i < findings.files.size(); ++i)
            tags.push_back(findings.tagOf(i) ? findings.tagOf(i)->Artist : "-");
        return tags;
    };
    test::ScriptedRun run;
    test::RecordingProgress progress;
    FoundFiles lists;
    WalkProgress walked;
    AudioTagReader reader;
    ASSERT_EQ(FindFiles(run, lists, walked, folder.path(), &reader), PhaseEnd::Finished);
    const std::vector<std::string> expected =
        describe(ReadAudioTags(run, progress, lists.lstResult));
    EXPECT_EQ(std::count(expected.begin(), expected.end(), "-"), 5);
    TagsReadAhead ahead = reader.finish();
    EXPECT_EQ(ahead.files.size(), 4u); // the link and the pipe are not offered
    EXPECT_EQ(describe(ReadAudioTags(run, progress, lists.lstResult, std::move(ahead))), expected);

    AudioTagReader stopped;
    stopped.stop();
    stopped.offer(0, folder / "a/tagged.mp3");
    EXPECT_TRUE(stopped.finish().files.empty());
}

// The reader opens a file by its name in the folder the walk held open, so what it reads is the
// folder that was walked, whatever its path names later; past the budget of held folders, and
// without one, files are opened by their paths, with the same results.
TEST(AudioFiles, FilesAreReadInTheWalkedFolderAndByPathBeyondTheFoldersHeld) {
    test::TempFolder folder;
    folder.write("walked/song.mp3", std::string(200, 'x') + Block("Song", "Walked"));
    folder.write("walked/gone.mp3", std::string(200, 'x') + Block("Gone", "Renamed"));
    folder.write("other/song.mp3", std::string(200, 'x') + Block("Song", "Other"));
    std::vector<std::unique_ptr<platform::WalkFolder>> walked;
    for (int i = 0; i < 140; ++i)
        walked.push_back(platform::OpenWalkFolder(folder / "walked"));
    ASSERT_TRUE(walked.back());

    AudioTagReader reader;
    std::vector<AudioTagReader::SharedFolder> held;
    for (const auto& one : walked)
        held.push_back(reader.shareFolder(*one));
    EXPECT_TRUE(held.front());
    EXPECT_EQ(std::count(held.begin(), held.end(), nullptr), 140 - 128); // the budget
    held.erase(held.begin() + 1);                                      // one let go: room again
    EXPECT_TRUE(reader.shareFolder(*walked.back()));

    // The walked folder moves away and another takes its path; a file is swapped for a link to
    // a tagged song.
    std::filesystem::rename(folder / "walked", folder / "moved");
    std::filesystem::rename(folder / "other", folder / "walked");
    std::filesystem::remove(folder / "moved/gone.mp3");
    std::filesystem::create_symlink(folder / "moved/song.mp3", folder / "moved/gone.mp3");
    reader.offer(0, folder / "walked/song.mp3", held.front());
    reader.offer(1, folder / "walked/gone.mp3", held.front());
    reader.offer(2, folder / "walked/song.mp3"); // by path: the folder there now
    held.clear();
    walked.clear(); // the reader's own hold keeps the folder open
    const TagsReadAhead ahead = reader.finish();
    ASSERT_EQ(ahead.files.size(), 3u);
    std::vector<std::string> artists;
    for (const TagsReadAhead::File& file : ahead.files)
        artists.push_back(file.tag < 0 ? "-" : ahead.tags[static_cast<size_t>(file.tag)].Artist);
    EXPECT_EQ(artists, (std::vector<std::string>{"Walked", "-", "Other"}));
}


// Files offered from several held folders in turn, and by their paths between them, across many
// batches: each is read in its own folder.
TEST(AudioFiles, FilesOfferedFromFoldersInTurnAreEachReadInTheirOwnFolder) {
    test::TempFolder folder;
    const std::string names[] = {"one", "two", "three"};
    std::vector<std::unique_ptr<platform::WalkFolder>> walked;
    AudioTagReader reader;
    std::vector<AudioTagReader::SharedFolder> held;
    for (const std::string& name : names) {
        folder.write(name + "/song.mp3", std::string(200, 'x') + Block("Song", name));
        walked.push_back(platform::OpenWalkFolder(folder / name));
        ASSERT_TRUE(walked.back());
        held.push_back(reader.shareFolder(*walked.back()));
        ASSERT_TRUE(held.back());
    }
    constexpr size_t kOffers = 1000;
    std::vector<std::string> expected;
    for (size_t i = 0; i < kOffers; ++i) {
        // Runs of one to three files from the same folder, every seventh by its path.
        const size_t which = (i / (1 + i % 3)) % 3;
        const std::string path = folder / (names[which] + "/song.mp3");
        reader.offer(i, path, i % 7 == 0 ? nullptr : held[which]);
        expected.push_back(names[which]);
    }
    held.clear();
    walked.clear();
    const TagsReadAhead ahead = reader.finish();
    std::vector<std::string> artists;
    for (const TagsReadAhead::File& file : ahead.files)
        artists.push_back(file.tag < 0 ? "-" : ahead.tags[static_cast<size_t>(file.tag)].Artist);
    EXPECT_EQ(artists, expected);
}

// Far more files than the reader keeps waiting: the walk's thread reads some of them, and both
// threads read the rest at the end; what comes back is every file once, in the order offered,
// each with its own tag.
TEST(AudioFiles, FilesReadOnBothThreadsComeBackInTheOrderOfferedWithTheirTags) {
    test::TempFolder folder;
    const std::string files[] = {folder.write("a.mp3", std::string(200, 'x') + Block("T", "A")),
                                 folder.write("none.wma", std::string(300, 'y')),
                                 folder.write("b.wma", std::string(10, 'z') + Block("T", "B"))};
    AudioTagReader reader;
    constexpr size_t kOffers = 5000;
    for (size_t i = 0; i < kOffers; ++i)
        reader.offer(2 * i + 1, files[i % 3]);
    const TagsReadAhead ahead = reader.finish();
    ASSERT_EQ(ahead.files.size(), kOffers);
    size_t wrong = 0;
    for (size_t i = 0; i < kOffers; ++i) {
        const TagsReadAhead::File& file = ahead.files[i];
        const std::string artist =
            file.tag < 0 ? "-" : ahead.tags.at(static_cast<size_t>(file.tag)).Artist;
        wrong += file.index != 2 * i + 1 || artist != (i % 3 == 0 ? "A" : i % 3 == 1 ? "-" : "B");
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(ahead.tags.size(), kOffers - (kOffers + 1) / 3); // one tag per tagged file read
    EXPECT_TRUE(reader.finish().files.empty());                // handed over: nothing is kept

    // A stop while many files wait leaves them unread, and offers after it are ignored.
    for (size_t i = 0; i < kOffers; ++i)
        reader.offer(i, files[0]);
    reader.stop();
    reader.offer(kOffers, files[0]);
    const TagsReadAhead stopped = reader.finish();
    EXPECT_LT(stopped.files.size(), kOffers);
    EXPECT_TRUE(std::is_sorted(stopped.files.begin(), stopped.files.end(),
                               [](const auto& a, const auto& b) { return a.index < b.index; }));
}

TEST(Id3v1, ReadsTheLast128BytesOfEachFileAndResetsTheFieldsFirst) {
    test::TempFolder folder;
    std::filesystem::create_symlink("/dev/zero", folder / "zero.mp3");
    int files = 0;
    const auto crafted = [&](const std::string& block) {
        return folder.write(std::to_string(++files) + ".mp3", "x" + block);
    };
    const std::string title30 = "Thirty Characters Exactly Here|Pad Test|NUL Padding|2010||1|12";
    const std::string comment28 = "1234567890123456789012345678";
    const std::tuple<std::string, bool, std::string> cases[] = {
        // file, whether opening it fails, its fields; each file resets what the last one left
        {kMusic + "Long Titles/title30.mp3", false, title30},
        {kMusic + "Ogg/forest.ogg", false, kNoTag},
        {kMusic + "The Test Tones/Silence Is Golden/03 Morning Light.mp3", false,
         "Morning Light|The Test Tones|Silence Is Golden|2004|ffmpeg full tag|3|26"},
        {kMusic + "v2only.mp3", false, kNoTag},
        {crafted(Block(std::string("  Left\0Right  ", 14))), false, "LeftRight|||||0|17"},
        {crafted(Block(std::string("  \0  \0", 6))), false, "|||||0|17"},
        {crafted(Block("Title", "", "", 0, 0, "tag")), false, kNoTag}, // "TAG" in upper case only
        // A 30-byte comment of ID3v1.0: its last two bytes are read as byte 125 and the track.
        {crafted(Block("T", "", comment28, '9', '0')), false, "T||||" + comment28 + "|48|17"},
        {crafted(Block("Caf\xE9 \x80 \x93x\x94", "Bj\xF6rk", "", 'x', 7)), false,
         "Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D|Bj\xC3\xB6rk||||7|17"},
        // Too short to hold audio and a tag: not read.
        {folder.write("128.mp3", Block("Only A Tag", "Other")), false, kNoTag},
        {kMusic + "Long Titles/title30.mp3", false, title30},
        {folder / "missing.mp3", true, kNoTag},
        {folder.makeFolder("Music.mp3"), true, kNoTag},
        {folder / "zero.mp3", true, kNoTag}, // a device behind a link is never opened
    };
    cMP3ID3v1 reader;
    for (const auto& [path, fails, fields] : cases) {
        SCOPED_TRACE(path);
        const TagResult error = reader.MP3File(path);
        EXPECT_EQ(error.has_value(), fails);
        EXPECT_TRUE(!error || error->source.ends_with(".cMP3ID3v1"));
        EXPECT_EQ(reader.MP3File(), path);
        EXPECT_EQ(reader.HasID3v1Tag(), fields != kNoTag);
        EXPECT_EQ(Describe(reader), fields);
    }
}

TEST(Id3v1, UpdateWritesTheBlockInPlaceOrAppendsItAndLeavesOtherFilesAlone) {
    test::TempFolder folder;
    const std::string audio(500, '\xAA');
    const std::string path = folder.write("song.mp3", audio);
    cMP3ID3v1 tag;
    ASSERT_FALSE(tag.MP3File(path).has_value());
    tag.Title("New Title");
    tag.Artist("Caf\xC3\xA9 Band \xE2\x98\x83"); // one Windows-1252 byte on disk; no snowman
    tag.Album("An Album Whose Name Is Longer Than Thirty Bytes");
    tag.Track(4);
    ASSERT_FALSE(tag.Update().has_value());
    // Texts padded with blanks, the year and comment empty, no genre.
    const std::string block = "TAGNew Title" + std::string(21, ' ') + "Caf\xE9 Band ?" +
                              std::string(19, ' ') + "An Album Whose Name Is Longer" +
                              std::string(1 + 4 + 28, ' ') + '\0';
    EXPECT_EQ(test::ReadFile(path), audio + block + "\x04\xFF");
    ASSERT_FALSE(tag.MP3File(path).has_value()); // now over the block that is there
    tag.Track(9);
    ASSERT_FALSE(tag.Update().has_value());
    EXPECT_EQ(test::ReadFile(path), audio + block + "\x09\xFF");

    // An empty file is refused, a short one left alone, a missing one not created.
    const std::string empty = folder.write("empty.mp3", "");
    const std::string shortFile = folder.write("short.mp3", std::string(128, 'x'));
    for (const std::string& other : {shortFile, folder / "gone.mp3", empty}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(tag.MP3File(other).has_value(), other.ends_with("gone.mp3"));
        EXPECT_EQ(tag.Update().has_value(), other != shortFile);
        EXPECT_EQ(test::ReadFile(other), other == shortFile ? std::string(128, 'x') : "");
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "gone.mp3"));
    const TagResult error = tag.Update();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number, 0x80041001u);
    EXPECT_EQ(error->description, empty + " is not a valid MP3 file.");
}

} // namespace
} // namespace vorlith
