#include "console_window_system.h"

#include "platform/console.h"

#include <cstdio>
#include <iostream>

namespace vorlith::cli {
namespace {
constexpr auto kRefresh = std::chrono::milliseconds(250);

// Characters of a UTF-8 text, each sequence once.
size_t displayWidth(const std::string& text) {
    size_t width = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++width;
    return width;
}

std::string fitToWidth(const std::string& text, size_t width) {
    if (displayWidth(text) <= width)
        return text;
    std::string out;
    size_t shown = 0;
    for (char c : text) {
        bool starts = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (starts && ++shown > width - 1)
            break;
        out += c;
    }
    return out + "\u2026";
}
} // namespace

ConsoleWindowSystem::ConsoleWindowSystem(ConsoleOptions options, const platform::Clock& clock)
    : m_options(options), m_clock(clock),
      m_progressOnTerminal(!options.quiet && platform::IsTerminal(platform::ConsoleStream::Error)),
      m_lastTick(clock.monotonicNow()), m_lastRender(m_lastTick) {}

void ConsoleWindowSystem::yield() {
    if (!m_program)
        return;
    if (m_interrupted.load() && !m_inQuestion) {
        m_interrupted = false;
        if (m_program->audit().state().Scanning)
            m_program->cmdCancel_Click();
    }
    const auto now = m_clock.monotonicNow();
    if (now - m_lastTick >= kRefresh) {
        m_lastTick = now;
        if (m_program->mainWindow().Timer_Search.enabled)
            m_program->Timer_Search_Tick();
    }
    if (m_progressOnTerminal && now - m_lastRender >= kRefresh) {
        m_lastRender = now;
        render();
    }
}

void ConsoleWindowSystem::render() {
    const MainWindow& window = m_program->mainWindow();
    std::string line = window.lblStatus.caption;
    if (window.lblCount.visible && !window.lblCount.caption.empty())
        line += "  [" + window.lblCount.caption + "]";
    if (window.pBar.visible && window.pBar.max > 0) {
        int64_t percent = window.pBar.value * 100 / window.pBar.max;
        line += "  " + std::to_string(percent < 0 ? 0 : percent > 100 ? 100 : percent) + "%";
    }
    if (window.lblStatus2.visible && !window.lblStatus2.caption.empty())
        line += "  \u00BB " + window.lblStatus2.caption;
    const size_t width = static_cast<size_t>(platform::TerminalColumns());
    line = fitToWidth(line, width > 1 ? width - 1 : 1);
    if (line == m_shownLine)
        return;
    m_shownLine = line;
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
}

void ConsoleWindowSystem::finishProgress() {
    if (m_progressOnTerminal && !m_shownLine.empty()) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        m_shownLine.clear();
    }
}

platform::MessageAnswer ConsoleWindowSystem::showMessage(const platform::MessageRequest& request) {
    finishProgress();
    std::string text = request.text;
    for (size_t pos; (pos = text.find("\r\n")) != std::string::npos;)
        text.replace(pos, 2, "\n");
    if (request.buttons == platform::MessageButtons::Ok) {
        std::fprintf(stderr, "%s: %s\n", request.title.c_str(), text.c_str());
        return platform::MessageAnswer::Ok;
    }
    const bool canAsk = platform::IsTerminal(platform::ConsoleStream::Input) &&
                        platform::IsTerminal(platform::ConsoleStream::Error);
    if (m_options.assumeYes || !canAsk) {
        std::fprintf(stderr, "%s: %s\n-> Yes\n", request.title.c_str(), text.c_str());
        return platform::MessageAnswer::Yes;
    }
    m_inQuestion = true;
    std::fprintf(stderr, "%s\n%s\n[y/N] ", request.title.c_str(), text.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        std::cin.clear();
    m_inQuestion = false;
    m_interrupted = false;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y') ? platform::MessageAnswer::Yes
                                                                     : platform::MessageAnswer::No;
}

void ConsoleWindowSystem::showResultsModal(ResultsWindow& window) {
    finishProgress();
    std::printf("%s\n", window.frame.caption.c_str());
    std::printf("  %s %s\n", window.lblStatus.caption.c_str(), window.lblTotal.caption.c_str());
    std::printf("  %s %s\n", window.Label1.caption.c_str(), window.lblCumTotal.caption.c_str());
    std::printf("  %s %s\n", window.Label2.caption.c_str(), window.lblSuspectTotal.caption.c_str());
    std::fflush(stdout);
}

} // namespace vorlith::cli
