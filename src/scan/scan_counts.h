#pragma once
// Counters of the disk-scan phases, reset when a run's disk scan starts and printed on the
// summary page.

#include <cstdint>
#include <string>

namespace vorlith {

/// Walk progress, shown by the progress timer.
struct WalkProgress {
    int64_t FilesSearched = 0; // entries examined, files and folders alike
    std::string CurrentFolder; // the folder entry most recently recorded
    int64_t FoldersUnreadable = 0; // folders of the walk that could not be opened
};

struct DiskScanCounts {
    int64_t Mp3Count = 0; // ".mp3" and ".mpeg3"
    int64_t WmaCount = 0;
    int64_t M4aCount = 0;
    int64_t OggCount = 0;
    int64_t ThumbStoreCount = 0; // thumbnail stores processed
    int64_t ThumbImageCount = 0; // whole pictures taken out of them
    int64_t DesktopThumbCount = 0;        // the desktop's previews (Linux) shown
    int64_t DeletedDesktopThumbCount = 0; // those of them whose original is gone
};

} // namespace vorlith
