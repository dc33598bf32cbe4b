#include "report/report_folder.h"

#include "report/page_set.h"

#include <algorithm>

namespace vorlith {
namespace {

constexpr char kStagingPrefix[] = ".vorlith-run-";

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool isDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
}

// Pictures a run of this program puts in the thumbs folder: "3-12.jpg" taken out of a store,
// "cache-2-<hash>[.ext]" copied out of a browser's cache, "desktop-4.png" a desktop preview.
bool isOwnPictureName(std::string_view name) {
    if (startsWith(name, "cache-") || startsWith(name, "desktop-"))
        return true;
    const size_t dash = name.find('-');
    const size_t dot = name.rfind('.');
    return dash != std::string_view::npos && dot != std::string_view::npos && dot > dash &&
           isDigits(name.substr(0, dash)) && isDigits(name.substr(dash + 1, dot - dash - 1));
}

bool isReportFileName(std::string_view name) {
    for (PageId id : kAllPages)
        if (name == InfoOf(id).fileName)
            return true;
    for (const char* picture : kReportPictures)
        if (name == picture)
            return true;
    return name == kOwnFolderMarker || startsWith(name, kStagingPrefix);
}

bool carriesMarker(platform::OutputFolder& folder) {
    return folder.kindOf(kOwnFolderMarker) == platform::EntryKind::File;
}

bool writeMarker(platform::OutputFolder& folder) {
    if (carriesMarker(folder))
        return true;
    auto marker = folder.createFile(kOwnFolderMarker);
    if (!marker)
        return false;
    marker->write("Vorlith created this folder; it empties and replaces what is in it.\n");
    return marker->close();
}

// "" when the thumbs folder may be used (absent, or the program's own), else why not.
std::string checkThumbs(platform::OutputFolder& report) {
    const auto kind = report.kindOf(kThumbsFolderName);
    if (!kind)
        return "";
    const std::string path = platform::JoinPath(report.path(), kThumbsFolderName);
    if (*kind != platform::EntryKind::Folder)
        return path + " is not a folder Vorlith created (it is a link or a file)";
    auto thumbs = report.openFolder(kThumbsFolderName);
    if (!thumbs)
        return path + " cannot be opened";
    if (carriesMarker(*thumbs))
        return "";
    for (const platform::FolderEntry& entry : thumbs->entries())
        if (entry.kind != platform::EntryKind::File || !isOwnPictureName(entry.name))
            return path + " holds files Vorlith did not write (" + entry.name + ")";
    return writeMarker(*thumbs) ? "" : path + " cannot be written";
}

bool copyPicture(const std::string& from, platform::OutputFolder& folder, const char* name) {
    if (folder.kindOf(name))
        return true;
    auto bytes = platform::ReadWholeFile(from);
    auto file = bytes ? folder.createFile(name) : nullptr;
    if (!file)
        return false;
    file->write(*bytes);
    return file->close();
}

} // namespace

PreparedReportFolder PrepareReportFolderAt(const std::string& path, const std::string& assetFolder) {
    PreparedReportFolder prepared;
    prepared.path = path;
    platform::SystemError error;
    auto folder = platform::CreateOutputFolder(path, &error);
    if (!folder) {
        prepared.problem = "The report folder " + path + " cannot be created or opened: " +
                           error.description + ".";
        return prepared;
    }
    if (!carriesMarker(*folder)) {
        for (const platform::FolderEntry& entry : folder->entries()) {
            // The thumbs folder is looked at on its own below.
            if (entry.name != kThumbsFolderName && !isReportFileName(entry.name)) {
                prepared.state = ReportFolderState::NotOurs;
                prepared.problem = "The report folder " + path +
                                   " holds files Vorlith did not write (" + entry.name +
                                   "); choose an empty or new folder for the report.";
                return prepared;
            }
        }
    }
    if (std::string thumbsProblem = checkThumbs(*folder); !thumbsProblem.empty()) {
        prepared.state = ReportFolderState::NotOurs;
        prepared.problem = "The report folder cannot be used: " + thumbsProblem + ".";
        return prepared;
    }
    if (!writeMarker(*folder)) {
        prepared.problem = "The report folder " + path + " cannot be written.";
        return prepared;
    }
    // A picture that cannot be copied leaves the pages without it; the report still works.
    for (const char* picture : kReportPictures)
        copyPicture(platform::JoinPath(assetFolder, picture), *folder, picture);
    prepared.state = ReportFolderState::Ready;
    return prepared;
}

std::unique_ptr<platform::OutputFolder> OpenOwnFolder(const std::string& path) {
    auto folder = platform::OpenOutputFolder(path);
    if (!folder || !carriesMarker(*folder))
        return nullptr;
    return folder;
}

std::unique_ptr<ReportStaging> ReportStaging::Begin(const std::string& reportFolder,
                                                    std::string* problem) {
    std::unique_ptr<ReportStaging> staging(new ReportStaging());
    staging->m_report = OpenOwnFolder(reportFolder);
    if (!staging->m_report) {
        *problem = "The report folder " + reportFolder + " is not a folder Vorlith created.";
        return nullptr;
    }
    platform::OutputFolder& report = *staging->m_report;
    for (const platform::FolderEntry& entry : report.entries())
        if (entry.kind == platform::EntryKind::Folder && startsWith(entry.name, kStagingPrefix))
            report.removeTree(entry.name);
    if (std::string thumbsProblem = checkThumbs(report); !thumbsProblem.empty()) {
        *problem = "The report folder cannot be used: " + thumbsProblem + ".";
        return nullptr;
    }

    platform::SystemError error;
    staging->m_staging = report.createUniqueFolder(kStagingPrefix, &error);
    std::unique_ptr<platform::OutputFolder> thumbs;
    if (staging->m_staging)
        thumbs = staging->m_staging->createFolder(kThumbsFolderName, &error);
    if (!thumbs || !writeMarker(*thumbs)) {
        *problem = "The report folder " + reportFolder + " cannot be written: " +
                   (error.description.empty() ? "no room for a new folder" : error.description) +
                   ".";
        return nullptr;
    }
    staging->m_stagingName = platform::BaseName(staging->m_staging->path());
    return staging;
}

ReportStaging::~ReportStaging() {
    if (m_report && !m_stagingName.empty()) {
        m_staging.reset();
        m_report->removeTree(m_stagingName);
    }
}

std::string ReportStaging::thumbsPath() const {
    return platform::JoinPath(m_staging->path(), kThumbsFolderName);
}

bool ReportStaging::commit(std::string* problem) {
    platform::OutputFolder& report = *m_report;
    platform::OutputFolder& staging = *m_staging;
    platform::SystemError error;
    for (PageId id : kAllPages) {
        const char* name = InfoOf(id).fileName;
        if (!staging.kindOf(name))
            continue;
        if (!staging.moveTo(name, report, name, &error)) {
            *problem = "The report page " + platform::JoinPath(report.path(), name) +
                       " cannot be written: " + error.description + ".";
            return false;
        }
    }
    // The previous pictures go with the staging folder; the new ones take their place.
    if (report.kindOf(kThumbsFolderName)) {
        if (!staging.exchange(kThumbsFolderName, report, kThumbsFolderName)) {
            report.moveTo(kThumbsFolderName, staging, "thumbs-before", &error);
            staging.moveTo(kThumbsFolderName, report, kThumbsFolderName, &error);
        }
    } else {
        staging.moveTo(kThumbsFolderName, report, kThumbsFolderName, &error);
    }
    m_committed = true;
    return true;
}

} // namespace vorlith
