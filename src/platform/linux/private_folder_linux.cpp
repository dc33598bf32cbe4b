#include "platform/private_folder.h"

#include "platform/file_system.h"
#include "platform/folders.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vorlith::platform {

std::unique_ptr<PrivateFolder> PrivateFolder::Create(std::string_view namePrefix) {
    // mkdtemp makes the folder with mode 0700, so nobody else can read the copies in it.
    std::string pattern = JoinPath(TemporaryFolder(), std::string(namePrefix) + "-XXXXXX");
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        return nullptr;
    return std::unique_ptr<PrivateFolder>(new PrivateFolder(buffer.data()));
}

PrivateFolder::~PrivateFolder() {
    for (const std::string& file : ListFolderPaths(m_path))
        DeleteFile(file);
    ::rmdir(m_path.c_str());
}

} // namespace vorlith::platform
