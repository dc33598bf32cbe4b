#include "platform/reg_file_hive.h"
#include "settings/program_settings.h"
#include "settings/reg_settings.h"
#include "settings/setting_rules.h"
#include "settings/settings_store.h"
#include "settings/startup_entry.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

TEST(SettingConversion, StoredAndTypedNumbersAreReadAsTheyHaveAlwaysBeen) {
    const std::tuple<const char*, std::optional<int>, int> cases[] = {
        {"7", 7, 7},          {" 12 ", 12, 12},  {"-3", -3, -3},
        {"+4", 4, 4},         {"7.5", 8, 8},     {"6.5", 6, 6}, // half to even
        {"2.4", 2, 2},        {"1e2", 100, 100}, {"32767", 32767, 32767},
        {"32768", {}, 32768}, {"", {}, 0},       {"abc", {}, 0},
        {"12 days", {}, 12},  {".", {}, 0},      {"31.6x", {}, 32}};
    for (const auto& [text, stored, typed] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ConvertToWholeNumber(text), stored);
        EXPECT_EQ(LeadingWholeNumber(text), typed);
    }
    EXPECT_EQ(ConvertToWholeNumber("-32769"), std::nullopt);
    EXPECT_EQ(FormatPlainNumber(5000000000.0) + " " + FormatPlainNumber(1.5), "5000000000 1.5");
}

TEST(SettingRules, KeysAndValuesTheSettingsTake) {
    EXPECT_EQ(CanonicalSettingKey("mindays"), "MinDays");
    EXPECT_EQ(CanonicalSettingKey("NoSuchKey"), std::nullopt);
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"NoThumbs", "1", true},           {"NoThumbs", "2", false},
        {"WinStart", "yes", false},        {"DefaultResults", "3", true},
        {"DefaultResults", "4", false},    {"DefaultResults", "-1", false},
        {"MinDays", "30", true},           {"MinDays", "0", true},
        {"MinDays", "31", false},          {"MinDays", "30.4", false}, // rounds to 30, still more
        {"MinDays", "1e3", false},         {"MinDays", "-1", false},
        {"MinDays", "abc", false},         {"CumlativeTotal", "1234.5", true},
        {"CumlativeTotal", "many", false}, {"LastAudit", "2026-12-06", true},
        {"LastAudit", "0", true},          {"LastAudit", "06.12.2026", false}};
    for (const auto& [key, value, accepted] : cases) {
        SCOPED_TRACE(std::string(key) + "=" + value);
        EXPECT_EQ(CheckSettingValue(key, value).empty(), accepted);
    }
    EXPECT_EQ(CheckSettingValue("MinDays", "31"), kMinDaysTooLargeMessage);
    EXPECT_TRUE(IsMinDaysTooLarge(" 45 days") && !IsMinDaysTooLarge("abc")); // as typed
}

TEST(ResultsChoiceOf, AnyNumberButOneToThreeIsBoth) {
    using enum ResultsChoice;
    const ResultsChoice expected[] = {Both, DefaultBrowser, FirefoxMemory, FirefoxDisk, Both};
    for (int stored = 0; stored <= 4; ++stored)
        EXPECT_EQ(ResultsChoiceOf(stored), expected[stored]) << stored;
    EXPECT_EQ(ResultsChoiceOf(-1), Both);
}

class SettingsTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    platform::RegFileHive machine{folder / "machine.reg", "HKEY_LOCAL_MACHINE"};
    platform::RegFileHive user{folder / "user.reg", "HKEY_CURRENT_USER"};
    CRegSettings reg{machine, user};
};

TEST_F(SettingsTest, NothingStoredGivesTheDefaultsAndTextThatDoesNotConvertLeavesTheCopy) {
    ProgramSettings settings;
    ReadProgramSettings(user, settings);
    EXPECT_EQ(std::tuple(settings.LastAudit, settings.MinDays, settings.HARunOnStart,
                         settings.DefaultResults, settings.CumlativeTotal,
                         settings.ScanNetworkDrives, settings.NoThumbs, settings.NoFirefox),
              std::tuple("0", 7, 1, 1, 0.0, 0, 0, 0));
    SaveSetting(user, "Vlith", "Settings", keys::kMinDays, "often");
    SaveSetting(user, "Vlith", "Settings", keys::kCumlativeTotal, "1234");
    EXPECT_EQ(user.getValue("Software\\VB and VBA Program Settings\\Vlith\\Settings", "MinDays"),
              "often");
    settings.MinDays = 11;
    ReadProgramSettings(user, settings);
    EXPECT_EQ(std::pair(settings.MinDays, settings.CumlativeTotal), std::pair(11, 1234.0));
}

// Clearing the entry removes only one of more than three characters; at least three count as
// an entry when the dialog loads.
TEST_F(SettingsTest, StartupEntryIsWrittenAndRemovedOnlyWhenLongerThanThreeCharacters) {
    const char run[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    WriteStartupEntry(reg, true, "/opt/Vorlith/Vlith");
    EXPECT_EQ(user.getValue(run, "Vlith"), "\"/opt/Vorlith/Vlith\" /STARTUP");
    for (auto [data, removed, present] :
         {std::tuple{"abcd", true, false}, {"abc", false, true}, {"ab", false, false}}) {
        ASSERT_TRUE(user.setValue(run, "Vlith", data));
        ASSERT_TRUE(user.setValue(run, "Other", "x"));
        WriteStartupEntry(reg, false, "/opt/Vorlith/Vlith");
        EXPECT_EQ(user.getValue(run, "Vlith").has_value(), !removed) << data;
        EXPECT_EQ(user.getValue(run, "Other"), "x") << "the other entries stay";
        EXPECT_EQ(HasStartupEntry(reg), present) << data;
    }
}

} // namespace
} // namespace vorlith
