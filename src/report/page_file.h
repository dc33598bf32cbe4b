#pragma once
// Report pages as files written strictly line by line.

#include "platform/file_system.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace vorlith {

/// One report page open for writing. Every line ends in CR LF; characters outside ASCII and
/// control characters become numeric character references (the pages declare iso-8859-1), so a
/// CR or LF inside a line never splits it. A page that could not be created
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

/// The pages of the report set that are open at one time, by page number (1 to 16).
class ReportPages {
public:
    explicit ReportPages(std::string folder = "") : m_folder(std::move(folder)) {}

    void setFolder(std::string folder) { m_folder = std::move(folder); }
    const std::string& folder() const { return m_folder; }

    /// Opens a page under its number; a page still open under that number (left by a cancelled
    /// run) is closed first.
    PageFile& open(int number, const std::string& fileName);
    /// The page under a number; an unopened page swallows its lines.
    PageFile& page(int number);
    /// Closes every open page.
    void closeAll();

private:
    std::string m_folder;
    std::array<PageFile, 17> m_pages;
};

} // namespace vorlith
