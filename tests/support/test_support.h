#pragma once
// Shared test helpers: temporary folders, environment overrides, a settable clock, a scripted
// window system and a program starter that records instead of starting.

#include "app/results_window.h"
#include "platform/clock.h"
#include "platform/drives.h"
#include "platform/program_start.h"
#include "platform/url_cache.h"
#include "platform/window_system.h"

#include <algorithm>
#include <deque>
#include <functional>
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
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }
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
    const TempFolder& folder() const { return m_folder; }

private:
    TempFolder m_folder;
    std::vector<ScopedEnv> m_env;
};

/// PNG files by the format's layout: a 32-bit big-endian number; a chunk (length, type, body,
/// CRC-32 of type and body); zlib-compressed bytes; a 1x1 grey PNG with the given chunks between
/// its header and its picture data, and after; a tEXt chunk; a desktop preview carrying
/// Thumb::URI and Thumb::MTime.
std::string BigEndian32(uint32_t value);
std::string PngChunk(const std::string& type, const std::string& body);
std::string ZlibCompressed(const std::string& bytes);
std::string Png(const std::string& before, const std::string& after = "");
std::string PngTextChunk(const std::string& keyword, const std::string& text);
std::string PreviewPng(const std::string& uri, const std::string& modified);

/// Reads a whole file ("" when it cannot be read).
std::string ReadFile(const std::string& path);
/// Splits page text at CR LF; a final line without CR LF is kept as it is.
std::vector<std::string> SplitCrLf(const std::string& text);

/// A clock the test sets. Local time equals UTC.
struct FakeClock final : public platform::Clock {
    DateTime now{2026, 12, 6, 12, 0, 0};
    std::chrono::steady_clock::time_point monotonic{};

    DateTime localNow() const override { return now; }
    std::chrono::steady_clock::time_point monotonicNow() const override { return monotonic; }
    DateTime toLocal(FileTime utc) const override;
    void advance(std::chrono::milliseconds step) { monotonic += step; }
};

/// Drives the test lists, with their types.
struct FakeDrives final : public platform::DriveSource {
    std::vector<std::pair<std::string, platform::DriveType>> drives;
    std::vector<std::string> roots() override {
        std::vector<std::string> result;
        for (const auto& drive : drives)
            result.push_back(drive.first);
        return result;
    }
    platform::DriveType typeOf(const std::string& root) override {
        auto drive =
            std::find_if(drives.begin(), drives.end(), [&](auto& d) { return d.first == root; });
        return drive == drives.end() ? platform::DriveType::NotFound : drive->second;
    }
};

/// Records every program start; answers from a set of programs that "exist".
struct FakeStarter final : public platform::ProgramStarter {
    std::vector<std::vector<std::string>> started;
    std::vector<std::string> available{"xdg-open", "firefox"};
    bool start(const std::vector<std::string>& arguments) override {
        if (arguments.empty() || !isAvailable(arguments[0]))
            return false;
        started.push_back(arguments);
        return true;
    }
    bool isAvailable(const std::string& program) override {
        return std::find(available.begin(), available.end(), program) != available.end();
    }
};

/// A window system driven by the test: every yield counts and runs the test's action, every
/// message box is recorded and answered from a queue (Yes when the queue is empty).
struct FakeWindowSystem final : public platform::WindowSystem {
    int yields = 0;
    std::vector<platform::MessageRequest> messages;
    std::deque<platform::MessageAnswer> answers;
    std::function<void()> everyYield;
    /// Runs while the results window is shown; it closes when this returns.
    std::function<void(ResultsWindow&)> whileResultsShown;
    int resultsShown = 0;
    int trayIcons = 0;
    std::vector<platform::WindowId> centered;
    std::vector<platform::WindowId> raised;

    void yield() override {
        ++yields;
        if (everyYield)
            everyYield();
    }
    platform::MessageAnswer showMessage(const platform::MessageRequest& request) override {
        messages.push_back(request);
        if (request.buttons == platform::MessageButtons::Ok)
            return platform::MessageAnswer::Ok;
        const auto answer = answers.empty() ? platform::MessageAnswer::Yes : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    void showResultsModal(ResultsWindow& window) override {
        ++resultsShown;
        if (whileResultsShown)
            whileResultsShown(window);
    }
    void centerWindow(platform::WindowId window) override { centered.push_back(window); }
    void raiseWindow(platform::WindowId window) override { raised.push_back(window); }
    void showTrayIcon() override { ++trayIcons; }
};

/// A URL cache holding the entries the test gives, in order.
struct ListUrlCacheSource final : public platform::UrlCacheSource {
    std::vector<platform::RawUrlCacheEntry> entries;
    size_t nextEntry = 0;

    bool begin() override {
        nextEntry = 0;
        return !entries.empty();
    }
    std::optional<platform::RawUrlCacheEntry> next() override {
        return nextEntry < entries.size() ? std::optional(entries[nextEntry++]) : std::nullopt;
    }
    void end() override {}
};

} // namespace vorlith::test
