// The Firefox cache pass: the profile and cache folder it picks, the files it lists and the JPEG
// pictures among them.

#include "sources/firefox_cache.h"

#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vorlith {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kMarker("\xFF\xD8\xFF\xE0", 4);

TEST(FirefoxCache, FindsTheCachedJpegsOfTheRealProfile) {
    const std::string home = std::string(VORLITH_FIXTURES_DIR) + "/browsers/home";
    test::ScriptedRun run;
    test::RecordingProgress progress;
    const FirefoxCacheFindings found =
        FindFirefoxCachePictures(run, progress,
                                 {home + "/.mozilla/firefox/profiles.ini",
                                  home + "/.mozilla/firefox", home + "/.cache/mozilla/firefox"});
    const std::string entries = home + "/.cache/mozilla/firefox/ncomklqd.default/cache2/entries/";
    ASSERT_EQ(found.files.size(), 19u); // every file of the folder, in listing order
    Names pictures;
    for (const std::string& path : found.files) {
        const std::string name = path.substr(entries.size());
        for (const char* jpeg : {"3F2C3285E", "5F95C6CE0", "99BC082E3", "CAB9505C7", "F75DD49A1"})
            if (name.starts_with(jpeg))
                pictures.push_back(path);
    }
    EXPECT_EQ(found.pictures, pictures);
    EXPECT_EQ(progress.status(), "Writing Mozilla Firefox internet scan results...");
    EXPECT_EQ(progress.maximum, 18);
    EXPECT_EQ(run.yields, 4); // after each status text and at the first of every 25 files
    EXPECT_EQ(run.cancelTests, 0);
}

TEST(FirefoxCache, AFileIsAPictureWhenItsFirstLineHoldsTheJpegMarker) {
    test::TempFolder folder;
    const std::pair<std::string, bool> cases[] = {
        {"abc" + kMarker + "\r\nmore", true},
        {std::string(100000, 'x') + kMarker, true}, // no CR LF at all
        {"a\rb\nc\r" + kMarker + "\n", true},       // a lone CR or LF does not end the line
        {"line\r\n" + kMarker, false},
        {std::string("\xFF\xD8\r\n\xFF\xE0", 6), false}};
    using Verdict = FirstLineJpegTest::Verdict;
    for (const auto& [bytes, isJpeg] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes.substr(0, 12)));
        EXPECT_EQ(IsCachedJpeg(folder.write("f", bytes)), isJpeg);
        for (size_t piece : {1, 2, 3, 5}) { // the same verdict whatever the pieces
            FirstLineJpegTest test;
            Verdict verdict = Verdict::Undecided;
            for (size_t at = 0; at < bytes.size() && verdict == Verdict::Undecided; at += piece)
                verdict = test.feed(std::string_view(bytes).substr(at, piece));
            EXPECT_EQ((verdict == Verdict::Undecided ? test.finish() : verdict) == Verdict::Jpeg,
                      isJpeg)
                << piece;
        }
    }
    folder.write("cache/a", "");
    folder.makeFolder("cache/folder"); // listed are the files only, not links to folders
    fs::create_directory_symlink(folder / "cache/folder", folder / "cache/link");
    EXPECT_EQ(ListFolderFiles(folder / "cache"), Names{"a"});
    fs::create_symlink("/dev/zero", folder / "zero"); // an endless device is not read
    for (const std::string& path :
         {folder.write("_CACHE_001_", kMarker + "picture"), folder.write("picture_", kMarker),
          folder / "missing", folder / "cache/folder", folder / "zero"})
        EXPECT_FALSE(IsCachedJpeg(path)) << path;
}

} // namespace
} // namespace vorlith
