#include "platform/file_system.h"
#include "platform/reg_file_hive.h"
#include "settings/settings_store.h"
#include "app/setup_dialog.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using platform::MessageAnswer;

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kSettingsKey[] = "Software\\VB and VBA Program Settings\\Vlith\\Settings";
const char kProgram[] = "/opt/Vorlith/Vlith";
const char kEntry[] = "\"/opt/Vorlith/Vlith\" /STARTUP";

// The per-user hive as the desktop keeps it (settings file, start-up list as autostart files),
// with every change logged in order.
class RecordingHive final : public platform::SettingsHive {
public:
    explicit RecordingHive(const test::TempFolder& folder)
        : m_file(folder / "user.reg", "HKEY_CURRENT_USER"),
          m_autostart(m_file, folder / "autostart") {}

    std::vector<std::string> log;

    std::optional<std::string> getValue(const std::string& key, const std::string& name) override {
        return m_autostart.getValue(key, name);
    }
    bool keyExists(const std::string& key) override { return m_autostart.keyExists(key); }
    bool setValue(const std::string& key, const std::string& name,
                  const std::string& data) override {
        log.push_back("set " + name + "=" + data);
        return m_autostart.setValue(key, name, data);
    }
    bool deleteValue(const std::string& key, const std::string& name) override {
        log.push_back("delete " + name);
        return m_autostart.deleteValue(key, name);
    }
    bool deleteKey(const std::string& key) override { return m_autostart.deleteKey(key); }

private:
    platform::RegFileHive m_file;
    platform::AutostartHive m_autostart;
};

class SetupDialogTest : public ::testing::Test {
protected:
    SetupDialogTest()
        : hive(folder), machine(folder / "machine.reg", "HKEY_LOCAL_MACHINE"),
          dialog({hive, machine, windows}, settings, kProgram) {}

    void store(const std::string& key, const std::string& value) {
        ASSERT_TRUE(hive.setValue(kSettingsKey, key, value));
    }
    std::optional<std::string> stored(const std::string& key) {
        return hive.getValue(kSettingsKey, key);
    }
    std::optional<std::string> entry() { return hive.getValue(kRunKey, "Vlith"); }
    // The hive's changes so far, joined by "; ".
    std::string logged() const {
        std::string text;
        for (const std::string& change : hive.log)
            text += (text.empty() ? "" : "; ") + change;
        return text;
    }
    void load() {
        dialog.Form_Load();
        hive.log.clear();
    }

    test::TempFolder folder;
    RecordingHive hive;
    platform::RegFileHive machine;
    test::FakeWindowSystem windows;
    ProgramSettings settings;
    SetupDialog dialog;
};

TEST_F(SetupDialogTest, LoadFillsTheControlsFromTheSettingsOrTheirDefaults) {
    dialog.Form_Load();
    EXPECT_EQ(dialog.txtDays.text, "7");
    EXPECT_TRUE(dialog.chkRunHAonStart.checked);
    EXPECT_FALSE(dialog.chkNoThumbs.checked);

    store("MinDays", "12");
    store("HARunOnStart", "0");
    store("ScanNetworkDrives", "1");
    store("NoThumbs", "1");
    store("NoFirefox", "2");
    store("DefaultResults", "3");
    dialog.Form_Load();
    EXPECT_TRUE(dialog.frame.visible);
    EXPECT_EQ(windows.centered.back(), platform::WindowId::Setup);
    EXPECT_EQ(dialog.txtDays.text, "12");
    EXPECT_FALSE(dialog.chkRunHAonStart.checked);
    EXPECT_TRUE(dialog.chkScanNetworkDrives.checked);
    EXPECT_TRUE(dialog.chkNoThumbs.checked);
    EXPECT_FALSE(dialog.chkNoFirefox.checked) << "a switch is on only at 1";
    EXPECT_TRUE(dialog.optFirefoxDisk.selected);
    EXPECT_FALSE(dialog.chkRunStartUp.checked);
    EXPECT_EQ(settings.MinDays, 12);
    EXPECT_EQ(settings.DefaultResults, 3);
    EXPECT_TRUE(windows.messages.empty()) << "loading is no click: no Firefox question";
}

