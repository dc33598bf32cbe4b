// Local time from the C library, which follows the TZ setting and /etc/localtime.

#include "platform/clock.h"

#include <ctime>

namespace vorlith::platform {
namespace {

DateTime fromTm(const std::tm& parts) {
    DateTime value;
    value.year = parts.tm_year + 1900;
    value.month = parts.tm_mon + 1;
    value.day = parts.tm_mday;
    value.hour = parts.tm_hour;
    value.minute = parts.tm_min;
    value.second = parts.tm_sec > 59 ? 59 : parts.tm_sec; // a leap second stays in its minute
    return value;
}

class LinuxClock final : public Clock {
public:
    DateTime localNow() const override {
        std::time_t now = std::time(nullptr);
        std::tm parts{};
        ::localtime_r(&now, &parts);
        return fromTm(parts);
    }

    std::chrono::steady_clock::time_point monotonicNow() const override {
        return std::chrono::steady_clock::now();
    }

    DateTime toLocal(FileTime utc) const override {
        if (utc == 0)
            return DateTime{}; // the zero time stands for "never": 1601-01-01 00:00:00
        const int64_t seconds = static_cast<int64_t>(utc / 10'000'000) - kSecondsFrom1601To1970;
        std::time_t when = static_cast<std::time_t>(seconds);
        std::tm parts{};
        if (!::localtime_r(&when, &parts))
            return DateTime{};
        return fromTm(parts);
    }
};

} // namespace

Clock& SystemClock() {
    static LinuxClock clock;
    return clock;
}

} // namespace vorlith::platform
