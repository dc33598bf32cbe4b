#include "scan/thumb_stores.h"

#include "report/page_set.h"
#include "scan/jpeg_splitter.h"
#include "support/phase_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace vorlith {
namespace {

namespace fs = std::filesystem;

const std::string kMarker("\xFF\xD8\xFF\xE0", 4);
const std::string kMedia = std::string(VORLITH_FIXTURES_DIR) + "/media/";

const std::string kWarningLine =
    "<TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>WARNING:</B></FONT> <FONT "
    "SIZE=+1 COLOR=#FFFFFF><B>Manually removing these traces yourself will NOT protect you.  They "
    "are easily recoverable when you do this.</B></FONT></TD></TR></TABLE>";

std::string erazentLine(int traces) {
    return "<H3><A "
           "HREF=https://secure.vorlith.example/secure_erazent_audit_clean_2013.php?traces=" +
           std::to_string(traces) +
           " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a></H3>";
}

std::string captionLine(const std::string& path) {
    return "<BR>The above thumbnails were extracted from your hidden thumbnail file located at: "
           "<B>" +
           path + "</B><BR><HR><BR>";
}

// The pictures of a whole content as the documented cut gives them: every marker with the
// bytes up to the next marker or the end.
std::vector<std::string> referenceSplit(const std::string& content) {
    std::vector<std::string> pictures;
    size_t start = content.find(kMarker);
    while (start != std::string::npos) {
        size_t next = content.find(kMarker, start + kMarker.size());
        pictures.push_back(
            content.substr(start, next == std::string::npos ? std::string::npos : next - start));
        start = next;
    }
    return pictures;
}

class RecordingSink final : public PictureSink {
public:
    std::vector<std::string> pictures;
    bool open = false;
    bool misordered = false;
    void beginPicture(int64_t number) override {
        misordered |= open || number != static_cast<int64_t>(pictures.size()) + 1;
        pictures.emplace_back();
        open = true;
    }
    void appendToPicture(std::string_view bytes) override {
        misordered |= !open;
        if (open)
            pictures.back().append(bytes);
    }
    void endPicture() override {
        misordered |= !open;
        open = false;
    }
};

std::vector<std::string> splitInPieces(const std::string& content, size_t pieceSize) {
    RecordingSink sink;
    JpegSplitter splitter(sink);
    for (size_t offset = 0; offset < content.size(); offset += pieceSize)
        splitter.feed(std::string_view(content).substr(offset, pieceSize));
    splitter.finish();
    EXPECT_FALSE(sink.misordered);
    EXPECT_FALSE(sink.open);
    EXPECT_EQ(splitter.pictureCount(), static_cast<int64_t>(sink.pictures.size()));
    return sink.pictures;
}

TEST(JpegSplitter, CutsCraftedStreamsWhateverThePieceSizes) {
    const std::string ff = "\xFF";
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"no marker", "abc\xFF\xD8\xFF\xE1 no JFIF here"},
        {"three markers, prefix dropped",
         "head" + kMarker + "one" + kMarker + "two" + kMarker + "three to the end"},
        {"marker first", kMarker + "only"},
        {"marker last", "x" + kMarker},
        {"two markers back to back", kMarker + kMarker},
        {"marker after FF", ff + ff + kMarker + "a"},
        {"broken marker then marker", "\xFF\xD8\xFF" + kMarker + "b"},
        {"partial marker at the end", kMarker + "a\xFF\xD8\xFF"},
        {"lone FF at the end", kMarker + "a\xFF"},
    };
    for (const auto& [what, content] : cases) {
        SCOPED_TRACE(what);
        for (size_t piece : {1, 2, 3, 4, 5, 7, 64}) {
            SCOPED_TRACE(piece);
            EXPECT_EQ(splitInPieces(content, piece), referenceSplit(content));
        }
    }
    EXPECT_EQ(splitInPieces("head" + kMarker + "one" + kMarker + "two" + kMarker + "three", 2),
              (std::vector<std::string>{kMarker + "one", kMarker + "two", kMarker + "three"}));
}