TEST_F(SetupDialogTest, EachStoredResultChoiceSelectsItsOption) {
    const std::vector<std::pair<std::string, OptionButton SetupDialog::*>> cases = {
        {"0", &SetupDialog::optBoth},         {"1", &SetupDialog::optIE},
        {"2", &SetupDialog::optFirefoxCache}, {"3", &SetupDialog::optFirefoxDisk},
        {"7", &SetupDialog::optIE},           {"-1", &SetupDialog::optIE},
    };
    for (const auto& [value, option] : cases) {
        SCOPED_TRACE("DefaultResults " + value);
        store("DefaultResults", value);
        dialog.Form_Load();
        EXPECT_TRUE((dialog.*option).selected);
        int selected = dialog.optBoth.selected + dialog.optIE.selected +
                       dialog.optFirefoxCache.selected + dialog.optFirefoxDisk.selected;
        EXPECT_EQ(selected, 1);
    }
}

TEST_F(SetupDialogTest, SaveWritesTheEntryThenEverySettingInOrderAndCloses) {
    load();
    dialog.chkRunStartUp.checked = true;
    dialog.txtDays.text = "14";
    dialog.chkRunHAonStart.checked = false;
    dialog.chkNoFirefox.checked = true;
    dialog.selectOption(dialog.optFirefoxDisk);
    dialog.cmdSave_Click();
    EXPECT_EQ(logged(), std::string("set Vlith=") + kEntry +
                            "; set WinStart=1; set MinDays=14; set HARunOnStart=0; "
                            "set ScanNetworkDrives=0; set NoThumbs=0; set NoFirefox=1; "
                            "set DefaultResults=3");
    EXPECT_FALSE(dialog.frame.visible);
    EXPECT_EQ(settings.MinDays, 14);
    EXPECT_EQ(settings.HARunOnStart, 0);
    EXPECT_EQ(settings.NoFirefox, 1);
    EXPECT_EQ(settings.DefaultResults, 3);
    const std::string desktopFile = test::ReadFile(folder / "autostart/Vlith.desktop");
    EXPECT_NE(desktopFile.find(kEntry), std::string::npos) << desktopFile;
}

TEST_F(SetupDialogTest, MoreThanThirtyDaysIsRefused) {
    for (const char* typed : {"30.4", "1e3", " 45 days"}) {
        SCOPED_TRACE(typed);
        load();
        windows.messages.clear();
        dialog.txtDays.text = typed;
        dialog.cmdSave_Click();
        EXPECT_EQ(windows.messages.size(), 1u);
        EXPECT_EQ(dialog.txtDays.text, "30");
    }
}

