#include "scan/walker.h"

namespace vorlith {

void FindFiles(RunControl&, FoundFiles&, WalkProgress&, const std::string&) {
    // The walk itself comes with the disk-scan work; until then no root yields an entry.
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