TEST(JpegSplitter, MatchesTheWholeContentCutOnRandomStreams) {
    std::mt19937 random(20261206);
    const char alphabet[] = {'\xFF', '\xD8', '\xE0', 'a'};
    for (int round = 0; round < 200; ++round) {
        std::string content(random() % 300, '\0');
        for (char& c : content)
            c = alphabet[random() % 4];
        const size_t piece = 1 + random() % 9;
        SCOPED_TRACE(round);
        EXPECT_EQ(splitInPieces(content, piece), referenceSplit(content));
    }
}

// The thumbnail pass with its page open (without its head).
struct ThumbPass {
    test::PhaseFixture phase;
    DiskScanCounts counts;
    ThumbPass() { phase.open(pages::kThumbnails); }
    void add(const std::string& path) { phase.window.lists.lstThumbs.AddToList(path); }
    void run() { ProcessThumbStores(phase.context, counts); }
    std::vector<std::string> lines() { return phase.lines(pages::kThumbnails); }
};

struct StoreCase {
    std::string path;         // in lstThumbs
    std::string piecesFolder; // expected pictures, "" for none
    int pictures;
};

TEST(ThumbStores, CutsTheRealStoresIntoTheDocumentedPieces) {
    ThumbPass pass;
    test::PhaseFixture& phase = pass.phase;
    phase.totals.TotalTraces = 7;
    const std::string explorer =
        kMedia + "drive/Users/alice/AppData/Local/Microsoft/Windows/Explorer/";
    const std::string photos = kMedia + "drive/Users/alice/Pictures/Old XP Photos/";
    const std::string pieces = kMedia + "analysis/pieces/";
    const std::vector<StoreCase> stores = {
        {explorer + "thumbcache_256.db",
         pieces + "Users_alice_AppData_Local_Microsoft_Windows_Explorer_thumbcache_256.db", 3},
        {explorer + "thumbcache_32.db",
         pieces + "Users_alice_AppData_Local_Microsoft_Windows_Explorer_thumbcache_32.db", 2},
        {explorer + "thumbcache_idx.db", "", 0},
        {kMedia + "drive/Users/alice/Documents/Scans/THUMBS.DB",
         pieces + "Users_alice_Documents_Scans_THUMBS.DB", 15},
        {photos + "Thumbs.db", pieces + "Users_alice_Pictures_Old_XP_Photos_Thumbs.db", 3},
        {photos + "thumbs.db.bak", "", -1}, // not a store name: skipped, not counted
        {photos + "Thumbs.db/", "", -1},    // a folder entry: skipped
    };
    for (const StoreCase& store : stores)
        pass.add(store.path);
    pass.run();
    EXPECT_EQ(pass.counts.ThumbStoreCount, 5);
    EXPECT_EQ(pass.counts.ThumbImageCount, 23);
    EXPECT_TRUE(phase.window.lblStatus.bold);
    EXPECT_EQ(phase.window.lblStatus.caption,
              "Processing images in your hidden thumbs.db files...");

    const std::string thumbs = phase.folder / "thumbs";
    std::vector<std::string> expected = {kWarningLine, erazentLine(7)};
    for (size_t position = 0; position < stores.size(); ++position) {
        const StoreCase& store = stores[position];
        SCOPED_TRACE(store.path);
        for (int i = 1; i <= store.pictures; ++i) {
            const std::string name = std::to_string(position) + "-" + std::to_string(i) + ".jpg";
            char piece[32];
            std::snprintf(piece, sizeof piece, "piece%02d.jpg", i);
            EXPECT_EQ(test::ReadFile(thumbs + "/" + name),
                      test::ReadFile(store.piecesFolder + "/" + piece))
                << name;
            expected.push_back("<IMG SRC=\"file://" + thumbs + "/" + name + "\">");
        }
        EXPECT_FALSE(fs::exists(thumbs + "/" + std::to_string(position) + "-" +
                                std::to_string(std::max(store.pictures, 0) + 1) + ".jpg"));
        if (store.pictures >= 0)
            expected.push_back(captionLine(store.path));
    }
    EXPECT_EQ(pass.lines(), expected);
}

