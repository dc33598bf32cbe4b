#pragma once
// The report folder as the program keeps it: a folder it created itself (it carries a marker
// file), written one run at a time into a fresh staging folder inside it and moved into place
// only when the run finishes, so a cancelled or failed run leaves the last report as it was.

#include "platform/output_folder.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlith {

/// The file that marks a folder the program created for itself (the report folder and its
/// thumbs folder). Folders without it are never written into or emptied.
inline constexpr char kOwnFolderMarker[] = ".vorlith";
/// The sub-folder of the report folder that holds the pictures the pages show.
inline constexpr char kThumbsFolderName[] = "thumbs";
/// The pictures every report shows, copied into the report folder.
inline constexpr const char* kReportPictures[] = {"logo.gif", "video_tab_clickhere.gif"};

enum class ReportFolderState {
    Ready,       // the program's own folder, ready for a run
    NotOurs,     // it holds files the program did not write: refused
    CannotWrite, // it cannot be created or written
};

struct PreparedReportFolder {
    std::string path; // without a trailing separator
    ReportFolderState state = ReportFolderState::CannotWrite;
    std::string problem; // why it is not Ready, as a sentence for the user
};

/// Creates the folder (and its missing parents) when needed and takes it as the report folder
/// when it carries the marker, is empty, or holds nothing but what a report of this program
/// holds (the pages, the pictures, a thumbs folder of extracted pictures); it then gets the marker
/// and the pictures from assetFolder when they are missing. A thumbs folder that is a link, or
/// holds anything else, makes the folder NotOurs.
PreparedReportFolder PrepareReportFolderAt(const std::string& path, const std::string& assetFolder);

/// One run's pages and pictures: a fresh private folder inside the report folder, with its own
/// thumbs folder. Discarded (with everything in it) unless committed.
class ReportStaging {
public:
    /// Starts a run in the prepared report folder, first removing staging folders that runs
    /// which were killed left behind. nullptr with the reason when it cannot.
    static std::unique_ptr<ReportStaging> Begin(const std::string& reportFolder,
                                                std::string* problem);
    ~ReportStaging();

    /// Where the run writes its pages.
    const std::string& path() const { return m_staging->path(); }
    /// Where the run writes its pictures.
    std::string thumbsPath() const;

    /// Moves the pages and the thumbs folder into the report folder, replacing the previous
    /// report's (a link standing at a page's name is replaced, not followed), and removes the
    /// staging folder. False with the reason when a page could not be moved.
    bool commit(std::string* problem);

private:
    ReportStaging() = default;

    std::unique_ptr<platform::OutputFolder> m_report;
    std::unique_ptr<platform::OutputFolder> m_staging;
    std::string m_stagingName;
    bool m_committed = false;
};

/// Opens a folder the program created itself: a real folder (not a link) that carries the
/// marker. nullptr otherwise.
std::unique_ptr<platform::OutputFolder> OpenOwnFolder(const std::string& path);

} // namespace vorlith
