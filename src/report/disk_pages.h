#pragma once
// The bodies of the thumbnail page and the two Firefox cache pages, written from what the
// thumbnail pass and the Firefox pass found.

#include "platform/clock.h"
#include "report/page_run.h"
#include "scan/thumb_stores.h"
#include "sources/firefox_cache.h"
#include "sources/freedesktop_thumbnails.h"

#include <cstdint>
#include <string>

namespace vorlith {

/// Pictures on the first Firefox cache page; the rest go to the second.
inline constexpr int64_t kFirefoxFirstPagePictures = 300;

/// What the thumbnail page shows.
struct ThumbnailPageInput {
    const ThumbFindings& stores;
    const DesktopThumbFindings& previews;
    const std::string& thumbsFolder; // where the pages name the pictures
    const platform::Clock& clock;    // the originals' times are shown in local time
};

/// The warning and Erazent lines; then for every store its pictures (in thumbsFolder, linked as
/// LocalFileUrl does from the pages' shown folder), each titled with its original's name and
/// time where the store gives them, the line naming the store and, when any picture has a name
/// or time, a table of name, time and picture; then the desktop's previews the same way, folder
/// by folder, titled and listed with their original's path (or address) and time and marked
/// "original deleted" where the original is gone. Machine text is escaped.
void WriteThumbnailPage(PageRun& run, const ThumbnailPageInput& input);
/// The one line the thumbnail page gets when the thumbnail pass is turned off.
void WriteThumbnailsTurnedOff(ReportPages& pages);

/// The warning and Erazent lines on both pages, then every picture with its location and a
/// deletion link: the first 300 on the first page (which then links to the second), the rest on
/// the second.
void WriteFirefoxCachePages(PageRun& run, const FirefoxCacheFindings& findings);
/// The one line the first Firefox page gets when the Firefox pass is turned off.
void WriteFirefoxTurnedOff(ReportPages& pages);

} // namespace vorlith
