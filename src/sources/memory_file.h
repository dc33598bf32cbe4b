#pragma once
// Bytes in memory read through the file interface, so that parsers that read a file in pieces
// also run on bytes already read (a small file read whole) or made by a test.

#include "platform/file_system.h"

#include <algorithm>
#include <memory>
#include <string>

namespace vorlith {

class MemoryInputFile final : public platform::InputFile {
public:
    explicit MemoryInputFile(std::string bytes) : m_bytes(std::move(bytes)) {}
    size_t read(char* buffer, size_t size) override {
        size_t got = readAt(m_position, buffer, size);
        m_position += got;
        return got;
    }
    size_t readAt(uint64_t offset, char* buffer, size_t size) override {
        if (offset >= m_bytes.size())
            return 0;
        size_t count = static_cast<size_t>(std::min<uint64_t>(size, m_bytes.size() - offset));
        m_bytes.copy(buffer, count, static_cast<size_t>(offset));
        return count;
    }
    uint64_t size() const override { return m_bytes.size(); }

private:
    std::string m_bytes;
    uint64_t m_position = 0;
};

/// The file opened for reading; a file of at most wholeLimit bytes is read at once into memory,
/// so that its pieces cost no further reads. nullptr when it cannot be opened or read.
inline std::unique_ptr<platform::InputFile> OpenForParsing(const std::string& path,
                                                           uint64_t wholeLimit = 64 * 1024) {
    auto file = platform::OpenInputFile(path);
    if (!file || file->size() > wholeLimit)
        return file;
    std::string bytes(static_cast<size_t>(file->size()), '\0');
    if (file->readAt(0, bytes.data(), bytes.size()) != bytes.size())
        return nullptr;
    return std::make_unique<MemoryInputFile>(std::move(bytes));
}

} // namespace vorlith
