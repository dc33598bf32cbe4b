#pragma once
// The desktop's own preview store on Linux: PNG files in the freedesktop thumbnail folders, each
// named by the MD5 of its original's URI and carrying that URI (Thumb::URI) and the original's
// modification time (Thumb::MTime) in its text chunks. The previews outlive their originals, so
// a preview whose original is gone is a trace of a file that was deleted.

#include "base/progress.h"
#include "base/run_control.h"
#include "platform/output_folder.h"
#include "platform/thumbnail_locations.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

enum class OriginalState {
    Exists,
    Missing, // the system says there is nothing at the original's path
    Unknown, // not a local file (another URI scheme, no URI), or the system cannot tell
};

struct FreedesktopPreview {
    std::string path;   // the preview's PNG file
    std::string folder; // the thumbnail folder it lies in
    platform::ThumbnailSize size = platform::ThumbnailSize::Normal;
    std::string originalUri;             // Thumb::URI as stored; "" when the file has none
    std::string originalPath;            // a file: URI's path, percent-decoded; "" otherwise
    std::optional<int64_t> originalTime; // Thumb::MTime: seconds since 1970-01-01 UTC
    OriginalState original = OriginalState::Unknown;
    std::string problem; // why the text could not be read to its end ("" when it could)
};

struct FreedesktopPreviewList {
    std::vector<FreedesktopPreview> previews; // folder by folder, each by file name
    PhaseEnd end = PhaseEnd::Finished;
};

/// The local path a "file:" URI names, percent-decoded: "file:///home/a%20b.png" and
/// "file://localhost/home/a%20b.png" give "/home/a b.png". std::nullopt for another scheme, a
/// remote host, a path that is not absolute, or an escape that decodes to NUL. A '%' not
/// followed by two hexadecimal digits is kept as it is.
std::optional<std::string> FileUriPath(std::string_view uri);

/// Thumb::MTime's decimal seconds; std::nullopt unless the text is 1 to 18 digits, optionally
/// with a fraction after a point (ignored), as some writers give.
std::optional<int64_t> ParseThumbMTime(std::string_view text);

/// Lists the previews of the folders (see platform::FindThumbnailFolders): every regular file
/// ending in ".png" directly in each folder, symbolic links left alone, each read for its text
/// chunks only. Yields every 20 previews and returns what was found so far, Stopped, at the first
/// yield after a cancel; the progress bar counts the folders.
FreedesktopPreviewList
ListFreedesktopPreviews(const std::vector<platform::ThumbnailFolder>& folders, RunControl& run,
                        ProgressSink& progress);

/// A preview as the thumbnail pass copied it into the report's thumbs folder.
struct CopiedPreview {
    FreedesktopPreview preview;
    std::string fileName; // in the thumbs folder: DesktopPreviewName
};

struct DesktopThumbFindings {
    std::vector<CopiedPreview> previews; // folder by folder, each by file name
    int64_t deletedCount = 0;            // previews whose original is Missing
    PhaseEnd end = PhaseEnd::Finished;
};

/// The largest preview copied (bytes); a larger file is no preview the desktop made.
inline constexpr uint64_t kLargestPreview = 16ull << 20;

/// "desktop-<number>.png", the number counting the copied previews from 1.
std::string DesktopPreviewName(int64_t number);

/// The previews of this user's thumbnail folders and of every home below the drive roots (see
/// platform::FindThumbnailFolders), copied into the open thumbs folder (nullptr: none can be
/// written, they are listed all the same). Left out: the failure markers (no picture), previews
/// whose chunks could not be walked to their end chunk (no whole picture), and files that cannot
/// be read, are larger than kLargestPreview or no longer begin with the PNG signature when they
/// are copied. Yields and stops as ListFreedesktopPreviews does, and every 20 copies.
DesktopThumbFindings CopyFreedesktopPreviews(const std::vector<std::string>& driveRoots,
                                             platform::OutputFolder* thumbsFolder, RunControl& run,
                                             ProgressSink& progress);

} // namespace vorlith
