#include "base/calendar.h"

#include <cstdio>

namespace vorlith {
namespace {

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// The whole number the count digits at from spell; std::nullopt when any is no digit.
std::optional<int> digitsAt(std::string_view text, size_t from, size_t count) {
    if (from + count > text.size())
        return std::nullopt;
    int value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

void appendTwoDigits(std::string& out, int value, char before) {
    out += before;
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

} // namespace

int64_t DaysFromCivil(int year, int month, int day) {
    // Howard Hinnant's days_from_civil.
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

DateTime CivilFromUnixSeconds(int64_t seconds) {
    // Howard Hinnant's civil_from_days.
    int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const int64_t rest = seconds - days * 86400;
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    DateTime value;
    value.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    value.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    value.year = static_cast<int>(yearOfEra + era * 400 + (value.month <= 2 ? 1 : 0));
    value.hour = static_cast<int>(rest / 3600);
    value.minute = static_cast<int>(rest % 3600 / 60);
    value.second = static_cast<int>(rest % 60);
    return value;
}

int64_t CalendarDaysBetween(const DateTime& from, const DateTime& to) {
    return DaysFromCivil(to.year, to.month, to.day) - DaysFromCivil(from.year, from.month, from.day);
}

std::string FormatIsoDate(const DateTime& value) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", value.year, value.month, value.day);
    return text;
}

std::optional<DateTime> ParseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    auto year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1 ||
        *day > daysInMonth(*year, *month))
        return std::nullopt;
    DateTime result;
    result.year = *year;
    result.month = *month;
    result.day = *day;
    return result;
}

std::optional<FileTime> ParseUtcTimestamp(std::string_view text) {
    // 2026-12-01T09:30:00Z, 2026-12-01T09:30:00.125Z
    if (text.size() < 20 || text.back() != 'Z' || (text[10] != 'T' && text[10] != 't') ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const auto date = ParseIsoDate(text.substr(0, 10));
    const auto hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2),
               second = digitsAt(text, 17, 2);
    if (!date || !hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    const std::string_view fraction = text.substr(19, text.size() - 20);
    if (!fraction.empty()) {
        if (fraction.size() < 2 || fraction[0] != '.' ||
            fraction.find_first_not_of("0123456789", 1) != std::string_view::npos)
            return std::nullopt;
    }
    const int64_t seconds = DaysFromCivil(date->year, date->month, date->day) * 86400 +
                            *hour * 3600 + *minute * 60 + *second + kSecondsFrom1601To1970;
    if (seconds < 0)
        return std::nullopt;
    return static_cast<FileTime>(seconds) * 10'000'000;
}

void AppendGeneralDate(std::string& out, const DateTime& value) {
    if (value.year >= 0 && value.year <= 9999) {
        out += static_cast<char>('0' + value.year / 1000);
        out += static_cast<char>('0' + value.year / 100 % 10);
        out += static_cast<char>('0' + value.year / 10 % 10);
        out += static_cast<char>('0' + value.year % 10);
    } else {
        out += std::to_string(value.year);
    }
    appendTwoDigits(out, value.month, '-');
    appendTwoDigits(out, value.day, '-');
    appendTwoDigits(out, value.hour, ' ');
    appendTwoDigits(out, value.minute, ':');
    appendTwoDigits(out, value.second, ':');
}

} // namespace vorlith
