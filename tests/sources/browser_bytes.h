#pragma once
// Builders of browser cache files for tests, written from the documented layouts.

#include <cstdint>
#include <string>

namespace vorlith::test {

inline void PutBigEndian32(std::string& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
}
inline void PutLittleEndian(std::string& bytes, uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

/// A Firefox cache2 entry: a picture fetched five times.
struct FirefoxEntrySample {
    std::string body = "\xFF\xD8\xFF\xE0 picture";
    std::string key = "O^partitionKey=%28http%2C127.0.0.1%29,:http://127.0.0.1/big.jpg";
    uint32_t version = 3;
    bool versionWordBeforeOffset = false; // as newer Firefox versions write
};

/// body, hash, one chunk hash per started 256 KiB, header (fetch count 5, last fetched
/// 1796584575, last modified 1796584571, expiration 1796670975), key NUL, elements (a request
/// method, the response head, a container id), offset word.
inline std::string FirefoxEntryBytes(const FirefoxEntrySample& sample) {
    std::string bytes = sample.body;
    PutBigEndian32(bytes, 0x12345678); // metadata hash
    bytes += std::string((sample.body.size() + 262143) / 262144 * 2, '\xAB');
    for (uint32_t value : {sample.version, 5u, 1796584575u, 1796584571u, 77u /* frecency */,
                           1796670975u, static_cast<uint32_t>(sample.key.size())})
        PutBigEndian32(bytes, value);
    if (sample.version >= 2)
        PutBigEndian32(bytes, 0); // flags
    bytes += sample.key + '\0';
    static const char elements[] = "request-method\0GET\0response-head\0HTTP/1.1 200 OK\r\n"
                                   "Content-Type: image/jpeg\r\n\0ctid\0"
                                   "3"; // and its NUL
    bytes.append(elements, sizeof elements);
    if (sample.versionWordBeforeOffset)
        PutBigEndian32(bytes, sample.version);
    PutBigEndian32(bytes, static_cast<uint32_t>(sample.body.size()));
    return bytes;
}

/// A pickled response info: payload size, flags (with the extra-flags bit), extra flags, request
/// and response time (microseconds since 1601), a further time, then the raw headers.
inline std::string ResponseInfoPickle(int64_t requestTime, int64_t responseTime,
                                      const std::string& rawHeaders, bool extraTime = true) {
    std::string payload;
    PutLittleEndian(payload, 0x80040003u | uint64_t{6} << 32, 8);
    PutLittleEndian(payload, static_cast<uint64_t>(requestTime), 8);
    for (int i = extraTime ? 0 : 1; i < 2; ++i)
        PutLittleEndian(payload, static_cast<uint64_t>(responseTime), 8);
    PutLittleEndian(payload, rawHeaders.size(), 4);
    payload += rawHeaders;
    payload.resize((payload.size() + 3) / 4 * 4, '\0');
    std::string pickle;
    PutLittleEndian(pickle, payload.size(), 4);
    return pickle + payload;
}

/// A Chromium simple-cache "_0" file (version 5).
struct SimpleCacheSample {
    std::string key = "1/0/_dk_http://a.example http://a.example http://a.example/p.jpg";
    std::string body = "\xFF\xD8\xFF\xE0 picture body";
    std::string stream0 = ResponseInfoPickle(
        13441058195299458, 13441058195306706,
        std::string("HTTP/1.1 200 OK\0Content-Type: image/jpeg\0Content-Length: 4\0\0", 60));
    bool withKeyHash = true;
};

/// Magic, flags, CRC, stream size, padding.
inline void PutEndRecord(std::string& bytes, uint32_t flags, uint32_t streamSize) {
    PutLittleEndian(bytes, 0xf4fa6f45970d41d8ULL, 8);
    PutLittleEndian(bytes, flags | uint64_t{0xDEADBEEF} << 32, 8);
    PutLittleEndian(bytes, streamSize, 8);
}

inline std::string SimpleCacheBytes(const SimpleCacheSample& sample) {
    std::string bytes;
    PutLittleEndian(bytes, 0xfcfb6d1ba7725c30ULL, 8);
    PutLittleEndian(bytes, 5 | uint64_t{sample.key.size()} << 32, 8); // version, key length
    PutLittleEndian(bytes, 0x11223344, 8);                            // key hash, padding
    bytes += sample.key + sample.body;
    PutEndRecord(bytes, 1, 0);
    bytes += sample.stream0;
    if (sample.withKeyHash)
        bytes += std::string(32, '\x5A');
    PutEndRecord(bytes, sample.withKeyHash ? 3 : 1, static_cast<uint32_t>(sample.stream0.size()));
    return bytes;
}

} // namespace vorlith::test
