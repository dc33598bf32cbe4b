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
#include <set>

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

std::string utcText(FileTime time) {
    const DateTime t = CivilFromUnixSeconds(int64_t(time / 10000000) - kSecondsFrom1601To1970);
    return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", t.year, t.month, t.day, t.hour,
                       t.minute, t.second);
}

FileTime fileTimeOf(int64_t unixSeconds) {
    return static_cast<FileTime>(unixSeconds + kSecondsFrom1601To1970) * 10000000;
}

struct ExpectedThumbnail {
    const char* stream;
    const char* name;
    const char* time; // UTC
    size_t size;      // bytes of the picture, as its stream header gives it
};

TEST(ThumbsDb, FixtureStoresGiveEveryPictureWholeWithItsCatalogName) {
    // In the real store the small streams are spread over several runs of the mini stream; the
    // cut at markers tore six of them apart and garbled one.
    const char* real = "Users/alice/Documents/Scans/THUMBS.DB";
    const char* generated = "Users/alice/Pictures/Old XP Photos/Thumbs.db";
    const std::vector<std::pair<const char*, std::vector<ExpectedThumbnail>>> cases = {
        {real,
         {{"1", "zoolemur1.jpg", "2010-02-02 03:25:06", 3039},
          {"2", "Copy (2) of danger-sign-shock.jpg", "2010-02-02 03:25:04", 4098},
          {"3", "Copy (2) of Kookaburra_at_Marwell.jpg", "2010-02-02 03:25:02", 2878},
          {"4", "Copy (2) of Makari_the_Tiger.jpg", "2010-02-02 03:25:04", 5238},
          {"5", "Copy (2) of prairiedogs.jpg", "2010-02-02 03:25:06", 2963},
          {"6", "Copy (2) of zoolemur1.jpg", "2010-02-02 03:25:06", 3039},
          {"7", "Copy of danger-sign-shock.jpg", "2010-02-02 03:25:04", 4098},
          {"8", "Copy of Kookaburra_at_Marwell.jpg", "2010-02-02 03:25:02", 2878},
          {"9", "Copy of Makari_the_Tiger.jpg", "2010-02-02 03:25:04", 5238},
          {"01", "Copy of prairiedogs.jpg", "2010-02-02 03:25:06", 2963},
          {"11", "Copy of zoolemur1.jpg", "2010-02-02 03:25:06", 3039},
          {"21", "danger-sign-shock.jpg", "2010-02-02 03:25:04", 4098},
          {"31", "Kookaburra_at_Marwell.jpg", "2010-02-02 03:25:02", 2878},
          {"41", "Makari_the_Tiger.jpg", "2010-02-02 03:25:04", 5238},
          {"51", "prairiedogs.jpg", "2010-02-02 03:25:06", 2963}}},
        {generated,
         {{"1", "rose.jpg", "2004-07-01 00:00:00", 1734},
          {"2", "logo.jpg", "2004-07-01 00:01:00", 1696},
          {"3", "wizard.jpg", "2004-07-01 00:02:00", 1723}}},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path);
        const Read read = readFixture(path);
        EXPECT_EQ(read.result.format, StoreFormat::ThumbsDb);
        EXPECT_EQ(read.result.outcome, StoreOutcome::Read);
        EXPECT_EQ(joined(read.result.messages), "");
        ASSERT_EQ(read.pictures.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(expected[i].stream);
            const StoredPicture& picture = read.pictures[i];
            EXPECT_EQ(picture.key, expected[i].stream);
            EXPECT_EQ(picture.originalName, expected[i].name);
            EXPECT_EQ(utcText(picture.originalTime.value_or(0)), expected[i].time);
            // Whole: start marker and JFIF first, end marker last, a frame header between.
            EXPECT_EQ(picture.bytes.size(), expected[i].size);
            EXPECT_EQ(picture.bytes.substr(0, 4), "\xFF\xD8\xFF\xE0");
            EXPECT_EQ(picture.bytes.substr(picture.bytes.size() - 2), "\xFF\xD9");
            EXPECT_EQ(CompleteJpegLength(picture.bytes), expected[i].size);
        }
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
        {"thumbcache_idx.db", {}},
    };
    for (const auto& [name, entries] : cases) {
        SCOPED_TRACE(name);
        const std::string bytes = test::ReadFile(kDrive + folder + name);
        const Read read = readFixture(folder + name);
        EXPECT_EQ(read.result.format,
                  entries.empty() ? StoreFormat::ThumbCacheIndex : StoreFormat::ThumbCache);
        EXPECT_EQ(read.result.outcome, StoreOutcome::Read);
        EXPECT_EQ(joined(read.result.messages), "");
        EXPECT_TRUE(read.result.leftovers.empty());
        ASSERT_EQ(read.pictures.size(), entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            const StoredPicture& picture = read.pictures[i];
            EXPECT_EQ(picture.format, entries[i].format);
            EXPECT_EQ(picture.bytes, bytes.substr(entries[i].offset, entries[i].size));
            // The identifier string just before the data spells the hash in UTF-16 hexadecimal
            // without leading zeros.
            const std::string identifier = test::Utf16Le(fmt::format("{:x}", *picture.entryHash));
            EXPECT_EQ(identifier,
                      bytes.substr(entries[i].offset - identifier.size(), identifier.size()));
            EXPECT_EQ(picture.key, fmt::format("{:016x}", *picture.entryHash));
        }
    }
}

