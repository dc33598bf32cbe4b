// A thumbcache file ("CMMM") walked entry by entry.

#include "scan/thumbcache.h"
#include "store_check.h"

using namespace vorlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::CheckStoreReader(fuzz::AsText(data, size), ReadThumbcache);
    return 0;
}
