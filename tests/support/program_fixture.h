#pragma once
// A whole program on a fake machine: its own home, an empty drive, a clock the test sets, a
// window system the test scripts and a program starter that only records.

#include "app/program.h"
#include "platform/reg_file_hive.h"
#include "support/test_support.h"

#include <memory>

namespace vorlith::test {

class ProgramFixture {
public:
    ProgramFixture();

    /// Builds the program (after the test has adjusted options and settings).
    Program& program();

    std::string setting(const std::string& key);
    void store(const std::string& key, const std::string& value);
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
    platform::RegFileHive userFile;
    platform::AutostartHive userHive;
    platform::RegFileHive machineHive;
    ProgramOptions options;

private:
    std::unique_ptr<Program> m_program;
};

} // namespace vorlith::test
