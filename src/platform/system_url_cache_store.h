#pragma once
// The cache of the system's web browser component: on Windows the WinINet URL cache, which
// holds the cached files, cookies and visited addresses of the system's browser component.
// Platforms without one give an empty cache.

#include "platform/url_cache.h"

#include <memory>

namespace vorlith::platform {

/// The cache of the system's web browser component, entry by entry in the cache's order, with
/// its own type flags. Empty where the platform has no such cache.
std::unique_ptr<UrlCacheSource> SystemUrlCacheStore();

} // namespace vorlith::platform
