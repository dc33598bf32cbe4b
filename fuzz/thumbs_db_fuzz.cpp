// A Thumbs.db read by its structure: the compound file (header, FAT and DIFAT, mini FAT,
// directory), the thumbnail streams and the Catalog.

#include "scan/thumbs_db.h"
#include "store_check.h"

using namespace vorlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    fuzz::CheckStoreReader(bytes, ReadThumbsDb);
    // The same bytes as a Catalog stream: the entries before a broken one are kept.
    const ThumbsDbCatalog catalog = ParseThumbsDbCatalog(bytes);
    FUZZ_CHECK(catalog.entries.size() <= size / 16);
    return 0;
}
