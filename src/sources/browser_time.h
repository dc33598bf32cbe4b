#pragma once
// The time bases browsers store, converted to file times (100 ns ticks since 1601 UTC). A zero,
// negative or out-of-range stored value means "no time" and gives the zero file time.

#include "platform/clock.h"

#include <cstdint>

namespace vorlith {

inline constexpr int64_t kTicksPerSecond = 10'000'000;
inline constexpr int64_t kTicksPerMicrosecond = 10;

namespace detail {
inline FileTime ticksOrZero(int64_t value, int64_t ticksPerUnit, int64_t offsetTicks) {
    if (value <= 0)
        return 0;
    constexpr uint64_t kLimit = UINT64_MAX;
    uint64_t unitsLimit =
        (kLimit - static_cast<uint64_t>(offsetTicks)) / static_cast<uint64_t>(ticksPerUnit);
    if (static_cast<uint64_t>(value) > unitsLimit)
        return 0;
    return static_cast<uint64_t>(value) * static_cast<uint64_t>(ticksPerUnit) +
           static_cast<uint64_t>(offsetTicks);
}
inline constexpr int64_t kTicksFrom1601To1970 = kSecondsFrom1601To1970 * kTicksPerSecond;
} // namespace detail

/// Firefox's PRTime: microseconds since 1970-01-01 UTC.
inline FileTime FileTimeFromPrTime(int64_t microseconds) {
    return detail::ticksOrZero(microseconds, kTicksPerMicrosecond, detail::kTicksFrom1601To1970);
}
/// Chromium's time: microseconds since 1601-01-01 UTC.
inline FileTime FileTimeFromWebKitTime(int64_t microseconds) {
    return detail::ticksOrZero(microseconds, kTicksPerMicrosecond, 0);
}
/// Seconds since 1970-01-01 UTC.
inline FileTime FileTimeFromUnixSeconds(int64_t seconds) {
    return detail::ticksOrZero(seconds, kTicksPerSecond, detail::kTicksFrom1601To1970);
}
/// Milliseconds since 1970-01-01 UTC.
inline FileTime FileTimeFromUnixMilliseconds(int64_t milliseconds) {
    return detail::ticksOrZero(milliseconds, kTicksPerSecond / 1000, detail::kTicksFrom1601To1970);
}

} // namespace vorlith
