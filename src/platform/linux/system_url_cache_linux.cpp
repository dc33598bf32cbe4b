#include "platform/system_url_cache.h"

namespace vorlith::platform {

// Reading the browsers' own profiles comes with its own work; until then this computer's URL
// cache reads as empty.
std::unique_ptr<UrlCacheSource> SystemUrlCacheSource() {
    return std::make_unique<EmptyUrlCacheSource>();
}

} // namespace vorlith::platform
