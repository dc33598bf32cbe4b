#include "scan/thumbnail_store.h"

#include "platform/file_access.h"
#include "scan/compound_bytes.h"
#include "scan/jpeg_structure.h"
#include "scan/thumbcache.h"
#include "scan/thumbs_db.h"
#include "sources/memory_file.h"
#include "support/test_support.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>

namespace vorlith {
namespace {

using test::BuildCompoundFile;
using test::CatalogItem;
using test::CatalogStream;
using test::CompoundSpec;
using test::SmallJpeg;
using test::ThumbcacheEntry;
using test::ThumbcacheFile;
using test::ThumbnailStream;

const std::string kDrive = std::string(VORLITH_FIXTURES_DIR) + "/media/drive/";
const std::string kPieces = std::string(VORLITH_FIXTURES_DIR) + "/media/analysis/pieces/";

class TestRun final : public RunControl {
public:
    int yields = 0;
    int cancelAtYield = 0; // 0: never
    void yield() override { ++yields; }
    bool isCanceled() const override { return cancelAtYield != 0 && yields >= cancelAtYield; }
};

class PictureList final : public StoredPictureSink {
public:
    std::vector<StoredPicture> pictures;
    void addPicture(StoredPicture picture) override { pictures.push_back(std::move(picture)); }
};

struct Read {
    StoreReadResult result;
    std::vector<StoredPicture> pictures;
};

Read readStore(platform::InputFile& file, TestRun&& run = TestRun()) {
    PictureList list;
    NoProgress progress;
    Read read{ReadThumbnailStore(file, list, run, progress), {}};
    read.pictures = std::move(list.pictures);
    return read;
}
Read readBytes(std::string bytes, TestRun&& run = TestRun()) {
    MemoryInputFile file(std::move(bytes));
    return readStore(file, std::move(run));
}
Read readFixture(const std::string& relative) {
    auto file = platform::OpenRegularFile(kDrive + relative);
    EXPECT_TRUE(file) << relative;
    return file ? readStore(*file) : Read{};
}

std::vector<ByteRange> oneRange(uint64_t offset, uint64_t length) {
    return {ByteRange{offset, length}};
}

std::string joined(const std::vector<std::string>& messages) {
    std::string text;
    for (const std::string& message : messages)
        text += message + "\n";
    return text;
}

// Width and height from the first baseline or progressive frame header, found by walking the
// segments from the start marker.
std::pair<int, int> frameSize(const std::string& jpeg) {
    size_t position = 2;
    while (position + 9 < jpeg.size() && static_cast<uint8_t>(jpeg[position]) == 0xFF) {
        const auto marker = static_cast<uint8_t>(jpeg[position + 1]);
        const size_t length = static_cast<uint8_t>(jpeg[position + 2]) << 8 |
                              static_cast<uint8_t>(jpeg[position + 3]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            auto word = [&](size_t at) {
                return static_cast<uint8_t>(jpeg[at]) << 8 | static_cast<uint8_t>(jpeg[at + 1]);
            };
            return {word(position + 7), word(position + 5)};
        }
        position += 2 + length;
    }
    return {0, 0};
}

std::string utcText(FileTime time) {
    const DateTime value =
        CivilFromUnixSeconds(static_cast<int64_t>(time / 10000000) - kSecondsFrom1601To1970);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", value.year, value.month,
                  value.day, value.hour, value.minute, value.second);
    return text;
}

FileTime fileTimeOf(int64_t unixSeconds) {
    return static_cast<FileTime>(unixSeconds + kSecondsFrom1601To1970) * 10000000;
}

struct ExpectedThumbnail {
    const char* stream;
    const char* name;
    const char* time; // UTC
    size_t size;      // bytes of the picture
    int width;
    int height;
};

void expectThumbnails(const Read& read, const std::vector<ExpectedThumbnail>& expected) {
    EXPECT_EQ(read.result.format, StoreFormat::ThumbsDb);
    EXPECT_EQ(read.result.outcome, StoreOutcome::Read);
    EXPECT_EQ(read.result.messages, std::vector<std::string>{});
    EXPECT_EQ(read.result.pictureCount, static_cast<int64_t>(expected.size()));
    ASSERT_EQ(read.pictures.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].stream);
        const StoredPicture& picture = read.pictures[i];
        EXPECT_EQ(picture.key, expected[i].stream);
        EXPECT_EQ(picture.originalName, expected[i].name);
        ASSERT_TRUE(picture.originalTime);
        EXPECT_EQ(utcText(*picture.originalTime), expected[i].time);
        EXPECT_EQ(picture.format, PictureFormat::Jpeg);
        // Whole: the start marker with JFIF first, the end marker last, nothing cut or added.
        EXPECT_EQ(picture.bytes.size(), expected[i].size);
        EXPECT_EQ(picture.bytes.substr(0, 4), "\xFF\xD8\xFF\xE0");
        EXPECT_EQ(picture.bytes.substr(picture.bytes.size() - 2), "\xFF\xD9");
        EXPECT_EQ(CompleteJpegLength(picture.bytes), expected[i].size);
        EXPECT_EQ(frameSize(picture.bytes), std::make_pair(expected[i].width, expected[i].height));
    }
}

