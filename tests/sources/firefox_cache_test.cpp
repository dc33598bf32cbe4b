#include "sources/firefox_cache.h"

#include "report/page_set.h"
#include "support/phase_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

namespace vorlith {
namespace {

namespace fs = std::filesystem;

const std::string kMarker("\xFF\xD8\xFF\xE0", 4);
const std::string kFixtureHome = std::string(VORLITH_FIXTURES_DIR) + "/browsers/home";

const std::string kWarningLine =
    "<TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>WARNING:</B></FONT> <FONT "
    "SIZE=+1 COLOR=#FFFFFF><B>Manually removing these traces yourself will NOT protect you.  They "
    "are easily recoverable when you do this.</B></FONT></TD></TR></TABLE>";
const std::string kDeleteTracesLine =
    "<H3><A HREF=https://secure.vorlith.example/secure_erazent_audit_clean_2013.php?traces=0 "
    "TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a></H3>";
const std::string kDeleteImageLine =
    "<A HREF=https://secure.vorlith.example/secure_erazent_audit_clean_2013.php?traces=0 "
    "TARGET=_BLANK><B>Use Erazent to Securely Delete this Image Now!</B></a><BR><HR><BR>";
const std::string kPageTwoLine =
    "<H1><A HREF=Vorlith_firefox_cache2.html>Vorlith Results: FIREFOX CACHE - PAGE 2</A></H1>";

std::string imageLine(const std::string& path) {
    return "<IMG SRC=\"file://" + path + "\"><BR><BR><B>Location on YOUR Computer:</B> " + path +
           "<BR>";
}

// Runs the pass with both Firefox pages open (without their heads).
struct FirefoxPass {
    test::PhaseFixture phase;
    DiskScanCounts counts;

    FirefoxPass() {
        phase.open(pages::kFirefoxCache);
        phase.open(pages::kFirefoxCache2);
    }
    void run(const platform::FirefoxFolders& folders) {
        Find_Firefox_Cache_Click(phase.context, counts, folders);
    }
    std::vector<std::string> first() { return phase.lines(pages::kFirefoxCache); }
    std::vector<std::string> second() { return phase.lines(pages::kFirefoxCache2); }
};

TEST(FirefoxCache, ListsTheCachedJpegsOfTheRealProfile) {
    // The fixture home is only read: HOME points at it, the report goes to a temporary folder.
    test::ScopedEnv home("HOME", kFixtureHome);
    test::ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    test::ScopedEnv cache("XDG_CACHE_HOME", std::nullopt);
    FirefoxPass pass;
    Find_Firefox_Cache_Click(pass.phase.context, pass.counts);

    const std::string entries =
        kFixtureHome + "/.cache/mozilla/firefox/ncomklqd.default/cache2/entries";
    const std::set<std::string> jpegs = {
        "3F2C3285E9892318A4DB867CF581A38FDE5E10B6", "5F95C6CE00E119D4DA13D9328DFC2FDE0BC3B039",
        "99BC082E35501B1A64107AB2600371A0081A5E27", "CAB9505C79389C30007D45A4F3D7612CD99C5261",
        "F75DD49A162DCE9E2570092ABA05715186408281"};
    // Every file of the cache folder is listed, in the order the folder gives.
    const auto& listed = pass.phase.window.lists.lstFirefox.entries();
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(entries))
        files.insert(entry.path().string());
    ASSERT_EQ(files.size(), 19u);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), files);
    EXPECT_EQ(listed.size(), files.size());

    std::vector<std::string> expected = {kWarningLine, kDeleteTracesLine};
    for (const std::string& path : listed) {
        if (jpegs.count(path.substr(path.rfind('/') + 1))) {
            expected.push_back(imageLine(path));
            expected.push_back(kDeleteImageLine);
        }
    }
    EXPECT_EQ(pass.counts.FirefoxImageCount, 5);
    EXPECT_EQ(pass.first(), expected);
    EXPECT_EQ(pass.second(), (std::vector<std::string>{kWarningLine, kDeleteTracesLine}));
    EXPECT_EQ(pass.phase.window.lblStatus.caption,
              "Writing Mozilla Firefox internet scan results...");
    EXPECT_EQ(pass.phase.window.lblStatus2.caption, "");
    EXPECT_EQ(pass.phase.window.pBar.max, 18);
}

// A profile of the test's own: profiles.ini naming a relative profile, and cache folders the
// test fills.
struct CraftedProfile {
    test::TempFolder folder;
    platform::FirefoxFolders folders{folder / "roaming/profiles.ini", folder / "roaming",
                                     folder / "local"};
    CraftedProfile() {
        folder.write("roaming/profiles.ini",
                     "[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=default\n"
                     "IsRelative=1\nPath=ab12cd34.default\n");
    }
    std::string roaming(const std::string& below) const {
        return folder / ("roaming/ab12cd34.default/" + below);
    }
    std::string local(const std::string& below) const {
        return folder / ("local/ab12cd34.default/" + below);
    }
};

