#include "platform/drives.h"

#include <gtest/gtest.h>

namespace vorlith::platform {
namespace {

TEST(MountInfo, ReadsMountPointTypeAndSourceInOrder) {
    const std::string text =
        "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
        "40 27 0:40 / /media/My\\040Disk rw shared:5 master:1 - vfat /dev/sdb1 rw\n"
        "broken line\n"
        "41 27 0:41 / /mnt/share rw - cifs //server/share rw\n";
    std::vector<std::string> got;
    for (const auto& mount : ParseMountInfo(text))
        got.push_back(mount.mountPoint + "|" + mount.fileSystemType + "|" + mount.source);
    EXPECT_EQ(got, (std::vector<std::string>{"/|ext4|/dev/vda", "/proc|proc|proc",
                                             "/media/My Disk|vfat|/dev/sdb1",
                                             "/mnt/share|cifs|//server/share"}));
}

TEST(MountInfo, FileSystemTypeGivesTheDriveType) {
    using enum DriveType;
    const std::tuple<const char*, const char*, bool, DriveType> cases[] = {
        {"ext4", "/dev/sda1", false, Fixed},       {"overlay", "overlay", false, Fixed},
        {"vfat", "/dev/sdb1", true, Removable},    {"nfs4", "server:/export", false, Remote},
        {"cifs", "//server/share", false, Remote}, {"fuse.sshfs", "me@host:", false, Remote},
        {"iso9660", "/dev/sr0", true, CdRom},      {"udf", "/dev/sr0", false, CdRom},
        {"tmpfs", "tmpfs", false, RamDisk},        {"proc", "proc", false, Unknown},
        {"cgroup2", "cgroup2", false, Unknown},    {"fuse.portal", "portal", false, Unknown}};
    for (const auto& [type, source, removable, expected] : cases)
        EXPECT_EQ(DriveTypeForMount(type, source, removable), expected) << type;
}

TEST(SystemDrives, ListsTheRootOfThisMachineAsADrive) {
    DriveSource& drives = SystemDrives();
    auto roots = drives.roots();
    EXPECT_NE(std::find(roots.begin(), roots.end(), "/"), roots.end());
    EXPECT_EQ(drives.typeOf("/proc"), DriveType::Unknown);
    EXPECT_EQ(drives.typeOf("/no/such/mount"), DriveType::NotFound);
}

} // namespace
} // namespace vorlith::platform
