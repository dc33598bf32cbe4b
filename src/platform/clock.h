#pragma once
// Calendar values and the clocks the program reads.

#include <chrono>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace vorlith {

/// A local calendar date and time of day with whole seconds.
struct DateTime {
    int year = 1601;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0; // 0..59
    int second = 0; // 0..59

    auto operator<=>(const DateTime&) const = default;
};

/// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int year, int month, int day);

/// The calendar parts of a count of seconds since 1970-01-01 00:00 (no zone applied).
DateTime CivilFromUnixSeconds(int64_t seconds);

/// "YYYY-MM-DD" of the date part.
std::string FormatIsoDate(const DateTime& value);

/// Reads "YYYY-MM-DD" (nothing before or after it); std::nullopt for anything else or an
/// impossible date such as 2026-02-30.
std::optional<DateTime> ParseIsoDate(const std::string& text);

/// Number of 100-nanosecond ticks since 1601-01-01 00:00 UTC (the unit of the URL cache's times).
using FileTime = uint64_t;

/// Seconds between 1601-01-01 and 1970-01-01.
inline constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

namespace platform {

/// The clocks the logic reads. Tests substitute their own.
class Clock {
public:
    virtual ~Clock() = default;
    /// The current local date and time.
    virtual DateTime localNow() const = 0;
    /// A clock that only moves forward, for measuring periods (immune to date changes).
    virtual std::chrono::steady_clock::time_point monotonicNow() const = 0;
    /// Converts a UTC file time to local calendar time (whole seconds; the zero time gives
    /// 1601-01-01 00:00:00).
    virtual DateTime toLocal(FileTime utc) const = 0;
};

/// The operating system's clocks and the user's time zone.
Clock& SystemClock();

} // namespace platform
} // namespace vorlith
