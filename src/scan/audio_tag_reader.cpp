#include "scan/audio_tag_reader.h"

#include "platform/file_access.h"
#include "scan/id3v1.h"

#include <array>
#include <string_view>
#include <utility>

namespace vorlith {
namespace {

// The file's name: what follows the last separator of its path.
const char* NameOf(const std::string& path) {
    const size_t separator = path.find_last_of(platform::kPathSeparator);
    return path.c_str() + (separator == std::string::npos ? 0 : separator + 1);
}

} // namespace

AudioTagReader::~AudioTagReader() {
    stop();
}

AudioTagReader::SharedFolder AudioTagReader::shareFolder(const platform::WalkFolder& folder) {
    if (m_sharedFolders->load() >= kMostSharedFolders)
        return nullptr;
    std::unique_ptr<platform::ReadableFolder> shared = folder.shareForReading();
    if (!shared)
        return nullptr;
    ++*m_sharedFolders;
    return SharedFolder(shared.release(),
                        [count = m_sharedFolders](const platform::ReadableFolder* released) {
                            delete released;
                            --*count;
                        });
}

bool AudioTagReader::ReadsTagOf(std::string_view path) {
    const AudioKind kind = AudioKindOf(path);
    return kind == AudioKind::Mp3 || kind == AudioKind::Wma;
}

void AudioTagReader::offer(size_t index, const std::string& path, const SharedFolder& folder) {
    if (!ReadsTagOf(path) || m_stopped)
        return;
    Batch& batch = m_gathering;
    int32_t folderAt = -1;
    if (folder) {
        if (batch.folders.empty() || batch.folders.back() != folder)
            batch.folders.push_back(folder);
        folderAt = static_cast<int32_t>(batch.folders.size() - 1);
    }
    batch.files.push_back({index, static_cast<uint32_t>(batch.names.size()), folderAt});
    batch.names += folder ? std::string_view(NameOf(path)) : std::string_view(path);
    batch.names += '\0';
    if (batch.files.size() >= kBatch)
        handOver(true);
}

void AudioTagReader::handOver(bool mayReadHere) {
    if (m_gathering.empty())
        return;
    Batch behind;
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) {
            m_gathering.clear();
            return;
        }
        if (mayReadHere && m_queue.size() >= kMostQueued)
            takeQueued(behind);
        m_queue.push_back(std::move(m_gathering));
        wake = m_readerWaiting;
    }
    m_gathering = Batch{};
    m_gathering.files.reserve(kBatch);
    if (!m_thread.joinable())
        m_thread = std::thread([this] { readQueued(); });
    else if (wake)
        m_wake.notify_one();
    if (!behind.empty())
        readBatch(behind, m_readHere);
}

void AudioTagReader::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_queue.clear();
    }
    m_gathering.clear();
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

TagsReadAhead AudioTagReader::finish() {
    handOver(false);
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_one();
    // The walk is over: this thread reads beside the reader until nothing waits.
    Batch batch;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (!takeQueued(batch))
                break;
        }
        if (!readBatch(batch, m_readHere))
            break;
    }
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    m_closing = false;

    // Each thread took its files from the queue's front in turn, so each one's reads are in
    // entry order: merged by index, they are the entries' order.
    TagsReadAhead merged;
    merged.files.reserve(m_reads.files.size() + m_readHere.files.size());
    merged.tags = std::move(m_reads.tags);
    const auto firstHere = static_cast<int32_t>(merged.tags.size());
    for (AudioTagText& tag : m_readHere.tags)
        merged.tags.push_back(std::move(tag));
    auto there = m_reads.files.begin();
    auto here = m_readHere.files.begin();
    while (there != m_reads.files.end() || here != m_readHere.files.end()) {
        if (here == m_readHere.files.end() ||
            (there != m_reads.files.end() && there->index < here->index)) {
            merged.files.push_back(*there++);
        } else {
            TagsReadAhead::File file = *here++;
            if (file.tag >= 0)
                file.tag += firstHere;
            merged.files.push_back(file);
        }
    }
    m_reads = {};
    m_readHere = {};
    return merged;
}

bool AudioTagReader::takeQueued(Batch& batch) {
    if (m_queue.empty())
        return false;
    batch = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

bool AudioTagReader::readBatch(const Batch& batch, TagsReadAhead& reads) {
    std::array<char, kId3v1BlockSize> block{};
    for (const Batch::File& offered : batch.files) {
        if (m_stopped) // read without the lock: at worst one more file is read
            return false;
        // As the reader of the page does: a file of 128 bytes or less has no tag.
        size_t got = 0;
        TagsReadAhead::File read{offered.index, -1};
        const char* name = batch.names.c_str() + offered.name;
        const std::optional<uint64_t> size =
            offered.folder >= 0
                ? batch.folders[static_cast<size_t>(offered.folder)]->readRegularFileTail(
                      name, block.data(), block.size(), got)
                : platform::ReadRegularFileTail(name, block.data(), block.size(), got);
        if (size && got > 0) {
            auto fields = ParseId3v1Block(std::string_view(block.data(), got));
            if (fields && !fields->Artist.empty()) {
                read.tag = static_cast<int32_t>(reads.tags.size());
                reads.tags.push_back({std::move(fields->Artist), std::move(fields->Title),
                                      std::move(fields->Album), std::move(fields->Year)});
            }
        }
        reads.files.push_back(read);
    }
    return true;
}

void AudioTagReader::readQueued() {
    Batch batch;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_readerWaiting = true;
            m_wake.wait(lock, [this] { return m_stopped || m_closing || !m_queue.empty(); });
            m_readerWaiting = false;
            if (m_stopped || !takeQueued(batch))
                return; // stopped, or closing with nothing left
        }
        if (!readBatch(batch, m_reads))
            return;
    }
}

} // namespace vorlith
