// A private folder on Windows: created below the temporary folder with a protected access list
// that lets in only the user who runs the program (and nobody through inheritance).

#include "platform/private_folder.h"

#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/windows/win32.h"

#include <random>

namespace vorlith::platform {

std::unique_ptr<PrivateFolder> PrivateFolder::Create(std::string_view namePrefix) {
    win32::PrivateSecurity security;
    if (!security.attributes())
        return nullptr;
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string path =
            JoinPath(TemporaryFolder(),
                     std::string(namePrefix) + "-" + std::to_string(random() % 100000000));
        // A name that is taken (by anything, a link included) is not used: only a new folder.
        if (::CreateDirectoryW(win32::WidePath(path).c_str(), security.attributes()))
            return std::unique_ptr<PrivateFolder>(new PrivateFolder(path));
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return nullptr;
}

PrivateFolder::~PrivateFolder() {
    for (const std::string& file : ListFolderPaths(m_path))
        DeleteFile(file);
    ::RemoveDirectoryW(win32::WidePath(m_path).c_str());
}

} // namespace vorlith::platform
