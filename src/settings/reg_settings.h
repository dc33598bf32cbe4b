#pragma once
// CRegSettings: string values under "Software\<Company>\<AppName>[\<Section>]" of either hive.
// The plain operations work on the machine-wide hive, those ending in 2 on the per-user hive.

#include "platform/settings_hive.h"

#include <string>

namespace vorlith {

class CRegSettings {
public:
    CRegSettings(platform::SettingsHive& machineHive, platform::SettingsHive& userHive);

    const std::string& Company() const { return m_company; }
    /// The empty text restores "VB and VBA Program Settings"; anything else is stored trimmed.
    void setCompany(const std::string& company);
    const std::string& AppName() const { return m_appName; }
    /// The empty text restores "Vlith"; anything else is stored trimmed.
    void setAppName(const std::string& appName);

    /// A Key of "*" means the key's unnamed default value. Get returns Default when the key or
    /// value is missing or the value is empty.
    std::string GetSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue);
    std::string GetSetting2(const std::string& section, const std::string& key,
                            const std::string& defaultValue);
    bool SaveSetting(const std::string& section, const std::string& key,
                     const std::string& setting);
    bool SaveSetting2(const std::string& section, const std::string& key,
                      const std::string& setting);
    /// With an empty key the section's whole key is deleted (its values with it).
    bool DeleteSetting(const std::string& section, const std::string& key = "");
    bool DeleteSetting2(const std::string& section, const std::string& key = "");

    /// "Software\<Company>\<AppName>" followed by "\<section>" for a non-empty section.
    std::string keyPath(const std::string& section) const;

private:
    std::string get(platform::SettingsHive& hive, const std::string& section,
                    const std::string& key, const std::string& defaultValue);
    bool remove(platform::SettingsHive& hive, const std::string& section, const std::string& key);

    platform::SettingsHive& m_machineHive;
    platform::SettingsHive& m_userHive;
    std::string m_company = "VB and VBA Program Settings";
    std::string m_appName = "Vlith";
};

} // namespace vorlith
