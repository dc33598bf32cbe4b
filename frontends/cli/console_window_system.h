#pragma once
// The console front-end's window services: live progress on a terminal, Ctrl-C as the Cancel
// button, questions answered on the terminal (or Yes without one), and the results window
// printed once.

#include "app/program.h"
#include "platform/window_system.h"

#include <atomic>
#include <chrono>
#include <string>

namespace vorlith::cli {

struct ConsoleOptions {
    bool quiet = false;     // show only the end
    bool assumeYes = false; // answer Yes to every question
};

class ConsoleWindowSystem final : public platform::WindowSystem {
public:
    ConsoleWindowSystem(ConsoleOptions options, const platform::Clock& clock);

    /// The program whose events this front-end delivers.
    void attach(Program& program) { m_program = &program; }
    std::atomic<bool>& interruptFlag() { return m_interrupted; }

    void yield() override;
    platform::MessageAnswer showMessage(const platform::MessageRequest& request) override;
    void showResultsModal(ResultsWindow& window) override;
    void centerWindow(platform::WindowId) override {}
    void showTrayIcon() override {}

    /// Clears the progress line so that final output starts on a clean line.
    void finishProgress();

private:
    void render();

    ConsoleOptions m_options;
    const platform::Clock& m_clock;
    Program* m_program = nullptr;
    std::atomic<bool> m_interrupted{false};
    bool m_progressOnTerminal;
    bool m_inQuestion = false;
    std::chrono::steady_clock::time_point m_lastTick;
    std::chrono::steady_clock::time_point m_lastRender;
    std::string m_shownLine;
};

} // namespace vorlith::cli
