#pragma once
// The bodies of the thumbnail page and the two Firefox cache pages, written from what the
// thumbnail pass and the Firefox pass found.

#include "report/page_run.h"
#include "scan/thumb_stores.h"
#include "sources/firefox_cache.h"

#include <cstdint>
#include <string>

namespace vorlith {

/// Pictures on the first Firefox cache page; the rest go to the second.
inline constexpr int64_t kFirefoxFirstPagePictures = 300;

/// The warning and Erazent lines, then for every store its pictures (from thumbsFolder) and the
/// line naming the store.
void WriteThumbnailPage(PageRun& run, const ThumbFindings& findings,
                        const std::string& thumbsFolder);
/// The one line the thumbnail page gets when the thumbnail pass is turned off.
void WriteThumbnailsTurnedOff(ReportPages& pages);

/// The warning and Erazent lines on both pages, then every picture with its location and a
/// deletion link: the first 300 on the first page (which then links to the second), the rest on
/// the second.
void WriteFirefoxCachePages(PageRun& run, const FirefoxCacheFindings& findings);
/// The one line the first Firefox page gets when the Firefox pass is turned off.
void WriteFirefoxTurnedOff(ReportPages& pages);

} // namespace vorlith
