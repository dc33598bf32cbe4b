#pragma once
// Opening files for the scans: plain files only (never a pipe, a device or a folder that merely
// carries a file's name), with the reason when the open fails, and files updated in place.

#include "platform/file_system.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vorlith::platform {

/// Why an operation failed: the operating system's error number and its text.
struct SystemError {
    uint32_t number = 0;
    std::string description;
};

/// Opens a regular file for reading. A symbolic link at the path's last name is never followed
/// (it is refused like a pipe, a device, a socket or a folder), and opening never waits. nullptr on failure, with the reason in error when
/// given. size() is the size at the time of opening; readers should not read past it, so that a
/// file that keeps growing cannot keep them reading.
std::unique_ptr<InputFile> OpenRegularFile(const std::string& path, SystemError* error = nullptr);

/// Reads the last `count` bytes of the regular file at path into `out` with as few system calls as
/// the platform allows (on Linux four: open without following a link at the last name and
/// without waiting, fstat, one pread, close). Anything but a regular file is refused after the
/// open, as OpenRegularFile does. Returns the file's size and sets `got` to the bytes read (0
/// when the file holds `count` bytes or fewer: nothing is read then); std::nullopt when the file
/// cannot be opened or is not a regular file.
std::optional<uint64_t> ReadRegularFileTail(const std::string& path, char* out, size_t count,
                                            size_t& got);

/// Whether anything (a symbolic link included, even one that leads nowhere) is at the path.
enum class PathPresence {
    Present,
    Absent,  // the system says there is no such file or folder
    Unknown, // it cannot tell: no permission to look, an I/O error
};
PathPresence ExaminePath(const std::string& path);

/// The size in bytes of the regular file at the path, examined without opening it; a symbolic
/// link at the path's last name is not followed. std::nullopt for a link, a folder, anything
/// but a regular file, or what cannot be examined.
std::optional<uint64_t> RegularFileSize(const std::string& path);

/// A regular file opened for reading and writing in place: neither created nor emptied.
class UpdateFile {
public:
    virtual ~UpdateFile() = default;
    virtual uint64_t size() const = 0;
    /// Reads up to size bytes at offset; fewer past the end or on an error.
    virtual size_t readAt(uint64_t offset, char* buffer, size_t size) = 0;
    /// Writes all the bytes at offset (an offset at the end appends). False on any failure, with
    /// the reason in error when given.
    [[nodiscard]] virtual bool writeAt(uint64_t offset, std::string_view bytes,
                                       SystemError* error = nullptr) = 0;
    /// Closes the file; false if it could not be closed cleanly.
    virtual bool close() = 0;
};

/// Opens an existing regular file for update. nullptr on failure, with the reason in error when
/// given.
std::unique_ptr<UpdateFile> OpenFileForUpdate(const std::string& path,
                                              SystemError* error = nullptr);

} // namespace vorlith::platform
