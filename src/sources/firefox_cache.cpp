#include "sources/firefox_cache.h"

#include "base/ini.h"
#include "base/picture_formats.h"
#include "platform/file_access.h"
#include "platform/file_system.h"

#include <algorithm>
#include <vector>

namespace vorlith {
namespace {

constexpr uint64_t kIniReadLimit = 4u << 20;      // bytes of a profile list read at most
constexpr size_t kFirstLinePieceSize = 64u << 10; // bytes read at a time by IsCachedJpeg

} // namespace

std::string ReadIniValue(std::string_view section, std::string_view key, const std::string& file) {
    auto input = platform::OpenRegularFile(file);
    if (!input)
        return "";
    std::string text(static_cast<size_t>(std::min(input->size(), kIniReadLimit)), '\0');
    text.resize(input->readAt(0, text.data(), text.size()));
    return FindIniValue(text, section, key);
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
        if (platform::PathExists(folder))
            return folder;
    return candidates[1];
}

FirefoxCacheFindings FindFirefoxCachePictures(RunControl& run, ProgressSink& progress,
                                              const platform::FirefoxFolders& folders) {
    FirefoxCacheFindings findings;
    progress.setStatus("Searching for Mozilla Firefox internet traces...");
    run.yield();

    const std::string cacheFolder = ChooseFirefoxCacheFolder(FindFirefoxProfile(folders));
    for (const std::string& name : ListFolderFiles(cacheFolder))
        findings.files.push_back(platform::JoinPath(cacheFolder, name));

    progress.setStatus("Analyzing Mozilla Firefox internet traces...");
    run.yield();
    progress.setProgressMaximum(std::max<int64_t>(static_cast<int64_t>(findings.files.size()) - 1, 0));
    progress.setProgress(0);

    for (size_t index = 0; index < findings.files.size(); ++index) {
        const std::string& path = findings.files[index];
        progress.setDetail(path);
        progress.setProgress(static_cast<int64_t>(index));
        if (index % 25 == 0)
            run.yield();
        if (IsCachedJpeg(path))
            findings.pictures.push_back(path);
    }

    progress.setStatus("Writing Mozilla Firefox internet scan results...");
    progress.setDetail("");
    run.yield();
    return findings;
}

} // namespace vorlith
