#pragma once
// The progress a phase reports, shown on the main window: the status lines, the count line and
// the progress bar.

#include "app/main_window/main_window.h"
#include "base/progress.h"

#include <algorithm>
#include <string>

namespace vorlith {

class MainWindowProgress final : public ProgressSink {
public:
    explicit MainWindowProgress(MainWindow& window) : m_window(window) {}

    void setStatus(std::string_view text) override { m_window.lblStatus.caption.assign(text); }
    void setDetail(std::string_view text) override { m_window.lblStatus2.caption.assign(text); }
    void setCount(std::string_view text) override { m_window.lblCount.caption.assign(text); }
    void setProgressMaximum(int64_t maximum) override { m_window.pBar.max = maximum; }
    void setProgress(int64_t value) override { m_window.pBar.value = value; }

private:
    MainWindow& m_window;
};

} // namespace vorlith
