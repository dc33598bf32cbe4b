#pragma once
// Shared test helpers: temporary folders, environment overrides, a settable clock, a scripted
// window system and a program starter that records instead of starting.

#include "app/results_window.h"
#include "platform/clock.h"
#include "platform/drives.h"
#include "platform/program_start.h"
#include "platform/url_cache.h"
#include "platform/window_system.h"

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vorlith::test {

/// A fresh folder below the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    /// path + "/" + relative
    std::string operator/(const std::string& relative) const;
    /// Writes a file below the folder, creating its folders.
    std::string write(const std::string& relative, const std::string& bytes) const;
    /// Creates a folder below the folder (and its parents).
    std::string makeFolder(const std::string& relative) const;

private:
    std::string m_path;
};

/// Sets an environment variable for the life of the object (empty value: unset).
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::optional<std::string>& value);
    ~ScopedEnv();

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

/// A home of its own for a test: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME,
/// XDG_RUNTIME_DIR and XDG_CONFIG_DIRS point into a temporary folder.
class FakeHome {
public:
    FakeHome();
    const std::string& home() const { return m_folder.path(); }
    std::string config() const { return m_folder / ".config"; }
    std::string data() const { return m_folder / ".local/share"; }
    std::string cache() const { return m_folder / ".cache"; }
    std::string runtime() const { return m_folder / "run"; }
    std::string machineConfig() const { return m_folder / "etc-xdg"; }
    const TempFolder& folder() const { return m_folder; }

private:
    TempFolder m_folder;
    std::vector<ScopedEnv> m_env;
};

/// Reads a whole file ("" when it cannot be read).
std::string ReadFile(const std::string& path);
/// Splits page text at CR LF; a final line without CR LF is kept as it is.
std::vector<std::string> SplitCrLf(const std::string& text);

/// A clock the test sets. Local time equals UTC.
class FakeClock final : public platform::Clock {
public:
    DateTime now{2026, 12, 6, 12, 0, 0};
    std::chrono::steady_clock::time_point monotonic{};

    DateTime localNow() const override { return now; }
    std::chrono::steady_clock::time_point monotonicNow() const override { return monotonic; }
    DateTime toLocal(FileTime utc) const override;
    void advance(std::chrono::milliseconds step) { monotonic += step; }
};

/// Drives the test lists, with their types.
class FakeDrives final : public platform::DriveSource {
public:
    std::vector<std::pair<std::string, platform::DriveType>> drives;
    std::vector<std::string> roots() override;
    platform::DriveType typeOf(const std::string& root) override;
};

/// Records every program start; answers from a set of programs that "exist".
class FakeStarter final : public platform::ProgramStarter {
public:
    std::vector<std::vector<std::string>> started;
    std::vector<std::string> available{"xdg-open", "firefox"};
    bool start(const std::vector<std::string>& arguments) override;
    bool isAvailable(const std::string& program) override;
};

/// A window system driven by the test: every yield counts and may run a scripted action, every
/// message box is recorded and answered from a queue (Yes when the queue is empty).
class FakeWindowSystem final : public platform::WindowSystem {
public:
    int yields = 0;
    std::vector<platform::MessageRequest> messages;
    std::deque<platform::MessageAnswer> answers;
    /// Runs at the yield with this number (1-based), once.
    std::map<int, std::function<void()>> onYield;
    /// Runs on every yield.
    std::function<void()> everyYield;
    /// Runs while the results window is shown; it closes when this returns.
    std::function<void(ResultsWindow&)> whileResultsShown;
    int resultsShown = 0;
    int trayIcons = 0;
    std::vector<platform::WindowId> centered;
    std::vector<platform::WindowId> raised;

    void yield() override;
    platform::MessageAnswer showMessage(const platform::MessageRequest& request) override;
    void showResultsModal(ResultsWindow& window) override;
    void centerWindow(platform::WindowId window) override { centered.push_back(window); }
    void raiseWindow(platform::WindowId window) override { raised.push_back(window); }
    void showTrayIcon() override { ++trayIcons; }
};

/// A URL cache holding the entries the test gives, in order.
class ListUrlCacheSource final : public platform::UrlCacheSource {
public:
    std::vector<platform::RawUrlCacheEntry> entries;
    int begins = 0;
    int ends = 0;
    bool begin() override;
    std::optional<platform::RawUrlCacheEntry> next() override;
    void end() override { ++ends; }

private:
    size_t m_next = 0;
};

} // namespace vorlith::test
