#include "sources/freedesktop_thumbnails.h"

#include "platform/thumbnail_locations.h"
#include "sources/memory_file.h"
#include "sources/png_text.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace vorlith {
namespace {

namespace fs = std::filesystem;
using platform::ThumbnailSize;

class TestRun final : public RunControl {
public:
    int yields = 0;
    bool canceled = false;
    void yield() override { ++yields; }
    bool isCanceled() const override { return canceled; }
};

using test::BigEndian32, test::PngChunk, test::ZlibCompressed, test::Png;
using test::PngTextChunk, test::PreviewPng;

std::string fileUri(const std::string& path) {
    std::string uri = "file://";
    for (char c : path)
        uri += c == ' ' ? std::string("%20") : std::string(1, c);
    return uri;
}

TEST(FreedesktopThumbnails, FileUrisGiveTheirDecodedLocalPathAndMTimeItsSeconds) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> uris = {
        {"file:///home/alice/a%20b.jpg", "/home/alice/a b.jpg"},
        {"FILE://localhost/srv/x.png", "/srv/x.png"},
        {"file:///caf%C3%A9/%e2%82%ac", "/caf\xC3\xA9/\xE2\x82\xAC"},
        {"file:///100%25%zz", "/100%%zz"}, // a '%' without two hex digits stays
        {"file:///nul%00byte", std::nullopt},
        {"file://server/share/x.png", std::nullopt},
        {"file:relative.png", std::nullopt},
        {"trash:///x.png", std::nullopt},
    };
    for (const auto& [uri, path] : uris)
        EXPECT_EQ(FileUriPath(uri), path) << uri;
    const std::vector<std::pair<std::string, std::optional<int64_t>>> times = {
        {"1700000000", 1700000000}, {"1700000000.25", 1700000000},
        {"", std::nullopt},         {"-5", std::nullopt},
        {"17e8", std::nullopt},     {"1234567890123456789", std::nullopt},
    };
    for (const auto& [text, seconds] : times)
        EXPECT_EQ(ParseThumbMTime(text), seconds) << text;
}

TEST(PngText, TextChunksOfEveryKind) {
    using Entry = std::optional<std::pair<std::string, std::string>>;
    const std::vector<std::tuple<std::string, std::string, Entry>> cases = {
        {"tEXt", std::string("Title\0caf\xE9", 10), {{"Title", "caf\xC3\xA9"}}},
        {"zTXt",
         std::string("Thumb::URI\0\0", 12) + ZlibCompressed("file:///a"),
         {{"Thumb::URI", "file:///a"}}},
        {"iTXt",
         std::string("Thumb::URI\0\0\0en\0URI\0", 20) + "file:///\xE2\x82\xAC",
         {{"Thumb::URI", "file:///\xE2\x82\xAC"}}},
        {"iTXt",
         std::string("Thumb::MTime\0\1\0\0\0", 17) + ZlibCompressed("42"),
         {{"Thumb::MTime", "42"}}},
        {"tEXt", "Keyword without NUL", std::nullopt},
        {"tEXt", std::string(80, 'k') + '\0' + "keyword too long", std::nullopt},
        {"zTXt", std::string("Key\0\1", 5) + ZlibCompressed("unknown method"), std::nullopt},
        {"zTXt", std::string("Key\0\0garbage", 12), std::nullopt},
        {"zTXt", std::string("Key\0\0", 5) + ZlibCompressed(std::string(kLargestPngText + 1, 'a')),
         std::nullopt},
        {"IDAT", std::string("Key\0text", 8), std::nullopt},
    };
    for (const auto& [type, body, expected] : cases) {
        SCOPED_TRACE(type + ": " + body.substr(0, 12));
        const std::optional<PngTextEntry> entry = ParsePngTextChunk(type, body);
        ASSERT_EQ(entry.has_value(), expected.has_value());
        if (entry) {
            EXPECT_EQ(std::make_pair(entry->keyword, entry->text), *expected);
        }
    }
}

