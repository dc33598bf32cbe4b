#pragma once
// The roots the disk scan may walk.

#include <string>
#include <vector>

namespace vorlith::platform {

/// Drive types, with the codes of the original platform.
enum class DriveType : int {
    Unknown = 0,
    NotFound = 1, // no drive has this root
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

class DriveSource {
public:
    virtual ~DriveSource() = default;
    /// Root paths of every drive, in the platform's order.
    virtual std::vector<std::string> roots() = 0;
    /// The type of a root (NotFound for a path that is no root).
    virtual DriveType typeOf(const std::string& root) = 0;
};

/// On Linux: the mount points of the mount table, in its order; the type follows from the file
/// system type and the device (see the README).
DriveSource& SystemDrives();

/// The type of a mount of this file system type and source device. removable tells whether the
/// block device says it is removable.
DriveType DriveTypeForMount(const std::string& fileSystemType, const std::string& source, bool removable);

/// One line of /proc/self/mountinfo split into the fields the drive list needs.
struct MountEntry {
    std::string mountPoint;
    std::string fileSystemType;
    std::string source;
};
/// Parses the text of /proc/self/mountinfo; lines it cannot read are skipped.
std::vector<MountEntry> ParseMountInfo(const std::string& text);

} // namespace vorlith::platform
