#include "support/program_fixture.h"

#include "settings/settings_store.h"

namespace vorlith::test {

ProgramFixture::ProgramFixture()
    : userFile(home.config() + "/vorlith/user.reg", "HKEY_CURRENT_USER"),
      userHive(userFile, home.config() + "/autostart"),
      machineHive(home.machineConfig() + "/vorlith/machine.reg", "HKEY_LOCAL_MACHINE") {
    options.driveRoots = {drive.path()};
}

Program& ProgramFixture::program() {
    if (!m_program) {
        ProgramServices services{windows, clock, drives, urlCache, starter, userHive, machineHive};
        m_program = std::make_unique<Program>(services, options);
    }
    return *m_program;
}

std::string ProgramFixture::setting(const std::string& key) {
    return GetSetting(userHive, kSettingsApplication, kSettingsSection, key, "<absent>");
}

void ProgramFixture::store(const std::string& key, const std::string& value) {
    SaveSetting(userHive, kSettingsApplication, kSettingsSection, key, value);
}

} // namespace vorlith::test
