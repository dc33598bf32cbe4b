#pragma once
// Report pages as files written strictly line by line.

#include "platform/output_folder.h"
#include "report/page_set.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace vorlith {

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
    /// Closes the page. False when it was open and could not be written whole.
    bool close();
    const std::string& path() const { return m_path; }

private:
    std::unique_ptr<platform::OutputFolder> m_ownFolder; // for a page opened by its path
    std::unique_ptr<platform::OutputFile> m_file;
    std::string m_path;
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
