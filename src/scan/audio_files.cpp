#include "scan/audio_files.h"

#include "base/text.h"
#include "platform/file_system.h"
#include "scan/id3v1.h"

namespace vorlith {

AudioKind AudioKindOf(std::string_view path) {
    if (EndsWithNoCase(path, ".mp3") || EndsWithNoCase(path, ".mpeg3"))
        return AudioKind::Mp3;
    if (EndsWithNoCase(path, ".wma"))
        return AudioKind::Wma;
    if (EndsWithNoCase(path, ".m4a"))
        return AudioKind::M4a;
    if (EndsWithNoCase(path, ".ogg"))
        return AudioKind::Ogg;
    return AudioKind::None;
}

std::string_view FileTitleFromPath(std::string_view path) {
    const size_t separator = path.rfind(platform::kPathSeparator);
    std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
    return name.substr(0, name.find('.'));
}

AudioFindings ReadAudioTags(RunControl& run, ProgressSink& progress, const FoundFileList& audio,
                            TagsReadAhead ahead) {
    AudioFindings findings;
    // The tags read ahead are kept where they are (the page finds them by index); tags read
    // here follow them.
    const size_t tagsAhead = ahead.tags.size();
    findings.tags = std::move(ahead.tags);
    size_t nextAhead = 0; // the first file read ahead not yet reached
    findings.files.reserve(audio.size());
    progress.setStatus("Creating results for DRM-free Music files w/ ID3 tags...");
    progress.setProgressMaximum(static_cast<int64_t>(audio.size()));

    cMP3ID3v1 reader;
    for (size_t index = 0; index < audio.size(); ++index) {
        AudioFile file;
        file.kind = AudioKindOf(audio[index]);
        switch (file.kind) {
        case AudioKind::Mp3:
            ++findings.counts.Mp3Count;
            break;
        case AudioKind::Wma:
            ++findings.counts.WmaCount;
            break;
        case AudioKind::M4a:
            ++findings.counts.M4aCount;
            break;
        case AudioKind::Ogg:
            ++findings.counts.OggCount;
            break;
        case AudioKind::None:
            break;
        }
        while (nextAhead < ahead.files.size() && ahead.files[nextAhead].index < index)
            ++nextAhead;
        if (nextAhead < ahead.files.size() && ahead.files[nextAhead].index == index) {
            if (const int32_t tag = ahead.files[nextAhead].tag;
                tag >= 0 && static_cast<size_t>(tag) < tagsAhead)
                file.tag = tag;
        } else if (file.kind == AudioKind::Mp3 || file.kind == AudioKind::Wma) {
            // A file that cannot be opened leaves the reader's fields empty: it counts as
            // untagged, which is all the page needs to know.
            [[maybe_unused]] TagResult ignored = reader.MP3File(audio[index]);
            if (!reader.Artist().empty()) {
                file.tag = static_cast<int32_t>(findings.tags.size());
                findings.tags.push_back(
                    {reader.Artist(), reader.Title(), reader.Album(), reader.Year()});
            }
        }
        findings.files.push_back(file);
        progress.setProgress(static_cast<int64_t>(index));
        if (index % 20 == 0)
            run.yield();
    }
    return findings;
}

} // namespace vorlith
