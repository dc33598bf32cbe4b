#pragma once
// The frame every report page shares: the head with its style sheet, logo row and tab menu, and
// the foot with its warning, purchase link, back-to-top link and copyright line.

#include "report/page_file.h"
#include "report/page_set.h"

#include <cstdint>
#include <string_view>

namespace vorlith {

/// The counts the purchase links of a foot carry, as they stand when the foot is written.
struct PurchaseCounts {
    int64_t totalTraces = 0;    // the last URL-cache audit's trace total
    int64_t audioFileCount = 0; // entries of the found-audio list
};

/// Writes the head to the open page. A tab outside 1..8 gives "section-1"; tab 6 gives the video
/// page's logo row.
void WritePageHeader(PageFile& page, int tab, std::string_view title);

/// Writes the foot and closes the page. The audio page gets the audio warning and the Umbrafile
/// link, every other page the traces warning and the Erazent link.
void WritePageFooter(ReportPages& pages, PageId id, const PurchaseCounts& counts);

/// Opens a page of the set and writes its head.
PageFile& OpenPageWithHeader(ReportPages& pages, PageId id);

/// The traces warning table line that the foot and several page bodies share.
inline constexpr char kTracesWarningLine[] =
    "<TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>WARNING:</B></FONT> <FONT "
    "SIZE=+1 COLOR=#FFFFFF><B>Manually removing these traces yourself will NOT protect you.  They "
    "are easily recoverable when you do this.</B></FONT></TD></TR></TABLE>";

} // namespace vorlith
