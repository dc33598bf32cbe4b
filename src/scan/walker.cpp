#include "scan/walker.h"

#include "base/text.h"
#include "platform/file_system.h"
#include "scan/audio_tag_reader.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlith {
namespace {

enum class FoundList { None, Audio, Video, ThumbStore };

struct NameText {
    std::string_view text;
    FoundList list;
};

// Tested in this order; the first text the name contains decides. ".mpeg3" comes before
// ".mpeg", so tune.mpeg3 is audio.
constexpr std::array<NameText, 12> kNameTexts{{
    {".mp3", FoundList::Audio},
    {".mpeg3", FoundList::Audio},
    {".wma", FoundList::Audio},
    {".m4a", FoundList::Audio},
    {".ogg", FoundList::Audio},
    {".flv", FoundList::Video},
    {".mpeg", FoundList::Video},
    {".mpg", FoundList::Video},
    {".mmv", FoundList::Video},
    {".mov", FoundList::Video},
    {"thumbs.db", FoundList::ThumbStore},
    {"thumbcache_", FoundList::ThumbStore},
}};

// The cancel flag is tested at every record whose index in the root walk is a multiple of this
// while the records are sorted.
constexpr int64_t kSortCancelInterval = 100;

// Folders a walk holds open at most. Deeper trees close the folders of the shallower levels and
// open them again from their nearest open parent when they are needed, so that no depth of
// folders runs out of file handles.
constexpr size_t kMaxOpenFolders = 24;

// One entry of a folder listing, kept until the folder's records are sorted.
struct FileEntry {
    std::string name; // without the separator a folder's recorded name ends in
    bool isFolder = false;
    bool isRegular = false; // the listing says it is a regular file
};

bool ContainsAt(std::string_view name, size_t at, std::string_view lowerText) {
    if (name.size() - at < lowerText.size())
        return false;
    for (size_t i = 0; i < lowerText.size(); ++i)
        if (LowerAscii(name[at + i]) != lowerText[i])
            return false;
    return true;
}

// The list of the first text (in table order) that the lower-cased name contains anywhere. One
// pass over the name: every text begins with '.' or 't', so only there can one start.
FoundList ListForName(std::string_view name) {
    size_t first = kNameTexts.size();
    for (size_t at = 0; at < name.size() && first > 0; ++at) {
        const char c = LowerAscii(name[at]);
        if (c != '.' && c != 't')
            continue;
        for (size_t i = 0; i < first; ++i)
            if (kNameTexts[i].text[0] == c && ContainsAt(name, at, kNameTexts[i].text)) {
                first = i;
                break;
            }
    }
    return first < kNameTexts.size() ? kNameTexts[first].list : FoundList::None;
}

// The state of one root walk. The walk is depth first, but kept on a stack of its own rather
// than the call stack, so no depth of folders can exhaust the call stack. Each open level holds
// only its own folder's records, and all levels share one path that grows and shrinks with the
// depth, so memory follows the widest folder times the depth, not the size of the tree. The
// record count stands in for the position a record would have in one sequence of the whole
// walk, which the cancel test during sorting is spaced by.
class TreeWalk {
public:
    TreeWalk(RunControl& run, FoundFiles& lists, WalkProgress& progress,
             platform::FileSystemId rootFileSystem, AudioTagReader* tags)
        : m_run(run), m_lists(lists), m_progress(progress), m_rootFileSystem(rootFileSystem),
          m_tags(tags) {}

