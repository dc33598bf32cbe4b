#pragma once
// A settings hive kept in the Windows registry.

#include "platform/settings_hive.h"
#include "platform/windows/win32.h"

#include <string>

namespace vorlith::platform {

enum class HiveAccess { ReadWrite, ReadOnly };

/// The keys below root (and below basePath, when one is given: tests keep their keys apart
/// there). Values are read and written as strings (REG_SZ); text is converted between UTF-8 and
/// the registry's UTF-16 here. A ReadOnly hive refuses every change and opens keys only for
/// reading.
class RegistryHive final : public SettingsHive {
public:
    RegistryHive(HKEY root, std::string basePath, HiveAccess access);

    /// The data of a string value up to its first NUL; a value of another type is read as
    /// UTF-16 text all the same, as the original reader did not look at the type. std::nullopt
    /// when the key or value is missing.
    std::optional<std::string> getValue(const std::string& keyPath,
                                        const std::string& valueName) override;
    bool keyExists(const std::string& keyPath) override;
    bool setValue(const std::string& keyPath, const std::string& valueName,
                  const std::string& data) override;
    bool deleteValue(const std::string& keyPath, const std::string& valueName) override;
    /// Deletes a key without sub-keys, with its values.
    bool deleteKey(const std::string& keyPath) override;

private:
    std::wstring fullPath(const std::string& keyPath) const;

    HKEY m_root;
    std::string m_basePath;
    HiveAccess m_access;
};

} // namespace vorlith::platform
