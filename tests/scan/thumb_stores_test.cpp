#include "scan/thumb_stores.h"

#include "scan/jpeg_splitter.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        const size_t piece = 1 + random() % 9;
        SCOPED_TRACE(testing::Message() << "round " << round << ", pieces of " << piece);
        RecordingSink sink;
        JpegSplitter splitter(sink);
        for (size_t offset = 0; offset < content.size(); offset += piece)
            splitter.feed(std::string_view(content).substr(offset, piece));
        splitter.finish();
        EXPECT_EQ(sink.pictures, ReferenceSplit(content));
        EXPECT_EQ(splitter.pictureCount(), static_cast<int64_t>(sink.pictures.size()));
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
};

TEST(ThumbStores, CutsEachStoreIntoPicturesNamedByItsListPosition) {
    const test::TempFolder disk;
    fs::create_symlink("/dev/zero", disk / "thumbs.db"); // an endless device is never read
    const std::pair<std::string, int> stores[] = {
        // below the fixture drive (or a path of its own), its pictures; -1: no store name
        {"Users/alice/AppData/Local/Microsoft/Windows/Explorer/thumbcache_256.db", 3},
        {"Users/alice/AppData/Local/Microsoft/Windows/Explorer/thumbcache_32.db", 2},
        {"Users/alice/AppData/Local/Microsoft/Windows/Explorer/thumbcache_idx.db", 0},
        {"Users/alice/Documents/Scans/THUMBS.DB", 15},
        {"Users/alice/Pictures/Old XP Photos/thumbs.db.bak", -1},
        {"Users/alice/Pictures/Old XP Photos/Thumbs.db/", -1}, // a folder entry
        {"Users/alice/Pictures/Old XP Photos/Thumbs.db", 3},
        {disk / "thumbs.db", 0},
        {disk / "missing/thumbcache_16.db", 0},
        {disk.write("empty/Thumbs.db", ""), 0},
    };
    ThumbPass pass;
    for (const auto& [path, pictures] : stores)
        pass.stores.AddToList(path.starts_with("/") ? path : kMedia + "drive/" + path);
    EXPECT_EQ(pass.pass(), PhaseEnd::Finished);
    EXPECT_EQ(pass.progress.statuses, Names{"Processing images in your hidden thumbs.db files..."});

    Names expected;
    for (size_t position = 0; position < std::size(stores); ++position) {
        const auto& [path, pictures] = stores[position];
        if (pictures >= 0)
            expected.push_back(pass.stores[position] + ":");
        // The pieces cut by hand lie in a folder named after the store's path.
        std::string pieces = path;
        std::ranges::replace(pieces, '/', '_');
        std::ranges::replace(pieces, ' ', '_');
        for (int i = 1; i <= pictures; ++i) {
            const std::string name = std::to_string(position) + "-" + std::to_string(i) + ".jpg";
            expected.back() += " " + name;
            char piece[32];
            std::snprintf(piece, sizeof piece, "/piece%02d.jpg", i);
            EXPECT_EQ(test::ReadFile(pass.thumbs + "/" + name),
                      test::ReadFile(kMedia + "analysis/pieces/" + pieces + piece))
                << name;
        }
    }
    EXPECT_EQ(pass.found(), expected);
    EXPECT_EQ(pass.findings.pictureCount, 23);
    EXPECT_EQ(std::distance(fs::directory_iterator(pass.thumbs), {}), 23);
}

TEST(ThumbStores, ACancelledRunCutsNothingElseYieldsEveryTwentyStoresAndPictures) {
    ThumbPass pass;
    const test::TempFolder disk;
    std::string store;
    for (int i = 0; i < 45; ++i)
        store += kMarker + std::to_string(i);
    pass.stores.AddToList(disk.write("Thumbs.db", store)); // position 0
    for (int i = 1; i < 25; ++i)
        pass.stores.AddToList(disk / ("n" + std::to_string(i)));
    pass.run.canceled = true;
    EXPECT_EQ(pass.pass(), PhaseEnd::Stopped);
    EXPECT_TRUE(pass.findings.stores.empty());
    EXPECT_EQ(pass.run.yields, 0);
    EXPECT_FALSE(fs::exists(pass.thumbs));

    // Pictures that cannot be written are listed all the same.
    pass.report.write("thumbs", "a file where the folder should be");
    pass.run.canceled = false;
    EXPECT_EQ(pass.pass(), PhaseEnd::Finished);
    // Pictures 20 and 40, then the stores at positions 0 and 20; the cancel flag is tested once.
    EXPECT_EQ(pass.run.yields, 4);
    EXPECT_EQ(pass.run.cancelTests, 2);
    EXPECT_EQ(pass.findings.pictureCount, 45);
    EXPECT_EQ(pass.found()[0].substr(pass.found()[0].size() - 8), "0-45.jpg");
}

} // namespace
} // namespace vorlith