TEST(PngText, WalksTheChunksOfTheWholeFileWithoutReadingThePicture) {
    // Signature 8, IHDR 25, the URI's tEXt 32, IDAT 22, "Late" tEXt 27, IEND 12: 126 bytes.
    const std::string whole =
        Png(PngTextChunk("Thumb::URI", "file:///a"), PngTextChunk("Late", "after data"));
    std::string manyChunks;
    for (int i = 0; i < 100000; ++i)
        manyChunks += PngChunk("shIm", ""); // a private chunk type, with nothing in it
    const std::vector<std::tuple<std::string, std::vector<std::string>, std::string>> cases = {
        {whole, {"Thumb::URI", "Late"}, ""},
        {Png(""), {}, ""},
        {whole.substr(0, 106),
         {"Thumb::URI"},
         "chunk tEXt at byte 87: 15 bytes run past the end of the file (106 bytes)"},
        {whole.substr(0, 33) + BigEndian32(0xFFFFFFF0) + whole.substr(37),
         {},
         "chunk tEXt at byte 33: 4294967280 bytes run past the end of the file (126 bytes)"},
        {whole.substr(1), {}, "no PNG signature"},
        {Png(manyChunks), {}, "more than 100000 chunks; the rest is not read"},
    };
    for (const auto& [bytes, keywords, problem] : cases) {
        SCOPED_TRACE(problem);
        MemoryInputFile file(bytes);
        const PngText read = ReadPngText(file);
        std::vector<std::string> found;
        for (const PngTextEntry& entry : read.entries)
            found.push_back(entry.keyword);
        EXPECT_EQ(found, keywords);
        EXPECT_EQ(read.problem, problem);
    }
}

TEST(FreedesktopThumbnails, PreviewsSayWhereTheirOriginalWasAndWhetherItIsGone) {
    test::FakeHome home;
    const std::string kept = home.folder().write("Pictures/holiday photo.jpg", "jpeg");
    const std::string deleted = home.folder().write("Pictures/deleted.jpg", "jpeg");
    const std::string thumbnails = home.cache() + "/thumbnails";
    home.folder().write(".cache/thumbnails/normal/0a1b.png",
                        PreviewPng(fileUri(kept), "1700000000"));
    home.folder().write(".cache/thumbnails/normal/9f8e.png",
                        PreviewPng(fileUri(deleted), "1600000000"));
    home.folder().write(".cache/thumbnails/normal/notes.txt", "not a preview");
    home.folder().write(".cache/thumbnails/normal/5c5c.png.XYZ123", "a half-written preview");
    fs::create_symlink(thumbnails + "/normal/0a1b.png", thumbnails + "/normal/link.png");
    home.folder().write(".cache/thumbnails/large/7d7d.png", PreviewPng("trash:///old.jpg", "5"));
    home.folder().write(".cache/thumbnails/fail/gnome-thumbnail-factory/3e3e.png",
                        PreviewPng(fileUri(kept), "1700000000"));
    home.folder().write(".thumbnails/normal/1212.png", Png(""));
    home.folder().write(".thumbnails/normal/3434.png", "\x89PNG but not really");
    fs::remove(deleted); // its previews stay behind

    TestRun run;
    NoProgress progress;
    const FreedesktopPreviewList list =
        ListFreedesktopPreviews(platform::FindThumbnailFolders(), run, progress);
    EXPECT_EQ(list.end, PhaseEnd::Finished);
    struct Expected {
        std::string path;
        ThumbnailSize size;
        std::string uri;
        std::string originalPath;
        std::optional<int64_t> time;
        OriginalState original;
        std::string problem;
    };
    const Expected expected[] = {
        {thumbnails + "/normal/0a1b.png", ThumbnailSize::Normal, fileUri(kept), kept, 1700000000,
         OriginalState::Exists, ""},
        {thumbnails + "/normal/9f8e.png", ThumbnailSize::Normal, fileUri(deleted), deleted,
         1600000000, OriginalState::Missing, ""},
        {thumbnails + "/large/7d7d.png", ThumbnailSize::Large, "trash:///old.jpg", "", 5,
         OriginalState::Unknown, ""},
        {thumbnails + "/fail/gnome-thumbnail-factory/3e3e.png", ThumbnailSize::Failed,
         fileUri(kept), kept, 1700000000, OriginalState::Exists, ""},
        {home.home() + "/.thumbnails/normal/1212.png", ThumbnailSize::Normal, "", "", std::nullopt,
         OriginalState::Unknown, ""},
        {home.home() + "/.thumbnails/normal/3434.png", ThumbnailSize::Normal, "", "", std::nullopt,
         OriginalState::Unknown, "no PNG signature"},
    };
    ASSERT_EQ(list.previews.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].path);
        const FreedesktopPreview& found = list.previews[i];
        EXPECT_EQ(found.path, expected[i].path);
        EXPECT_EQ(found.size, expected[i].size);
        EXPECT_EQ(found.originalUri, expected[i].uri);
        EXPECT_EQ(found.originalPath, expected[i].originalPath);
        EXPECT_EQ(found.originalTime, expected[i].time);
        EXPECT_EQ(found.original, expected[i].original);
        EXPECT_EQ(found.problem, expected[i].problem);
    }

    // Copied for the report as desktop-1.png and on: not the failure marker, not the file that
    // is no PNG.
    const test::TempFolder report;
    auto thumbs = platform::CreateOutputFolder(report.path());
    const DesktopThumbFindings copied = CopyFreedesktopPreviews({}, thumbs.get(), run, progress);
    std::vector<std::string> copies;
    for (const CopiedPreview& preview : copied.previews)
        copies.push_back(test::ReadFile(report / preview.fileName) ==
                                 test::ReadFile(preview.preview.path)
                             ? preview.preview.path
                             : "");
    EXPECT_EQ(copies, (std::vector<std::string>{expected[0].path, expected[1].path,
                                                expected[2].path, expected[4].path}));
    EXPECT_EQ(copied.deletedCount, 1);
}

