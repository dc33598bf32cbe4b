#pragma once
// The clocks the program reads.

#include "base/calendar.h"

#include <chrono>

namespace vorlith::platform {

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

} // namespace vorlith::platform
