// The walk and the passes after it on hostile trees: folders deeper than the file handles a
// program may hold, folders that cannot be read, and links named like songs and stores.

#include "scan/audio_files.h"
#include "scan/thumb_stores.h"
#include "scan/walker.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace vorlith {
namespace {

namespace fs = std::filesystem;

// Lowers the soft limit of open files for the life of the object.
class ScopedFileLimit {
public:
    explicit ScopedFileLimit(rlim_t limit) {
        ::getrlimit(RLIMIT_NOFILE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~ScopedFileLimit() { ::setrlimit(RLIMIT_NOFILE, &m_old); }

private:
    rlimit m_old{};
};

TEST(WalkLimits, EveryLevelOfAChainDeeperThanTheFileHandlesIsWalked) {
    test::TempFolder root;
    std::string path = root.path();
    std::string deep;
    for (int depth = 1; depth <= 300; ++depth) {
        path += "/d";
        ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
        if (depth == 250)
            deep = root.write(path.substr(root.path().size() + 1) + "/deep.mp3", "x");
    }
    test::ScriptedRun run;
    FoundFiles lists;
    WalkProgress progress;
    {
        ScopedFileLimit limit(40);
        EXPECT_EQ(FindFiles(run, lists, progress, root.path()), PhaseEnd::Finished);
    }
    EXPECT_EQ(lists.lstResult.entries(), std::vector<std::string>{deep});
    EXPECT_EQ(progress.FoldersUnreadable, 0);
}

// A folder that lists one sub-folder, which cannot be opened.
class LockedFolder final : public platform::WalkFolder {
public:
    platform::FileSystemId fileSystem() const override { return {1, 1}; }
    std::optional<platform::FolderEntry> next() override {
        if (m_listed)
            return std::nullopt;
        m_listed = true;
        return platform::FolderEntry{"locked", platform::EntryKind::Folder,
                                     platform::kAttributeFolder};
    }
    std::unique_ptr<WalkFolder> openSubFolder(const std::string&,
                                              const platform::FileSystemId&) override {
        return nullptr;
    }
    SubFolder enterSubFolder(const std::string&, const platform::FileSystemId&) override {
        return {nullptr, true};
    }

private:
    bool m_listed = false;
};

TEST(WalkLimits, FoldersThatCannotBeOpenedAreCounted) {
    LockedFolder root;
    test::ScriptedRun run;
    FoundFiles lists;
    WalkProgress progress;
    WalkFolderTree(run, lists, progress, "/r/", &root);
    EXPECT_EQ(progress.FoldersUnreadable, 1);
}

TEST(WalkLimits, LinksNamedLikeSongsAndStoresAreListedButNeverOpened) {
    test::TempFolder outside, root;
    std::string tagged(200, 'a');
    tagged += "TAG" + std::string("Title") + std::string(25, '\0') + "Artist" +
              std::string(24, '\0') + std::string(65, '\0');
    const std::string song = outside.write("tagged.mp3", tagged);
    root.write("real.mp3", tagged); // the same bytes, not through a link
    const std::string store = outside.write("secret.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + "x");
    fs::create_symlink(song, root / "linked.mp3");
    fs::create_symlink(store, root / "thumbs.db");

    test::ScriptedRun run;
    test::RecordingProgress progress;
    FoundFiles lists;
    WalkProgress walk;
    FindFiles(run, lists, walk, root.path());
    ASSERT_EQ(lists.lstResult.size(), 2u);
    ASSERT_EQ(lists.lstThumbs.size(), 1u);

    const AudioFindings audio = ReadAudioTags(run, progress, lists.lstResult);
    for (size_t index = 0; index < lists.lstResult.size(); ++index) {
        SCOPED_TRACE(lists.lstResult[index]);
        const bool isLink = lists.lstResult[index].ends_with("linked.mp3");
        EXPECT_EQ(audio.tagOf(index) == nullptr, isLink);
    }
    ThumbFindings thumbs;
    ProcessThumbStores(run, progress, lists.lstThumbs, root / "out", thumbs);
    EXPECT_EQ(thumbs.pictureCount, 0);
}

} // namespace
} // namespace vorlith
