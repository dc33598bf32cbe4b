#include "config_command.h"

#include "platform/clock.h"
#include "settings/program_settings.h"
#include "settings/reg_settings.h"
#include "settings/settings_store.h"
#include "settings/startup_entry.h"

#include <algorithm>
#include <cstdio>

namespace vorlith::cli {
namespace {

std::optional<std::string> canonicalKey(const std::string& key) {
    for (const std::string& known : SettingKeys()) {
        if (known.size() == key.size() &&
            std::equal(known.begin(), known.end(), key.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return known;
    }
    return std::nullopt;
}

int unknownKey(const std::string& key) {
    std::fprintf(stderr, "vorlith-cli: unknown setting \"%s\"; the settings are:", key.c_str());
    for (const std::string& known : SettingKeys())
        std::fprintf(stderr, " %s", known.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

// The value's problem, or "" when the setup dialog could have stored it.
std::string checkValue(const std::string& key, const std::string& value) {
    auto number = ConvertToWholeNumber(value);
    if (key == keys::kHARunOnStart || key == keys::kScanNetworkDrives || key == keys::kNoThumbs ||
        key == keys::kNoFirefox || key == keys::kWinStart)
        return value == "0" || value == "1" ? "" : "must be 0 or 1";
    if (key == keys::kDefaultResults)
        return value.size() == 1 && value[0] >= '0' && value[0] <= '3'
                   ? ""
                   : "must be 0 (both), 1 (default browser), 2 (Firefox memory cache) or 3 "
                     "(Firefox disk cache)";
    if (key == keys::kMinDays) {
        if (!number || *number < 0)
            return "must be a whole number of days";
        return *number > 30 ? "The minumum days for a Vorlith can not be set more than 30 days."
                            : "";
    }
    if (key == keys::kCumlativeTotal)
        return ConvertToNumber(value) ? "" : "must be a number";
    if (key == keys::kLastAudit)
        return ParseIsoDate(value) || value.size() < 3 ? "" : "must be a date as YYYY-MM-DD";
    return "";
}

} // namespace

int ConfigList(platform::SettingsHive& userHive) {
    for (const std::string& key : SettingKeys()) {
        auto stored =
            userHive.getValue(SettingsKeyPath(kSettingsApplication, kSettingsSection), key);
        if (stored)
            std::printf("%s=%s\n", key.c_str(), stored->c_str());
        else
            std::printf("%s=%s (default)\n", key.c_str(), DefaultSettingText(key).c_str());
    }
    return 0;
}

int ConfigGet(platform::SettingsHive& userHive, const std::string& key) {
    auto known = canonicalKey(key);
    if (!known)
        return unknownKey(key);
    std::printf("%s\n", GetSetting(userHive, kSettingsApplication, kSettingsSection, *known,
                                   DefaultSettingText(*known))
                            .c_str());
    return 0;
}

int ConfigSet(platform::SettingsHive& userHive, platform::SettingsHive& machineHive,
              const std::string& key, const std::string& value) {
    auto known = canonicalKey(key);
    if (!known)
        return unknownKey(key);
    if (std::string problem = checkValue(*known, value); !problem.empty()) {
        std::fprintf(stderr, "vorlith-cli: %s: %s\n", known->c_str(), problem.c_str());
        return 2;
    }
    if (*known == keys::kWinStart) {
        CRegSettings reg(machineHive, userHive);
        UseStartupListKey(reg);
        if (value == "1")
            reg.SaveSetting2(kRunSection, kStartupEntryName,
                             StartupEntryData(StartupProgramPath()));
        else if (reg.GetSetting2(kRunSection, kStartupEntryName, "").size() > 3)
            reg.DeleteSetting2(kRunSection, kStartupEntryName);
    }
    if (!SaveSetting(userHive, kSettingsApplication, kSettingsSection, *known, value)) {
        std::fprintf(stderr, "vorlith-cli: could not store %s\n", known->c_str());
        return 1;
    }
    return 0;
}

} // namespace vorlith::cli
