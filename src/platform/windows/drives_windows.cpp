// Drives on Windows: the logical drives the system reports, with the system's type codes.

#include "platform/drives.h"

#include "platform/windows/win32.h"

namespace vorlith::platform {
namespace {

class WindowsDrives final : public DriveSource {
public:
    std::vector<std::string> roots() override {
        // "C:\<NUL>D:\<NUL><NUL>": asked once for the size, then read in full.
        std::wstring buffer(::GetLogicalDriveStringsW(0, nullptr), L'\0');
        const DWORD length =
            ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
        std::vector<std::string> result;
        if (length == 0 || length > buffer.size())
            return result;
        std::wstring_view rest(buffer.data(), length);
        while (!rest.empty()) {
            const size_t end = rest.find(L'\0');
            const std::wstring_view root = rest.substr(0, end);
            if (!root.empty())
                result.push_back(win32::Narrow(root));
            if (end == std::wstring_view::npos)
                break;
            rest.remove_prefix(end + 1);
        }
        return result;
    }

    DriveType typeOf(const std::string& root) override {
        // GetDriveType's codes are the program's own: 0 unknown, 1 no such root, 2 removable,
        // 3 fixed, 4 remote, 5 CD-ROM, 6 RAM disk.
        return static_cast<DriveType>(::GetDriveTypeW(win32::WidePath(root).c_str()));
    }
};

} // namespace

DriveSource& SystemDrives() {
    static WindowsDrives drives;
    return drives;
}

} // namespace vorlith::platform
