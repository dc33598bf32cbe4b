// The two hives on Windows: the registry of the user and, only for reading, of the machine.
// The per-user start-up list is the registry's own Run key, written like any other value.

#include "platform/windows/registry_hive.h"

namespace vorlith::platform {

SettingsHive& SystemHive(HiveScope scope) {
    // The program only ever changes the user's settings; the machine's need an administrator
    // and are never written.
    static RegistryHive user(HKEY_CURRENT_USER, "", HiveAccess::ReadWrite);
    static RegistryHive machine(HKEY_LOCAL_MACHINE, "", HiveAccess::ReadOnly);
    return scope == HiveScope::Machine ? machine : user;
}

} // namespace vorlith::platform
