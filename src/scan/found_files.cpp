#include "scan/found_files.h"

namespace vorlith {
namespace {
// Width of a text in the list's units: one unit per character, counting a UTF-8 sequence once.
int64_t textWidth(const std::string& text) {
    int64_t characters = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++characters;
    return characters;
}
} // namespace

void FoundFileList::AddToList(const std::string& path) {
    m_entries.push_back(path);
    const int64_t width = textWidth(path) + 10;
    if (width > m_widestWidth)
        m_widestWidth = width;
}

void FoundFileList::clear() {
    m_entries.clear();
}

void FoundFiles::clear() {
    lstResult.clear();
    lstVideos.clear();
    lstThumbs.clear();
    lstFirefox.clear();
}

} // namespace vorlith
