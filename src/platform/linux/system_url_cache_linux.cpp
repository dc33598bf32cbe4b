#include "platform/system_url_cache.h"

#include "platform/browser_locations.h"
#include "platform/folders.h"
#include "sources/browser_url_cache.h"

namespace vorlith::platform {

// The browsers' profiles are read by the portable reader; this platform supplies where they
// are and whose they are.
std::unique_ptr<BrowserCacheSource> SystemUrlCacheSource() {
    return std::make_unique<BrowserUrlCacheSource>(CurrentBrowserHome(), UserName());
}

} // namespace vorlith::platform
