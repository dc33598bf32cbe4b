#pragma once
// Files and folders as the logic sees them. Paths are the platform's own form ("/" here);
// logic never spells a separator itself but joins names with JoinPath or kPathSeparator.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith::platform {

/// The separator between the names of a path on this platform.
extern const char kPathSeparator;

/// folder + separator + name; no separator is doubled when folder already ends in one.
std::string JoinPath(std::string_view folder, std::string_view name);

/// The folder part of a path: all before its last name, "." when it has none.
std::string FolderOfPath(std::string_view path);

/// What ReplaceFileAtomically puts between the path and the digits of its temporary file.
inline constexpr char kTemporaryInfix[] = ".tmp";

/// The last name of a path ("" for a path ending in a separator).
std::string BaseName(std::string_view path);

/// True for an existing folder (symbolic links followed).
bool FolderExists(const std::string& path);
/// True for an existing file of any kind but a folder (symbolic links followed).
bool FileExists(const std::string& path);
/// True for an existing regular file (symbolic links followed): not a folder, device or pipe,
/// so that opening and reading it cannot block.
bool RegularFileExists(const std::string& path);
/// True when anything exists at the path.
bool PathExists(const std::string& path);

/// Who may read what the program creates.
enum class Access {
    Shared,  // folders and new files readable by everyone (0755, 0644)
    Private, // only this user (folders 0700, files 0600), such as the settings
};

/// Creates one folder; its parent must exist. False when it could not be created (an existing
/// folder counts as success; its permissions are left as they are).
bool CreateFolder(const std::string& path, Access access = Access::Shared);
/// Creates a folder and any missing parents, each with the access given.
bool CreateFolders(const std::string& path, Access access = Access::Shared);

/// Copies a file. With CopyMode::KeepExisting an existing target is left alone and false is
/// returned.
enum class CopyMode { KeepExisting, Replace };
bool CopyFile(const std::string& from, const std::string& to, CopyMode mode);

/// Copies a regular file (a symbolic link is refused) into a new file of this user's alone (an
/// existing target is an error), as it was when opened. Holes stay holes: only the parts that
/// hold data are read and written, so the copy of a sparse file takes no more room than the
/// file itself. False on any failure; a partial copy is deleted.
bool CopySparseFile(const std::string& from, const std::string& to);

/// Bytes the file's data takes on the disk, holes of a sparse file not counted (symbolic links
/// followed); std::nullopt when it cannot be examined.
std::optional<uint64_t> AllocatedSize(const std::string& path);

/// Bytes this user may still write on the file system of the folder; std::nullopt when unknown.
std::optional<uint64_t> FreeSpace(const std::string& folder);

/// Makes the file writable by its owner, then deletes it. False when it is still there.
bool DeleteFile(const std::string& path);

/// Size in bytes, std::nullopt when the file cannot be examined.
std::optional<uint64_t> FileSize(const std::string& path);

/// The whole file; std::nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

/// Creates or empties the file and writes the bytes. False on any failure.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

/// Writes the bytes to a temporary file beside the path and renames it over the path, so that
/// readers see either the old or the new content, never a part. The file is written without a
/// name where the file system allows it, so a process killed while writing leaves nothing
/// behind. A Private file gets 0600; a Shared one keeps the permissions of the file it replaces
/// (0644 when new) without the others' write permission.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                           Access access = Access::Shared);

/// Deletes the temporary files ReplaceFileAtomically leaves beside path when it is stopped
/// between writing and renaming: regular files named path + ".tmp" and digits. Call it only
/// while no other writer of path can be at work (under its FolderLock).
void RemoveStaleTemporaries(const std::string& path);

/// An exclusive lock on a folder, held for the life of the object, so that read-modify-write
/// changes of the files in it by several processes follow one another.
class FolderLock {
public:
    virtual ~FolderLock() = default;
};
/// Waits until no other holder is left and takes the folder's lock. nullptr when the folder
/// cannot be opened or the file system cannot lock it: the caller goes on without.
std::unique_ptr<FolderLock> LockFolder(const std::string& path);

/// A file opened for reading in pieces.
class InputFile {
public:
    virtual ~InputFile() = default;
    /// Reads up to size bytes at the current position; 0 at the end or on an error.
    virtual size_t read(char* buffer, size_t size) = 0;
    /// Reads up to size bytes at offset; 0 past the end or on an error.
    virtual size_t readAt(uint64_t offset, char* buffer, size_t size) = 0;
    virtual uint64_t size() const = 0;
};
/// nullptr unless the path names a regular file that can be opened (a pipe or device never is).
std::unique_ptr<InputFile> OpenInputFile(const std::string& path);

/// A file opened for writing: created or emptied. Writes after a failure are skipped.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void write(std::string_view bytes) = 0;
    /// Flushes and closes; false if any write failed.
    virtual bool close() = 0;
};
std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path);

/// What kind of thing a folder entry is, as the listing reports it (links are not followed).
enum class EntryKind { File, Folder, SymbolicLink, Other };

/// Attribute bits the logic keeps (the values of the original platform's flags).
enum EntryAttribute : uint32_t {
    kAttributeReadOnly = 1,
    kAttributeHidden = 2,
    kAttributeSystem = 4,
    kAttributeFolder = 16,
    kAttributeArchive = 32,
};

struct FolderEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    uint32_t attributes = 0; // EntryAttribute bits
};

/// One open folder listing. Entries come in the platform's order, "." and ".." included when
/// the platform reports them.
class FolderListing {
public:
    virtual ~FolderListing() = default;
    /// The next entry, or std::nullopt at the end (or when the listing fails midway).
    virtual std::optional<FolderEntry> next() = 0;
};
/// std::nullopt-like nullptr when the folder cannot be listed.
std::unique_ptr<FolderListing> ListFolder(const std::string& path);

/// Full paths of the entries of a folder (without "." and ".."), in listing order; empty when
/// the folder cannot be listed.
std::vector<std::string> ListFolderPaths(const std::string& path);

} // namespace vorlith::platform
