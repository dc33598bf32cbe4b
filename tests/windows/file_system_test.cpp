// Files, folders, drives and the drive walk on Windows: names outside the system's code page
// are found and read, attributes are kept, a link inside a walked tree is listed but never
// entered, and the report folder is written by handle and replaced only by a finished run.

#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/instance_lock.h"
#include "platform/output_folder.h"
#include "platform/walk_folder.h"
#include "platform/windows/win32.h"
#include "report/page_file.h"
#include "report/page_set.h"
#include "report/report_folder.h"
#include "scan/walker.h"
#include "windows_test_support.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace vorlith {
namespace {

using platform::win32::WidePath;

// U+4E2D U+6587 ("Chinese") and U+0436: no single 8-bit code page spells this name, so the
// 8-bit ("A") functions would see "??.mp3" here and could not open it.
const std::string kWideName = "\xE4\xB8\xAD\xE6\x96\x87\xD0\xB6.mp3";

std::map<std::string, platform::FolderEntry> listAll(platform::WalkFolder& folder) {
    std::map<std::string, platform::FolderEntry> entries;
    while (auto entry = folder.next())
        entries[entry->name] = *entry;
    return entries;
}

class NoCancel final : public RunControl {
public:
    void yield() override {}
    bool isCanceled() const override { return false; }
};

TEST(WindowsFiles, ANameOutsideTheCodePageIsListedOpenedAndRead) {
    test::WindowsTempFolder folder;
    const std::string path = folder.write(kWideName, "ID3 body");
    EXPECT_TRUE(platform::FileExists(path));
    EXPECT_TRUE(platform::RegularFileExists(path));
    EXPECT_EQ(platform::FileSize(path), 8u);
    EXPECT_EQ(platform::ReadWholeFile(path), "ID3 body");
    const auto paths = platform::ListFolderPaths(folder.path());
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], path);
    EXPECT_EQ(platform::BaseName(path), kWideName);
}

TEST(WindowsFiles, PathsLongerThanTheOldLimitWork) {
    test::WindowsTempFolder folder;
    std::string relative;
    for (int level = 0; level < 12; ++level)
        relative += (level ? "\\" : "") + std::string(30, static_cast<char>('a' + level));
    const std::string deep = folder.makeFolder(relative);
    ASSERT_GT(deep.size(), 300u);
    const std::string file = platform::JoinPath(deep, "deep.mp3");
    ASSERT_TRUE(platform::WriteWholeFile(file, "deep"));
    EXPECT_EQ(platform::ReadWholeFile(file), "deep");
    ASSERT_TRUE(platform::ReplaceFileAtomically(file, "replaced"));
    EXPECT_EQ(platform::ReadWholeFile(file), "replaced");
    EXPECT_TRUE(platform::DeleteFile(file));
    EXPECT_FALSE(platform::PathExists(file));
}

TEST(WindowsFiles, JoinPathSpellsEverySeparatorTheWindowsWay) {
    EXPECT_EQ(platform::JoinPath("C:\\Users\\anna", "Profiles/x1.default"),
              "C:\\Users\\anna\\Profiles\\x1.default");
    EXPECT_EQ(platform::JoinPath("C:\\", "Windows"), "C:\\Windows");
    EXPECT_EQ(platform::BaseName("C:\\Users\\anna\\a.mp3"), "a.mp3");
}

