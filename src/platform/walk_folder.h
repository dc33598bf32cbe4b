#pragma once
// Folders opened for a drive walk: listed with the entry kind the kernel reports and opened
// relative to their parent, so that a deep tree costs no repeated path look-ups and a walk can
// stay on the file system it started on.

#include "platform/file_system.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vorlith::platform {

/// Which mounted file system a folder lies on. Two folders compare equal exactly when they lie
/// on the same mount (where the platform reports no mount identity, on the same device).
struct FileSystemId {
    uint64_t device = 0;
    uint64_t mount = 0; // the platform's mount identity, 0 where it reports none

    friend bool operator==(const FileSystemId&, const FileSystemId&) = default;
};

/// A folder held open so that the files in it can be read by their names, from any thread, without
/// looking its path up again (see WalkFolder::shareForReading).
class ReadableFolder {
public:
    virtual ~ReadableFolder() = default;

    /// ReadRegularFileTail (platform/file_access.h) for the entry `name` of this folder (a name,
    /// not a path).
    virtual std::optional<uint64_t> readRegularFileTail(const char* name, char* out, size_t count,
                                                        size_t& got) const = 0;
};

/// One folder opened for a walk. It holds the folder open (not its path), so sub-folders are
/// opened relative to it.
class WalkFolder {
public:
    virtual ~WalkFolder() = default;

    /// The file system the folder lies on.
    virtual FileSystemId fileSystem() const = 0;

    /// The next entry in the platform's order, "." and ".." included where the platform reports
    /// them; std::nullopt at the end or when the listing fails midway (what was listed stands).
    /// The kind is the one the listing reports; only where it reports none is the entry examined
    /// on its own, and an entry that cannot be examined then (it vanished) is left out. Symbolic
    /// links are reported as links, never followed. Names starting with "." carry the hidden
    /// attribute, folders the folder attribute.
    virtual std::optional<FolderEntry> next() = 0;

    /// Opens the sub-folder `name` of this folder when it is a real folder (not a symbolic link)
    /// lying on the file system `within`. A folder on which another file system is mounted is
    /// not opened (nor is an automount triggered). nullptr when it is no such folder or cannot
    /// be opened (access denied, removed meanwhile, no file handles left).
    virtual std::unique_ptr<WalkFolder> openSubFolder(const std::string& name,
                                                      const FileSystemId& within) = 0;

    /// The folder held open once more, for reading its files on another thread, also after this
    /// object is gone; nullptr where the platform has no such handle or none is left (the files
    /// are then read by their paths).
    virtual std::unique_ptr<ReadableFolder> shareForReading() const { return nullptr; }

    /// What enterSubFolder found.
    struct SubFolder {
        std::unique_ptr<WalkFolder> folder; // the opened folder, or nullptr
        bool unreadable = false; // a real folder of the walk's file system that could not be opened
    };
    /// openSubFolder, telling apart a folder that is simply not walked (a link, another file
    /// system, gone) from one the walk should have entered but could not (access denied, no file
    /// handles left).
    virtual SubFolder enterSubFolder(const std::string& name, const FileSystemId& within) {
        return {openSubFolder(name, within), false};
    }
};

/// Opens the root of a walk (a symbolic link naming the root is followed); nullptr when it is no
/// folder or cannot be opened.
std::unique_ptr<WalkFolder> OpenWalkFolder(const std::string& path);

} // namespace vorlith::platform
