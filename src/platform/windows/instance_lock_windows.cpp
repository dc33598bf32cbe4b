// The one-copy lock on Windows: a named mutex in the session's namespace whose name carries
// the user's security identifier, so that each user has a lock of their own. The system
// releases it when the process ends, so a crashed copy never leaves a stale lock behind.

#include "platform/instance_lock.h"

#include "platform/windows/win32.h"

namespace vorlith::platform {
namespace {

class MutexLock final : public InstanceLock {
public:
    explicit MutexLock(HANDLE mutex) : m_mutex(mutex) {}

private:
    win32::UniqueHandle m_mutex;
};

} // namespace

std::unique_ptr<InstanceLock> AcquireInstanceLock(const std::string& name) {
    // "\" is the one character a mutex name may not hold below its namespace.
    std::string user = win32::CurrentUserSid();
    if (user.empty())
        user = "unknown-user";
    const std::wstring mutexName = L"Local\\" + win32::Widen(name + "-" + user);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, mutexName.c_str());
    if (!mutex) {
        // Another user's object of that name that we may not open means someone holds it.
        if (::GetLastError() == ERROR_ACCESS_DENIED)
            return nullptr;
        return std::make_unique<MutexLock>(INVALID_HANDLE_VALUE);
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return nullptr;
    }
    return std::make_unique<MutexLock>(mutex);
}

} // namespace vorlith::platform
