// How a list keeps what a cache store lends it.

#include "sources/url_cache.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlith::test {
namespace {

// A text ends at its first NUL wherever it stands: in the first word, in the last (which may
// overlap the one before) or in between; a text without one is kept whole.
TEST(UrlCacheList, EveryTextEndsAtItsFirstNulWhereverItStands) {
    const FakeClock clock;
    LocalTimes times(clock);
    UrlCacheList list;
    std::vector<std::string> kept;
    for (size_t size = 0; size <= 24; ++size) {
        for (size_t nul = 0; nul <= size; ++nul) { // nul == size: no NUL
            std::string text;
            for (size_t i = 0; i < size; ++i)
                text += static_cast<char>('a' + i);
            if (nul < size)
                text[nul] = '\0';
            if (nul + 2 < size)
                text[nul + 2] = '\0'; // a second NUL changes nothing
            kept.push_back(text);
            platform::RawUrlCacheEntryView raw;
            raw.type = kNormalCacheEntry;
            raw.sourceUrlName = raw.localFileName = raw.headerInfo = raw.fileExtension =
                kept.back();
            list.add(raw, 0, times);
        }
    }
    size_t index = 0;
    for (size_t size = 0; size <= 24; ++size) {
        for (size_t nul = 0; nul <= size; ++nul, ++index) {
            const std::string expected = kept[index].substr(0, nul);
            const UrlCacheEntryRef entry = list[index];
            ASSERT_EQ(entry.SourceUrlName(), expected) << size << " " << nul;
            ASSERT_EQ(entry.LocalFileName(), expected);
            ASSERT_EQ(entry.HeaderInfo(), expected);
            ASSERT_EQ(entry.FileExtension(), expected);
        }
    }
}

// A zone that moves its clocks forward by an hour at 02:00 on one day, and one whose offset
// (a century) is far larger than any real zone's.
struct ShiftingClock final : public platform::Clock {
    int64_t switchAt = 0; // Unix seconds
    int64_t before = 3600, after = 7200;
    DateTime localNow() const override { return {}; }
    std::chrono::steady_clock::time_point monotonicNow() const override { return {}; }
    DateTime toLocal(FileTime utc) const override {
        const int64_t seconds = static_cast<int64_t>(utc / 10'000'000) - kSecondsFrom1601To1970;
        return CivilFromUnixSeconds(seconds + (seconds < switchAt ? before : after));
    }
};

// Times are converted as the clock converts them, on the day of a change and on the days
// around it, asked in any order and again; a day whose offset does not fit what a day keeps is
// asked of the clock each time.
TEST(LocalTimes, ConvertEveryTimeAsTheClockDoesOnDaysWithAndWithoutAChange) {
    ShiftingClock shifting;
    shifting.switchAt = DaysFromCivil(2026, 3, 29) * 86400 + 3600; // 01:00 UTC
    ShiftingClock century;
    century.switchAt = INT64_MAX;
    century.before = 100LL * 365 * 86400;
    for (const ShiftingClock* clock : {&shifting, &century}) {
        LocalTimes times(*clock);
        for (int round = 0; round < 2; ++round) {
            for (int64_t at = shifting.switchAt - 3 * 86400; at < shifting.switchAt + 3 * 86400;
                 at += 1799) {
                const auto utc = static_cast<FileTime>(at + kSecondsFrom1601To1970) * 10'000'000;
                const DateTime local = clock->toLocal(utc);
                const int64_t expected = DaysFromCivil(local.year, local.month, local.day) * 86400 +
                                         local.hour * 3600 + local.minute * 60 + local.second;
                ASSERT_EQ(times.secondsOf(utc), expected) << at;
            }
        }
    }
}

} // namespace
} // namespace vorlith::test