TEST(JpegStructure, MarkerCutPiecesOfTheRealStoreCountOnlyWhenTheyDecodeCleanly) {
    // As the fixture's analysis found with a JPEG decoder: pieces 2, 4, 7, 9, 12 and 14 do not
    // decode, 11 decodes only with a warning into a picture that matches no stored one.
    const std::set<int> broken = {2, 4, 7, 9, 11, 12, 14};
    for (int piece = 1; piece <= 15; ++piece) {
        SCOPED_TRACE(piece);
        const std::string bytes = test::ReadFile(
            kPieces + fmt::format("Users_alice_Documents_Scans_THUMBS.DB/piece{:02}.jpg", piece));
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(IsCompleteJpeg(bytes), !broken.contains(piece));
    }
}

TEST(JpegStructure, CompleteOnlyWithStartFrameScanAndEnd) {
    const std::string jpeg = SmallJpeg(32, 24);
    const std::string head = jpeg.substr(0, jpeg.find("\xFF\xC0")); // up to the frame header
    const std::string frameOn = jpeg.substr(head.size());
    const std::vector<std::pair<std::string, std::optional<size_t>>> cases = {
        {jpeg, jpeg.size()},
        {jpeg + "bytes after the end marker", jpeg.size()},
        {head + "\xFF\xFF" + frameOn, jpeg.size() + 2}, // fill bytes before a marker
        {jpeg.substr(0, jpeg.size() - 2), std::nullopt},
        {jpeg.substr(2), std::nullopt},
        {head + jpeg.substr(jpeg.find("\xFF\xC4")), std::nullopt},          // no frame header
        {jpeg.substr(0, jpeg.find("\xFF\xDA")) + "\xFF\xD9", std::nullopt}, // no scan
        {head + "stray bytes" + frameOn, std::nullopt},
        {head + "\xFF\xE1\x7F\xFF", std::nullopt}, // a segment longer than the bytes
        {"", std::nullopt},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CompleteJpegLength(cases[i].first), cases[i].second);
    }
}

TEST(ThumbsDb, StreamNamesSpellTheCatalogNumberBackwards) {
    const std::vector<std::pair<std::string, std::optional<uint32_t>>> cases = {
        {"1", 1},        {"01", 10},           {"001", 100}, {"987654321", 123456789},
        {"Catalog", {}}, {"256_79dea834", {}}, {"", {}},     {"1234567890", {}},
    };
    for (const auto& [name, number] : cases)
        EXPECT_EQ(ThumbsDbCatalogNumber(name), number) << name;
}

TEST(ThumbsDb, CatalogWhoseLastNameRunsPastTheStreamKeepsTheEntriesBefore) {
    std::string catalog = CatalogStream(
        {{1, fileTimeOf(0), "first.jpg"}, {2, fileTimeOf(60), "second-with-a-long-name.jpg"}});
    // The second entry (after the 16-byte header and the 36-byte first entry) claims 200 bytes;
    // the stream ends after seven characters of its name.
    test::PatchLittle32(catalog, 52, 200);
    catalog.resize(52 + 16 + 14);
    const ThumbsDbCatalog parsed = ParseThumbsDbCatalog(catalog);
    ASSERT_EQ(parsed.entries.size(), 2u);
    EXPECT_EQ(parsed.entries[0].name, "first.jpg");
    EXPECT_EQ(parsed.entries[0].time, fileTimeOf(0));
    EXPECT_EQ(parsed.entries[1].number, 2u);
    EXPECT_EQ(parsed.entries[1].name, "second-");
    EXPECT_EQ(joined(parsed.messages),
              "Catalog entry 2 at byte 52: 200 bytes claimed, 30 left in the stream; its name is "
              "cut there\n");
}