TEST_F(SetupDialogTest, ThirtyOneDaysIsRefusedAfterTheEntryWasWritten) {
    store("MinDays", "7");
    load();
    dialog.chkRunStartUp.checked = true;
    dialog.txtDays.text = "31";
    dialog.chkNoThumbs.checked = true;
    dialog.cmdSave_Click();
    EXPECT_EQ(logged(), std::string("set Vlith=") + kEntry);
    EXPECT_EQ(dialog.txtDays.text, "30");
    EXPECT_TRUE(dialog.frame.visible) << "the dialog stays open";
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(windows.messages[0].title, "Vorlith.example - Internet Vorlith");
    EXPECT_EQ(windows.messages[0].text,
              "The minumum days for a Vorlith can not be set more than 30 days.");
    EXPECT_EQ(windows.messages[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(stored("MinDays"), "7");
    EXPECT_EQ(stored("NoThumbs"), std::nullopt);
    EXPECT_EQ(settings.MinDays, 7);
    EXPECT_EQ(settings.NoThumbs, 0);
}

TEST_F(SetupDialogTest, ThirtyDaysOrAnyTextThatIsNoNumberIsStoredAsTyped) {
    for (const auto& [typed, days] : {std::pair{"30", 30}, std::pair{"abc", 0}}) {
        SCOPED_TRACE(typed);
        load();
        dialog.txtDays.text = typed;
        dialog.cmdSave_Click();
        EXPECT_TRUE(windows.messages.empty());
        EXPECT_EQ(stored("MinDays"), typed);
        EXPECT_EQ(settings.MinDays, days);
        EXPECT_FALSE(dialog.frame.visible);
    }
}

TEST_F(SetupDialogTest, ClearingTheBoxRemovesOnlyAnEntryLongerThanThreeCharacters) {
    struct Case {
        std::string data;
        bool removed;
        bool tickedOnNextLoad;
    };
    const std::vector<Case> cases = {
        {kEntry, true, false}, {"abcd", true, false}, {"abc", false, true}, {"ab", false, false}};
    for (const Case& test : cases) {
        SCOPED_TRACE("entry " + test.data);
        ASSERT_TRUE(hive.setValue(kRunKey, "Vlith", test.data));
        load();
        dialog.chkRunStartUp.checked = false;
        dialog.cmdSave_Click();
        EXPECT_EQ(entry().has_value(), !test.removed);
        EXPECT_EQ(stored("WinStart"), "0");
        dialog.Form_Load();
        EXPECT_EQ(dialog.chkRunStartUp.checked, test.tickedOnNextLoad);
        hive.deleteValue(kRunKey, "Vlith");
    }
}

TEST_F(SetupDialogTest, TheFirefoxOnlyQuestionKeepsTheChoiceOnlyOnYes) {
    const std::pair<void (SetupDialog::*)(), OptionButton SetupDialog::*> clicks[] = {
        {&SetupDialog::optFirefoxCache_Click, &SetupDialog::optFirefoxCache},
        {&SetupDialog::optFirefoxDisk_Click, &SetupDialog::optFirefoxDisk}};
    for (const auto& [click, option] : clicks) {
        for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
            SCOPED_TRACE(testing::Message() << "option " << (option == &SetupDialog::optFirefoxDisk)
                                            << ", answer " << static_cast<int>(answer));
            load();
            windows.messages.clear();
            windows.answers = {answer};
            (dialog.*click)();
            ASSERT_EQ(windows.messages.size(), 1u);
            EXPECT_EQ(windows.messages[0].title, "Disable Auto-Kill");
            EXPECT_EQ(windows.messages[0].text,
                      "Are you sure you want to disable Internet Explorer results? This is only "
                      "recommended if you NEVER use Internet Explorer and severely limits Vorlith "
                      "data.");
            const auto kept = answer == MessageAnswer::Yes ? option : &SetupDialog::optBoth;
            EXPECT_TRUE((dialog.*kept).selected);
            EXPECT_FALSE(dialog.optIE.selected);
        }
    }
}

TEST_F(SetupDialogTest, DefaultSavesTheRecommendedSettingsWithInternetExplorer) {
    store("NoThumbs", "1");
    load();
    settings.NoThumbs = 1;
    dialog.txtDays.text = "20";
    dialog.chkNoThumbs.checked = true;
    dialog.chkRunStartUp.checked = false;
    dialog.cmdDefault_Click();
    EXPECT_EQ(logged(), "set WinStart=1; set MinDays=7; set HARunOnStart=1; "
                        "set ScanNetworkDrives=0; set NoThumbs=0; set NoFirefox=0; "
                        "set DefaultResults=1; set Vlith=" +
                            std::string(kEntry));
    EXPECT_TRUE(dialog.optIE.selected);
    EXPECT_EQ(dialog.txtDays.text, "7");
    EXPECT_TRUE(dialog.chkRunStartUp.checked);
    EXPECT_EQ(settings.DefaultResults, 1);
    EXPECT_EQ(settings.NoThumbs, 1) << "the other copies follow only on Save";
    EXPECT_TRUE(dialog.frame.visible);
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(windows.messages[0].title, "Vorlith.example - Internet Vorlith - Setup");
    EXPECT_EQ(windows.messages[0].text,
              "The default settings have been set.  These settings are HIGHLY RECOMMENDED for "
              "maximum knowledge of your computer history while keeping the notices by Vorlith "
              "to a minimum.");
}

TEST_F(SetupDialogTest, CancelClosesWithoutSaving) {
    EXPECT_EQ(dialog.frame.caption, "Vorlith 5.0 - Setup");
    EXPECT_EQ(dialog.cmdCancel.tooltipText, "Click to NOT Save the settings on this screen.");
    load();
    dialog.txtDays.text = "3";
    dialog.chkRunStartUp.checked = true;
    dialog.cmdCancel_Click();
    EXPECT_TRUE(hive.log.empty());
    EXPECT_FALSE(dialog.frame.visible);
}

} // namespace
} // namespace vorlith
