#include "scan/walker.h"

#include "platform/file_system.h"

#include <array>
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

// One entry of a folder listing, kept until the folder's records are sorted.
struct FileEntry {
    std::string name; // without the separator a folder's recorded name ends in
    bool isFolder = false;
};

FoundList ListForName(std::string_view name, std::string& lowered) {
    // Every text holds a '.' or a '_'; most names that hold neither are done with one scan.
    if (name.find_first_of("._") == std::string_view::npos)
        return FoundList::None;
    lowered.assign(name);
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (const NameText& candidate : kNameTexts)
        if (lowered.find(candidate.text) != std::string::npos)
            return candidate.list;
    return FoundList::None;
}

// The state of one root walk. The records of a folder live in that folder's own level of the
// recursion and go with it, so memory follows the widest folder times the depth, not the size
// of the tree; the record count stands in for the position a record would have in one sequence
// of the whole walk, which the cancel test during sorting is spaced by.
class TreeWalk {
public:
    TreeWalk(RunControl& run, FoundFiles& lists, WalkProgress& progress,
             platform::FileSystemId rootFileSystem)
        : m_run(run), m_lists(lists), m_progress(progress), m_rootFileSystem(rootFileSystem) {}

    void SearchFolder(platform::WalkFolder& folder, const std::string& path) {
        const int64_t first = m_recordCount;
        std::vector<FileEntry> records;
        if (!listEntries(folder, path, records))
            return;
        for (size_t offset = 0; offset < records.size(); ++offset) {
            const int64_t index = first + static_cast<int64_t>(offset);
            if (index % kSortCancelInterval == 0 && m_run.isCanceled()) {
                m_run.Do_Cancel();
                return;
            }
            const FileEntry& record = records[offset];
            FoundFileList* list = listFor(ListForName(record.name, m_lowered));
            if (!list && !record.isFolder)
                continue; // most entries: no path needs building
            std::string fullPath = path + record.name;
            if (record.isFolder)
                fullPath += platform::kPathSeparator;
            if (list)
                list->AddToList(fullPath);
            if (record.isFolder) {
                if (auto subFolder = folder.openSubFolder(record.name, m_rootFileSystem))
                    SearchFolder(*subFolder, fullPath);
            }
        }
    }

private:
    // Records every entry of the folder in listing order. False when the run was cancelled
    // meanwhile: the walk is aborted and this level returns without sorting.
    bool listEntries(platform::WalkFolder& folder, const std::string& path,
                     std::vector<FileEntry>& records) {
        while (!m_walkAborted) {
            std::optional<platform::FolderEntry> entry = folder.next();
            if (!entry)
                break;
            if (entry->name.empty() || entry->name == "." || entry->name == "..")
                continue;
            m_run.yield();
            if (m_run.isCanceled()) {
                m_walkAborted = true;
                m_run.Do_Cancel();
                return false;
            }
            const bool isFolder = (entry->attributes & platform::kAttributeFolder) != 0;
            if (isFolder) {
                m_progress.CurrentFolder.assign(path);
                m_progress.CurrentFolder += entry->name;
                m_progress.CurrentFolder += platform::kPathSeparator;
            }
            records.push_back({std::move(entry->name), isFolder});
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
    bool m_walkAborted = false;                    // WalkAborted: every listing in progress stops
    int64_t m_recordCount = 0;                     // records of this root walk so far
    std::string m_lowered;                         // room for the lower-cased name being tested
};

} // namespace

void FindFiles(RunControl& run, FoundFiles& lists, WalkProgress& progress,
               const std::string& root) {
    std::string rootPath = root;
    if (rootPath.empty() || rootPath.back() != platform::kPathSeparator)
        rootPath += platform::kPathSeparator;
    auto rootFolder = platform::OpenWalkFolder(rootPath);
    WalkFolderTree(run, lists, progress, rootPath, rootFolder.get());
}

void WalkFolderTree(RunControl& run, FoundFiles& lists, WalkProgress& progress,
                    const std::string& rootPath, platform::WalkFolder* rootFolder) {
    if (!rootFolder)
        return;
    TreeWalk walk(run, lists, progress, rootFolder->fileSystem());
    walk.SearchFolder(*rootFolder, rootPath);
}

std::string GetDriveTypeName(platform::DriveSource& drives, const std::string& drive) {
    switch (drives.typeOf(drive)) {
    case platform::kDriveUnknown:
        return "Unknown";
    case platform::kDriveNotFound:
        return "Not Found";
    case platform::kDriveRemovable:
        return !drive.empty() && (drive[0] == 'A' || drive[0] == 'B') ? "Floppy" : "Removable";
    case platform::kDriveFixed:
        return "Fixed";
    case platform::kDriveRemote:
        return "Remote";
    case platform::kDriveCdRom:
        return "CD-ROM";
    case platform::kDriveRamDisk:
        return "RAM Disk";
    default:
        return "";
    }
}

} // namespace vorlith