TEST(FirefoxCache, ThreeHundredPicturesFillPageOneAndEndItWithThePageTwoLink) {
    for (int pictures : {299, 300, 301, 302}) {
        SCOPED_TRACE(pictures);
        CraftedProfile profile;
        for (int i = 0; i < pictures; ++i)
            profile.folder.write("roaming/ab12cd34.default/Cache/" + std::to_string(i),
                                 kMarker + "picture");
        profile.folder.write("roaming/ab12cd34.default/Cache/not-a-picture", "text\r\n" + kMarker);
        FirefoxPass pass;
        pass.run(profile.folders);
        EXPECT_EQ(pass.counts.FirefoxImageCount, pictures);
        EXPECT_EQ(pass.phase.window.lists.lstFirefox.size(), static_cast<size_t>(pictures + 1));

        const auto first = pass.first();
        const auto second = pass.second();
        const int onFirst = std::min(pictures, 300);
        ASSERT_EQ(first.size(), 2u + 2u * onFirst + (pictures >= 300 ? 1u : 0u));
        EXPECT_EQ(first.back() == kPageTwoLine, pictures >= 300);
        ASSERT_EQ(second.size(), 2u + 2u * (pictures - onFirst));
        EXPECT_EQ(second[0], kWarningLine);
        EXPECT_EQ(second[1], kDeleteTracesLine);
        if (pictures > 300) {
            EXPECT_EQ(second[3], kDeleteImageLine);
        }
    }
}

