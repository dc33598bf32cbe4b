#pragma once
// "vorlith-cli config": reading and changing the settings without the desktop's setup dialog.

#include "platform/settings_hive.h"

#include <string>

namespace vorlith::cli {

/// Prints every key with its stored value (or its default). Returns the exit status.
int ConfigList(platform::SettingsHive& userHive);
int ConfigGet(platform::SettingsHive& userHive, const std::string& key);
/// Checks the value as the setup dialog would, stores it, and for "WinStart" adds or removes the
/// log-in entry as the dialog does. Status 2 for an unknown key or a value out of range.
int ConfigSet(platform::SettingsHive& userHive, platform::SettingsHive& machineHive,
              const std::string& key, const std::string& value);

} // namespace vorlith::cli
