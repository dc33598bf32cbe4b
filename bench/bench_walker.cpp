// The drive walker against `find ROOT -xdev` on the same warm tree of 500,000 entries: wall time
// of each (several rounds, alternating) and the peak memory of each in a process of its own.
//
//   bench_walker [--entries N] [--dir PARENT] [--rounds R] [--keep]
//
// The tree is generated below PARENT (default $TMPDIR or /tmp) and removed at the end unless
// --keep is given; a kept tree of the same size is reused by the next run.

#include "scan/walker.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int64_t entries = 500000;
    std::string parent;
    int rounds = 5;
    bool keep = false;
};

// A run that never cancels; its yield costs what a cheap front-end's does.
class BenchRun final : public vorlith::RunControl {
public:
    int64_t yields = 0;
    void yield() override { benchmark::DoNotOptimize(++yields); }
    bool isCanceled() const override { return false; }
};

struct TreeFacts {
    int64_t entries = 0;
    int64_t folders = 0;
    int64_t audio = 0;
    int64_t video = 0;
    int64_t stores = 0;
    int maxDepth = 0;
    int64_t widest = 0;
};

// Folders of varied width and depth: most hold up to a dozen entries, some up to a hundred, a
// few thousands; names are a few percent audio, video and thumbnail stores.
class TreeMaker {
public:
    explicit TreeMaker(int64_t target) : m_target(target), m_random(20261206) {}

    TreeFacts make(const std::string& root) {
        ::mkdir(root.c_str(), 0755);
        struct Pending {
            std::string path;
            int depth;
        };
        std::vector<Pending> stack;
        int64_t topFolders = 0;
        while (m_facts.entries < m_target) {
            if (stack.empty()) {
                const std::string path = root + "/top" + std::to_string(topFolders++);
                if (!makeFolder(path))
                    break;
                stack.push_back({path, 1});
            }
            const Pending folder = stack.back();
            stack.pop_back();
            m_facts.maxDepth = std::max(m_facts.maxDepth, folder.depth);
            const int64_t width = pickWidth();
            m_facts.widest = std::max(m_facts.widest, width);
            bool hasStore = false;
            for (int64_t i = 0; i < width && m_facts.entries < m_target; ++i)
                makeFile(folder.path + "/" + fileName(i, hasStore));
            const int subFolders = folder.depth >= 16 ? 0 : pickSubFolders(folder.depth);
            for (int i = 0; i < subFolders && m_facts.entries < m_target; ++i) {
                const std::string path = folder.path + "/" + word(4, 14) + "_" + std::to_string(i);
                if (makeFolder(path))
                    stack.push_back({path, folder.depth + 1});
            }
        }
        return m_facts;
    }

private:
    int64_t pickWidth() {
        const int kind = uniform(0, 99);
        if (kind < 80)
            return uniform(1, 12);
        if (kind < 98)
            return uniform(12, 100);
        return uniform(100, 3000);
    }

    int pickSubFolders(int depth) { return uniform(0, depth < 4 ? 6 : 4); }

    std::string fileName(int64_t index, bool& hasStore) {
        static const char* const kAudio[] = {".mp3", ".MP3", ".wma", ".m4a", ".ogg"};
        static const char* const kVideo[] = {".flv", ".mpg", ".mov", ".mpeg", ".MOV"};
        static const char* const kOther[] = {".txt", ".jpg",  ".png", ".html", ".c", ".h",
                                             ".so",  ".json", ".pdf", ".doc",  ""};
        const int kind = uniform(0, 999);
        const std::string stem = word(3, 20) + std::to_string(index);
        if (kind < 30) {
            ++m_facts.audio;
            return stem + kAudio[uniform(0, 4)];
        }
        if (kind < 50) {
            ++m_facts.video;
            return stem + kVideo[uniform(0, 4)];
        }
        if (kind < 55) {
            ++m_facts.stores;
            if (!hasStore) {
                hasStore = true;
                return "Thumbs.db";
            }
            return "thumbcache_" + std::to_string(index) + ".db";
        }
        return stem + kOther[uniform(0, 10)];
    }

