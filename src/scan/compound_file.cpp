#include "scan/compound_file.h"

#include "base/byte_cursor.h"
#include "base/text_encoding.h"

#include <fmt/format.h>

#include <algorithm>
#include <unordered_set>

namespace vorlith {
namespace {

constexpr std::string_view kSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};
constexpr size_t kHeaderSize = 512;     // bytes; a 4096-byte first sector pads it with zeros
constexpr size_t kHeaderFatSlots = 109; // FAT sector locations held by the header itself
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kDefaultMiniCutoff = 4096;
constexpr size_t kDirectoryEntrySize = 128;
constexpr uint64_t kMaxDirectoryEntries = 1u << 20;
constexpr uint64_t kUnknownLength = UINT64_MAX;
constexpr uint64_t kCheckpointStride = 64; // sectors between two remembered places of a chain
constexpr uint64_t kLoopCheckSteps = 4096; // steps of a chain whose sectors are remembered
constexpr uint64_t kLargestRead = 1 << 20; // bytes read from the file at once

enum class Table { Fat, MiniFat };
enum ObjectType : uint8_t { kUnallocated = 0, kStorage = 1, kStream = 2, kRoot = 5 };

std::string describeSpecialSector(uint32_t sector) {
    switch (sector) {
    case kFreeSector:
        return "a free sector";
    case kFatSector:
        return "a FAT sector";
    case kDifatSector:
        return "a DIFAT sector";
    default:
        return fmt::format("the reserved value {:#x}", sector);
    }
}

// "1 sector", "2 sectors".
std::string counted(uint64_t count, std::string_view unit) {
    return fmt::format("{} {}{}", count, unit, count == 1 ? "" : "s");
}

uint32_t littleEndian32(std::string_view bytes, size_t offset) {
    ByteCursor cursor(bytes);
    cursor.skip(offset);
    return cursor.u32le();
}

// Where the sectors of one chain lie, for random access: every 64th sector is kept, so any
// sector is at most 63 FAT steps from a kept one.
struct ChainMap {
    std::vector<uint32_t> checkpoints;
    uint64_t length = 0; // sectors known
    bool isUsable = false;
    std::string message; // what is wrong with the chain ("" when it is sound)
    uint64_t lastIndex = kUnknownLength;
    uint32_t lastSector = 0;
};

// How a walk along a chain ended.
struct ChainEnd {
    std::string trouble; // "" for a sound chain
    bool loops = false;  // the chain comes back to a sector it passed, or never ends
};

// One sector of a table, kept while consecutive lookups fall in it.
struct SectorCache {
    uint64_t key = kUnknownLength;
    std::string bytes;
};

} // namespace

class CompoundFile::Reader {
public:
    explicit Reader(platform::InputFile& file) : m_file(file), m_fileSize(file.size()) {}

    CompoundOpening open();
    const std::vector<CompoundStream>& streams() const { return m_streams; }
    const std::vector<std::string>& directoryMessages() const { return m_directoryMessages; }
    StreamContent readStream(const CompoundStream& stream, uint64_t largest);
    std::optional<std::vector<ByteRange>> unusedRanges(RunControl& run);

private:
    uint64_t sectorOffset(uint32_t sector) const {
        return (static_cast<uint64_t>(sector) + 1) * m_sectorSize;
    }
    bool readSector(uint32_t sector, SectorCache& cache);
    std::optional<uint32_t> fatEntry(uint32_t sector);
    std::optional<uint32_t> miniFatEntry(uint32_t miniSector);
    std::optional<uint32_t> tableEntry(Table table, uint32_t sector) {
        return table == Table::Fat ? fatEntry(sector) : miniFatEntry(sector);
    }
    template <class Visit>
    ChainEnd walk(Table table, uint32_t first, uint64_t needed, uint64_t limit, Visit&& visit);
    ChainMap mapChain(uint32_t first);
    std::optional<uint32_t> sectorAt(ChainMap& map, uint64_t index);
    std::string readFatLocations(uint32_t claimed, uint32_t firstDifat,
                                 const uint32_t (&headerSlots)[kHeaderFatSlots]);
    std::string readDirectory(uint32_t firstSector);
    std::string readRegular(uint32_t first, uint64_t size, std::string& bytes);
    std::string readMini(uint32_t first, uint64_t size, std::string& bytes);

