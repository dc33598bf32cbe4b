#include "platform/reg_file_hive.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace vorlith::platform {
namespace {

using test::ReadFile;
using test::TempFolder;

const char kSettingsKey[] = "Software\\VB and VBA Program Settings\\Vlith\\Settings";

TEST(RegFileHive, MissingFileReadsAsEmptyHive) {
    TempFolder folder;
    RegFileHive hive(folder / "none.reg", "HKEY_CURRENT_USER");
    EXPECT_FALSE(hive.getValue(kSettingsKey, "MinDays"));
    EXPECT_FALSE(hive.keyExists(kSettingsKey));
    EXPECT_FALSE(hive.deleteValue(kSettingsKey, "MinDays"));
    EXPECT_FALSE(std::filesystem::exists(folder / "none.reg")); // reading creates nothing
}

TEST(RegFileHive, WritesRegedit4TextThatReadsBack) {
    TempFolder folder;
    const std::string path = folder / "sub/user.reg";
    RegFileHive hive(path, "HKEY_CURRENT_USER");
    ASSERT_TRUE(hive.setValue(kSettingsKey, "LastAudit", "2026-12-06"));
    ASSERT_TRUE(hive.setValue(kSettingsKey, "Odd", "back\\slash \"quoted\""));
    ASSERT_TRUE(hive.setValue(kSettingsKey, "", "default value"));
    ASSERT_TRUE(hive.setValue(kSettingsKey, "LastAudit", "2026-12-07")); // replaced in place

    EXPECT_EQ(ReadFile(path),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vlith\\Settings]\r\n"
              "\"LastAudit\"=\"2026-12-07\"\r\n"
              "\"Odd\"=\"back\\\\slash \\\"quoted\\\"\"\r\n"
              "@=\"default value\"\r\n"
              "\r\n");
    RegFileHive again(path, "HKEY_CURRENT_USER");
    EXPECT_EQ(again.getValue(kSettingsKey, "Odd"), "back\\slash \"quoted\"");
    EXPECT_EQ(again.getValue(kSettingsKey, ""), "default value");
    // Key paths and value names compare without regard to case, as in the registry.
    EXPECT_EQ(again.getValue("software\\vb and vba program settings\\VLITH\\settings", "lastaudit"),
              "2026-12-07");
    EXPECT_TRUE(again.keyExists("Software\\VB and VBA Program Settings"));
}

TEST(RegFileHive, KeepsLinesItDoesNotUnderstand) {
    TempFolder folder;
    const std::string text = "REGEDIT4\r\n"
                             "; a comment someone wrote\r\n"
                             "\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                             "\"Count\"=dword:00000010\r\n"
                             "garbage line without quotes\r\n"
                             "\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Foreign]\r\n"
                             "\"Name\"=\"kept as it is\"\r\n";
    const std::string path = folder.write("user.reg", text);
    RegFileHive hive(path, "HKEY_CURRENT_USER");
    EXPECT_FALSE(hive.getValue("Software\\Other", "Count"));  // not a string value
    EXPECT_FALSE(hive.getValue("Software\\Foreign", "Name")); // another root
    ASSERT_TRUE(hive.setValue("Software\\Other", "New", "1"));
    const std::string after = ReadFile(path);
    EXPECT_NE(after.find("; a comment someone wrote\r\n"), std::string::npos);
    EXPECT_NE(after.find("\"Count\"=dword:00000010\r\n"), std::string::npos);
    EXPECT_NE(after.find("garbage line without quotes\r\n\"New\"=\"1\"\r\n"), std::string::npos);
    EXPECT_NE(after.find("[HKEY_LOCAL_MACHINE\\Software\\Foreign]\r\n\"Name\"=\"kept as it "
                         "is\"\r\n"),
              std::string::npos);
}

TEST(RegFileHive, ReplacesTheFileAtomically) {
    TempFolder folder;
    const std::string path = folder / "user.reg";
    RegFileHive hive(path, "HKEY_CURRENT_USER");
    ASSERT_TRUE(hive.setValue(kSettingsKey, "A", "1"));
    const auto inodeBefore = std::filesystem::status(path).permissions();
    ASSERT_TRUE(hive.setValue(kSettingsKey, "B", "2"));
    // The file was renamed into place: no temporary file stays behind, the permissions stay.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(std::filesystem::status(path).permissions(), inodeBefore);
    EXPECT_EQ(hive.getValue(kSettingsKey, "A"), "1");
}

TEST(RegFileHive, FailedWriteLeavesTheOldFile) {
    TempFolder folder;
    const std::string path = folder / "user.reg";
    RegFileHive hive(path, "HKEY_CURRENT_USER");
    ASSERT_TRUE(hive.setValue(kSettingsKey, "A", "1"));
    const std::string before = ReadFile(path);
    // A hive whose folder is a file cannot be written; the reader's file is untouched.
    folder.write("blocker", "x");
    RegFileHive blocked(folder / "blocker/user.reg", "HKEY_CURRENT_USER");
    EXPECT_FALSE(blocked.setValue(kSettingsKey, "A", "2"));
    EXPECT_EQ(ReadFile(path), before);
}

TEST(RegFileHive, AChangeRemovesTheTemporariesAKilledWriterLeft) {
    TempFolder folder;
    const std::string path = folder / "user.reg";
    for (const char* name : {"user.reg.tmp123456", "user.reg.tmp7", "user.reg.tmpx", "user.reg.tmp",
                             "other.reg.tmp5", "user.reg.tmp5.bak"})
        folder.write(name, std::string(4096, 'x'));
    RegFileHive hive(path, "HKEY_CURRENT_USER");
    ASSERT_TRUE(hive.setValue(kSettingsKey, "A", "1"));
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.insert(entry.path().filename().string());
    // Only the names the writer gives its temporaries go; files of other names stay.
    EXPECT_EQ(names, (std::set<std::string>{"user.reg", "user.reg.tmpx", "user.reg.tmp",
                                            "other.reg.tmp5", "user.reg.tmp5.bak"}));
}