TEST(WindowsFiles, AReadOnlyFileIsDeletedAndAFolderIsNoRegularFile) {
    test::WindowsTempFolder folder;
    const std::string file = folder.write("locked.jpg", "x");
    ASSERT_TRUE(::SetFileAttributesW(WidePath(file).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(platform::DeleteFile(file));
    EXPECT_FALSE(platform::PathExists(file));
    const std::string sub = folder.makeFolder("thumbs.db");
    EXPECT_FALSE(platform::RegularFileExists(sub));
    EXPECT_EQ(platform::OpenInputFile(sub), nullptr);
    EXPECT_EQ(platform::OpenInputFile(folder / "missing.mp3"), nullptr);
}

TEST(WindowsWalk, EntriesKeepTheirAttributesAndNames) {
    test::WindowsTempFolder folder;
    const std::string hidden = folder.write("hidden.mp3", "");
    const std::string locked = folder.write("locked.wma", "");
    folder.write(kWideName, "");
    folder.makeFolder("Music");
    ::SetFileAttributesW(WidePath(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ::SetFileAttributesW(WidePath(locked).c_str(), FILE_ATTRIBUTE_READONLY);
    auto root = platform::OpenWalkFolder(folder.path());
    ASSERT_NE(root, nullptr);
    auto entries = listAll(*root);
    struct Case {
        std::string name;
        platform::EntryKind kind;
        uint32_t attributes;
    };
    const Case cases[] = {
        {"hidden.mp3", platform::EntryKind::File,
         platform::kAttributeHidden | platform::kAttributeSystem},
        {"locked.wma", platform::EntryKind::File, platform::kAttributeReadOnly},
        {"Music", platform::EntryKind::Folder, platform::kAttributeFolder},
        {kWideName, platform::EntryKind::File, platform::kAttributeArchive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(entries.count(c.name), 1u);
        EXPECT_EQ(entries[c.name].kind, c.kind);
        // Archive is set by the file system as it likes; the other bits are the ones given.
        EXPECT_EQ(entries[c.name].attributes & ~platform::kAttributeArchive,
                  c.attributes & ~platform::kAttributeArchive);
    }
    EXPECT_NE(root->openSubFolder("Music", root->fileSystem()), nullptr);
    EXPECT_EQ(root->openSubFolder("hidden.mp3", root->fileSystem()), nullptr);
}

// Makes a junction (a mount-point reparse point) at link that points at target. False where the
// platform cannot (Wine has no reparse points of its own).
bool makeJunction(const std::string& link, const std::string& target) {
    if (!::CreateDirectoryW(WidePath(link).c_str(), nullptr))
        return false;
    HANDLE handle =
        ::CreateFileW(WidePath(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring substitute = L"\\??\\" + platform::win32::Widen(target);
    const std::wstring print = platform::win32::Widen(target);
    // REPARSE_DATA_BUFFER with its mount-point part, built by hand (mingw leaves it out).
    std::vector<unsigned char> buffer(16 + (substitute.size() + print.size() + 2) * 2, 0);
    auto put16 = [&](size_t at, size_t value) {
        buffer[at] = static_cast<unsigned char>(value);
        buffer[at + 1] = static_cast<unsigned char>(value >> 8);
    };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(buffer.data(), &tag, 4);
    put16(4, buffer.size() - 8);
    put16(8, 0);
    put16(10, substitute.size() * 2);
    put16(12, substitute.size() * 2 + 2);
    put16(14, print.size() * 2);
    std::memcpy(buffer.data() + 16, substitute.data(), substitute.size() * 2);
    std::memcpy(buffer.data() + 16 + substitute.size() * 2 + 2, print.data(), print.size() * 2);
    DWORD returned = 0;
    const BOOL made =
        ::DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(),
                          static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    ::CloseHandle(handle);
    if (!made)
        ::RemoveDirectoryW(WidePath(link).c_str());
    return made != 0;
}

bool isReparsePoint(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST(WindowsWalk, ALinkedFolderIsListedButNeverEntered) {
    // A tree "real\inner.mp3" beside "link", a link to "real": made here with the documented
    // calls (a junction, else a symbolic link); Wine makes neither, so there the tree comes from
    // the host (a symbolic link of the host's own, which Wine reports as a reparse point).
    test::WindowsTempFolder folder;
    std::string root = folder.makeFolder("tree");
    folder.write("tree\\real\\inner.mp3", "");
    const std::string link = folder / "tree\\link";
    if (!makeJunction(link, folder / "tree\\real") || !isReparsePoint(link)) {
        ::CreateSymbolicLinkW(WidePath(link).c_str(), WidePath(folder / "tree\\real").c_str(),
                              SYMBOLIC_LINK_FLAG_DIRECTORY | 2 /* no elevation needed */);
    }
    if (!isReparsePoint(link)) {
        const char* hostTree = std::getenv("VORLITH_HOST_LINK_TREE");
        root = hostTree ? platform::JoinPath(hostTree, "walk") : "";
        if (root.empty() || !isReparsePoint(platform::JoinPath(root, "link")))
            GTEST_SKIP() << "no junction or link can be made here, and no host tree was given";
    }

    auto walkRoot = platform::OpenWalkFolder(root);
    ASSERT_NE(walkRoot, nullptr);
    auto entries = listAll(*walkRoot);
    ASSERT_EQ(entries.count("link"), 1u);
    EXPECT_EQ(entries["link"].kind, platform::EntryKind::SymbolicLink);
    EXPECT_EQ(walkRoot->openSubFolder("link", walkRoot->fileSystem()), nullptr);
    EXPECT_NE(walkRoot->openSubFolder("real", walkRoot->fileSystem()), nullptr);

    // The walk records the link and finds the file behind it once, through the real folder.
    NoCancel run;
    FoundFiles lists;
    WalkProgress progress;
    FindFiles(run, lists, progress, root);
    const std::string rootPath = root.back() == '\\' ? root : root + "\\";
    EXPECT_EQ(lists.lstResult.entries(), std::vector<std::string>{rootPath + "real\\inner.mp3"});
    EXPECT_EQ(progress.FilesSearched, 3); // link, real, inner.mp3
}

// The entries of a folder whose names start with prefix.
std::vector<std::string> namesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    for (const std::string& path : platform::ListFolderPaths(folder))
        if (platform::BaseName(path).rfind(prefix, 0) == 0)
            names.push_back(platform::BaseName(path));
    return names;
}

TEST(WindowsReportFolder, ACancelledRunLeavesThePreviousReportAndACommittedOneReplacesIt) {
    test::WindowsTempFolder folder;
    const std::string assets = folder.makeFolder("assets");
    folder.write("assets\\logo.gif", "GIF89a");
    const std::string report = folder / "report";
    ASSERT_EQ(PrepareReportFolderAt(report, assets).state, ReportFolderState::Ready);
    auto run = [&](const std::string& text, bool commit) {
        std::string problem;
        auto staging = ReportStaging::Begin(report, &problem);
        ASSERT_TRUE(staging) << problem;
        for (PageId id : kAllPages) {
            PageFile page;
            ASSERT_TRUE(page.open(platform::JoinPath(staging->path(), InfoOf(id).fileName)));
            page.writeLine(text);
            ASSERT_TRUE(page.close());
        }
        auto thumbs = platform::OpenOutputFolder(staging->thumbsPath());
        auto picture = thumbs->createFile("1-1.jpg");
        picture->write(text);
        ASSERT_TRUE(picture->close());
        if (commit) {
            ASSERT_TRUE(staging->commit(&problem)) << problem;
        }
    };
    auto expectReport = [&](const std::string& text) {
        SCOPED_TRACE(text);
        for (PageId id : kAllPages)
            EXPECT_EQ(test::ReadWindowsFile(platform::JoinPath(report, InfoOf(id).fileName)),
                      text + "\r\n");
        EXPECT_EQ(test::ReadWindowsFile(report + "\\thumbs\\1-1.jpg"), text);
        // Nothing of a run is left beside the report: no staging folder, no temporary file.
        EXPECT_EQ(namesStartingWith(report, ".vorlith-run-"), std::vector<std::string>{});
        EXPECT_EQ(namesStartingWith(report, ".tmp-"), std::vector<std::string>{});
    };
    run("first", true);
    run("cancelled", false);
    expectReport("first");
    run("second", true); // Windows cannot swap the thumbs folders: they are moved in turn
    expectReport("second");
}

TEST(WindowsReportFolder, LinksAreReplacedOrRefusedNeverWrittenThrough) {
    // Wine makes no links itself; the host's stand in: "out" holds "link" (to the folder "real")
    // and "file-link" (to "real\\inner.mp3"). Wine reports a folder link as a reparse point by
    // its name, but shows a file link as the file it names.
    const char* hostTree = std::getenv("VORLITH_HOST_LINK_TREE");
    if (!hostTree)
        GTEST_SKIP() << "no host tree with links was given";
    const std::string out = platform::JoinPath(hostTree, "out");
    EXPECT_EQ(platform::OpenOutputFolder(out + "\\link"), nullptr);
    auto folder = platform::OpenOutputFolder(out);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->kindOf("link"), platform::EntryKind::SymbolicLink);
    EXPECT_EQ(folder->openFolder("link"), nullptr);
    auto file = folder->createFile("file-link");
    ASSERT_NE(file, nullptr);
    file->write("new page");
    ASSERT_TRUE(file->close());
    EXPECT_EQ(test::ReadWindowsFile(out + "\\file-link"), "new page");
    // Windows deletes the link itself; Wine cannot delete a host's folder link at all.
    folder->removeTree("link");
    EXPECT_EQ(test::ReadWindowsFile(out + "\\real\\inner.mp3"), "inner");
}

TEST(WindowsDrives, RootsAreDriveLettersWithTheSystemsTypes) {
    platform::DriveSource& drives = platform::SystemDrives();
    const auto roots = drives.roots();
    ASSERT_FALSE(roots.empty());
    for (const std::string& root : roots) {
        SCOPED_TRACE(root);
        ASSERT_EQ(root.size(), 3u);
        EXPECT_EQ(root.substr(1), ":\\");
        EXPECT_EQ(drives.typeOf(root),
                  static_cast<platform::DriveType>(::GetDriveTypeW(WidePath(root).c_str())));
    }
    // The system drive is fixed (under Wine too); a letter without a drive is "no root".
    wchar_t windowsFolder[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windowsFolder, MAX_PATH);
    const std::string systemRoot = platform::win32::Narrow(std::wstring(windowsFolder, 3));
    EXPECT_NE(std::find(roots.begin(), roots.end(), systemRoot), roots.end());
    EXPECT_EQ(GetDriveTypeName(drives, systemRoot), "Fixed");
    std::string unused = "A:\\";
    for (char letter = 'Y'; letter > 'D'; --letter)
        if (std::find(roots.begin(), roots.end(), std::string(1, letter) + ":\\") == roots.end()) {
            unused = std::string(1, letter) + ":\\";
            break;
        }
    EXPECT_EQ(GetDriveTypeName(drives, unused), "Not Found");
}

TEST(WindowsFolders, SpecialFoldersAreTheShellsAndTheVersionIsTheSystems) {
    for (int id : {platform::kFolderLocalAppData, platform::kFolderRoamingAppData,
                   platform::kFolderProfile, platform::kFolderProgramFiles}) {
        SCOPED_TRACE(id);
        const auto lookup = platform::LookupSpecialFolder(id);
        EXPECT_EQ(lookup.status, platform::FolderLookupStatus::Found);
        EXPECT_TRUE(platform::FolderExists(lookup.path));
    }
    EXPECT_EQ(platform::LookupSpecialFolder(0x7FFF).status, platform::FolderLookupStatus::NotValid);
    // Windows 8.1 and later say 6.2 to a program without a compatibility manifest; Wine says
    // what it was set to be (Windows 7, 6.1, by default).
    const auto version = platform::GetPlatformVersion();
    EXPECT_EQ(version.family, platform::PlatformVersion::Family::WindowsNT);
    EXPECT_GE(version.major, 5);
    EXPECT_EQ(platform::kExecutableSuffix, std::string(".exe"));
    EXPECT_EQ(platform::BaseName(platform::ExecutablePath()), "vorlith_windows_tests.exe");
}

TEST(WindowsInstanceLock, OneHolderPerUserUntilItIsReleased) {
    auto first = platform::AcquireInstanceLock("vorlith-lock-test");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(platform::AcquireInstanceLock("vorlith-lock-test"), nullptr);
    first.reset();
    EXPECT_NE(platform::AcquireInstanceLock("vorlith-lock-test"), nullptr);
}

} // namespace
} // namespace vorlith