    platform::InputFile& m_file;
    uint64_t m_fileSize;                        // bytes, when opened
    uint32_t m_sectorSize = 512;                // bytes
    uint64_t m_sectorCount = 0;                 // sectors that start within the file
    bool m_isVersion3 = true;                   // stream sizes keep only their low 32 bits
    uint32_t m_miniCutoff = kDefaultMiniCutoff; // bytes; smaller streams live in the mini stream
    std::vector<uint32_t> m_fatSectors;         // where each FAT sector lies, in FAT order
    SectorCache m_fatCache;

    uint32_t m_miniStreamFirst = kEndOfChain;
    uint64_t m_miniStreamSize = 0; // bytes, at most the file's size
    uint64_t m_miniSectorCount = 0;
    uint32_t m_miniFatFirst = kEndOfChain;
    std::optional<ChainMap> m_miniStreamMap;
    std::optional<ChainMap> m_miniFatMap;
    SectorCache m_miniFatCache;
    SectorCache m_miniStreamCache;

    uint64_t m_readBudget = 0; // bytes the streams may still claim: twice the file, and some
    std::vector<CompoundStream> m_streams;
    std::vector<std::string> m_directoryMessages;
};

bool CompoundFile::Reader::readSector(uint32_t sector, SectorCache& cache) {
    if (cache.key == sector)
        return true;
    cache.key = kUnknownLength;
    if (sector >= m_sectorCount)
        return false;
    cache.bytes.resize(m_sectorSize);
    if (m_file.readAt(sectorOffset(sector), cache.bytes.data(), m_sectorSize) != m_sectorSize)
        return false;
    cache.key = sector;
    return true;
}

std::optional<uint32_t> CompoundFile::Reader::fatEntry(uint32_t sector) {
    const uint32_t perSector = m_sectorSize / 4;
    const uint64_t index = sector / perSector;
    if (index >= m_fatSectors.size() || !readSector(m_fatSectors[index], m_fatCache))
        return std::nullopt;
    return littleEndian32(m_fatCache.bytes, (sector % perSector) * 4);
}

std::optional<uint32_t> CompoundFile::Reader::miniFatEntry(uint32_t miniSector) {
    if (!m_miniFatMap)
        m_miniFatMap = mapChain(m_miniFatFirst);
    const uint32_t perSector = m_sectorSize / 4;
    const std::optional<uint32_t> sector = sectorAt(*m_miniFatMap, miniSector / perSector);
    if (!sector || !readSector(*sector, m_miniFatCache))
        return std::nullopt;
    return littleEndian32(m_miniFatCache.bytes, (miniSector % perSector) * 4);
}

// Follows a chain through the FAT or the mini FAT from first, handing visit each sector with its
// step number while visit returns true. With the chain's length known (needed sectors) the chain
// must end right after them; otherwise it must end within limit sectors.
template <class Visit>
ChainEnd CompoundFile::Reader::walk(Table table, uint32_t first, uint64_t needed, uint64_t limit,
                                    Visit&& visit) {
    const bool isFat = table == Table::Fat;
    const char* unit = isFat ? "sector" : "mini sector";
    const uint64_t count = isFat ? m_sectorCount : m_miniSectorCount;
    std::unordered_set<uint32_t> seen;
    uint32_t sector = first;
    for (uint64_t step = 0;; ++step) {
        if (sector == kEndOfChain) {
            if (needed != kUnknownLength && step < needed)
                return {fmt::format("the chain ends after {}; the size needs {}",
                                    counted(step, unit), needed)};
            return {};
        }
        if (needed != kUnknownLength && step == needed)
            return {
                fmt::format("the chain runs on past the {} the size needs", counted(needed, unit)),
                true};
        if (needed == kUnknownLength && step >= limit)
            return {fmt::format("the chain runs on past {}, more than the {} holds: it loops",
                                counted(limit, unit), isFat ? "file" : "mini stream"),
                    true};
        if (sector > kMaxRegularSector)
            return {fmt::format("the chain reaches {} after {}", describeSpecialSector(sector),
                                counted(step, unit))};
        if (sector >= count)
            return {fmt::format("{} {} lies past the end of the {} ({})", unit, sector,
                                isFat ? "file" : "mini stream", counted(count, unit))};
        if (step < kLoopCheckSteps && !seen.insert(sector).second)
            return {fmt::format("the chain loops back to {} {} after {}", unit, sector,
                                counted(step, unit)),
                    true};
        if (!visit(sector, step))
            return {};
        const std::optional<uint32_t> next = tableEntry(table, sector);
        if (!next)
            return {fmt::format("{} {} has no readable {} entry", unit, sector,
                                isFat ? "FAT" : "mini FAT")};
        sector = *next;
    }
}

