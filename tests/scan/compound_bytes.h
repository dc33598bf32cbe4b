#pragma once
// Builders of thumbnail stores for tests and benchmarks, written from the documented layouts:
// compound files (header, FAT with DIFAT, mini FAT, mini stream, directory), Thumbs.db Catalog
// and thumbnail streams, thumbcache entries, and small JPEG pictures.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vorlith::test {

inline void PutLittle(std::string& bytes, uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}
inline void PatchLittle32(std::string& bytes, uint64_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
inline std::string Utf16Le(const std::string& ascii) {
    std::string units;
    for (char c : ascii) {
        units += c;
        units += '\0';
    }
    return units;
}

/// A small baseline JPEG by its structure: SOI, APP0 "JFIF", DQT, SOF0 (width x height, one
/// component), DHT, SOS, filler coded data holding "FF 00" and a restart marker, EOI.
inline std::string SmallJpeg(uint16_t width, uint16_t height, size_t codedBytes = 40) {
    std::string jpeg("\xFF\xD8", 2);
    jpeg += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    jpeg += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    jpeg += std::string("\xFF\xC0\x00\x0B\x08", 5);
    jpeg += static_cast<char>(height >> 8);
    jpeg += static_cast<char>(height & 0xFF);
    jpeg += static_cast<char>(width >> 8);
    jpeg += static_cast<char>(width & 0xFF);
    jpeg += std::string("\x01\x01\x11\x00", 4);
    // One Huffman code of length 1 for the symbol 0.
    jpeg += std::string("\xFF\xC4\x00\x14\x00\x01", 6) + std::string(15, '\0') + '\0';
    jpeg += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    for (size_t i = 0; i < codedBytes; ++i)
        jpeg += static_cast<char>(i % 3 == 0 ? 0x5A : 0xA5);
    jpeg += std::string("\xFF\x00\x12\xFF\xD0\x34", 6);
    jpeg += std::string("\xFF\xD9", 2);
    return jpeg;
}

/// A Windows XP thumbnail stream: a 12-byte header (its length, 1, the picture's size), then the
/// picture.
inline std::string ThumbnailStream(const std::string& picture) {
    std::string stream;
    PutLittle(stream, 12, 4);
    PutLittle(stream, 1, 4);
    PutLittle(stream, picture.size(), 4);
    return stream + picture;
}

struct CatalogItem {
    uint32_t number;
    uint64_t fileTime;
    std::string name; // ASCII
};

/// A Catalog stream: header (16, version 7, count, 96, 96), then one entry per item with its
/// length, number, time and NUL-ended UTF-16 name, padded to a multiple of four.
inline std::string CatalogStream(const std::vector<CatalogItem>& items) {
    std::string stream;
    PutLittle(stream, 16, 2);
    PutLittle(stream, 7, 2);
    PutLittle(stream, items.size(), 4);
    PutLittle(stream, 96, 4);
    PutLittle(stream, 96, 4);
    for (const CatalogItem& item : items) {
        std::string name = Utf16Le(item.name) + std::string(2, '\0');
        while ((16 + name.size()) % 4 != 0)
            name += '\0';
        PutLittle(stream, 16 + name.size(), 4);
        PutLittle(stream, item.number, 4);
        PutLittle(stream, item.fileTime, 8);
        stream += name;
    }
    return stream;
}

struct CompoundSpec {
    std::vector<std::pair<std::string, std::string>> streams; // name, bytes; in directory order
    uint32_t sectorShift = 9;                                 // 9: 512-byte sectors, 12: 4096
    std::string freeBytes; // placed in sectors the FAT marks free, after the streams
};

struct CompoundBytes {
    std::string bytes;
    uint32_t sectorSize = 512;
    std::vector<uint32_t> fatSectors;            // where the FAT sectors lie, in order
    std::map<std::string, uint32_t> firstSector; // of each stream in regular sectors
    uint32_t directorySector = 0;
    uint32_t freeSector = 0;  // the first free sector (freeBytes)
    uint32_t freeSectors = 0; // how many

    uint64_t sectorOffset(uint32_t sector) const { return (uint64_t{sector} + 1) * sectorSize; }
    /// Where the FAT entry of a sector lies in the file.
    uint64_t fatEntryOffset(uint32_t sector) const {
        const uint32_t perSector = sectorSize / 4;
        return sectorOffset(fatSectors[sector / perSector]) + (sector % perSector) * 4;
    }
};

/// A compound file holding the streams, laid out in this order: directory, mini FAT, mini
/// stream, the large streams each in adjacent sectors, the free sectors, then the FAT and, when
/// the header's 109 places do not suffice, the DIFAT.
inline CompoundBytes BuildCompoundFile(const CompoundSpec& spec) {
    constexpr uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatMark = 0xFFFFFFFD,
                       kDifatMark = 0xFFFFFFFC;
    CompoundBytes out;
    out.sectorSize = 1u << spec.sectorShift;
    const uint32_t size = out.sectorSize;
    const uint32_t perSector = size / 4;
    auto sectorsFor = [&](uint64_t bytes) {
        return static_cast<uint32_t>((bytes + size - 1) / size);
    };

    // The mini stream and its FAT.
    std::string miniStream;
    std::vector<uint32_t> miniFat;
    std::map<std::string, uint32_t> miniStart;
    for (const auto& [name, bytes] : spec.streams) {
        if (bytes.size() >= 4096)
            continue;
        const uint32_t first = static_cast<uint32_t>(miniStream.size() / 64);
        const uint32_t count = static_cast<uint32_t>((bytes.size() + 63) / 64);
        miniStart[name] = bytes.empty() ? kEnd : first;
        for (uint32_t i = 0; i < count; ++i)
            miniFat.push_back(i + 1 < count ? first + i + 1 : kEnd);
        std::string padded = bytes;
        padded.resize(count * 64, '\0');
        miniStream += padded;
    }
    std::string miniFatBytes;
    for (uint32_t entry : miniFat)
        PutLittle(miniFatBytes, entry, 4);

    // Regular sectors: what goes where.
    std::vector<uint32_t> fat;
    std::string data;
    auto place = [&](const std::string& bytes, uint32_t mark) -> uint32_t {
        const uint32_t count = sectorsFor(bytes.size());
        if (count == 0)
            return kEnd;
        const uint32_t first = static_cast<uint32_t>(fat.size());
        for (uint32_t i = 0; i < count; ++i)
            fat.push_back(mark != 0 ? mark : (i + 1 < count ? first + i + 1 : kEnd));
        std::string padded = bytes;
        padded.resize(uint64_t{count} * size, '\0');
        data += padded;
        return first;
    };
    const uint32_t entryCount = static_cast<uint32_t>(spec.streams.size() + 1);
    std::string directory(uint64_t{sectorsFor(uint64_t{entryCount} * 128)} * size, '\0');
    out.directorySector = place(directory, 0);
    const uint32_t miniFatFirst = place(miniFatBytes, 0);
    const uint32_t miniStreamFirst = place(miniStream, 0);
    for (const auto& [name, bytes] : spec.streams)
        if (bytes.size() >= 4096)
            out.firstSector[name] = place(bytes, 0);
    out.freeSector = static_cast<uint32_t>(fat.size());
    out.freeSectors = sectorsFor(spec.freeBytes.size());
    place(spec.freeBytes, kFree);

    // The FAT covers every sector, its own and the DIFAT's included.
    uint32_t fatCount = 0, difatCount = 0;
    for (;;) {
        const uint64_t total = fat.size() + fatCount + difatCount;
        const uint32_t neededFat = static_cast<uint32_t>((total + perSector - 1) / perSector);
        const uint32_t neededDifat =
            neededFat > 109 ? (neededFat - 109 + perSector - 2) / (perSector - 1) : 0;
        if (neededFat == fatCount && neededDifat == difatCount)
            break;
        fatCount = neededFat;
        difatCount = neededDifat;
    }
    const uint32_t fatFirst = static_cast<uint32_t>(fat.size());
    for (uint32_t i = 0; i < fatCount; ++i) {
        out.fatSectors.push_back(fatFirst + i);
        fat.push_back(kFatMark);
    }
    const uint32_t difatFirst = static_cast<uint32_t>(fat.size());
    for (uint32_t i = 0; i < difatCount; ++i)
        fat.push_back(kDifatMark);
    fat.resize(uint64_t{fatCount} * perSector, kFree);

    // The directory: the root, then one entry per stream, each the right sibling of the last.
    auto entry = [&](const std::string& name, uint8_t type, uint32_t right, uint32_t child,
                     uint32_t start, uint64_t streamSize) {
        std::string bytes = Utf16Le(name) + std::string(2, '\0');
        bytes.resize(64, '\0');
        PutLittle(bytes, name.size() * 2 + 2, 2);
        bytes += static_cast<char>(type);
        bytes += '\1'; // black
        PutLittle(bytes, 0xFFFFFFFF, 4);
        PutLittle(bytes, right, 4);
        PutLittle(bytes, child, 4);
        bytes += std::string(16 + 4 + 16, '\0');
        PutLittle(bytes, start, 4);
        PutLittle(bytes, streamSize, 8);
        return bytes;
    };
    std::string entries = entry("Root Entry", 5, 0xFFFFFFFF, spec.streams.empty() ? 0xFFFFFFFF : 1,
                                miniStream.empty() ? kEnd : miniStreamFirst, miniStream.size());
    for (size_t i = 0; i < spec.streams.size(); ++i) {
        const auto& [name, bytes] = spec.streams[i];
        const uint32_t right =
            i + 1 < spec.streams.size() ? static_cast<uint32_t>(i + 2) : 0xFFFFFFFF;
        const uint32_t start = bytes.size() >= 4096 ? out.firstSector[name] : miniStart[name];
        entries += entry(name, 2, right, 0xFFFFFFFF, start, bytes.size());
    }
    while (entries.size() < directory.size())
        entries += entry("", 0, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0);
    data.replace(0, entries.size(), entries);

    // The header.
    std::string header("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    header += std::string(16, '\0');
    PutLittle(header, 0x3E, 2);
    PutLittle(header, spec.sectorShift == 12 ? 4 : 3, 2);
    PutLittle(header, 0xFFFE, 2);
    PutLittle(header, spec.sectorShift, 2);
    PutLittle(header, 6, 2);
    header += std::string(6, '\0');
    PutLittle(header, 0, 4); // directory sectors (version 3: always 0)
    PutLittle(header, fatCount, 4);
    PutLittle(header, out.directorySector, 4);
    PutLittle(header, 0, 4);
    PutLittle(header, 4096, 4);
    PutLittle(header, miniFatFirst, 4);
    PutLittle(header, sectorsFor(miniFatBytes.size()), 4);
    PutLittle(header, difatCount ? difatFirst : kEnd, 4);
    PutLittle(header, difatCount, 4);
    for (uint32_t i = 0; i < 109; ++i)
        PutLittle(header, i < fatCount ? out.fatSectors[i] : kFree, 4);
    header.resize(size, '\0');

    std::string fatBytes;
    for (uint32_t value : fat)
        PutLittle(fatBytes, value, 4);
    std::string difatBytes;
    for (uint32_t d = 0; d < difatCount; ++d) {
        for (uint32_t slot = 0; slot + 1 < perSector; ++slot) {
            const uint64_t index = 109 + uint64_t{d} * (perSector - 1) + slot;
            PutLittle(difatBytes, index < fatCount ? out.fatSectors[index] : kFree, 4);
        }
        PutLittle(difatBytes, d + 1 < difatCount ? difatFirst + d + 1 : kEnd, 4);
    }
    out.bytes = header + data + fatBytes + difatBytes;
    return out;
}

/// A thumbcache entry of a Windows 7 file (format version 21): its 48-byte header, the hash in
/// UTF-16 hexadecimal as the identifier, then the data.
inline std::string ThumbcacheEntry(uint64_t hash, const std::string& data, uint32_t padding = 0) {
    std::string identifier;
    const char* digits = "0123456789abcdef";
    for (int shift = 60; shift >= 0; shift -= 4)
        identifier += digits[(hash >> shift) & 0xF];
    identifier = Utf16Le(identifier);
    std::string entry = "CMMM";
    PutLittle(entry, 48 + identifier.size() + padding + data.size(), 4);
    PutLittle(entry, hash, 8);
    PutLittle(entry, identifier.size(), 4);
    PutLittle(entry, padding, 4);
    PutLittle(entry, data.size(), 4);
    PutLittle(entry, 0, 4);
    PutLittle(entry, 0x1122334455667788ull, 8); // data checksum
    PutLittle(entry, 0x8877665544332211ull, 8); // header checksum
    return entry + identifier + std::string(padding, '\0') + data;
}

/// A Windows 7 thumbcache file: the 24-byte header, then the entries.
inline std::string ThumbcacheFile(const std::vector<std::string>& entries, uint32_t version = 21) {
    std::string body;
    for (const std::string& entry : entries)
        body += entry;
    std::string file = "CMMM";
    PutLittle(file, version, 4);
    PutLittle(file, 1, 4);                // cache type: 96 x 96
    PutLittle(file, 24, 4);               // first entry
    PutLittle(file, 24 + body.size(), 4); // first free byte
    PutLittle(file, entries.size(), 4);
    return file + body;
}

} // namespace vorlith::test
