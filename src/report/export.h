#pragma once
// The audit as one file that tools can sort, filter and compare: every finding as JSON (the disk
// findings, the browser traces and the summary's totals), or the browser traces as one CSV
// table. The file is written as the findings arrive, never held whole in memory, under a
// temporary name in the chosen folder, and takes its name only when the run has finished.

#include "base/calendar.h"
#include "classify/keywords.h"
#include "report/page_run.h"
#include "report/url_cache_counts.h"
#include "scan/audio_files.h"
#include "scan/found_files.h"
#include "scan/scan_counts.h"
#include "scan/thumb_stores.h"
#include "sources/firefox_cache.h"
#include "sources/freedesktop_thumbnails.h"
#include "sources/url_cache.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vorlith {

enum class ExportFormat { Json, Csv };

/// The format a file name asks for by its ending: ".json" or ".csv" in any letter case;
/// std::nullopt for any other.
std::optional<ExportFormat> ExportFormatOf(std::string_view path);

/// Why an export cannot go to the path ("" when it can): its ending names no format, its folder
/// does not exist, or something stands at its name that is not a previous export of the same
/// format (a symbolic link, a folder, a device, or a file that does not begin as an export
/// does). A previous export is replaced; anything else is left alone.
std::string CheckExportTarget(const std::string& path);

/// The kind of a browser trace: the URL-cache list it is in.
enum class TraceKind { CachedFile, History, Cookie };

/// Categories as bits: 1 << TraceCategory.
using CategorySet = uint8_t;

/// The categories under which the report pages list a trace with this address (the entry's
/// name): a cached picture ("jpg", "jpeg") under each of the explicit (the explicit or the gay
/// list), gambling, personals, sports and news lists that match it, and under teen when that list
/// matches a picture or a "png"; a history entry, when the history page lists it at all, and a
/// cookie under each of the five lists that matches, or else under Other. Other cached files
/// have none.
CategorySet TraceCategories(TraceKind kind, std::string_view address);

/// The counts of the summary page, as the run left them.
struct ExportTotals {
    const UrlCacheLists& lists;
    const TraceTotals& traces;
    const UrlCachePageCounts& pages;
    const DiskScanCounts& disk;
    int64_t firefoxImageCount = 0;
};

/// One export being written. Destroyed before finish() succeeded, it leaves nothing behind.
class AuditExport {
public:
    /// Checks the target (CheckExportTarget) and opens a new file in its folder with the head
    /// of the format (`created` is the local time the JSON head names). nullptr, with the reason
    /// in `problem`, when the target is refused or the file cannot be created.
    static std::unique_ptr<AuditExport> Begin(const std::string& path, const DateTime& created,
                                              std::string* problem);
    virtual ~AuditExport() = default;

    // Disk findings, in the order the run produces them (the CSV table leaves them out).
    /// The audio files of the list with their kinds and tags (findings.files in the list's
    /// order); entries of no audio kind are left out, as the audio page leaves them out.
    virtual void addAudioFiles(const FoundFileList& audio, const AudioFindings& findings) = 0;
    virtual void addVideoFiles(const FoundFileList& videos) = 0;
    /// The stores with their pictures, then the desktop's previews, the pictures named in
    /// `shownThumbsFolder` (where the pages show them).
    virtual void addThumbStores(const ThumbFindings& thumbs, const DesktopThumbFindings& previews,
                                const std::string& shownThumbsFolder) = 0;
    virtual void addFirefoxPictures(const FirefoxCacheFindings& firefox) = 0;

    /// Every entry of the three lists, each with its origin and categories.
    virtual void addBrowserTraces(const UrlCacheLists& lists) = 0;
    /// The summary's counts (the CSV table leaves them out).
    virtual void addTotals(const ExportTotals& totals) = 0;

    /// Ends the file and puts it in place, after checking again that what now stands at the
    /// name may be replaced. False, with the reason in `problem`, when it could not be written
    /// or was refused; nothing is left behind then.
    virtual bool finish(std::string* problem) = 0;
};

} // namespace vorlith