// The whole chain from first, however long the size in the header says it is: a table's or the
// mini stream's size is not always kept exact by writers.
ChainMap CompoundFile::Reader::mapChain(uint32_t first) {
    ChainMap map;
    const ChainEnd end =
        walk(Table::Fat, first, kUnknownLength, m_sectorCount, [&](uint32_t sector, uint64_t step) {
            if (step % kCheckpointStride == 0)
                map.checkpoints.push_back(sector);
            map.length = step + 1;
            return true;
        });
    // A chain that ends early or runs into the end of the file still serves the sectors before
    // the break; one that loops serves nothing, since its sectors repeat.
    map.message = end.trouble;
    map.isUsable = !end.loops;
    return map;
}

std::optional<uint32_t> CompoundFile::Reader::sectorAt(ChainMap& map, uint64_t index) {
    if (!map.isUsable || index >= map.length)
        return std::nullopt;
    uint64_t from = index / kCheckpointStride * kCheckpointStride;
    uint32_t sector = map.checkpoints[index / kCheckpointStride];
    if (map.lastIndex != kUnknownLength && map.lastIndex <= index && map.lastIndex >= from) {
        from = map.lastIndex;
        sector = map.lastSector;
    }
    for (; from < index; ++from) {
        const std::optional<uint32_t> next = fatEntry(sector);
        if (!next || *next >= m_sectorCount)
            return std::nullopt;
        sector = *next;
    }
    map.lastIndex = index;
    map.lastSector = sector;
    return sector;
}

std::string CompoundFile::Reader::readFatLocations(uint32_t claimed, uint32_t firstDifat,
                                                   const uint32_t (&headerSlots)[kHeaderFatSlots]) {
    // FAT sectors beyond those that cover the file's own sectors describe nothing, so an absurd
    // count in the header costs nothing.
    const uint32_t perSector = m_sectorSize / 4;
    const uint64_t covering = (m_sectorCount + perSector - 1) / perSector;
    const uint64_t wanted = std::min<uint64_t>(claimed, covering);
    for (size_t slot = 0; slot < kHeaderFatSlots && m_fatSectors.size() < wanted; ++slot)
        m_fatSectors.push_back(headerSlots[slot]);
    uint32_t difat = firstDifat;
    SectorCache cache;
    while (m_fatSectors.size() < wanted) {
        if (difat > kMaxRegularSector || difat >= m_sectorCount || !readSector(difat, cache))
            return fmt::format("the DIFAT lists only {} of the {} FAT sectors", m_fatSectors.size(),
                               wanted);
        for (uint32_t slot = 0; slot + 1 < perSector && m_fatSectors.size() < wanted; ++slot)
            m_fatSectors.push_back(littleEndian32(cache.bytes, slot * 4));
        difat = littleEndian32(cache.bytes, (perSector - 1) * 4);
    }
    return "";
}

