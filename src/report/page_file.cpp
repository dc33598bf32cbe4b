#include "report/page_file.h"

#include "base/byte_words.h"
#include "report/html_text.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace vorlith {
namespace {
// Lines are handed to the file in blocks of at least this many bytes.
constexpr size_t kBlockSize = 64 * 1024;

// A line is plain when every byte is printable ASCII (0x20 to 0x7E); eight bytes at a time.
bool isPlain(std::string_view text) {
    if (text.size() >= 8)
        return words::AnyOf(text.data(), text.size(),
                            [](uint64_t word) { return words::UnprintableBytes(word); }) == 0;
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte <= 0x7E;
    });
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

void PageLine::escaped(std::string_view text) {
    bool printable = true;
    m_at = WriteHtmlEscaped(m_at, text, printable);
    m_printable = m_printable && printable;
}

void PageLine::fileUrl(std::string_view path) {
    m_at = WriteFileUrl(m_at, path);
}

void PageLine::localFileUrl(std::string_view path, std::string_view reportFolder) {
    m_at = WriteLocalFileUrl(m_at, path, reportFolder);
}

void PageLine::number(int64_t value) {
    m_at = std::to_chars(m_at, m_at + 20, value).ptr;
}

void PageLine::date(const DateTime& value) {
    m_at = WriteGeneralDate(m_at, value);
}

void PageFile::writeLine(std::string_view text) {
    if (!m_file)
        return;
    PageLine line = beginLine(text.size());
    line.text(text);
    endLine(line);
}

void PageFile::reserve(size_t bytes) {
    if (m_blockUsed + bytes <= m_blockCapacity)
        return;
    writeBlock();
    if (bytes > m_blockCapacity) {
        m_blockCapacity = std::max(bytes, 2 * kBlockSize);
        m_block = std::make_unique_for_overwrite<char[]>(m_blockCapacity);
    }
}

void PageFile::writeBlock() {
    if (m_file && m_blockUsed > 0)
        m_file->write(std::string_view(m_block.get(), m_blockUsed));
    m_blockUsed = 0;
}

PageLine PageFile::beginLine(size_t room) {
    reserve(room + 2); // and the line end
    return PageLine(m_block.get() + m_blockUsed);
}

void PageFile::endLine(const PageLine& line) {
    char* const start = m_block.get() + m_blockUsed;
    assert(line.end() >= start && line.end() <= m_block.get() + m_blockCapacity - 2 &&
           "the line stayed within its room");
    if (!m_file)
        return;
    size_t length = static_cast<size_t>(line.end() - start);
    assert((!line.isPrintable() || isPlain({start, length})) && "a printable line is plain");
    // Most lines are plain ASCII and stay as they were written.
    if (!line.isPrintable() && !isPlain({start, length})) {
        const std::string encoded = EncodeForPage({start, length});
        reserve(encoded.size() + 2); // may write the finished lines, never this one
        std::memcpy(m_block.get() + m_blockUsed, encoded.data(), encoded.size());
        length = encoded.size();
    }
    char* const end = m_block.get() + m_blockUsed + length;
    end[0] = '\r';
    end[1] = '\n';
    m_blockUsed += length + 2;
    if (m_blockUsed >= kBlockSize)
        writeBlock();
}

bool PageFile::close() {
    if (!m_file)
        return true;
    writeBlock();
    m_block.reset();
    m_blockCapacity = 0;
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
        m_failure =
            path + ": " + (error.description.empty() ? "cannot be written" : error.description);
}

} // namespace vorlith
