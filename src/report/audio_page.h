#pragma once
// The audio page: the audio files found, tagged ones first with their ID3v1 texts, then the
// others under their file titles.

#include "report/page_run.h"
#include "scan/audio_files.h"
#include "scan/found_files.h"

namespace vorlith {

/// First section: the warning and Umbrafile lines, then every ".mp3", ".mpeg3" and ".wma" file
/// whose tag names an artist, each with its tag line and link line. Leaves the status and the
/// progress bar set up for the second section.
void WriteAudioFirstSection(PageRun& run, const FoundFileList& audio,
                            const AudioFindings& findings);

/// Second section: every ".mp3", ".mpeg3" and ".wma" file without an artist in its tag (or whose
/// tag cannot be read), and every ".m4a" and ".ogg" file, under its file title with its link
/// line. Yields every 20 entries.
void WriteAudioSecondSection(PageRun& run, const FoundFileList& audio,
                             const AudioFindings& findings);

} // namespace vorlith
