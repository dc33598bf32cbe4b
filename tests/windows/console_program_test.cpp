// vorlith-cli.exe as a user runs it: a child process. The audits and the settings commands
// change this user's registry (the settings, the Run key), so they run only under Wine, in the
// throw-away prefix of the test run.

#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/instance_lock.h"
#include "platform/windows/win32.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace vorlith {
namespace {

using test::RunConsoleProgram;

std::optional<std::wstring> runValue() {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                       L"Vlith", RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

#define SKIP_UNLESS_UNDER_WINE()                                                                   \
    if (!test::RunningUnderWine())                                                                 \
    GTEST_SKIP() << "changes this user's settings; runs only in a throw-away Wine prefix"

TEST(WindowsConsoleProgram, HelpAndUsageErrorsAsOnLinux) {
    auto help = RunConsoleProgram({"--help"});
    EXPECT_EQ(help.status, 0u);
    EXPECT_NE(help.out.find("Usage: vorlith-cli [OPTIONS] [SUBCOMMAND]"), std::string::npos);
    EXPECT_NE(help.out.find("--url-cache"), std::string::npos);
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--no-such-option"},
                                               {"--url-cache"},
                                               {"config", "get", "NoSuchKey"},
                                               {"config", "set", "MinDays", "31"},
                                               {"--url-cache", "C:\\no\\such\\cache.jsonl"}}) {
        SCOPED_TRACE(arguments[0]);
        auto outcome = RunConsoleProgram(arguments);
        EXPECT_EQ(outcome.status, 2u);
        EXPECT_FALSE(outcome.err.empty());
    }
}

TEST(WindowsConsoleProgram, ConfigChangesTheSettingsAndTheRunKey) {
    SKIP_UNLESS_UNDER_WINE();
    EXPECT_EQ(RunConsoleProgram({"config", "set", "mindays", "14"}).status, 0u);
    EXPECT_EQ(RunConsoleProgram({"config", "get", "MinDays"}).out, "14\n");
    wchar_t stored[16] = {};
    DWORD size = sizeof stored - sizeof(wchar_t);
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER,
                             L"Software\\VB and VBA Program Settings\\Vlith\\Settings", L"MinDays",
                             RRF_RT_REG_SZ, nullptr, stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored), L"14");
    EXPECT_NE(RunConsoleProgram({"config", "list"}).out.find("MinDays=14\n"), std::string::npos);

    EXPECT_EQ(RunConsoleProgram({"config", "set", "WinStart", "1"}).status, 0u);
    auto entry = runValue();
    ASSERT_TRUE(entry.has_value());
    // The quoted path of the desktop program beside it (no installed copy), then " /STARTUP":
    // a log-in start is the desktop program's, never the console program's.
    EXPECT_EQ(entry->front(), L'"');
    EXPECT_NE(entry->find(L"\\Vlith.exe\" /STARTUP"), std::wstring::npos) << *entry;
    EXPECT_EQ(RunConsoleProgram({"config", "set", "WinStart", "0"}).status, 0u);
    EXPECT_FALSE(runValue().has_value());
    EXPECT_EQ(RunConsoleProgram({"config", "set", "MinDays", "7"}).status, 0u);
}

TEST(WindowsConsoleProgram, AuditsTheFixtureDriveIntoTheReportFolder) {
    SKIP_UNLESS_UNDER_WINE();
    test::WindowsTempFolder folder;
    const std::string drive = test::HostPathForWine(VORLITH_FIXTURES_DIR "/media/drive");
    const std::string cache = folder.write(
        "cache.jsonl",
        "{\"type\": \"0x00200001\", \"url\": \"Visited: anna@https://poker.example/\"}\n"
        "{\"type\": 1, \"url\": \"https://img.example/a.jpg\", \"local_file\": "
        "\"C:\\\\cache\\\\a.jpg\", \"size\": 48213}\n");
    const std::string report = folder / "report";
    auto outcome = RunConsoleProgram({"--drive", drive, "--url-cache", cache, "--report-dir",
                                      report, "--no-browser", "--quiet"});
    ASSERT_EQ(outcome.status, 0u) << outcome.err;
    EXPECT_NE(outcome.out.find("Finished!  2 traces found on YOUR Computer!\n"), std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.out.find(report + "\\Vorlith_summary.html\n"), std::string::npos);
    // The walk found the fixture's audio files: the audio page names them by their Windows
    // paths.
    const std::string audio = test::ReadWindowsFile(report + "\\Vorlith_illegal.html");
    EXPECT_NE(audio.find(drive + "\\Users\\alice\\Music\\Ogg\\forest.ogg"), std::string::npos);
    EXPECT_TRUE(platform::FileExists(report + "\\logo.gif"));
}

TEST(WindowsConsoleProgram, ADriveNamedOutsideTheCodePageIsWalkedFromTheCommandLine) {
    SKIP_UNLESS_UNDER_WINE();
    test::WindowsTempFolder folder;
    // U+4E2D U+6587 U+0436: through the 8-bit command line this would arrive as "???".
    const std::string drive = folder.makeFolder("\xE4\xB8\xAD\xE6\x96\x87\xD0\xB6");
    folder.write("\xE4\xB8\xAD\xE6\x96\x87\xD0\xB6\\song.mp3", "");
    const std::string report = folder / "report";
    auto outcome = RunConsoleProgram({"--drive", drive, "--url-cache", "none", "--report-dir",
                                      report, "--no-browser", "--quiet"});
    ASSERT_EQ(outcome.status, 0u) << outcome.err;
    // The page spells the name with numeric character references.
    const std::string audio = test::ReadWindowsFile(report + "\\Vorlith_illegal.html");
    EXPECT_NE(audio.find("\\&#20013;&#25991;&#1078;\\song.mp3"), std::string::npos);
}

TEST(WindowsConsoleProgram, ASecondCopyEndsWithStatusThree) {
    SKIP_UNLESS_UNDER_WINE();
    auto held = platform::AcquireInstanceLock("vorlith");
    ASSERT_NE(held, nullptr);
    test::WindowsTempFolder folder;
    auto outcome =
        RunConsoleProgram({"--url-cache", "none", "--drive", folder.path(), "--no-browser"});
    EXPECT_EQ(outcome.status, 3u);
    EXPECT_NE(outcome.err.find("another copy"), std::string::npos);
    // Settings need no lock.
    EXPECT_EQ(RunConsoleProgram({"config", "get", "MinDays"}).status, 0u);
}

} // namespace
} // namespace vorlith