TEST(FreedesktopThumbnails, StopsAtTheYieldAfterACancel) {
    test::FakeHome home;
    for (int i = 0; i < 45; ++i)
        home.folder().write(".cache/thumbnails/normal/" + std::to_string(100 + i) + ".png",
                            Png(""));
    TestRun run;
    run.canceled = true;
    NoProgress progress;
    const FreedesktopPreviewList list =
        ListFreedesktopPreviews(platform::FindThumbnailFolders(), run, progress);
    EXPECT_EQ(list.end, PhaseEnd::Stopped);
    EXPECT_EQ(list.previews.size(), 20u);
}

TEST(ThumbnailLocations, FoldersOfEveryHomeBelowADriveRootOnceAndWithoutLinks) {
    test::FakeHome home;
    const test::TempFolder drive;
    home.folder().makeFolder(".cache/thumbnails/normal");
    for (const char* folder : {"large", "normal", "fail/kde", "fail/gnome-thumbnail-factory",
                               "huge" /* not a size the desktop uses */})
        drive.makeFolder(std::string("home/bob/.cache/thumbnails/") + folder);
    drive.makeFolder("root/.thumbnails/normal");
    drive.makeFolder(".cache/thumbnails/x-large");
    drive.makeFolder("carol/.cache");
    fs::create_directory_symlink(drive / "elsewhere", drive / "carol/.cache/thumbnails");
    drive.makeFolder("elsewhere/normal");
    drive.makeFolder("home/dave");
    fs::create_directory_symlink(drive / "dave-thumbnails", drive / "home/dave/.thumbnails");
    drive.makeFolder("dave-thumbnails/normal");
    fs::create_directory_symlink(home.home(), drive / "home/me"); // a link to a home: not entered

    // The fake home as a second root finds its own folder again: given once.
    const std::vector<platform::ThumbnailFolder> folders =
        platform::FindThumbnailFolders({drive.path(), home.home()});
    const std::vector<std::pair<std::string, ThumbnailSize>> expected = {
        {home.cache() + "/thumbnails/normal", ThumbnailSize::Normal},
        {drive / ".cache/thumbnails/x-large", ThumbnailSize::XLarge},
        {drive / "root/.thumbnails/normal", ThumbnailSize::Normal},
        {drive / "home/bob/.cache/thumbnails/normal", ThumbnailSize::Normal},
        {drive / "home/bob/.cache/thumbnails/large", ThumbnailSize::Large},
        {drive / "home/bob/.cache/thumbnails/fail/gnome-thumbnail-factory", ThumbnailSize::Failed},
        {drive / "home/bob/.cache/thumbnails/fail/kde", ThumbnailSize::Failed},
    };
    std::vector<std::pair<std::string, ThumbnailSize>> found;
    for (const platform::ThumbnailFolder& folder : folders)
        found.push_back({folder.path, folder.size});
    EXPECT_EQ(found, expected);
}

} // namespace
} // namespace vorlith
