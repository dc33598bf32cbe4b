#include "scan/walker.h"

#include "platform/drives.h"
#include "platform/walk_folder.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace vorlith {
namespace {

namespace fs = std::filesystem;
using platform::EntryKind;
using platform::FileSystemId;
using Paths = std::vector<std::string>;

// A folder tree held in memory, listed in the order given.
struct Node {
    std::string name;
    EntryKind kind = EntryKind::File;
    std::vector<Node> children;
    FileSystemId fileSystem{1, 1};
};

Node File(std::string name) {
    return Node{std::move(name), EntryKind::File, {}};
}
Node Folder(std::string name, std::vector<Node> children = {}) {
    return Node{std::move(name), EntryKind::Folder, std::move(children)};
}
std::vector<Node> Files(const std::string& prefix, int count) {
    std::vector<Node> files;
    for (int i = 1; i <= count; ++i)
        files.push_back(File(prefix + std::to_string(i) + ".mp3"));
    return files;
}

class MemoryFolder final : public platform::WalkFolder {
public:
    explicit MemoryFolder(const Node& node) : m_node(node) {}
    FileSystemId fileSystem() const override { return m_node.fileSystem; }
    std::optional<platform::FolderEntry> next() override {
        if (m_next >= m_node.children.size())
            return std::nullopt;
        const Node& child = m_node.children[m_next++];
        return platform::FolderEntry{child.name, child.kind,
                                     child.kind == EntryKind::Folder ? platform::kAttributeFolder
                                                                     : 0u};
    }
    std::unique_ptr<WalkFolder> openSubFolder(const std::string& name,
                                              const FileSystemId& within) override {
        for (const Node& child : m_node.children)
            if (child.name == name && child.kind == EntryKind::Folder && child.fileSystem == within)
                return std::make_unique<MemoryFolder>(child);
        return nullptr;
    }

private:
    const Node& m_node;
    size_t m_next = 0;
};

struct Walk {
    test::ScriptedRun run;
    FoundFiles lists;
    WalkProgress progress;
    PhaseEnd end = PhaseEnd::Finished;

