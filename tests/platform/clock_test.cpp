#include "platform/clock.h"
#include "support/test_support.h"

#include <ctime>
#include <gtest/gtest.h>

namespace vorlith {
namespace {

FileTime fileTimeOf(std::time_t seconds) {
    return static_cast<FileTime>(seconds + kSecondsFrom1601To1970) * 10'000'000;
}

// The system clock's conversion must agree with the C library's at every second around the
// zone's offset changes, including the hour that repeats in autumn.
TEST(SystemClock, LocalTimeAgreesWithTheCLibraryAcrossOffsetChanges) {
    test::ScopedEnv zone("TZ", "America/New_York");
    std::time_t probe = 0;
    std::localtime(&probe); // makes the C library read the new zone
    const platform::Clock& clock = platform::SystemClock();
    clock.toLocal(fileTimeOf(-5'000'000'000)); // forget any offset asked for under another zone

    for (std::time_t start : {std::time_t{1772953200}, std::time_t{1793512800}}) {
        for (std::time_t t = start - 7200; t < start + 7200; t += 37) {
            SCOPED_TRACE(t);
            const std::tm expected = *std::localtime(&t);
            EXPECT_EQ(clock.toLocal(fileTimeOf(t)),
                      (DateTime{expected.tm_year + 1900, expected.tm_mon + 1, expected.tm_mday,
                                expected.tm_hour, expected.tm_min, expected.tm_sec}));
        }
    }
    EXPECT_EQ(clock.toLocal(0), DateTime{}); // the zero time is 1601-01-01 00:00:00
}

TEST(IsoDate, ReadsOnlyRealDatesInItsOneForm) {
    EXPECT_EQ(FormatIsoDate({2026, 3, 7, 23, 59, 59}), "2026-03-07");
    EXPECT_EQ(ParseIsoDate("2024-02-29"), (DateTime{2024, 2, 29, 0, 0, 0}));
    for (const char* text : {"2026-02-29", "2026-13-01", "2026-00-10", "2026-1-01", "26-01-01",
                             "2026-01-01 ", "2026/01/01", "0", ""}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseIsoDate(text));
    }
}

} // namespace
} // namespace vorlith
