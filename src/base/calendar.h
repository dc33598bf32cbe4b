#pragma once
// Calendar values and their conversions: dates and times of day, the file-time unit of the URL
// cache, and the text forms the program reads and writes.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vorlith {

/// A calendar date and time of day with whole seconds (local time unless said otherwise).
struct DateTime {
    int year = 1601;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0; // 0..59
    int second = 0; // 0..59

    auto operator<=>(const DateTime&) const = default;
};

/// Number of 100-nanosecond ticks since 1601-01-01 00:00 UTC (the unit of the URL cache's times).
using FileTime = uint64_t;

/// Seconds between 1601-01-01 and 1970-01-01.
inline constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

/// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int year, int month, int day);

/// The calendar parts of a count of seconds since 1970-01-01 00:00 (no zone applied).
DateTime CivilFromUnixSeconds(int64_t seconds);

/// Whole calendar days from the date part of `from` to that of `to` (negative when `to` is
/// earlier).
int64_t CalendarDaysBetween(const DateTime& from, const DateTime& to);

/// "YYYY-MM-DD" of the date part.
std::string FormatIsoDate(const DateTime& value);

/// Reads "YYYY-MM-DD" (nothing before or after it); std::nullopt for anything else or an
/// impossible date such as 2026-02-30.
std::optional<DateTime> ParseIsoDate(std::string_view text);

/// "YYYY-MM-DDTHH:MM:SSZ" (a fraction of a second after the seconds is allowed and dropped) as
/// a file time; std::nullopt for any other form, an impossible date or time, or a time before
/// 1601-01-01.
std::optional<FileTime> ParseUtcTimestamp(std::string_view text);

/// Appends "YYYY-MM-DD hh:mm:ss", the general date form of the report's tables (a year outside
/// 0..9999 in plain decimal).
void AppendGeneralDate(std::string& out, const DateTime& value);

/// The longest general date: an 11-character year and 15 more.
inline constexpr size_t kGeneralDateRoom = 26;
/// Writes the general date at out (room for kGeneralDateRoom bytes) and returns its end.
char* WriteGeneralDate(char* out, const DateTime& value);

} // namespace vorlith
