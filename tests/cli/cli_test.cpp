// The console program as a user runs it: a child process with its own home.

#include "platform/instance_lock.h"
#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace vorlith {
namespace {

using test::FakeHome;
using test::ReadFile;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs `program arguments` without a display in the fake home.
Outcome runProgram(const FakeHome& home, const std::string& program, const std::string& arguments,
                   const std::string& input = "") {
    const std::string out = home.home() + "/out.txt", err = home.home() + "/err.txt";
    const std::string in = home.folder().write("in.txt", input);
    const std::string status = home.home() + "/status.txt";
    const std::string command = "env -u QT_QPA_PLATFORM DISPLAY= WAYLAND_DISPLAY= " + program +
                                " " + arguments + " <" + in + " >" + out + " 2>" + err +
                                "; echo $? >" + status;
    std::system(command.c_str());
    return {std::atoi(ReadFile(status).c_str()), ReadFile(out), ReadFile(err)};
}

Outcome runCli(const FakeHome& home, const std::string& arguments, const std::string& input = "") {
    return runProgram(home, VORLITH_CLI_PATH, arguments, input);
}

TEST(ConsoleProgram, RunsOneAuditAndEndsWithTheSummaryPath) {
    FakeHome home;
    home.folder().makeFolder("drive");
    auto outcome = runCli(home, "--drive " + home.home() + "/drive --url-cache none --quiet");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("Finished!  0 traces found on YOUR Computer!\n"), std::string::npos);
    EXPECT_NE(outcome.out.find(home.data() + "/Vorlith/Vorlith_summary.html\n"), std::string::npos);
    EXPECT_NE(outcome.out.find("Total traces found: 0"), std::string::npos);
    size_t pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.data() + "/Vorlith"))
        pages += entry.path().extension() == ".html";
    EXPECT_EQ(pages, 16u);
    EXPECT_NE(ReadFile(home.config() + "/vorlith/user.reg").find("\"LastAudit\"=\""),
              std::string::npos);
}

TEST(ConsoleProgram, ReportDirTakesThePagesAndPictures) {
    FakeHome home;
    home.folder().makeFolder("drive");
    auto outcome = runCli(home, "--drive " + home.home() + "/drive --url-cache none --report-dir " +
                                    home.home() + "/reports/today");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(std::filesystem::exists(home.home() + "/reports/today/Vorlith_summary.html"));
    EXPECT_TRUE(std::filesystem::exists(home.home() + "/reports/today/logo.gif"));
    EXPECT_FALSE(std::filesystem::exists(home.data() + "/Vorlith/Vorlith_summary.html"));
}

TEST(ConsoleProgram, UsageErrorsEndWithStatusTwo) {
    FakeHome home;
    for (const char* arguments :
         {"--no-such-option", "--url-cache", "config", "config get", "config get NoSuchKey",
          "config set MinDays 31", "config set NoThumbs yes", "config set DefaultResults 4"}) {
        SCOPED_TRACE(arguments);
        auto outcome = runCli(home, arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_FALSE(outcome.err.empty());
    }
}

TEST(ConsoleProgram, VersionPrintsTheNameAndVersion) {
    FakeHome home;
    auto outcome = runCli(home, "--version");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, std::string("vorlith-cli ") + VORLITH_EXPECTED_VERSION + "\n");
    EXPECT_EQ(outcome.err, "");
}

// The desktop program reads its command line before it needs a display; without one it says so
// and ends instead of starting an audit.
TEST(DesktopProgram, CommandLineWithoutADisplay) {
    const std::string program = VORLITH_DESKTOP_PATH;
    if (program.empty())
        GTEST_SKIP() << "the desktop program is not built";
    struct Case {
        const char* arguments;
        int status;
        const char* out; // part of standard output
        const char* err; // part of standard error
    };
    const Case cases[] = {
        {"--help", 0, "--report-dir", ""},
        {"--version", 0, "vorlith " VORLITH_EXPECTED_VERSION "\n", ""},
        {"--bogus", 2, "", "--bogus"},
        {"--drive", 2, "", "--drive"},
        {"--no-browser /STARTUP", 1, "", "no display"},
        {"", 1, "", "no display"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        FakeHome home;
        auto outcome = runProgram(home, program, c.arguments);
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        EXPECT_NE(outcome.out.find(c.out), std::string::npos) << outcome.out;
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(home.data() + "/Vorlith"));
    }
}