TEST(ThumbsDb, RealWindowsXpStoreGivesItsFifteenPicturesWholeWithTheirCatalogNames) {
    // Streams in the mini stream are spread over several runs there; the cut at markers tore
    // six of these apart and garbled one.
    expectThumbnails(
        readFixture("Users/alice/Documents/Scans/THUMBS.DB"),
        {
            {"1", "zoolemur1.jpg", "2010-02-02 03:25:06", 3039, 96, 72},
            {"2", "Copy (2) of danger-sign-shock.jpg", "2010-02-02 03:25:04", 4098, 96, 64},
            {"3", "Copy (2) of Kookaburra_at_Marwell.jpg", "2010-02-02 03:25:02", 2878, 96, 64},
            {"4", "Copy (2) of Makari_the_Tiger.jpg", "2010-02-02 03:25:04", 5238, 96, 96},
            {"5", "Copy (2) of prairiedogs.jpg", "2010-02-02 03:25:06", 2963, 96, 72},
            {"6", "Copy (2) of zoolemur1.jpg", "2010-02-02 03:25:06", 3039, 96, 72},
            {"7", "Copy of danger-sign-shock.jpg", "2010-02-02 03:25:04", 4098, 96, 64},
            {"8", "Copy of Kookaburra_at_Marwell.jpg", "2010-02-02 03:25:02", 2878, 96, 64},
            {"9", "Copy of Makari_the_Tiger.jpg", "2010-02-02 03:25:04", 5238, 96, 96},
            {"01", "Copy of prairiedogs.jpg", "2010-02-02 03:25:06", 2963, 96, 72},
            {"11", "Copy of zoolemur1.jpg", "2010-02-02 03:25:06", 3039, 96, 72},
            {"21", "danger-sign-shock.jpg", "2010-02-02 03:25:04", 4098, 96, 64},
            {"31", "Kookaburra_at_Marwell.jpg", "2010-02-02 03:25:02", 2878, 96, 64},
            {"41", "Makari_the_Tiger.jpg", "2010-02-02 03:25:04", 5238, 96, 96},
            {"51", "prairiedogs.jpg", "2010-02-02 03:25:06", 2963, 96, 72},
        });
}

TEST(ThumbsDb, GeneratedStoreGivesItsThreePicturesWithTheirCatalogNames) {
    for (const char* name : {"Thumbs.db", "thumbs.db.bak"}) {
        SCOPED_TRACE(name);
        expectThumbnails(readFixture(std::string("Users/alice/Pictures/Old XP Photos/") + name),
                         {
                             {"1", "rose.jpg", "2004-07-01 00:00:00", 1734, 96, 63},
                             {"2", "logo.jpg", "2004-07-01 00:01:00", 1696, 96, 72},
                             {"3", "wizard.jpg", "2004-07-01 00:02:00", 1723, 72, 96},
                         });
    }
}

