#include "scan/thumb_stores.h"

#include "platform/file_access.h"
#include "platform/file_system.h"
#include "report/html_text.h"
#include "report/links.h"
#include "report/page_frame.h"
#include "report/page_set.h"
#include "scan/jpeg_splitter.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace vorlith {
namespace {

constexpr size_t kReadPieceSize = 1 << 20; // bytes read from a store at a time

// Writes each picture to its own file as its bytes arrive, and its page line when it is
// complete.
class PictureFiles final : public PictureSink {
public:
    PictureFiles(PhaseContext& context, int64_t storeNumber, uint64_t storeSize,
                 DiskScanCounts& counts)
        : m_context(context), m_folder(platform::JoinPath(context.reportFolder, "thumbs")),
          m_storeNumber(storeNumber), m_storeSize(storeSize), m_counts(counts) {}

    void setPosition(uint64_t bytesRead) { m_bytesRead = bytesRead; }

    void beginPicture(int64_t number) override {
        m_number = number;
        m_name = std::to_string(m_storeNumber) + "-" + std::to_string(number) + ".jpg";
        platform::CreateFolder(m_folder);
        m_file = platform::CreateOutputFile(platform::JoinPath(m_folder, m_name));
    }
    void appendToPicture(std::string_view bytes) override {
        if (m_file)
            m_file->write(bytes);
    }
    void endPicture() override {
        if (m_file)
            m_file->close(); // a picture that could not be written is skipped silently
        m_file.reset();
        m_context.pages.page(pages::kThumbnails.number)
            .writeLine("<IMG SRC=\"" + FileUrl(platform::JoinPath(m_folder, m_name)) + "\">");
        ++m_counts.ThumbImageCount;
        // The number of pictures is known only at the end of the store, so the bar shows how
        // far into the store the cut has got.
        m_context.window.pBar.max = static_cast<int64_t>(m_storeSize);
        m_context.window.pBar.value = static_cast<int64_t>(m_bytesRead);
        if (m_number % 20 == 0)
            m_context.run.yield();
    }

private:
    PhaseContext& m_context;
    std::string m_folder;
    int64_t m_storeNumber;
    uint64_t m_storeSize; // bytes
    DiskScanCounts& m_counts;
    uint64_t m_bytesRead = 0; // bytes of the store handed to the splitter so far
    int64_t m_number = 0;
    std::string m_name;
    std::unique_ptr<platform::OutputFile> m_file;
};

std::string lowerCased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

} // namespace

bool IsThumbStoreName(std::string_view path) {
    const std::string lower = lowerCased(path);
    constexpr std::string_view kStoreEnding = "thumbs.db";
    const bool endsInStoreName =
        lower.size() >= kStoreEnding.size() &&
        lower.compare(lower.size() - kStoreEnding.size(), kStoreEnding.size(), kStoreEnding) == 0;
    return endsInStoreName || lower.find("thumbcache_") != std::string::npos;
}

void ExtractThumbnails(PhaseContext& context, const std::string& storePath, int64_t storeNumber,
                       DiskScanCounts& counts) {
    MainWindow& window = context.window;
    window.lblStatus2.caption = "Loading " + storePath + "...";
    auto store = platform::OpenRegularFile(storePath);
    window.lblStatus2.caption = "Splitting " + storePath + "...";
    window.lblStatus2.caption = "Extracting " + storePath + "...";
    window.pBar.value = 0;
    if (!store)
        return;

    // Only the size the store had when it was opened is read, so a file that keeps growing
    // cannot keep the pass going.
    const uint64_t size = store->size();
    PictureFiles pictures(context, storeNumber, size, counts);
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
}

void ProcessThumbStores(PhaseContext& context, DiskScanCounts& counts) {
    MainWindow& window = context.window;
    const FoundFileList& stores = window.lists.lstThumbs;
    PageFile& page = context.pages.page(pages::kThumbnails.number);

    window.pBar.value = 0;
    window.pBar.max = static_cast<int64_t>(stores.size());
    page.writeLine(kTracesWarningLine);
    page.writeLine("<H3><A HREF=" + ErazentPurchaseLink(context.totals.TotalTraces) +
                   " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a>"
                   "</H3>");
    window.lblStatus.caption = "Processing images in your hidden thumbs.db files...";
    if (context.run.isCanceled())
        return context.run.Do_Cancel();

    for (size_t position = 0; position < stores.size(); ++position) {
        const std::string& path = stores[position];
        if (IsThumbStoreName(path)) {
            ExtractThumbnails(context, path, static_cast<int64_t>(position), counts);
            page.writeLine("<BR>The above thumbnails were extracted from your hidden thumbnail "
                           "file located at: <B>" +
                           HtmlEscape(path) + "</B><BR><HR><BR>");
            ++counts.ThumbStoreCount;
        }
        window.pBar.max = static_cast<int64_t>(stores.size());
        window.pBar.value = static_cast<int64_t>(position);
        if (position % 20 == 0)
            context.run.yield();
    }
    window.lblStatus.bold = true;
}

} // namespace vorlith
