#include "platform/reg_file_hive.h"
#include "support/test_support.h"

#include <filesystem>
#include <set>
#include <gtest/gtest.h>

namespace vorlith::platform {
namespace {

using test::ReadFile;
using test::TempFolder;
namespace fs = std::filesystem;

const char kSettingsKey[] = "Software\\VB and VBA Program Settings\\Vlith\\Settings";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(RegFileHive, WritesRegedit4TextThatReadsBackWithoutRegardToCase) {
    TempFolder folder;
    const std::string path = folder / "sub/user.reg";
    RegFileHive hive(path, "HKEY_CURRENT_USER");
    EXPECT_FALSE(hive.getValue(kSettingsKey, "LastAudit") || hive.keyExists(kSettingsKey) ||
                 hive.deleteValue(kSettingsKey, "LastAudit"));
    EXPECT_FALSE(fs::exists(path)) << "reading creates nothing";
    ASSERT_TRUE(hive.setValue(kSettingsKey, "LastAudit", "2026-12-06"));
    ASSERT_TRUE(hive.setValue(kSettingsKey, "Odd", "back\\slash \"quoted\""));
    ASSERT_TRUE(hive.setValue(kSettingsKey, "", "default value"));
    ASSERT_TRUE(hive.setValue(kSettingsKey, "LastAudit", "2026-12-07")); // replaced in place
    ASSERT_TRUE(hive.setValue(kSettingsKey, "Gone", "x") && hive.deleteValue(kSettingsKey, "Gone"));
    EXPECT_EQ(ReadFile(path),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vlith\\Settings]\r\n"
              "\"LastAudit\"=\"2026-12-07\"\r\n"
              "\"Odd\"=\"back\\\\slash \\\"quoted\\\"\"\r\n"
              "@=\"default value\"\r\n"
              "\r\n");
    RegFileHive again(path, "HKEY_CURRENT_USER");
    EXPECT_EQ(again.getValue(kSettingsKey, "Odd"), "back\\slash \"quoted\"");
    EXPECT_EQ(again.getValue("software\\vb and vba program settings\\VLITH\\settings", "lastaudit"),
              "2026-12-07");
}

TEST(RegFileHive, KeepsLinesItDoesNotUnderstand) {
    TempFolder folder;
    const std::string text =
        "REGEDIT4\r\n; a comment someone wrote\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"Count\"=dword:00000010\r\n"
        "garbage line without quotes\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Foreign]\r\n\"Name\"=\"kept as it is\"\r\n";
    RegFileHive hive(folder.write("user.reg", text), "HKEY_CURRENT_USER");
    EXPECT_FALSE(hive.getValue("Software\\Other", "Count"));  // not a string value
    EXPECT_FALSE(hive.getValue("Software\\Foreign", "Name")); // another root
    ASSERT_TRUE(hive.setValue("Software\\Other", "New", "1"));
    std::string expected = text;
    expected.insert(expected.find("garbage line without quotes\r\n") + 29, "\"New\"=\"1\"\r\n");
    EXPECT_EQ(ReadFile(folder / "user.reg"), expected);
}

TEST(RegFileHive, ReplacesTheFileAtomicallyOrNotAtAll) {
    TempFolder folder;
    RegFileHive hive(folder / "user.reg", "HKEY_CURRENT_USER");
    ASSERT_TRUE(hive.setValue(kSettingsKey, "A", "1"));
    ASSERT_TRUE(hive.setValue(kSettingsKey, "B", "2"));
    const std::string before = ReadFile(folder / "user.reg");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1) << "no temporary file";
    // A hive whose folder is a file cannot be written; the other file is untouched.
    folder.write("blocker", "x");
    EXPECT_FALSE(RegFileHive(folder / "blocker/user.reg", "HKEY_CURRENT_USER")
                     .setValue(kSettingsKey, "A", "2"));
    EXPECT_EQ(ReadFile(folder / "user.reg"), before);
}

TEST(AutostartHive, StartupListIsTheAutostartFolder) {
    TempFolder folder;
    RegFileHive file(folder / "user.reg", "HKEY_CURRENT_USER");
    AutostartHive hive(file, folder / "autostart");
    const std::string data = "\"C:\\Program Files\\Vorlith\\Vlith\" /STARTUP";
    EXPECT_FALSE(hive.getValue(kRunKey, "Vlith"));
    ASSERT_TRUE(hive.setValue(kRunKey, "Vlith", data));
    const std::string desktop = ReadFile(folder / "autostart/Vlith.desktop");
    EXPECT_TRUE(desktop.starts_with("[Desktop Entry]\n")) << desktop;
    EXPECT_NE(desktop.find("\nExec=\"C:\\\\Program Files"), std::string::npos) << desktop;
    EXPECT_EQ(hive.getValue("software\\microsoft\\windows\\currentversion\\run\\", "Vlith"), data);
    EXPECT_FALSE(fs::exists(folder / "user.reg")) << "the list never reaches the settings file";
    EXPECT_TRUE(hive.deleteValue(kRunKey, "Vlith"));
    EXPECT_FALSE(fs::exists(folder / "autostart/Vlith.desktop") ||
                 hive.deleteValue(kRunKey, "Vlith"));
    EXPECT_FALSE(hive.setValue(kRunKey, "../escape", "x")); // a value name never leaves the folder
    EXPECT_EQ(DesktopEntryExec("[Desktop Action a]\nExec=not this\n[Desktop Entry]\nExec=this"),
              "this");
    EXPECT_FALSE(DesktopEntryExec("[Desktop Entry]\nName=no exec\n"));
}

// What a killed writer left is removed at the next change (only names it gives its
// temporaries), and what the settings say about the user is his alone.
TEST(RegFileHive, AChangeCleansUpAfterAKilledWriterAndKeepsTheSettingsPrivate) {
    TempFolder folder;
    for (const char* name : {"user.reg.tmp123456", "user.reg.tmp7", "user.reg.tmpx", "other.reg.tmp5"})
        folder.write("config/vorlith/" + std::string(name), std::string(4096, 'x'));
    fs::permissions(folder / "config/vorlith", fs::perms(0755));
    RegFileHive hive(folder / "config/vorlith/user.reg", "HKEY_CURRENT_USER");
    ASSERT_TRUE(hive.setValue(kSettingsKey, "A", "1"));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder / "config/vorlith"))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"user.reg", "user.reg.tmpx", "other.reg.tmp5"}));
    const auto mode = [](const std::string& path) {
        return static_cast<int>(fs::status(path).permissions() & fs::perms::mask);
    };
    EXPECT_EQ(mode(folder / "config/vorlith/user.reg"), 0600);
    RegFileHive fresh(folder / "new/vorlith/user.reg", "HKEY_CURRENT_USER");
    ASSERT_TRUE(fresh.setValue(kSettingsKey, "A", "1"));
    EXPECT_EQ(mode(folder / "new/vorlith"), 0700);

    // The desktop reads autostart entries as it reads others' files; nobody else may write one.
    AutostartHive autostart(hive, folder / "autostart");
    ASSERT_TRUE(autostart.setValue(kRunKey, "Vlith", "\"/bin/vorlith\" /STARTUP"));
    fs::permissions(folder / "autostart/Vlith.desktop", fs::perms(0666));
    ASSERT_TRUE(autostart.setValue(kRunKey, "Vlith", "\"/bin/vorlith\" /STARTUP"));
    EXPECT_EQ(mode(folder / "autostart/Vlith.desktop"), 0664);
}

} // namespace
} // namespace vorlith::platform
