// A private folder on Windows: created below the temporary folder with a protected access list
// that lets in only the user who runs the program (and nobody through inheritance).

#include "platform/private_folder.h"

#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/windows/win32.h"

#include <sddl.h>

#include <random>

namespace vorlith::platform {

std::unique_ptr<PrivateFolder> PrivateFolder::Create(std::string_view namePrefix) {
    const std::string user = win32::CurrentUserSid();
    if (user.empty())
        return nullptr;
    // P: protected (no inherited entries); OICI: files and folders inside inherit the entry.
    const std::wstring descriptor = L"D:P(A;OICI;FA;;;" + win32::Widen(user) + L")";
    PSECURITY_DESCRIPTOR security = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor.c_str(), SDDL_REVISION_1,
                                                                &security, nullptr))
        return nullptr;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, security, FALSE};
    std::random_device random;
    std::unique_ptr<PrivateFolder> folder;
    for (int attempt = 0; attempt < 16 && !folder; ++attempt) {
        const std::string path =
            JoinPath(TemporaryFolder(),
                     std::string(namePrefix) + "-" + std::to_string(random() % 100000000));
        // A name that is taken (by anything, a link included) is not used: only a new folder.
        if (::CreateDirectoryW(win32::WidePath(path).c_str(), &attributes))
            folder.reset(new PrivateFolder(path));
        else if (::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    ::LocalFree(security);
    return folder;
}

PrivateFolder::~PrivateFolder() {
    for (const std::string& file : ListFolderPaths(m_path))
        DeleteFile(file);
    ::RemoveDirectoryW(win32::WidePath(m_path).c_str());
}

} // namespace vorlith::platform