TEST(Thumbcache, FixtureFilesGiveEveryEntryAsStoredAndTheIndexNone) {
    struct Entry {
        PictureFormat format;
        uint64_t offset; // of the data in the file
        size_t size;
    };
    const std::string folder = "Users/alice/AppData/Local/Microsoft/Windows/Explorer/";
    const std::vector<std::pair<std::string, std::vector<Entry>>> cases = {
        {"thumbcache_256.db",
         {{PictureFormat::Jpeg, 104, 6315},
          {PictureFormat::Jpeg, 6497, 5585},
          {PictureFormat::Png, 12162, 5803},
          {PictureFormat::Jpeg, 18041, 4380}}},
        {"thumbcache_32.db", {{PictureFormat::Jpeg, 104, 704}, {PictureFormat::Jpeg, 888, 633}}},
    };
    for (const auto& [name, entries] : cases) {
        SCOPED_TRACE(name);
        const std::string bytes = test::ReadFile(kDrive + folder + name);
        const Read read = readFixture(folder + name);
        EXPECT_EQ(read.result.format, StoreFormat::ThumbCache);
        EXPECT_EQ(read.result.outcome, StoreOutcome::Read);
        EXPECT_EQ(joined(read.result.messages), "");
        EXPECT_EQ(read.result.leftovers, std::vector<ByteRange>{});
        ASSERT_EQ(read.pictures.size(), entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            SCOPED_TRACE(i);
            const StoredPicture& picture = read.pictures[i];
            EXPECT_EQ(picture.format, entries[i].format);
            EXPECT_EQ(picture.bytes, bytes.substr(entries[i].offset, entries[i].size));
            // The identifier string just before the data spells the hash in UTF-16, without
            // leading zeros.
            ASSERT_TRUE(picture.entryHash);
            const std::string identifier = test::Utf16Le(fmt::format("{:x}", *picture.entryHash));
            EXPECT_EQ(identifier,
                      bytes.substr(entries[i].offset - identifier.size(), identifier.size()));
            EXPECT_EQ(picture.key, fmt::format("{:016x}", *picture.entryHash));
        }
    }
    const Read index = readFixture(folder + "thumbcache_idx.db");
    EXPECT_EQ(index.result.format, StoreFormat::ThumbCacheIndex);
    EXPECT_EQ(index.result.outcome, StoreOutcome::Read);
    EXPECT_TRUE(index.pictures.empty());
    EXPECT_TRUE(index.result.leftovers.empty());
}

TEST(JpegStructure, MarkerCutPiecesOfTheFixturesCountOnlyWhenTheyDecodeCleanly) {
    // Whether each piece decodes cleanly, as the fixture's analysis found with a JPEG decoder;
    // piece 11 decodes only with a warning into a picture that matches no stored one.
    const std::string store = "Users_alice_Documents_Scans_THUMBS.DB/";
    const std::vector<std::pair<std::string, bool>> pieces = {
        {store + "piece01.jpg", true},
        {store + "piece02.jpg", false},
        {store + "piece03.jpg", true},
        {store + "piece04.jpg", false},
        {store + "piece05.jpg", true},
        {store + "piece06.jpg", true},
        {store + "piece07.jpg", false},
        {store + "piece08.jpg", true},
        {store + "piece09.jpg", false},
        {store + "piece10.jpg", true},
        {store + "piece11.jpg", false},
        {store + "piece12.jpg", false},
        {store + "piece13.jpg", true},
        {store + "piece14.jpg", false},
        {store + "piece15.jpg", true},
        {"Users_alice_AppData_Local_Microsoft_Windows_Explorer_thumbcache_256.db/piece02.jpg",
         true},
        {"Users_alice_Pictures_Old_XP_Photos_Thumbs.db/piece03.jpg", true},
    };
    for (const auto& [piece, decodes] : pieces) {
        SCOPED_TRACE(piece);
        const std::string bytes = test::ReadFile(kPieces + piece);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(IsCompleteJpeg(bytes), decodes);
    }
}