    PhaseEnd walk(platform::WalkFolder& root, const std::string& rootPath) {
        m_path = rootPath;
        enter(root, nullptr);
        while (!m_levels.empty() && !m_stopped) {
            Level& level = m_levels.back();
            m_path.resize(level.pathLength);
            if (level.next >= level.records.size()) {
                if (level.folder)
                    --m_openFolders;
                m_levels.pop_back();
                m_closedBelow = std::min(m_closedBelow, m_levels.size());
                continue;
            }
            const int64_t index = level.first + static_cast<int64_t>(level.next);
            if (index % kSortCancelInterval == 0 && m_run.isCanceled()) {
                m_stopped = true;
                break;
            }
            const FileEntry& record = level.records[level.next++];
            FoundFileList* list = listFor(ListForName(record.name));
            if (!list && !record.isFolder)
                continue; // most entries: no path needs building
            m_path += record.name;
            if (record.isFolder)
                m_path += platform::kPathSeparator;
            if (list) {
                list->AddToList(m_path);
                if (m_tags && record.isRegular && list == &m_lists.lstResult &&
                    AudioTagReader::ReadsTagOf(m_path))
                    m_tags->offer(list->size() - 1, m_path, sharedFolder(level));
            }
            if (record.isFolder) {
                platform::WalkFolder* parent = openLevel(m_levels.size() - 1);
                auto sub = parent ? parent->enterSubFolder(record.name, m_rootFileSystem)
                                  : platform::WalkFolder::SubFolder{nullptr, true};
                if (sub.unreadable)
                    ++m_progress.FoldersUnreadable;
                if (sub.folder) {
                    platform::WalkFolder& opened = *sub.folder;
                    enter(opened, std::move(sub.folder), record.name); // level is now invalid
                }
            }
        }
        return m_stopped ? PhaseEnd::Stopped : PhaseEnd::Finished;
    }

private:
    // One folder whose records are being sorted.
    struct Level {
        platform::WalkFolder* folder = nullptr;      // nullptr while closed to save handles
        std::unique_ptr<platform::WalkFolder> owned; // the folder, unless it is the root
        std::string name;                            // in its parent, to open it again
        std::vector<FileEntry> records;
        size_t next = 0;       // the record to sort next
        int64_t first = 0;     // the walk's record count when the folder was listed
        size_t pathLength = 0; // m_path names this folder when cut to this length
        // The folder held open for the tag reader, asked for at its first audio file.
        AudioTagReader::SharedFolder shared;
        bool sharedAsked = false;
    };

    // The level's folder shared with the tag reader, so that it opens the audio files by their
    // names in it rather than by their whole paths. A level whose folder was closed to save
    // handles offers paths instead.
    const AudioTagReader::SharedFolder& sharedFolder(Level& level) {
        if (!level.sharedAsked && level.folder) {
            level.shared = m_tags->shareFolder(*level.folder);
            level.sharedAsked = true;
        }
        return level.shared;
    }

    // Lists the folder that m_path names and, unless the run was cancelled meanwhile, puts it on
    // the stack to be sorted.
    void enter(platform::WalkFolder& folder, std::unique_ptr<platform::WalkFolder> owned,
               const std::string& name = "") {
        Level level;
        level.folder = &folder;
        level.owned = std::move(owned);
        level.name = name;
        level.first = m_recordCount;
        level.pathLength = m_path.size();
        if (listEntries(folder, level.records)) {
            m_levels.push_back(std::move(level));
            ++m_openFolders;
            closeShallowFolders();
        }
    }

    // Closes the folders of the shallowest levels (never the root's nor the deepest one) until
    // no more than kMaxOpenFolders are open.
    void closeShallowFolders() {
        size_t index = std::max<size_t>(m_closedBelow, 1);
        for (; m_openFolders > kMaxOpenFolders && index + 1 < m_levels.size(); ++index) {
            Level& level = m_levels[index];
            if (!level.folder)
                continue;
            level.owned.reset();
            level.folder = nullptr;
            --m_openFolders;
        }
        m_closedBelow = std::max(m_closedBelow, index);
    }

    // The level's folder, opened again from its nearest open parent when it was closed; nullptr
    // when it cannot be.
    platform::WalkFolder* openLevel(size_t index) {
        if (m_levels[index].folder)
            return m_levels[index].folder;
        size_t open = index;
        while (!m_levels[open].folder)
            --open; // the root is always open
        m_closedBelow = std::min(m_closedBelow, open + 1);
        for (size_t next = open + 1; next <= index; ++next) {
            Level& level = m_levels[next];
            level.owned = m_levels[next - 1].folder->openSubFolder(level.name, m_rootFileSystem);
            level.folder = level.owned.get();
            if (!level.folder)
                return nullptr;
            ++m_openFolders;
        }
        closeShallowFolders();
        return m_levels[index].folder;
    }

