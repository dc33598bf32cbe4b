#pragma once
// The thumbnail pass: every picture of the hidden thumbnail stores the walk found, taken whole by
// the store's own structure, written into the report's "thumbs" folder. What no structure
// accounts for (a damaged store, an unknown version, the free space of a compound file) is still
// cut at JPEG start markers, and only the pieces that are complete JPEG pictures are kept.

#include "base/calendar.h"
#include "base/progress.h"
#include "base/run_control.h"
#include "platform/output_folder.h"
#include "scan/found_files.h"
#include "scan/thumbnail_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// True when the lower-cased path ends in "thumbs.db" or holds "thumbcache_" anywhere.
bool IsThumbStoreName(std::string_view path);

/// One picture of a store, as the pass wrote it.
struct ThumbPicture {
    std::string fileName;     // in the thumbs folder (ThumbPictureName)
    std::string originalName; // the file the store says the picture shows ("" when it does not)
    std::optional<FileTime> originalTime; // that file's last change (UTC), when the store says
};

/// The pictures of one store.
struct ThumbStore {
    std::string path;                   // the store
    std::vector<ThumbPicture> pictures; // those read by the structure, then the complete cut ones
    /// What was wrong with the store, each located in it but without its path ("stream \"3\":
    /// the chain loops …", "cannot be opened: …").
    std::vector<std::string> notes;
};

struct ThumbFindings {
    std::vector<ThumbStore> stores; // the stores that passed the name test, in list order
    int64_t pictureCount = 0;       // pictures of all stores
};

/// "<store>-<picture><ending>": the store's position in the list of stores, the picture's number
/// in that store from 1, and the format's usual ending (".jpg", ".png", ".bmp"). Names never
/// come from the store's own keys.
std::string ThumbPictureName(int64_t storeNumber, int64_t pictureNumber,
                             PictureFormat format = PictureFormat::Jpeg);

/// Takes the pictures out of one store into the open thumbs folder (nullptr: none can be
/// written, they are listed all the same): those its structure holds (ReadThumbnailStore), each
/// whole, then, in every range of the store no structure accounts for, the pieces the cut at JPEG
/// start markers gives that are complete JPEG pictures (IsCompleteJpeg), each up to its end
/// marker; a piece that is not is skipped, and so is one whose picture has not ended within
/// kLargestStoredPicture bytes. A store that cannot be read (or is not a regular file) gives no
/// picture. The store is read in pieces up to the size it had when it was opened, so its size
/// does not matter. Shows the store on the second status line; yields every 20 pictures read by
/// the structure and every 20 cut pieces, and stops at the first yield after a cancel.
ThumbStore ExtractThumbnails(RunControl& run, ProgressSink& progress, const std::string& storePath,
                             int64_t storeNumber, platform::OutputFolder* thumbsFolder);

/// Every store of the list that passes the name test, its pictures written into thumbsFolder
/// (created when there is a store). Shows "Processing images in your hidden thumbs.db
/// files..."; Stopped (and nothing written) when the run is already cancelled as the pass begins,
/// and Stopped after the store during which the run was cancelled. Yields every 20 stores.
PhaseEnd ProcessThumbStores(RunControl& run, ProgressSink& progress, const FoundFileList& stores,
                            const std::string& thumbsFolder, ThumbFindings& findings);

} // namespace vorlith
