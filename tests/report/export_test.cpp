// The export file: what may stand at its name, the CSV table's header and a row, and the
// categories each browser trace is listed under.

#include "report/export.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vorlith {
namespace {

namespace fs = std::filesystem;
using test::ReadFile, test::TempFolder;

const std::string kCsvHeader = "kind,browser,profile,url,local_file,size,last_modified,expire,"
                               "last_access,last_sync,hit_rate,categories\r\n";
const std::string kJsonStart = R"({"format":"vorlith-export")";

TEST(AuditExport, WritesTheBrowserTracesAsACsvTableOnlyForItsOwner) {
    TempFolder folder;
    UrlCacheLists lists;
    lists.origins.push_back({"Firefox", "/home/anna/.mozilla/firefox/a, b"});
    UrlCacheEntry cookie;
    cookie.SourceUrlName = "Cookie: anna@\"poker\".example/";
    cookie.Size = 97;
    cookie.HitRate = 3;
    cookie.LastAccessTime = {2026, 12, 1, 7, 0, 5};
    cookie.Origin = 1;
    lists.CacheCookieList.push_back(cookie);
    std::string problem;
    auto exported = AuditExport::Begin(folder / "traces.csv", {}, &problem);
    ASSERT_TRUE(exported) << problem;
    exported->addBrowserTraces(lists);
    ASSERT_TRUE(exported->finish(&problem)) << problem;
    EXPECT_EQ(ReadFile(folder / "traces.csv"),
              kCsvHeader +
                  "cookie,Firefox,\"/home/anna/.mozilla/firefox/a, b\",\"Cookie: "
                  "anna@\"\"poker\"\".example/\",,97,,,2026-12-01T07:00:05,,3,gambling\r\n");
    EXPECT_EQ(fs::status(folder / "traces.csv").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

// A previous export of the same format is replaced; anything else at the name is left as it was,
// also when it turns up while the audit runs, and an export that is not finished leaves nothing.
TEST(AuditExport, ReplacesOnlyAPreviousExportOfItsFormat) {
    TempFolder folder;
    folder.write("old.json", kJsonStart + ",\"version\":1}\n");
    folder.write("old.csv", kCsvHeader);
    folder.write("notes.json", "{\"format\": \"mine\"}\n");
    folder.write("json-export.csv", kJsonStart + "}\n");
    folder.makeFolder("folder.json");
    fs::create_symlink(folder / "old.csv", folder / "link.csv");
    struct Case {
        const char* name;
        bool isAccepted;
    };
    for (const Case& c :
         {Case{"new.json", true}, Case{"NEW.CSV", true}, Case{"old.json", true},
          Case{"old.csv", true}, Case{"notes.json", false}, Case{"json-export.csv", false},
          Case{"folder.json", false}, Case{"link.csv", false}, Case{"traces.txt", false},
          Case{"missing/new.json", false}}) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / c.name;
        const std::string before = fs::is_regular_file(path) ? ReadFile(path) : "";
        EXPECT_EQ(CheckExportTarget(path).empty(), c.isAccepted);
        std::string problem;
        auto exported = AuditExport::Begin(path, {}, &problem);
        ASSERT_EQ(exported != nullptr, c.isAccepted) << problem;
        if (exported) {
            ASSERT_TRUE(exported->finish(&problem)) << problem;
            EXPECT_TRUE(ReadFile(path).starts_with(
                ExportFormatOf(path) == ExportFormat::Csv ? kCsvHeader : kJsonStart));
        } else {
            EXPECT_FALSE(problem.empty());
            EXPECT_EQ(fs::is_regular_file(path) ? ReadFile(path) : "", before);
        }
    }
    EXPECT_TRUE(fs::is_symlink(folder / "link.csv"));

    std::string problem;
    auto late = AuditExport::Begin(folder / "late.json", {}, &problem);
    ASSERT_TRUE(late);
    folder.write("late.json", "mine");
    EXPECT_FALSE(late->finish(&problem));
    EXPECT_EQ(ReadFile(folder / "late.json"), "mine");
    ASSERT_TRUE(AuditExport::Begin(folder / "unfinished.json", {}, &problem));
    for (const auto& entry : fs::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().filename().string().find("tmp"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "unfinished.json"));
}

TEST(AuditExport, TracesGetTheCategoriesThePagesListThemUnder) {
    auto bits = [](std::initializer_list<TraceCategory> categories) {
        CategorySet set = 0;
        for (TraceCategory category : categories)
            set |= static_cast<CategorySet>(1u << static_cast<unsigned>(category));
        return set;
    };
    using enum TraceCategory;
    struct Case {
        TraceKind kind;
        const char* address;
        CategorySet categories;
    } cases[] = {
        {TraceKind::CachedFile, "http://lgbt.example/a.JPG", bits({Explicit})},
        {TraceKind::CachedFile, "http://teen.example/a.jpg", bits({Explicit, Teen})},
        {TraceKind::CachedFile, "http://teen.example/a.png", bits({Teen})},
        {TraceKind::CachedFile, "http://poker.example/espn.jpeg", bits({Gambling, Sports})},
        {TraceKind::CachedFile, "http://poker.example/clip.flv", 0},
        {TraceKind::History, "Visited: anna@http://myspace.example/", bits({Personals})},
        {TraceKind::History, "Visited: anna@http://poker.example/a.gif", 0},
        {TraceKind::History, "Visited: anna@ftp://poker.example/", 0},
        {TraceKind::History, "Visited: anna@http://plain.example/", bits({Other})},
        {TraceKind::Cookie, "Cookie: anna@nytimes.example/", bits({News})},
        {TraceKind::Cookie, "Cookie: anna@lgbt.example/", bits({Other})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(TraceCategories(c.kind, c.address), c.categories);
    }
}

} // namespace
} // namespace vorlith
