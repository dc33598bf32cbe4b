#pragma once
// The thumbnail pass: every JPEG picture cut out of the hidden thumbnail stores into the report
// folder's "thumbs" folder and shown on the thumbnails page (page 14).

#include "app/phase_context.h"
#include "scan/scan_counts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlith {

/// True when the lower-cased path ends in "thumbs.db" or holds "thumbcache_" anywhere.
bool IsThumbStoreName(std::string_view path);

/// The warning and Erazent lines, then, unless the run is already cancelled (then Do_Cancel and
/// nothing more), every store of lstThumbs that passes the name test: its pictures and its
/// caption line. Counts stores and pictures into counts; the cancel flag is not tested between
/// stores. Yields every 20 stores.
void ProcessThumbStores(PhaseContext& context, DiskScanCounts& counts);

/// Cuts one store into the pictures "<storeNumber>-<i>.jpg" (i from 1) in the report folder's
/// "thumbs" folder, each followed by its picture line on page 14, counting them into counts.
/// The store is read and cut in pieces, so its size does not matter; a store that cannot be
/// read (or is not a regular file) gives no picture; a picture that cannot be written still
/// gets its line and its count. Yields every 20 pictures.
void ExtractThumbnails(PhaseContext& context, const std::string& storePath, int64_t storeNumber,
                       DiskScanCounts& counts);

} // namespace vorlith
