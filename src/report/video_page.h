#pragma once
// The video page (page 11): every cached video, written during the explicit-page loop of the
// image pages. Videos are not classified by keyword.

#include "report/page_file.h"

#include <string>
#include <string_view>

namespace vorlith {

enum class VideoKind { None, Flash, WindowsMedia, Mpeg, QuickTime };

/// The kind of video an address names by the end of its lower-cased text, tried in this order:
/// "flv", "wmv", "mpg" or "mpeg", "mov". Anything else, a query after the extension included,
/// is None.
VideoKind VideoKindOf(std::string_view address);

/// The path the embedded Flash player is given: LocalFileUrl(localFile, reportFolder) with every
/// blank as "%20".
std::string FlashPlayerPath(std::string_view localFile, std::string_view reportFolder = {});

/// The video step for one cached-file entry: writes its lines to the video page when its address
/// names a video (six lines for Flash video, two for the others), nothing otherwise. The entry's
/// texts are escaped; `purchaseLink` is written as it is. The file is linked as LocalFileUrl does
/// from reportFolder.
void WriteVideoItem(PageFile& page, std::string_view address, std::string_view localFile,
                    std::string_view purchaseLink, std::string_view reportFolder = {});

} // namespace vorlith
