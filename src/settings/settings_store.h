#pragma once
// The application settings store: named string values of one application and section in the
// per-user hive, under "Software\VB and VBA Program Settings\<application>\<section>".

#include "platform/settings_hive.h"

#include <optional>
#include <string>

namespace vorlith {

inline constexpr char kSettingsApplication[] = "Vlith";
inline constexpr char kSettingsSection[] = "Settings";

/// The setting keys, spelled as stored.
namespace keys {
inline constexpr char kLastAudit[] = "LastAudit";
inline constexpr char kMinDays[] = "MinDays";
inline constexpr char kHARunOnStart[] = "HARunOnStart";
inline constexpr char kDefaultResults[] = "DefaultResults";
inline constexpr char kCumlativeTotal[] = "CumlativeTotal";
inline constexpr char kScanNetworkDrives[] = "ScanNetworkDrives";
inline constexpr char kNoThumbs[] = "NoThumbs";
inline constexpr char kNoFirefox[] = "NoFirefox";
inline constexpr char kWinStart[] = "WinStart";
} // namespace keys

/// The hive key path of an application's section.
std::string SettingsKeyPath(const std::string& application, const std::string& section);

/// The stored text, or defaultValue when it is absent. Reading never creates a value.
std::string GetSetting(platform::SettingsHive& hive, const std::string& application,
                       const std::string& section, const std::string& key,
                       const std::string& defaultValue);

/// Creates the key path as needed and stores the text. False when it could not be stored.
bool SaveSetting(platform::SettingsHive& hive, const std::string& application,
                 const std::string& section, const std::string& key, const std::string& value);

/// Converts a stored text to a 16-bit whole number the way the settings have always been read:
/// blanks around it are ignored, a fraction is rounded half to even ("7.5" gives 8), and
/// std::nullopt is returned for an empty text, other characters, or a value outside -32768..32767.
std::optional<int> ConvertToWholeNumber(const std::string& text);

/// Converts a stored text to a number (blanks around it ignored); std::nullopt when it is not one.
std::optional<double> ConvertToNumber(const std::string& text);

/// A number in plain decimal text: no grouping, no decimal point for a whole value.
std::string FormatPlainNumber(double value);

/// The leading number of a text as typed ("30.4 days" gives 30.4, "abc" gives 0).
double LeadingNumber(const std::string& text);

/// The leading number of a text as typed ("12 days" gives 12, "abc" gives 0), rounded to a
/// whole number: how a typed day count is taken.
int LeadingWholeNumber(const std::string& text);

} // namespace vorlith
