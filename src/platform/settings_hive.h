#pragma once
// A tree of keys holding named string values: the shape of the original platform's registry.
// Key paths use "\" between key names (that is the registry's own syntax, not a file path).

#include <memory>
#include <optional>
#include <string>

namespace vorlith::platform {

class SettingsHive {
public:
    virtual ~SettingsHive() = default;
    /// The value's data; std::nullopt when the key or the value does not exist. An empty value
    /// name stands for the key's unnamed default value.
    virtual std::optional<std::string> getValue(const std::string& keyPath,
                                                const std::string& valueName) = 0;
    /// True when the key exists (it may hold no values).
    virtual bool keyExists(const std::string& keyPath) = 0;
    /// Creates the key path as needed and writes the value. False when it could not be stored.
    virtual bool setValue(const std::string& keyPath, const std::string& valueName,
                          const std::string& data) = 0;
    /// False when the key or the value does not exist or the change could not be stored.
    virtual bool deleteValue(const std::string& keyPath, const std::string& valueName) = 0;
    /// Deletes a key with its values. False when it does not exist, still has sub-keys, or the
    /// change could not be stored.
    virtual bool deleteKey(const std::string& keyPath) = 0;
};

enum class HiveScope { User, Machine };

/// The hive of the running user or of the whole machine, as this platform keeps it.
SettingsHive& SystemHive(HiveScope scope);

} // namespace vorlith::platform
