#include "scan/thumb_stores.h"

#include "scan/jpeg_splitter.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace vorlith {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kMarker("\xFF\xD8\xFF\xE0", 4);
const std::string kMedia = std::string(VORLITH_FIXTURES_DIR) + "/media/";

// The pictures of a whole content as the documented cut gives them: every marker with the
// bytes up to the next marker or the end.
Names ReferenceSplit(const std::string& content) {
    Names pictures;
    size_t start = content.find(kMarker);
    while (start != std::string::npos) {
        const size_t next = content.find(kMarker, start + kMarker.size());
        pictures.push_back(content.substr(start, next == std::string::npos ? next : next - start));
        start = next;
    }
    return pictures;
}

// Collects the pictures; their numbering shows in the names the thumbnail pass gives them.
class RecordingSink final : public PictureSink {
public:
    Names pictures;
    void beginPicture(int64_t) override { pictures.emplace_back(); }
    void appendToPicture(std::string_view bytes) override { pictures.back().append(bytes); }
    void endPicture() override {}
};

TEST(JpegSplitter, MatchesTheWholeContentCutWhateverThePieceSizes) {
    std::mt19937 random(20261206);
    const char alphabet[] = {'\xFF', '\xD8', '\xE0', 'a'};
    for (int round = 0; round < 300; ++round) {
        std::string content(random() % 300, '\0');
        for (char& c : content)
            c = alphabet[random() % 4];
        if (round == 0)
            content = "head" + kMarker + "one" + kMarker + "two" + kMarker + "three";
        const size_t piece = 1 + random() % 9;
        SCOPED_TRACE(testing::Message() << "round " << round << ", pieces of " << piece);
        RecordingSink sink;
        JpegSplitter splitter(sink);
        for (size_t offset = 0; offset < content.size(); offset += piece)
            splitter.feed(std::string_view(content).substr(offset, piece));
        splitter.finish();
        EXPECT_EQ(sink.pictures, ReferenceSplit(content));
        EXPECT_EQ(splitter.pictureCount(), static_cast<int64_t>(sink.pictures.size()));
        if (round == 0) {
            EXPECT_EQ(sink.pictures, (Names{kMarker + "one", kMarker + "two", kMarker + "three"}));
        }
    }
}

// The thumbnail pass into a thumbs folder of its own.
struct ThumbPass {
    test::TempFolder report;
    const std::string thumbs = report / "thumbs";
    FoundFileList stores;
    test::ScriptedRun run;
    test::RecordingProgress progress;
    ThumbFindings findings;

    PhaseEnd pass() { return ProcessThumbStores(run, progress, stores, thumbs, findings); }
    // "store path: picture names" for every store found.
    Names found() const {
        Names lines;
        for (const ThumbStore& store : findings.stores) {
            lines.push_back(store.path + ":");
            for (const std::string& picture : store.pictures)
                lines.back() += " " + picture;
        }
        return lines;
    }
    long filesWritten() const {
        return fs::exists(thumbs) ? std::distance(fs::directory_iterator(thumbs), {}) : 0;
    }
};

TEST(ThumbStores, CutsEachStoreIntoPicturesNamedByItsListPosition) {
    const std::string explorer =
        kMedia + "drive/Users/alice/AppData/Local/Microsoft/Windows/Explorer/";
    const std::string photos = kMedia + "drive/Users/alice/Pictures/Old XP Photos/";
    const std::string pieces = kMedia + "analysis/pieces/Users_alice_";
    const test::TempFolder disk;
    fs::create_symlink("/dev/zero", disk / "thumbs.db"); // an endless device is never read
    struct Store {
        std::string path;   // in the list
        std::string pieces; // the folder of the expected pictures
        int pictures;       // -1: no store name, skipped
    };
    const Store stores[] = {
        {explorer + "thumbcache_256.db",
         pieces + "AppData_Local_Microsoft_Windows_Explorer_thumbcache_256.db", 3},
        {explorer + "thumbcache_32.db",
         pieces + "AppData_Local_Microsoft_Windows_Explorer_thumbcache_32.db", 2},
        {explorer + "thumbcache_idx.db", "", 0},
        {kMedia + "drive/Users/alice/Documents/Scans/THUMBS.DB", pieces + "Documents_Scans_THUMBS.DB",
         15},
        {photos + "thumbs.db.bak", "", -1},
        {photos + "Thumbs.db/", "", -1}, // a folder entry
        {photos + "Thumbs.db", pieces + "Pictures_Old_XP_Photos_Thumbs.db", 3},
        {disk / "thumbs.db", "", 0},
        {disk / "missing/thumbcache_16.db", "", 0},
        {disk.write("empty/Thumbs.db", ""), "", 0},
    };
    ThumbPass pass;
    for (const Store& store : stores)
        pass.stores.AddToList(store.path);
    EXPECT_EQ(pass.pass(), PhaseEnd::Finished);
    EXPECT_EQ(pass.progress.statuses,
              Names{"Processing images in your hidden thumbs.db files..."});

    Names expected;
    for (size_t position = 0; position < std::size(stores); ++position) {
        const Store& store = stores[position];
        if (store.pictures < 0)
            continue;
        expected.push_back(store.path + ":");
        for (int i = 1; i <= store.pictures; ++i) {
            const std::string name = std::to_string(position) + "-" + std::to_string(i) + ".jpg";
            expected.back() += " " + name;
            char piece[32];
            std::snprintf(piece, sizeof piece, "/piece%02d.jpg", i);
            EXPECT_EQ(test::ReadFile(pass.thumbs + "/" + name),
                      test::ReadFile(store.pieces + piece))
                << name;
        }
    }
    EXPECT_EQ(pass.found(), expected);
    EXPECT_EQ(pass.findings.pictureCount, 23);
    EXPECT_EQ(pass.filesWritten(), 23);
}

TEST(ThumbStores, ACancelledRunCutsNothing) {
    ThumbPass pass;
    const test::TempFolder disk;
    pass.stores.AddToList(disk.write("Thumbs.db", kMarker + "x"));
    pass.run.canceled = true;
    EXPECT_EQ(pass.pass(), PhaseEnd::Stopped);
    EXPECT_TRUE(pass.findings.stores.empty());
    EXPECT_EQ(pass.run.yields, 0);
    EXPECT_FALSE(fs::exists(pass.thumbs));
}

TEST(ThumbStores, YieldsEveryTwentyStoresAndPicturesAndListsPicturesItCannotWrite) {
    ThumbPass pass;
    pass.report.write("thumbs", "a file where the folder should be");
    const test::TempFolder disk;
    std::string store;
    for (int i = 0; i < 45; ++i)
        store += kMarker + std::to_string(i);
    pass.stores.AddToList(disk.write("Thumbs.db", store)); // position 0
    for (int i = 1; i < 25; ++i)
        pass.stores.AddToList(disk / ("n" + std::to_string(i)));
    EXPECT_EQ(pass.pass(), PhaseEnd::Finished);
    // Pictures 20 and 40, then the stores at positions 0 and 20; the cancel flag is tested once.
    EXPECT_EQ(pass.run.yields, 4);
    EXPECT_EQ(pass.run.cancelTests, 1);
    ASSERT_EQ(pass.findings.stores.size(), 1u);
    EXPECT_EQ(pass.findings.stores[0].pictures.back(), "0-45.jpg");
    EXPECT_EQ(pass.findings.pictureCount, 45);
    EXPECT_EQ(pass.progress.maximum, 25);
    EXPECT_EQ(pass.progress.value, 24);
}

} // namespace
} // namespace vorlith
