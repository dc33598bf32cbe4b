// The Firefox cache pass: the profile and cache folder it picks, the files it lists and the JPEG
// pictures among them.

#include "sources/firefox_cache.h"

#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace vorlith {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const std::string kMarker("\xFF\xD8\xFF\xE0", 4);
const std::string kFixtureHome = std::string(VORLITH_FIXTURES_DIR) + "/browsers/home";

TEST(FirefoxCache, FindsTheCachedJpegsOfTheRealProfile) {
    test::ScopedEnv home("HOME", kFixtureHome); // only read
    test::ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    test::ScopedEnv cache("XDG_CACHE_HOME", std::nullopt);
    test::ScriptedRun run;
    test::RecordingProgress progress;
    const FirefoxCacheFindings found =
        FindFirefoxCachePictures(run, progress, platform::LookupFirefoxFolders());

    const std::string entries =
        kFixtureHome + "/.cache/mozilla/firefox/ncomklqd.default/cache2/entries/";
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(entries))
        files.insert(entry.path().string());
    EXPECT_EQ(std::set<std::string>(found.files.begin(), found.files.end()), files);
    ASSERT_EQ(found.files.size(), 19u);
    const std::set<std::string> jpegs = {
        "3F2C3285E9892318A4DB867CF581A38FDE5E10B6", "5F95C6CE00E119D4DA13D9328DFC2FDE0BC3B039",
        "99BC082E35501B1A64107AB2600371A0081A5E27", "CAB9505C79389C30007D45A4F3D7612CD99C5261",
        "F75DD49A162DCE9E2570092ABA05715186408281"};
    Names pictures; // in the order the files are listed
    for (const std::string& path : found.files)
        if (jpegs.count(path.substr(entries.size())))
            pictures.push_back(path);
    EXPECT_EQ(found.pictures, pictures);
    EXPECT_EQ(progress.statuses, (Names{"Searching for Mozilla Firefox internet traces...",
                                        "Analyzing Mozilla Firefox internet traces...",
                                        "Writing Mozilla Firefox internet scan results..."}));
    EXPECT_EQ(progress.detail, "");
    EXPECT_EQ(progress.maximum, 18);
    EXPECT_EQ(run.yields, 4); // after each status text and at the first of every 25 files
    EXPECT_EQ(run.cancelTests, 0);
}

TEST(FirefoxCache, FindsTheFoldersOfTheFirstProfile) {
    test::TempFolder folder;
    const platform::FirefoxFolders folders{folder / "ff/profiles.ini", folder / "ff",
                                           folder / "cache"};
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        // the profile list (none: missing), "name|roaming folder|local folder"
        {"[Profile0]\nIsRelative=1\nPath=Profiles/a.default\n",
         "Profiles/a.default|" + folder / "ff/Profiles/a.default|" +
             folder / "cache/Profiles/a.default"},
        {"[Profile0]\nIsRelative=0\nPath=/data/ff/me\n", "/data/ff/me|/data/ff/me|/data/ff/me"},
        {"[Profile1]\nIsRelative=1\nPath=other\n", "|" + folder / "ff|" + folder / "cache"},
        {std::nullopt, "|" + folder / "ff|" + folder / "cache"},
    };
    for (const auto& [list, expected] : cases) {
        SCOPED_TRACE(expected);
        if (list)
            folder.write("ff/profiles.ini", *list);
        else
            fs::remove(folder / "ff/profiles.ini");
        const FirefoxProfile profile = FindFirefoxProfile(folders);
        EXPECT_EQ(profile.FirefoxProfileName + "|" + profile.FirefoxProfilePath + "|" +
                      profile.FirefoxLocalProfilePath,
                  expected);
    }
}

TEST(FirefoxCache, ChoosesTheCacheFolder) {
    const std::string roamingCache = "roaming/p/Cache", localCache = "local/p/Cache";
    const std::string roaming2 = "roaming/p/cache2/entries", local2 = "local/p/cache2/entries";
    const std::tuple<const char*, Names, std::string> cases[] = {
        // what, folders that exist, the one chosen
        {"roaming Cache beats a local one", {roamingCache, localCache}, roamingCache},
        {"local Cache next", {roaming2, localCache, local2}, localCache},
        {"then local cache2", {roaming2, local2}, local2},
        {"then roaming cache2", {roaming2}, roaming2},
        {"nothing: the local Cache", {}, localCache},
    };
    for (const auto& [what, existing, chosen] : cases) {
        SCOPED_TRACE(what);
        test::TempFolder folder;
        for (const std::string& below : existing)
            fs::create_directories(folder / below);
        const FirefoxProfile profile{"p", folder / "roaming/p", folder / "local/p"};
        EXPECT_EQ(ChooseFirefoxCacheFolder(profile), folder / chosen);
    }
}

TEST(FirefoxCache, LooksForTheProfileListInTheHomeThenInTheSettingsFolder) {
    test::FakeHome home;
    platform::FirefoxFolders folders = platform::LookupFirefoxFolders();
    EXPECT_EQ(folders.roamingRoot, home.config() + "/mozilla/firefox");
    EXPECT_EQ(folders.localRoot, home.cache() + "/mozilla/firefox");
    EXPECT_FALSE(fs::exists(folders.roamingRoot)); // looking creates nothing
    home.folder().write(".mozilla/firefox/profiles.ini", "[Profile0]\nPath=x\n");
    folders = platform::LookupFirefoxFolders();
    EXPECT_EQ(folders.profileList, home.home() + "/.mozilla/firefox/profiles.ini");
}

TEST(FirefoxCache, AFileIsAPictureWhenItsFirstLineHoldsTheJpegMarker) {
    test::TempFolder folder;
    const std::pair<std::string, bool> cases[] = {
        {kMarker + "rest", true},
        {"abc" + kMarker + "\r\nmore", true},
        {std::string(100000, 'x') + kMarker, true}, // no CR LF at all
        {"a\rb\nc\r" + kMarker + "\n", true},       // a lone CR or LF does not end the line
        {"line\r\n" + kMarker, false},
        {"\r\n" + kMarker, false},
        {std::string(200000, 'y'), false},
        {"", false},
        {std::string("\xFF\xD8\r\n\xFF\xE0", 6), false},
    };
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
    fs::create_symlink("/dev/zero", folder / "zero"); // an endless device is not read
    for (const std::string& path :
         {folder.write("_CACHE_001_", kMarker + "picture"), folder.write("picture_", kMarker),
          folder / "missing", folder.makeFolder("folder"), folder / "zero"})
        EXPECT_FALSE(IsCachedJpeg(path)) << path;
}

TEST(FirefoxCache, ListsOnlyTheFilesOfTheFolder) {
    test::TempFolder folder;
    folder.write("cache/a", "1");
    folder.write("cache/sub/b", "2");
    fs::create_symlink(folder / "cache/sub", folder / "cache/linked-folder");
    fs::create_symlink(folder / "cache/a", folder / "cache/linked-file");
    Names names = ListFolderFiles(folder / "cache");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"a", "linked-file"}));
    EXPECT_TRUE(ListFolderFiles(folder / "missing").empty());
}

} // namespace
} // namespace vorlith