    // Records every entry of the folder in listing order. False when the run was cancelled
    // meanwhile: the walk stops and this level is left without sorting.
    bool listEntries(platform::WalkFolder& folder, std::vector<FileEntry>& records) {
        while (!m_stopped) {
            std::optional<platform::FolderEntry> entry = folder.next();
            if (!entry)
                break;
            if (entry->name.empty() || entry->name == "." || entry->name == "..")
                continue;
            m_run.yield();
            if (m_run.isCanceled()) {
                m_stopped = true;
                return false;
            }
            const bool isFolder = (entry->attributes & platform::kAttributeFolder) != 0;
            if (isFolder) {
                m_progress.CurrentFolder.assign(m_path);
                m_progress.CurrentFolder += entry->name;
                m_progress.CurrentFolder += platform::kPathSeparator;
            }
            records.push_back(
                {std::move(entry->name), isFolder, entry->kind == platform::EntryKind::File});
            ++m_recordCount;
            ++m_progress.FilesSearched;
        }
        return true;
    }

    FoundFileList* listFor(FoundList list) {
        switch (list) {
        case FoundList::Audio:
            return &m_lists.lstResult;
        case FoundList::Video:
            return &m_lists.lstVideos;
        case FoundList::ThumbStore:
            return &m_lists.lstThumbs;
        case FoundList::None:
            break;
        }
        return nullptr;
    }

    RunControl& m_run;
    FoundFiles& m_lists;
    WalkProgress& m_progress;
    const platform::FileSystemId m_rootFileSystem; // no folder elsewhere is entered
    AudioTagReader* const m_tags;                  // reads the audio files' tags meanwhile
    bool m_stopped = false;                        // the run was cancelled: the walk ends
    int64_t m_recordCount = 0;                     // records of this root walk so far
    size_t m_openFolders = 0;                      // levels whose folder is open
    size_t m_closedBelow = 0;    // every level from 1 up to this one (not included) is closed
    std::vector<Level> m_levels; // the folders being sorted, the deepest last
    std::string m_path;          // the folder being listed, or the record being sorted
};

} // namespace

PhaseEnd FindFiles(RunControl& run, FoundFiles& lists, WalkProgress& progress,
                   const std::string& root, AudioTagReader* tags) {
    std::string rootPath = root;
    if (rootPath.empty() || rootPath.back() != platform::kPathSeparator)
        rootPath += platform::kPathSeparator;
    auto rootFolder = platform::OpenWalkFolder(rootPath);
    if (!rootFolder)
        ++progress.FoldersUnreadable;
    return WalkFolderTree(run, lists, progress, rootPath, rootFolder.get(), tags);
}

PhaseEnd WalkFolderTree(RunControl& run, FoundFiles& lists, WalkProgress& progress,
                        const std::string& rootPath, platform::WalkFolder* rootFolder,
                        AudioTagReader* tags) {
    if (!rootFolder)
        return PhaseEnd::Finished;
    TreeWalk walk(run, lists, progress, rootFolder->fileSystem(), tags);
    return walk.walk(*rootFolder, rootPath);
}

std::string GetDriveTypeName(platform::DriveSource& drives, const std::string& drive) {
    using platform::DriveType;
    switch (drives.typeOf(drive)) {
    case DriveType::Unknown:
        return "Unknown";
    case DriveType::NotFound:
        return "Not Found";
    case DriveType::Removable:
        return !drive.empty() && (drive[0] == 'A' || drive[0] == 'B') ? "Floppy" : "Removable";
    case DriveType::Fixed:
        return "Fixed";
    case DriveType::Remote:
        return "Remote";
    case DriveType::CdRom:
        return "CD-ROM";
    case DriveType::RamDisk:
        return "RAM Disk";
    }
    return "";
}

} // namespace vorlith
