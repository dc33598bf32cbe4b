#pragma once
// One copy of the program at a time, per user.

#include <memory>
#include <string>

namespace vorlith::platform {

/// Held for as long as the object lives; released when it is destroyed or the process ends.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
};

/// Takes the per-user lock of this name in the run-time folder; nullptr when another process
/// holds it. A lock file that cannot be created at all does not stop the program: the lock is
/// then given without protection.
std::unique_ptr<InstanceLock> AcquireInstanceLock(const std::string& name);

} // namespace vorlith::platform
