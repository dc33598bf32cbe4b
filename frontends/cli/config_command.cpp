#include "config_command.h"

#include "settings/program_settings.h"
#include "settings/reg_settings.h"
#include "settings/setting_rules.h"
#include "settings/settings_store.h"
#include "settings/startup_entry.h"

#include <cstdio>

namespace vorlith::cli {
namespace {

int unknownKey(const std::string& key) {
    std::fprintf(stderr, "vorlith-cli: unknown setting \"%s\"; the settings are:", key.c_str());
    for (const std::string& known : SettingKeys())
        std::fprintf(stderr, " %s", known.c_str());
    std::fprintf(stderr, "\n");
    return 2;
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
    auto known = CanonicalSettingKey(key);
    if (!known)
        return unknownKey(key);
    std::printf("%s\n", GetSetting(userHive, kSettingsApplication, kSettingsSection, *known,
                                   DefaultSettingText(*known))
                            .c_str());
    return 0;
}

int ConfigSet(platform::SettingsHive& userHive, platform::SettingsHive& machineHive,
              const std::string& key, const std::string& value) {
    auto known = CanonicalSettingKey(key);
    if (!known)
        return unknownKey(key);
    if (std::string problem = CheckSettingValue(*known, value); !problem.empty()) {
        std::fprintf(stderr, "vorlith-cli: %s: %s\n", known->c_str(), problem.c_str());
        return 2;
    }
    if (*known == keys::kWinStart) {
        CRegSettings reg(machineHive, userHive);
        WriteStartupEntry(reg, value == "1", StartupProgramPath());
    }
    if (!SaveSetting(userHive, kSettingsApplication, kSettingsSection, *known, value)) {
        std::fprintf(stderr, "vorlith-cli: could not store %s\n", known->c_str());
        return 1;
    }
    return 0;
}

} // namespace vorlith::cli
