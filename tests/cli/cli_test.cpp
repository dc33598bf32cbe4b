// The console program as a user runs it: a child process with its own home.

#include "platform/instance_lock.h"
#include "support/test_support.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>

namespace vorlith {
namespace {

using test::FakeHome, test::ReadFile;
namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunCli(const FakeHome& home, const std::string& arguments) {
    const std::string command = "cd " + home.home() +
                                " && DISPLAY= WAYLAND_DISPLAY= " + VORLITH_CLI_PATH + " " +
                                arguments + " </dev/null >out.txt 2>err.txt; echo $? >status.txt";
    std::system(command.c_str());
    return {std::atoi(ReadFile(home.home() + "/status.txt").c_str()),
            ReadFile(home.home() + "/out.txt"), ReadFile(home.home() + "/err.txt")};
}

TEST(ConsoleProgram, AuditsTheCacheFileIntoTheReportFolderAndReportsBadLines) {
    FakeHome home;
    home.folder().makeFolder("drive");
    const std::string cache = home.folder().write(
        "cache.jsonl", "{\"type\": \"0x00200001\", \"url\": \"Visited: a@http://poker.example/\"}\n"
                       "{\"type\": 1, \"url\": \n"
                       "{\"type\": 1, \"url\": \"http://a.example/a.jpg\"}\n");
    const std::string report = home.home() + "/reports/today";
    auto outcome =
        RunCli(home, "--drive drive --quiet --url-cache " + cache + " --report-dir " + report);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("Finished!  2 traces found on YOUR Computer!\n"), std::string::npos);
    EXPECT_NE(outcome.out.find(report + "/Vorlith_summary.html\n"), std::string::npos);
    EXPECT_NE(outcome.err.find(cache + ": line 2: not valid JSON"), std::string::npos);
    EXPECT_EQ(std::count_if(fs::directory_iterator(report), {},
                            [](const auto& entry) { return entry.path().extension() == ".html"; }),
              16);
    EXPECT_FALSE(fs::exists(home.data() + "/Vorlith/Vorlith_summary.html"));
    EXPECT_NE(ReadFile(home.config() + "/vorlith/user.reg").find("\"CumlativeTotal\"=\"2\""),
              std::string::npos);
}

// The summary's number in front of `after` (the page writes each as <B>N</B></FONT>...).
int64_t SummaryNumber(const std::string& page, const std::string& after) {
    const size_t end = page.find("</B></FONT>" + after);
    if (end == std::string::npos)
        return -1;
    std::string digits;
    for (size_t i = page.rfind("<B>", end) + 3; i < end; ++i)
        if (std::isdigit(static_cast<unsigned char>(page[i])))
            digits += page[i];
    return std::stoll(digits);
}

// The fixture drive and browser home audited with --export: every count of the summary page is
// the export's, and what the export's own findings add up to.
TEST(ConsoleProgram, TheExportOfTheFixtureAuditHoldsEveryCountOfTheSummary) {
    FakeHome home;
    const std::string fixtures = VORLITH_FIXTURES_DIR;
    fs::copy(fixtures + "/browsers/home", home.home(), fs::copy_options::recursive);
    const std::string report = home.home() + "/report", exported = home.home() + "/audit.json";
    auto outcome = RunCli(home, "--quiet --drive " + fixtures + "/media/drive --report-dir " +
                                    report + " --export " + exported);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto audit = nlohmann::json::parse(ReadFile(exported));
    EXPECT_EQ(audit["format"], "vorlith-export");

    std::map<std::string, int64_t> own;
    for (const auto& finding : audit["disk"]) {
        const std::string kind = finding["kind"];
        ++own[kind];
        if (kind == "audio")
            ++own[finding["format"].get<std::string>() + "_files"];
        if (kind == "thumbnail_store")
            own["thumbnail_images"] += static_cast<int64_t>(finding["pictures"].size());
        if (kind == "desktop_preview" && finding["original_exists"] == false)
            ++own["deleted_desktop_previews"];
    }
    for (const auto& trace : audit["browser"]) {
        const std::string kind = trace["kind"];
        ++own[kind];
        own[kind + "_hits"] += trace["hit_rate"].get<int64_t>();
        own["bytes"] += trace["size"].get<int64_t>();
        EXPECT_TRUE(trace["browser"] == "Firefox" || trace["browser"] == "Chromium") << trace;
        EXPECT_TRUE(trace["profile"].get<std::string>().starts_with(home.home())) << trace;
        for (const std::string category : trace["categories"])
            ++own[kind + " " + category];
    }
    for (const char* category : {"explicit", "gambling", "personals", "sports", "news"}) {
        own["suspect_files"] += own[std::string("cached_file ") + category];
        own["suspect_history"] += own[std::string("history ") + category];
        own["suspect_cookies"] += own[std::string("cookie ") + category];
    }
    const std::string summary = ReadFile(report + "/Vorlith_summary.html");
    struct Count {
        const char* key;     // in the export's totals
        const char* summary; // what follows the number on the summary page
        int64_t ownCount;    // what the export's findings add up to
    } counts[] = {
        {"traces", "<BR>\r\nTotal <B>SUSPECT", own["cached_file"] + own["history"] + own["cookie"]},
        {"explicit_images", " <B>EXPLICIT</B>", own["cached_file explicit"]},
        {"gambling_images", " <B>GAMBLING</B>", own["cached_file gambling"]},
        {"social_images", " <B>SOCIAL NETWORKING</B>", own["cached_file personals"]},
        {"sports_images", " <B>SPORTS</B>", own["cached_file sports"]},
        {"news_images", " <B>NEWS</B>", own["cached_file news"]},
        {"firefox_images", " <B>MOZILA FIREFOX</B>", own["firefox_picture"]},
        {"mp3_files", " <B>MP3</B>", own["mp3_files"]},
        {"wma_files", " <B>WMA</B>", own["wma_files"]},
        {"m4a_files", " <B>M4A</B>", own["m4a_files"]},
        {"ogg_files", " <B>OGG</B>", own["ogg_files"]},
        {"audio_files", " <B>DRM-free</B>", own["audio"]},
        {"thumbnail_stores", " <B>Thumbs.db</B> hidden", own["thumbnail_store"]},
        {"thumbnail_images", " <B>Thumbs.db images</B>", own["thumbnail_images"]},
        {"suspect_files", " <B>SUSPECT</B> Internet file", own["suspect_files"]},
        {"illegal_images", " potentially <B>ILLEGAL</B>", own["cached_file teen"]},
        {"history", " website history", own["history"]},
        {"suspect_history", " <B>SUSPECT</B> website", own["suspect_history"]},
        {"cookies", " cookie traces", own["cookie"]},
        {"suspect_cookies", " <B>SUSPECT</B> cookie", own["suspect_cookies"]},
        {"cookie_reads", " times by websites", own["cookie_hits"]},
        {"history_visits", " times.<BR>", own["history_hits"]},
        {"suspect_traces", "<BR>\r\n<BR>These traces",
         own["suspect_files"] + own["suspect_history"] + own["suspect_cookies"]},
        {"bytes", " bytes of YOUR", own["bytes"]},
    };
    for (const Count& count : counts) {
        SCOPED_TRACE(count.key);
        EXPECT_EQ(audit["totals"][count.key].get<int64_t>(), SummaryNumber(summary, count.summary));
        EXPECT_EQ(audit["totals"][count.key].get<int64_t>(), count.ownCount);
    }
    // The fixtures reach every kind of finding.
    for (const char* kind : {"audio", "thumbnail_store", "firefox_picture", "cached_file",
                             "history", "cookie", "history other", "cached_file gambling"})
        EXPECT_GT(own[kind], 0) << kind;
}

// "config set" refuses what the setting rules refuse, as the setup dialog does.
TEST(ConsoleProgram, UsageErrorsEndWithStatusTwo) {
    FakeHome home;
    for (const char* arguments :
         {"--no-such-option", "--url-cache", "--url-cache missing.jsonl", "--drive /no/such/folder",
          "--drive /etc/hostname", "config", "config get", "config get NoSuchKey",
          "config set MinDays 31", "config set NoThumbs yes"}) {
        auto outcome = RunCli(home, arguments);
        EXPECT_EQ(outcome.status, 2) << arguments;
        EXPECT_FALSE(outcome.err.empty()) << arguments;
    }
    EXPECT_NE(RunCli(home, "config set mindays 31")
                  .err.find("The minumum days for a Vorlith can not be set more than 30 days."),
              std::string::npos);
}

TEST(ConsoleProgram, ConfigChangesTheSettingsAndTheLogInEntryWithoutTheLock) {
    FakeHome home;
    auto held = platform::AcquireInstanceLock("vorlith");
    ASSERT_TRUE(held);
    auto audit = RunCli(home, "--url-cache none --drive " + home.home());
    EXPECT_EQ(audit.status, 3);
    EXPECT_NE(audit.err.find("another copy"), std::string::npos);
    EXPECT_NE(RunCli(home, "config list").out.find("MinDays=7 (default)\n"), std::string::npos);
    EXPECT_EQ(RunCli(home, "config set mindays 14").status, 0);
    EXPECT_EQ(RunCli(home, "config get MinDays").out, "14\n");
    EXPECT_EQ(RunCli(home, "config set WinStart 1").status, 0);
    EXPECT_NE(ReadFile(home.config() + "/autostart/Vlith.desktop").find("\" /STARTUP\n"),
              std::string::npos);
    EXPECT_EQ(RunCli(home, "config set WinStart 0").status, 0);
    EXPECT_FALSE(fs::exists(home.config() + "/autostart/Vlith.desktop"));
}

TEST(ConsoleProgram, InterruptWithoutATerminalCancelsTheAudit) {
    FakeHome home;
    // The walk of the whole machine keeps the audit busy long enough for the interrupt.
    const std::string command =
        "cd " + home.home() + " && (DISPLAY= " + VORLITH_CLI_PATH +
        " --drive / --url-cache none --report-dir r > out.txt 2> err.txt & pid=$!; sleep 0.3; "
        "kill -INT $pid; wait $pid; echo $? > rc.txt)";
    std::system(command.c_str());
    const std::string rc = ReadFile(home.home() + "/rc.txt");
    // Either the audit was still running (130, cancelled) or it had already finished (0).
    ASSERT_TRUE(rc == "130\n" || rc == "0\n") << rc;
    if (rc == "130\n") {
        EXPECT_NE(ReadFile(home.home() + "/out.txt").find("Vorlith scan canceled..."),
                  std::string::npos);
        EXPECT_EQ(ReadFile(home.config() + "/vorlith/user.reg").find("CumlativeTotal"),
                  std::string::npos);
    }
}

TEST(ConsoleProgram, TwoConfigSetsAtOnceBothArrive) {
    FakeHome home;
    const std::string cli = VORLITH_CLI_PATH;
    for (int round = 1; round <= 12; ++round) {
        const std::string days = std::to_string(round), total = std::to_string(1000 + round);
        const std::string command = cli + " config set MinDays " + days + " & " + cli +
                                    " config set CumlativeTotal " + total + " & wait";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(RunCli(home, "config get MinDays").out, days + "\n") << round;
        EXPECT_EQ(RunCli(home, "config get CumlativeTotal").out, total + "\n") << round;
    }
}

// A report folder holding someone else's files is refused before anything starts (2); one that
// cannot be written ends the run (1).
TEST(ConsoleProgram, ReportFoldersThatAreNotTheProgramsOrCannotBeWrittenEndTheRun) {
    FakeHome home;
    home.folder().makeFolder("drive");
    home.folder().write("mine/notes.txt", "mine");
    const std::string drive = " --url-cache none --quiet --drive " + home.home() + "/drive";
    auto refused = RunCli(home, "--report-dir " + home.home() + "/mine" + drive);
    EXPECT_EQ(refused.status, 2) << refused.err;
    EXPECT_NE(refused.err.find("notes.txt"), std::string::npos);
    auto failed = RunCli(home, "--report-dir /proc/vorlith-report" + drive);
    EXPECT_EQ(failed.status, 1) << failed.err;
}

// The fixture drive's thumbnail page in a real browser, after the report folder was moved: every
// picture loads, the Catalog's names and times are the titles, and the desktop's previews of this
// home show their originals, the deleted one marked.
TEST(ConsoleProgram, TheThumbnailPageShowsEveryPictureInABrowserWhereverTheReportMoved) {
    const std::string chromium = "/usr/bin/chromium";
    if (!fs::exists(chromium))
        GTEST_SKIP() << "no " << chromium;
    FakeHome home;
    const test::ScopedEnv utc("TZ", "UTC");
    const std::string kept = home.folder().write("Pictures/kept.jpg", "picture");
    home.folder().write(".cache/thumbnails/normal/1.png",
                        test::PreviewPng("file://" + kept, "1700000000"));
    home.folder().write(".cache/thumbnails/large/2.png",
                        test::PreviewPng("file://" + home.home() + "/gone.jpg", "1600000000"));
    const std::string drive = std::string(VORLITH_FIXTURES_DIR) + "/media/drive";
    const auto outcome =
        RunCli(home, "--drive " + drive + " --url-cache none --quiet --report-dir " + home.home() +
                         "/report");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::string moved = home.folder().makeFolder("elsewhere") + "/report";
    fs::rename(home.home() + "/report", moved);

    // The page once more, listing when it has loaded every picture's width, address and title.
    home.folder().write(
        "elsewhere/report/check.html",
        ReadFile(moved + "/Vorlith_thumbnails.html") +
            "<script>addEventListener('load', () => { const list = document.createElement('pre');"
            " list.id = 'pictures'; list.textContent = Array.from(document.images, picture =>"
            " [picture.naturalWidth, picture.getAttribute('src'), picture.title].join('|'))"
            ".join('\\n'); document.body.append(list); });</script>");
    const std::string command =
        chromium +
        " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync "
        "--virtual-time-budget=10000 --user-data-dir=" +
        home.home() + "/chromium --dump-dom file://" + moved + "/check.html >" + home.home() +
        "/dom.html 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string dom = ReadFile(home.home() + "/dom.html");
    const size_t from = dom.find("<pre id=\"pictures\">");
    ASSERT_NE(from, std::string::npos) << dom.substr(0, 2000);
    // One line a picture: "width|address|title".
    const std::string list =
        "\n" + dom.substr(from + 20, dom.find("</pre>", from) - from - 20) + "\n";
    EXPECT_EQ(list.find("\n0|"), std::string::npos) << list; // a broken picture is 0 wide
    size_t thumbnails = 0;
    for (size_t at = list.find("|thumbs/"); at != std::string::npos;
         at = list.find("|thumbs/", at + 1))
        ++thumbnails;
    EXPECT_EQ(thumbnails, 24u + 2u) << list; // the stores' pictures and the two previews
    for (const std::string& title :
         {std::string("zoolemur1.jpg, 2010-02-02 03:25:06"),
          std::string("Copy of prairiedogs.jpg, 2010-02-02 03:25:06"),
          std::string("wizard.jpg, 2004-07-01 00:02:00"), kept + ", 2023-11-14 22:13:20",
          home.home() + "/gone.jpg, 2020-09-13 12:26:40, original deleted"})
        EXPECT_NE(list.find("|" + title + "\n"), std::string::npos) << title;
}

} // namespace
} // namespace vorlith
