#include "sources/firefox_cache.h"

namespace vorlith {

// The pass comes with the disk-scan work; until then pages 15 and 16 hold only head and foot.
void Find_Firefox_Cache_Click(PhaseContext&, DiskScanCounts&) {}

} // namespace vorlith
