#include "sources/firefox_cache.h"

#include "platform/file_access.h"
#include "platform/file_system.h"
#include "report/html_text.h"
#include "report/links.h"
#include "report/page_frame.h"
#include "report/page_set.h"
#include "scan/jpeg_splitter.h"

#include <algorithm>
#include <vector>

namespace vorlith {
namespace {

constexpr size_t kIniValueLimit = 254;            // characters a value keeps
constexpr uint64_t kIniReadLimit = 4u << 20;      // bytes of a profile list read at most
constexpr size_t kFirstLinePieceSize = 64u << 10; // bytes read at a time by IsCachedJpeg

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool sameIgnoringCase(std::string_view left, std::string_view right) {
    if (left.size() != right.size())
        return false;
    for (size_t i = 0; i < left.size(); ++i) {
        char a = left[i], b = right[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

void writeToBoth(PageFile& first, PageFile& second, const std::string& line) {
    first.writeLine(line);
    second.writeLine(line);
}

} // namespace

std::string FindIniValue(std::string_view text, std::string_view section, std::string_view key) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool inSection = false;
    bool sectionSeen = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.front() == '[') {
            // Only the first section of that name counts.
            if (inSection)
                return "";
            const size_t close = line.find(']');
            std::string_view name = trimmed(line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            inSection = !sectionSeen && sameIgnoringCase(name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos ||
            !sameIgnoringCase(trimmed(line.substr(0, equals)), key))
            continue;
        std::string_view value = trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value.substr(0, kIniValueLimit));
    }
    return "";
}

std::string ReadIniValue(std::string_view section, std::string_view key, const std::string& file) {
    auto input = platform::OpenRegularFile(file);
    if (!input)
        return "";
    std::string text(static_cast<size_t>(std::min(input->size(), kIniReadLimit)), '\0');
    text.resize(input->readAt(0, text.data(), text.size()));
    return FindIniValue(text, section, key);
}

bool FolderExists(const std::string& path) {
    return platform::PathExists(path);
}

std::vector<std::string> ListFolderFiles(const std::string& folder) {
    std::vector<std::string> names;
    auto listing = platform::ListFolder(folder);
    if (!listing)
        return names;
    while (auto entry = listing->next()) {
        const bool isFile = entry->kind == platform::EntryKind::File ||
                            (entry->kind != platform::EntryKind::Folder && !entry->name.empty() &&
                             entry->name != "." && entry->name != ".." &&
                             !platform::FolderExists(platform::JoinPath(folder, entry->name)));
        if (isFile && !entry->name.empty())
            names.push_back(entry->name);
    }
    return names;
}

FirstLineJpegTest::Verdict FirstLineJpegTest::feed(std::string_view bytes) {
    std::string window = m_tail;
    window.append(bytes);
    const size_t lineEnd = window.find("\r\n");
    const std::string_view line =
        std::string_view(window).substr(0, lineEnd == std::string::npos ? window.size() : lineEnd);
    if (line.find(kJpegStartMarker) != std::string_view::npos)
        return Verdict::Jpeg;
    if (lineEnd != std::string::npos)
        return Verdict::NotJpeg;
    // A marker or a CR LF pair may straddle this piece and the next.
    m_tail = window.substr(window.size() - std::min<size_t>(window.size(), 3));
    return Verdict::Undecided;
}

bool IsCachedJpeg(const std::string& path) {
    if (path.empty() || path.back() == '_')
        return false;
    auto file = platform::OpenRegularFile(path);
    if (!file)
        return false;
    FirstLineJpegTest test;
    std::vector<char> buffer(kFirstLinePieceSize);
    const uint64_t size = file->size();
    for (uint64_t offset = 0; offset < size;) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - offset));
        const size_t got = file->readAt(offset, buffer.data(), wanted);
        if (got == 0)
            break;
        offset += got;
        const auto verdict = test.feed(std::string_view(buffer.data(), got));
        if (verdict != FirstLineJpegTest::Verdict::Undecided)
            return verdict == FirstLineJpegTest::Verdict::Jpeg;
    }
    return test.finish() == FirstLineJpegTest::Verdict::Jpeg;
}

