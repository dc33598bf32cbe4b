#include "sources/freedesktop_thumbnails.h"

#include "platform/file_access.h"
#include "platform/thumbnail_locations.h"
#include "sources/memory_file.h"
#include "sources/png_text.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <filesystem>

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

std::string bigEndian32(uint32_t value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

// A chunk as the PNG format lays it out: length, type, body, CRC-32 of type and body.
std::string chunk(const std::string& type, const std::string& body) {
    const std::string covered = type + body;
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(covered.data()), static_cast<uInt>(covered.size()));
    return bigEndian32(static_cast<uint32_t>(body.size())) + covered +
           bigEndian32(static_cast<uint32_t>(crc));
}

std::string compressed(const std::string& text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string bytes(size, '\0');
    compress(reinterpret_cast<Bytef*>(bytes.data()), &size,
             reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()));
    bytes.resize(size);
    return bytes;
}

std::string text(const std::string& keyword, const std::string& value) {
    return chunk("tEXt", keyword + '\0' + value);
}

// A 1x1 grey PNG with the given chunks between its header and its picture data, and after.
std::string png(const std::string& before, const std::string& after = "") {
    const std::string header =
        bigEndian32(1) + bigEndian32(1) + std::string("\x08\x00\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", header) + before +
           chunk("IDAT", compressed(std::string("\x00\x80", 2))) + after + chunk("IEND", "");
}

std::string preview(const std::string& uri, const std::string& modified) {
    return png(text("Thumb::URI", uri) + text("Thumb::MTime", modified) +
               text("Software", "GNOME::ThumbnailFactory"));
}

std::string fileUri(const std::string& path) {
    std::string uri = "file://";
    for (char c : path)
        uri += c == ' ' ? std::string("%20") : std::string(1, c);
    return uri;
}

TEST(FreedesktopThumbnails, FileUrisGiveTheirDecodedLocalPath) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"file:///home/alice/Pictures/a%20b.jpg", "/home/alice/Pictures/a b.jpg"},
        {"file://localhost/srv/x.png", "/srv/x.png"},
        {"FILE:///upper/case", "/upper/case"},
        {"file:///caf%C3%A9/%e2%82%ac.png", "/caf\xC3\xA9/\xE2\x82\xAC.png"},
        {"file:///100%25%", "/100%%"},
        {"file:///50%zz", "/50%zz"},
        {"file:///nul%00byte", std::nullopt},
        {"file://server/share/x.png", std::nullopt},
        {"file:relative.png", std::nullopt},
        {"file://", std::nullopt},
        {"trash:///x.png", std::nullopt},
        {"smb://server/share/x.png", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [uri, path] : cases) {
        SCOPED_TRACE(uri);
        EXPECT_EQ(FileUriPath(uri), path);
    }
}

TEST(FreedesktopThumbnails, ModificationTimeIsWholeDecimalSeconds) {
    const std::vector<std::pair<std::string, std::optional<int64_t>>> cases = {
        {"1700000000", 1700000000},     {"0", 0},
        {"1700000000.25", 1700000000},  {"", std::nullopt},
        {"-5", std::nullopt},           {"17e8", std::nullopt},
        {"1700000000.x", std::nullopt}, {"1234567890123456789", std::nullopt},
    };
    for (const auto& [value, seconds] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ParseThumbMTime(value), seconds);
    }
}