// A store with a Catalog, small thumbnails in the mini stream and large ones in sectors.
CompoundSpec mixedStore(const std::vector<std::string>& pictures) {
    CompoundSpec spec;
    std::vector<CatalogItem> items;
    for (uint32_t number = 1; number <= pictures.size(); ++number) {
        std::string name = std::to_string(number);
        std::reverse(name.begin(), name.end());
        spec.streams.push_back({name, ThumbnailStream(pictures[number - 1])});
        items.push_back({number, 0, "picture" + std::to_string(number) + ".jpg"});
    }
    spec.streams.insert(spec.streams.begin(), {"Catalog", CatalogStream(items)});
    return spec;
}

TEST(ThumbsDb, BrokenChainsDropTheirStreamAndABrokenContainerTheWholeStructure) {
    const std::vector<std::string> pictures = {SmallJpeg(10, 10), SmallJpeg(20, 20, 6000),
                                               SmallJpeg(30, 30, 9000)};
    // Sectors: directory 0-1, mini FAT 2, mini stream 3, stream "2" 4-16, "3" 17-34, FAT 35.
    struct Case {
        std::vector<std::pair<uint32_t, uint32_t>> fatPatches;  // sector, new FAT entry
        std::vector<std::pair<uint64_t, uint32_t>> bytePatches; // offset, new 32-bit value
        std::vector<std::string> keys;                          // the pictures still given
        std::string message;
    };
    const Case cases[] = {
        {{{7, 5}},
         {},
         {"1", "3"},
         "stream \"2\": the chain loops back to sector 5 after 4 sectors"},
        {{{5, 9999}},
         {},
         {"1", "3"},
         "stream \"2\": sector 9999 lies past the end of the file (36 sectors)"},
        {{{9, 0xFFFFFFFE}},
         {},
         {"1", "3"},
         "stream \"2\": the chain ends after 6 sectors; the size needs 13"},
        {{{4, 0xFFFFFFFF}},
         {},
         {"1", "3"},
         "stream \"2\": the chain reaches a free sector after 1 sector"},
        // The size of stream "3", the fifth directory entry.
        {{},
         {{512 + 4 * 128 + 120, 1u << 30}},
         {"1", "2"},
         "stream \"3\": 1073741824 bytes, more than the 33554432 taken"},
        {{{1, 0}}, {}, {}, "directory: the chain loops back to sector 0 after 2 sectors"},
        // A FAT said to span four billion sectors and a directory far past the end; then 1 KiB
        // sectors.
        {{},
         {{44, 0xFFFFFFFF}, {48, 0xFFFFFFFA}},
         {},
         "directory: sector 4294967290 lies past the end of the file (36 sectors)"},
        {{},
         {{30, 10 | 6 << 16}},
         {},
         "header: byte order 0xfffe, sector shift 10, mini sector shift 6 is not a layout of the "
         "format"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        test::CompoundBytes store = BuildCompoundFile(mixedStore(pictures));
        for (const auto& [sector, entry] : c.fatPatches)
            test::PatchLittle32(store.bytes, store.fatEntryOffset(sector), entry);
        for (const auto& [offset, value] : c.bytePatches)
            test::PatchLittle32(store.bytes, offset, value);
        const Read read = readBytes(store.bytes);
        EXPECT_EQ(joined(read.result.messages), c.message + "\n");
        std::vector<std::string> keys;
        for (const StoredPicture& picture : read.pictures) {
            keys.push_back(picture.key);
            EXPECT_EQ(picture.bytes, pictures[std::stoul(picture.key) - 1]);
            EXPECT_EQ(picture.originalName, "picture" + picture.key + ".jpg");
        }
        EXPECT_EQ(keys, c.keys);
        if (c.keys.empty()) // the structure is dropped: all of it is left for the marker cut
            EXPECT_EQ(read.result.leftovers, oneRange(0, store.bytes.size()));
        else
            EXPECT_EQ(read.result.outcome, StoreOutcome::Read);
    }
}

TEST(ThumbsDb, LargeStoresFindTheirFatThroughTheDifatAndLeaveFreeSectorsOver) {
    // 110 and more FAT sectors of 128 entries: the last ones are listed in DIFAT sectors.
    const std::string large = SmallJpeg(300, 200, 7u << 20);
    CompoundSpec spec = mixedStore({SmallJpeg(8, 8), large});
    spec.freeBytes = std::string(1500, 'x');
    for (uint32_t shift : {9, 12}) {
        SCOPED_TRACE(shift);
        spec.sectorShift = shift;
        const test::CompoundBytes store = BuildCompoundFile(spec);
        EXPECT_EQ(store.fatSectors.size() > 109, shift == 9);
        const Read read = readBytes(store.bytes);
        EXPECT_EQ(joined(read.result.messages), "");
        ASSERT_EQ(read.pictures.size(), 2u);
        EXPECT_EQ(read.pictures[1].bytes, large);
        // The free sectors, and not the FAT's spare entries past the end of the file.
        EXPECT_EQ(read.result.leftovers, oneRange(store.sectorOffset(store.freeSector),
                                                  uint64_t{store.freeSectors} * store.sectorSize));
    }
}

TEST(ThumbsDb, StopsAtTheYieldAfterACancel) {
    TestRun run;
    run.cancelAtYield = 2;
    const Read read = readBytes(
        BuildCompoundFile(mixedStore(std::vector<std::string>(45, SmallJpeg(8, 8)))).bytes,
        std::move(run));
    EXPECT_EQ(read.result.outcome, StoreOutcome::Stopped);
    EXPECT_EQ(read.pictures.size(), 40u);
    EXPECT_TRUE(read.result.leftovers.empty());
}

TEST(Thumbcache, EntriesWithoutAPictureAreSkippedAndOneRunningPastTheFileEndsTheWalk) {
    std::string overrun = ThumbcacheEntry(0x3333, SmallJpeg(16, 16));
    test::PatchLittle32(overrun, 24, 5000); // its data size, past the entry
    std::string tooLong = ThumbcacheEntry(0x5555, SmallJpeg(24, 16));
    test::PatchLittle32(tooLong, 4, 100000); // its entry size, past the file
    const std::vector<std::string> entries = {
        ThumbcacheEntry(0x1111, ""), // kept for a file without a thumbnail: no message
        ThumbcacheEntry(0x2222, "not a picture"), overrun,
        ThumbcacheEntry(0x4444, "BM" + std::string(60, '\0'), 8), tooLong};
    const std::string file = ThumbcacheFile(entries);
    const Read read = readBytes(file);
    EXPECT_EQ(read.result.outcome, StoreOutcome::Damaged);
    ASSERT_EQ(read.pictures.size(), 1u);
    EXPECT_EQ(read.pictures[0].key, "0000000000004444");
    EXPECT_EQ(read.pictures[0].format, PictureFormat::Bmp);
    EXPECT_EQ(read.pictures[0].bytes, "BM" + std::string(60, '\0'));
    const uint64_t lastAt = file.size() - tooLong.size();
    EXPECT_EQ(joined(read.result.messages),
              fmt::format("entry 2 (0000000000002222) at byte 104: its data is no JPEG, PNG or "
                          "BMP\n"
                          "entry 3 (0000000000003333) at byte 197: 5000 bytes of data at +80 run "
                          "past its 262 bytes\n"
                          "entry 5 at byte {}: its size of 100000 bytes runs past the end of the "
                          "file ({} bytes)\n",
                          lastAt, file.size()));
    EXPECT_EQ(read.result.leftovers, oneRange(lastAt, tooLong.size()));
}

TEST(ThumbnailStore, UnknownStoresAreLeftWholeForTheMarkerCut) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {ThumbcacheFile({ThumbcacheEntry(1, SmallJpeg(8, 8))}, 99),
         "thumbcache format version 99 is not known"},
        {"\xFF\xD8\xFF\xE0 just bytes", "no known thumbnail-store signature"},
        {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8),
         "header: the file ends at byte 8, inside the 512-byte header"},
        {"", "the store is empty"},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message);
        const Read read = readBytes(bytes);
        EXPECT_TRUE(read.pictures.empty());
        EXPECT_EQ(joined(read.result.messages), message + "\n");
        EXPECT_EQ(read.result.leftovers,
                  bytes.empty() ? std::vector<ByteRange>{} : oneRange(0, bytes.size()));
    }
}

} // namespace
} // namespace vorlith
