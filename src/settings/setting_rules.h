#pragma once
// What each setting may hold: the rules the setup dialog and `vorlith-cli config` both apply.

#include <optional>
#include <string>
#include <string_view>

namespace vorlith {

/// The largest day count "MinDays" takes.
inline constexpr int kMaxMinDays = 30;

/// The message that refuses a larger day count.
inline constexpr char kMinDaysTooLargeMessage[] =
    "The minumum days for a Vorlith can not be set more than 30 days.";

/// True when a typed day count is above kMaxMinDays ("30.4" is, though it rounds to 30).
bool IsMinDaysTooLarge(const std::string& typed);

/// The key as the settings spell it, found without regard to case; std::nullopt for a key that is
/// no setting.
std::optional<std::string> CanonicalSettingKey(std::string_view key);

/// "" when the value is one the setup dialog could have stored under the (canonical) key, else
/// what is wrong with it: switches take 0 or 1, "DefaultResults" 0 to 3, "MinDays" a whole
/// number of days from 0 to 30, "CumlativeTotal" a number, "LastAudit" a date as YYYY-MM-DD.
std::string CheckSettingValue(const std::string& key, const std::string& value);

} // namespace vorlith
