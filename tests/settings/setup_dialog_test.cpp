#include "app/setup_dialog.h"
#include "platform/reg_file_hive.h"
#include "settings/settings_store.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using platform::MessageAnswer;

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kEntry[] = "\"/opt/Vorlith/Vlith\" /STARTUP";

// The per-user settings and start-up list as the desktop keeps them.
class SetupDialogTest : public ::testing::Test {
protected:
    void store(const char* key, const char* value) {
        SaveSetting(hive, kSettingsApplication, kSettingsSection, key, value);
    }
    // Every stored setting as "key=value ", in the settings' order.
    std::string stored() {
        std::string text;
        for (const std::string& key : SettingKeys())
            if (auto value = hive.getValue(SettingsKeyPath("Vlith", "Settings"), key))
                text += key + "=" + *value + " ";
        return text;
    }

    test::TempFolder folder;
    platform::RegFileHive file{folder / "user.reg", "HKEY_CURRENT_USER"};
    platform::AutostartHive hive{file, folder / "autostart"};
    platform::RegFileHive machine{folder / "machine.reg", "HKEY_LOCAL_MACHINE"};
    test::FakeWindowSystem windows;
    ProgramSettings settings;
    SetupDialog dialog{{hive, machine, windows}, settings, "/opt/Vorlith/Vlith"};
};

TEST_F(SetupDialogTest, LoadFillsTheControlsAndEachResultChoiceSelectsItsOption) {
    dialog.Form_Load();
    EXPECT_TRUE(dialog.txtDays.text == "7" && dialog.chkRunHAonStart.checked);
    store("MinDays", "12");
    store("NoThumbs", "1");
    store("NoFirefox", "2");
    ASSERT_TRUE(hive.setValue(kRunKey, "Vlith", kEntry));
    using enum ResultsChoice; // a number the dialog does not offer shows as the default browser
    const ResultsChoice shown[] = {Both, DefaultBrowser, FirefoxMemory, FirefoxDisk,
                                   DefaultBrowser};
    for (int value = 0; value <= 4; ++value) {
        store("DefaultResults", std::to_string(value).c_str());
        dialog.Form_Load();
        EXPECT_EQ(dialog.selectedResults(), shown[value]) << value;
    }
    EXPECT_TRUE(dialog.frame.visible && windows.centered.back() == platform::WindowId::Setup);
    EXPECT_EQ(dialog.txtDays.text + " " + std::to_string(settings.MinDays), "12 12");
    EXPECT_TRUE(dialog.chkNoThumbs.checked && dialog.chkRunStartUp.checked);
    EXPECT_FALSE(dialog.chkNoFirefox.checked) << "a switch is on only at 1";
    EXPECT_TRUE(windows.messages.empty()) << "loading is no click: no Firefox question";
}

// Save writes the start-up entry first, then refuses more than 30 days (the dialog stays open,
// nothing else is saved) or stores every setting, the days as typed, and closes.
TEST_F(SetupDialogTest, SaveStoresWhatWasTypedOrRefusesMoreThanThirtyDays) {
    for (const char* typed : {" 14 days", "30.4"}) {
        SCOPED_TRACE(typed);
        const bool refused = typed == std::string("30.4");
        store("MinDays", "7");
        dialog.Form_Load();
        dialog.chkRunStartUp.checked = true;
        dialog.txtDays.text = typed;
        dialog.chkNoFirefox.checked = true;
        dialog.selectOption(dialog.optFirefoxDisk);
        dialog.cmdSave_Click();
        EXPECT_EQ(hive.getValue(kRunKey, "Vlith"), kEntry);
        EXPECT_EQ(stored(), refused ? "MinDays=7 "
                                    : "MinDays= 14 days HARunOnStart=1 DefaultResults=3 "
                                      "ScanNetworkDrives=0 NoThumbs=0 NoFirefox=1 WinStart=1 ");
        EXPECT_EQ(std::tuple(settings.MinDays, settings.NoFirefox, settings.DefaultResults),
                  refused ? std::tuple(7, 0, 1) : std::tuple(14, 1, 3));
        EXPECT_EQ(dialog.frame.visible, refused);
        EXPECT_EQ(dialog.txtDays.text, refused ? "30" : typed);
        EXPECT_EQ(windows.messages.size(), refused ? 1u : 0u);
        folder.write("user.reg", "");
    }
    EXPECT_EQ(windows.messages[0].title, "Vorlith.example - Internet Vorlith");
    EXPECT_EQ(windows.messages[0].text,
              "The minumum days for a Vorlith can not be set more than 30 days.");
}

TEST_F(SetupDialogTest, TheFirefoxOnlyQuestionKeepsTheChoiceOnlyOnYes) {
    for (auto click : {&SetupDialog::optFirefoxCache_Click, &SetupDialog::optFirefoxDisk_Click}) {
        for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
            windows.answers = {answer};
            (dialog.*click)();
            const auto chosen = click == &SetupDialog::optFirefoxDisk_Click
                                    ? ResultsChoice::FirefoxDisk
                                    : ResultsChoice::FirefoxMemory;
            EXPECT_EQ(dialog.selectedResults(),
                      answer == MessageAnswer::Yes ? chosen : ResultsChoice::Both);
        }
    }
    ASSERT_EQ(windows.messages.size(), 4u);
    EXPECT_EQ(windows.messages[3].title, "Disable Auto-Kill");
}

TEST_F(SetupDialogTest, DefaultSavesTheRecommendedSettingsAndKeepsTheDialogOpen) {
    store("NoThumbs", "1");
    dialog.Form_Load();
    dialog.txtDays.text = "20";
    dialog.chkRunStartUp.checked = false;
    dialog.cmdDefault_Click();
    EXPECT_EQ(stored(), "MinDays=7 HARunOnStart=1 DefaultResults=1 ScanNetworkDrives=0 NoThumbs=0 "
                        "NoFirefox=0 WinStart=1 ");
    EXPECT_EQ(hive.getValue(kRunKey, "Vlith"), kEntry);
    EXPECT_TRUE(dialog.optIE.selected && dialog.chkRunStartUp.checked && dialog.frame.visible);
    EXPECT_EQ(dialog.txtDays.text, "7");
    EXPECT_EQ(std::pair(settings.DefaultResults, settings.NoThumbs), std::pair(1, 1))
        << "the other copies follow only on Save";
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(windows.messages[0].title, "Vorlith.example - Internet Vorlith - Setup");
}

} // namespace
} // namespace vorlith
