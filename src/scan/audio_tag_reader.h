#pragma once
// Reading the ID3v1 tags of the audio files while the walk goes on: the walk hands each audio
// file it lists to a reader on a thread of its own, which reads the file's last 128 bytes, so
// that the tails are read on the second core while the first lists folders. Reading a tail costs
// more than listing a name, so the walk lends a hand whenever the reader falls behind, and both
// threads read what is left once the walk is over.

#include "platform/walk_folder.h"
#include "scan/audio_files.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vorlith {

class AudioTagReader {
public:
    /// A walked folder held open for the reader, shared by the walk and the files offered from it.
    using SharedFolder = std::shared_ptr<const platform::ReadableFolder>;

    AudioTagReader() = default;
    ~AudioTagReader();
    AudioTagReader(const AudioTagReader&) = delete;
    AudioTagReader& operator=(const AudioTagReader&) = delete;

    /// The entry at `index` of the audio list, which the listing reported as a regular file:
    /// its tag is read when its kind has one (".mp3", ".mpeg3", ".wma"), later and elsewhere.
    /// Indexes must grow from one offer to the next. With `folder` (the one holding the file,
    /// from shareFolder) the file is opened by its name in that folder, else by its path. Files
    /// are handed to the reader a batch at a time; when it has fallen behind, the caller reads
    /// the oldest waiting batch itself.
    void offer(size_t index, const std::string& path, const SharedFolder& folder = nullptr);

    /// The folder held open once more for reading the files offered from it; nullptr where the
    /// platform cannot, or while so many folders are held that more could use up the process's
    /// file handles.
    SharedFolder shareFolder(const platform::WalkFolder& folder);

    /// Whether offer reads the file's tag at all (".mp3", ".mpeg3", ".wma").
    static bool ReadsTagOf(std::string_view path);
    /// Stops the reading (a cancelled run): what was offered and not read yet stays unread.
    void stop();

    /// Reads what is still waiting, on this thread as well as the reader's, until every file
    /// offered is read (or the reading was stopped), and hands over what was read in the order
    /// of the entries; the reader is empty afterwards.
    TagsReadAhead finish();

private:
    // Files offered are gathered into batches of this many on the offering thread, and only
    // whole batches cross to the reader: one lock and at most one wake-up per batch.
    static constexpr size_t kBatch = 64;
    // Batches waiting beyond this make the caller of offer read the oldest itself, so that a
    // fast walk neither holds every path twice nor leaves the reading to one core.
    static constexpr size_t kMostQueued = 8;
    // Folders held open for reading at most: the files waiting span fewer in most trees, and
    // beyond it files are opened by their paths.
    static constexpr int kMostSharedFolders = 128;

    // Files to read, their names (or paths) in one block of text: a file offered costs no
    // allocation of its own, and no text is made on one thread to be freed on the other.
    struct Batch {
        struct File {
            size_t index;   // in the audio list
            uint32_t name;  // where its NUL-ended name (or path) starts in `names`
            int32_t folder; // into `folders`; -1: opened by its path
        };
        std::vector<File> files;
        std::string names;
        std::vector<SharedFolder> folders; // each folder once per run of files offered from it

        bool empty() const { return files.empty(); }
        void clear() {
            files.clear();
            names.clear();
            folders.clear();
        }
    };

    void readQueued();
    // Queues the batch being gathered; reads the oldest waiting one here (into m_readHere) when
    // too many wait.
    void handOver(bool mayReadHere);
    // Moves the oldest waiting batch into `batch`; false when none waits. The lock must be held.
    bool takeQueued(Batch& batch);
    // Reads the tags of the batch into `reads`; false when the reading was stopped meanwhile.
    bool readBatch(const Batch& batch, TagsReadAhead& reads);

    std::mutex m_mutex;
    std::condition_variable m_wake; // work offered, the end asked for, or the reading stopped
    std::deque<Batch> m_queue;
    Batch m_gathering;                   // offered, not handed over yet: the offering thread's
    bool m_readerWaiting = false;        // the reader sleeps until woken
    bool m_closing = false;              // no more offers: read what is queued, then end
    std::atomic<bool> m_stopped = false; // end now
    TagsReadAhead m_reads;               // written by the reading thread only while it runs
    TagsReadAhead m_readHere;            // read by the thread that offers, in offer and finish
    // Folders shared and not let go yet; shared with every folder's release, which may come
    // after the reader is gone.
    std::shared_ptr<std::atomic<int>> m_sharedFolders = std::make_shared<std::atomic<int>>(0);
    std::thread m_thread;
};

} // namespace vorlith
