// Drives on Linux: every mount point of the mount table is a drive of its own.

#include "platform/drives.h"

#include "platform/file_system.h"

#include <set>
#include <sstream>

namespace vorlith::platform {
namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo octal.
std::string unescapeOctal(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool isRemovableDevice(const std::string& source) {
    // /dev/sdb1 -> /sys/class/block/sdb1/../removable (a partition) or sdb/removable (a disk).
    if (source.rfind("/dev/", 0) != 0)
        return false;
    const std::string name = BaseName(source);
    for (const std::string& path : {"/sys/class/block/" + name + "/removable",
                                    "/sys/class/block/" + name + "/../removable"}) {
        if (auto text = ReadWholeFile(path); text && !text->empty())
            return (*text)[0] == '1';
    }
    return false;
}

class LinuxDrives final : public DriveSource {
public:
    std::vector<std::string> roots() override {
        std::vector<std::string> result;
        std::set<std::string> seen;
        for (const MountEntry& mount : mounts())
            if (seen.insert(mount.mountPoint).second)
                result.push_back(mount.mountPoint);
        return result;
    }

    platform::DriveType typeOf(const std::string& root) override {
        // The last mount on a point is the one that is visible there.
        DriveType type = DriveType::NotFound;
        for (const MountEntry& mount : mounts())
            if (mount.mountPoint == root)
                type = DriveTypeForMount(mount.fileSystemType, mount.source,
                                         isRemovableDevice(mount.source));
        return type;
    }

private:
    static std::vector<MountEntry> mounts() {
        auto text = ReadWholeFile("/proc/self/mountinfo");
        return text ? ParseMountInfo(*text) : std::vector<MountEntry>{};
    }
};

} // namespace

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
    std::vector<MountEntry> entries;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mountpoint options [optional fields...] - type source super
        std::istringstream fields(line);
        std::vector<std::string> parts;
        for (std::string field; fields >> field;)
            parts.push_back(field);
        size_t dash = 0;
        while (dash < parts.size() && parts[dash] != "-")
            ++dash;
        if (parts.size() < 5 || dash < 6 || dash + 2 >= parts.size())
            continue;
        MountEntry entry;
        entry.mountPoint = unescapeOctal(parts[4]);
        entry.fileSystemType = parts[dash + 1];
        entry.source = unescapeOctal(parts[dash + 2]);
        entries.push_back(entry);
    }
    return entries;
}

DriveType DriveTypeForMount(const std::string& type, const std::string& source, bool removable) {
    static const std::set<std::string> kNetwork = {"nfs",
                                                   "nfs4",
                                                   "cifs",
                                                   "smb3",
                                                   "smbfs",
                                                   "ncpfs",
                                                   "afs",
                                                   "ceph",
                                                   "glusterfs",
                                                   "9p",
                                                   "davfs",
                                                   "fuse.sshfs",
                                                   "fuse.rclone",
                                                   "fuse.s3fs",
                                                   "fuse.gvfsd-fuse",
                                                   "fuse.davfs2",
                                                   "fuse.glusterfs",
                                                   "lustre",
                                                   "gfs2",
                                                   "ocfs2",
                                                   "fuse.smbnetfs",
                                                   "fuse.curlftpfs"};
    static const std::set<std::string> kOptical = {"iso9660", "udf"};
    static const std::set<std::string> kMemory = {"tmpfs", "ramfs"};
    static const std::set<std::string> kLocal = {
        "ext2", "ext3",     "ext4",    "xfs",     "btrfs",    "vfat",     "msdos", "exfat",
        "ntfs", "ntfs3",    "fuseblk", "f2fs",    "jfs",      "reiserfs", "hfs",   "hfsplus",
        "zfs",  "bcachefs", "nilfs2",  "overlay", "squashfs", "erofs"};
    if (kNetwork.count(type))
        return DriveType::Remote;
    if (kOptical.count(type))
        return DriveType::CdRom;
    if (kMemory.count(type))
        return DriveType::RamDisk;
    if (kLocal.count(type))
        return removable && source.rfind("/dev/", 0) == 0 ? DriveType::Removable : DriveType::Fixed;
    // proc, sysfs, cgroup, devpts, devtmpfs, debugfs, other FUSE file systems and the like.
    return DriveType::Unknown;
}

DriveSource& SystemDrives() {
    static LinuxDrives drives;
    return drives;
}

} // namespace vorlith::platform