    std::string word(int shortest, int longest) {
        static const char kLetters[] =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-";
        std::string text(static_cast<size_t>(uniform(shortest, longest)), 'a');
        for (char& c : text)
            c = kLetters[uniform(0, sizeof kLetters - 2)];
        return text;
    }

    bool makeFolder(const std::string& path) {
        if (::mkdir(path.c_str(), 0755) != 0)
            return false;
        ++m_facts.entries;
        ++m_facts.folders;
        return true;
    }

    void makeFile(const std::string& path) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        ::close(fd);
        ++m_facts.entries;
    }

    int64_t uniform(int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(m_random);
    }

    int64_t m_target;
    std::mt19937_64 m_random;
    TreeFacts m_facts;
};

struct ChildResult {
    double seconds = 0;
    int64_t peakKilobytes = 0;
    bool ok = false;
};

// Runs a program with its output thrown away; wall time from before the fork to the reaping,
// peak memory from the child's resource usage.
ChildResult runChild(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ChildResult result;
    if (pid < 0)
        return result;
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return result;
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.peakKilobytes = usage.ru_maxrss;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

bool readAll(int fd, void* data, size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::read(fd, bytes, size);
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool writeAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(fd, bytes, size);
        if (put <= 0)
            return false;
        bytes += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

// Starts the programs whose memory is measured. A forked child's peak resident set counts what
// it inherited from the process that forked it, so children are forked by this small process,
// started before the benchmark holds anything, not by the benchmark itself.
class Launcher {
public:
    Launcher() {
        int commands[2], results[2];
        if (::pipe(commands) != 0 || ::pipe(results) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(commands[1]);
            ::close(results[0]);
            serve(commands[0], results[1]);
            ::_exit(0);
        }
        ::close(commands[0]);
        ::close(results[1]);
        m_commands = commands[1];
        m_results = results[0];
    }
    ~Launcher() {
        ::close(m_commands);
        ::close(m_results);
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }

    ChildResult run(const std::vector<std::string>& arguments) {
        ChildResult result;
        uint32_t count = static_cast<uint32_t>(arguments.size());
        bool sent = writeAll(m_commands, &count, sizeof count);
        for (const std::string& argument : arguments) {
            uint32_t length = static_cast<uint32_t>(argument.size());
            sent = sent && writeAll(m_commands, &length, sizeof length) &&
                   writeAll(m_commands, argument.data(), length);
        }
        if (!sent || !readAll(m_results, &result, sizeof result))
            return {};
        return result;
    }

private:
    static void serve(int commands, int results) {
        for (;;) {
            uint32_t count = 0;
            if (!readAll(commands, &count, sizeof count))
                return;
            std::vector<std::string> arguments(count);
            for (std::string& argument : arguments) {
                uint32_t length = 0;
                if (!readAll(commands, &length, sizeof length))
                    return;
                argument.resize(length);
                if (!readAll(commands, argument.data(), length))
                    return;
            }
            const ChildResult result = runChild(arguments);
            if (!writeAll(results, &result, sizeof result))
                return;
        }
    }

    pid_t m_pid = -1;
    int m_commands = -1;
    int m_results = -1;
};

struct WalkFigures {
    double seconds = 0;
    int64_t filesSearched = 0;
    int64_t yields = 0;
    size_t audio = 0, video = 0, stores = 0;
};

WalkFigures walkOnce(const std::string& root) {
    BenchRun run;
    vorlith::FoundFiles lists;
    vorlith::WalkProgress progress;
    const auto start = Clock::now();
    vorlith::FindFiles(run, lists, progress, root);
    WalkFigures figures;
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.filesSearched = progress.FilesSearched;
    figures.yields = run.yields;
    figures.audio = lists.lstResult.size();
    figures.video = lists.lstVideos.size();
    figures.stores = lists.lstThumbs.size();
    return figures;
}

// The walk alone in a process of its own, for its peak memory.
int walkOnly(const std::string& root) {
    return walkOnce(root).filesSearched > 0 ? 0 : 1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Options parse(int argc, char** argv) {
    Options options;
    const char* tmp = std::getenv("TMPDIR");
    options.parent = tmp && *tmp ? tmp : "/tmp";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--entries" && i + 1 < argc)
            options.entries = std::atoll(argv[++i]);
        else if (argument == "--dir" && i + 1 < argc)
            options.parent = argv[++i];
        else if (argument == "--rounds" && i + 1 < argc)
            options.rounds = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--keep")
            options.keep = true;
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--walk-only")
        return walkOnly(argv[2]);
    const Options options = parse(argc, argv);
    Launcher launcher;
    const std::string root =
        options.parent + "/vorlith-bench-walker-" + std::to_string(options.entries);
    const std::string marker = root + ".complete";

    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::exists(marker, error)) {
        fs::remove_all(root, error);
        std::printf("Generating %lld entries below %s ...\n",
                    static_cast<long long>(options.entries), root.c_str());
        std::fflush(stdout);
        const auto start = Clock::now();
        const TreeFacts facts = TreeMaker(options.entries).make(root);
        std::printf("  %lld entries (%lld folders, %lld audio, %lld video, %lld stores), depth "
                    "%d, widest folder %lld, made in %.1f s\n",
                    static_cast<long long>(facts.entries), static_cast<long long>(facts.folders),
                    static_cast<long long>(facts.audio), static_cast<long long>(facts.video),
                    static_cast<long long>(facts.stores), facts.maxDepth,
                    static_cast<long long>(facts.widest),
                    std::chrono::duration<double>(Clock::now() - start).count());
        std::ofstream(marker) << facts.entries << "\n";
    } else {
        std::printf("Reusing the tree below %s\n", root.c_str());
    }

    const std::vector<std::string> find = {"find", root, "-xdev"};
    // Warm the tree into the caches and check both tools see it whole.
    const ChildResult warmFind = launcher.run(find);
    const WalkFigures warmWalk = walkOnce(root);
    if (!warmFind.ok) {
        std::printf("find failed\n");
        return 1;
    }
    std::printf("Walker: %lld entries searched; %zu audio, %zu video, %zu thumbnail stores\n",
                static_cast<long long>(warmWalk.filesSearched), warmWalk.audio, warmWalk.video,
                warmWalk.stores);

    std::vector<double> walkerSeconds, findSeconds;
    int64_t findPeak = 0;
    for (int round = 0; round < options.rounds; ++round) {
        walkerSeconds.push_back(walkOnce(root).seconds);
        const ChildResult found = launcher.run(find);
        findSeconds.push_back(found.seconds);
        findPeak = std::max(findPeak, found.peakKilobytes);
    }

    // Peak memory of the walk in a process of its own, measured like find's.
    const std::string self = fs::read_symlink("/proc/self/exe", error).string();
    const ChildResult walkAlone = launcher.run({self, "--walk-only", root});

    const double walkerMedian = median(walkerSeconds);
    const double findMedian = median(findSeconds);
    std::printf("\n%-24s %12s %12s %14s\n", "", "median (s)", "best (s)", "peak RSS (MB)");
    std::printf("%-24s %12.3f %12.3f %14.1f\n", "walker (FindFiles)", walkerMedian,
                *std::min_element(walkerSeconds.begin(), walkerSeconds.end()),
                static_cast<double>(walkAlone.peakKilobytes) / 1024.0);
    std::printf("%-24s %12.3f %12.3f %14.1f\n", "find ROOT -xdev", findMedian,
                *std::min_element(findSeconds.begin(), findSeconds.end()),
                static_cast<double>(findPeak) / 1024.0);
    std::printf("walker / find wall time: %.2fx (aim: at most 1.30x)\n", walkerMedian / findMedian);
    std::printf("walker peak RSS %.1f MB in a process of its own (aim: under 64 MB)\n",
                static_cast<double>(walkAlone.peakKilobytes) / 1024.0);
    std::printf("%d rounds, alternating; yields during one walk: %lld\n", options.rounds,
                static_cast<long long>(warmWalk.yields));

    if (!options.keep) {
        fs::remove_all(root, error);
        fs::remove(marker, error);
    }
    return 0;
}