TEST(ConsoleProgram, UrlCacheFileIsAuditedAndItsBadLinesReported) {
    FakeHome home;
    home.folder().makeFolder("drive");
    const std::string cache = home.folder().write(
        "cache.jsonl", "{\"type\": \"0x00200001\", \"url\": \"Visited: a@http://poker.example/\"}\n"
                       "{\"type\": 1, \"url\": \n"
                       "{\"type\": 1, \"url\": \"http://a.example/a.jpg\"}\n");
    auto outcome = runCli(home, "--drive " + home.home() + "/drive --quiet --url-cache " + cache);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("Finished!  2 traces found on YOUR Computer!\n"), std::string::npos);
    EXPECT_NE(outcome.err.find(cache + ": line 2: not valid JSON"), std::string::npos)
        << outcome.err;

    outcome = runCli(home, "--url-cache " + home.home() + "/missing.jsonl");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("missing.jsonl"), std::string::npos);
}

TEST(ConsoleProgram, SecondCopyIsRefusedWithStatusThree) {
    FakeHome home;
    auto held = platform::AcquireInstanceLock("vorlith");
    ASSERT_TRUE(held);
    auto outcome = runCli(home, "--url-cache none --drive " + home.home());
    EXPECT_EQ(outcome.status, 3);
    EXPECT_NE(outcome.err.find("another copy"), std::string::npos);
    // Settings need no lock.
    EXPECT_EQ(runCli(home, "config get MinDays").status, 0);
}

TEST(ConsoleProgram, ConfigReadsAndChangesTheSettings) {
    FakeHome home;
    auto listed = runCli(home, "config list");
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find("MinDays=7 (default)\n"), std::string::npos);
    EXPECT_EQ(runCli(home, "config set mindays 14").status, 0);
    EXPECT_EQ(runCli(home, "config get MinDays").out, "14\n");
    // What the settings say about the user is his alone.
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(home.config() + "/vorlith").permissions() & perms::mask,
              perms::owner_all);
    EXPECT_EQ(std::filesystem::status(home.config() + "/vorlith/user.reg").permissions() &
                  perms::mask,
              perms::owner_read | perms::owner_write);
    EXPECT_EQ(runCli(home, "config set NoThumbs 1").status, 0);
    EXPECT_NE(runCli(home, "config list").out.find("NoThumbs=1\n"), std::string::npos);
    // "WinStart" adds and removes the log-in entry as the setup dialog does.
    EXPECT_EQ(runCli(home, "config set WinStart 1").status, 0);
    const std::string entry = ReadFile(home.config() + "/autostart/Vlith.desktop");
    EXPECT_NE(entry.find("\" /STARTUP\n"), std::string::npos);
    EXPECT_EQ(runCli(home, "config set WinStart 0").status, 0);
    EXPECT_FALSE(std::filesystem::exists(home.config() + "/autostart/Vlith.desktop"));
}

TEST(ConsoleProgram, TwoConfigSetsAtOnceBothArrive) {
    FakeHome home;
    const std::string cli = VORLITH_CLI_PATH;
    for (int round = 1; round <= 12; ++round) {
        SCOPED_TRACE(round);
        const std::string days = std::to_string(round), total = std::to_string(1000 + round);
        const std::string command = cli + " config set MinDays " + days + " & " + cli +
                                    " config set CumlativeTotal " + total + " & wait";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(runCli(home, "config get MinDays").out, days + "\n");
        EXPECT_EQ(runCli(home, "config get CumlativeTotal").out, total + "\n");
    }
}

TEST(ConsoleProgram, InterruptWithoutATerminalCancelsTheAudit) {
    FakeHome home;
    // A deep tree keeps the walk busy long enough for the interrupt to arrive during it.
    home.folder().makeFolder("drive");
    const std::string command =
        std::string("cd ") + home.home() + " && (DISPLAY= " + VORLITH_CLI_PATH +
        " --drive / --url-cache none --report-dir " + home.home() +
        "/r > out.txt 2> err.txt & pid=$!; sleep 0.3; kill -INT $pid; wait $pid; echo $? > rc.txt)";
    std::system(command.c_str());
    const std::string rc = ReadFile(home.home() + "/rc.txt");
    // Either the audit was still running (130, cancelled) or it had already finished (0).
    EXPECT_TRUE(rc == "130\n" || rc == "0\n") << rc;
    if (rc == "130\n") {
        EXPECT_NE(ReadFile(home.home() + "/out.txt").find("Vorlith scan canceled..."),
                  std::string::npos);
        EXPECT_EQ(ReadFile(home.config() + "/vorlith/user.reg").find("CumlativeTotal"),
                  std::string::npos);
    }
}

} // namespace
} // namespace vorlith
