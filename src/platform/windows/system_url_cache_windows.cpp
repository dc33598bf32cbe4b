#include "platform/system_url_cache.h"

#include "platform/browser_locations.h"
#include "platform/folders.h"
#include "platform/system_url_cache_store.h"
#include "sources/browser_url_cache.h"

namespace vorlith::platform {
namespace {

// The WinINet cache first, then the browsers' own profiles, as one enumeration.
class WindowsUrlCacheSource final : public BrowserCacheSource {
public:
    WindowsUrlCacheSource()
        : m_store(SystemUrlCacheStore()), m_browsers(CurrentBrowserHome(), UserName()) {}

    void setExtractFolder(const std::string& folder) override {
        m_browsers.setExtractFolder(folder);
    }

    bool begin() override {
        m_storeOpen = m_store->begin();
        m_browsersOpen = m_browsers.begin();
        return m_storeOpen || m_browsersOpen;
    }

    std::optional<RawUrlCacheEntry> next() override {
        if (m_storeOpen) {
            if (auto entry = m_store->next())
                return entry;
            m_store->end();
            m_storeOpen = false;
        }
        return m_browsersOpen ? m_browsers.next() : std::nullopt;
    }

    void end() override {
        if (m_storeOpen)
            m_store->end();
        if (m_browsersOpen)
            m_browsers.end();
        m_storeOpen = m_browsersOpen = false;
    }

private:
    std::unique_ptr<UrlCacheSource> m_store;
    BrowserUrlCacheSource m_browsers;
    bool m_storeOpen = false;    // begun and not yet ended
    bool m_browsersOpen = false; // begun and not yet ended
};

} // namespace

// The profiles are read by the portable reader; this platform supplies the system's own cache
// in front of them, and where the profiles are and whose they are.
std::unique_ptr<BrowserCacheSource> SystemUrlCacheSource() {
    return std::make_unique<WindowsUrlCacheSource>();
}

} // namespace vorlith::platform
