#pragma once
// Folders the program writes into: the report folder, a run's staging folder, the thumbs folder.
// A folder is held open, not named by its path, so every name is looked up inside it and a link
// put in place of the folder or of a file in it is never followed. Every new file is written under
// a temporary name and renamed into place when it is complete; folders are created private
// (0700) and files private (0600).

#include "platform/file_access.h"
#include "platform/file_system.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith::platform {

class OutputFolder {
public:
    virtual ~OutputFolder() = default;

    /// The path the folder was opened by (for messages and for what pages show).
    virtual const std::string& path() const = 0;

    /// The kind of the entry `name`, links not followed; std::nullopt when there is none.
    virtual std::optional<EntryKind> kindOf(std::string_view name) = 0;
    /// The entries without "." and "..", in listing order, links reported as links.
    virtual std::vector<FolderEntry> entries() = 0;

    /// Opens the existing folder `name`; a link, a file or nothing there gives nullptr.
    virtual std::unique_ptr<OutputFolder> openFolder(std::string_view name,
                                                     SystemError* error = nullptr) = 0;
    /// Creates the folder `name` and opens it; an existing real folder is opened as it is.
    virtual std::unique_ptr<OutputFolder> createFolder(std::string_view name,
                                                       SystemError* error = nullptr) = 0;
    /// Creates a new folder whose name is prefix followed by six random characters.
    virtual std::unique_ptr<OutputFolder> createUniqueFolder(std::string_view prefix,
                                                             SystemError* error = nullptr) = 0;

    /// A new file that takes the name `name` when it is closed without a failed write, replacing
    /// what stood there (a link is replaced, never followed). A file whose writes failed, or that
    /// is destroyed unclosed, leaves nothing behind.
    virtual std::unique_ptr<OutputFile> createFile(std::string_view name,
                                                   SystemError* error = nullptr) = 0;

    /// Renames the entry `name` to `targetName` in `target` (same file system), replacing a file
    /// there.
    virtual bool moveTo(std::string_view name, OutputFolder& target, std::string_view targetName,
                        SystemError* error = nullptr) = 0;
    /// Swaps the entries `name` here and `targetName` in `target` in one step (both must exist);
    /// false where the file system cannot.
    virtual bool exchange(std::string_view name, OutputFolder& target,
                          std::string_view targetName) = 0;

    /// Deletes the entry `name`: a file or a link itself, a folder with everything in it. Links
    /// are never followed. False when anything could not be deleted.
    virtual bool removeTree(std::string_view name) = 0;
};

/// Opens an existing folder; a path whose last name is a link, or no folder, gives nullptr.
std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path,
                                               SystemError* error = nullptr);

/// Opens an existing folder the user chose by its path (the folder of a file they named): links
/// on the way, at its last name included, are followed, since the path is theirs. nullptr when
/// no folder is there.
std::unique_ptr<OutputFolder> OpenChosenFolder(const std::string& path,
                                               SystemError* error = nullptr);
/// Opens the folder, creating it and its missing parents first (those it creates are private).
std::unique_ptr<OutputFolder> CreateOutputFolder(const std::string& path,
                                                 SystemError* error = nullptr);

} // namespace vorlith::platform
