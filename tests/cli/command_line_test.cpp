// The desktop program's command line: the options both programs share, then the words start-up
// reads, parsed in-process.

#include "command_line.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vorlith {
namespace {

using frontend::DesktopCommandLine;

struct Parsed {
    std::variant<DesktopCommandLine, int> result;
    std::string out;
    std::string err;
};

Parsed parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "vorlith");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    std::ostringstream out, err;
    auto result =
        frontend::ParseDesktopCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    return {std::move(result), out.str(), err.str()};
}

TEST(DesktopCommandLine, OptionsComeFirstAndEveryWordAfterThemIsArgumentText) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> drives;
        std::string reportDir;
        std::string urlCache;
        bool noBrowser;
        std::string argumentText;
    };
    test::TempFolder folder; // the drives must exist
    const std::string a = folder.makeFolder("a"), bc = folder.makeFolder("b c");
    const Case cases[] = {
        {{}, {}, "", "auto", false, ""},
        {{"/STARTUP"}, {}, "", "auto", false, "/STARTUP"},
        {{"--drive", a, "--drive", bc, "--report-dir", "/r", "--url-cache", "none",
          "--no-browser", "/UNINSTALL"},
         {a, bc},
         "/r",
         "none",
         true,
         "/UNINSTALL"},
        {{"/startup", "now"}, {}, "", "auto", false, "/startup now"},
        // After the first word, what looks like an option is a word too.
        {{"--no-browser", "/STARTUP", "--drive", "/x", "--bogus"},
         {},
         "",
         "auto",
         true,
         "/STARTUP --drive /x --bogus"},
        {{"--", "--drive", "/x"}, {}, "", "auto", false, "--drive /x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        Parsed parsed = parse(c.arguments);
        const auto* line = std::get_if<DesktopCommandLine>(&parsed.result);
        ASSERT_NE(line, nullptr) << parsed.err;
        EXPECT_EQ(line->audit.drives, c.drives);
        EXPECT_EQ(line->audit.reportDir, c.reportDir);
        EXPECT_EQ(line->audit.urlCache, c.urlCache);
        EXPECT_EQ(line->audit.noBrowser, c.noBrowser);
        EXPECT_EQ(line->argumentText, c.argumentText);
    }
}

TEST(DesktopCommandLine, UnknownOptionsAndMissingValuesAreUsageErrors) {
    test::TempFolder folder;
    const std::vector<std::vector<std::string>> refused = {
        {"--bogus"}, {"--bogus", "/STARTUP"}, {"-x"},
        {"--drive"}, {"--report-dir"},        {"--url-cache", folder.path() + "/missing.jsonl"},
        {"--drive", folder.path() + "/missing"},
        {"--export", folder.path() + "/audit.txt"},
    };
    for (const auto& arguments : refused) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        Parsed parsed = parse(arguments);
        const int* status = std::get_if<int>(&parsed.result);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(*status, 2);
        EXPECT_EQ(parsed.out, "");
        EXPECT_NE(parsed.err, "");
    }
}

TEST(DesktopCommandLine, HelpAndVersionGoToStandardOutputWithStatusZero) {
    Parsed help = parse({"--help"});
    ASSERT_TRUE(std::holds_alternative<int>(help.result));
    EXPECT_EQ(std::get<int>(help.result), 0);
    for (const char* option : {"--drive", "--report-dir", "--url-cache", "--export", "--no-browser",
                               "--version", "/STARTUP", "/UNINSTALL"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    EXPECT_EQ(help.err, "");

    Parsed version = parse({"--version", "/STARTUP"});
    ASSERT_TRUE(std::holds_alternative<int>(version.result));
    EXPECT_EQ(std::get<int>(version.result), 0);
    EXPECT_EQ(version.out, std::string("vorlith ") + VORLITH_EXPECTED_VERSION + "\n");
}

} // namespace
} // namespace vorlith