std::string CompoundFile::Reader::readDirectory(uint32_t firstSector) {
    SectorCache cache;
    uint64_t entryNumber = 0;
    bool hasRoot = false;
    std::optional<uint32_t> unreadable;
    const ChainEnd end = walk(
        Table::Fat, firstSector, kUnknownLength, m_sectorCount, [&](uint32_t sector, uint64_t) {
            if (!readSector(sector, cache)) {
                unreadable = sector;
                return false;
            }
            for (size_t offset = 0; offset + kDirectoryEntrySize <= m_sectorSize;
                 offset += kDirectoryEntrySize, ++entryNumber) {
                if (entryNumber == kMaxDirectoryEntries) {
                    m_directoryMessages.push_back(fmt::format(
                        "directory: more than {} entries; the rest is not read", entryNumber));
                    return false;
                }
                ByteCursor entry(std::string_view(cache.bytes).substr(offset, kDirectoryEntrySize));
                const std::string_view nameBytes = entry.take(64);
                const uint16_t nameLength = entry.u16le();
                const uint8_t type = entry.u8();
                entry.skip(1 + 12 + 16 + 4 + 16); // colour, siblings, child, class, state, times
                const uint32_t start = entry.u32le();
                const uint64_t size = entry.u64le();
                if (entryNumber == 0) {
                    if (type != kRoot)
                        return false;
                    hasRoot = true;
                    m_miniStreamFirst = start;
                    m_miniStreamSize = m_isVersion3 ? size & 0xFFFFFFFF : size;
                    continue;
                }
                if (type != kStream)
                    continue;
                // The name's length counts its closing NUL; a length past the field is cut.
                const size_t nameBytesUsed =
                    nameLength >= 2 ? std::min<size_t>(nameLength - 2, 62) : 0;
                CompoundStream stream;
                stream.name = Utf16LeToUtf8(nameBytes.substr(0, nameBytesUsed & ~size_t{1}));
                stream.entry = static_cast<uint32_t>(entryNumber);
                stream.firstSector = start;
                stream.size = m_isVersion3 ? size & 0xFFFFFFFF : size;
                stream.isInMiniStream = stream.size < m_miniCutoff;
                m_streams.push_back(std::move(stream));
            }
            return true;
        });
    if (!end.trouble.empty())
        return "directory: " + end.trouble;
    if (unreadable)
        return fmt::format("directory: sector {} cannot be read", *unreadable);
    if (!hasRoot)
        return fmt::format("directory: its first entry (sector {}) is not the root", firstSector);
    return "";
}

