#include "scan/disk_pages.h"

namespace vorlith {

// The audio and thumbnail passes come with the disk-scan work; until then they write nothing
// between the pages' heads and feet.
void WriteAudioFirstSection(PhaseContext&, DiskScanCounts&) {}
void WriteAudioSecondSection(PhaseContext&) {}
void ProcessThumbStores(PhaseContext&, DiskScanCounts&) {}

} // namespace vorlith
