#include "app/setup_dialog.h"

#include "report/site.h"
#include "settings/setting_rules.h"
#include "settings/settings_store.h"
#include "settings/startup_entry.h"

namespace vorlith {
namespace {
const char* onOff(bool checked) {
    return checked ? "1" : "0";
}
} // namespace

platform::MessageRequest FirefoxOnlyQuestion() {
    return {platform::MessageButtons::YesNo, platform::MessageIcon::Question, "Disable Auto-Kill",
            "Are you sure you want to disable Internet Explorer results? This is only recommended "
            "if you NEVER use Internet Explorer and severely limits Vorlith data."};
}

SetupDialog::SetupDialog(SetupServices services, ProgramSettings& settings, std::string programPath)
    : m_services(services), m_settings(settings), m_reg(services.machineHive, services.userHive),
      m_programPath(std::move(programPath)) {
    frame.caption = "Vorlith 5.0 - Setup";
    Frame1.caption = "What to scan for?";
    chkNoFirefox.caption = "Do NOT scan for Mozilla Firefox cache";
    chkNoThumbs.caption = "Do NOT scan and extract hidden Thumbs.db files";
    chkScanNetworkDrives.caption = "Scan all Networked Drive Paths";
    chkRunHAonStart.caption = "Run Vorlith immediately upon Vorlith load";
    frmBrowser.caption = "Display Vorlith results in?";
    optBoth.caption = "Both IE and Firefox (Memory Cache)";
    optFirefoxDisk.caption = "Mozilla Firefox Disk Cache";
    optFirefoxCache.caption = "Mozilla Firefox Memory Cache";
    optIE.caption = "Internet Explorer";
    frameSetup.caption = "Windows Startup";
    chkRunStartUp.caption = "Run Vorlith on Windows Startup";
    lblDays2.caption = "days have passed.";
    lblDays.caption = "Perform Audit on Windows Startup if";
    cmdCancel = {" Cancel", "Cancel Screen", "Click to NOT Save the settings on this screen."};
    cmdDefault = {" Default", "Set to Default Settings",
                  "Click to Set Vorlith to the factory default settings."};
    cmdSave = {" Save Setup", "Save Setup", "Click to Save Vorlith settings."};
    optIE.selected = true;
}

void SetupDialog::selectOption(OptionButton& option) {
    for (OptionButton* each : {&optBoth, &optFirefoxDisk, &optFirefoxCache, &optIE})
        each->selected = each == &option;
}

ResultsChoice SetupDialog::selectedResults() const {
    if (optIE.selected)
        return ResultsChoice::DefaultBrowser;
    if (optFirefoxCache.selected)
        return ResultsChoice::FirefoxMemory;
    if (optFirefoxDisk.selected)
        return ResultsChoice::FirefoxDisk;
    return ResultsChoice::Both;
}

void SetupDialog::Form_Load() {
    m_services.windows.centerWindow(platform::WindowId::Setup);
    chkRunStartUp.checked = HasStartupEntry(m_reg);

    platform::SettingsHive& hive = m_services.userHive;
    auto read = [&](const char* key, int& copy) {
        if (auto value = ConvertToWholeNumber(GetSetting(
                hive, kSettingsApplication, kSettingsSection, key, DefaultSettingText(key))))
            copy = *value;
    };
    read(keys::kMinDays, m_settings.MinDays);
    txtDays.text = std::to_string(m_settings.MinDays);
    read(keys::kHARunOnStart, m_settings.HARunOnStart);
    read(keys::kScanNetworkDrives, m_settings.ScanNetworkDrives);
    read(keys::kNoThumbs, m_settings.NoThumbs);
    read(keys::kNoFirefox, m_settings.NoFirefox);
    chkRunHAonStart.checked = m_settings.HARunOnStart == 1;
    chkScanNetworkDrives.checked = m_settings.ScanNetworkDrives == 1;
    chkNoThumbs.checked = m_settings.NoThumbs == 1;
    chkNoFirefox.checked = m_settings.NoFirefox == 1;
    read(keys::kDefaultResults, m_settings.DefaultResults);

    // Selecting an option here is no click of the user's: no Firefox-only question. A number
    // the dialog does not offer shows as the default browser.
    switch (m_settings.DefaultResults) {
    case static_cast<int>(ResultsChoice::Both):
        selectOption(optBoth);
        break;
    case static_cast<int>(ResultsChoice::FirefoxMemory):
        selectOption(optFirefoxCache);
        break;
    case static_cast<int>(ResultsChoice::FirefoxDisk):
        selectOption(optFirefoxDisk);
        break;
    default:
        selectOption(optIE);
        break;
    }
    frame.visible = true;
}

void SetupDialog::writeStartupEntry() {
    WriteStartupEntry(m_reg, chkRunStartUp.checked, m_programPath);
}

void SetupDialog::saveSetting(const char* key, const std::string& value) {
    SaveSetting(m_services.userHive, kSettingsApplication, kSettingsSection, key, value);
}

void SetupDialog::cmdSave_Click() {
    writeStartupEntry();
    if (IsMinDaysTooLarge(txtDays.text)) {
        txtDays.text = std::to_string(kMaxMinDays);
        m_services.windows.showMessage({platform::MessageButtons::Ok,
                                        platform::MessageIcon::Information,
                                        std::string(site::kSiteLabel) + " - Internet Vorlith",
                                        kMinDaysTooLargeMessage});
        return;
    }
    const int defaultResults = static_cast<int>(selectedResults());
    saveSetting(keys::kWinStart, onOff(chkRunStartUp.checked));
    saveSetting(keys::kMinDays, txtDays.text);
    saveSetting(keys::kHARunOnStart, onOff(chkRunHAonStart.checked));
    saveSetting(keys::kScanNetworkDrives, onOff(chkScanNetworkDrives.checked));
    saveSetting(keys::kNoThumbs, onOff(chkNoThumbs.checked));
    saveSetting(keys::kNoFirefox, onOff(chkNoFirefox.checked));
    saveSetting(keys::kDefaultResults, std::to_string(defaultResults));

    m_settings.MinDays = LeadingWholeNumber(txtDays.text);
    m_settings.HARunOnStart = chkRunHAonStart.checked ? 1 : 0;
    m_settings.ScanNetworkDrives = chkScanNetworkDrives.checked ? 1 : 0;
    m_settings.NoThumbs = chkNoThumbs.checked ? 1 : 0;
    m_settings.NoFirefox = chkNoFirefox.checked ? 1 : 0;
    m_settings.DefaultResults = defaultResults;
    Form_Unload();
}

void SetupDialog::cmdDefault_Click() {
    txtDays.text = "7";
    chkRunStartUp.checked = true;
    chkRunHAonStart.checked = true;
    selectOption(optBoth);
    chkScanNetworkDrives.checked = false;
    chkNoThumbs.checked = false;
    chkNoFirefox.checked = false;

    saveSetting(keys::kWinStart, onOff(chkRunStartUp.checked));
    saveSetting(keys::kMinDays, txtDays.text);
    saveSetting(keys::kHARunOnStart, "1");
    saveSetting(keys::kScanNetworkDrives, onOff(chkScanNetworkDrives.checked));
    saveSetting(keys::kNoThumbs, onOff(chkNoThumbs.checked));
    saveSetting(keys::kNoFirefox, onOff(chkNoFirefox.checked));

    // The recommended display is the default browser alone, although optBoth was set above.
    selectOption(optIE);
    m_settings.DefaultResults = static_cast<int>(ResultsChoice::DefaultBrowser);
    saveSetting(keys::kDefaultResults, std::to_string(m_settings.DefaultResults));

    writeStartupEntry();
    m_services.windows.showMessage(
        {platform::MessageButtons::Ok, platform::MessageIcon::Information,
         std::string(site::kSiteLabel) + " - Internet Vorlith - Setup",
         "The default settings have been set.  These settings are HIGHLY RECOMMENDED for maximum "
         "knowledge of your computer history while keeping the notices by Vorlith to a minimum."});
}

void SetupDialog::cmdCancel_Click() {
    Form_Unload();
}

void SetupDialog::askFirefoxOnly(OptionButton& clicked) {
    selectOption(clicked);
    if (m_services.windows.showMessage(FirefoxOnlyQuestion()) != platform::MessageAnswer::Yes)
        selectOption(optBoth);
}

void SetupDialog::optFirefoxCache_Click() {
    askFirefoxOnly(optFirefoxCache);
}
void SetupDialog::optFirefoxDisk_Click() {
    askFirefoxOnly(optFirefoxDisk);
}

void SetupDialog::Form_Unload() {
    frame.visible = false;
}

} // namespace vorlith
