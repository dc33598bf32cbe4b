#pragma once
// The drive walker: lists every entry below a root and sorts audio, video and thumbnail-store
// names into the found-file lists.

#include "base/run_control.h"
#include "platform/drives.h"
#include "platform/walk_folder.h"
#include "scan/found_files.h"
#include "scan/scan_counts.h"

#include <string>

namespace vorlith {

class AudioTagReader;

/// Walks the whole tree below root, depth first, filling lists.lstResult (audio), lstVideos and
/// lstThumbs and counting into progress. A separator is appended to root when it lacks one.
/// Each folder's entries are all listed (a yield and a cancel test per entry, FilesSearched
/// counted, CurrentFolder set at each folder entry), then sorted in listing order: the first of
/// the twelve name texts that the lower-cased name contains decides the list (a folder is
/// listed with its trailing separator), and every folder is walked in turn whether or not its
/// name matched. The walk stays on the root's file system, never follows a symbolic link (a
/// link is recorded like a file) and skips folders and entries it cannot read without a word.
/// The cancel flag is tested after every listed entry and at every 100th record sorted; once it
/// is raised the walk stops and Stopped comes back (the lists keep what was added). With `tags`,
/// each audio entry the listing reports as a regular file is offered to it as it is recorded,
/// with its index in lists.lstResult.
PhaseEnd FindFiles(RunControl& run, FoundFiles& lists, WalkProgress& progress,
                   const std::string& root, AudioTagReader* tags = nullptr);

/// The same walk over a root folder already opened (nullptr: the root cannot be listed, nothing
/// is recorded). rootPath names the root in the recorded paths and must end in a separator.
/// Tests give a folder tree of their own here.
PhaseEnd WalkFolderTree(RunControl& run, FoundFiles& lists, WalkProgress& progress,
                        const std::string& rootPath, platform::WalkFolder* rootFolder,
                        AudioTagReader* tags = nullptr);

/// The name of a drive's type: "Unknown", "Not Found", "Floppy"/"Removable", "Fixed", "Remote",
/// "CD-ROM", "RAM Disk", or "" for any other code. The audit decides by the type itself; the
/// name is for people.
std::string GetDriveTypeName(platform::DriveSource& drives, const std::string& drive);

} // namespace vorlith
