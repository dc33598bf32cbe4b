#include "settings/reg_settings.h"

namespace vorlith {
namespace {

std::string trim(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string valueName(const std::string& key) {
    return key == "*" ? "" : key;
}

} // namespace

CRegSettings::CRegSettings(platform::SettingsHive& machineHive, platform::SettingsHive& userHive)
    : m_machineHive(machineHive), m_userHive(userHive) {}

void CRegSettings::setCompany(const std::string& company) {
    m_company = company.empty() ? "VB and VBA Program Settings" : trim(company);
}

void CRegSettings::setAppName(const std::string& appName) {
    m_appName = appName.empty() ? "Vlith" : trim(appName);
}

std::string CRegSettings::keyPath(const std::string& section) const {
    std::string path = "Software\\" + m_company + "\\" + m_appName;
    if (!section.empty())
        path += "\\" + section;
    return path;
}

std::string CRegSettings::get(platform::SettingsHive& hive, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    auto value = hive.getValue(keyPath(section), valueName(key));
    return value && !value->empty() ? *value : defaultValue;
}

bool CRegSettings::remove(platform::SettingsHive& hive, const std::string& section,
                          const std::string& key) {
    if (key.empty())
        return hive.deleteKey(keyPath(section));
    return hive.deleteValue(keyPath(section), valueName(key));
}

std::string CRegSettings::GetSetting(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) {
    return get(m_machineHive, section, key, defaultValue);
}

std::string CRegSettings::GetSetting2(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) {
    return get(m_userHive, section, key, defaultValue);
}

bool CRegSettings::SaveSetting(const std::string& section, const std::string& key,
                               const std::string& setting) {
    return m_machineHive.setValue(keyPath(section), valueName(key), setting);
}

bool CRegSettings::SaveSetting2(const std::string& section, const std::string& key,
                                const std::string& setting) {
    return m_userHive.setValue(keyPath(section), valueName(key), setting);
}

bool CRegSettings::DeleteSetting(const std::string& section, const std::string& key) {
    return remove(m_machineHive, section, key);
}

bool CRegSettings::DeleteSetting2(const std::string& section, const std::string& key) {
    return remove(m_userHive, section, key);
}

} // namespace vorlith
