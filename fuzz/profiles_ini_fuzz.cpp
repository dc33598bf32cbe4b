// Firefox's list of profiles, profiles.ini.

#include "fuzz_check.h"
#include "sources/browser_profiles.h"

using namespace vorlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ParseProfilesIni(fuzz::AsText(data, size));
    return 0;
}
