#pragma once
// frmSetup: the settings a user changes by hand, and the program's entry in the desktop's
// log-in start list.

#include "app/main_window/controls.h"
#include "platform/settings_hive.h"
#include "platform/window_system.h"
#include "settings/program_settings.h"
#include "settings/reg_settings.h"

#include <string>

namespace vorlith {

struct CheckBox {
    std::string caption;
    bool checked = false;
};

/// One of a group of option buttons; selecting one clears the others of its group.
struct OptionButton {
    std::string caption;
    bool selected = false;
};

struct TextBox {
    std::string text;
};

struct Frame {
    std::string caption;
};

/// What the dialog takes from the platform.
struct SetupServices {
    platform::SettingsHive& userHive;    // the settings and the start-up list
    platform::SettingsHive& machineHive; // needed by CRegSettings, never written here
    platform::WindowSystem& windows;
};

class SetupDialog {
public:
    /// settings are the program's copies that Save and Default keep in step; programPath is the
    /// program the start-up entry starts.
    SetupDialog(SetupServices services, ProgramSettings& settings, std::string programPath);

    // The controls, in their order on the dialog.
    WindowFrame frame;
    Frame Frame1;
    CheckBox chkNoFirefox, chkNoThumbs, chkScanNetworkDrives, chkRunHAonStart;
    Frame frmBrowser;
    OptionButton optBoth, optFirefoxDisk, optFirefoxCache, optIE;
    Frame frameSetup;
    TextBox txtDays;
    CheckBox chkRunStartUp;
    Label lblDays2, lblDays;
    Button cmdCancel, cmdDefault, cmdSave;

    /// Reads the settings and the start-up entry into the controls and shows the dialog. A
    /// stored value that is not a number leaves its copy and control as they were.
    void Form_Load();
    /// Writes or deletes the start-up entry, then refuses a day count above 30 with a message
    /// (the dialog stays open, nothing else saved), else saves every setting, updates the copies
    /// and closes the dialog.
    void cmdSave_Click();
    /// Sets and saves the recommended settings, the result display Internet Explorer, writes the
    /// start-up entry and says so; the dialog stays open.
    void cmdDefault_Click();
    /// Closes without saving.
    void cmdCancel_Click();
    /// The user picked a Firefox-only result display: asks to confirm; anything but Yes selects
    /// optBoth instead.
    void optFirefoxCache_Click();
    void optFirefoxDisk_Click();
    /// Selects an option button of the result display (a click on optBoth or optIE).
    void selectOption(OptionButton& option);
    /// The dialog closes (its close box, Save, Cancel).
    void Form_Unload();

    /// The result display the option buttons stand for.
    ResultsChoice selectedResults() const;

private:
    void writeStartupEntry();
    void saveSetting(const char* key, const std::string& value);
    void askFirefoxOnly(OptionButton& clicked);

    SetupServices m_services;
    ProgramSettings& m_settings;
    CRegSettings m_reg;
    std::string m_programPath;
};

/// The question a Firefox-only choice asks.
platform::MessageRequest FirefoxOnlyQuestion();

} // namespace vorlith