TEST(JpegStructure, CompleteOnlyWithStartFrameScanAndEnd) {
    const std::string jpeg = SmallJpeg(32, 24);
    const size_t sofAt = jpeg.find("\xFF\xC0");
    const size_t sosAt = jpeg.find("\xFF\xDA");
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<size_t> length;
    };
    const Case cases[] = {
        {"whole", jpeg, jpeg.size()},
        {"bytes after the end marker are not part of it", jpeg + "trailing", jpeg.size()},
        {"fill bytes before a marker", jpeg.substr(0, sofAt) + "\xFF\xFF" + jpeg.substr(sofAt),
         jpeg.size() + 2},
        {"cut before the end marker", jpeg.substr(0, jpeg.size() - 2), std::nullopt},
        {"no start marker", jpeg.substr(2), std::nullopt},
        {"no frame header", jpeg.substr(0, sofAt) + jpeg.substr(jpeg.find("\xFF\xC4")),
         std::nullopt},
        {"end marker before any scan", jpeg.substr(0, sosAt) + "\xFF\xD9", std::nullopt},
        {"stray bytes between segments", jpeg.substr(0, sofAt) + "garbage" + jpeg.substr(sofAt),
         std::nullopt},
        {"a segment longer than the bytes", jpeg.substr(0, sofAt) + "\xFF\xE1\x7F\xFF",
         std::nullopt},
        {"a second start marker", jpeg.substr(0, sofAt) + "\xFF\xD8" + jpeg.substr(sofAt),
         std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CompleteJpegLength(c.bytes), c.length);
    }
}

TEST(ThumbsDb, StreamNamesSpellTheCatalogNumberBackwards) {
    const std::vector<std::pair<std::string, std::optional<uint32_t>>> cases = {
        {"1", 1},     {"01", 10},         {"21", 12},
        {"001", 100}, {"Catalog", {}},    {"256_79dea834", {}},
        {"", {}},     {"1234567890", {}}, {"987654321", 123456789},
    };
    for (const auto& [name, number] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ThumbsDbCatalogNumber(name), number);
    }
}

TEST(ThumbsDb, CatalogWhoseLastNameRunsPastTheStreamKeepsTheEntriesBefore) {
    std::string catalog = CatalogStream(
        {{1, fileTimeOf(0), "first.jpg"}, {2, fileTimeOf(60), "second-with-a-long-name.jpg"}});
    // The second entry's length says 200 bytes; the stream ends inside its name.
    const size_t secondAt = 16 + 4 + 4 + 8 + 20;
    test::PatchLittle32(catalog, secondAt, 200);
    catalog.resize(secondAt + 16 + 14); // seven characters of the name are left
    const ThumbsDbCatalog parsed = ParseThumbsDbCatalog(catalog);
    ASSERT_EQ(parsed.entries.size(), 2u);
    EXPECT_EQ(parsed.entries[0].name, "first.jpg");
    EXPECT_EQ(parsed.entries[0].time, fileTimeOf(0));
    EXPECT_EQ(parsed.entries[1].number, 2u);
    EXPECT_EQ(parsed.entries[1].name, "second-");
    EXPECT_EQ(joined(parsed.messages),
              "Catalog entry 2 at byte 52: 200 bytes claimed, 30 left in the stream; its name is "
              "cut there\n");

    // An entry too short for its own fields ends the parse too.
    std::string tooShort = CatalogStream({{1, 0, "a.jpg"}, {2, 0, "b.jpg"}});
    test::PatchLittle32(tooShort, 16 + 28, 8); // after the header and the 28-byte first entry
    const ThumbsDbCatalog cut = ParseThumbsDbCatalog(tooShort);
    EXPECT_EQ(cut.entries.size(), 1u);
    EXPECT_EQ(joined(cut.messages), "Catalog entry 2 at byte 44: 8 bytes, too short for its "
                                    "fields (28 left in the stream)\n");
}

