#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace vorlith::test {

TempFolder::TempFolder() {
    std::random_device random;
    const char* base = std::getenv("TMPDIR");
    fs::path root = base && *base ? base : "/tmp";
    for (;;) {
        fs::path candidate = root / ("vorlith-test-" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            m_path = candidate.string();
            return;
        }
    }
}

TempFolder::~TempFolder() {
    std::error_code error;
    // Folders a test made unreadable must become readable again to be removed.
    for (auto it = fs::recursive_directory_iterator(
             m_path, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_path, error);
}

std::string TempFolder::operator/(const std::string& relative) const {
    return m_path + "/" + relative;
}

std::string TempFolder::write(const std::string& relative, const std::string& bytes) const {
    fs::path path = fs::path(m_path) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

std::string TempFolder::makeFolder(const std::string& relative) const {
    fs::path path = fs::path(m_path) / relative;
    fs::create_directories(path);
    return path.string();
}

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value)
    : m_name(name) {
    if (const char* old = std::getenv(name.c_str()))
        m_old = old;
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

FakeHome::FakeHome() {
    m_folder.makeFolder(".config");
    m_folder.makeFolder(".local/share");
    m_folder.makeFolder(".cache");
    m_folder.makeFolder("run");
    m_env.reserve(8);
    m_env.emplace_back("HOME", m_folder.path());
    m_env.emplace_back("XDG_CONFIG_HOME", config());
    m_env.emplace_back("XDG_DATA_HOME", data());
    m_env.emplace_back("XDG_CACHE_HOME", cache());
    m_env.emplace_back("XDG_RUNTIME_DIR", runtime());
    m_env.emplace_back("XDG_CONFIG_DIRS", machineConfig());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

DateTime FakeClock::toLocal(FileTime utc) const {
    if (utc == 0)
        return DateTime{};
    return CivilFromUnixSeconds(static_cast<int64_t>(utc / 10'000'000) - kSecondsFrom1601To1970);
}

std::vector<std::string> FakeDrives::roots() {
    std::vector<std::string> result;
    for (const auto& drive : drives)
        result.push_back(drive.first);
    return result;
}

platform::DriveType FakeDrives::typeOf(const std::string& root) {
    for (const auto& drive : drives)
        if (drive.first == root)
            return drive.second;
    return platform::DriveType::NotFound;
}

bool FakeStarter::start(const std::vector<std::string>& arguments) {
    if (arguments.empty() || !isAvailable(arguments[0]))
        return false;
    started.push_back(arguments);
    return true;
}

bool FakeStarter::isAvailable(const std::string& program) {
    for (const std::string& name : available)
        if (name == program)
            return true;
    return false;
}

void FakeWindowSystem::yield() {
    ++yields;
    if (everyYield)
        everyYield();
    auto action = onYield.find(yields);
    if (action != onYield.end()) {
        auto run = std::move(action->second);
        onYield.erase(action);
        run();
    }
}

platform::MessageAnswer FakeWindowSystem::showMessage(const platform::MessageRequest& request) {
    messages.push_back(request);
    if (request.buttons == platform::MessageButtons::Ok)
        return platform::MessageAnswer::Ok;
    if (answers.empty())
        return platform::MessageAnswer::Yes;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeWindowSystem::showResultsModal(ResultsWindow& window) {
    ++resultsShown;
    if (whileResultsShown)
        whileResultsShown(window);
}

bool ListUrlCacheSource::begin() {
    ++begins;
    m_next = 0;
    return !entries.empty();
}

std::optional<platform::RawUrlCacheEntry> ListUrlCacheSource::next() {
    if (m_next >= entries.size())
        return std::nullopt;
    return entries[m_next++];
}

} // namespace vorlith::test