    Walk& memory(const Node& root) {
        MemoryFolder folder(root);
        end = WalkFolderTree(run, lists, progress, "/r/", &folder);
        return *this;
    }
    Paths audio() const { return lists.lstResult.entries(); }
};

TEST(Walker, EachNameGoesToTheListOfTheFirstTextItContains) {
    std::vector<Node> entries{File("."), File(".."), File("")};
    for (const char* name :
         {"song.mp3.bak", "tune.mpeg3", "a.WMA", "b.m4a", "c.Ogg", "h.mov.mp3", "clip.MOV", "d.flv",
          "e.mpeg", "f.mpg", "g.mmv", "THUMBS.DB", "thumbcache_256.db", "oldTHUMBS.DB.bak",
          "ThumbCache_", "mp3", "clip.mp", "thumbs.d"})
        entries.push_back(File(name));
    // A folder on another file system (or one that cannot be opened) is recorded, not entered.
    entries.insert(entries.end(), {Folder("music.mp3", {File("x.mp3")}), Folder("Thumbs.db"),
                                   Folder("usb.mp3", {File("inside.mp3")}),
                                   Folder("home", {File(".hidden.mp3")})});
    entries[entries.size() - 2].fileSystem = {2, 7};
    Walk walk;
    std::vector<std::pair<int64_t, std::string>> atYield;
    walk.run.onYield = [&](int) {
        atYield.emplace_back(walk.progress.FilesSearched, walk.progress.CurrentFolder);
    };
    EXPECT_EQ(walk.memory(Folder("", entries)).end, PhaseEnd::Finished);
    // The root is listed whole before music.mp3 is (at yield 23): each yield sees the count
    // before its entry and the folder entry listed last.
    ASSERT_EQ(atYield.size(), 24u);
    EXPECT_EQ(atYield[19], (std::pair<int64_t, std::string>{19, "/r/music.mp3/"}));
    EXPECT_EQ(atYield[22], (std::pair<int64_t, std::string>{22, "/r/home/"}));
    EXPECT_EQ(walk.audio(), (Paths{"/r/song.mp3.bak", "/r/tune.mpeg3", "/r/a.WMA", "/r/b.m4a",
                                   "/r/c.Ogg", "/r/h.mov.mp3", "/r/music.mp3/",
                                   "/r/music.mp3/x.mp3", "/r/usb.mp3/", "/r/home/.hidden.mp3"}));
    EXPECT_EQ(walk.lists.lstVideos.entries(),
              (Paths{"/r/clip.MOV", "/r/d.flv", "/r/e.mpeg", "/r/f.mpg", "/r/g.mmv"}));
    EXPECT_EQ(walk.lists.lstThumbs.entries(),
              (Paths{"/r/THUMBS.DB", "/r/thumbcache_256.db", "/r/oldTHUMBS.DB.bak",
                     "/r/ThumbCache_", "/r/Thumbs.db/"}));
    EXPECT_EQ(walk.progress.FilesSearched, 24); // dot entries and empty names are no entries
    EXPECT_EQ(walk.progress.CurrentFolder, "/r/home/");
}

TEST(Walker, WalksAnyDepthOfFolders) {
    constexpr int kDepth = 50000; // folders "d" in one another, the root the outermost
    Node chain = File("x.mp3");
    std::string deepest = "/r/";
    for (int i = 0; i < kDepth; ++i) {
        std::vector<Node> inner(1);
        inner[0] = std::move(chain);
        chain = Folder("d", std::move(inner));
        deepest += i > 0 ? "d/" : "";
    }
    Walk walk;
    EXPECT_EQ(walk.memory(chain).progress.FilesSearched, kDepth);
    EXPECT_EQ(walk.audio(), Paths{deepest + "x.mp3"});
    while (!chain.children.empty()) // taken apart level by level, not by a deep recursion
        chain = Node(std::move(chain.children[0]));
}

TEST(Walker, ACancelWhileListingStopsTheWholeWalkAtOnce) {
    // Yields 1-3 list the root; "one.mp3" is recorded as the root is sorted, yields 4-6 list it.
    const Node root = Folder(
        "", {Folder("one.mp3", Files("g", 3)), File("f1.mp3"), Folder("two", {File("h1.mp3")})});
    for (const auto& [cancelAt, audio] :
         std::vector<std::pair<int, Paths>>{{1, {}}, {5, {"/r/one.mp3/"}}}) {
        SCOPED_TRACE(cancelAt);
        Walk walk;
        walk.run.onYield = [&walk, at = cancelAt](int yield) { walk.run.canceled |= yield == at; };
        EXPECT_EQ(walk.memory(root).end, PhaseEnd::Stopped);
        EXPECT_EQ(walk.audio(), audio);
        EXPECT_EQ(walk.progress.FilesSearched, cancelAt - 1);
        EXPECT_EQ(walk.run.yields, cancelAt); // nothing more once the flag is seen
    }
}

TEST(Walker, WhileSortingTheCancelIsTestedAtEveryHundredthRecordOfTheWalk) {
    // Records 0-150 are the root's ("A" first), 151-249 A's. The flag rises once anything is
    // listed; the test at record 200, A's 50th, is the first to see it.
    std::vector<Node> rootEntries = Files("f", 150);
    rootEntries.insert(rootEntries.begin(), Folder("A", Files("a", 99)));
    Walk walk;
    walk.run.cancelWhen = [&] { return !walk.lists.lstResult.empty(); };
    EXPECT_EQ(walk.memory(Folder("", rootEntries)).end, PhaseEnd::Stopped);
    ASSERT_EQ(walk.audio().size(), 49u);
    EXPECT_EQ(walk.audio().back(), "/r/A/a49.mp3");
    EXPECT_EQ(walk.progress.FilesSearched, 250);
}

TEST(Walker, OnDiskRecordsLinksAndPipesLikeFilesAndNeverFollowsALink) {
    test::TempFolder root;
    root.write("sub/song.mp3", "x");
    fs::create_directory_symlink("..", root / "sub/up.mp3");
    fs::create_directory_symlink(root / "sub", root / "sub/self");
    fs::create_symlink("missing", root / "dangling.ogg");
    ASSERT_EQ(::mkfifo((root / "pipe.wma").c_str(), 0600), 0);
    Paths expected{root / "sub/song.mp3", root / "sub/up.mp3", root / "dangling.ogg",
                   root / "pipe.wma"};
    // Enough long names to need several reads of a listing.
    for (int i = 0; i < 400; ++i)
        expected.push_back(
            root.write("many/" + std::string(200, 'n') + std::to_string(i) + ".m4a", ""));
    Walk walk, none;
    EXPECT_EQ(FindFiles(walk.run, walk.lists, walk.progress, root.path()), // without separator
              PhaseEnd::Finished);
    Paths audio = walk.audio();
    std::sort(audio.begin(), audio.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(audio, expected);
    EXPECT_EQ(walk.progress.FilesSearched, 4 + 3 + 400);
    FindFiles(none.run, none.lists, none.progress, root / "sub/song.mp3"); // no folder
    EXPECT_EQ(none.progress.FilesSearched, 0);

    // /dev/shm is a mount of its own on most systems: /dev does not open it as its sub-folder.
    bool shmIsMounted = false;
    for (const auto& mount : platform::ParseMountInfo(test::ReadFile("/proc/self/mountinfo")))
        shmIsMounted |= mount.mountPoint == "/dev/shm";
    if (auto dev = platform::OpenWalkFolder("/dev"); dev && shmIsMounted) {
        EXPECT_FALSE(dev->openSubFolder("shm", dev->fileSystem()));
    }
}

} // namespace
} // namespace vorlith
