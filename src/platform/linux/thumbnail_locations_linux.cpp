#include "platform/thumbnail_locations.h"

#include "platform/file_system.h"
#include "platform/folders.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

namespace vorlith::platform {
namespace {

struct SizeFolder {
    const char* name;
    ThumbnailSize size;
};
constexpr SizeFolder kSizeFolders[] = {
    {"normal", ThumbnailSize::Normal},
    {"large", ThumbnailSize::Large},
    {"x-large", ThumbnailSize::XLarge},
    {"xx-large", ThumbnailSize::XXLarge},
};

// A real folder at the path: not a symbolic link to one.
bool isRealFolder(const std::string& path, struct stat* info = nullptr) {
    struct stat local {};
    struct stat& result = info ? *info : local;
    return ::lstat(path.c_str(), &result) == 0 && S_ISDIR(result.st_mode);
}

// The real folders directly in a folder, by name.
std::vector<std::string> subfolders(const std::string& folder) {
    std::vector<std::string> names;
    auto listing = ListFolder(folder);
    if (!listing)
        return names;
    while (auto entry = listing->next())
        if (entry->kind == EntryKind::Folder && entry->name != "." && entry->name != "..")
            names.push_back(entry->name);
    std::sort(names.begin(), names.end());
    return names;
}

class FolderList {
public:
    // Adds the size folders of one thumbnail folder.
    void addThumbnailFolder(const std::string& thumbnails) {
        if (!isRealFolder(thumbnails))
            return;
        for (const SizeFolder& size : kSizeFolders)
            add(JoinPath(thumbnails, size.name), size.size);
        const std::string fail = JoinPath(thumbnails, "fail");
        if (isRealFolder(fail))
            for (const std::string& program : subfolders(fail))
                add(JoinPath(fail, program), ThumbnailSize::Failed);
    }
    // Adds the thumbnail folders of a home reached from a drive root, stepping only into real
    // folders.
    void addHome(const std::string& home) {
        const std::string cache = JoinPath(home, ".cache");
        if (isRealFolder(cache))
            addThumbnailFolder(JoinPath(cache, "thumbnails"));
        addThumbnailFolder(JoinPath(home, ".thumbnails"));
    }
    std::vector<ThumbnailFolder> take() { return std::move(m_folders); }

private:
    void add(const std::string& path, ThumbnailSize size) {
        struct stat info {};
        if (isRealFolder(path, &info) && m_seen.insert({info.st_dev, info.st_ino}).second)
            m_folders.push_back({path, size});
    }

    std::vector<ThumbnailFolder> m_folders;
    std::set<std::pair<dev_t, ino_t>> m_seen;
};

} // namespace

std::vector<ThumbnailFolder> FindThumbnailFolders(const std::vector<std::string>& driveRoots) {
    FolderList folders;
    folders.addThumbnailFolder(JoinPath(UserCacheFolder(), "thumbnails"));
    folders.addThumbnailFolder(JoinPath(HomeFolder(), ".thumbnails"));
    for (const std::string& root : driveRoots) {
        if (!FolderExists(root)) // the root itself may be reached through a link
            continue;
        folders.addHome(root);
        for (const std::string& name : subfolders(root))
            folders.addHome(JoinPath(root, name));
        const std::string homes = JoinPath(root, "home");
        if (isRealFolder(homes))
            for (const std::string& name : subfolders(homes))
                folders.addHome(JoinPath(homes, name));
    }
    return folders.take();
}

} // namespace vorlith::platform