// A store of small and large thumbnails: the small ones in the mini stream, the large in sectors.
CompoundSpec mixedStore(const std::vector<std::string>& pictures) {
    CompoundSpec spec;
    std::vector<CatalogItem> items;
    for (size_t i = 0; i < pictures.size(); ++i) {
        std::string name = std::to_string(i + 1);
        std::reverse(name.begin(), name.end());
        spec.streams.push_back({name, ThumbnailStream(pictures[i])});
        items.push_back({static_cast<uint32_t>(i + 1), fileTimeOf(1000 * int64_t(i)),
                         "picture" + std::to_string(i + 1) + ".jpg"});
    }
    spec.streams.insert(spec.streams.begin(), {"Catalog", CatalogStream(items)});
    return spec;
}

TEST(ThumbsDb, BrokenChainsDropOnlyTheirOwnStream) {
    const std::vector<std::string> pictures = {SmallJpeg(10, 10), SmallJpeg(20, 20, 6000),
                                               SmallJpeg(30, 30, 9000)};
    struct Case {
        const char* name;
        std::function<void(test::CompoundBytes&)> damage;
        std::string message;
    };
    const Case cases[] = {
        {"a chain that loops back",
         [](test::CompoundBytes& store) {
             const uint32_t first = store.firstSector.at("2");
             test::PatchLittle32(store.bytes, store.fatEntryOffset(first + 3), first + 1);
         },
         "stream \"2\": the chain loops back to sector 5 after 4 sectors\n"},
        {"a chain that points past the end",
         [](test::CompoundBytes& store) {
             test::PatchLittle32(store.bytes, store.fatEntryOffset(store.firstSector.at("2") + 1),
                                 9999);
         },
         "stream \"2\": sector 9999 lies past the end of the file (36 sectors)\n"},
        {"a chain that ends early",
         [](test::CompoundBytes& store) {
             test::PatchLittle32(store.bytes, store.fatEntryOffset(store.firstSector.at("2") + 5),
                                 0xFFFFFFFE);
         },
         "stream \"2\": the chain ends after 6 sectors; the size needs 13\n"},
        {"a chain that reaches a free sector",
         [](test::CompoundBytes& store) {
             test::PatchLittle32(store.bytes, store.fatEntryOffset(store.firstSector.at("2")),
                                 0xFFFFFFFF);
         },
         "stream \"2\": the chain reaches a free sector after 1 sectors\n"},
        {"a size larger than the file",
         [](test::CompoundBytes& store) {
             // The third stream's directory entry is the fifth: root, Catalog, 1, 2, 3.
             test::PatchLittle32(
                 store.bytes, store.sectorOffset(store.directorySector) + 4 * 128 + 120, 1 << 30);
         },
         "stream \"3\": 1073741824 bytes, more than the 33554432 taken\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::CompoundBytes store = BuildCompoundFile(mixedStore(pictures));
        c.damage(store);
        const Read read = readBytes(store.bytes);
        EXPECT_EQ(read.result.outcome, StoreOutcome::Read);
        EXPECT_EQ(joined(read.result.messages), c.message);
        std::vector<std::string> keys;
        for (const StoredPicture& picture : read.pictures) {
            keys.push_back(picture.key);
            EXPECT_EQ(picture.bytes, pictures[std::stoi(picture.key) - 1]);
            EXPECT_EQ(picture.originalName, "picture" + picture.key + ".jpg");
        }
        const std::string broken = c.message.substr(8, 1);
        std::vector<std::string> expected;
        for (const char* key : {"1", "2", "3"})
            if (key != broken)
                expected.push_back(key);
        EXPECT_EQ(keys, expected);
    }
}

TEST(ThumbsDb, ContainerThatCannotBeReadIsDroppedWhole) {
    const std::vector<std::string> pictures = {SmallJpeg(10, 10), SmallJpeg(20, 20, 6000)};
    struct Case {
        const char* name;
        std::function<void(test::CompoundBytes&)> damage;
        StoreOutcome outcome;
        std::string message;
    };
    const Case cases[] = {
        {"a directory chain that loops on itself",
         [](test::CompoundBytes& store) {
             test::PatchLittle32(store.bytes, store.fatEntryOffset(store.directorySector),
                                 store.directorySector);
         },
         StoreOutcome::Damaged, "directory: the chain loops back to sector 0 after 1 sectors\n"},
        {"a directory past the end",
         [](test::CompoundBytes& store) { test::PatchLittle32(store.bytes, 48, 70000); },
         StoreOutcome::Damaged,
         "directory: sector 70000 lies past the end of the file (17 sectors)\n"},
        {"a FAT claimed to span four billion sectors",
         [](test::CompoundBytes& store) {
             test::PatchLittle32(store.bytes, 44, 0xFFFFFFFF);
             test::PatchLittle32(store.bytes, 48, 0xFFFFFFFA);
         },
         StoreOutcome::Damaged,
         "directory: sector 4294967290 lies past the end of the file (17 sectors)\n"},
        {"an unknown sector size", [](test::CompoundBytes& store) { store.bytes[30] = 10; },
         StoreOutcome::NotRecognised,
         "header: byte order 0xfffe, sector shift 10, mini sector shift 6 is not a layout of "
         "the format\n"},
        {"a header cut short", [](test::CompoundBytes& store) { store.bytes.resize(300); },
         StoreOutcome::Damaged, "header: the file ends at byte 300, inside the 512-byte header\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::CompoundBytes store = BuildCompoundFile(mixedStore(pictures));
        c.damage(store);
        const Read read = readBytes(store.bytes);
        EXPECT_EQ(read.result.outcome, c.outcome);
        EXPECT_EQ(joined(read.result.messages), c.message);
        EXPECT_TRUE(read.pictures.empty());
        EXPECT_EQ(read.result.leftovers, oneRange(0, static_cast<uint64_t>(store.bytes.size())));
    }
}

TEST(ThumbsDb, LargeStoresFindTheirFatThroughTheDifatAndLeaveFreeSectorsOver) {
    // 110 and more FAT sectors of 128 entries: the last ones are listed in DIFAT sectors.
    const std::string large = SmallJpeg(300, 200, 7u << 20);
    const std::string small = SmallJpeg(8, 8);
    CompoundSpec spec = mixedStore({small, large});
    spec.freeBytes = std::string(1500, 'x');
    const test::CompoundBytes store = BuildCompoundFile(spec);
    ASSERT_GT(store.fatSectors.size(), 109u);
    const Read read = readBytes(store.bytes);
    EXPECT_EQ(joined(read.result.messages), "");
    ASSERT_EQ(read.pictures.size(), 2u);
    EXPECT_EQ(read.pictures[0].bytes, small);
    EXPECT_EQ(read.pictures[1].bytes, large);
    // The FAT's own spare entries cover no sector of the file; the three free sectors do.
    EXPECT_EQ(read.result.leftovers, oneRange(store.sectorOffset(store.freeSector), 3 * 512));

    spec.sectorShift = 12;
    const test::CompoundBytes version4 = BuildCompoundFile(spec);
    const Read read4 = readBytes(version4.bytes);
    ASSERT_EQ(read4.pictures.size(), 2u);
    EXPECT_EQ(read4.pictures[1].bytes, large);
    EXPECT_EQ(read4.result.leftovers, oneRange(version4.sectorOffset(version4.freeSector), 4096));
}

TEST(ThumbsDb, StopsAtTheYieldAfterACancel) {
    std::vector<std::string> pictures(45, SmallJpeg(8, 8));
    TestRun run;
    run.cancelAtYield = 2;
    const Read read = readBytes(BuildCompoundFile(mixedStore(pictures)).bytes, std::move(run));
    EXPECT_EQ(read.result.outcome, StoreOutcome::Stopped);
    EXPECT_EQ(read.pictures.size(), 40u);
    EXPECT_TRUE(read.result.leftovers.empty());
}

TEST(Thumbcache, EntryRunningPastTheFileEndsTheWalkWithTheRestLeftOver) {
    const std::string first = ThumbcacheEntry(0x1111, SmallJpeg(16, 16));
    std::string second = ThumbcacheEntry(0x2222, SmallJpeg(24, 16));
    test::PatchLittle32(second, 4, 100000);
    const std::string file = ThumbcacheFile({first, second});
    const Read read = readBytes(file);
    EXPECT_EQ(read.result.outcome, StoreOutcome::Damaged);
    ASSERT_EQ(read.pictures.size(), 1u);
    EXPECT_EQ(read.pictures[0].key, "0000000000001111");
    EXPECT_EQ(read.pictures[0].bytes, SmallJpeg(16, 16));
    const uint64_t secondAt = 24 + first.size();
    EXPECT_EQ(joined(read.result.messages),
              fmt::format("entry 2 at byte {}: its size of 100000 bytes runs past the end of the "
                          "file ({} bytes)\n",
                          secondAt, file.size()));
    EXPECT_EQ(read.result.leftovers, oneRange(secondAt, file.size() - secondAt));
}

TEST(Thumbcache, EntriesWithoutAPictureAreSkippedAndTheWalkGoesOn) {
    std::string overrun = ThumbcacheEntry(0x3333, SmallJpeg(16, 16));
    test::PatchLittle32(overrun, 24, 5000); // data size past the entry
    const std::string file = ThumbcacheFile({
        ThumbcacheEntry(0x1111, ""),              // kept for a file without a thumbnail
        ThumbcacheEntry(0x2222, "not a picture"), //
        overrun,
        ThumbcacheEntry(0x4444, "BM" + std::string(60, '\0'), 8), // padding before the data
    });
    const Read read = readBytes(file);
    EXPECT_EQ(read.result.outcome, StoreOutcome::Read);
    ASSERT_EQ(read.pictures.size(), 1u);
    EXPECT_EQ(read.pictures[0].key, "0000000000004444");
    EXPECT_EQ(read.pictures[0].format, PictureFormat::Bmp);
    EXPECT_EQ(read.pictures[0].bytes, "BM" + std::string(60, '\0'));
    const std::string text = joined(read.result.messages);
    EXPECT_NE(text.find("entry 2 (0000000000002222) at byte 104: its data is no JPEG, PNG or BMP"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("entry 3 (0000000000003333) at byte 197: 5000 bytes of data at +80 run "
                        "past its 262 bytes"),
              std::string::npos)
        << text;
}

TEST(ThumbnailStore, UnknownStoresAreLeftWholeForTheMarkerCut) {
    std::string unknownVersion = ThumbcacheFile({ThumbcacheEntry(1, SmallJpeg(8, 8))}, 99);
    const std::vector<std::tuple<const char*, std::string, std::string>> cases = {
        {"an unknown thumbcache version", unknownVersion,
         "thumbcache format version 99 is not known\n"},
        {"no signature", "\xFF\xD8\xFF\xE0 just bytes", "no known thumbnail-store signature\n"},
        {"a compound-file signature alone", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8),
         "header: the file ends at byte 8, inside the 512-byte header\n"},
    };
    for (const auto& [name, bytes, message] : cases) {
        SCOPED_TRACE(name);
        const Read read = readBytes(bytes);
        EXPECT_TRUE(read.pictures.empty());
        EXPECT_EQ(joined(read.result.messages), message);
        EXPECT_EQ(read.result.leftovers, oneRange(0, static_cast<uint64_t>(bytes.size())));
    }
    const Read empty = readBytes("");
    EXPECT_EQ(empty.result.outcome, StoreOutcome::NotRecognised);
    EXPECT_TRUE(empty.result.leftovers.empty());
}

} // namespace
} // namespace vorlith
