#include "scan/audio_tag_reader.h"

#include "platform/file_access.h"
#include "scan/id3v1.h"

#include <array>
#include <string_view>
#include <utility>

namespace vorlith {

AudioTagReader::~AudioTagReader() {
    stop();
}

void AudioTagReader::offer(size_t index, const std::string& path) {
    const AudioKind kind = AudioKindOf(path);
    if (kind != AudioKind::Mp3 && kind != AudioKind::Wma)
        return;
    {
        std::unique_lock lock(m_mutex);
        if (m_queue.size() >= kMostQueued && !m_readerSlow)
            m_readerSlow = !m_room.wait_for(
                lock, kWaitForRoom, [this] { return m_stopped || m_queue.size() < kMostQueued; });
        if (m_stopped)
            return;
        m_queue.emplace_back(index, path);
    }
    if (!m_thread.joinable())
        m_thread = std::thread([this] { readQueued(); });
    m_wake.notify_one();
}

void AudioTagReader::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_queue.clear();
    }
    m_wake.notify_one();
    m_room.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

TagsReadAhead AudioTagReader::finish() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    m_closing = false;
    return std::exchange(m_reads, TagsReadAhead{});
}

void AudioTagReader::readQueued() {
    std::deque<std::pair<size_t, std::string>> batch;
    std::array<char, kId3v1BlockSize> block{};
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopped || m_closing || !m_queue.empty(); });
            if (m_stopped || m_queue.empty())
                return; // stopped, or closing with nothing left
            batch.swap(m_queue);
            m_readerSlow = false;
        }
        m_room.notify_one();
        for (const auto& [index, path] : batch) {
            if (m_stopped) // read without the lock: at worst one more file is read
                return;
            // As the reader of the page does: a file of 128 bytes or less has no tag.
            size_t got = 0;
            TagsReadAhead::File read{index, -1};
            if (platform::ReadRegularFileTail(path, block.data(), block.size(), got) && got > 0) {
                auto fields = ParseId3v1Block(std::string_view(block.data(), got));
                if (fields && !fields->Artist.empty()) {
                    read.tag = static_cast<int32_t>(m_reads.tags.size());
                    m_reads.tags.push_back({std::move(fields->Artist), std::move(fields->Title),
                                            std::move(fields->Album), std::move(fields->Year)});
                }
            }
            m_reads.files.push_back(read);
        }
        batch.clear();
    }
}

} // namespace vorlith