TEST(FirefoxCache, ChoosesTheCacheFolder) {
    struct Case {
        const char* what;
        std::vector<std::string> roamingFolders, localFolders;
        std::string chosen; // "roaming/..." or "local/..."
    };
    const Case cases[] = {
        {"roaming Cache beats a local one", {"Cache"}, {"Cache"}, "roaming/Cache"},
        {"local Cache next", {"cache2/entries"}, {"Cache", "cache2/entries"}, "local/Cache"},
        {"then local cache2", {"cache2/entries"}, {"cache2/entries"}, "local/cache2/entries"},
        {"then roaming cache2/entries", {"cache2/entries"}, {}, "roaming/cache2/entries"},
        {"nothing: the local Cache", {}, {}, "local/Cache"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        CraftedProfile profile;
        for (const std::string& below : test.roamingFolders)
            fs::create_directories(profile.roaming(below));
        for (const std::string& below : test.localFolders)
            fs::create_directories(profile.local(below));
        const FirefoxProfile found = FindFirefoxProfile(profile.folders);
        const bool roaming = test.chosen.starts_with("roaming/");
        const std::string below = test.chosen.substr(test.chosen.find('/') + 1);
        EXPECT_EQ(ChooseFirefoxCacheFolder(found),
                  roaming ? profile.roaming(below) : profile.local(below));
    }
}

TEST(FirefoxCache, TheRoamingCacheHidesPicturesInTheLocalOne) {
    CraftedProfile profile;
    fs::create_directories(profile.roaming("Cache"));
    profile.folder.write("local/ab12cd34.default/Cache/pic", kMarker);
    FirefoxPass pass;
    pass.run(profile.folders);
    EXPECT_EQ(pass.counts.FirefoxImageCount, 0);
    EXPECT_TRUE(pass.phase.window.lists.lstFirefox.empty());
}

TEST(FirefoxCache, FindsTheProfileFolders) {
    test::TempFolder folder;
    const platform::FirefoxFolders folders{folder / "ff/profiles.ini", folder / "ff",
                                           folder / "cache"};
    struct Case {
        const char* ini;
        std::string name, roaming, local;
    };
    const Case cases[] = {
        {"[Profile0]\nIsRelative=1\nPath=Profiles/ab12cd34.default\n", "Profiles/ab12cd34.default",
         folder / "ff/Profiles/ab12cd34.default", folder / "cache/Profiles/ab12cd34.default"},
        {"[Profile0]\nIsRelative=0\nPath=/data/firefox/me\n", "/data/firefox/me",
         "/data/firefox/me", "/data/firefox/me"},
        {"[Profile1]\nIsRelative=1\nPath=other\n", "", folder / "ff", folder / "cache"},
        {"", "", folder / "ff", folder / "cache"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.ini);
        folder.write("ff/profiles.ini", test.ini);
        const FirefoxProfile profile = FindFirefoxProfile(folders);
        EXPECT_EQ(profile.FirefoxProfileName, test.name);
        EXPECT_EQ(profile.FirefoxProfilePath, test.roaming);
        EXPECT_EQ(profile.FirefoxLocalProfilePath, test.local);
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
    EXPECT_EQ(folders.roamingRoot, home.home() + "/.mozilla/firefox");
    EXPECT_EQ(folders.profileList, home.home() + "/.mozilla/firefox/profiles.ini");
}

TEST(FirefoxCache, IniValues) {
    const std::string ini = "\xEF\xBB\xBF; comment\r\n[General]\r\nPath=general\r\n"
                            "[ profile0 ]\r\n  PATH  =  spaced value  \r\nQuoted=\"in quotes\"\r\n"
                            "Empty=\r\nLong=" +
                            std::string(300, 'v') + "\r\n[Profile0]\r\nSecond=ignored\r\n";
    const std::pair<std::pair<const char*, const char*>, std::string> cases[] = {
        {{"Profile0", "Path"}, "spaced value"},
        {{"PROFILE0", "path"}, "spaced value"},
        {{"General", "Path"}, "general"},
        {{"Profile0", "Quoted"}, "in quotes"},
        {{"Profile0", "Empty"}, ""},
        {{"Profile0", "Long"}, std::string(254, 'v')},
        {{"Profile0", "Second"}, ""}, // only the first section of a name counts
        {{"Profile0", "Missing"}, ""},
        {{"Missing", "Path"}, ""},
    };
    for (const auto& [where, value] : cases) {
        SCOPED_TRACE(std::string(where.first) + "/" + where.second);
        EXPECT_EQ(FindIniValue(ini, where.first, where.second), value);
    }
    test::TempFolder folder;
    EXPECT_EQ(ReadIniValue("Profile0", "Path", folder.write("p.ini", ini)), "spaced value");
    EXPECT_EQ(ReadIniValue("Profile0", "Path", folder / "missing.ini"), "");
}

TEST(FirefoxCache, CachedJpegTest) {
    test::TempFolder folder;
    const std::tuple<const char*, std::string, bool> cases[] = {
        {"starts with the marker", kMarker + "rest", true},
        {"marker later on the first line", "abc" + kMarker + "\r\nmore", true},
        {"no CR LF at all", std::string(100000, 'x') + kMarker, true},
        {"a lone CR or LF does not end the line", "a\rb\nc" + kMarker, true},
        {"marker after CR LF", "line\r\n" + kMarker, false},
        {"CR LF right before the marker", "\r\n" + kMarker, false},
        {"no marker", std::string(200000, 'y'), false},
        {"empty", "", false},
        {"marker cut by CR LF", std::string("\xFF\xD8\r\n\xFF\xE0", 6), false},
    };
    for (const auto& [what, bytes, isJpeg] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(IsCachedJpeg(folder.write("f", bytes)), isJpeg);
    }
    EXPECT_FALSE(IsCachedJpeg(folder.write("_CACHE_001_", kMarker + "picture")));
    EXPECT_FALSE(IsCachedJpeg(folder.write("picture_", kMarker)));
    EXPECT_FALSE(IsCachedJpeg(folder / "missing"));
    EXPECT_FALSE(IsCachedJpeg(folder.makeFolder("folder")));
    // An endless device behind a link is not read.
    fs::create_symlink("/dev/zero", folder / "zero");
    EXPECT_FALSE(IsCachedJpeg(folder / "zero"));
}

TEST(FirefoxCache, FirstLineTestDecidesAcrossPieces) {
    const std::pair<std::string, bool> cases[] = {
        {"ab" + kMarker + "cd\r\n", true},
        {"ab\r\n" + kMarker, false},
        {"abc", false},
        {"\r" + kMarker + "\n", true},
    };
    for (const auto& [content, expected] : cases) {
        for (size_t piece : {1, 2, 3, 5}) {
            SCOPED_TRACE(piece);
            FirstLineJpegTest test;
            auto verdict = FirstLineJpegTest::Verdict::Undecided;
            for (size_t offset = 0;
                 offset < content.size() && verdict == FirstLineJpegTest::Verdict::Undecided;
                 offset += piece)
                verdict = test.feed(std::string_view(content).substr(offset, piece));
            if (verdict == FirstLineJpegTest::Verdict::Undecided)
                verdict = test.finish();
            EXPECT_EQ(verdict == FirstLineJpegTest::Verdict::Jpeg, expected);
        }
    }
}

TEST(FirefoxCache, ListsOnlyTheFilesOfTheFolder) {
    test::TempFolder folder;
    folder.write("cache/a", "1");
    folder.write("cache/sub/b", "2");
    fs::create_symlink(folder / "cache/sub", folder / "cache/linked-folder");
    fs::create_symlink(folder / "cache/a", folder / "cache/linked-file");
    std::vector<std::string> names = ListFolderFiles(folder / "cache");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "linked-file"}));
    EXPECT_TRUE(ListFolderFiles(folder / "missing").empty());
    EXPECT_TRUE(FolderExists(folder / "cache"));
    EXPECT_TRUE(FolderExists(folder / "cache/a"));
    EXPECT_FALSE(FolderExists(folder / "missing"));
}

} // namespace
} // namespace vorlith
