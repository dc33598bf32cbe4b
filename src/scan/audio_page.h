#pragma once
// The audio page (page 10): the audio files found, tagged ones first with their ID3v1 texts,
// then the others under their file titles, and the audio counters by kind.

#include "app/phase_context.h"
#include "scan/scan_counts.h"

#include <string>
#include <string_view>

namespace vorlith {

/// The kind of an audio entry, decided by the end of its lower-cased path alone.
enum class AudioKind { None, Mp3, Wma, M4a, Ogg };
/// ".mp3"/".mpeg3", ".wma", ".m4a", ".ogg" in that order; None for anything else (a folder
/// entry ending in a separator, "song.mp3.bak").
AudioKind AudioKindOf(std::string_view path);

/// The name after the last separator, up to its first full stop ("" for ".hidden.ogg").
std::string FileTitleFromPath(std::string_view path);

/// First section: the warning and Umbrafile lines, then every ".mp3", ".mpeg3" and ".wma" file
/// whose tag names an artist, each with its tag line and link line. Counts every entry by kind
/// into counts (all entries, no limit), yields every 20 entries and leaves the status and the
/// progress bar set up for the second section.
void WriteAudioFirstSection(PhaseContext& context, DiskScanCounts& counts);

/// Second section: every ".mp3", ".mpeg3" and ".wma" file without an artist in its tag (or whose
/// tag cannot be read), and every ".m4a" and ".ogg" file, under its file title with its link
/// line. Yields every 20 entries.
void WriteAudioSecondSection(PhaseContext& context);

} // namespace vorlith
