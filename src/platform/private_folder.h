#pragma once
// A folder of the program's own for private copies of files it must not touch in place.

#include <memory>
#include <string>
#include <string_view>

namespace vorlith::platform {

/// A new folder below the temporary folder that only this user can enter. When the object goes,
/// the files in it and the folder are deleted (it is meant for plain files, not sub-folders).
class PrivateFolder {
public:
    /// nullptr when no folder could be made.
    static std::unique_ptr<PrivateFolder> Create(std::string_view namePrefix);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::string& path() const { return m_path; }

private:
    explicit PrivateFolder(std::string path) : m_path(std::move(path)) {}
    std::string m_path;
};

} // namespace vorlith::platform
