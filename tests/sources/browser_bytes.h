#pragma once
// Builders of browser cache files for tests, written from the documented layouts.

#include <cstdint>
#include <string>
#include <vector>

namespace vorlith::test {

inline void PutBigEndian32(std::string& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
}
inline void PutLittleEndian(std::string& bytes, uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct FirefoxEntrySample {
    std::string body;
    std::string key;
    uint32_t version = 3;
    uint32_t fetchCount = 1;
    uint32_t lastFetched = 0;
    uint32_t lastModified = 0;
    uint32_t expiration = 0;
    std::vector<std::pair<std::string, std::string>> elements;
    bool versionWordBeforeOffset = false; // as newer Firefox versions write
};

/// body, hash, one chunk hash per started 256 KiB, header, key NUL, elements, offset word.
inline std::string FirefoxEntryBytes(const FirefoxEntrySample& sample) {
    std::string bytes = sample.body;
    PutBigEndian32(bytes, 0x12345678); // metadata hash
    size_t chunks = (sample.body.size() + 262143) / 262144;
    for (size_t i = 0; i < chunks; ++i)
        bytes += "\xAB\xCD";
    for (uint32_t value :
         {sample.version, sample.fetchCount, sample.lastFetched, sample.lastModified,
          uint32_t{77} /* frecency */, sample.expiration, static_cast<uint32_t>(sample.key.size())})
        PutBigEndian32(bytes, value);
    if (sample.version >= 2)
        PutBigEndian32(bytes, 0); // flags
    bytes += sample.key;
    bytes += '\0';
    for (const auto& [name, value] : sample.elements) {
        bytes += name;
        bytes += '\0';
        bytes += value;
        bytes += '\0';
    }
    if (sample.versionWordBeforeOffset)
        PutBigEndian32(bytes, sample.version);
    PutBigEndian32(bytes, static_cast<uint32_t>(sample.body.size()));
    return bytes;
}

struct SimpleCacheSample {
    std::string key;
    std::string body;
    std::string stream0; // the pickled response info
    bool withKeyHash = true;
    uint32_t version = 5;
};

inline void PutEndRecord(std::string& bytes, uint32_t flags, uint32_t streamSize) {
    PutLittleEndian(bytes, 0xf4fa6f45970d41d8ULL, 8);
    PutLittleEndian(bytes, flags, 4);
    PutLittleEndian(bytes, 0xDEADBEEF, 4); // CRC
    PutLittleEndian(bytes, streamSize, 4);
    PutLittleEndian(bytes, 0, 4); // padding
}

inline std::string SimpleCacheBytes(const SimpleCacheSample& sample) {
    std::string bytes;
    PutLittleEndian(bytes, 0xfcfb6d1ba7725c30ULL, 8);
    PutLittleEndian(bytes, sample.version, 4);
    PutLittleEndian(bytes, sample.key.size(), 4);
    PutLittleEndian(bytes, 0x11223344, 4); // key hash
    PutLittleEndian(bytes, 0, 4);          // padding
    bytes += sample.key;
    bytes += sample.body;
    PutEndRecord(bytes, 1, 0);
    bytes += sample.stream0;
    if (sample.withKeyHash)
        bytes += std::string(32, '\x5A');
    PutEndRecord(bytes, sample.withKeyHash ? 3 : 1, static_cast<uint32_t>(sample.stream0.size()));
    return bytes;
}

/// A pickled response info: payload size, flags (with the extra-flags bit), extra flags, request
/// and response time (microseconds since 1601), a further time, then the raw headers.
inline std::string ResponseInfoPickle(int64_t requestTime, int64_t responseTime,
                                      const std::string& rawHeaders, bool extraTime = true) {
    std::string payload;
    PutLittleEndian(payload, 0x80040003u, 4);
    PutLittleEndian(payload, 6, 4);
    PutLittleEndian(payload, static_cast<uint64_t>(requestTime), 8);
    PutLittleEndian(payload, static_cast<uint64_t>(responseTime), 8);
    if (extraTime)
        PutLittleEndian(payload, static_cast<uint64_t>(responseTime), 8);
    PutLittleEndian(payload, rawHeaders.size(), 4);
    payload += rawHeaders;
    while (payload.size() % 4)
        payload += '\0';
    std::string pickle;
    PutLittleEndian(pickle, payload.size(), 4);
    return pickle + payload;
}

} // namespace vorlith::test
