#pragma once
// The audio files the walk found, with their kinds and the ID3v1 texts the audio page shows.

#include "base/progress.h"
#include "base/run_control.h"
#include "scan/found_files.h"
#include "scan/scan_counts.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// The kind of an audio entry, decided by the end of its lower-cased path alone.
enum class AudioKind : uint8_t { None, Mp3, Wma, M4a, Ogg };
/// ".mp3"/".mpeg3", ".wma", ".m4a", ".ogg" in that order; None for anything else (a folder
/// entry ending in a separator, "song.mp3.bak").
AudioKind AudioKindOf(std::string_view path);

/// The name after the last separator, up to its first full stop ("" for ".hidden.ogg"): a view
/// into the path.
std::string_view FileTitleFromPath(std::string_view path);

/// The texts of a tag that names an artist.
struct AudioTagText {
    std::string Artist;
    std::string Title;
    std::string Album;
    std::string Year;
};

/// One entry of the audio list.
struct AudioFile {
    AudioKind kind = AudioKind::None;
    int32_t tag = -1; // index into AudioFindings::tags, -1 when the tag names no artist
};

struct AudioFindings {
    std::vector<AudioFile> files;   // one per entry of the audio list, in its order
    std::vector<AudioTagText> tags; // the tags that name an artist
    DiskScanCounts counts;          // Mp3Count, WmaCount, M4aCount and OggCount set

    const AudioTagText* tagOf(size_t index) const {
        const int32_t tag = files[index].tag;
        return tag < 0 ? nullptr : &tags[static_cast<size_t>(tag)];
    }
};

/// Tags read ahead of ReadAudioTags (see AudioTagReader), in the order of their entries.
struct TagsReadAhead {
    struct File {
        size_t index; // in the audio list
        int32_t tag;  // into tags; -1 when the tag names no artist or the file could not be read
    };
    std::vector<File> files;
    std::vector<AudioTagText> tags;
};

/// Counts every entry of the audio list by kind and reads the ID3v1 tag of every ".mp3",
/// ".mpeg3" and ".wma" file (the last 128 bytes only). A file that cannot be read, or whose tag
/// names no artist, has no tag text. Shows "Creating results for DRM-free Music files w/ ID3
/// tags..." with the entry's position on the progress bar, and yields every 20 entries; the
/// cancel flag is not tested. A file whose tag was read ahead is not read again.
AudioFindings ReadAudioTags(RunControl& run, ProgressSink& progress, const FoundFileList& audio,
                            TagsReadAhead ahead = {});

} // namespace vorlith