CompoundOpening CompoundFile::Reader::open() {
    CompoundOpening opening;
    std::string header(kHeaderSize, '\0');
    const size_t got = m_file.readAt(0, header.data(), header.size());
    if (got < kSignature.size() || std::string_view(header).substr(0, 8) != kSignature) {
        opening.message = "no compound-file signature";
        return opening;
    }
    ByteCursor cursor(std::string_view(header).substr(0, got));
    cursor.skip(8 + 16 + 2); // signature, class id, minor version
    const uint16_t majorVersion = cursor.u16le();
    const uint16_t byteOrder = cursor.u16le();
    const uint16_t sectorShift = cursor.u16le();
    const uint16_t miniSectorShift = cursor.u16le();
    cursor.skip(6 + 4); // reserved, directory sector count (version 4 only)
    const uint32_t fatSectorCount = cursor.u32le();
    const uint32_t firstDirectorySector = cursor.u32le();
    cursor.skip(4); // transaction signature
    const uint32_t miniCutoff = cursor.u32le();
    m_miniFatFirst = cursor.u32le();
    cursor.skip(4); // mini FAT sector count: the chain's end says it
    const uint32_t firstDifatSector = cursor.u32le();
    cursor.skip(4); // DIFAT sector count: the chain's end says it
    uint32_t headerSlots[kHeaderFatSlots];
    for (uint32_t& slot : headerSlots)
        slot = cursor.u32le();
    if (!cursor.ok()) {
        opening.status = CompoundOpenStatus::Damaged;
        opening.message = fmt::format("header: the file ends at byte {}, inside the {}-byte header",
                                      got, kHeaderSize);
        return opening;
    }
    if (byteOrder != 0xFFFE || (sectorShift != 9 && sectorShift != 12) || miniSectorShift != 6) {
        opening.message = fmt::format(
            "header: byte order {:#06x}, sector shift {}, mini sector shift {} is not a layout of "
            "the format",
            byteOrder, sectorShift, miniSectorShift);
        return opening;
    }
    m_sectorSize = 1u << sectorShift;
    m_isVersion3 = majorVersion != 4;
    m_sectorCount = m_fileSize > m_sectorSize ? std::min<uint64_t>((m_fileSize - 1) / m_sectorSize,
                                                                   uint64_t{kMaxRegularSector} + 1)
                                              : 0;
    m_miniCutoff = miniCutoff != 0 ? miniCutoff : kDefaultMiniCutoff;
    m_readBudget = 2 * m_fileSize + kLargestRead;

    opening.status = CompoundOpenStatus::Damaged;
    const std::string fatTrouble = readFatLocations(fatSectorCount, firstDifatSector, headerSlots);
    if (!fatTrouble.empty())
        m_directoryMessages.push_back(fatTrouble); // sectors the FAT misses are left over
    opening.message = readDirectory(firstDirectorySector);
    if (!opening.message.empty())
        return opening;
    m_miniStreamSize = std::min(m_miniStreamSize, m_fileSize);
    m_miniSectorCount = (m_miniStreamSize + kMiniSectorSize - 1) / kMiniSectorSize;
    opening.status = CompoundOpenStatus::Opened;
    return opening;
}

std::string CompoundFile::Reader::readRegular(uint32_t first, uint64_t size, std::string& bytes) {
    const uint64_t needed = (size + m_sectorSize - 1) / m_sectorSize;
    uint64_t runStart = 0; // offset in the file of the run of adjacent sectors not yet read
    uint64_t runLength = 0;
    bool isShort = false; // a read came back short: only the stream's last sector may
    bool isBroken = false;
    auto flush = [&] {
        const size_t at = bytes.size();
        bytes.resize(at + runLength);
        const size_t got = m_file.readAt(runStart, bytes.data() + at, runLength);
        bytes.resize(at + got);
        isBroken |= isShort;
        isShort |= got < runLength;
        runLength = 0;
    };
    const ChainEnd end =
        walk(Table::Fat, first, needed, kUnknownLength, [&](uint32_t sector, uint64_t) {
            const uint64_t offset = sectorOffset(sector);
            if (runLength > 0 && (offset != runStart + runLength || runLength >= kLargestRead))
                flush();
            if (runLength == 0)
                runStart = offset;
            runLength += m_sectorSize;
            return true;
        });
    if (runLength > 0)
        flush();
    if (!end.trouble.empty())
        return end.trouble;
    if (isBroken || bytes.size() < size)
        return fmt::format("the file ends at byte {}, inside the stream's last sector", m_fileSize);
    bytes.resize(size);
    return "";
}

std::string CompoundFile::Reader::readMini(uint32_t first, uint64_t size, std::string& bytes) {
    if (!m_miniStreamMap)
        m_miniStreamMap = mapChain(m_miniStreamFirst);
    if (!m_miniStreamMap->isUsable)
        return "the mini stream's chain: " + m_miniStreamMap->message;
    const uint64_t needed = (size + kMiniSectorSize - 1) / kMiniSectorSize;
    std::string broken;
    const ChainEnd end =
        walk(Table::MiniFat, first, needed, kUnknownLength, [&](uint32_t miniSector, uint64_t) {
            const uint64_t offset = uint64_t{miniSector} * kMiniSectorSize; // in the mini stream
            const std::optional<uint32_t> sector =
                sectorAt(*m_miniStreamMap, offset / m_sectorSize);
            if (!sector || !readSector(*sector, m_miniStreamCache)) {
                broken = fmt::format(
                    "mini sector {} lies in no readable sector of the mini stream{}", miniSector,
                    m_miniStreamMap->message.empty()
                        ? ""
                        : " (its chain: " + m_miniStreamMap->message + ")");
                return false;
            }
            bytes.append(m_miniStreamCache.bytes, offset % m_sectorSize, kMiniSectorSize);
            return true;
        });
    if (!broken.empty())
        return broken;
    if (!end.trouble.empty())
        return end.trouble;
    bytes.resize(size);
    return "";
}

