// An entry file of Firefox's disk cache (cache2): the body, then the metadata.

#include "fuzz_check.h"
#include "sources/firefox_cache2.h"
#include "sources/memory_file.h"

#include <string>

using namespace vorlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryInputFile file{std::string(fuzz::AsText(data, size))};
    auto entry = ReadFirefoxCacheEntry(file);
    if (entry) {
        FUZZ_CHECK(!entry->key.empty());
        FUZZ_CHECK(entry->bodySize <= size);
    }
    // The metadata alone, for a body of any length.
    const uint64_t bodySize = size >= 1 ? uint64_t{data[0]} << (data[0] % 40) : 0;
    ParseFirefoxCacheMetadata(fuzz::AsText(data, size), bodySize);
    return 0;
}
