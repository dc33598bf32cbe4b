#pragma once
// The drive walker: lists every entry below a root and sorts audio, video and thumbnail-store
// names into the found-file lists.

#include "app/phase_context.h"
#include "platform/drives.h"
#include "scan/found_files.h"
#include "scan/scan_counts.h"

#include <string>

namespace vorlith {

/// Walks the whole tree below root, filling lists.lstResult (audio), lstVideos and lstThumbs and
/// counting into progress. Stops when the run is cancelled.
void FindFiles(RunControl& run, FoundFiles& lists, WalkProgress& progress, const std::string& root);

/// The name of a drive's type: "Unknown", "Not Found", "Floppy"/"Removable", "Fixed", "Remote",
/// "CD-ROM", "RAM Disk", or "" for any other code.
std::string GetDriveTypeName(platform::DriveSource& drives, const std::string& drive);

} // namespace vorlith
