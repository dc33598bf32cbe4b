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

} // namespace
} // namespace vorlith::test
