// The two hives on Linux: REGEDIT4 files under the XDG configuration folders, with the per-user
// start-up list kept as the desktop's autostart entries.

#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/reg_file_hive.h"

#include <memory>

namespace vorlith::platform {

SettingsHive& SystemHive(HiveScope scope) {
    // Built on first use, after any change of the XDG variables by the caller.
    static std::unique_ptr<RegFileHive> userFile;
    static std::unique_ptr<AutostartHive> user;
    static std::unique_ptr<RegFileHive> machine;
    if (scope == HiveScope::Machine) {
        if (!machine)
            machine = std::make_unique<RegFileHive>(
                JoinPath(JoinPath(MachineConfigFolder(), "vorlith"), "machine.reg"),
                "HKEY_LOCAL_MACHINE", Access::Shared);
        return *machine;
    }
    if (!user) {
        // The settings tell about the user's habits: only the user may read them.
        userFile = std::make_unique<RegFileHive>(
            JoinPath(JoinPath(UserConfigFolder(), "vorlith"), "user.reg"), "HKEY_CURRENT_USER",
            Access::Private);
        user =
            std::make_unique<AutostartHive>(*userFile, JoinPath(UserConfigFolder(), "autostart"));
    }
    return *user;
}

} // namespace vorlith::platform
