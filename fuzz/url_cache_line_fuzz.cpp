// One line of a URL-cache file (JSON Lines) and the time stamps in it.

#include "fuzz_check.h"
#include "sources/url_cache_file.h"

using namespace vorlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    const UrlCacheLine line = ParseUrlCacheLine(text);
    FUZZ_CHECK(line.entry.has_value() == line.error.empty());
    ParseUtcTimestamp(text);
    return 0;
}
