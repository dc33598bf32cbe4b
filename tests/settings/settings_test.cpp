#include "platform/reg_file_hive.h"
#include "settings/program_settings.h"
#include "settings/reg_settings.h"
#include "settings/settings_store.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using test::TempFolder;

TEST(SettingConversion, WholeNumbersAsStoredTextsHaveAlwaysBeenRead) {
    const std::pair<const char*, std::optional<int>> cases[] = {{"7", 7},
                                                                {" 12 ", 12},
                                                                {"-3", -3},
                                                                {"+4", 4},
                                                                {"7.5", 8},
                                                                {"6.5", 6},
                                                                {"2.4", 2},
                                                                {"1e2", 100},
                                                                {"32767", 32767},
                                                                {"32768", std::nullopt},
                                                                {"-32769", std::nullopt},
                                                                {"", std::nullopt},
                                                                {"abc", std::nullopt},
                                                                {"7 days", std::nullopt},
                                                                {".", std::nullopt}};
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ConvertToWholeNumber(text), expected);
    }
}

TEST(SettingConversion, LeadingNumberOfTypedText) {
    EXPECT_EQ(LeadingWholeNumber("12 days"), 12);
    EXPECT_EQ(LeadingWholeNumber("  30"), 30);
    EXPECT_EQ(LeadingWholeNumber("abc"), 0);
    EXPECT_EQ(LeadingWholeNumber(""), 0);
    EXPECT_EQ(LeadingWholeNumber("31.6x"), 32);
}

TEST(SettingConversion, PlainNumbersHaveNoGroupingAndNoPointWhenWhole) {
    EXPECT_EQ(FormatPlainNumber(0), "0");
    EXPECT_EQ(FormatPlainNumber(1234567), "1234567");
    EXPECT_EQ(FormatPlainNumber(5000000000.0), "5000000000");
    EXPECT_EQ(FormatPlainNumber(1.5), "1.5");
}

class ProgramSettingsTest : public ::testing::Test {
protected:
    TempFolder folder;
    platform::RegFileHive hive{folder / "user.reg", "HKEY_CURRENT_USER"};
    void store(const char* key, const char* value) {
        SaveSetting(hive, kSettingsApplication, kSettingsSection, key, value);
    }
};

TEST_F(ProgramSettingsTest, NothingStoredGivesTheDefaults) {
    ProgramSettings settings;
    ReadProgramSettings(hive, settings);
    EXPECT_EQ(settings.LastAudit, "0");
    EXPECT_EQ(settings.MinDays, 7);
    EXPECT_EQ(settings.HARunOnStart, 1);
    EXPECT_EQ(settings.DefaultResults, 1);
    EXPECT_EQ(settings.CumlativeTotal, 0);
    EXPECT_EQ(settings.ScanNetworkDrives, 0);
    EXPECT_EQ(settings.NoThumbs, 0);
    EXPECT_EQ(settings.NoFirefox, 0);
}

TEST_F(ProgramSettingsTest, StoredTextThatDoesNotConvertLeavesTheCopy) {
    store(keys::kMinDays, "often");
    store(keys::kDefaultResults, "3");
    store(keys::kCumlativeTotal, "1234");
    store(keys::kNoThumbs, "99999");
    ProgramSettings settings;
    settings.MinDays = 11;
    settings.NoThumbs = 1;
    ReadProgramSettings(hive, settings);
    EXPECT_EQ(settings.MinDays, 11);
    EXPECT_EQ(settings.DefaultResults, 3);
    EXPECT_EQ(settings.CumlativeTotal, 1234);
    EXPECT_EQ(settings.NoThumbs, 1);
}

TEST_F(ProgramSettingsTest, SettingsLiveUnderTheApplicationsSection) {
    store(keys::kLastAudit, "2026-11-30");
    EXPECT_EQ(hive.getValue("Software\\VB and VBA Program Settings\\Vlith\\Settings", "LastAudit"),
              "2026-11-30");
    EXPECT_EQ(GetSetting(hive, "Vlith", "Settings", "Missing", "dflt"), "dflt");
}

class RegSettingsTest : public ::testing::Test {
protected:
    TempFolder folder;
    platform::RegFileHive machine{folder / "machine.reg", "HKEY_LOCAL_MACHINE"};
    platform::RegFileHive user{folder / "user.reg", "HKEY_CURRENT_USER"};
    CRegSettings reg{machine, user};
};

TEST_F(RegSettingsTest, CompanyAndAppNameAreTrimmedAndDefaultWhenEmpty) {
    EXPECT_EQ(reg.keyPath(""), "Software\\VB and VBA Program Settings\\Vlith");
    reg.setCompany("  Microsoft  ");
    reg.setAppName(" Windows ");
    EXPECT_EQ(reg.keyPath("CurrentVersion\\Run"),
              "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    reg.setCompany("");
    reg.setAppName("");
    EXPECT_EQ(reg.Company(), "VB and VBA Program Settings");
    EXPECT_EQ(reg.AppName(), "Vlith");
}

TEST_F(RegSettingsTest, PlainOperationsUseTheMachineHiveAndTwoTheUserHive) {
    EXPECT_TRUE(reg.SaveSetting("S", "k", "machine"));
    EXPECT_TRUE(reg.SaveSetting2("S", "k", "user"));
    EXPECT_EQ(reg.GetSetting("S", "k", "-"), "machine");
    EXPECT_EQ(reg.GetSetting2("S", "k", "-"), "user");
    EXPECT_EQ(machine.getValue(reg.keyPath("S"), "k"), "machine");
}

TEST_F(RegSettingsTest, StarIsTheDefaultValueAndEmptyValuesReadAsDefault) {
    EXPECT_TRUE(reg.SaveSetting2("S", "*", "unnamed"));
    EXPECT_EQ(user.getValue(reg.keyPath("S"), ""), "unnamed");
    EXPECT_EQ(reg.GetSetting2("S", "*", "-"), "unnamed");
    EXPECT_TRUE(reg.SaveSetting2("S", "empty", ""));
    EXPECT_EQ(reg.GetSetting2("S", "empty", "fallback"), "fallback");
    EXPECT_EQ(reg.GetSetting2("Missing", "k", "fallback"), "fallback");
}

TEST_F(RegSettingsTest, DeleteWithKeyRemovesOneValueAndWithoutKeyTheSection) {
    reg.setCompany("Microsoft");
    reg.setAppName("Windows");
    ASSERT_TRUE(reg.SaveSetting2("Section", "Vlith", "a"));
    ASSERT_TRUE(reg.SaveSetting2("Section", "Other", "b"));
    EXPECT_TRUE(reg.DeleteSetting2("Section", "Vlith"));
    EXPECT_EQ(reg.GetSetting2("Section", "Vlith", "gone"), "gone");
    EXPECT_EQ(reg.GetSetting2("Section", "Other", "-"), "b");
    EXPECT_FALSE(reg.DeleteSetting2("Section", "Vlith"));
    EXPECT_TRUE(reg.DeleteSetting2("Section"));
    EXPECT_EQ(reg.GetSetting2("Section", "Other", "gone"), "gone");
}

} // namespace
} // namespace vorlith
