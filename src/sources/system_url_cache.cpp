#include "sources/system_url_cache.h"

#include "platform/browser_locations.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "sources/browser_url_cache.h"
#include "sources/url_cache_file.h"

namespace vorlith {

std::unique_ptr<platform::UrlCacheSource> SystemUrlCacheSource() {
    return std::make_unique<BrowserUrlCacheSource>(platform::CurrentBrowserHome(),
                                                   platform::UserName());
}

std::unique_ptr<platform::UrlCacheSource> ChooseUrlCacheSource(const std::string& choice) {
    if (choice == "auto")
        return SystemUrlCacheSource();
    if (choice == "none")
        return std::make_unique<platform::EmptyUrlCacheSource>();
    return std::make_unique<UrlCacheFileSource>(choice);
}

std::string CheckUrlCacheChoice(const std::string& choice) {
    if (choice == "auto" || choice == "none" || platform::FileExists(choice))
        return "";
    return "no such URL-cache file: " + choice;
}

} // namespace vorlith
