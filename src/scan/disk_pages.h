#pragma once
// The pages the disk scan writes: the audio page (page 10) and the thumbnails page (page 14).

#include "app/phase_context.h"
#include "scan/scan_counts.h"

namespace vorlith {

/// Audio page, first section: warning, Umbrafile link, the tagged audio files; then the status
/// and progress set-up of the second section.
void WriteAudioFirstSection(PhaseContext& context, DiskScanCounts& counts);
/// Audio page, second section: the audio files without tags.
void WriteAudioSecondSection(PhaseContext& context);
/// Cuts the pictures out of every thumbnail store and writes the body of page 14.
void ProcessThumbStores(PhaseContext& context, DiskScanCounts& counts);

} // namespace vorlith
