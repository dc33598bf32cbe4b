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
    if (isPlain(text))
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

PageFile& ReportPages::open(int number, const std::string& fileName) {
    PageFile& file = page(number);
    file.close();
    file.open(platform::JoinPath(m_folder, fileName));
    return file;
}

PageFile& ReportPages::page(int number) {
    if (number < 0 || number >= static_cast<int>(m_pages.size()))
        number = 0; // page 0 is never opened: it swallows what is written to it
    return m_pages[static_cast<size_t>(number)];
}

void ReportPages::closeAll() {
    for (PageFile& file : m_pages)
        file.close();
}

} // namespace vorlith
