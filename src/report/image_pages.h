#pragma once
// The category image pages of the URL-cache audit: the pictures in the browser's cache whose
// address matches a keyword list, each shown from its cached file with its address (the match
// highlighted), its location and a deletion link. The video page is filled on the way.

#include "classify/keywords.h"
#include "report/cached_file_classes.h"
#include "report/page_run.h"
#include "report/url_cache_counts.h"
#include "sources/url_cache.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

struct ImagePagesInput {
    const UrlCacheList& CacheContentList;
    /// What each cached file's address names and matches (shared with the summary's galleries,
    /// so that each address is searched once per audit).
    const CachedFileClasses& classes;
    /// Writes the uninstall notice to the summary page; empty when the program was not started
    /// for an uninstall. Called once, after the pre-counts, when the run was not cancelled.
    std::function<void()> writeUninstallNotice;
};

/// Writes the bodies of the two explicit pages, the teen page, the gambling, social, sports and
/// news pages and the video page to the open pages of `run`, and the picture counts and the
/// cached-file size total to `counts` (which the caller starts at 0). Stopped when the run was
/// cancelled at one of the pass's cancel points (after the pre-counts, after the teen page, at
/// the start of each category page); nothing more was written then. The gay page gets no body.
PhaseEnd WriteImagePages(PageRun& run, const ImagePagesInput& input, UrlCachePageCounts& counts);

/// The picture test: the address, lower-cased, ends in "jpg" or "jpeg" (no dot needed, nothing
/// after it allowed). The teen page also takes "png".
bool IsPicture(std::string_view address);
bool IsTeenPicture(std::string_view address);

/// The line showing a picture from its cached file, linked as LocalFileUrl does from the folder
/// the pages stand in.
std::string PictureLine(std::string_view localFile, std::string_view reportFolder = {});

/// The line with the address and its match highlighted: the bytes before the match, the match,
/// the rest, each escaped after the cut. Parts past the end are empty; no match (position 0)
/// gives the whole address before an empty highlight.
std::string SourceLine(std::string_view address, KeywordHit match);

/// Whose page a navigation bar stands on: that item is shown without a link. None links all.
enum class NavigationOwner { Explicit, Gambling, Personals, Sports, News, None };
std::string NavigationBar(NavigationOwner owner);

} // namespace vorlith
