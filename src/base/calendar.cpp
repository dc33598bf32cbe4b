#include "base/calendar.h"

#include <charconv>
#include <cstdio>
#include <cstring>

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

// Any count of seconds, by Howard Hinnant's civil_from_days.
DateTime civilFromAnySeconds(int64_t seconds) {
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
    // Neri and Schneider's algorithm over unsigned 32-bit day numbers: a few multiplications
    // instead of signed 64-bit divisions, since an audit converts a time for every cache entry.
    // It holds for about 2.9 million years from 1970 back 32,800 years; outside that window the
    // general form is used.
    const int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    constexpr int64_t kShiftCycles = 82; // 400-year cycles before 1970 the window reaches
    constexpr int64_t kShift = 719468 + 146097 * kShiftCycles;
    if (days < -kShift || days > (int64_t{1} << 30) - kShift)
        return civilFromAnySeconds(seconds);
    const auto n = static_cast<uint32_t>(days + kShift); // days since 1 March of year -32800
    const uint32_t n1 = 4 * n + 3;
    const uint32_t century = n1 / 146097;
    const uint32_t n2 = n1 % 146097 / 4 * 4 + 3;
    const uint64_t p2 = uint64_t{2939745} * n2;
    const auto yearOfCentury = static_cast<uint32_t>(p2 >> 32);
    const uint32_t dayOfYear = static_cast<uint32_t>(p2) / 2939745 / 4; // from 1 March
    const uint32_t n3 = 2141 * dayOfYear + 197913;
    const uint32_t january = dayOfYear >= 306 ? 1 : 0; // January and February end the year
    DateTime value;
    value.year = static_cast<int>(static_cast<int64_t>(100 * century + yearOfCentury) -
                                  400 * kShiftCycles + january);
    value.month = static_cast<int>((n3 >> 16) - 12 * january);
    value.day = static_cast<int>((n3 & 0xFFFF) / 2141 + 1);
    const auto secondOfDay = static_cast<uint32_t>(seconds - days * 86400);
    value.hour = static_cast<int>(secondOfDay / 3600);
    value.minute = static_cast<int>(secondOfDay % 3600 / 60);
    value.second = static_cast<int>(secondOfDay % 60);
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

char* WriteGeneralDate(char* out, const DateTime& value) {
    // The table serves every part in its range; a part out of range (which no clock gives)
    // keeps the digits the arithmetic gives.
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324"
                                     "25262728293031323334353637383940414243444546474849"
                                     "50515253545556575859606162636465666768697071727374"
                                     "75767778798081828384858687888990919293949596979899";
    const auto twoDigits = [](char* at, int part) {
        if (part >= 0 && part < 100) {
            std::memcpy(at, kPairs + 2 * part, 2);
            return;
        }
        at[0] = static_cast<char>('0' + part / 10 % 10);
        at[1] = static_cast<char>('0' + part % 10);
    };
    if (value.year >= 0 && value.year <= 9999) {
        twoDigits(out, value.year / 100);
        twoDigits(out + 2, value.year % 100);
        out += 4;
    } else {
        out = std::to_chars(out, out + 11, value.year).ptr;
    }
    out[0] = '-';
    twoDigits(out + 1, value.month);
    out[3] = '-';
    twoDigits(out + 4, value.day);
    out[6] = ' ';
    twoDigits(out + 7, value.hour);
    out[9] = ':';
    twoDigits(out + 10, value.minute);
    out[12] = ':';
    twoDigits(out + 13, value.second);
    return out + 15;
}

void AppendGeneralDate(std::string& out, const DateTime& value) {
    char text[kGeneralDateRoom];
    out.append(text, static_cast<size_t>(WriteGeneralDate(text, value) - text));
}

} // namespace vorlith
