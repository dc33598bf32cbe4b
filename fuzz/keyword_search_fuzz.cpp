// The keyword search over any text (an address is outside data), against the plain search: for
// each list, the first entry in list order that occurs in the text lower-cased, where it first
// occurs and its length.

#include "classify/keywords.h"
#include "fuzz_check.h"

#include <string>

using namespace vorlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    const KeywordHits hits = FindKeywords(text);
    std::string lower(text);
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    for (size_t index = 0; index < kKeywordListCount; ++index) {
        const auto list = static_cast<KeywordList>(index);
        KeywordHit expected;
        for (std::string_view entry : KeywordEntries(list)) {
            if (const size_t at = lower.find(entry); at != std::string::npos) {
                expected = {static_cast<int32_t>(at + 1), static_cast<int32_t>(entry.size())};
                break;
            }
        }
        FUZZ_CHECK(hits[list].position == expected.position);
        FUZZ_CHECK(hits[list].length == expected.length);
    }
    return 0;
}
