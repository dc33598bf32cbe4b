#include "scan/thumb_stores.h"

#include "base/text.h"
#include "platform/file_access.h"
#include "platform/file_system.h"
#include "platform/output_folder.h"
#include "scan/jpeg_splitter.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace vorlith {
namespace {

constexpr size_t kReadPieceSize = 1 << 20; // bytes read from a store at a time

// Writes each picture to its own file as its bytes arrive.
class PictureFiles final : public PictureSink {
public:
    PictureFiles(RunControl& run, ProgressSink& progress, platform::OutputFolder* folder,
                 int64_t storeNumber, uint64_t storeSize, ThumbStore& store)
        : m_run(run), m_progress(progress), m_folder(folder), m_storeNumber(storeNumber),
          m_storeSize(storeSize), m_store(store) {}

    void setPosition(uint64_t bytesRead) { m_bytesRead = bytesRead; }

    void beginPicture(int64_t number) override {
        m_number = number;
        m_store.pictures.push_back(ThumbPictureName(m_storeNumber, number));
        m_file = m_folder ? m_folder->createFile(m_store.pictures.back()) : nullptr;
    }
    void appendToPicture(std::string_view bytes) override {
        if (m_file)
            m_file->write(bytes);
    }
    void endPicture() override {
        if (m_file)
            m_file->close(); // a picture that could not be written is skipped silently
        m_file.reset();
        // The number of pictures is known only at the end of the store, so the bar shows how
        // far into the store the cut has got.
        m_progress.setProgressMaximum(static_cast<int64_t>(m_storeSize));
        m_progress.setProgress(static_cast<int64_t>(m_bytesRead));
        if (m_number % 20 == 0)
            m_run.yield();
    }

private:
    RunControl& m_run;
    ProgressSink& m_progress;
    platform::OutputFolder* m_folder; // nullptr when the thumbs folder cannot be written
    int64_t m_storeNumber;
    uint64_t m_storeSize; // bytes
    ThumbStore& m_store;
    uint64_t m_bytesRead = 0; // bytes of the store handed to the splitter so far
    int64_t m_number = 0;
    std::unique_ptr<platform::OutputFile> m_file;
};

} // namespace

bool IsThumbStoreName(std::string_view path) {
    return EndsWithNoCase(path, "thumbs.db") || ContainsNoCase(path, "thumbcache_");
}

std::string ThumbPictureName(int64_t storeNumber, int64_t pictureNumber) {
    return std::to_string(storeNumber) + "-" + std::to_string(pictureNumber) + ".jpg";
}

ThumbStore ExtractThumbnails(RunControl& run, ProgressSink& progress, const std::string& storePath,
                             int64_t storeNumber, const std::string& thumbsFolder) {
    auto folder = platform::CreateOutputFolder(thumbsFolder);
    return ExtractThumbnails(run, progress, storePath, storeNumber, folder.get());
}

ThumbStore ExtractThumbnails(RunControl& run, ProgressSink& progress, const std::string& storePath,
                             int64_t storeNumber, platform::OutputFolder* thumbsFolder) {
    ThumbStore result;
    result.path = storePath;
    progress.setDetail("Loading " + storePath + "...");
    auto store = platform::OpenRegularFile(storePath);
    progress.setDetail("Splitting " + storePath + "...");
    progress.setDetail("Extracting " + storePath + "...");
    progress.setProgress(0);
    if (!store)
        return result;

    // Only the size the store had when it was opened is read, so a file that keeps growing
    // cannot keep the pass going.
    const uint64_t size = store->size();
    PictureFiles pictures(run, progress, thumbsFolder, storeNumber, size, result);
    JpegSplitter splitter(pictures);
    std::vector<char> buffer(kReadPieceSize);
    uint64_t offset = 0;
    while (offset < size) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - offset));
        const size_t got = store->readAt(offset, buffer.data(), wanted);
        if (got == 0)
            break;
        offset += got;
        pictures.setPosition(offset);
        splitter.feed(std::string_view(buffer.data(), got));
    }
    splitter.finish();
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
        }
        progress.setProgressMaximum(static_cast<int64_t>(stores.size()));
        progress.setProgress(static_cast<int64_t>(position));
        if (position % 20 == 0)
            run.yield();
    }
    return PhaseEnd::Finished;
}

} // namespace vorlith
