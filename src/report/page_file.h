#pragma once
// Report pages as files written strictly line by line.

#include "platform/file_system.h"
#include "report/page_set.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace vorlith {

/// One report page open for writing. Every line ends in CR LF; characters outside ASCII become
/// numeric character references (the pages declare iso-8859-1). A page that could not be created
/// swallows its lines: failures never stop an audit.
class PageFile {
public:
    /// Creates or empties the file. False when it could not be created.
    bool open(const std::string& path);
    bool isOpen() const { return m_file != nullptr; }
    void writeLine(std::string_view text);
    void close();
    const std::string& path() const { return m_path; }

private:
    std::unique_ptr<platform::OutputFile> m_file;
    std::string m_path;
};

/// The pages of the report set that are open at one time.
class ReportPages {
public:
    explicit ReportPages(std::string folder = "") : m_folder(std::move(folder)) {}

    void setFolder(std::string folder) { m_folder = std::move(folder); }
    const std::string& folder() const { return m_folder; }

    /// Creates the page's file in the folder; a page still open (left by a cancelled run) is
    /// closed first.
    PageFile& open(PageId id);
    /// The page; an unopened page swallows its lines.
    PageFile& page(PageId id) { return m_pages[static_cast<size_t>(id)]; }
    /// Closes every open page.
    void closeAll();

private:
    std::string m_folder;
    std::array<PageFile, kPageCount> m_pages;
};

} // namespace vorlith
