// An entry's first file of Chromium's simple cache: header, key, body, response headers.

#include "fuzz_check.h"
#include "sources/chromium_simple_cache.h"
#include "sources/memory_file.h"

#include <string>

using namespace vorlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryInputFile file{std::string(fuzz::AsText(data, size))};
    auto entry = ReadSimpleCacheEntry(file);
    if (entry) {
        FUZZ_CHECK(!entry->key.empty());
        // The body is copied out of the file by these numbers: it must lie inside it.
        FUZZ_CHECK(entry->bodyOffset <= size && entry->bodySize <= size - entry->bodyOffset);
    }
    // A pickled response record of any shape.
    SimpleCacheEntry headers;
    ParseSimpleCacheHeaders(fuzz::AsText(data, size), headers);
    return 0;
}
