#include "settings/program_settings.h"

#include "settings/settings_store.h"

namespace vorlith {
namespace {

std::string read(platform::SettingsHive& hive, const char* key, const char* defaultValue) {
    return GetSetting(hive, kSettingsApplication, kSettingsSection, key, defaultValue);
}

void readWhole(platform::SettingsHive& hive, const char* key, const char* defaultValue, int& copy) {
    if (auto value = ConvertToWholeNumber(read(hive, key, defaultValue)))
        copy = *value;
}

} // namespace

void ReadProgramSettings(platform::SettingsHive& hive, ProgramSettings& settings) {
    settings.LastAudit = read(hive, keys::kLastAudit, "0");
    readWhole(hive, keys::kMinDays, "7", settings.MinDays);
    readWhole(hive, keys::kHARunOnStart, "1", settings.HARunOnStart);
    readWhole(hive, keys::kDefaultResults, "1", settings.DefaultResults);
    if (auto total = ConvertToNumber(read(hive, keys::kCumlativeTotal, "0")))
        settings.CumlativeTotal = *total;
    readWhole(hive, keys::kScanNetworkDrives, "0", settings.ScanNetworkDrives);
    readWhole(hive, keys::kNoThumbs, "0", settings.NoThumbs);
    readWhole(hive, keys::kNoFirefox, "0", settings.NoFirefox);
}

std::string DefaultSettingText(const std::string& key) {
    if (key == keys::kLastAudit)
        return "0";
    if (key == keys::kMinDays)
        return "7";
    if (key == keys::kHARunOnStart || key == keys::kDefaultResults)
        return "1";
    if (key == keys::kWinStart)
        return "";
    return "0";
}

const std::vector<std::string>& SettingKeys() {
    static const std::vector<std::string> kKeys = {
        keys::kLastAudit,      keys::kMinDays,        keys::kHARunOnStart,
        keys::kDefaultResults, keys::kCumlativeTotal, keys::kScanNetworkDrives,
        keys::kNoThumbs,       keys::kNoFirefox,      keys::kWinStart};
    return kKeys;
}

ResultsChoice ResultsChoiceOf(int stored) {
    return stored >= 1 && stored <= 3 ? static_cast<ResultsChoice>(stored) : ResultsChoice::Both;
}

} // namespace vorlith
