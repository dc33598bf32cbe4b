#pragma once
// The URL-cache source of this computer's own browsers.

#include "platform/url_cache.h"

#include <memory>
#include <string>

namespace vorlith::platform {

/// A cache source that reads the browsers' own stores. Some stores keep a cached body inside a
/// larger file; such bodies (of pictures and videos) are copied into the extract folder so that
/// the entry's local file holds exactly the body.
class BrowserCacheSource : public UrlCacheSource {
public:
    /// The folder for copied bodies (the report's "thumbs" folder); set before begin(). Without
    /// one, such entries get no local file.
    virtual void setExtractFolder(const std::string& folder) = 0;
};

/// The entries of the browsers of this user, in a stable order.
std::unique_ptr<BrowserCacheSource> SystemUrlCacheSource();

} // namespace vorlith::platform
