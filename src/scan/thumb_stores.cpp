#include "scan/thumb_stores.h"

#include "base/text.h"
#include "platform/file_access.h"
#include "platform/file_system.h"
#include "platform/output_folder.h"
#include "scan/jpeg_splitter.h"
#include "scan/jpeg_structure.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace vorlith {
namespace {

constexpr size_t kReadPieceSize = 1 << 20; // bytes read from a store at a time

// Writes the pictures of one store into the thumbs folder, numbered from 1 in the order they
// come, and lists them.
class PictureFiles final : public StoredPictureSink {
public:
    PictureFiles(platform::OutputFolder* folder, int64_t storeNumber, ThumbStore& store)
        : m_folder(folder), m_storeNumber(storeNumber), m_store(store) {}

    void addPicture(StoredPicture picture) override {
        write(picture.format, picture.bytes, std::move(picture.originalName), picture.originalTime);
    }

    void write(PictureFormat format, std::string_view bytes, std::string originalName = {},
               std::optional<FileTime> originalTime = std::nullopt) {
        ThumbPicture listed;
        listed.fileName = ThumbPictureName(
            m_storeNumber, static_cast<int64_t>(m_store.pictures.size()) + 1, format);
        listed.originalName = std::move(originalName);
        listed.originalTime = originalTime;
        // A picture that cannot be written is skipped silently; it is listed all the same.
        if (m_folder)
            if (auto file = m_folder->createFile(listed.fileName)) {
                file->write(bytes);
                file->close();
            }
        m_store.pictures.push_back(std::move(listed));
    }

private:
    platform::OutputFolder* m_folder; // nullptr when the thumbs folder cannot be written
    int64_t m_storeNumber;
    ThumbStore& m_store;
};

// Takes the pieces of the marker cut and keeps those that are complete JPEG pictures. A piece is
// held only up to the largest picture a store may give, so a piece without a next marker in a
// large store never fills the memory; a picture must have ended within those bytes.
class CompletePieces final : public PictureSink {
public:
    CompletePieces(RunControl& run, PictureFiles& pictures) : m_run(run), m_pictures(pictures) {}

    bool isStopped() const { return m_isStopped; }

    // Once stopped, the rest of the bytes already handed over are passed by.
    void beginPicture(int64_t) override { m_piece.clear(); }
    void appendToPicture(std::string_view bytes) override {
        if (m_isStopped)
            return;
        const size_t room = kLargestStoredPicture - m_piece.size();
        m_piece.append(bytes.substr(0, std::min(room, bytes.size())));
    }
    void endPicture() override {
        if (m_isStopped)
            return;
        if (const auto length = CompleteJpegLength(m_piece))
            m_pictures.write(PictureFormat::Jpeg, std::string_view(m_piece).substr(0, *length));
        if (++m_pieces % 20 == 0) {
            m_run.yield();
            m_isStopped = m_run.isCanceled();
        }
    }

private:
    RunControl& m_run;
    PictureFiles& m_pictures;
    std::string m_piece;
    int64_t m_pieces = 0; // pieces looked at, complete or not
    bool m_isStopped = false;
};

// Cuts the ranges of the store at JPEG start markers, each range on its own: a picture never
// spans two ranges that do not touch. The progress bar shows how far into the ranges the cut is.
void cutLeftovers(RunControl& run, ProgressSink& progress, platform::InputFile& store,
                  const std::vector<ByteRange>& ranges, PictureFiles& pictures) {
    uint64_t total = 0;
    for (const ByteRange& range : ranges)
        total += range.length;
    progress.setProgressMaximum(static_cast<int64_t>(total));
    progress.setProgress(0);
    CompletePieces pieces(run, pictures);
    std::vector<char> buffer(kReadPieceSize);
    uint64_t done = 0;
    for (const ByteRange& range : ranges) {
        JpegSplitter splitter(pieces);
        for (uint64_t offset = range.offset; offset < range.end() && !pieces.isStopped();) {
            const size_t wanted =
                static_cast<size_t>(std::min<uint64_t>(buffer.size(), range.end() - offset));
            const size_t got = store.readAt(offset, buffer.data(), wanted);
            if (got == 0)
                break;
            offset += got;
            done += got;
            splitter.feed(std::string_view(buffer.data(), got));
            progress.setProgress(static_cast<int64_t>(done));
        }
        splitter.finish();
        if (pieces.isStopped())
            return;
    }
}

} // namespace

bool IsThumbStoreName(std::string_view path) {
    return EndsWithNoCase(path, "thumbs.db") || ContainsNoCase(path, "thumbcache_");
}

std::string ThumbPictureName(int64_t storeNumber, int64_t pictureNumber, PictureFormat format) {
    return std::to_string(storeNumber) + "-" + std::to_string(pictureNumber) +
           std::string(PictureFileEnding(format));
}

ThumbStore ExtractThumbnails(RunControl& run, ProgressSink& progress, const std::string& storePath,
                             int64_t storeNumber, platform::OutputFolder* thumbsFolder) {
    ThumbStore result;
    result.path = storePath;
    progress.setDetail("Loading " + storePath + "...");
    progress.setProgress(0);
    platform::SystemError error;
    auto store = platform::OpenRegularFile(storePath, &error);
    if (!store) {
        result.notes.push_back("cannot be opened: " + error.description);
        return result;
    }

    PictureFiles pictures(thumbsFolder, storeNumber, result);
    progress.setDetail("Extracting " + storePath + "...");
    StoreReadResult read = ReadThumbnailStore(*store, pictures, run, progress);
    result.notes = std::move(read.messages);
    if (read.outcome == StoreOutcome::Stopped || read.leftovers.empty())
        return result;
    progress.setDetail("Splitting " + storePath + "...");
    cutLeftovers(run, progress, *store, read.leftovers, pictures);
    return result;
}

PhaseEnd ProcessThumbStores(RunControl& run, ProgressSink& progress, const FoundFileList& stores,
                            const std::string& thumbsFolder, ThumbFindings& findings) {
    findings = ThumbFindings{};
    progress.setProgress(0);
    std::unique_ptr<platform::OutputFolder> folder;
    progress.setProgressMaximum(static_cast<int64_t>(stores.size()));
    progress.setStatus("Processing images in your hidden thumbs.db files...");
    if (run.isCanceled())
        return PhaseEnd::Stopped;

    for (size_t position = 0; position < stores.size(); ++position) {
        const std::string& path = stores[position];
        if (IsThumbStoreName(path)) {
            if (!folder)
                folder = platform::CreateOutputFolder(thumbsFolder);
            findings.stores.push_back(ExtractThumbnails(
                run, progress, path, static_cast<int64_t>(position), folder.get()));
            findings.pictureCount += static_cast<int64_t>(findings.stores.back().pictures.size());
            // A store is left at the first yield after a cancel; the pass ends with it.
            if (run.isCanceled())
                return PhaseEnd::Stopped;
        }
        progress.setProgressMaximum(static_cast<int64_t>(stores.size()));
        progress.setProgress(static_cast<int64_t>(position));
        if (position % 20 == 0)
            run.yield();
    }
    return PhaseEnd::Finished;
}

} // namespace vorlith
