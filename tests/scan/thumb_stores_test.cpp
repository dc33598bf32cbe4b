#include "scan/thumb_stores.h"

#include "scan/compound_bytes.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace vorlith {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kMarker("\xFF\xD8\xFF\xE0", 4);
const std::string kMedia = std::string(VORLITH_FIXTURES_DIR) + "/media/";

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
            for (const ThumbPicture& picture : store.pictures)
                lines.back() += " " + picture.fileName;
        }
        return lines;
    }
};

TEST(ThumbStores, TakesEveryPictureWholeNamedByItsStoresListPosition) {
    const test::TempFolder disk;
    fs::create_symlink("/dev/zero", disk / "thumbs.db"); // an endless device is never read
    const std::string explorer = "Users/alice/AppData/Local/Microsoft/Windows/Explorer/";
    // Below the fixture drive (or a path of its own): the pictures' endings, their bytes together
    // (the sizes the fixture's manifest and analysis give) and the first one's Catalog name;
    // "-": no store name.
    const std::vector<std::tuple<std::string, std::string, size_t, std::string>> stores = {
        {explorer + "thumbcache_256.db", "jjpj", 6315 + 5585 + 5803 + 4380, ""},
        {explorer + "thumbcache_32.db", "jj", 704 + 633, ""},
        {explorer + "thumbcache_idx.db", "", 0, ""},
        {"Users/alice/Documents/Scans/THUMBS.DB", std::string(15, 'j'),
         3 * (3039 + 4098 + 2878 + 5238 + 2963), "zoolemur1.jpg"},
        {"Users/alice/Pictures/Old XP Photos/thumbs.db.bak", "-", 0, ""},
        {"Users/alice/Pictures/Old XP Photos/Thumbs.db/", "-", 0, ""}, // a folder entry
        {"Users/alice/Pictures/Old XP Photos/Thumbs.db", "jjj", 1734 + 1696 + 1723, "rose.jpg"},
        {disk / "thumbs.db", "", 0, ""},
        {disk / "missing/thumbcache_16.db", "", 0, ""},
        {disk.write("empty/Thumbs.db", ""), "", 0, ""},
    };
    ThumbPass pass;
    for (const auto& [path, endings, bytes, name] : stores)
        pass.stores.AddToList(path.starts_with("/") ? path : kMedia + "drive/" + path);
    EXPECT_EQ(pass.pass(), PhaseEnd::Finished);
    EXPECT_EQ(pass.progress.statuses, Names{"Processing images in your hidden thumbs.db files..."});

    Names expected;
    for (size_t position = 0; position < stores.size(); ++position) {
        const auto& [path, endings, bytes, name] = stores[position];
        if (endings == "-")
            continue;
        expected.push_back(pass.stores[position] + ":");
        size_t total = 0;
        for (size_t i = 0; i < endings.size(); ++i) {
            const std::string file = std::to_string(position) + "-" + std::to_string(i + 1) +
                                     (endings[i] == 'j' ? ".jpg" : ".png");
            expected.back() += " " + file;
            const std::string picture = test::ReadFile(pass.thumbs + "/" + file);
            total += picture.size();
            // Whole: from the start marker to the end marker.
            EXPECT_TRUE(endings[i] != 'j' ||
                        (picture.starts_with("\xFF\xD8") && picture.ends_with("\xFF\xD9")))
                << file;
        }
        EXPECT_EQ(total, bytes) << path;
        const ThumbStore& found = pass.findings.stores[expected.size() - 1];
        EXPECT_EQ(found.pictures.empty() ? "" : found.pictures[0].originalName, name);
    }
    EXPECT_EQ(pass.found(), expected);
    EXPECT_EQ(pass.findings.pictureCount, 24);
    EXPECT_EQ(std::distance(fs::directory_iterator(pass.thumbs), {}), 24);
    // What was wrong is noted for the store, without its path.
    for (size_t store : {5, 6}) // the link to the device, the missing store
        EXPECT_TRUE(pass.findings.stores[store].notes.at(0).starts_with("cannot be opened: "));
    EXPECT_EQ(pass.findings.stores[7].notes, Names{"the store is empty"});
}

// Where no structure accounts for the bytes only complete pictures are kept, each up to its end
// marker: a store of 100,000 bare start markers (400 KB) writes nothing.
TEST(ThumbStores, TheMarkerCutKeepsOnlyCompletePictures) {
    const std::string first = test::SmallJpeg(16, 16), last = test::SmallJpeg(8, 24, 900);
    const std::string deleted = test::SmallJpeg(12, 12, 300);
    std::string bomb;
    for (int i = 0; i < 100000; ++i)
        bomb += kMarker;
    test::CompoundSpec compound;
    compound.streams = {{"1", test::ThumbnailStream(test::SmallJpeg(10, 10))}};
    compound.freeBytes = "bytes before " + deleted + " and after";
    const std::vector<std::pair<std::string, Names>> cases = {
        {"junk" + first + "junk" + bomb + last.substr(0, 200) + last, {first, last}},
        {bomb, {}},
        // A compound file's free sectors keep a picture that was deleted from it.
        {test::BuildCompoundFile(compound).bytes, {test::SmallJpeg(10, 10), deleted}},
    };
    for (const auto& [store, pictures] : cases) {
        SCOPED_TRACE(pictures.size());
        ThumbPass pass;
        pass.stores.AddToList(pass.report.write("disk/Thumbs.db", store));
        EXPECT_EQ(pass.pass(), PhaseEnd::Finished);
        Names written;
        for (const ThumbPicture& picture : pass.findings.stores[0].pictures)
            written.push_back(test::ReadFile(pass.thumbs + "/" + picture.fileName));
        EXPECT_EQ(written, pictures);
        EXPECT_EQ(std::distance(fs::directory_iterator(pass.thumbs), {}),
                  static_cast<std::ptrdiff_t>(pictures.size()));
    }
}

TEST(ThumbStores, ACancelledRunTakesNothingElseYieldsEveryTwentyStoresAndPieces) {
    ThumbPass pass;
    const test::TempFolder disk;
    std::string store;
    for (int i = 0; i < 45; ++i)
        store += test::SmallJpeg(8, 8, 10 + i);
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
    // Pieces 20 and 40, then the stores at positions 0 and 20.
    EXPECT_EQ(pass.run.yields, 4);
    EXPECT_EQ(pass.findings.pictureCount, 45);
    EXPECT_EQ(pass.found()[0].substr(pass.found()[0].size() - 8), "0-45.jpg");

    // A cancel during a store ends the pass after it.
    pass.run.yields = 0;
    pass.run.cancelWhen = [&] { return pass.run.yields >= 1; };
    EXPECT_EQ(pass.pass(), PhaseEnd::Stopped);
    EXPECT_EQ(pass.findings.pictureCount, 20);
}

} // namespace
} // namespace vorlith
