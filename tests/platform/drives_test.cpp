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
    auto mounts = ParseMountInfo(text);
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].fileSystemType, "ext4");
    EXPECT_EQ(mounts[0].source, "/dev/vda");
    EXPECT_EQ(mounts[1].mountPoint, "/proc");
    EXPECT_EQ(mounts[2].mountPoint, "/media/My Disk"); // octal escapes undone
    EXPECT_EQ(mounts[2].fileSystemType, "vfat");
    EXPECT_EQ(mounts[3].fileSystemType, "cifs");
}

TEST(MountInfo, FileSystemTypeGivesTheDriveType) {
    struct Case {
        const char* type;
        const char* source;
        bool removable;
        int expected;
    };
    const Case cases[] = {
        {"ext4", "/dev/sda1", false, DriveType::Fixed},
        {"btrfs", "/dev/nvme0n1p2", false, DriveType::Fixed},
        {"overlay", "overlay", false, DriveType::Fixed},
        {"vfat", "/dev/sdb1", true, DriveType::Removable},
        {"nfs4", "server:/export", false, DriveType::Remote},
        {"cifs", "//server/share", false, DriveType::Remote},
        {"fuse.sshfs", "me@host:", false, DriveType::Remote},
        {"iso9660", "/dev/sr0", true, DriveType::CdRom},
        {"udf", "/dev/sr0", false, DriveType::CdRom},
        {"tmpfs", "tmpfs", false, DriveType::RamDisk},
        {"ramfs", "ramfs", false, DriveType::RamDisk},
        {"proc", "proc", false, DriveType::Unknown},
        {"sysfs", "sysfs", false, DriveType::Unknown},
        {"cgroup2", "cgroup2", false, DriveType::Unknown},
        {"devpts", "devpts", false, DriveType::Unknown},
        {"fuse.portal", "portal", false, DriveType::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(DriveTypeForMount(c.type, c.source, c.removable), c.expected);
    }
}

TEST(SystemDrives, ListsTheRootOfThisMachineAsADrive) {
    DriveSource& drives = SystemDrives();
    auto roots = drives.roots();
    ASSERT_FALSE(roots.empty());
    EXPECT_NE(std::find(roots.begin(), roots.end(), "/"), roots.end());
    EXPECT_EQ(drives.typeOf("/proc"), DriveType::Unknown);
    EXPECT_EQ(drives.typeOf("/no/such/mount"), DriveType::NotFound);
}

} // namespace
} // namespace vorlith::platform
