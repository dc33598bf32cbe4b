// Local time from the system's time-zone settings, converted as the URL cache's own times are:
// FileTimeToLocalFileTime, then FileTimeToSystemTime.

#include "platform/clock.h"

#include "platform/windows/win32.h"

namespace vorlith::platform {
namespace {

DateTime fromSystemTime(const SYSTEMTIME& parts) {
    DateTime value;
    value.year = parts.wYear;
    value.month = parts.wMonth;
    value.day = parts.wDay;
    value.hour = parts.wHour;
    value.minute = parts.wMinute;
    value.second = parts.wSecond;
    return value;
}

class WindowsClock final : public Clock {
public:
    DateTime localNow() const override {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        return fromSystemTime(now);
    }

    std::chrono::steady_clock::time_point monotonicNow() const override {
        return std::chrono::steady_clock::now();
    }

    DateTime toLocal(FileTime utc) const override {
        if (utc == 0)
            return DateTime{}; // the zero time stands for "never": 1601-01-01 00:00:00
        FILETIME universal{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
        FILETIME local{};
        SYSTEMTIME parts{};
        // FileTimeToSystemTime refuses times past the year 30827; such a time reads as zero.
        if (!::FileTimeToLocalFileTime(&universal, &local) ||
            !::FileTimeToSystemTime(&local, &parts))
            return DateTime{};
        return fromSystemTime(parts);
    }
};

} // namespace

Clock& SystemClock() {
    static WindowsClock clock;
    return clock;
}

} // namespace vorlith::platform
