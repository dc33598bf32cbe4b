#pragma once
// A compound file, the container of a Thumbs.db: a 512-byte header, then sectors of 512 or 4096
// bytes chained by the FAT (whose own sectors the header and the DIFAT list), small streams in
// 64-byte mini sectors chained by the mini FAT inside the mini stream, and a directory of
// 128-byte entries. Sectors are read on demand through the file, so the file's size does not
// matter: what is held is the list of FAT sectors, the directory's streams and one sector of
// each table at a time. Every chain is bounded by the file's real size, so one that loops or
// points past the end is reported, never followed for ever.

#include "base/run_control.h"
#include "platform/file_system.h"
#include "scan/byte_range.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// One stream of the directory.
struct CompoundStream {
    std::string name;         // UTF-8
    uint32_t entry = 0;       // its position in the directory
    uint32_t firstSector = 0; // a mini sector when isInMiniStream, else a sector of the file
    uint64_t size = 0;        // bytes
    bool isInMiniStream = false;
};

enum class CompoundOpenStatus {
    Opened,
    NotCompoundFile, // the signature is missing or the layout is not one the format knows
    Damaged,         // the header, the DIFAT or the directory cannot be read
};

class CompoundFile;

struct CompoundOpening {
    CompoundOpenStatus status = CompoundOpenStatus::NotCompoundFile;
    std::unique_ptr<CompoundFile> file; // set when Opened
    std::string message;                // why not, when not Opened
};

/// The bytes of one stream, or why they could not be read.
struct StreamContent {
    std::optional<std::string> bytes;
    std::string message; // set when bytes is empty: "FAT chain loops after 130 sectors …"
};

class CompoundFile {
public:
    /// Reads the header, the list of FAT sectors (the header's 109 and the DIFAT chain's) and
    /// the directory. NotCompoundFile unless the file begins with the signature D0 CF 11 E0 A1 B1
    /// 1A E1, says little-endian and has 512- or 4096-byte sectors with 64-byte mini sectors.
    /// Damaged when the FAT sectors or the directory cannot be found within the file, or the
    /// directory's first entry is not the root. The file must outlive the returned object.
    static CompoundOpening open(platform::InputFile& file);

    ~CompoundFile();
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    /// The streams of the directory in directory order (storages and free entries left out).
    const std::vector<CompoundStream>& streams() const;
    /// What was odd about the directory while it was read (too many entries, a name cut).
    const std::vector<std::string>& directoryMessages() const;

    /// The stream whole. Fails, with a message, when the stream claims more than largest bytes or
    /// more than the file holds, or when its chain ends early, loops, reaches a free or special
    /// sector or points past the end of the file (or of the mini stream).
    [[nodiscard]] StreamContent readStream(const CompoundStream& stream, uint64_t largest);

    /// The byte ranges of the sectors no stream or table owns: those the FAT marks free, and
    /// those beyond what the FAT covers or in a FAT sector that cannot be read. Adjacent ranges
    /// are merged. Yields every 1024 FAT sectors; std::nullopt when the run is cancelled there.
    std::optional<std::vector<ByteRange>> unusedRanges(RunControl& run);

private:
    class Reader;
    explicit CompoundFile(std::unique_ptr<Reader> reader);
    std::unique_ptr<Reader> m_reader;
};

} // namespace vorlith
