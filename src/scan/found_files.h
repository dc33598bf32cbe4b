#pragma once
// The found-file lists that the disk scan fills and the pages read.

#include <cstdint>
#include <string>
#include <vector>

namespace vorlith {

/// A list of full paths in the order found, with the widest entry seen so far (the horizontal
/// extent a list control needs to show it).
class FoundFileList {
public:
    /// Appends the path (no duplicate test) and widens the extent when it is the widest yet.
    void AddToList(const std::string& path);
    void clear();

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const std::string& operator[](size_t index) const { return m_entries[index]; }
    const std::vector<std::string>& entries() const { return m_entries; }
    /// The widest entry so far, in the list's width units (average character widths + 10).
    int64_t widestWidth() const { return m_widestWidth; }

private:
    std::vector<std::string> m_entries;
    int64_t m_widestWidth = 0;
};

/// The four lists of one audit run.
struct FoundFiles {
    FoundFileList lstResult;  // audio files
    FoundFileList lstVideos;  // video files
    FoundFileList lstThumbs;  // thumbnail stores
    FoundFileList lstFirefox; // files of the Firefox cache folder

    void clear();
};

} // namespace vorlith
