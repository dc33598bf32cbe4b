#include "settings/settings_store.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vorlith {
namespace {

std::string trimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The longest prefix of text that reads as a decimal number: sign, digits, fraction, exponent.
size_t numberPrefixLength(const std::string& text) {
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    size_t digits = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
        ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
            ++pos, ++digits;
    }
    if (digits == 0)
        return 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        size_t exponentDigits = exponent;
        while (exponentDigits < text.size() &&
               std::isdigit(static_cast<unsigned char>(text[exponentDigits])))
            ++exponentDigits;
        if (exponentDigits > exponent)
            pos = exponentDigits;
    }
    return pos;
}

} // namespace

std::string SettingsKeyPath(const std::string& application, const std::string& section) {
    return "Software\\VB and VBA Program Settings\\" + application + "\\" + section;
}

std::string GetSetting(platform::SettingsHive& hive, const std::string& application,
                       const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
    auto value = hive.getValue(SettingsKeyPath(application, section), key);
    return value ? *value : defaultValue;
}

bool SaveSetting(platform::SettingsHive& hive, const std::string& application,
                 const std::string& section, const std::string& key, const std::string& value) {
    return hive.setValue(SettingsKeyPath(application, section), key, value);
}

std::optional<double> ConvertToNumber(const std::string& text) {
    const std::string trimmed = trimBlanks(text);
    if (trimmed.empty() || numberPrefixLength(trimmed) != trimmed.size())
        return std::nullopt;
    double value = std::strtod(trimmed.c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> ConvertToWholeNumber(const std::string& text) {
    auto value = ConvertToNumber(text);
    if (!value)
        return std::nullopt;
    double rounded = std::nearbyint(*value); // the default rounding mode: half to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<int>(rounded);
}

std::string FormatPlainNumber(double value) {
    char text[64];
    if (std::nearbyint(value) == value && std::fabs(value) < 1e18)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    else
        std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

double LeadingNumber(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return 0;
    const std::string rest = text.substr(first);
    size_t length = numberPrefixLength(rest);
    if (length == 0)
        return 0;
    double value = std::strtod(rest.substr(0, length).c_str(), nullptr);
    return std::isfinite(value) ? value : 0;
}

int LeadingWholeNumber(const std::string& text) {
    double value = std::nearbyint(LeadingNumber(text));
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

} // namespace vorlith
