#include "report/page_file.h"

#include "report/html_text.h"

#include <cstdint>
#include <cstring>

namespace vorlith {
namespace {
constexpr uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// Eight bytes at a time: a line is plain when every byte is printable ASCII (0x20 to 0x7E). A
// byte below 0x20 sets its high bit in the first term (the borrow of the subtraction), a byte
// above 0x7E in the second; a carry or borrow can only add bits above a byte already found.
bool isPlain(std::string_view text) {
    size_t pos = 0;
    uint64_t special = 0;
    for (; pos + 8 <= text.size(); pos += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        special |= ((word - kEveryByte * 0x20) & ~word) | (word + kEveryByte) | word;
    }
    for (; pos < text.size(); ++pos) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        special |= byte < 0x20 || byte > 0x7E ? 0x80 : 0;
    }
    return (special & kHighBits) == 0;
}
} // namespace

bool PageFile::open(platform::OutputFolder& folder, std::string_view name,
                    platform::SystemError* error) {
    close();
    m_path = platform::JoinPath(folder.path(), name);
    m_file = folder.createFile(name, error);
    return m_file != nullptr;
}

bool PageFile::open(const std::string& path, platform::SystemError* error) {
    close();
    const size_t separator = path.find_last_of(platform::kPathSeparator);
    const std::string folder =
        separator == std::string::npos ? "." : path.substr(0, separator == 0 ? 1 : separator);
    m_ownFolder = platform::OpenOutputFolder(folder, error);
    if (!m_ownFolder) {
        m_path = path;
        return false;
    }
    return open(*m_ownFolder, separator == std::string::npos ? path : path.substr(separator + 1),
                error);
}

void PageFile::writeLine(std::string_view text) {
    if (!m_file)
        return;
    // Most lines are plain ASCII: they go out as they are, without a copy.
    if (isPlain(text))
        m_file->write(text);
    else
        m_file->write(EncodeForPage(text));
    m_file->write("\r\n");
}

bool PageFile::close() {
    if (!m_file)
        return true;
    const bool written = m_file->close();
    m_file.reset();
    m_ownFolder.reset();
    return written;
}

void ReportPages::setFolder(std::string folder) {
    if (folder != m_folder)
        m_handle.reset();
    m_folder = std::move(folder);
}

PageFile& ReportPages::open(PageId id) {
    PageFile& file = page(id);
    close(id);
    platform::SystemError error;
    if (!m_handle)
        m_handle = platform::OpenOutputFolder(m_folder, &error);
    const std::string name = InfoOf(id).fileName;
    if (!m_handle || !file.open(*m_handle, name, &error))
        fail(platform::JoinPath(m_folder, name), error);
    return file;
}

void ReportPages::close(PageId id) {
    PageFile& file = page(id);
    if (!file.close())
        fail(file.path(), platform::SystemError{0, "it could not be written whole"});
}

void ReportPages::closeAll() {
    for (size_t index = 0; index < m_pages.size(); ++index)
        close(static_cast<PageId>(index));
}

void ReportPages::fail(const std::string& path, const platform::SystemError& error) {
    if (m_failure.empty())
        m_failure = path + ": " + (error.description.empty() ? "cannot be written" : error.description);
}

} // namespace vorlith
