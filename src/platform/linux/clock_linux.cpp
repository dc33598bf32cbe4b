// Local time from the C library, which follows the TZ setting and /etc/localtime.

#include "platform/clock.h"

#include <array>
#include <climits>
#include <cstdint>
#include <ctime>
#include <optional>

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
        auto offset = offsetAt(seconds);
        if (!offset)
            return DateTime{};
        return CivilFromUnixSeconds(seconds + *offset);
    }

private:
    static std::optional<long> askOffset(int64_t seconds) {
        std::time_t when = static_cast<std::time_t>(seconds);
        std::tm parts{};
        if (!::localtime_r(&when, &parts))
            return std::nullopt;
        return parts.tm_gmtoff;
    }

    // An audit converts hundreds of thousands of times; asking the C library for each costs a
    // time-zone lookup under a lock. A zone changes its offset at most once in a day, so the
    // offset of a whole day is known from its start and the next day's start when the two
    // agree; only a day with a change is asked per quarter hour (zones change offsets at
    // quarter-hour instants). The days are remembered in a table of 8 bytes a day that holds
    // eleven years, since cache times spread over years and a smaller table would forget and
    // ask again all the time.
    static std::optional<long> offsetAt(int64_t seconds) {
        struct Day {
            int32_t day = INT32_MIN;
            int32_t offset = 0; // kChanging: the offset changes within the day
        };
        static constexpr int32_t kChanging = INT32_MIN;
        thread_local std::array<Day, 4096> days;
        const int64_t day = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
        if (day <= INT32_MIN || day > INT32_MAX)
            return askOffset(seconds);
        Day& slot = days[static_cast<size_t>(day) & (days.size() - 1)];
        if (slot.day != day) {
            auto start = askOffset(day * 86400);
            auto end = askOffset((day + 1) * 86400);
            if (!start || !end)
                return askOffset(seconds);
            slot.day = static_cast<int32_t>(day);
            slot.offset = *start == *end ? static_cast<int32_t>(*start) : kChanging;
        }
        if (slot.offset != kChanging)
            return slot.offset;
        const int64_t quarter = seconds >= 0 ? seconds / 900 : (seconds - 899) / 900;
        return askOffset(quarter * 900);
    }
};

} // namespace

Clock& SystemClock() {
    static LinuxClock clock;
    return clock;
}

} // namespace vorlith::platform
