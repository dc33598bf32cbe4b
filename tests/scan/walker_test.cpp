#include "scan/walker.h"

#include "platform/drives.h"
#include "platform/walk_folder.h"
#include "support/phase_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlith {
namespace {

namespace fs = std::filesystem;
using platform::EntryKind;
using platform::FileSystemId;
using Paths = std::vector<std::string>;

using test::FakeRun;

// Raises the cancel flag at the given yield, as a click on Cancel would.
void CancelAtYield(FakeRun& run, int at) {
    run.onYield = [&run, at](int yield) { run.canceled = run.canceled || yield == at; };
}

// A folder tree held in memory, listed in the order given.
struct Node {
    std::string name;
    EntryKind kind = EntryKind::File;
    std::vector<Node> children;
    FileSystemId fileSystem{1, 1};
    bool readable = true;
};

Node File(std::string name) {
    Node node;
    node.name = std::move(name);
    return node;
}
Node Folder(std::string name, std::vector<Node> children = {}) {
    Node node;
    node.name = std::move(name);
    node.kind = EntryKind::Folder;
    node.children = std::move(children);
    return node;
}

class MemoryFolder final : public platform::WalkFolder {
public:
    explicit MemoryFolder(const Node& node) : m_node(node) {}
    FileSystemId fileSystem() const override { return m_node.fileSystem; }
    std::optional<platform::FolderEntry> next() override {
        if (m_next >= m_node.children.size())
            return std::nullopt;
        const Node& child = m_node.children[m_next++];
        platform::FolderEntry entry{child.name, child.kind, 0};
        if (child.kind == EntryKind::Folder)
            entry.attributes |= platform::kAttributeFolder;
        return entry;
    }
    std::unique_ptr<WalkFolder> openSubFolder(const std::string& name,
                                              const FileSystemId& within) override {
        for (const Node& child : m_node.children)
            if (child.name == name && child.kind == EntryKind::Folder && child.readable &&
                child.fileSystem == within)
                return std::make_unique<MemoryFolder>(child);
        return nullptr;
    }

private:
    const Node& m_node;
    size_t m_next = 0;
};

struct WalkResult {
    FoundFiles lists;
    WalkProgress progress;
};

WalkResult WalkMemory(FakeRun& run, const Node& root) {
    WalkResult result;
    MemoryFolder folder(root);
    WalkFolderTree(run, result.lists, result.progress, "/r/", &folder);
    return result;
}

WalkResult WalkDisk(FakeRun& run, const std::string& root) {
    WalkResult result;
    FindFiles(run, result.lists, result.progress, root);
    return result;
}

std::vector<std::string> Numbered(const std::string& prefix, int from, int to) {
    std::vector<std::string> names;
    for (int i = from; i <= to; ++i)
        names.push_back(prefix + std::to_string(i) + ".mp3");
    return names;
}

TEST(Walker, EachNameGoesToTheListOfTheFirstTextItContains) {
    // 'a' audio, 'v' videos, 't' thumbnail stores, '-' no list. A trailing "/" makes a folder
    // holding "inner.mp3".
    const std::map<char, Paths> names = {
        {'a', {"song.mp3.bak", "tune.mpeg3", "a.WMA", "b.m4a", "c.Ogg", "h.mov.mp3", "music.mp3/"}},
        {'v', {"clip.MOV", "d.flv", "e.mpeg", "f.mpg", "g.mmv"}},
        {'t',
         {"THUMBS.DB", "thumbcache_256.db", "ThumbCache_idx.db", "oldTHUMBS.DB.bak", "THUMBCACHE_",
          "Thumbs.db/"}},
        {'-', {"mp3", "clip.mp", "thumbs.d", "notes.txt"}}};
    test::TempFolder root;
    std::map<char, Paths> expected;
    int64_t entries = 0;
    for (const auto& [list, inList] : names) {
        for (const std::string& name : inList) {
            ++entries;
            if (name.ends_with('/')) {
                expected['a'].push_back(root.write(name + "inner.mp3", "x"));
                ++entries;
            } else {
                root.write(name, "x");
            }
            expected[list].push_back(root / name);
        }
    }
    FakeRun run;
    WalkResult walk = WalkDisk(run, root.path());
    const std::pair<char, const FoundFileList*> lists[] = {
        {'a', &walk.lists.lstResult}, {'v', &walk.lists.lstVideos}, {'t', &walk.lists.lstThumbs}};
    for (const auto& [list, found] : lists) {
        SCOPED_TRACE(list);
        Paths listed = found->entries();
        std::sort(listed.begin(), listed.end());
        std::sort(expected[list].begin(), expected[list].end());
        EXPECT_EQ(listed, expected[list]);
    }
    EXPECT_EQ(walk.progress.FilesSearched, entries);
}

TEST(Walker, ListsAFolderWholeThenWalksItsFoldersInListingOrder) {
    const Node root = Folder("", {Folder("a.mp3", {File("x.mp3")}), File("b.mp3"),
                                  Folder("c", {File("y.mp3"), Folder("d.ogg")})});
    FakeRun run;
    std::vector<std::pair<int64_t, std::string>> atYield;
    WalkResult result;
    run.onYield = [&](int) {
        atYield.emplace_back(result.progress.FilesSearched, result.progress.CurrentFolder);
    };
    MemoryFolder folder(root);
    WalkFolderTree(run, result.lists, result.progress, "/r/", &folder);

    EXPECT_EQ(result.lists.lstResult.entries(),
              (Paths{"/r/a.mp3/", "/r/a.mp3/x.mp3", "/r/b.mp3", "/r/c/y.mp3", "/r/c/d.ogg/"}));
    // Root listing (3 yields), then a.mp3's listing, then c's: the progress seen at each yield
    // is the state before that entry is recorded.
    const std::vector<std::pair<int64_t, std::string>> expected = {
        {0, ""}, {1, "/r/a.mp3/"}, {2, "/r/a.mp3/"}, {3, "/r/c/"}, {4, "/r/c/"}, {5, "/r/c/"}};
    EXPECT_EQ(atYield, expected);
    EXPECT_EQ(result.progress.FilesSearched, 6);
    EXPECT_EQ(result.progress.CurrentFolder, "/r/c/d.ogg/");
    EXPECT_EQ(run.cancels, 0);
}

TEST(Walker, SkipsDotEntriesEmptyNamesAndFoldersThatCannotBeOpened) {
    Node locked = Folder("locked", {File("secret.mp3")});
    locked.readable = false;
    const Node root = Folder("", {File("."), File(".."), File(""), locked, File(".hidden.mp3")});
    FakeRun run;
    WalkResult walk = WalkMemory(run, root);
    EXPECT_EQ(walk.lists.lstResult.entries(), Paths{"/r/.hidden.mp3"});
    EXPECT_EQ(walk.progress.FilesSearched, 2);
    EXPECT_EQ(run.yields, 2); // dot entries and empty names cost no yield

    WalkResult none;
    WalkFolderTree(run, none.lists, none.progress, "/r/", nullptr);
    EXPECT_EQ(none.progress.FilesSearched, 0);
}

TEST(Walker, RecordsAFolderOfAnotherFileSystemButDoesNotEnterIt) {
    Node mounted = Folder("usb.mp3", {File("inside.mp3")});
    mounted.fileSystem = {2, 7};
    Node sameDevice = Folder("bind", {File("bound.mp3")});
    sameDevice.fileSystem = {1, 9}; // a second mount of the root's device
    const Node root = Folder("", {mounted, sameDevice, Folder("home", {File("own.mp3")})});
    FakeRun run;
    WalkResult walk = WalkMemory(run, root);
    EXPECT_EQ(walk.lists.lstResult.entries(), (Paths{"/r/usb.mp3/", "/r/home/own.mp3"}));
    EXPECT_EQ(walk.progress.FilesSearched, 4);
}

// A chain of folders "d" nested depth levels deep; the deepest holds "x.mp3".
class ChainFolder final : public platform::WalkFolder {
public:
    explicit ChainFolder(int depth) : m_depth(depth) {}
    FileSystemId fileSystem() const override { return {1, 1}; }
    std::optional<platform::FolderEntry> next() override {
        if (m_listed)
            return std::nullopt;
        m_listed = true;
        if (m_depth == 0)
            return platform::FolderEntry{"x.mp3", EntryKind::File, 0};
        return platform::FolderEntry{"d", EntryKind::Folder, platform::kAttributeFolder};
    }
    std::unique_ptr<WalkFolder> openSubFolder(const std::string&, const FileSystemId&) override {
        return std::make_unique<ChainFolder>(m_depth - 1);
    }

private:
    int m_depth;
    bool m_listed = false;
};

TEST(Walker, WalksAnyDepthOfFolders) {
    constexpr int kDepth = 50000;
    ChainFolder root(kDepth);
    FakeRun run;
    WalkResult walk;
    WalkFolderTree(run, walk.lists, walk.progress, "/r/", &root);
    std::string deepest = "/r/";
    for (int i = 0; i < kDepth; ++i)
        deepest += "d/";
    EXPECT_EQ(walk.progress.FilesSearched, kDepth + 1);
    EXPECT_EQ(walk.progress.CurrentFolder, deepest);
    EXPECT_EQ(walk.lists.lstResult.entries(), Paths{deepest + "x.mp3"});
}

TEST(Walker, CancelDuringListingStopsEveryLevel) {
    // Yields 1-3 list the root, 4 and 5 list "one"; the flag rises at yield 5.
    const Node root = Folder("", {Folder("one", {File("g1.mp3"), File("g2.mp3"), File("g3.mp3")}),
                                  File("f1.mp3"), Folder("two", {File("h1.mp3")})});
    FakeRun run;
    CancelAtYield(run, 5);
    WalkResult walk = WalkMemory(run, root);
    // "one" returns unsorted; the root sorts on until its next hundredth record, and "two" is
    // not listed once the walk is aborted.
    EXPECT_EQ(walk.lists.lstResult.entries(), Paths{"/r/f1.mp3"});
    EXPECT_EQ(walk.progress.FilesSearched, 4);
    EXPECT_EQ(run.yields, 5);
    EXPECT_EQ(run.cancels, 1);
}

TEST(Walker, CancelIsNoticedWhileSortingAtEveryHundredthRecordOfTheWalk) {
    // Records 0-150 are the root's, 151-211 A's, 212-214 B's. The flag rises while B is listed;
    // A then sorts records 152-199 and stops at 200, the root sorts 1-99 and stops at 100.
    std::vector<Node> rootEntries{Folder("A")};
    for (const std::string& name : Numbered("f", 1, 150))
        rootEntries.push_back(File(name));
    std::vector<Node> aEntries{Folder("B", {File("b1"), File("b2"), File("b3")})};
    for (const std::string& name : Numbered("a", 1, 60))
        aEntries.push_back(File(name));
    rootEntries[0].children = aEntries;
    const Node root = Folder("", rootEntries);

    FakeRun run;
    CancelAtYield(run, 151 + 61 + 2);
    WalkResult walk = WalkMemory(run, root);

    Paths expected;
    for (const std::string& name : Numbered("a", 1, 48))
        expected.push_back("/r/A/" + name);
    for (const std::string& name : Numbered("f", 1, 99))
        expected.push_back("/r/" + name);
    EXPECT_EQ(walk.lists.lstResult.entries(), expected);
    EXPECT_EQ(walk.progress.FilesSearched, 151 + 61 + 1);
    EXPECT_EQ(run.cancels, 3); // B, A and the root each call Do_Cancel
}

TEST(Walker, CountersCarryAcrossRootsAndARootGetsItsSeparator) {
    test::TempFolder first, second;
    first.write("sub/song.mp3", "x");
    second.write("clip.flv", "x");
    FakeRun run;
    WalkResult walk;
    FindFiles(run, walk.lists, walk.progress, first.path()); // no trailing separator
    FindFiles(run, walk.lists, walk.progress, second.path() + "/");
    EXPECT_EQ(walk.lists.lstResult.entries(), Paths{first.path() + "/sub/song.mp3"});
    EXPECT_EQ(walk.lists.lstVideos.entries(), Paths{second.path() + "/clip.flv"});
    EXPECT_EQ(walk.progress.FilesSearched, 3);
    EXPECT_EQ(walk.progress.CurrentFolder, first.path() + "/sub/");

    WalkResult missing = WalkDisk(run, first / "no-such-folder");
    EXPECT_EQ(missing.progress.FilesSearched, 0);
}

TEST(Walker, RecordsSymbolicLinksLikeFilesAndNeverFollowsThem) {
    test::TempFolder root;
    root.write("a/song.mp3", "x");
    fs::create_directory_symlink("..", root / "a/up.mp3");
    fs::create_directory_symlink(root / "a", root / "a/self");
    fs::create_symlink("missing", root / "dangling.ogg");
    FakeRun run;
    WalkResult walk = WalkDisk(run, root.path());
    Paths audio = walk.lists.lstResult.entries();
    std::sort(audio.begin(), audio.end());
    EXPECT_EQ(audio, (Paths{root / "a/song.mp3", root / "a/up.mp3", root / "dangling.ogg"}));
    EXPECT_EQ(walk.progress.FilesSearched, 5);
}

TEST(Walker, StaysOnTheRootsFileSystem) {
    // /dev/shm is its own mount on most systems; a walk of /dev records it but stays out.
    bool shmIsMounted = false;
    for (const platform::MountEntry& mount :
         platform::ParseMountInfo(test::ReadFile("/proc/self/mountinfo")))
        shmIsMounted = shmIsMounted || mount.mountPoint == "/dev/shm";
    if (!shmIsMounted || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no writable /dev/shm mount";
    const std::string marker = "/dev/shm/vorlith-walk-" + std::to_string(::getpid()) + ".mp3";
    std::ofstream(marker) << "x";

    FakeRun run;
    WalkResult walk;
    bool sawShm = false;
    run.onYield = [&](int) { sawShm = sawShm || walk.progress.CurrentFolder == "/dev/shm/"; };
    FindFiles(run, walk.lists, walk.progress, "/dev");
    WalkResult inside = WalkDisk(run, "/dev/shm");
    std::remove(marker.c_str());

    const Paths& outside = walk.lists.lstResult.entries();
    EXPECT_EQ(std::find(outside.begin(), outside.end(), marker), outside.end());
    EXPECT_TRUE(sawShm || walk.progress.CurrentFolder == "/dev/shm/");
    const Paths& found = inside.lists.lstResult.entries();
    EXPECT_NE(std::find(found.begin(), found.end(), marker), found.end());
}

TEST(WalkFolder, ReportsKindsWithoutFollowingLinksAndOpensOnlyRealFoldersOfItsFileSystem) {
    test::TempFolder root;
    root.write("file", "x");
    root.write(".hidden", "x");
    root.makeFolder("sub");
    fs::create_directory_symlink(root / "sub", root / "link");
    ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0);
    // Enough long names to need several reads of the listing.
    const std::string longName(200, 'n');
    for (int i = 0; i < 400; ++i)
        root.write("many/" + longName + std::to_string(i), "");

    auto folder = platform::OpenWalkFolder(root.path());
    ASSERT_TRUE(folder);
    std::map<std::string, std::pair<EntryKind, uint32_t>> seen;
    while (auto entry = folder->next())
        seen[entry->name] = {entry->kind, entry->attributes};
    using platform::kAttributeFolder, platform::kAttributeHidden;
    const std::map<std::string, std::pair<EntryKind, uint32_t>> expected = {
        {".", {EntryKind::Folder, kAttributeFolder | kAttributeHidden}},
        {"..", {EntryKind::Folder, kAttributeFolder | kAttributeHidden}},
        {"file", {EntryKind::File, 0}},
        {".hidden", {EntryKind::File, kAttributeHidden}},
        {"sub", {EntryKind::Folder, kAttributeFolder}},
        {"link", {EntryKind::SymbolicLink, 0}},
        {"pipe", {EntryKind::Other, 0}},
        {"many", {EntryKind::Folder, kAttributeFolder}},
    };
    EXPECT_EQ(seen, expected);

    const FileSystemId own = folder->fileSystem();
    EXPECT_TRUE(folder->openSubFolder("sub", own));
    EXPECT_FALSE(folder->openSubFolder("link", own));
    EXPECT_FALSE(folder->openSubFolder("file", own));
    EXPECT_FALSE(folder->openSubFolder("gone", own));
    EXPECT_FALSE(folder->openSubFolder("sub", FileSystemId{own.device + 1, own.mount}));
    EXPECT_FALSE(folder->openSubFolder("sub", FileSystemId{own.device, own.mount + 1}));

    auto many = folder->openSubFolder("many", own);
    ASSERT_TRUE(many);
    EXPECT_EQ(many->fileSystem(), own);
    int count = 0;
    while (auto entry = many->next())
        count += entry->name.size() > longName.size() ? 1 : 0;
    EXPECT_EQ(count, 400);
    EXPECT_FALSE(platform::OpenWalkFolder(root / "file"));
}

} // namespace
} // namespace vorlith
