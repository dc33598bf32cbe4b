#pragma once
// Report pages as files written strictly line by line.

#include "base/calendar.h"
#include "platform/output_folder.h"
#include "report/page_set.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace vorlith {

/// One line being written into a page's buffer (PageFile::beginLine). Each part is copied in
/// without a check of the room left: the line's room must cover every part, as each part says.
class PageLine {
public:
    /// Text the program itself holds to be printable ASCII (its own texts, numbers, links); as
    /// many bytes as it has.
    void printable(std::string_view text) { copy(text); }
    /// Any text, as it is; the line is then looked at when it ends. As many bytes as it has.
    void text(std::string_view text) {
        copy(text);
        m_printable = false;
    }
    /// The text escaped as HtmlEscape does: up to 6 bytes per byte.
    void escaped(std::string_view text);
    /// FileUrl(path): up to 7 bytes and 6 per byte of the path.
    void fileUrl(std::string_view path);
    /// LocalFileUrl(path, reportFolder): up to 7 bytes and 6 per byte of the path.
    void localFileUrl(std::string_view path, std::string_view reportFolder);
    /// A whole number in decimal: up to 20 bytes.
    void number(int64_t value);
    /// AppendGeneralDate's form: up to kGeneralDateRoom bytes.
    void date(const DateTime& value);

    /// Whether every byte written so far is known to be printable ASCII.
    bool isPrintable() const { return m_printable; }
    char* end() const { return m_at; }

private:
    friend class PageFile;
    explicit PageLine(char* at) : m_at(at) {}
    void copy(std::string_view text) {
        if (!text.empty())
            std::memcpy(m_at, text.data(), text.size());
        m_at += text.size();
    }

    char* m_at;
    bool m_printable = true;
};

/// One report page open for writing. Every line ends in CR LF; characters outside ASCII and
/// control characters become numeric character references (the pages declare iso-8859-1), so a
/// CR or LF inside a line never splits it. The page is written as a new file and takes its name
/// only when it is closed whole, so a link standing at its name is replaced, never followed, and
/// a page cut short never replaces a complete one. A page that could not be created swallows its
/// lines.
class PageFile {
public:
    /// Creates the page `name` in the folder. False (with the reason) when it could not be created.
    bool open(platform::OutputFolder& folder, std::string_view name,
              platform::SystemError* error = nullptr);
    /// The same for a page path: the folder is opened for the page (its last name must not be a
    /// link).
    bool open(const std::string& path, platform::SystemError* error = nullptr);
    bool isOpen() const { return m_file != nullptr; }
    void writeLine(std::string_view text);
    /// A line written straight into the page's buffer, without a copy of its own: the line may
    /// take up to `room` bytes (see PageLine for what each part needs). End it with endLine;
    /// nothing else may be written to the page in between.
    PageLine beginLine(size_t room);
    /// Ends the line begun: written as writeLine would write it.
    void endLine(const PageLine& line);
    /// Closes the page. False when it was open and could not be written whole.
    bool close();
    const std::string& path() const { return m_path; }

private:
    std::unique_ptr<platform::OutputFolder> m_ownFolder; // for a page opened by its path
    // Makes room for `bytes` more bytes in the block, writing what it holds first when needed.
    void reserve(size_t bytes);
    void writeBlock();

    std::unique_ptr<platform::OutputFile> m_file;
    std::string m_path;
    std::unique_ptr<char[]> m_block; // finished lines gathered into one write, then the line
                                     // being written
    size_t m_blockCapacity = 0;      // bytes
    size_t m_blockUsed = 0;          // bytes of finished lines
};

/// The pages of the report set that are open at one time, in one folder.
class ReportPages {
public:
    explicit ReportPages(std::string folder = "") : m_folder(std::move(folder)) {}

    /// Writes the pages into this folder from now on (open pages stay where they are).
    void setFolder(std::string folder);
    const std::string& folder() const { return m_folder; }
    /// The folder the pages will stand in once the run is done, where they link the pictures of
    /// its thumbs folder from (see LocalFileUrl); "" (the default) links every file absolutely.
    void setShownFolder(std::string folder) { m_shownFolder = std::move(folder); }
    const std::string& shownFolder() const { return m_shownFolder; }

    /// Creates the page's file in the folder; a page still open (left by a cancelled run) is
    /// closed first.
    PageFile& open(PageId id);
    /// The page; an unopened page swallows its lines.
    PageFile& page(PageId id) { return m_pages[static_cast<size_t>(id)]; }
    /// Writes the page's last line and closes it.
    void close(PageId id);
    /// Closes every open page.
    void closeAll();

    /// The first page that could not be created or written whole, with the reason ("" when
    /// every page so far was written).
    const std::string& failure() const { return m_failure; }

private:
    void fail(const std::string& path, const platform::SystemError& error);

    std::string m_folder;
    std::string m_shownFolder;
    std::unique_ptr<platform::OutputFolder> m_handle; // m_folder, opened at the first page
    std::array<PageFile, kPageCount> m_pages;
    std::string m_failure;
};

} // namespace vorlith