TEST(ThumbStores, CraftedStoresNumberingFailuresAndEscaping) {
    ThumbPass pass;
    const test::TempFolder disk;
    const std::string three =
        disk.write("a/thumbs.db", "prefix" + kMarker + "one" + kMarker + "two" + kMarker + "three");
    const std::string none = disk.write("b/THUMBS.DB", "no pictures in here");
    const std::string empty = disk.write("c/thumbcache_16.db", "");
    const std::string missing = disk / "d/thumbs.db";
    const std::string later = disk.write("<b>&/x_thumbcache_99", kMarker + "late");
    // A link named like a store that leads to an endless device is not read.
    fs::create_directories(disk / "f");
    fs::create_symlink("/dev/zero", disk / "f/thumbs.db");

    // Positions 0 to 6; position 1 is no store name and is skipped.
    for (const std::string& path :
         {three, disk / "x/thumbs.db.old", none, empty, missing, later, disk / "f/thumbs.db"})
        pass.add(path);
    pass.run();
    EXPECT_EQ(pass.counts.ThumbStoreCount, 6);
    EXPECT_EQ(pass.counts.ThumbImageCount, 4);

    const std::string thumbs = pass.phase.folder / "thumbs";
    EXPECT_EQ(test::ReadFile(thumbs + "/0-1.jpg"), kMarker + "one");
    EXPECT_EQ(test::ReadFile(thumbs + "/0-2.jpg"), kMarker + "two");
    EXPECT_EQ(test::ReadFile(thumbs + "/0-3.jpg"), kMarker + "three");
    EXPECT_EQ(test::ReadFile(thumbs + "/5-1.jpg"), kMarker + "late");
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(thumbs))
        ++files;
    EXPECT_EQ(files, 4u);

    const auto img = [&](const char* name) {
        return "<IMG SRC=\"file://" + thumbs + "/" + name + "\">";
    };
    EXPECT_EQ(pass.lines(),
              (std::vector<std::string>{
                  kWarningLine, erazentLine(0), img("0-1.jpg"), img("0-2.jpg"), img("0-3.jpg"),
                  captionLine(three), captionLine(none), captionLine(empty), captionLine(missing),
                  img("5-1.jpg"), captionLine(disk.path() + "/&lt;b&gt;&amp;/x_thumbcache_99"),
                  captionLine(disk / "f/thumbs.db")}));
}

TEST(ThumbStores, PicturesThatCannotBeWrittenStillGetTheirLinesAndCounts) {
    ThumbPass pass;
    pass.phase.folder.write("thumbs", "a file where the folder should be");
    const test::TempFolder disk;
    pass.add(disk.write("Thumbs.db", kMarker + "1" + kMarker + "2"));
    pass.run();
    EXPECT_EQ(pass.counts.ThumbImageCount, 2);
    EXPECT_EQ(pass.lines().size(), 2u + 2u + 1u);
}

TEST(ThumbStores, ACancelledRunGetsOnlyTheWarningAndLinkLines) {
    ThumbPass pass;
    const test::TempFolder disk;
    pass.add(disk.write("Thumbs.db", kMarker + "x"));
    pass.phase.run.canceled = true;
    pass.run();
    EXPECT_EQ(pass.phase.run.cancels, 1);
    EXPECT_EQ(pass.counts.ThumbStoreCount, 0);
    EXPECT_EQ(pass.lines(), (std::vector<std::string>{kWarningLine, erazentLine(0)}));
    EXPECT_FALSE(fs::exists(pass.phase.folder / "thumbs"));
}

TEST(ThumbStores, YieldsEveryTwentyStoresAndEveryTwentyPictures) {
    ThumbPass pass;
    const test::TempFolder disk;
    std::string store;
    for (int i = 0; i < 45; ++i)
        store += kMarker + std::to_string(i);
    pass.add(disk.write("Thumbs.db", store)); // position 0
    for (int i = 1; i < 25; ++i)
        pass.add(disk / ("n" + std::to_string(i)));
    pass.run();
    // Pictures 20 and 40, then the stores at positions 0 and 20.
    EXPECT_EQ(pass.phase.run.yields, 4);
    EXPECT_EQ(pass.counts.ThumbImageCount, 45);
}

} // namespace
} // namespace vorlith
