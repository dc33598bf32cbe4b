#pragma once
// The thumbnail pass: every JPEG picture cut out of the hidden thumbnail stores the walk found,
// written into the report's "thumbs" folder.

#include "base/progress.h"
#include "base/run_control.h"
#include "platform/output_folder.h"
#include "scan/found_files.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// True when the lower-cased path ends in "thumbs.db" or holds "thumbcache_" anywhere.
bool IsThumbStoreName(std::string_view path);

/// The pictures cut out of one store.
struct ThumbStore {
    std::string path;                  // the store
    std::vector<std::string> pictures; // file names in the thumbs folder, in the store's order
};

struct ThumbFindings {
    std::vector<ThumbStore> stores; // the stores that passed the name test, in list order
    int64_t pictureCount = 0;       // pictures of all stores
};

/// "<store>-<picture>.jpg": the store's position in the list of stores, the picture's number in
/// that store from 1.
std::string ThumbPictureName(int64_t storeNumber, int64_t pictureNumber);

/// Cuts one store into pictures named ThumbPictureName(storeNumber, i) in thumbsFolder (created
/// when missing). The store is read and cut in pieces, so its size does not matter; a store that
/// cannot be read (or is not a regular file) gives no picture; a picture that cannot be written
/// is still listed. Shows the store on the second status line and how far into it the cut has
/// got on the progress bar; yields every 20 pictures.
ThumbStore ExtractThumbnails(RunControl& run, ProgressSink& progress, const std::string& storePath,
                             int64_t storeNumber, const std::string& thumbsFolder);
/// The same into a thumbs folder already open (nullptr: no picture can be written).
ThumbStore ExtractThumbnails(RunControl& run, ProgressSink& progress, const std::string& storePath,
                             int64_t storeNumber, platform::OutputFolder* thumbsFolder);

/// Every store of the list that passes the name test, cut into pictures. Shows "Processing
/// images in your hidden thumbs.db files..."; Stopped (and nothing cut) when the run is already
/// cancelled as the pass begins; the cancel flag is not tested between stores. Yields every 20
/// stores.
PhaseEnd ProcessThumbStores(RunControl& run, ProgressSink& progress, const FoundFileList& stores,
                            const std::string& thumbsFolder, ThumbFindings& findings);

} // namespace vorlith
