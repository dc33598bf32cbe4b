#include "platform/system_url_cache_store.h"

namespace vorlith::platform {

// Linux has no browser component of the system with a cache of its own; the browsers' profiles
// are read by their own readers.
std::unique_ptr<UrlCacheSource> SystemUrlCacheStore() {
    return std::make_unique<EmptyUrlCacheSource>();
}

} // namespace vorlith::platform
