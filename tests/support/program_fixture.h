#pragma once
// A whole program on a fake machine: its own home, an empty drive, a clock the test sets, a
// window system the test scripts and a program starter that only records.

#include "app/program.h"
#include "platform/reg_file_hive.h"
#include "settings/settings_store.h"
#include "support/test_support.h"

#include <memory>

namespace vorlith::test {

class ProgramFixture {
public:
    ProgramFixture() { options.driveRoots = {drive.path()}; }

    /// Builds the program (after the test has adjusted options and settings).
    Program& program() {
        if (!m_program)
            m_program = std::make_unique<Program>(
                ProgramServices{windows, clock, drives, urlCache, starter, userHive, machineHive},
                options);
        return *m_program;
    }

    /// The stored setting, "<absent>" when there is none.
    std::string setting(const std::string& key) {
        return GetSetting(userHive, kSettingsApplication, kSettingsSection, key, "<absent>");
    }
    void store(const std::string& key, const std::string& value) {
        SaveSetting(userHive, kSettingsApplication, kSettingsSection, key, value);
    }
    /// The report folder the program uses: the fake home's data folder + "/Vorlith".
    std::string reportFolder() const { return home.data() + "/Vorlith"; }
    std::string page(const std::string& fileName) const {
        return ReadFile(reportFolder() + "/" + fileName);
    }

    FakeHome home;
    TempFolder drive;
    FakeWindowSystem windows;
    FakeClock clock;
    FakeDrives drives;
    ListUrlCacheSource urlCache;
    FakeStarter starter;
    platform::RegFileHive userFile{home.config() + "/vorlith/user.reg", "HKEY_CURRENT_USER"};
    platform::AutostartHive userHive{userFile, home.config() + "/autostart"};
    platform::RegFileHive machineHive{home.folder() / "etc-xdg/vorlith/machine.reg",
                                      "HKEY_LOCAL_MACHINE"};
    ProgramOptions options;

private:
    std::unique_ptr<Program> m_program;
};

} // namespace vorlith::test
