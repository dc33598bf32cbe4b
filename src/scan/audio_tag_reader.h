#pragma once
// Reading the ID3v1 tags of the audio files while the walk goes on: the walk hands each audio
// file it lists to a reader on a thread of its own, which reads the file's last 128 bytes, so
// that the tails are read on the second core while the first lists folders.

#include "scan/audio_files.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorlith {

class AudioTagReader {
public:
    AudioTagReader() = default;
    ~AudioTagReader();
    AudioTagReader(const AudioTagReader&) = delete;
    AudioTagReader& operator=(const AudioTagReader&) = delete;

    /// The entry at `index` of the audio list, which the listing reported as a regular file:
    /// its tag is read when its kind has one (".mp3", ".mpeg3", ".wma"), later and elsewhere.
    void offer(size_t index, const std::string& path);
    /// Stops the reading (a cancelled run): what was offered and not read yet stays unread.
    void stop();

    /// Waits until every file offered is read (or the reading was stopped) and hands over what
    /// was read; the reader is empty afterwards.
    TagsReadAhead finish();

private:
    // Files waiting beyond this make the walk wait for the reader (at most kWaitForRoom each
    // time), so that a fast walk does not hold every path twice; a reader that took nothing for
    // that long is not waited for again until it takes something.
    static constexpr size_t kMostQueued = 2048;
    static constexpr auto kWaitForRoom = std::chrono::milliseconds(50);

    void readQueued();

    std::mutex m_mutex;
    std::condition_variable m_wake; // work offered, the end asked for, or the reading stopped
    std::condition_variable m_room; // the reader took files from the queue
    bool m_readerSlow = false;      // it took nothing while the walk last waited
    std::deque<std::pair<size_t, std::string>> m_queue;
    bool m_closing = false;              // no more offers: read what is queued, then end
    std::atomic<bool> m_stopped = false; // end now
    TagsReadAhead m_reads;               // written by the reading thread only while it runs
    std::thread m_thread;
};

} // namespace vorlith
