#include "settings/setting_rules.h"

#include "base/calendar.h"
#include "base/text.h"
#include "settings/program_settings.h"
#include "settings/settings_store.h"

namespace vorlith {

bool IsMinDaysTooLarge(const std::string& typed) {
    return LeadingNumber(typed) > kMaxMinDays;
}

std::optional<std::string> CanonicalSettingKey(std::string_view key) {
    for (const std::string& known : SettingKeys())
        if (EqualsNoCase(known, key))
            return known;
    return std::nullopt;
}

std::string CheckSettingValue(const std::string& key, const std::string& value) {
    if (key == keys::kHARunOnStart || key == keys::kScanNetworkDrives || key == keys::kNoThumbs ||
        key == keys::kNoFirefox || key == keys::kWinStart)
        return value == "0" || value == "1" ? "" : "must be 0 or 1";
    if (key == keys::kDefaultResults)
        return value.size() == 1 && value[0] >= '0' && value[0] <= '3'
                   ? ""
                   : "must be 0 (both), 1 (default browser), 2 (Firefox memory cache) or 3 "
                     "(Firefox disk cache)";
    if (key == keys::kMinDays) {
        const auto number = ConvertToWholeNumber(value);
        if (!number || *number < 0)
            return "must be a whole number of days";
        return IsMinDaysTooLarge(value) ? kMinDaysTooLargeMessage : "";
    }
    if (key == keys::kCumlativeTotal)
        return ConvertToNumber(value) ? "" : "must be a number";
    if (key == keys::kLastAudit)
        return ParseIsoDate(value) || value.size() < 3 ? "" : "must be a date as YYYY-MM-DD";
    return "";
}

} // namespace vorlith
