#include "sources/freedesktop_thumbnails.h"

#include "platform/file_access.h"
#include "platform/file_system.h"
#include "sources/png_text.h"

#include <algorithm>

namespace vorlith {
namespace {

constexpr std::string_view kUriKey = "Thumb::URI";
constexpr std::string_view kModifiedKey = "Thumb::MTime";
constexpr std::string_view kPngSignature{"\x89PNG\r\n\x1A\n", 8};

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

bool endsWithPng(std::string_view name) {
    return name.size() > 4 && name.substr(name.size() - 4) == ".png";
}

FreedesktopPreview readPreview(const platform::ThumbnailFolder& folder, const std::string& name) {
    FreedesktopPreview preview;
    preview.path = platform::JoinPath(folder.path, name);
    preview.folder = folder.path;
    preview.size = folder.size;
    platform::SystemError error;
    auto file = platform::OpenRegularFile(preview.path, &error);
    if (!file) {
        preview.problem = "cannot be opened: " + error.description;
        return preview;
    }
    PngText text = ReadPngText(*file);
    preview.problem = std::move(text.problem);
    for (const PngTextEntry& entry : text.entries) {
        if (entry.keyword == kUriKey && preview.originalUri.empty())
            preview.originalUri = entry.text;
        else if (entry.keyword == kModifiedKey && !preview.originalTime)
            preview.originalTime = ParseThumbMTime(entry.text);
    }
    if (auto originalPath = FileUriPath(preview.originalUri)) {
        preview.originalPath = std::move(*originalPath);
        switch (platform::ExaminePath(preview.originalPath)) {
        case platform::PathPresence::Present:
            preview.original = OriginalState::Exists;
            break;
        case platform::PathPresence::Absent:
            preview.original = OriginalState::Missing;
            break;
        case platform::PathPresence::Unknown:
            break;
        }
    }
    return preview;
}

} // namespace

std::optional<std::string> FileUriPath(std::string_view uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.size() < kScheme.size())
        return std::nullopt;
    for (size_t i = 0; i < kScheme.size(); ++i) // the scheme's letters in any case
        if (kScheme[i] != (uri[i] >= 'A' && uri[i] <= 'Z' ? uri[i] - 'A' + 'a' : uri[i]))
            return std::nullopt;
    std::string_view rest = uri.substr(kScheme.size());
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost")
        return std::nullopt;
    rest.remove_prefix(slash);
    std::string path;
    path.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 &&
            hexValue(rest[i + 2]) >= 0) {
            const char byte = static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2]));
            if (byte == '\0')
                return std::nullopt;
            path += byte;
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

std::optional<int64_t> ParseThumbMTime(std::string_view text) {
    const std::string_view whole = text.substr(0, text.find('.'));
    if (whole.empty() || whole.size() > 18)
        return std::nullopt;
    int64_t seconds = 0;
    for (char digit : whole) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        seconds = seconds * 10 + (digit - '0');
    }
    if (whole.size() < text.size()) {
        const std::string_view fraction = text.substr(whole.size() + 1);
        if (!std::all_of(fraction.begin(), fraction.end(),
                         [](char digit) { return digit >= '0' && digit <= '9'; }))
            return std::nullopt;
    }
    return seconds;
}

FreedesktopPreviewList
ListFreedesktopPreviews(const std::vector<platform::ThumbnailFolder>& folders, RunControl& run,
                        ProgressSink& progress) {
    FreedesktopPreviewList list;
    progress.setProgressMaximum(static_cast<int64_t>(folders.size()));
    int64_t read = 0;
    for (size_t index = 0; index < folders.size(); ++index) {
        const platform::ThumbnailFolder& folder = folders[index];
        std::vector<std::string> names;
        if (auto listing = platform::ListFolder(folder.path))
            while (auto entry = listing->next())
                if (entry->kind == platform::EntryKind::File && endsWithPng(entry->name))
                    names.push_back(entry->name);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            list.previews.push_back(readPreview(folder, name));
            if (++read % 20 == 0) {
                run.yield();
                if (run.isCanceled()) {
                    list.end = PhaseEnd::Stopped;
                    return list;
                }
            }
        }
        progress.setProgress(static_cast<int64_t>(index + 1));
    }
    return list;
}

std::string DesktopPreviewName(int64_t number) {
    return "desktop-" + std::to_string(number) + ".png";
}

DesktopThumbFindings CopyFreedesktopPreviews(const std::vector<std::string>& driveRoots,
                                             platform::OutputFolder* thumbsFolder, RunControl& run,
                                             ProgressSink& progress) {
    DesktopThumbFindings findings;
    FreedesktopPreviewList list =
        ListFreedesktopPreviews(platform::FindThumbnailFolders(driveRoots), run, progress);
    findings.end = list.end;
    if (list.end == PhaseEnd::Stopped)
        return findings;

    std::string bytes;
    int64_t copiedCount = 0;
    for (FreedesktopPreview& preview : list.previews) {
        if (preview.size == platform::ThumbnailSize::Failed || !preview.problem.empty())
            continue;
        auto file = platform::OpenRegularFile(preview.path);
        if (!file || file->size() > kLargestPreview)
            continue;
        // The size the file had when it was opened, read whole: a preview is small.
        bytes.resize(static_cast<size_t>(file->size()));
        bytes.resize(file->readAt(0, bytes.data(), bytes.size()));
        if (!bytes.starts_with(kPngSignature))
            continue;
        CopiedPreview copied;
        copied.fileName = DesktopPreviewName(static_cast<int64_t>(findings.previews.size()) + 1);
        if (thumbsFolder)
            if (auto out = thumbsFolder->createFile(copied.fileName)) {
                out->write(bytes);
                out->close();
            }
        if (preview.original == OriginalState::Missing)
            ++findings.deletedCount;
        copied.preview = std::move(preview);
        findings.previews.push_back(std::move(copied));
        if (++copiedCount % 20 == 0) {
            run.yield();
            if (run.isCanceled()) {
                findings.end = PhaseEnd::Stopped;
                return findings;
            }
        }
    }
    return findings;
}

} // namespace vorlith