TEST(PngText, TextChunksOfEveryKind) {
    const std::string bomb = compressed(std::string(kLargestPngText + 1, 'a'));
    struct Case {
        const char* name;
        std::string type;
        std::string body;
        std::optional<std::string> keyword;
        std::string value;
    };
    const Case cases[] = {
        {"tEXt in Latin-1", "tEXt", std::string("Title\0caf\xE9", 10), "Title", "caf\xC3\xA9"},
        {"tEXt with empty text", "tEXt", std::string("Key\0", 4), "Key", ""},
        {"zTXt", "zTXt", std::string("Thumb::URI\0\0", 12) + compressed("file:///a%20b"),
         "Thumb::URI", "file:///a%20b"},
        {"iTXt plain", "iTXt",
         std::string("Thumb::URI\0\0\0en\0URI\0", 20) + "file:///\xE2\x82\xAC", "Thumb::URI",
         "file:///\xE2\x82\xAC"},
        {"iTXt compressed", "iTXt", std::string("Thumb::MTime\0\1\0\0\0", 17) + compressed("42"),
         "Thumb::MTime", "42"},
        {"no NUL after the keyword", "tEXt", "Keyword only", std::nullopt, ""},
        {"empty keyword", "tEXt", std::string("\0text", 5), std::nullopt, ""},
        {"keyword of 80 bytes", "tEXt", std::string(80, 'k') + '\0' + "text", std::nullopt, ""},
        {"zTXt with an unknown method", "zTXt", std::string("Key\0\1", 5) + compressed("x"),
         std::nullopt, ""},
        {"zTXt that does not inflate", "zTXt", std::string("Key\0\0garbage", 12), std::nullopt, ""},
        {"zTXt inflating past the limit", "zTXt", std::string("Key\0\0", 5) + bomb, std::nullopt,
         ""},
        {"iTXt cut before its text", "iTXt", std::string("Key\0\0\0en", 8), std::nullopt, ""},
        {"another chunk type", "IDAT", std::string("Key\0text", 8), std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<PngTextEntry> entry = ParsePngTextChunk(c.type, c.body);
        ASSERT_EQ(entry.has_value(), c.keyword.has_value());
        if (entry) {
            EXPECT_EQ(entry->keyword, *c.keyword);
            EXPECT_EQ(entry->text, c.value);
        }
    }
}

TEST(PngText, WalksTheChunksOfTheWholeFile) {
    const std::string withText = png(text("Thumb::URI", "file:///a"), text("Late", "after data"));
    const std::string noText = png("");
    const std::string cut = withText.substr(0, withText.size() - 20);
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> keywords;
        std::string problem;
    };
    const Case cases[] = {
        {"text before and after the picture data", withText, {"Thumb::URI", "Late"}, ""},
        {"no text chunks", noText, {}, ""},
        {"cut inside a chunk",
         cut,
         {"Thumb::URI"},
         "chunk tEXt at byte 87: 15 bytes run past the end of the file (106 bytes)"},
        {"cut after a chunk",
         noText.substr(0, noText.size() - 12),
         {},
         "the file ends without an IEND chunk"},
        {"no signature", withText.substr(1), {}, "no PNG signature"},
        {"no header chunk first",
         std::string("\x89PNG\r\n\x1A\n", 8) + text("A", "b"),
         {},
         "the first chunk is not IHDR"},
        {"an absurd chunk length",
         withText.substr(0, 33) + bigEndian32(0xFFFFFFF0) + "tEXt" + withText.substr(41),
         {},
         "chunk tEXt at byte 33: 4294967280 bytes run past the end of the file (126 bytes)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryInputFile file(c.bytes);
        const PngText read = ReadPngText(file);
        std::vector<std::string> keywords;
        for (const PngTextEntry& entry : read.entries)
            keywords.push_back(entry.keyword);
        EXPECT_EQ(keywords, c.keywords);
        EXPECT_EQ(read.problem, c.problem);
    }
}

TEST(FreedesktopThumbnails, PreviewsSayWhereTheirOriginalWasAndWhetherItIsGone) {
    test::FakeHome home;
    const std::string kept = home.folder().write("Pictures/holiday photo.jpg", "jpeg");
    const std::string deleted = home.folder() / "Pictures/deleted.jpg";
    const std::string thumbnails = home.cache() + "/thumbnails";
    home.folder().write(".cache/thumbnails/normal/0a1b.png", preview(fileUri(kept), "1700000000"));
    home.folder().write(".cache/thumbnails/normal/9f8e.png",
                        preview(fileUri(deleted), "1600000000"));
    home.folder().write(".cache/thumbnails/normal/notes.txt", "not a preview");
    home.folder().write(".cache/thumbnails/normal/5c5c.png.XYZ123", "a half-written preview");
    fs::create_symlink(thumbnails + "/normal/0a1b.png", thumbnails + "/normal/link.png");
    home.folder().write(".cache/thumbnails/large/7d7d.png", preview("trash:///old.jpg", "5"));
    home.folder().write(".cache/thumbnails/fail/gnome-thumbnail-factory/3e3e.png",
                        preview(fileUri(kept), "1700000000"));
    home.folder().write(".thumbnails/normal/1212.png", png(""));
    home.folder().write(".thumbnails/normal/3434.png", "\x89PNG but not really");

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
}

TEST(FreedesktopThumbnails, StopsAtTheYieldAfterACancel) {
    test::FakeHome home;
    for (int i = 0; i < 45; ++i)
        home.folder().write(".cache/thumbnails/normal/" + std::to_string(100 + i) + ".png",
                            png(""));
    TestRun run;
    run.canceled = true;
    NoProgress progress;
    const FreedesktopPreviewList list =
        ListFreedesktopPreviews(platform::FindThumbnailFolders(), run, progress);
    EXPECT_EQ(list.end, PhaseEnd::Stopped);
    EXPECT_EQ(list.previews.size(), 20u);
}

TEST(FileAccess, NoFollowOpenRefusesALinkAsTheLastName) {
    const test::TempFolder folder;
    const std::string target = folder.write("a.png", "bytes");
    fs::create_symlink(target, folder / "link.png");
    platform::SystemError error;
    EXPECT_EQ(platform::OpenRegularFileNoFollow(folder / "link.png", &error), nullptr);
    EXPECT_EQ(error.number, static_cast<uint32_t>(ELOOP));
    auto file = platform::OpenRegularFileNoFollow(target);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size(), 5u);
}

TEST(ThumbnailLocations, FoldersOfEveryHomeBelowADriveRootOnceAndWithoutLinks) {
    test::FakeHome home;
    const test::TempFolder drive;
    home.folder().makeFolder(".cache/thumbnails/normal");
    drive.makeFolder("home/bob/.cache/thumbnails/large");
    drive.makeFolder("home/bob/.cache/thumbnails/normal");
    drive.makeFolder("home/bob/.cache/thumbnails/fail/kde");
    drive.makeFolder("home/bob/.cache/thumbnails/fail/gnome-thumbnail-factory");
    drive.makeFolder("home/bob/.cache/thumbnails/huge"); // not a size the desktop uses
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
