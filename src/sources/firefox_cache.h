#pragma once
// The Firefox cache pass: the cached JPEG pictures of the user's Firefox profile on pages 15
// and 16.

#include "app/phase_context.h"
#include "scan/scan_counts.h"

namespace vorlith {

/// Writes the bodies of pages 15 and 16, fills lstFirefox and sets counts.FirefoxImageCount.
void Find_Firefox_Cache_Click(PhaseContext& context, DiskScanCounts& counts);

} // namespace vorlith