TEST(RegFileHive, SettingsArePrivateAndTheAutostartEntryNeverWritableByOthers) {
    namespace fs = std::filesystem;
    const auto mode = [](const std::string& path) {
        return static_cast<int>(fs::status(path).permissions() & fs::perms::mask);
    };
    TempFolder folder;
    RegFileHive hive(folder / "config/vorlith/user.reg", "HKEY_CURRENT_USER");
    ASSERT_TRUE(hive.setValue(kSettingsKey, "A", "1"));
    EXPECT_EQ(mode(folder / "config"), 0700);
    EXPECT_EQ(mode(folder / "config/vorlith"), 0700);
    EXPECT_EQ(mode(folder / "config/vorlith/user.reg"), 0600);
    // A file an older version left readable by all becomes private at the next change.
    fs::permissions(folder / "config/vorlith/user.reg", fs::perms(0644));
    ASSERT_TRUE(hive.setValue(kSettingsKey, "A", "2"));
    EXPECT_EQ(mode(folder / "config/vorlith/user.reg"), 0600);

    // The desktop reads autostart entries as others' files are read; nobody else may write one.
    AutostartHive autostart(hive, folder / "autostart");
    const char run[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_TRUE(autostart.setValue(run, "Vlith", "\"/bin/vorlith\" /STARTUP"));
    EXPECT_EQ(mode(folder / "autostart/Vlith.desktop"), 0644);
    fs::permissions(folder / "autostart/Vlith.desktop", fs::perms(0666));
    ASSERT_TRUE(autostart.setValue(run, "Vlith", "\"/bin/vorlith\" /STARTUP"));
    EXPECT_EQ(mode(folder / "autostart/Vlith.desktop"), 0664);
}

TEST(RegFileHive, DeletesValuesAndKeysButNotKeysWithSubKeys) {
    TempFolder folder;
    RegFileHive hive(folder / "user.reg", "HKEY_CURRENT_USER");
    ASSERT_TRUE(hive.setValue("Software\\App\\One", "x", "1"));
    ASSERT_TRUE(hive.setValue("Software\\App\\One", "y", "2"));
    ASSERT_TRUE(hive.setValue("Software\\App\\One\\Deeper", "z", "3"));
    EXPECT_TRUE(hive.deleteValue("Software\\App\\One", "x"));
    EXPECT_FALSE(hive.getValue("Software\\App\\One", "x"));
    EXPECT_EQ(hive.getValue("Software\\App\\One", "y"), "2");
    EXPECT_FALSE(hive.deleteKey("Software\\App\\One")); // still has a sub-key
    EXPECT_TRUE(hive.deleteKey("Software\\App\\One\\Deeper"));
    EXPECT_TRUE(hive.deleteKey("Software\\App\\One"));
    EXPECT_FALSE(hive.keyExists("Software\\App\\One"));
    EXPECT_FALSE(hive.deleteKey("Software\\App\\One"));
}

TEST(AutostartHive, StartupListIsTheAutostartFolder) {
    TempFolder folder;
    RegFileHive file(folder / "user.reg", "HKEY_CURRENT_USER");
    AutostartHive hive(file, folder / "autostart");
    const char run[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string data = "\"/opt/vorlith/bin/vorlith\" /STARTUP";

    EXPECT_FALSE(hive.getValue(run, "Vlith"));
    ASSERT_TRUE(hive.setValue(run, "Vlith", data));
    const std::string desktop = ReadFile(folder / "autostart/Vlith.desktop");
    EXPECT_NE(desktop.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nExec=\"/opt/vorlith/bin/vorlith\" /STARTUP\n"), std::string::npos);
    EXPECT_EQ(hive.getValue(run, "Vlith"), data);
    EXPECT_EQ(hive.getValue("software\\microsoft\\windows\\currentversion\\run\\", "Vlith"), data);
    // The start-up list never reaches the settings file.
    EXPECT_FALSE(std::filesystem::exists(folder / "user.reg"));

    ASSERT_TRUE(hive.setValue(run, "Other", "other"));
    EXPECT_TRUE(hive.deleteValue(run, "Vlith"));
    EXPECT_FALSE(std::filesystem::exists(folder / "autostart/Vlith.desktop"));
    EXPECT_EQ(hive.getValue(run, "Other"), "other");
    EXPECT_FALSE(hive.deleteValue(run, "Vlith"));
    EXPECT_FALSE(hive.setValue(run, "../escape", "x")); // a value name never leaves the folder
}

TEST(AutostartHive, DataWithBackslashesRoundTrips) {
    TempFolder folder;
    RegFileHive file(folder / "user.reg", "HKEY_CURRENT_USER");
    AutostartHive hive(file, folder / "autostart");
    const char run[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_TRUE(hive.setValue(run, "Vlith", "\"C:\\Program Files\\Vorlith\\Vlith\" /STARTUP"));
    EXPECT_EQ(hive.getValue(run, "Vlith"), "\"C:\\Program Files\\Vorlith\\Vlith\" /STARTUP");
}

TEST(DesktopEntryExec, ReadsOnlyTheMainGroup) {
    EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\nName=x\nExec=run me\n"), "run me");
    EXPECT_EQ(DesktopEntryExec("[Desktop Action a]\nExec=not this\n[Desktop Entry]\nExec=this"),
              "this");
    EXPECT_FALSE(DesktopEntryExec("[Desktop Entry]\nName=no exec\n"));
    EXPECT_FALSE(DesktopEntryExec(""));
}

} // namespace
} // namespace vorlith::platform
