// The settings hives in the registry: values round trip under a test key of their own, the
// start-up entry is the Run key's value "Vlith", and the machine's hive is never written.

#include "platform/windows/registry_hive.h"
#include "settings/reg_settings.h"
#include "settings/startup_entry.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace vorlith::platform {
namespace {

using win32::Widen;

// The value as the registry holds it, read without the hive: its type and its text.
struct StoredValue {
    DWORD type = REG_NONE;
    std::wstring text;
};
std::optional<StoredValue> storedValue(HKEY root, const std::string& key, const std::string& name) {
    wchar_t buffer[4096] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegGetValueW(root, Widen(key).c_str(), Widen(name).c_str(), RRF_RT_ANY, &type, buffer,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return StoredValue{type, std::wstring(buffer)};
}

TEST(RegistryHive, ValuesRoundTripAsStringsUnderATestKey) {
    test::ScratchRegistryKey scratch;
    RegistryHive hive(HKEY_CURRENT_USER, scratch.path(), HiveAccess::ReadWrite);
    const std::string settings = "Software\\VB and VBA Program Settings\\Vlith\\Settings";
    struct Case {
        const char* name;
        std::string data;
    };
    const Case cases[] = {
        {"MinDays", "14"},
        {"LastAudit", "2026-12-06"},
        {"", "the key's default value"},
        {"Empty", ""},
        // Outside every 8-bit code page: kept as it was given.
        {"Folder", "C:\\Users\\\xE4\xB8\xAD\xD0\xB6\\Music"},
    };
    EXPECT_FALSE(hive.keyExists(settings));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(hive.getValue(settings, c.name).has_value());
        ASSERT_TRUE(hive.setValue(settings, c.name, c.data));
        EXPECT_EQ(hive.getValue(settings, c.name), c.data);
        // Stored as REG_SZ, as the registry's own tools show it.
        auto stored = storedValue(HKEY_CURRENT_USER, scratch.path() + "\\" + settings, c.name);
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(stored->text, Widen(c.data));
    }
    EXPECT_TRUE(hive.keyExists(settings));

    EXPECT_TRUE(hive.deleteValue(settings, "MinDays"));
    EXPECT_FALSE(hive.getValue(settings, "MinDays").has_value());
    EXPECT_FALSE(hive.deleteValue(settings, "MinDays"));
    // A key with sub-keys stays; without them it goes with its values.
    EXPECT_FALSE(hive.deleteKey("Software\\VB and VBA Program Settings\\Vlith"));
    EXPECT_TRUE(hive.deleteKey(settings));
    EXPECT_FALSE(hive.keyExists(settings));
}

TEST(RegistryHive, TheUsersSystemHiveIsTheCurrentUsersRegistry) {
    test::ScratchRegistryKey scratch;
    SettingsHive& user = SystemHive(HiveScope::User);
    ASSERT_TRUE(user.setValue(scratch.path(), "Probe", "written by the user hive"));
    auto stored = storedValue(HKEY_CURRENT_USER, scratch.path(), "Probe");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->text, L"written by the user hive");
}

TEST(RegistryHive, TheStartupEntryIsWrittenReadBackAndDeletedAlone) {
    // The settings code works on a hive rooted in a test key, so the user's own Run key is left
    // alone; below it the paths are the registry's real ones.
    test::ScratchRegistryKey scratch;
    RegistryHive user(HKEY_CURRENT_USER, scratch.path(), HiveAccess::ReadWrite);
    RegistryHive machine(HKEY_LOCAL_MACHINE, "", HiveAccess::ReadOnly);
    const std::string runKey =
        scratch.path() + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_TRUE(user.setValue("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other",
                              "\"C:\\Other\\other.exe\""));

    CRegSettings reg(machine, user);
    UseStartupListKey(reg);
    const std::string data = StartupEntryData("C:\\Program Files\\Vorlith\\Vlith.exe");
    ASSERT_TRUE(reg.SaveSetting2(kRunSection, kStartupEntryName, data));
    auto stored = storedValue(HKEY_CURRENT_USER, runKey, "Vlith");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored->text, L"\"C:\\Program Files\\Vorlith\\Vlith.exe\" /STARTUP");
    EXPECT_EQ(reg.GetSetting2(kRunSection, kStartupEntryName, ""), data);

    EXPECT_TRUE(reg.DeleteSetting2(kRunSection, kStartupEntryName));
    EXPECT_FALSE(storedValue(HKEY_CURRENT_USER, runKey, "Vlith").has_value());
    EXPECT_TRUE(storedValue(HKEY_CURRENT_USER, runKey, "Other").has_value());
    EXPECT_EQ(reg.GetSetting2(kRunSection, kStartupEntryName, "none"), "none");
}

TEST(RegistryHive, TheMachineHiveIsReadButNeverWritten) {
    SettingsHive& machine = SystemHive(HiveScope::Machine);
    const std::string versionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    auto stored = storedValue(HKEY_LOCAL_MACHINE, versionKey, "CurrentVersion");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(machine.getValue(versionKey, "CurrentVersion"), win32::Narrow(stored->text));

    const std::string key = "Software\\VB and VBA Program Settings\\Vlith\\VorlithTestMachine";
    EXPECT_FALSE(machine.setValue(key, "MinDays", "3"));
    EXPECT_FALSE(machine.keyExists(key));
    EXPECT_FALSE(machine.deleteValue(versionKey, "CurrentVersion"));
    EXPECT_FALSE(machine.deleteKey(key));
    EXPECT_TRUE(storedValue(HKEY_LOCAL_MACHINE, versionKey, "CurrentVersion").has_value());
}

} // namespace
} // namespace vorlith::platform