StreamContent CompoundFile::Reader::readStream(const CompoundStream& stream, uint64_t largest) {
    StreamContent content;
    if (stream.size > largest) {
        content.message = fmt::format("{} bytes, more than the {} taken", stream.size, largest);
        return content;
    }
    if (stream.size > m_fileSize) {
        content.message = fmt::format("{} bytes, more than the file's {}", stream.size, m_fileSize);
        return content;
    }
    if (stream.size > m_readBudget) {
        content.message = "the streams together claim far more bytes than the file holds; "
                          "not read";
        return content;
    }
    m_readBudget -= stream.size;
    std::string bytes;
    bytes.reserve(static_cast<size_t>(stream.size));
    if (stream.size == 0) {
        content.bytes = std::move(bytes);
        return content;
    }
    content.message = stream.isInMiniStream ? readMini(stream.firstSector, stream.size, bytes)
                                            : readRegular(stream.firstSector, stream.size, bytes);
    if (content.message.empty())
        content.bytes = std::move(bytes);
    return content;
}

std::optional<std::vector<ByteRange>> CompoundFile::Reader::unusedRanges(RunControl& run) {
    std::vector<ByteRange> ranges;
    auto add = [&](uint64_t firstSector, uint64_t sectorCount) {
        const uint64_t offset = (firstSector + 1) * m_sectorSize;
        const uint64_t end = std::min(offset + sectorCount * m_sectorSize, m_fileSize);
        if (!ranges.empty() && ranges.back().end() == offset)
            ranges.back().length = end - ranges.back().offset;
        else
            ranges.push_back({offset, end - offset});
    };
    const uint32_t perSector = m_sectorSize / 4;
    uint64_t covered = 0; // sectors the FAT sectors read so far describe
    for (size_t index = 0; index < m_fatSectors.size() && covered < m_sectorCount; ++index) {
        if (index % 1024 == 1023) {
            run.yield();
            if (run.isCanceled())
                return std::nullopt;
        }
        const uint64_t count = std::min<uint64_t>(perSector, m_sectorCount - covered);
        if (!readSector(m_fatSectors[index], m_fatCache)) {
            add(covered, count); // what a lost FAT sector describes belongs to nothing known
        } else {
            for (uint64_t slot = 0; slot < count; ++slot)
                if (littleEndian32(m_fatCache.bytes, slot * 4) == kFreeSector)
                    add(covered + slot, 1);
        }
        covered += count;
    }
    if (covered < m_sectorCount)
        add(covered, m_sectorCount - covered);
    return ranges;
}

CompoundOpening CompoundFile::open(platform::InputFile& file) {
    auto reader = std::make_unique<Reader>(file);
    CompoundOpening opening = reader->open();
    if (opening.status == CompoundOpenStatus::Opened)
        opening.file.reset(new CompoundFile(std::move(reader)));
    return opening;
}

CompoundFile::CompoundFile(std::unique_ptr<Reader> reader) : m_reader(std::move(reader)) {}
CompoundFile::~CompoundFile() = default;

const std::vector<CompoundStream>& CompoundFile::streams() const {
    return m_reader->streams();
}
const std::vector<std::string>& CompoundFile::directoryMessages() const {
    return m_reader->directoryMessages();
}
StreamContent CompoundFile::readStream(const CompoundStream& stream, uint64_t largest) {
    return m_reader->readStream(stream, largest);
}
std::optional<std::vector<ByteRange>> CompoundFile::unusedRanges(RunControl& run) {
    return m_reader->unusedRanges(run);
}

} // namespace vorlith