FirefoxProfile FindFirefoxProfile(const platform::FirefoxFolders& folders) {
    FirefoxProfile profile;
    profile.FirefoxProfileName = ReadIniValue("Profile0", "Path", folders.profileList);
    const bool isRelative = ReadIniValue("Profile0", "IsRelative", folders.profileList) == "1";
    if (profile.FirefoxProfileName.empty()) {
        profile.FirefoxProfilePath = folders.roamingRoot;
        profile.FirefoxLocalProfilePath = folders.localRoot;
    } else if (isRelative) {
        profile.FirefoxProfilePath =
            platform::JoinPath(folders.roamingRoot, profile.FirefoxProfileName);
        profile.FirefoxLocalProfilePath =
            platform::JoinPath(folders.localRoot, profile.FirefoxProfileName);
    } else {
        // Firefox keeps an absolute profile's cache inside the profile itself.
        profile.FirefoxProfilePath = profile.FirefoxProfileName;
        profile.FirefoxLocalProfilePath = profile.FirefoxProfileName;
    }
    return profile;
}

std::string ChooseFirefoxCacheFolder(const FirefoxProfile& profile) {
    const std::string entries = platform::JoinPath("cache2", "entries");
    const std::string candidates[] = {
        platform::JoinPath(profile.FirefoxProfilePath, "Cache"),
        platform::JoinPath(profile.FirefoxLocalProfilePath, "Cache"),
        platform::JoinPath(profile.FirefoxLocalProfilePath, entries),
        platform::JoinPath(profile.FirefoxProfilePath, entries),
    };
    for (const std::string& folder : candidates)
        if (FolderExists(folder))
            return folder;
    return candidates[1];
}

void Find_Firefox_Cache_Click(PhaseContext& context, DiskScanCounts& counts) {
    Find_Firefox_Cache_Click(context, counts, platform::LookupFirefoxFolders());
}

void Find_Firefox_Cache_Click(PhaseContext& context, DiskScanCounts& counts,
                              const platform::FirefoxFolders& folders) {
    MainWindow& window = context.window;
    FoundFileList& files = window.lists.lstFirefox;
    PageFile& firstPage = context.pages.page(pages::kFirefoxCache.number);
    PageFile& secondPage = context.pages.page(pages::kFirefoxCache2.number);
    const std::string deleteLink = ErazentPurchaseLink(context.totals.TotalTraces);

    counts.FirefoxImageCount = 0;
    window.lblStatus.caption = "Searching for Mozilla Firefox internet traces...";
    context.run.yield();
    writeToBoth(firstPage, secondPage, kTracesWarningLine);
    writeToBoth(firstPage, secondPage,
                "<H3><A HREF=" + deleteLink +
                    " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a>"
                    "</H3>");

    const std::string cacheFolder = ChooseFirefoxCacheFolder(FindFirefoxProfile(folders));
    for (const std::string& name : ListFolderFiles(cacheFolder))
        files.AddToList(platform::JoinPath(cacheFolder, name));

    window.lblStatus.caption = "Analyzing Mozilla Firefox internet traces...";
    context.run.yield();
    window.pBar.max = std::max<int64_t>(static_cast<int64_t>(files.size()) - 1, 0);
    window.pBar.value = 0;

    for (size_t index = 0; index < files.size(); ++index) {
        const std::string& path = files[index];
        window.lblStatus2.caption = path;
        window.pBar.value = static_cast<int64_t>(index);
        if (index % 25 == 0)
            context.run.yield();
        if (!IsCachedJpeg(path))
            continue;
        const bool onFirstPage = counts.FirefoxImageCount < kFirefoxFirstPagePictures;
        PageFile& page = onFirstPage ? firstPage : secondPage;
        page.writeLine("<IMG SRC=\"" + FileUrl(path) +
                       "\"><BR><BR><B>Location on YOUR Computer:</B> " + HtmlEscape(path) + "<BR>");
        page.writeLine("<A HREF=" + deleteLink +
                       " TARGET=_BLANK><B>Use Erazent to Securely Delete this Image Now!</B></a>"
                       "<BR><HR><BR>");
        ++counts.FirefoxImageCount;
        if (onFirstPage && counts.FirefoxImageCount == kFirefoxFirstPagePictures)
            firstPage.writeLine("<H1><A HREF=Vorlith_firefox_cache2.html>Vorlith Results: "
                                "FIREFOX CACHE - PAGE 2</A></H1>");
    }

    window.lblStatus.caption = "Writing Mozilla Firefox internet scan results...";
    window.lblStatus2.caption.clear();
    context.run.yield();
}

} // namespace vorlith
