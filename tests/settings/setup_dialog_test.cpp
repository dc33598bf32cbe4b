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
    // Every stored setting as "key=value", in the settings' order.
    std::string stored() {
        std::string text;
        for (const std::string& key : SettingKeys())
            if (auto value =
                    hive.getValue(SettingsKeyPath(kSettingsApplication, kSettingsSection), key))
                text += key + "=" + *value + " ";
        return text;
    }
    std::optional<std::string> entry() { return hive.getValue(kRunKey, "Vlith"); }

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
    EXPECT_EQ(dialog.txtDays.text, "7");
    EXPECT_TRUE(dialog.chkRunHAonStart.checked && dialog.optIE.selected);
    store("MinDays", "12");
    store("HARunOnStart", "0");
    store("NoThumbs", "1");
    store("NoFirefox", "2");
    ASSERT_TRUE(hive.setValue(kRunKey, "Vlith", kEntry));
    using enum ResultsChoice;
    for (auto [value, choice] : {std::pair{"0", Both},
                                 {"1", DefaultBrowser},
                                 {"2", FirefoxMemory},
                                 {"3", FirefoxDisk},
                                 {"7", DefaultBrowser},
                                 {"-1", DefaultBrowser}}) {
        store("DefaultResults", value);
        dialog.Form_Load();
        EXPECT_EQ(dialog.selectedResults(), choice) << value;
    }
    EXPECT_TRUE(dialog.frame.visible);
    EXPECT_EQ(windows.centered.back(), platform::WindowId::Setup);
    EXPECT_EQ(dialog.txtDays.text, "12");
    EXPECT_EQ(settings.MinDays, 12);
    EXPECT_FALSE(dialog.chkRunHAonStart.checked);
    EXPECT_TRUE(dialog.chkNoThumbs.checked && dialog.chkRunStartUp.checked);
    EXPECT_FALSE(dialog.chkNoFirefox.checked) << "a switch is on only at 1";
    EXPECT_TRUE(windows.messages.empty()) << "loading is no click: no Firefox question";
}

TEST_F(SetupDialogTest, SaveStoresWhatWasTypedOrRefusesMoreThanThirtyDays) {
    for (const char* typed : {"14", "abc", "31", "30.4"}) {
        SCOPED_TRACE(typed);
        store("MinDays", "7");
        dialog.Form_Load();
        windows.messages.clear();
        dialog.chkRunStartUp.checked = true;
        dialog.txtDays.text = typed;
        dialog.chkRunHAonStart.checked = false;
        dialog.chkNoFirefox.checked = true;
        dialog.selectOption(dialog.optFirefoxDisk);
        dialog.cmdSave_Click();
        EXPECT_EQ(entry(), kEntry) << "written before the days are checked";
        if (!std::string(typed).starts_with("3")) {
            EXPECT_EQ(stored(), "MinDays=" + std::string(typed) +
                                    " HARunOnStart=0 DefaultResults=3 ScanNetworkDrives=0 "
                                    "NoThumbs=0 NoFirefox=1 WinStart=1 ");
            EXPECT_EQ(settings.MinDays, typed == std::string("14") ? 14 : 0);
            EXPECT_EQ(settings.NoFirefox * 10 + settings.DefaultResults, 13);
            EXPECT_FALSE(dialog.frame.visible);
            EXPECT_TRUE(windows.messages.empty());
        } else {
            EXPECT_EQ(stored(), "MinDays=7 ");
            EXPECT_EQ(settings.MinDays * 10 + settings.NoFirefox, 70);
            EXPECT_EQ(dialog.txtDays.text, "30");
            EXPECT_TRUE(dialog.frame.visible);
            ASSERT_EQ(windows.messages.size(), 1u);
            EXPECT_EQ(windows.messages[0].title, "Vorlith.example - Internet Vorlith");
            EXPECT_EQ(windows.messages[0].text,
                      "The minumum days for a Vorlith can not be set more than 30 days.");
        }
        folder.write("user.reg", "");
        hive.deleteValue(kRunKey, "Vlith");
    }
}

TEST_F(SetupDialogTest, TheFirefoxOnlyQuestionKeepsTheChoiceOnlyOnYes) {
    for (auto click : {&SetupDialog::optFirefoxCache_Click, &SetupDialog::optFirefoxDisk_Click}) {
        for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
            dialog.Form_Load();
            windows.answers = {answer};
            (dialog.*click)();
            const bool disk = click == &SetupDialog::optFirefoxDisk_Click;
            EXPECT_EQ(dialog.selectedResults(), answer == MessageAnswer::No ? ResultsChoice::Both
                                                : disk ? ResultsChoice::FirefoxDisk
                                                       : ResultsChoice::FirefoxMemory);
            EXPECT_EQ(windows.messages.back().title, "Disable Auto-Kill");
        }
    }
    EXPECT_EQ(windows.messages.size(), 4u);
}

TEST_F(SetupDialogTest, DefaultSavesTheRecommendedSettingsAndCancelSavesNothing) {
    store("NoThumbs", "1");
    dialog.Form_Load();
    settings.NoThumbs = 1;
    dialog.txtDays.text = "20";
    dialog.chkRunStartUp.checked = false;
    dialog.cmdDefault_Click();
    EXPECT_EQ(stored(), "MinDays=7 HARunOnStart=1 DefaultResults=1 ScanNetworkDrives=0 NoThumbs=0 "
                        "NoFirefox=0 WinStart=1 ");
    EXPECT_EQ(entry(), kEntry);
    EXPECT_TRUE(dialog.optIE.selected && dialog.chkRunStartUp.checked);
    EXPECT_EQ(dialog.txtDays.text, "7");
    EXPECT_EQ(settings.DefaultResults, 1);
    EXPECT_EQ(settings.NoThumbs, 1) << "the other copies follow only on Save";
    EXPECT_TRUE(dialog.frame.visible);
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(windows.messages[0].title, "Vorlith.example - Internet Vorlith - Setup");

    dialog.txtDays.text = "3";
    dialog.chkRunStartUp.checked = false;
    dialog.cmdCancel_Click();
    EXPECT_FALSE(dialog.frame.visible);
    EXPECT_EQ(stored().substr(0, 10), "MinDays=7 ");
    EXPECT_EQ(entry(), kEntry);
}

} // namespace
} // namespace vorlith
