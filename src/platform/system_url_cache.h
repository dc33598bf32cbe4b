#pragma once
// The URL-cache source of this computer's own browsers.

#include "platform/url_cache.h"

#include <memory>

namespace vorlith::platform {

/// The entries of the browsers of this user, in a stable order.
std::unique_ptr<UrlCacheSource> SystemUrlCacheSource();

} // namespace vorlith::platform
