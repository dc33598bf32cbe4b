#include "report/page_file.h"

#include "report/html_text.h"

#include <cstdint>
#include <cstring>

namespace vorlith {
namespace {
// Eight bytes at a time: a line is ASCII when no byte has its top bit set.
bool isAscii(std::string_view text) {
    size_t pos = 0;
    uint64_t highBits = 0;
    for (; pos + 8 <= text.size(); pos += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        highBits |= word;
    }
    for (; pos < text.size(); ++pos)
        highBits |= static_cast<unsigned char>(text[pos]);
    return (highBits & 0x8080808080808080ULL) == 0;
}
} // namespace

bool PageFile::open(const std::string& path) {
    close();
    m_path = path;
    m_file = platform::CreateOutputFile(path);
    return m_file != nullptr;
}

void PageFile::writeLine(std::string_view text) {
    if (!m_file)
        return;
    // Most lines are plain ASCII: they go out as they are, without a copy.
    const bool ascii = isAscii(text);
    if (ascii)
        m_file->write(text);
    else
        m_file->write(EncodeForPage(text));
    m_file->write("\r\n");
}

void PageFile::close() {
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
}

PageFile& ReportPages::open(PageId id) {
    PageFile& file = page(id);
    file.close();
    file.open(platform::JoinPath(m_folder, InfoOf(id).fileName));
    return file;
}

void ReportPages::closeAll() {
    for (PageFile& file : m_pages)
        file.close();
}

} // namespace vorlith
